#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/context.h"

namespace varnok {

// Every kind of document: Lies, essays, generated essays, tests and text files.
inline constexpr char kFindMask[] = "*.lie;*.ess;*.gen;*.tst;*.txt";
// More hits than a person reads through; the search stops there.
inline constexpr std::size_t kMaxFindHits = 1000;
// The progress caption while the file of a hit is read.
inline constexpr char kShowHitCaption[] = "Reading the file...";
inline constexpr char kFindHitAfterTest[] =
    "The text area shows the Lie you are answering until the test ends. Choose this find result again then.";
// Bytes of the line shown on either side of a hit, about.
inline constexpr std::size_t kFindContext = 40;
// A file is searched this many bytes at a time, however large it is.
inline constexpr std::size_t kFindPiece = std::size_t{1} << 20;

struct FindHit {
    std::string fileName;   // a bare name in the lie folder
    int line = 0;           // from 1, counted as the text area counts lines
    std::size_t column = 0; // bytes from the start of the line to the match
    std::size_t length = 0; // bytes the match takes in the file
    // The line around the match, as UTF-8 with control characters blanked.
    std::string before;
    std::string match;
    std::string after;
    // The line goes on beyond what before and after show.
    bool cutBefore = false;
    bool cutAfter = false;
};

struct FindResult {
    std::string query;
    std::vector<FindHit> hits;
    bool truncated = false; // stopped at kMaxFindHits
    bool cancelled = false;
    // Documents that could not be read through (no permission, not a plain
    // file, a read error): their hits, if any, are missing.
    std::vector<std::string> unreadable;
};

// Finds a text in every document of a folder, without regard to case, in
// files of UTF-8 or Latin-1 text (each file read as the text area would show
// it; its text ends at a NUL byte). Files in list order, hits in file order,
// none overlapping. An empty query finds nothing. Reads a piece at a time and
// looks at the cancel flag every piece.
FindResult findInFolder(const std::string &folder, std::string_view query, const std::atomic<bool> &cancel);

// The hits of a text in one file's bytes, as above.
std::vector<FindHit> findInBytes(std::string_view bytes, std::string_view query, std::size_t maxHits = kMaxFindHits);

// Runs searches on a thread of their own, so a window stays live while a
// large folder is searched. A new search cancels the ones still running; a
// cancelled search delivers nothing. done runs on the search's thread.
class FindRunner {
public:
    using Done = std::function<void(FindResult)>;
    FindRunner() = default;
    ~FindRunner();
    FindRunner(const FindRunner &) = delete;
    FindRunner &operator=(const FindRunner &) = delete;

    void start(std::string folder, std::string query, Done done);
    void cancel();
    // Waits for every search started to end (for tests and for closing).
    void wait();

private:
    struct Job {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void reapFinished();
    std::vector<Job> jobs_;
};

// Shows the file of a hit in the text area of Start Here, read-only, with the
// match selected. Not while an edit is open (the person is asked to finish it)
// nor while a test runs (the scale gets the keyboard back).
void showFindHit(Context &ctx, const FindHit &hit);

} // namespace varnok
