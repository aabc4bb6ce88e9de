// Times the essay generator on corpora of essays of growing size and puts the
// time next to what shuf needs to shuffle the same lines. Every measurement
// runs in a fresh process of its own, so its peak memory is its own.
//
//   bench_generator                  1, 10 and 100 MB
//   bench_generator 1 10             the sizes given, in MB
//   bench_generator --corpus 100 DIR make a corpus and keep it; then
//   bench_generator --pipeline DIR OUT or --steps DIR OUT measure one run
//
// The corpora go to a temporary folder under $TMPDIR (or /tmp) that is
// removed afterwards.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/text.h"
#include "generator/composer.h"
#include "generator/essaywriter.h"
#include "generator/gathering.h"
#include "generator/generation.h"
#include "generator/sentences.h"
#include "generator/shuffle.h"
#include "platform/files.h"
#include "platform/random.h"
#include "platform/textfile.h"

namespace fs = std::filesystem;
using namespace varnok;

namespace {

using Seconds = std::chrono::duration<double>;

double since(std::chrono::steady_clock::time_point start)
{
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// ---- corpus ---------------------------------------------------------------

const char *const kWords[] = {"I",     "never", "felt",   "that",  "money", "was",    "the",    "root",
                              "of",    "all",   "evil",   "but",   "my",    "father", "said",   "so",
                              "often", "and",   "loudly", "we",    "it",    "keeps",  "coming", "back",
                              "to",    "me",    "when",   "think", "about", "work",   "3.5",    "metres"};

std::string userLine(std::mt19937 &engine)
{
    std::uniform_int_distribution<int> word(0, sizeof kWords / sizeof kWords[0] - 1);
    std::uniform_int_distribution<int> wordsPerSentence(4, 12);
    std::uniform_int_distribution<int> terminator(0, 9);
    std::string line;
    while (line.size() < 90) {
        const int count = wordsPerSentence(engine);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                line += ' ';
            line += kWords[word(engine)];
        }
        const int t = terminator(engine);
        line += t == 0 ? "!" : (t == 1 ? "?" : ".");
        line += ' ';
    }
    return line;
}

struct Corpus {
    std::size_t bytes = 0;
    std::size_t userLines = 0;
    std::vector<std::string> files;
};

// The corpus is scaffolding, not the user's journal: plain writes, no syncing.
void writePlain(const std::string &path, const std::string &bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

// Essays as the review lays them down: the Lie, then blocks of an empty line,
// a response line, an empty line, "EXPLAIN YOURSELF" and the user's lines.
// The user's lines also go, one per line, to shufInput for the comparison.
Corpus makeCorpus(const std::string &folder, std::size_t targetBytes, const std::string &shufInput)
{
    std::mt19937 engine(12345);
    Corpus corpus;
    std::string shufText;
    for (int file = 0; corpus.bytes < targetBytes; ++file) {
        Lines lines = {"Lie number " + std::to_string(file) + " is a statement."};
        for (int block = 0; block < 30; ++block) {
            lines.push_back("");
            lines.push_back("2026-12-07 0527pm  RESPONSE: " + std::to_string(1 + block % 25));
            lines.push_back("");
            lines.push_back("EXPLAIN YOURSELF");
            for (int i = 0; i < 8; ++i) {
                lines.push_back(userLine(engine));
                shufText += lines.back();
                shufText += '\n';
                ++corpus.userLines;
            }
        }
        const std::string text = joinLines(lines);
        char name[32];
        std::snprintf(name, sizeof name, "essay%05d.ess", file);
        writePlain(folder + name, text);
        corpus.bytes += text.size();
        corpus.files.push_back(name);
    }
    writePlain(shufInput, shufText);
    return corpus;
}

// ---- measured runs (each in its own process) ------------------------------

Gatherer gatherFolder(const std::string &folder)
{
    Gatherer gatherer(EssayType::EssayResponses);
    for (const auto &name : listFolder(folder, "*.ess")) {
        Lines lines;
        if (!readLines(folder + name, lines)) {
            std::perror(name.c_str());
            std::exit(1);
        }
        gatherer.addFile(lines);
    }
    return gatherer;
}

void writeEssay(const std::string &path, const Lines &lines)
{
    if (!writeLines(path, lines)) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

// What the Generate command does after the dialogs: gather, the one pipeline
// call, write.
int runPipeline(const std::string &folder, const std::string &output)
{
    SeededRandom random(1);
    const auto start = std::chrono::steady_clock::now();
    Gatherer gathered = gatherFolder(folder);
    const double gather = since(start);
    const std::size_t gatheredCount = gathered.lineCount();

    auto step = std::chrono::steady_clock::now();
    const Lines essay = generateEssayLines(std::move(gathered), {true, true, {3, 6}}, random);
    const double generate = since(step);

    step = std::chrono::steady_clock::now();
    writeEssay(output, essay);
    const double write = since(step);
    std::printf("%zu %zu %.3f %.3f %.3f %.3f %.1f\n", gatheredCount, essay.size(), gather, generate, write,
                since(start), peakMegabytes());
    return 0;
}

// The steps one by one through their list-of-strings interfaces.
int runSteps(const std::string &folder, const std::string &output)
{
    SeededRandom random(1);
    const auto start = std::chrono::steady_clock::now();
    Lines gathered = gatherFolder(folder).lines();
    const double gather = since(start);

    auto step = std::chrono::steady_clock::now();
    Lines sentences = cutSentences(gathered);
    Lines().swap(gathered);
    const double cut = since(step);

    step = std::chrono::steady_clock::now();
    RandomizeStrings(sentences, random);
    const double shuffle = since(step);

    step = std::chrono::steady_clock::now();
    const Lines essay = composeParagraphs(sentences, {3, 6}, random);
    const double compose = since(step);
    const std::size_t sentenceCount = sentences.size();
    Lines().swap(sentences);

    step = std::chrono::steady_clock::now();
    writeEssay(output, essay);
    const double write = since(step);
    std::printf("%zu %.3f %.3f %.3f %.3f %.3f %.3f %.1f\n", sentenceCount, gather, cut, shuffle, compose, write,
                since(start), peakMegabytes());
    return 0;
}

// ---- driver ---------------------------------------------------------------

struct ChildRun {
    std::string output;
    double wall = 0;   // seconds
    double cpu = 0;    // user + system seconds
    double peakMB = 0; // maximum resident set
};

// Runs a program in a fresh process and reports its output, times and peak
// memory (from wait4, so shuf is measured the same way as we are).
ChildRun runChild(const std::vector<std::string> &argv)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char *> args;
        for (const auto &arg : argv)
            args.push_back(const_cast<char *>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    close(pipeFds[1]);
    ChildRun run;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wall = since(start);
    run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
              usage.ru_stime.tv_usec / 1e6;
    run.peakMB = usage.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return run;
}

// The machine is shared, so every measurement is taken a few times and the
// fastest run kept.
ChildRun fastestOf(int times, const std::vector<std::string> &argv)
{
    ChildRun best = runChild(argv);
    for (int i = 1; i < times; ++i) {
        ChildRun run = runChild(argv);
        if (run.wall < best.wall)
            best = std::move(run);
    }
    return best;
}

std::string selfPath()
{
    return fs::read_symlink("/proc/self/exe").string();
}

void benchSize(int megabytes, const std::string &root)
{
    const std::string folder = root + std::to_string(megabytes) + "MB/";
    createFolders(folder);
    const std::string shufInput = root + std::to_string(megabytes) + "MB-lines.txt";
    const Corpus corpus = makeCorpus(folder, static_cast<std::size_t>(megabytes) << 20, shufInput);
    const double corpusMB = corpus.bytes / 1048576.0;

    constexpr int repeats = 3;
    double gather, generate, write, total, peak;
    std::size_t gathered, paragraphs;
    const ChildRun pipeline = fastestOf(repeats, {selfPath(), "--pipeline", folder, root + "out.gen"});
    std::sscanf(pipeline.output.c_str(), "%zu %zu %lf %lf %lf %lf %lf", &gathered, &paragraphs, &gather, &generate,
                &write, &total, &peak);

    double sGather, sCut, sShuffle, sCompose, sWrite, sTotal, sPeak;
    std::size_t sentences;
    const ChildRun steps = fastestOf(repeats, {selfPath(), "--steps", folder, root + "out2.gen"});
    std::sscanf(steps.output.c_str(), "%zu %lf %lf %lf %lf %lf %lf %lf", &sentences, &sGather, &sCut, &sShuffle,
                &sCompose, &sWrite, &sTotal, &sPeak);

    const ChildRun shuf = fastestOf(repeats, {"shuf", shufInput, "-o", root + "shuf.out"});

    std::printf("\n== corpus %d MB: %zu files, %.1f MB, %zu user lines, %zu sentences, %zu paragraphs\n",
                megabytes, corpus.files.size(), corpusMB, gathered, sentences, paragraphs);
    std::printf("pipeline  gather %.3f  cut+shuffle+compose %.3f  write %.3f  total %.3f s  (process: wall %.3f s, "
                "cpu %.3f s)  peak %.1f MB = %.2f x corpus\n",
                gather, generate, write, total, pipeline.wall, pipeline.cpu, pipeline.peakMB,
                pipeline.peakMB / corpusMB);
    std::printf("shuf      process: wall %.3f s, cpu %.3f s, peak %.1f MB  ->  generation/shuf: wall %.2f, cpu %.2f\n",
                shuf.wall, shuf.cpu, shuf.peakMB, pipeline.wall / shuf.wall, pipeline.cpu / shuf.cpu);
    std::printf("steps     gather %.3f  cut %.3f  shuffle %.3f  compose %.3f  write %.3f  total %.3f s  "
                "peak %.1f MB = %.2f x corpus  (one string per sentence)\n",
                sGather, sCut, sShuffle, sCompose, sWrite, sTotal, steps.peakMB, steps.peakMB / corpusMB);
    std::fflush(stdout);
    fs::remove_all(folder);
    fs::remove(shufInput);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pipeline") == 0)
        return runPipeline(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--steps") == 0)
        return runSteps(argv[2], argv[3]);
    // Leaves a corpus in place, for profiling the two modes above by hand.
    if (argc == 4 && std::strcmp(argv[1], "--corpus") == 0) {
        const std::string folder = withTrailingSeparator(argv[3]);
        createFolders(folder);
        makeCorpus(folder, static_cast<std::size_t>(std::atoi(argv[2])) << 20, folder + "lines.txt");
        return 0;
    }

    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1, 10, 100};

    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnok-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern + "/";
    std::printf("essay generator benchmark in %s (times are wall clock; peak is the measuring "
                "process's maximum resident set)\n",
                root.c_str());
    for (const int size : sizes)
        if (size > 0)
            benchSize(size, root);
    fs::remove_all(root);
    return 0;
}
