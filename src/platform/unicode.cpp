#include "platform/unicode.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace varnok {

namespace {

// Length of the valid UTF-8 sequence at pos, or 0.
std::size_t utf8SequenceAt(std::string_view s, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(pos);
    if (c < 0x80)
        return 1;
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0)
            lo = 0xA0;
        if (c == 0xED)
            hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (pos + need >= s.size())
        return 0;
    for (std::size_t k = 1; k <= need; ++k) {
        const unsigned char b = byte(pos + k);
        const unsigned char low = k == 1 ? lo : 0x80;
        const unsigned char high = k == 1 ? hi : 0xBF;
        if (b < low || b > high)
            return 0;
    }
    return need + 1;
}

bool isEven(char32_t c)
{
    return (c & 1U) == 0;
}

} // namespace

bool isUtf8Text(std::string_view bytes)
{
    std::size_t pos = 0;
    const std::size_t n = bytes.size();
    while (pos < n) {
        // Plain ASCII runs, eight bytes at a time: most journals are mostly ASCII.
        while (pos + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + pos, 8);
            if (word & 0x8080808080808080ULL)
                break;
            pos += 8;
        }
        if (pos >= n)
            break;
        const std::size_t len = utf8SequenceAt(bytes, pos);
        if (len == 0)
            return false;
        pos += len;
    }
    return true;
}

void Utf8Check::add(std::string_view piece)
{
    if (!valid_ || piece.empty())
        return;
    std::string text = std::move(carry_);
    text.append(piece);
    carry_.clear();
    // A lead byte among the last three whose character runs past the end
    // waits for the next piece.
    std::size_t lead = text.size() - 1;
    while (lead > 0 && text.size() - lead < 4 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80)
        --lead;
    const auto c = static_cast<unsigned char>(text[lead]);
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::size_t complete = text.size();
    if (lead + length > text.size()) {
        complete = lead;
        carry_ = text.substr(lead);
    }
    valid_ = isUtf8Text(std::string_view(text).substr(0, complete));
}

bool Utf8Check::valid() const
{
    return valid_ && (carry_.empty() || isUtf8Text(carry_));
}

char32_t decodeUtf8At(std::string_view bytes, std::size_t &pos)
{
    const std::size_t len = utf8SequenceAt(bytes, pos);
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[i])); };
    char32_t c;
    switch (len) {
    case 2:
        c = ((byte(pos) & 0x1F) << 6) | (byte(pos + 1) & 0x3F);
        break;
    case 3:
        c = ((byte(pos) & 0x0F) << 12) | ((byte(pos + 1) & 0x3F) << 6) | (byte(pos + 2) & 0x3F);
        break;
    case 4:
        c = ((byte(pos) & 0x07) << 18) | ((byte(pos + 1) & 0x3F) << 12) | ((byte(pos + 2) & 0x3F) << 6) |
            (byte(pos + 3) & 0x3F);
        break;
    default:
        c = byte(pos);
        pos += 1;
        return c;
    }
    pos += len;
    return c;
}

std::u32string decodeText(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    if (isUtf8Text(bytes)) {
        std::size_t pos = 0;
        while (pos < bytes.size())
            text += decodeUtf8At(bytes, pos);
    } else {
        for (char c : bytes)
            text += static_cast<char32_t>(static_cast<unsigned char>(c));
    }
    return text;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        appendUtf8(out, c);
    return out;
}

std::string latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c < 0x100) {
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
            return c + 32;
        return c == 0xB5 ? char32_t{0x3BC} : c;
    }
    if (c < 0x180) {
        // Dotted capital I and the long s fold to ASCII only with full
        // folding; they stay as they are here.
        if ((c <= 0x12F || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && isEven(c))
            return c + 1;
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && !isEven(c))
            return c + 1;
        return c == 0x178 ? char32_t{0xFF} : c;
    }
    if (c >= 0x218 && c <= 0x21B) // Romanian comma letters
        return isEven(c) ? c + 1 : c;
    if (c >= 0x370 && c < 0x400) {
        if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB))
            return c + 32;
        switch (c) {
        case 0x386:
            return 0x3AC;
        case 0x388:
        case 0x389:
        case 0x38A:
            return c + 37;
        case 0x38C:
            return 0x3CC;
        case 0x38E:
        case 0x38F:
            return c + 63;
        case 0x3C2: // final sigma
            return 0x3C3;
        default:
            return c;
        }
    }
    if (c >= 0x400 && c < 0x530) {
        if (c <= 0x40F)
            return c + 80;
        if (c <= 0x42F)
            return c + 32;
        if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) && isEven(c))
            return c + 1;
        if (c >= 0x4C1 && c <= 0x4CE && !isEven(c))
            return c + 1;
        return c == 0x4C0 ? char32_t{0x4CF} : c;
    }
    if (c >= 0x531 && c <= 0x556) // Armenian
        return c + 48;
    if (c >= 0x1E00 && c <= 0x1EFF) {
        if (c == 0x1E9E)
            return 0xDF;
        if ((c <= 0x1E95 || c >= 0x1EA0) && isEven(c))
            return c + 1;
    }
    return c;
}

std::u32string baseLetters(char32_t c)
{
    c = foldCase(c);
    if (c < 0x80)
        return std::u32string(1, c);
    if (c >= 0xE0 && c <= 0xFF) {
        // à..ÿ; "*" keeps the character itself.
        static constexpr char kLatin1[] = "aaaaaaAceeeeiiiidnooooo*ouuuuyTy";
        static_assert(sizeof kLatin1 == 0x20 + 1);
        const char base = kLatin1[c - 0xE0];
        if (base == 'A')
            return U"ae";
        if (base == 'T')
            return U"th";
        if (base != '*')
            return std::u32string(1, static_cast<char32_t>(base));
    }
    if (c == 0xDF)
        return U"ss";
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs of capital and small letter, one base letter for each; "I" is
        // the ligature ij, "O" the ligature oe.
        static constexpr char kLatinA[] =
            "aaaaaa"
            "cccccccc"
            "dddd"
            "eeeeeeeeee"
            "gggggggg"
            "hhhh"
            "iiiiiiiiii"
            "II"
            "jj"
            "kkk"
            "llllllllll"
            "nnnnnnnnn"
            "oooooo"
            "OO"
            "rrrrrr"
            "ssssssss"
            "tttttt"
            "uuuuuuuuuuuu"
            "ww"
            "yyy"
            "zzzzzz"
            "s";
        static_assert(sizeof kLatinA == 0x80 + 1);
        const char base = kLatinA[c - 0x100];
        if (base == 'I')
            return U"ij";
        if (base == 'O')
            return U"oe";
        return std::u32string(1, static_cast<char32_t>(base));
    }
    if (c >= 0x218 && c <= 0x21B)
        return c <= 0x219 ? U"s" : U"t";
    switch (c) {
    case 0x3AC:
        return U"\u03B1";
    case 0x3AD:
        return U"\u03B5";
    case 0x3AE:
        return U"\u03B7";
    case 0x3AF:
    case 0x3CA:
    case 0x390:
        return U"\u03B9";
    case 0x3CC:
        return U"\u03BF";
    case 0x3CD:
    case 0x3CB:
    case 0x3B0:
        return U"\u03C5";
    case 0x3CE:
        return U"\u03C9";
    default:
        return std::u32string(1, c);
    }
}

} // namespace varnok
