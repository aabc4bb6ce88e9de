#pragma once

#include <QObject>
#include <functional>

#include "core/context.h"
#include "platform/folderwatch.h"

class QSocketNotifier;
class QTimer;

namespace varnok {

// Keeps the lists current while other programs (an editor, a sync tool) add,
// remove or rename files in the lie folder.
class FolderFollower : public QObject {
public:
    FolderFollower(Context &ctx, QObject *parent);

    // Follows the lie folder the state names now, if it is another.
    void followLieFolder();
    // Reads the lists again beside the window's loop; false when the window
    // cannot, and they are read at once.
    std::function<bool()> refreshAside;

private:
    void changed();
    void refresh();

    Context &ctx_;
    FolderWatch watch_;
    QSocketNotifier *notifier_ = nullptr;
    // Gathers the changes of a moment (a sync tool writing many files) into one re-read.
    QTimer *settle_ = nullptr;
};

} // namespace varnok
