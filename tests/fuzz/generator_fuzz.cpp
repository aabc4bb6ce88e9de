// Fuzz entry for the essay generator: the sentence cut, the shuffle and the
// paragraph composer, held against their slow transcription, which cuts from
// the front of a string one piece at a time. Both must give the same lines
// and draw the same random numbers in the same order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzzcheck.h"
#include "generator/composer.h"
#include "generator/generation.h"
#include "generator/sentences.h"
#include "generator/slow_generator.h"
#include "generator/test_randoms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The slow transcription is quadratic; larger inputs only take longer.
    if (size < 3 || size > 8192)
        return 0;
    // Three bytes of settings, then the gathered lines, one per LF so that
    // lone CRs and CR LF pairs inside an entry stay, as gathering leaves them.
    const bool sentenceParse = data[0] & 1;
    const bool randomize = data[0] & 2;
    const int minimum = data[1] % 11 + 1;
    const int maximum = data[2] % 11 + 1;
    const std::uint32_t seed = data[0] * 65599u + data[1] * 257u + data[2];
    varnok::Lines gathered;
    const std::string_view text(reinterpret_cast<const char *>(data) + 3, size - 3);
    for (std::size_t start = 0; start <= text.size();) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        gathered.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }

    FUZZ_CHECK(varnok::cutSentences(gathered) == varnok::slow::cutSentences(gathered));

    varnok::testing::RecordingRandom fastRandom(seed);
    varnok::testing::RecordingRandom slowRandom(seed);
    FUZZ_CHECK(varnok::composeParagraphs(gathered, {minimum, maximum}, fastRandom) ==
               varnok::slow::composeParagraphs(gathered, minimum, maximum, slowRandom));
    FUZZ_CHECK(fastRandom.draws == slowRandom.draws);

    varnok::testing::RecordingRandom wholeFast(seed);
    varnok::testing::RecordingRandom wholeSlow(seed);
    const varnok::GenerationOptions options{sentenceParse, randomize, {minimum, maximum}};
    FUZZ_CHECK(varnok::generateEssayLines(gathered, options, wholeFast) ==
               varnok::slow::generate(gathered, sentenceParse, sentenceParse && randomize, minimum, maximum,
                                      wholeSlow));
    FUZZ_CHECK(wholeFast.draws == wholeSlow.draws);
    return 0;
}
