// Fuzz entry for the two whole-number readers: parseWholeNumber (test sizes,
// limits, responses) and parseIniInteger (settings). Each is held against a
// reading written the plain way with the standard library, and every 32-bit
// value must survive being written and read back.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/inifile.h"
#include "core/text.h"
#include "fuzz/fuzzcheck.h"

namespace {

// Digits of the base only, at least one, as an unsigned value below 2^40.
std::optional<std::uint64_t> digitsValue(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    for (char c : digits) {
        const bool ok = base == 10 ? (c >= '0' && c <= '9')
                                   : ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
        if (!ok)
            return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size() || value > (std::uint64_t{1} << 40))
        return std::nullopt; // far out of range either way
    return value;
}

// Blanks, then a sign or a "$" for hexadecimal giving the 32-bit pattern;
// decimal within the int range.
std::optional<int> wholeNumberReference(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    const bool hex = !text.empty() && text.front() == '$';
    bool negative = false;
    if (hex) {
        text.remove_prefix(1);
    } else if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto value = digitsValue(text, hex ? 16 : 10);
    if (!value)
        return std::nullopt;
    if (hex) {
        if (*value > 0xFFFFFFFFu)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
    }
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(*value) : static_cast<std::int64_t>(*value);
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(signedValue);
}

// Blanks and tabs around, a sign, "0x" for hexadecimal; within the int range.
std::optional<int> iniIntegerReference(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
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
    const auto value = digitsValue(text, base);
    if (!value)
        return std::nullopt;
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(*value) : static_cast<std::int64_t>(*value);
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(signedValue);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    FUZZ_CHECK(varnok::parseWholeNumber(text) == wholeNumberReference(text));
    FUZZ_CHECK(varnok::parseIniInteger(text) == iniIntegerReference(text));

    // The first four bytes as a value: written in every form the program
    // writes or accepts, it reads back.
    if (size >= 4) {
        std::int32_t value;
        std::memcpy(&value, data, sizeof value);
        const std::string decimal = std::to_string(value);
        FUZZ_CHECK(varnok::parseWholeNumber(decimal) == value);
        FUZZ_CHECK(varnok::parseIniInteger(decimal) == value);
        FUZZ_CHECK(varnok::parseIniInteger(" \t" + decimal + "\t ") == value);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<std::uint32_t>(value));
        FUZZ_CHECK(varnok::parseWholeNumber(std::string("$") + hex) == value);
    }
    return 0;
}
