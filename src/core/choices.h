#pragma once

#include <optional>
#include <string>

namespace varnok {

// The pages of the main window and the file lists, which the logic switches
// and fills without knowing the window.
enum class Page { Ask, Essays, Lies, Tests, Options };
enum class ListId { Lies, Essays, Tests };

// The file list a page shows; none for Start Here and Program Options.
constexpr std::optional<ListId> listOfPage(Page page)
{
    switch (page) {
    case Page::Lies:
        return ListId::Lies;
    case Page::Essays:
        return ListId::Essays;
    case Page::Tests:
        return ListId::Tests;
    case Page::Ask:
    case Page::Options:
        break;
    }
    return std::nullopt;
}

// What a person chooses in the dialogs the logic opens through Ui.
enum class TestChoice { Full, Sample, UseSelected, Cancel };
enum class EssayType { EssayResponses, PlainText };
enum class SaveAnswer { Save, Discard, Cancel };
// OK in the built-in editor after another program changed the file: keep what
// is on disk and the person's text as well (joined or beside it), replace the
// file with the person's text, or go back to the edit.
enum class ChangedFileAnswer { KeepBoth, Replace, KeepEditing };

// A conflict copy beside its file: keep the file, keep the copy in its place,
// or join the copy's blocks the file lacks.
enum class ConflictChoice { KeepMain, KeepCopy, Join, Cancel };
struct ConflictView {
    std::string mainName;
    std::string mainText; // texts with "\n" line ends
    std::string copyName;
    std::string copyText;
    std::string copyHint;
    std::string joinedText;
};

struct RenameAnswer {
    std::string from;
    std::string to;
};

} // namespace varnok
