#include "core/inifile.h"

#include <cstdint>

#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

namespace {

constexpr std::size_t kNone = std::string::npos;
constexpr std::size_t kMaxValue = 1023;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The name of a section header line, or nothing.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

bool isComment(std::string_view line)
{
    line = trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

std::optional<std::pair<std::string_view, std::string_view>> keyValue(std::string_view line)
{
    if (isComment(line))
        return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
}

} // namespace

std::optional<int> parseIniInteger(std::string_view text)
{
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    // A negative value reaches one further: -2147483648 is an int too.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
    std::int64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

IniFile::IniFile(std::string_view text)
{
    // Lines end at a NUL byte, as everywhere; what follows it is kept so that
    // saving never drops bytes of the file.
    const auto nul = text.find('\0');
    if (nul != std::string_view::npos) {
        tail_ = text.substr(nul);
        text = text.substr(0, nul);
    }
    // Editors that save UTF-8 may start the file with a byte order mark; it
    // belongs to no line, and would hide the first section's header.
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    const auto lf = text.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || text[lf - 1] != '\r'))
        lineEnd_ = "\n";
    lines_ = splitLines(text);
}

IniFile IniFile::load(const std::string &path)
{
    std::string bytes;
    if (!readFileBytes(resolveNoCase(path), bytes))
        return IniFile();
    return IniFile(bytes);
}

IniFile::Position IniFile::find(std::string_view section, std::string_view key) const
{
    Position pos{kNone, kNone, kNone};
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionName(lines_[i])) {
            if (inSection)
                break; // keys of a repeated section later in the file are not looked at
            if (equalNoCase(*name, section)) {
                inSection = true;
                pos.sectionLine = i;
                pos.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (const auto kv = keyValue(lines_[i])) {
            pos.insertAt = i + 1;
            if (equalNoCase(kv->first, key)) {
                pos.keyLine = i;
                return pos;
            }
        }
    }
    return pos;
}

std::optional<std::string> IniFile::readString(std::string_view section, std::string_view key) const
{
    const Position pos = find(section, key);
    if (pos.keyLine == kNone)
        return std::nullopt;
    std::string value(keyValue(lines_[pos.keyLine])->second);
    if (value.size() > kMaxValue)
        value.resize(kMaxValue);
    return value;
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const auto text = readString(section, key);
    if (!text)
        return defaultValue;
    return parseIniInteger(*text).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const Position pos = find(section, key);
    if (pos.keyLine != kNone) {
        // Keep the key as it was spelled in the file.
        const std::string_view line = lines_[pos.keyLine];
        const auto eq = line.find('=');
        lines_[pos.keyLine] = std::string(line.substr(0, eq + 1)) + std::string(value);
        return;
    }
    std::string entry = std::string(key) + "=" + std::string(value);
    if (pos.sectionLine != kNone) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos.insertAt), std::move(entry));
        return;
    }
    if (!lines_.empty() && !trim(lines_.back()).empty())
        lines_.emplace_back();
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header += section;
    header += ']';
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(entry));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

std::vector<IniFile::Entry> IniFile::entries() const
{
    std::vector<Entry> out;
    std::string section;
    for (const auto &line : lines_) {
        if (const auto name = sectionName(line))
            section = *name;
        else if (const auto kv = keyValue(line); kv && !section.empty())
            out.push_back({section, std::string(kv->first), std::string(kv->second)});
    }
    return out;
}

std::string IniFile::text() const
{
    std::string out(byteOrderMark_ ? kByteOrderMark : std::string_view());
    for (const auto &line : lines_) {
        out += line;
        out += lineEnd_;
    }
    return out + tail_;
}

bool IniFile::save(const std::string &path) const
{
    return writeFileAtomic(path, text()).ok();
}

} // namespace varnok
