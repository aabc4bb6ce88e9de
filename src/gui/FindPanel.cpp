#include "gui/FindPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include "gui/accessible.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

// Typing a word waits this long after the last key before searching, so a
// fast typist starts one search, not one per letter.
constexpr int kTypingPause = 150;

enum Column { FileColumn, LineColumn, TextColumn };

const char *const kCutMark = "...";
const char *const kUnreadableOne = "%1 file could not be read: %2";
const char *const kUnreadableMany = "%1 files could not be read: %2";

} // namespace

FindPanel::FindPanel(Context &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName("FindPanel");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *row = new QHBoxLayout;
    // No mnemonic of its own: Ctrl+F reaches the field, and the pages' letters stay theirs.
    auto *label = new QLabel("Find:", this);
    FindText = new QLineEdit(this);
    FindText->setObjectName("FindText");
    FindText->setPlaceholderText("Text to find in every document");
    FindText->setAccessibleName("Find text");
    label->setBuddy(FindText);
    FindStatus = new QLabel(this);
    FindStatus->setObjectName("FindStatus");
    auto *close = new QToolButton(this);
    close->setObjectName("FindClose");
    close->setText("Close");
    close->setToolTip("Close the search (Escape)");
    row->addWidget(label);
    row->addWidget(FindText, 1);
    row->addWidget(FindStatus);
    row->addWidget(close);
    layout->addLayout(row);

    FindResults = new QTreeWidget(this);
    FindResults->setObjectName("FindResults");
    FindResults->setAccessibleName("Find results");
    FindResults->setHeaderLabels({"File", "Line", "Text"});
    FindResults->setRootIsDecorated(false);
    FindResults->setUniformRowHeights(true);
    FindResults->setAllColumnsShowFocus(true);
    FindResults->header()->setStretchLastSection(true);
    FindResults->setColumnWidth(FileColumn, 180);
    FindResults->setColumnWidth(LineColumn, 50);
    layout->addWidget(FindResults, 1);

    typing_ = new QTimer(this);
    typing_->setSingleShot(true);
    typing_->setInterval(kTypingPause);
    connect(typing_, &QTimer::timeout, this, &FindPanel::startSearch);
    connect(FindText, &QLineEdit::textChanged, this, [this] {
        runner_.cancel();
        typing_->start();
    });
    FindText->installEventFilter(this);
    FindResults->installEventFilter(this);
    connect(FindResults, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { showHit(FindResults->indexOfTopLevelItem(item)); });
    connect(FindResults, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { showHit(FindResults->indexOfTopLevelItem(item)); });
    connect(close, &QToolButton::clicked, this, &FindPanel::closeRequested);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &FindPanel::closeRequested);
}

bool FindPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Enter chooses a hit here and goes no further. Passed on, it reached the
    // window after a hit refused during a test had handed the keyboard back to
    // the scale, and pressed Next Lie there.
    const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
    if (!key || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (watched != FindText && watched != FindResults))
        return QWidget::eventFilter(watched, event);
    QTreeWidgetItem *item = watched == FindText ? FindResults->topLevelItem(0) : FindResults->currentItem();
    if (item) {
        FindResults->setCurrentItem(item);
        showHit(FindResults->indexOfTopLevelItem(item));
    }
    return true;
}

FindPanel::~FindPanel()
{
    // Before the members go: a search still running must not deliver into them.
    runner_.cancel();
    runner_.wait();
}

void FindPanel::focusField()
{
    FindText->setFocus(Qt::ShortcutFocusReason);
    FindText->selectAll();
}

void FindPanel::startSearch()
{
    const std::string query = utf8Bytes(FindText->text());
    if (query.empty()) {
        showResult(FindResult{});
        return;
    }
    FindStatus->setText("Searching...");
    QPointer<FindPanel> self(this);
    runner_.start(ctx_.state.lieFolder, query, [self](FindResult result) {
        // From the search's thread to the window's.
        QMetaObject::invokeMethod(
            self.data(),
            [self, result = std::move(result)] {
                if (self)
                    self->showResult(result);
            },
            Qt::QueuedConnection);
    });
}

