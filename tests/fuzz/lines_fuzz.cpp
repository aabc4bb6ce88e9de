// Fuzz entry for the line reader and the text area's conversions: any bytes
// split into lines that join back to the same text (line ends made CR LF),
// and the text area gives back every byte of a file it can show whole.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "documents/documents.h"
#include "fuzz/fuzzcheck.h"
#include "platform/textfile.h"

namespace {

// The text up to the first NUL, every CR LF, lone CR and lone LF made CR LF,
// and a CR LF after a last line that had none.
std::string normalized(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    return out;
}

bool onlyCrLfBreaks(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const varnok::Lines lines = varnok::splitLines(bytes);
    for (const auto &line : lines)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    const std::string joined = varnok::joinLines(lines);
    FUZZ_CHECK(joined == normalized(bytes));
    FUZZ_CHECK(varnok::splitLines(joined) == lines);

    // The text area: "\n" between lines, the same lines as the reader's.
    const std::string memo = varnok::memoTextFromBytes(bytes);
    FUZZ_CHECK(memo.find_first_of(std::string_view("\r\0", 2)) == std::string::npos);
    FUZZ_CHECK(varnok::splitLines(memo) == lines);
    FUZZ_CHECK(varnok::memoTextFromBytes(varnok::bytesFromMemoText(memo)) == memo);
    // A file without NUL and with CR LF breaks only comes back byte for byte.
    if (bytes.find('\0') == std::string_view::npos && onlyCrLfBreaks(bytes))
        FUZZ_CHECK(varnok::bytesFromMemoText(memo) == bytes);
    return 0;
}
