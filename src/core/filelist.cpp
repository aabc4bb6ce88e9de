#include "core/filelist.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/collate.h"
#include "platform/files.h"

namespace varnok {

void FileList::touch()
{
    // Lists are read aside on other threads, so the stamps come from one
    // counter for all of them.
    static std::atomic<std::uint64_t> counter{0};
    stamp_ = counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void FileList::touchNames()
{
    touch();
    namesStamp_ = stamp_;
}

void FileList::reread(const std::string &folder)
{
    update(listFolderUnordered(folder, mask_), false);
}

bool FileList::refresh(const std::string &folder)
{
    return update(listFolderUnordered(folder, mask_), true);
}

void FileList::rereadFrom(const std::vector<std::string> &files)
{
    update(files, false);
}

bool FileList::refreshFrom(const std::vector<std::string> &files)
{
    return update(files, true);
}

bool FileList::update(const std::vector<std::string> &files, bool keepSelection)
{
    touchNames();
    if (keys_.size() != names_.size()) {
        // A list set by hand may be in any order: it is sorted afresh.
        const std::vector<std::string> before = names_;
        const std::vector<std::string> kept = keepSelection ? selectedNames() : std::vector<std::string>{};
        names_.clear();
        selected_.clear();
        keys_.clear();
        folderNames_.clear();
        folderOrder_.clear();
        update(files, false);
        selectNames(kept);
        return names_ != before;
    }

    std::vector<const std::string *> listed;
    listed.reserve(files.size());
    for (const std::string &name : files)
        if (matchesMask(name, mask_))
            listed.push_back(&name);
    const std::vector<std::size_t> known = findListed(listed);

    // The names still there keep their places relative to each other (the
    // order is total), so only the new ones are sorted, then merged in.
    // Sorted as views: swapping them moves no bytes of the keys.
    std::vector<std::string> addedKeys;
    struct Added {
        std::string_view key;
        std::size_t file; // in listed
        std::size_t slot; // in addedKeys
    };
    std::vector<Added> added;
    std::vector<std::size_t> fileOfName(names_.size(), kNone);
    const NameCollator &collator = NameCollator::user();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (known[i] == kNone)
            addedKeys.push_back(collator.sortKey(*listed[i]));
        else
            fileOfName[known[i]] = i;
    }
    added.reserve(addedKeys.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (known[i] == kNone)
            added.push_back({addedKeys[added.size()], i, added.size()});
    const std::size_t stayCount = listed.size() - added.size();
    std::sort(added.begin(), added.end(), [](const Added &a, const Added &b) { return a.key < b.key; });
    if (!keepSelection)
        clearSelection();
    const bool changed = !added.empty() || stayCount != names_.size();

    std::vector<std::string> names, keys;
    std::vector<char> selected;
    std::vector<std::size_t> placeOfFile(listed.size());
    if (changed) {
        names.reserve(listed.size());
        keys.reserve(listed.size());
        selected.reserve(listed.size());
        std::size_t old = 0;
        auto next = added.begin();
        while (true) {
            while (old < names_.size() && fileOfName[old] == kNone)
                ++old;
            const bool oldLeft = old < names_.size();
            if (!oldLeft && next == added.end())
                break;
            if (next != added.end() && (!oldLeft || next->key < keys_[old])) {
                placeOfFile[next->file] = names.size();
                names.push_back(*listed[next->file]);
                keys.push_back(std::move(addedKeys[next->slot]));
                selected.push_back(0);
                ++next;
            } else {
                placeOfFile[fileOfName[old]] = names.size();
                names.push_back(std::move(names_[old]));
                keys.push_back(std::move(keys_[old]));
                selected.push_back(selected_[old]);
                ++old;
            }
        }
        names_ = std::move(names);
        keys_ = std::move(keys);
        selected_ = std::move(selected);
    } else {
        placeOfFile = known;
    }

    // The folder lists its names in the same order next time, as a rule.
    folderNames_.clear();
    folderOrder_.clear();
    folderOrder_.reserve(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        folderOrder_.push_back({folderNames_.size(), placeOfFile[i]});
        folderNames_ += *listed[i];
        folderNames_ += '\0';
    }
    return changed;
}

std::vector<std::size_t> FileList::findListed(const std::vector<const std::string *> &listed) const
{
    // Walks the folder's names beside those it gave last time: as a rule they
    // match one for one, with a name added or gone here and there. A name met
    // where it was not expected is looked up among the names not yet met.
    std::vector<std::size_t> known(listed.size(), kNone);
    std::vector<char> met(names_.size(), 0);
    const auto wasAt = [&](std::size_t place, const std::string &name) {
        const std::size_t offset = folderOrder_[place].offset;
        if (offset + name.size() >= folderNames_.size())
            return false;
        const char *before = folderNames_.data() + offset;
        return std::memcmp(before, name.data(), name.size()) == 0 && before[name.size()] == '\0';
    };
    // A name is in the list at most once, so the leftovers are few.
    constexpr std::size_t kLookAhead = 4;
    std::size_t place = 0;
    std::vector<std::size_t> unmatched;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        std::size_t skip = 0;
        while (skip < kLookAhead && place + skip < folderOrder_.size() && !wasAt(place + skip, *listed[i]))
            ++skip;
        if (skip < kLookAhead && place + skip < folderOrder_.size()) {
            const std::size_t index = folderOrder_[place + skip].index;
            known[i] = index;
            met[index] = 1;
            place += skip + 1;
        } else {
            unmatched.push_back(i);
        }
    }
    if (unmatched.empty())
        return known;
    std::unordered_map<std::string_view, std::size_t> others;
    for (std::size_t index = 0; index < names_.size(); ++index)
        if (!met[index])
            others.emplace(names_[index], index);
    for (std::size_t i : unmatched)
        if (const auto found = others.find(*listed[i]); found != others.end())
            known[i] = found->second;
    return known;
}

void FileList::selectNames(const std::vector<std::string> &names)
{
    touch();
    const std::unordered_set<std::string> wanted(names.begin(), names.end());
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (wanted.count(names_[i]))
            selected_[i] = 1;
}

void FileList::setNames(std::vector<std::string> names)
{
    touchNames();
    names_ = std::move(names);
    selected_.assign(names_.size(), 0);
    keys_.clear();
    folderNames_.clear();
    folderOrder_.clear();
}

bool FileList::takeSelection(const FileList &other)
{
    touch();
    bool same = names_.size() == other.names_.size();
    const auto take = [&](std::size_t i, std::size_t j) {
        const bool shared = j < other.names_.size() && other.names_[j] == names_[i];
        selected_[i] = shared ? other.selected_[j] : 0;
        same = same && shared && i == j && selected_[i] == other.selected_[j];
        return shared;
    };
    if (keys_.size() == names_.size() && other.keys_.size() == other.names_.size()) {
        // Both in list order: a walk side by side finds the names they share.
        std::size_t j = 0;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            while (j < other.names_.size() && other.keys_[j] < keys_[i])
                ++j;
            if (take(i, j))
                ++j;
        }
    } else {
        std::unordered_map<std::string_view, std::size_t> places;
        for (std::size_t j = 0; j < other.names_.size(); ++j)
            places.emplace(other.names_[j], j);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const auto found = places.find(names_[i]);
            take(i, found == places.end() ? other.names_.size() : found->second);
        }
    }
    return !same;
}

void FileList::selectAll()
{
    touch();
    std::fill(selected_.begin(), selected_.end(), 1);
}

void FileList::clearSelection()
{
    touch();
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
