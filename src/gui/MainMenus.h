#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "core/context.h"

class QAction;
class QMainWindow;

namespace varnok {

class THelpForm;

// The main window's menu bar: File, Edit and Help with their keys. The Edit
// menu's commands act on the list of the page showing.
class MainMenus : public QObject {
    Q_OBJECT
public:
    // What the window itself does for a menu entry.
    struct WindowActions {
        std::function<void()> openLieSet;
        std::function<void()> showFind;
        std::function<void()> exportReport;
        std::function<void()> printReport;
    };
    MainMenus(QMainWindow *window, Context &ctx, WindowActions actions);

    // The Edit menu's entries as the page showing and the state allow them now.
    void updateEditActions();

private:
    void createFileMenu();
    void createEditMenu();
    void createHelpMenu();
    std::optional<ListId> shownList() const;
    void renameInList();
    void selectAllInList();
    void readme();
    void about();

    QMainWindow *window_;
    Context &ctx_;
    WindowActions actions_;
    QAction *UndoDelete1 = nullptr;
    QAction *Delete1 = nullptr;
    QAction *Rename1 = nullptr;
    QAction *SelectAll1 = nullptr;
    QPointer<THelpForm> helpForm_;
};

} // namespace varnok
