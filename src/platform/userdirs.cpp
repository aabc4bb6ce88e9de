#include "platform/userdirs.h"

#include <algorithm>
#include <cstdlib>

#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

namespace {

constexpr std::string_view kDocumentsKey = "XDG_DOCUMENTS_DIR";
constexpr std::string_view kHomeVariable = "$HOME";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The value of one line, shell-quoted as xdg-user-dirs writes it; backslash
// escapes the next character.
std::optional<std::string> quotedValue(std::string_view value)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return std::nullopt;
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

} // namespace

std::optional<std::string> documentsFolderFor(std::string_view userDirs, const std::optional<std::string> &home)
{
    if (!home || home->empty())
        return std::nullopt;
    const std::string homeFolder = withTrailingSeparator(*home);
    std::optional<std::string> found;
    for (const auto &line : splitLines(userDirs)) {
        std::string_view text = trimmed(line);
        if (!text.starts_with(kDocumentsKey))
            continue;
        text = trimmed(text.substr(kDocumentsKey.size()));
        if (!text.starts_with('='))
            continue;
        auto value = quotedValue(trimmed(text.substr(1)));
        if (!value)
            continue;
        // The last line wins, as when the shell reads the file.
        if (value->starts_with(kHomeVariable) &&
            (value->size() == kHomeVariable.size() || (*value)[kHomeVariable.size()] == kSeparator))
            found = homeFolder + value->substr(std::min(value->size(), kHomeVariable.size() + 1));
        else if (!value->empty() && value->front() == kSeparator)
            found = *value;
    }
    if (!found || found->empty())
        return homeFolder;
    return withTrailingSeparator(*found);
}

std::optional<std::string> userDocumentsFolder()
{
    const auto home = homeFolder();
    if (!home)
        return std::nullopt;
    const char *configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config = configHome && configHome[0] == kSeparator ? withTrailingSeparator(configHome)
                                                                         : withTrailingSeparator(*home) + ".config/";
    std::string bytes;
    if (!readFileBytes(config + "user-dirs.dirs", bytes))
        bytes.clear();
    auto folder = documentsFolderFor(bytes, home);
    if (folder && !folderExists(*folder))
        return withTrailingSeparator(*home);
    return folder;
}

} // namespace varnok
