#include "gui/FileListModel.h"

#include "gui/bytetext.h"

namespace varnok {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list_.count();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= list_.count())
        return {};
    return textFromBytes(list_.name(index.row()));
}

void FileListModel::reset()
{
    beginResetModel();
    endResetModel();
}

} // namespace varnok
