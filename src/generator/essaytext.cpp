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
    // Pieces come from all over the text; asking for them a few places
    // ahead hides most of the waiting.
    constexpr std::size_t ahead = 16;
    const std::size_t count = lineEnds_.empty() ? 0 : lineEnds_.back();
    std::size_t piece = 0;
    for (const std::size_t end : lineEnds_) {
        for (; piece < end; ++piece) {
            if (piece + ahead < count)
                __builtin_prefetch(pieces_[piece + ahead].data());
            const std::string_view tail = kTails[tails_[piece]];
            if (!put(pieces_[piece]) || (!tail.empty() && !put(tail)))
                return;
        }
        if (!put(kLineEnd))
            return;
    }
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
