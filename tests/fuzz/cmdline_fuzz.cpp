// Fuzz entry for the command-line splitter of the external editor: any line
// splits into words that, quoted again, split the same, and the file name
// always arrives whole and last. Built and run by scripts/fuzz; its corpus is
// replayed by every test run.
#include "platform/process.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Quotes a later word so that the splitter gives it back unchanged.
std::string quoteWord(const std::string &word)
{
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"')
            out.append(2 * slashes + 1, '\\');
        else
            out.append(slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, '\\');
    out += '"';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view line(reinterpret_cast<const char *>(data), size);
    const auto words = varnok::splitCommandLine(line);

    const auto text = line.substr(0, line.find('\0'));
    std::size_t total = 0;
    for (const auto &word : words) {
        total += word.size();
        check(word.find('\0') == std::string::npos);
    }
    check(total <= text.size());
    check(words.empty() == (text.find_first_not_of(" \t") == std::string_view::npos));
    if (words.empty())
        return 0;
    check(words.front().find('"') == std::string::npos);

    // Written back with quoting, the words must come out the same.
    std::string rebuilt = "\"" + words.front() + "\"";
    for (std::size_t i = 1; i < words.size(); ++i)
        rebuilt += " " + quoteWord(words[i]);
    check(varnok::splitCommandLine(rebuilt) == words);

    // The file name always arrives whole and last.
    const std::string name(text.substr(0, text.size() / 2));
    const auto argv = varnok::editorArguments(line, name);
    check(argv.size() == words.size() + 1 && argv.back() == name);
    check(std::vector<std::string>(argv.begin(), argv.end() - 1) == words);
    return 0;
}
