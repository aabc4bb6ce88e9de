#pragma once

#include <string>
#include <vector>

namespace varnok {

// One of the three lists of the main window: the bare names of the files of the
// lie folder that match its mask, in list order, and which of them are selected.
class FileList {
public:
    explicit FileList(std::string mask) : mask_(std::move(mask)) {}

    const std::string &mask() const { return mask_; }
    void setMask(std::string mask) { mask_ = std::move(mask); }

    // Lists the folder anew; this clears the selection.
    void reread(const std::string &folder);
    // Lists the folder anew keeping the selected names that are still there,
    // for changes made outside the program. True when anything changed.
    bool refresh(const std::string &folder);
    // Selects the entries of these names; names not listed are passed over.
    void selectNames(const std::vector<std::string> &names);

    int count() const { return static_cast<int>(names_.size()); }
    const std::string &name(int index) const { return names_[static_cast<std::size_t>(index)]; }
    const std::vector<std::string> &names() const { return names_; }

    bool isSelected(int index) const { return selected_[static_cast<std::size_t>(index)] != 0; }
    void setSelected(int index, bool on) { selected_[static_cast<std::size_t>(index)] = on ? 1 : 0; }
    void selectAll();
    void clearSelection();
    int selectedCount() const;
    // The selected names in list order.
    std::vector<std::string> selectedNames() const;

    // For tests and for lists built by hand.
    void setNames(std::vector<std::string> names);

private:
    std::string mask_;
    std::vector<std::string> names_;
    std::vector<char> selected_;
};

} // namespace varnok
