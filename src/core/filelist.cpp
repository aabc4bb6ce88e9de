#include "core/filelist.h"

#include <algorithm>
#include <unordered_set>

#include "platform/files.h"

namespace varnok {

void FileList::reread(const std::string &folder)
{
    setNames(listFolder(folder, mask_));
}

bool FileList::refresh(const std::string &folder)
{
    std::vector<std::string> names = listFolder(folder, mask_);
    if (names == names_)
        return false;
    const std::vector<std::string> kept = selectedNames();
    setNames(std::move(names));
    selectNames(kept);
    return true;
}

void FileList::selectNames(const std::vector<std::string> &names)
{
    const std::unordered_set<std::string> wanted(names.begin(), names.end());
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (wanted.count(names_[i]))
            selected_[i] = 1;
}

void FileList::setNames(std::vector<std::string> names)
{
    names_ = std::move(names);
    selected_.assign(names_.size(), 0);
}

void FileList::selectAll()
{
    std::fill(selected_.begin(), selected_.end(), 1);
}

void FileList::clearSelection()
{
    std::fill(selected_.begin(), selected_.end(), 0);
}

int FileList::selectedCount() const
{
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

std::vector<std::string> FileList::selectedNames() const
{
    std::vector<std::string> result;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (selected_[i])
            result.push_back(names_[i]);
    return result;
}

} // namespace varnok
