#include "gui/ListFiller.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "app/settingssync.h"
#include "documents/documents.h"
#include "platform/thread.h"

namespace varnok {

namespace {

constexpr int kQuestionPollMs = 50;
// A window not drawn this long after it was shown has its lists read anyway.
constexpr int kUnpaintedMs = 250;

} // namespace

ListFiller::ListFiller(Context &ctx, QObject *parent) : QObject(parent), ctx_(ctx)
{
    wait_ = new QTimer(this);
    wait_->setSingleShot(true);
    wait_->setInterval(kQuestionPollMs);
    connect(wait_, &QTimer::timeout, this, &ListFiller::arrived);
    unpainted_ = new QTimer(this);
    unpainted_->setSingleShot(true);
    unpainted_->setInterval(kUnpaintedMs);
    connect(unpainted_, &QTimer::timeout, this, [this] {
        if (pending_)
            start();
    });
}

ListFiller::~ListFiller()
{
    // The thread holds nothing of the window, only the reading; a window
    // closed at once waits for it here, and what it posts is dropped with
    // this object.
    if (worker_.joinable())
        worker_.join();
}

void ListFiller::startAfterFirstPaint(QWidget *window)
{
    pending_ = true;
    window_ = window;
    window_->installEventFilter(this);
    unpainted_->start();
}

bool ListFiller::eventFilter(QObject *watched, QEvent *event)
{
    // Started once the paint is over, from the loop.
    if (pending_ && watched == window_ && event->type() == QEvent::Paint)
        QTimer::singleShot(0, this, [this] {
            if (pending_)
                start();
        });
    return QObject::eventFilter(watched, event);
}

void ListFiller::start(bool startingUp)
{
    begin(startingUp ? Kind::StartUp : Kind::Reread);
}

void ListFiller::refresh()
{
    if (busy()) {
        refreshAgain_ = true;
        return;
    }
    begin(Kind::Refresh);
}

void ListFiller::refreshIfAsked()
{
    if (std::exchange(refreshAgain_, false))
        begin(Kind::Refresh);
}

void ListFiller::begin(Kind kind)
{
    const bool startingUp = kind == Kind::StartUp;
    if (pending_) {
        pending_ = false;
        unpainted_->stop();
        window_->removeEventFilter(this);
    }
    if (worker_.joinable())
        worker_.join();
    wait_->stop();
    if (beforeReading)
        beforeReading();
    reading_ = std::make_unique<ListsReading>(beginListsReading(ctx_.state));
    reading_->removeStale = startingUp;
    reading_->keepSelection = kind == Kind::Refresh;
    settingsUnmerged_ = settingsUnmerged_ || startingUp;
    if (settingsUnmerged_)
        reading_->alsoMask = kSettingsConflictMask;
    ready_ = false;
    const unsigned serial = ++serial_;
    ListsReading *reading = reading_.get();
    worker_ = startThread([this, reading, serial] {
        // A reading cut short (out of memory) is dropped: the lists stay
        // empty until the next re-read, as they would after a failed one.
        bool complete = true;
        try {
            readLists(*reading);
        } catch (const std::exception &) {
            complete = false;
        }
        complete_ = complete;
        QMetaObject::invokeMethod(
            this,
            [this, serial, complete] {
                if (serial != serial_)
                    return;
                if (!complete) {
                    reading_.reset();
                    refreshIfAsked();
                    return;
                }
                ready_ = true;
                arrived();
            },
            Qt::QueuedConnection);
    });
}

void ListFiller::finish()
{
    if (pending_)
        start();
    if (!reading_)
        return;
    if (worker_.joinable())
        worker_.join();
    // What the thread posted is this reading, applied here and now.
    ++serial_;
    wait_->stop();
    std::unique_ptr<ListsReading> reading = std::move(reading_);
    if (!complete_) {
        refreshIfAsked();
        return;
    }
    apply(std::move(reading));
}

void ListFiller::arrived()
{
    if (!reading_ || !ready_)
        return;
    if (QApplication::activeModalWidget()) {
        wait_->start();
        return;
    }
    if (worker_.joinable())
        worker_.join();
    apply(std::move(reading_));
}

void ListFiller::apply(std::unique_ptr<ListsReading> reading)
{
    const std::vector<std::string> copies = std::move(reading->alsoFound);
    const bool lookedForCopies = !reading->alsoMask.empty();
    const bool sameFolder = reading->folder == ctx_.state.lieFolder;
    runCommand(ctx_, [&] { applyListsReading(ctx_, std::move(*reading)); });
    if (lookedForCopies && settingsUnmerged_) {
        settingsUnmerged_ = false;
        // In another lie folder by now, they are no longer this start's settings.
        if (sameFolder)
            mergeSettingsConflictsFound(ctx_, copies);
    }
    refreshIfAsked();
}

} // namespace varnok
