// Times the essay generator on corpora of essays of growing size and puts the
// time next to what shuf needs to shuffle the same lines. Every measurement
// runs in a fresh process of its own, so its peak memory is its own.
//
//   bench_generator                  1, 10 and 100 MB
//   bench_generator 1 10             the sizes given, in MB
//   bench_generator --corpus 100 DIR make a corpus and keep it; then
//   bench_generator --pipeline DIR OUT [--no-sync] measure one run
//
// The corpora go to a temporary folder under $TMPDIR (or /tmp) that is
// removed afterwards.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/text.h"
#include "generator/composer.h"
#include "generator/generate.h"
#include "generator/gatherer.h"
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

class Timer {
public:
    double lap()
    {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = Seconds(now - last_).count();
        last_ = now;
        return seconds;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Writes without syncing, to tell the cost of the sync apart; in blocks of
// a megabyte, as writeFileAtomic does.
bool writeUnsynced(const std::string &path, const EssayText &essay)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    constexpr std::size_t block = 1 << 20;
    std::string buffer;
    buffer.reserve(block);
    bool ok = true;
    const auto flush = [&] {
        ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
        buffer.clear();
        return ok;
    };
    essay.produce([&](std::string_view piece) {
        if (piece.size() > block - buffer.size()) {
            if (!flush())
                return false;
            // As large as a block: written as it is, as writeFileAtomic does.
            if (piece.size() >= block)
                return ok = std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
        }
        buffer += piece;
        return true;
    });
    flush();
    return std::fclose(file) == 0 && ok;
}

// What the Generate command does after its dialogs: every selected file read
// with readFileBytes and handed to the gatherer, the steps of
// generateEssayText one by one, the essay written with writeEssay as
// MakeEssay writes it (or, with sync false, plainly, for comparison).
int runPipeline(const std::string &folder, const std::string &output, bool sync)
{
    SeededRandom random(1);
    const auto start = std::chrono::steady_clock::now();
    Timer timer;
    double read = 0;
    double gather = 0;
    Gatherer gatherer(EssayType::EssayResponses, false);
    const auto names = listFolder(folder, "*.ess");
    // The gathered text is at most the files' sizes together.
    std::size_t total = 0;
    for (const auto &name : names) {
        struct stat info {};
        if (::stat((folder + name).c_str(), &info) == 0)
            total += static_cast<std::size_t>(info.st_size);
    }
    gatherer.reserve(total);
    std::vector<std::string> paths;
    for (const auto &name : names)
        paths.push_back(folder + name);
    // Read and gathered as the command does, the reading a file ahead on a
    // second thread: one time for both.
    if (const auto unread = gatherFiles(gatherer, paths, [](std::size_t) {})) {
        std::fprintf(stderr, "%s: %s\n", paths[unread->index].c_str(), unread->status.reason().c_str());
        std::exit(1);
    }
    read = timer.lap();
    const std::size_t gatheredCount = gatherer.lineCount();
    timer.lap();

    SentenceText text(gatherer.take().text);
    const std::size_t sentences = text.count();
    const double cutTime = timer.lap();
    CutText cut = shuffledSentences(std::move(text), random);
    const double shuffle = timer.lap();
    const EssayText essay = composeParagraphs(std::move(cut), {3, 6}, random);
    const double compose = timer.lap();
    const double generated = since(start);

    // The essay's bytes are made while it is written.
    if (!(sync ? writeEssay(output, essay, [] { return true; }).ok() : writeUnsynced(output, essay))) {
        std::perror(output.c_str());
        std::exit(1);
    }
    const double write = timer.lap();
    std::printf("%zu %zu %zu %zu %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f\n", gatheredCount, sentences,
                essay.lineCount(), fileSize(output), read, gather, cutTime, shuffle, compose, write, generated,
                since(start));
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
    run.cpu =
        usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    run.peakMB = usage.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return run;
}

std::string selfPath()
{
    return fs::read_symlink("/proc/self/exe").string();
}

// One measured run of the pipeline, as its process printed it.
struct PipelineRun {
    ChildRun process;
    std::size_t gathered = 0, sentences = 0, paragraphs = 0, essayBytes = 0;
    double read = 0, gather = 0, cut = 0, shuffle = 0, compose = 0, write = 0, generated = 0, total = 0;
};

PipelineRun runPipelineChild(const std::string &folder, const std::string &output, bool sync)
{
    std::vector<std::string> argv = {selfPath(), "--pipeline", folder, output};
    if (!sync)
        argv.push_back("--no-sync");
    PipelineRun run;
    run.process = runChild(argv);
    if (std::sscanf(run.process.output.c_str(), "%zu %zu %zu %zu %lf %lf %lf %lf %lf %lf %lf %lf", &run.gathered,
                    &run.sentences, &run.paragraphs, &run.essayBytes, &run.read, &run.gather, &run.cut, &run.shuffle,
                    &run.compose, &run.write, &run.generated, &run.total) != 12) {
        std::fprintf(stderr, "unexpected pipeline output: %s\n", run.process.output.c_str());
        std::exit(1);
    }
    return run;
}

std::string loadAverage()
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) != 3)
        return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

