#pragma once

#include <QDialog>

#include "core/context.h"

class QFileSystemModel;
class QLabel;
class QTreeView;

namespace varnok {

// The folder dialog of Open Lie set: a folder tree, OK makes the current
// folder the lie folder, New makes a folder, Cancel changes nothing.
class TfSelFolder : public QDialog {
    Q_OBJECT
public:
    TfSelFolder(Context &ctx, QWidget *parent);
    QString currentFolder() const { return current_; }
    void setCurrentFolder(const QString &folder);

private:
    void BitBtn1Click();
    void BitBtn3Click();

    Context &ctx_;
    QString current_;
    QLabel *Label1 = nullptr;
    QTreeView *DirectoryListBox1 = nullptr;
    QFileSystemModel *model_ = nullptr;
};

} // namespace varnok
