#pragma once

#include <QAbstractListModel>

#include "core/filelist.h"

namespace varnok {

// Shows one of the program's file lists; the names stay in the logic's list.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    FileListModel(FileList &list, QObject *parent) : QAbstractListModel(parent), list_(list) {}
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The logic changed the list: every row may be new.
    void reset();

private:
    FileList &list_;
};

} // namespace varnok