void FindPanel::showResult(const FindResult &result)
{
    if (result.query != utf8Bytes(FindText->text()))
        return; // the text changed meanwhile; its own search follows
    hits_ = result.hits;
    FindResults->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(hits_.size()));
    std::set<std::string> files;
    for (const FindHit &hit : hits_) {
        files.insert(hit.fileName);
        auto *item = new QTreeWidgetItem;
        item->setText(FileColumn, textFromBytes(hit.fileName));
        item->setText(LineColumn, QString::number(hit.line));
        item->setTextAlignment(LineColumn, Qt::AlignRight | Qt::AlignVCenter);
        // Where the line goes on beyond the piece shown, as the text area's note does.
        const QString before = (hit.cutBefore ? QString(kCutMark) : QString()) + QString::fromUtf8(hit.before);
        const QString after = QString::fromUtf8(hit.after) + (hit.cutAfter ? QString(kCutMark) : QString());
        item->setText(TextColumn, before + QString::fromUtf8(hit.match) + after);
        item->setToolTip(TextColumn, item->text(TextColumn));
        items.append(item);
    }
    FindResults->addTopLevelItems(items);
    QString status;
    if (result.query.empty())
        status.clear();
    else if (hits_.empty())
        status = "Not found";
    else if (result.truncated)
        status = QString("The first %1 matches").arg(hits_.size());
    else
        status = QString("%1 in %2 %3")
                     .arg(hits_.size() == 1 ? QString("1 match") : QString("%1 matches").arg(hits_.size()))
                     .arg(files.size())
                     .arg(files.size() == 1 ? "file" : "files");
    if (!result.unreadable.empty()) {
        QStringList names;
        for (const auto &name : result.unreadable)
            names.append(textFromBytes(name));
        const QString note = QString(names.size() == 1 ? kUnreadableOne : kUnreadableMany)
                                 .arg(names.size())
                                 .arg(names.join(QStringLiteral(", ")));
        status = status.isEmpty() ? note : status + QStringLiteral("; ") + note;
    }
    FindStatus->setText(status);
    FindStatus->setToolTip(status);
    emit searched();
}

void FindPanel::showHit(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= hits_.size())
        return;
    showFindHit(ctx_, hits_[static_cast<std::size_t>(index)]);
}

void FindPanel::showEvent(QShowEvent *event)
{
    // Made the first time the panel shows: its icon loads the image and icon
    // theme machinery, a good part of start-up for a panel most runs never open.
    if (!FindText->isClearButtonEnabled()) {
        FindText->setClearButtonEnabled(true);
        nameClearButton(FindText);
    }
    QWidget::showEvent(event);
}

FindDock::FindDock(Context &ctx, QMainWindow *window, QWidget *textArea, QWidget *scale)
    : QDockWidget("Find", window), state_(ctx.state), panel_(new FindPanel(ctx, this)), textArea_(textArea),
      scale_(scale)
{
    setObjectName("FindDock");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    setWidget(panel_);
    window->addDockWidget(Qt::BottomDockWidgetArea, this);
    hide();
    connect(panel_, &FindPanel::closeRequested, this, &FindDock::close);
}

void FindDock::open()
{
    show();
    raise();
    panel_->focusField();
}

void FindDock::close()
{
    // Back to the text being read rather than to whatever widget follows the
    // panel in the focus chain.
    const bool focusInside = isAncestorOf(QApplication::focusWidget());
    hide();
    if (!focusInside)
        return;
    if (state_.run.running && scale_->isVisible())
        scale_->setFocus(Qt::OtherFocusReason);
    else if (textArea_->isVisible())
        textArea_->setFocus(Qt::OtherFocusReason);
}

bool FindDock::escapeCloses(const QWidget *focused) const
{
    return isVisible() && (focused == textArea_ || isAncestorOf(focused));
}

} // namespace varnok
