#include "generator/essaytext.h"

#include <utility>

namespace varnok {

namespace {

constexpr std::string_view kTails[] = {"", "  ", "  \r\n", "\r\n"};
constexpr std::string_view kLineEnd = "\r\n";

} // namespace

EssayText::EssayText(std::unique_ptr<const std::string> text, std::vector<std::string_view> pieces)
    : text_(std::move(text)), pieces_(std::move(pieces)), tails_(pieces_.size(), 0)
{
}

void EssayText::keepFirstLines(int n)
{
    if (n >= 0 && static_cast<std::size_t>(n) < lineEnds_.size())
        lineEnds_.resize(static_cast<std::size_t>(n));
}

void EssayText::produce(const BytePut &put) const
{
    // The pieces are copied into blocks of a megabyte and handed over a
    // block at a time: a call of put per piece costs more than the copy,
    // and a writer takes a block that large as it is.
    constexpr std::size_t block = 1 << 20;
    std::string buffer;
    buffer.reserve(block);
    const auto handOver = [&buffer, &put] {
        const bool ok = put(buffer);
        buffer.clear();
        return ok;
    };
    // Pieces come from all over the text; asking for them a few places
    // ahead hides most of the waiting.
    constexpr std::size_t ahead = 16;
    const std::size_t count = lineEnds_.empty() ? 0 : lineEnds_.back();
    std::size_t piece = 0;
    for (const std::size_t end : lineEnds_) {
        for (; piece < end; ++piece) {
            if (piece + ahead < count)
                __builtin_prefetch(pieces_[piece + ahead].data());
            const std::string_view text = pieces_[piece];
            if (text.size() >= block) {
                // Not copied: a piece that large is a block of its own.
                if ((!buffer.empty() && !handOver()) || !put(text))
                    return;
            } else {
                buffer += text;
            }
            buffer += kTails[tails_[piece]];
            if (buffer.size() >= block && !handOver())
                return;
        }
        buffer += kLineEnd;
    }
    if (!buffer.empty())
        put(buffer);
}

std::string EssayText::bytes() const
{
    std::string bytes;
    produce([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

} // namespace varnok
