#include "gui/FolderFollower.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "documents/commands.h"

namespace varnok {

namespace {

// A file added outside shows within a second: changes are gathered this long
// from the first of them.
constexpr int kFolderSettle = 150;

} // namespace

FolderFollower::FolderFollower(Context &ctx, QObject *parent) : QObject(parent), ctx_(ctx)
{
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kFolderSettle);
    connect(settle_, &QTimer::timeout, this, &FolderFollower::refresh);
    if (watch_.descriptor() >= 0) {
        notifier_ = new QSocketNotifier(watch_.descriptor(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &FolderFollower::changed);
    }
}

void FolderFollower::followLieFolder()
{
    if (watch_.folder() != ctx_.state.lieFolder)
        watch_.watch(ctx_.state.lieFolder);
}

void FolderFollower::changed()
{
    // Not pushed back by each change: a sync tool writing without a pause
    // would otherwise keep the lists as they were until it stops.
    if (watch_.takeChanges() && !settle_->isActive())
        settle_->start();
}

void FolderFollower::refresh()
{
    // A question on the screen belongs to a command that may still walk the
    // lists it was started on; the lists catch up once it is answered.
    if (QApplication::activeModalWidget()) {
        settle_->start();
        return;
    }
    followLieFolder();
    // A folder of a hundred thousand names takes a while to list.
    if (refreshAside && refreshAside())
        noteLieFolderPresence(ctx_);
    else
        refreshLists(ctx_);
}

} // namespace varnok