void printPipeline(const char *label, const PipelineRun &run, double corpusMB, const ChildRun &shuf)
{
    std::printf(
        "%-9s read and gather %.3f  cut %.3f  shuffle %.3f  compose %.3f  | generated %.3f  write %.3f  "
        "total %.3f s\n",
        label, run.read + run.gather, run.cut, run.shuffle, run.compose, run.generated, run.write, run.total);
    std::printf("%-9s process wall %.3f s, cpu %.3f s, peak %.1f MB = %.2f x corpus  ->  /shuf: wall %.2f, cpu %.2f\n",
                "", run.process.wall, run.process.cpu, run.process.peakMB, run.process.peakMB / corpusMB,
                run.process.wall / shuf.wall, run.process.cpu / shuf.cpu);
}

// One Generate through the program's window (bench_generate_window), with
// the time its line-count question was up taken out.
struct WindowRun {
    ChildRun process;
    double generate = 0; // from the essay type chosen to the command's end
    double question = 0;
};

WindowRun runWindowChild(const std::string &folder)
{
    const std::string program = (fs::path(selfPath()).parent_path() / "bench_generate_window").string();
    WindowRun run;
    run.process = runChild({program, folder});
    if (std::sscanf(run.process.output.c_str(), "%lf %lf", &run.generate, &run.question) != 2) {
        std::fprintf(stderr, "unexpected window output: %s\n", run.process.output.c_str());
        std::exit(1);
    }
    // The next run must find the folder as this one did.
    for (const auto &entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".gen")
            fs::remove(entry.path());
    return run;
}

void benchSize(int megabytes, const std::string &root)
{
    const std::string folder = root + std::to_string(megabytes) + "MB/";
    createFolders(folder);
    const std::string shufInput = root + std::to_string(megabytes) + "MB-lines.txt";
    const Corpus corpus = makeCorpus(folder, static_cast<std::size_t>(megabytes) << 20, shufInput);
    // The window's first start in a folder would ask to load Lies.
    writePlain(folder + "Varnok.Ini", "[Settings]\r\nWidth=415\r\nHeight=400\r\n");
    // On the disk before anything is timed: writing back a corpus just made
    // would otherwise take the disk and a core from the first runs.
    ::sync();
    const double corpusMB = corpus.bytes / 1048576.0;
    const std::string loadBefore = loadAverage();

    // The machine is shared: the three measurements take turns, three times,
    // so that they meet the same load, and the fastest run of each is kept.
    constexpr int repeats = 3;
    PipelineRun synced, unsynced;
    WindowRun window;
    ChildRun shuf;
    for (int i = 0; i < repeats; ++i) {
        WindowRun windowRun = runWindowChild(folder);
        if (i == 0 || windowRun.generate - windowRun.question < window.generate - window.question)
            window = std::move(windowRun);
        PipelineRun run = runPipelineChild(folder, root + "out.gen", true);
        if (i == 0 || run.process.wall < synced.process.wall)
            synced = std::move(run);
        run = runPipelineChild(folder, root + "out-unsynced.gen", false);
        if (i == 0 || run.process.wall < unsynced.process.wall)
            unsynced = std::move(run);
        ChildRun shufRun = runChild({"shuf", shufInput, "-o", root + "shuf.out"});
        if (i == 0 || shufRun.wall < shuf.wall)
            shuf = std::move(shufRun);
    }

    std::printf(
        "\n== corpus %d MB: %zu files, %.1f MB, %zu user lines (%.1f MB for shuf), %zu sentences, "
        "%zu paragraphs, essay %.1f MB  (load %s -> %s)\n",
        megabytes, corpus.files.size(), corpusMB, synced.gathered, fs::file_size(shufInput) / 1048576.0,
        synced.sentences, synced.paragraphs, synced.essayBytes / 1048576.0, loadBefore.c_str(), loadAverage().c_str());
    printPipeline("atomic", synced, corpusMB, shuf);
    printPipeline("no sync", unsynced, corpusMB, shuf);
    std::printf("%-9s process wall %.3f s, cpu %.3f s, peak %.1f MB\n", "shuf", shuf.wall, shuf.cpu, shuf.peakMB);
    const double throughWindow = window.generate - window.question;
    std::printf(
        "%-9s Generate %.3f s (essay type chosen to essay written and lists read, less %.3f s of the "
        "line-count question), peak %.1f MB = %.2f x corpus  ->  /shuf: %.2f\n",
        "window", throughWindow, window.question, window.process.peakMB, window.process.peakMB / corpusMB,
        throughWindow / shuf.wall);
    std::printf(
        "%-9s sync costs %.3f s (atomic write %.3f s, plain write %.3f s); generation without the write "
        "%.3f s = %.2f x shuf wall\n",
        "", synced.write - unsynced.write, synced.write, unsynced.write, synced.generated,
        synced.generated / shuf.wall);
    std::fflush(stdout);
    fs::remove_all(folder);
    fs::remove(shufInput);
}

} // namespace

int main(int argc, char **argv)
{
    if ((argc == 4 || (argc == 5 && std::strcmp(argv[4], "--no-sync") == 0)) && std::strcmp(argv[1], "--pipeline") == 0)
        return runPipeline(withTrailingSeparator(argv[2]), argv[3], argc == 4);
    // Leaves a corpus in place, for profiling the pipeline by hand.
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
    std::printf(
        "essay generator benchmark in %s (times are wall clock; peak is the measuring "
        "process's maximum resident set)\n",
        root.c_str());
    for (const int size : sizes)
        if (size > 0)
            benchSize(size, root);
    fs::remove_all(root);
    return 0;
}
