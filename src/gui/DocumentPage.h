#pragma once

#include <QWidget>
#include <string>
#include <functional>

#include "core/context.h"

class QCheckBox;
class QListView;
class QPushButton;

namespace varnok {

class FileListModel;

// The Essays, Lies and Tests pages: a column of buttons beside one file list.
// The list's selection is the logic's: the page mirrors it both ways. Buttons
// that run a command of the logic are wired here; the few that open another
// window are the main window's.
class DocumentPage : public QWidget {
    Q_OBJECT
public:
    DocumentPage(ListId id, Context &ctx, QWidget *parent = nullptr);

    QListView *listView() const { return list_; }
    QPushButton *button(const char *name) const;
    QPushButton *renameButton() const { return rename_; }
    // The logic changed the names or the selection.
    void listChanged();
    // Runs before each of the page's commands: the window finishes what a
    // command must find in place (the lists still being read after start-up).
    std::function<void()> beforeCommand;

private:
    // Only the Essays page has them: which kinds of file the list shows.
    void addShowFilters(QWidget *column);
    void syncSelectionToView();
    void syncSelectionFromView();

    Context &ctx_;
    FileList &files_;
    QListView *list_;
    FileListModel *model_;
    QPushButton *rename_ = nullptr;
    bool syncingSelection_ = false;
    // The name at the view's current row: a re-read puts the current row, from
    // which the keyboard and Shift+click go on, back on it.
    std::string currentName_;
};

} // namespace varnok
