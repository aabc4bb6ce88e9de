#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnok {

// One of the three lists of the main window: the bare names of the files of the
// lie folder that match its mask, in list order, and which of them are selected.
class FileList {
public:
    explicit FileList(std::string mask) : mask_(std::move(mask)) {}

    const std::string &mask() const { return mask_; }
    void setMask(std::string mask)
    {
        mask_ = std::move(mask);
        touchNames();
    }

    // Changes with every change of the names, the mask or the selection, and
    // differs between lists: a reading made aside tells by it whether the
    // list is still as it was when the reading began.
    std::uint64_t stamp() const { return stamp_; }
    // The same for changes of the names or the mask only.
    std::uint64_t namesStamp() const { return namesStamp_; }

    // Lists the folder anew; this clears the selection.
    void reread(const std::string &folder);
    // Lists the folder anew keeping the selected names that are still there,
    // for changes made outside the program. True when anything changed.
    bool refresh(const std::string &folder);
    // The same from the folder's files read once for several lists, in any
    // order; the names this list's mask does not match are passed over.
    void rereadFrom(const std::vector<std::string> &files);
    bool refreshFrom(const std::vector<std::string> &files);
    // Selects the entries of these names; names not listed are passed over.
    void selectNames(const std::vector<std::string> &names);
    // Selects the names other has selected, as a re-read of the folder made
    // aside comes in. False when that leaves the list as other is.
    bool takeSelection(const FileList &other);

    int count() const { return static_cast<int>(names_.size()); }
    const std::string &name(int index) const { return names_[static_cast<std::size_t>(index)]; }
    const std::vector<std::string> &names() const { return names_; }

    bool isSelected(int index) const { return selected_[static_cast<std::size_t>(index)] != 0; }
    void setSelected(int index, bool on)
    {
        selected_[static_cast<std::size_t>(index)] = on ? 1 : 0;
        touch();
    }
    void selectAll();
    void clearSelection();
    int selectedCount() const;
    // The selected names in list order.
    std::vector<std::string> selectedNames() const;

    // For tests and for lists built by hand.
    void setNames(std::vector<std::string> names);

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void touch();
    void touchNames();
    bool update(const std::vector<std::string> &files, bool keepSelection);
    // The index in the list of each of these names, kNone for a new one.
    std::vector<std::size_t> findListed(const std::vector<const std::string *> &listed) const;

    std::string mask_;
    std::vector<std::string> names_;
    std::vector<char> selected_;
    // The collation's key of each name, made when the name first shows: a
    // re-read sorts only the names that are new. Empty for a list set by hand.
    std::vector<std::string> keys_;
    // The names in the order the folder gave them last, each ended by a NUL,
    // and where each starts and stands in the list: a re-read that finds the
    // folder as it was compares bytes in a row instead of looking names up.
    std::string folderNames_;
    struct FolderEntry {
        std::size_t offset;
        std::size_t index;
    };
    std::vector<FolderEntry> folderOrder_;
    std::uint64_t stamp_ = 0;
    std::uint64_t namesStamp_ = 0;
};

} // namespace varnok
