#include "core/text.h"

#include <cstdint>
#include <cstring>
#include <cstdio>

namespace varnok {

std::string dateStamp(const DateTime &t)
{
    int hour = t.hour % 12;
    if (hour == 0)
        hour = 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d%02d%s ", t.year, t.month, t.day, hour, t.minute,
                  t.hour < 12 ? "am" : "pm");
    return buffer;
}

std::optional<int> parseWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    bool hex = false;
    // "$" stands in the sign's place: "+$A" and "-$5" are no numbers.
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    } else if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    }
    if (i >= text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (hex) {
        // Hexadecimal text gives the 32-bit pattern, as on the platform this
        // reader follows.
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string errorReportText(std::string_view text)
{
    std::string report(text);
    if (!report.empty() && static_cast<unsigned char>(report.back()) > static_cast<unsigned char>('.'))
        report += '.';
    return report;
}

std::string formatMessage(std::string_view pattern, std::string_view value)
{
    std::string result(pattern);
    const auto at = result.find("%s");
    if (at != std::string::npos)
        result.replace(at, 2, value);
    return result;
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        // Most text is plain ASCII: eight bytes at a time while it is.
        for (std::uint64_t word = 0; i + sizeof word <= text.size(); i += sizeof word) {
            std::memcpy(&word, text.data() + i, sizeof word);
            if (word & 0x8080808080808080ULL)
                break;
        }
        if (i >= text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string firstChars(std::string_view text, std::size_t n)
{
    if (text.size() <= n)
        return std::string(text);
    if (!isValidUtf8(text))
        return std::string(text.substr(0, n));
    // Count characters, not bytes, so a name never ends in half a character.
    std::size_t i = 0;
    for (std::size_t count = 0; i < text.size() && count < n; ++count) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return std::string(text.substr(0, i));
}

std::string toDecimal(long long value)
{
    return std::to_string(value);
}

} // namespace varnok
