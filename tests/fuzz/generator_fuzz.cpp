// Fuzz entry for the essay generator: gathering from files' bytes, the
// sentence cut, the shuffle and the paragraph composer, held against their
// slow transcription, which reads the files as lines and cuts from the front
// of a string one piece at a time. Both must give the same essay, byte for
// byte, and draw the same random numbers in the same order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzzcheck.h"
#include "generator/generate.h"
#include "generator/slow_generator.h"
#include "generator/test_randoms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The slow transcription is quadratic; larger inputs only take longer.
    if (size < 3 || size > 8192)
        return 0;
    // Three bytes of settings, then the files, separated by 0x1e bytes (a
    // byte no document needs), as read from disk.
    const bool sentenceParse = data[0] & 1;
    const bool randomize = data[0] & 2;
    const bool essayResponses = data[0] & 4;
    const int minimum = data[1] % 11 + 1;
    const int maximum = data[2] % 11 + 1;
    const std::uint32_t seed = data[0] * 65599u + data[1] * 257u + data[2];
    std::vector<std::string> files;
    const std::string_view text(reinterpret_cast<const char *>(data) + 3, size - 3);
    for (std::size_t start = 0; start <= text.size();) {
        auto end = text.find('\x1e', start);
        if (end == std::string_view::npos)
            end = text.size();
        files.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }

    varnok::Gatherer gatherer(essayResponses ? varnok::EssayType::EssayResponses : varnok::EssayType::PlainText);
    for (const auto &bytes : files)
        gatherer.addFileBytes(bytes);
    varnok::testing::RecordingRandom fastRandom(seed);
    varnok::testing::RecordingRandom slowRandom(seed);
    const varnok::GenerationOptions options{sentenceParse, randomize, {minimum, maximum}};
    const varnok::EssayText essay = varnok::generateEssayText(std::move(gatherer), options, fastRandom);
    FUZZ_CHECK(essay.bytes() ==
               varnok::slow::essayBytes(files, essayResponses, sentenceParse, randomize, minimum, maximum, slowRandom));
    FUZZ_CHECK(fastRandom.draws == slowRandom.draws);
    return 0;
}
