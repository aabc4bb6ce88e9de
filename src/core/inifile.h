#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnok {

// A settings file in the usual INI form, kept as its lines so that writing one
// key changes only that key's line: sections, keys and comments the program
// does not know about stay exactly as they were.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string_view text);

    // Loads a file; a missing or unreadable file gives an empty one.
    static IniFile load(const std::string &path);

    // The value of a key, up to 1023 characters; empty when missing.
    std::optional<std::string> readString(std::string_view section, std::string_view key) const;
    // A decimal or "0x" hexadecimal value; the default when missing or unparsable.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Replaces the key's value, adding the section or the key when missing.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    // Every key of the file with its section, in file order.
    std::vector<Entry> entries() const;

    std::string text() const;
    bool save(const std::string &path) const;

private:
    struct Position {
        std::size_t sectionLine; // npos when the section is missing
        std::size_t keyLine;     // npos when the key is missing
        std::size_t insertAt;    // where a missing key goes
    };
    Position find(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;
    std::string_view lineEnd_ = "\r\n";
    // Everything from a NUL byte on: not read, but written back as it was.
    std::string tail_;
    // Written back as it was read.
    bool byteOrderMark_ = false;
};

// Reads an INI integer: optional blanks and sign, then decimal digits or "0x"
// and hexadecimal digits, within 32 bits.
std::optional<int> parseIniInteger(std::string_view text);

} // namespace varnok
