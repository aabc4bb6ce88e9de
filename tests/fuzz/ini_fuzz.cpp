// Fuzz entry for the settings reader: any bytes read as a settings file give
// options within their ranges, and what the program writes back reads back
// the same, with every line it did not write kept.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "core/inifile.h"
#include "core/options.h"
#include "fuzz/fuzzcheck.h"
#include "platform/textfile.h"

namespace {

bool sameOptions(const varnok::Options &a, const varnok::Options &b)
{
    return a.height == b.height && a.width == b.width && a.top == b.top && a.left == b.left &&
           a.fontName == b.fontName && a.fontSize == b.fontSize && a.weak == b.weak && a.strong == b.strong &&
           a.variance == b.variance && a.editor == b.editor && a.useInternalEditor == b.useInternalEditor &&
           a.randomize == b.randomize && a.sentenceParse == b.sentenceParse && a.maxSentences == b.maxSentences &&
           a.minSentences == b.minSentences && a.allowRenames == b.allowRenames;
}

bool fitsAValue(const std::string &text)
{
    return text.size() <= 1023 && text.find_first_of("\r\n") == std::string::npos &&
           text.find('\0') == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    varnok::IniFile ini(bytes);
    const varnok::Options read = varnok::readOptions(ini, "editor --wait");
    FUZZ_CHECK(read.maxSentences >= varnok::kSentencesLowest && read.maxSentences <= varnok::kSentencesHighest);
    FUZZ_CHECK(read.minSentences >= varnok::kSentencesLowest && read.minSentences <= varnok::kSentencesHighest);
    for (const std::string *text : {&read.fontName, &read.weak, &read.strong, &read.variance, &read.editor})
        FUZZ_CHECK(fitsAValue(*text));

    // The text the reader keeps reads the same as the bytes it came from.
    const std::string kept = ini.text();
    FUZZ_CHECK(sameOptions(varnok::readOptions(varnok::IniFile(kept), "editor --wait"), read));

    // Writing what was read changes no value, and the settings read back are
    // the ones written.
    varnok::IniFile written(bytes);
    varnok::writeOptions(written, read);
    FUZZ_CHECK(sameOptions(varnok::readOptions(written, "other"), read));
    const std::string text = written.text();
    FUZZ_CHECK(sameOptions(varnok::readOptions(varnok::IniFile(text), "other"), read));

    // Every line of the file is still there, but for the lines of the
    // sixteen keys the program writes, each replaced at most once.
    std::map<std::string, int> unmatched;
    for (const auto &line : varnok::splitLines(kept))
        ++unmatched[line];
    for (const auto &line : varnok::splitLines(text))
        --unmatched[line];
    int lost = 0;
    for (const auto &[line, count] : unmatched)
        lost += count > 0 ? count : 0;
    FUZZ_CHECK(lost <= 16);
    return 0;
}
