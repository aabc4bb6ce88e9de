// Fuzz entry for the rich-text reader: any bytes must read without a crash, a
// hang or output out of proportion to the input, and give valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "help/rtfreader.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const varnok::RtfDocument document = varnok::parseRtf(input);
    const std::string text = varnok::rtfPlainText(document);
    const std::string html = varnok::rtfToHtml(document);
    if (!varnok::isValidUtf8(text) || text.size() > 3 * size || html.size() > 16 * size + 256)
        __builtin_trap();
    return 0;
}
