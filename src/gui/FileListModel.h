#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include "core/filelist.h"

namespace varnok {

// Shows one of the program's file lists; the names stay in the logic's list.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    FileListModel(FileList &list, QObject *parent) : QAbstractListModel(parent), list_(list) { findConflicts(); }
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The logic changed the list: every row may be new.
    void reset();

private:
    void findConflicts();

    FileList &list_;
    // By row: what the list says of a conflict copy or of a file that has
    // one; rows without either are missing.
    QHash<int, QString> conflicts_;
};

} // namespace varnok
