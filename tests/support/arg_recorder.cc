// Stands in for an external editor in tests: writes its current folder and its
// arguments, one per line, NUL-separated, to the file named by VARNOK_RECORD.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char **argv)
{
    const char *record = std::getenv("VARNOK_RECORD");
    if (!record)
        return 2;
    std::FILE *out = std::fopen(record, "ab");
    if (!out)
        return 3;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        cwd[0] = '\0';
    std::fputs(cwd, out);
    std::fputc('\0', out);
    for (int i = 1; i < argc; ++i) {
        std::fputs(argv[i], out);
        std::fputc('\0', out);
    }
    std::fputc('\n', out);
    std::fclose(out);
    return 0;
}
