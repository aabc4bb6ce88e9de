#include "gui/ReviewCount.h"

#include <QEvent>
#include <QStatusBar>
#include <QStyle>

namespace varnok {

ReviewCount::ReviewCount(QStatusBar *bar) : QLabel(bar), bar_(bar)
{
    setObjectName("ReviewPosition");
    bar->addPermanentWidget(this);
    hide();
    bar->installEventFilter(this);
    connect(bar, &QStatusBar::messageChanged, this, &ReviewCount::fit);
}

void ReviewCount::setCount(const QString &count)
{
    count_ = count;
    setVisible(!count.isEmpty());
    fit();
}

bool ReviewCount::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == bar_ && event->type() == QEvent::Resize)
        fit();
    return false;
}

void ReviewCount::fit()
{
    // The room the status text leaves: the bar less its text, the size grip
    // and the spacing around the items.
    const int grip = bar_->isSizeGripEnabled() ? bar_->style()->pixelMetric(QStyle::PM_SizeGripSize) : 0;
    const int room = bar_->width() - bar_->fontMetrics().horizontalAdvance(bar_->currentMessage()) - grip - 24;
    const auto colon = count_.indexOf(':');
    const bool whole = colon < 0 || fontMetrics().horizontalAdvance(count_) <= room;
    setText(whole ? count_ : count_.left(colon));
}

} // namespace varnok
