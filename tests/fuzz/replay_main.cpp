// Runs a fuzz entry over its checked-in corpus, so that every build tests what
// fuzzing once found: each file of the folder given is one input, and an
// empty input comes first. A missing or empty folder fails, so a wrong path
// cannot pass for a clean run.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    std::error_code error;
    std::vector<std::filesystem::path> inputs;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1], error))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    if (error || inputs.empty()) {
        std::fprintf(stderr, "%s: no corpus in %s\n", argv[0], argv[1]);
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    static const std::uint8_t nothing = 0;
    LLVMFuzzerTestOneInput(&nothing, 0);
    for (const auto &path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        std::fprintf(stderr, "%s\n", path.filename().c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size() + 1);
    return 0;
}
