#include "gui/FileListModel.h"

#include <QApplication>
#include <QStyle>
#include <unordered_map>
#include <utility>
#include <vector>

#include "documents/conflicts.h"
#include "gui/bytetext.h"

namespace varnok {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list_.count();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= list_.count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return textFromBytes(list_.name(index.row()));
    case Qt::DecorationRole:
        if (conflicts_.contains(index.row()))
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        break;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (conflicts_.contains(index.row()))
            return conflicts_.value(index.row());
        break;
    default:
        break;
    }
    return {};
}

void FileListModel::findConflicts()
{
    conflicts_.clear();
    // Most folders hold no copies at all: the names of a hundred thousand
    // documents are only looked up once there is a copy to place.
    std::vector<std::pair<int, ConflictCopy>> copies;
    for (int row = 0; row < list_.count(); ++row)
        if (auto copy = parseConflictCopy(list_.name(row)))
            copies.emplace_back(row, std::move(*copy));
    if (copies.empty())
        return;
    // Names in lower case, for the files the copies belong to.
    std::unordered_map<std::string, int> rows;
    for (int row = 0; row < list_.count(); ++row) {
        std::string folded = list_.name(row);
        for (char &c : folded)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        rows.emplace(std::move(folded), row);
    }
    for (const auto &[row, copy] : copies) {
        conflicts_.insert(row, textFromBytes(conflictCopyHint(copy)));
        std::string folded = copy.mainName;
        for (char &c : folded)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (const auto main = rows.find(folded); main != rows.end())
            conflicts_.insert(main->second, textFromBytes(conflictNoteText(copy)));
    }
}

void FileListModel::reset()
{
    beginResetModel();
    findConflicts();
    endResetModel();
}

} // namespace varnok
