#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/fanotify.h>
#include <unistd.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "documents/editing.h"
#include "documents/find.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;

// line:column+length [before|match|after], "<" and ">" where the line goes on
std::string describe(const FindHit &hit)
{
    return (hit.fileName.empty() ? "" : hit.fileName + " ") + std::to_string(hit.line) + ":" +
           std::to_string(hit.column) + "+" + std::to_string(hit.length) + " [" + hit.before + "|" + hit.match + "|" +
           hit.after + "]" + (hit.cutBefore ? " <" : "") + (hit.cutAfter ? " >" : "");
}

std::vector<std::string> describe(const std::vector<FindHit> &hits)
{
    std::vector<std::string> out;
    for (const auto &hit : hits)
        out.push_back(describe(hit));
    return out;
}

TEST(Find, MatchesWithoutRegardToCaseInUtf8AndLatin1)
{
    const struct {
        const char *what;
        std::string text;
        std::string query;
        std::vector<std::string> hits;
    } cases[] = {
        {"ASCII, every case, line ends of every kind",
         "One\r\nthe THE\rThe\nxthe",
         "tHe",
         {"2:0+3 [|the| THE]", "2:4+3 [the |THE|]", "3:0+3 [|The|]", "4:1+3 [x|the|]"}},
        {"UTF-8 accents",
         "Der \xC3\x84rger, der \xC3\xA4rger.",
         "\xC3\xA4RGER",
         {"1:4+6 [Der |\xC3\x84rger|, der \xC3\xA4rger.]", "1:16+6 [Der \xC3\x84rger, der |\xC3\xA4rger|.]"}},
        {"Latin-1 text, UTF-8 query", "Der \xC4rger\r\n\xE9lan", "\xC3\x84RGER", {"1:4+5 [Der |\xC3\x84rger|]"}},
        {"Latin-1 text, ASCII query, shown as UTF-8", "caf\xE9 au lait", "AU", {"1:5+2 [caf\xC3\xA9 |au| lait]"}},
        {"Greek and Cyrillic",
         "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8A\xCE\x91 \xD0\x94\xD0\xB0",
         "\xCF\x83\xCE\xBF\xCF\x86",
         {"1:0+6 [|\xCE\xA3\xCE\x9F\xCE\xA6|\xCE\x8A\xCE\x91 \xD0\x94\xD0\xB0]"}},
        {"no overlapping hits", "aaaaa", "AA", {"1:0+2 [|aa|aaa]", "1:2+2 [aa|aa|a]"}},
        {"hits that touch", "haha", "ha", {"1:0+2 [|ha|ha]", "1:2+2 [ha|ha|]"}},
        {"the whole text is the query", "Money", "money", {"1:0+5 [|Money|]"}},
        {"the text ends at a NUL byte", std::string("one\0two", 7), "two", {}},
        {"tabs show as blanks", "\tx\ty", "x", {"1:1+1 [ |x| y]"}},
        {"an empty query finds nothing", "abc", "", {}},
        {"a query longer than the text", "ab", "abc", {}},
        {"a UTF-8 query split by a line break is no match",
         "\xC3\xA4\r\nb",
         "\xC3\xA4"
         "b",
         {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(describe(findInBytes(c.text, c.query)), c.hits) << c.what;
}

// Each small letter finds its capital, alone and twice over (the first and
// the last letter of a query take different paths), in UTF-8 and Latin-1.
TEST(Find, EverySmallLetterFindsItsCapital)
{
    struct Pair {
        std::string small, capital;
    };
    std::vector<Pair> pairs;
    for (char c = 'a'; c <= 'z'; ++c)
        pairs.push_back({std::string(1, c), std::string(1, static_cast<char>(c - 'a' + 'A'))});
    // Latin-1 capitals as a Latin-1 file holds them, then UTF-8 ones.
    const Pair accented[] = {{"\xC3\xA0", "\xC0"},     {"\xC3\xA9", "\xC9"},     {"\xC3\xA4", "\xC4"},
                             {"\xC3\xB1", "\xD1"},     {"\xC3\xB8", "\xD8"},     {"\xC3\xBE", "\xDE"},
                             {"\xC3\xA9", "\xC3\x89"}, {"\xC3\xBF", "\xC5\xB8"}, {"\xCF\x83", "\xCE\xA3"},
                             {"\xCF\x89", "\xCE\xA9"}, {"\xD0\xB6", "\xD0\x96"}, {"\xD1\x8F", "\xD0\xAF"}};
    pairs.insert(pairs.end(), std::begin(accented), std::end(accented));
    const std::string filler(20, '.');
    for (const auto &[small, capital] : pairs) {
        SCOPED_TRACE(capital);
        const std::string text = filler + capital + capital + filler;
        const auto twice = findInBytes(text, small + small);
        ASSERT_EQ(twice.size(), 1u);
        EXPECT_EQ(twice[0].column, filler.size());
        EXPECT_EQ(twice[0].length, 2 * capital.size());
        const auto alone = findInBytes(text, small);
        ASSERT_EQ(alone.size(), 2u);
        EXPECT_EQ(alone[1].column, filler.size() + capital.size());
    }
}

// The line shown around a hit is cut between characters, never inside one,
// whatever their width and wherever the cut falls.
TEST(Find, ContextAroundAHitHoldsWholeCharacters)
{
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    for (const std::string character : {"\xCE\xB1", "\xD0\xB6", "\xE8\xAA\x9E", "\xF0\x9F\x98\x80"}) {
        for (std::size_t shift = 0; shift < 4; ++shift) {
            SCOPED_TRACE(character + " shifted by " + std::to_string(shift));
            std::string run;
            while (run.size() < 3 * kFindContext)
                run += character;
            const std::string head = run + std::string(shift, '.'), tail = std::string(shift, '.') + run;
            const auto hits = findInBytes(head + "NEEDLE" + tail, "needle");
            ASSERT_EQ(hits.size(), 1u);
            const FindHit &hit = hits[0];
            ASSERT_FALSE(hit.before.empty());
            ASSERT_FALSE(hit.after.empty());
            ASSERT_LE(hit.before.size(), head.size());
            ASSERT_LE(hit.after.size(), tail.size());
            EXPECT_EQ(head.substr(head.size() - hit.before.size()), hit.before);
            EXPECT_FALSE(continuation(hit.before.front()));
            EXPECT_EQ(tail.substr(0, hit.after.size()), hit.after);
            EXPECT_FALSE(hit.after.size() < tail.size() && continuation(tail[hit.after.size()]));
        }
    }
}

TEST(Find, LongLinesShowWholeWordsAroundTheHit)
{
    const std::string words = "alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike";
    const auto hits = findInBytes(words + " NEEDLE " + words, "needle");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].before, "golf hotel india juliet kilo lima mike ");
    EXPECT_EQ(hits[0].after, " alpha bravo charlie delta echo foxtrot");
    EXPECT_LE(hits[0].before.size(), kFindContext);
    EXPECT_TRUE(hits[0].cutBefore && hits[0].cutAfter);
}

TEST(Find, HitsAcrossTheBoundsOfWhatIsSearchedAtOnceAreFoundOnce)
{
    const std::size_t mega = std::size_t{1} << 20;
    for (std::size_t offset : {mega - 3, mega - 1, mega, 2 * mega - 2}) {
        std::string text(3 * mega, '.');
        text.replace(offset, 6, "NeEdLe");
        text.replace(offset + 500, 7, "\xC3\x84rger!");
        const auto ascii = findInBytes(text, "needle");
        ASSERT_EQ(ascii.size(), 1u) << offset;
        EXPECT_EQ(ascii[0].column, offset);
        const auto accented = findInBytes(text, "\xC3\xA4RGER");
        ASSERT_EQ(accented.size(), 1u) << offset;
        EXPECT_EQ(accented[0].column, offset + 500);
    }
    const std::string many(5000, 'x');
    EXPECT_EQ(findInBytes(many, "x", 3).size(), 3u);
}

TEST(Find, AFileReadInPiecesGivesTheHitsOfTheWhole)
{
    const std::size_t piece = kFindPiece;
    const struct {
        const char *what;
        std::string text;
        const char *query;
        std::string hit;
    } cases[] = {
        {"the line before the hit ends in the last piece", std::string(piece - 4, '.') + "ab cd NEEDLE ef", "needle",
         "1:" + std::to_string(piece + 2) + "+6 [cd |NEEDLE| ef] <"},
        {"a line of three pieces", "x\n" + std::string(3 * piece, 'y') + " a \xC3\x84rger b", "\xC3\xA4RGER",
         "2:" + std::to_string(3 * piece + 3) + "+6 [a |\xC3\x84rger| b] <"},
    };
    for (const auto &c : cases) {
        const auto hits = findInBytes(c.text, c.query);
        ASSERT_EQ(hits.size(), 1u) << c.what;
        EXPECT_EQ(describe(hits[0]), c.hit) << c.what;
    }
    // CR LF counts once wherever the text is cut: one of three shifts puts
    // any given place between a CR and its LF.
    std::string lines;
    for (std::size_t i = 0; i < piece / 3 + 100; ++i)
        lines += "x\r\n";
    for (const std::size_t shift : {0, 1, 2}) {
        const auto hits = findInBytes(std::string(shift, 'x') + lines + "needle", "needle");
        ASSERT_EQ(hits.size(), 1u) << shift;
        EXPECT_EQ(describe(hits[0]), std::to_string(piece / 3 + 101) + ":0+6 [|needle|]") << shift;
    }
}

TEST(Find, AFileThatCannotBeReadIsNamed)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "needs a user the file system holds back";
    Harness h;
    h.folder.write("open.lie", "a lie");
    h.folder.write("secret.lie", "a lie");
    const std::string seen = testing::runUnprivileged(h.folder.path(), [&] {
        ::chmod(h.folder.file("secret.lie").c_str(), 0);
        std::atomic<bool> cancel{false};
        const FindResult result = findInFolder(h.folder.path(), "lie", cancel);
        std::string out;
        for (const auto &name : result.unreadable)
            out += name + ";";
        return out + describe(result.hits).at(0);
    });
    EXPECT_EQ(seen, "secret.lie;open.lie 1:2+3 [a |lie|]");
}

TEST(Find, SearchesEveryDocumentOfTheFolderInListOrder)
{
    Harness h;
    h.folder.write("b.lie", "A lie.\r\n");
    h.folder.write("a.ess", "Essay\r\nEXPLAIN YOURSELF\r\na LIE about lies\r\n");
    h.folder.write("c.gen", "generated lie");
    h.folder.write("d.tst", "Test\r\n\r\nlie\r\n");
    h.folder.write("e.txt", "text lie");
    h.folder.write("f.doc", "not a document lie");
    h.folder.write("Varnok.Ini", "[Settings]\r\nlie=1\r\n");
    std::atomic<bool> cancel{false};
    const FindResult result = findInFolder(h.folder.path(), "lie", cancel);
    EXPECT_EQ(result.query, "lie");
    EXPECT_FALSE(result.truncated);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(describe(result.hits),
              (std::vector<std::string>{"a.ess 3:2+3 [a |LIE| about lies]", "a.ess 3:12+3 [a LIE about |lie|s]",
                                        "b.lie 1:2+3 [A |lie|.]", "c.gen 1:10+3 [generated |lie|]",
                                        "d.tst 3:0+3 [|lie|]", "e.txt 1:5+3 [text |lie|]"}));

    cancel = true;
    const FindResult cancelled = findInFolder(h.folder.path(), "lie", cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.hits.empty());
}

TEST(Find, ManyFilesManyHitsStopAtTheLimit)
{
    Harness h;
    std::string essay;
    for (int line = 0; line < 30; ++line)
        essay += "Why do I react? I react.\r\n";
    for (int i = 0; i < 40; ++i)
        h.folder.write("essay " + std::to_string(100 + i) + ".ess", essay);
    std::atomic<bool> cancel{false};
    const FindResult result = findInFolder(h.folder.path(), "REACT", cancel);
    EXPECT_TRUE(result.truncated);
    ASSERT_EQ(result.hits.size(), kMaxFindHits);
    EXPECT_EQ(describe(result.hits.front()), "essay 100.ess 1:9+5 [Why do I |react|? I react.]");
    EXPECT_EQ(describe(result.hits.back()), "essay 116.ess 20:18+5 [Why do I react? I |react|.]");
}

// Holds every opening of one file until let go, so a test knows a search is
// under way, and not yet done, when it acts. Needs the right to watch the
// file system for permission (root, usually); valid() says why not.
class OpenGate {
public:
    explicit OpenGate(const std::string &path)
        : fd_(::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE))
    {
        if (fd_ < 0 || ::fanotify_mark(fd_, FAN_MARK_ADD, FAN_OPEN_PERM, AT_FDCWD, path.c_str()) != 0)
            why_ = std::string("cannot hold a file's opening: ") + std::strerror(errno);
    }
    ~OpenGate()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool valid() const { return why_.empty(); }
    const std::string &why() const { return why_; }
    // Waits for the next opening to be held; a minute is a search that never came.
    bool held()
    {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, 60000) != 1 || ::read(fd_, &event_, sizeof event_) < static_cast<ssize_t>(sizeof event_))
            return false;
        return true;
    }
    void letGo()
    {
        const fanotify_response response{event_.fd, FAN_ALLOW};
        EXPECT_EQ(::write(fd_, &response, sizeof response), static_cast<ssize_t>(sizeof response));
        ::close(event_.fd);
    }
    // Lets the held opening go and holds none from now on: a search may open
    // its file more than once.
    void openUp()
    {
        letGo();
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    std::string why_;
    fanotify_event_metadata event_{};
};

// A new search cancels the one under way, and a cancelled search delivers
// nothing: each search is held inside its reading of a.lie while the test
// starts the next one or cancels.
TEST(Find, TheRunnerDeliversOnlyTheLatestSearch)
{
    Harness h;
    h.folder.write("a.lie", "apple\r\n");
    h.folder.write("b.lie", "banana\r\n");
    std::mutex mutex;
    std::vector<std::string> delivered;
    const auto record = [&](FindResult result) {
        std::lock_guard lock(mutex);
        delivered.push_back(result.query + "=" + std::to_string(result.hits.size()));
    };
    FindRunner runner;
    // Made after the runner, so gone first: a search held when a check fails
    // is let go before the runner waits for it.
    OpenGate gate(h.folder.file("a.lie"));
    if (!gate.valid())
        GTEST_SKIP() << gate.why();
    runner.start(h.folder.path(), "apple", record);
    ASSERT_TRUE(gate.held());
    runner.start(h.folder.path(), "an", record);
    gate.letGo();
    ASSERT_TRUE(gate.held());
    gate.openUp();
    runner.wait();
    EXPECT_EQ(delivered, std::vector<std::string>{"an=2"});

    OpenGate again(h.folder.file("a.lie"));
    ASSERT_TRUE(again.valid()) << again.why();
    runner.start(h.folder.path(), "never", record);
    ASSERT_TRUE(again.held());
    runner.cancel();
    again.openUp();
    runner.wait();
    EXPECT_EQ(delivered, std::vector<std::string>{"an=2"});
}

TEST(Find, AHitShowsItsFileWithTheMatchSelected)
{
    Harness h;
    h.folder.write(
        "M\xFC"
        "ller.ess",
        "first\r\nsecond\rthird \xC4rger\r\n");
    std::atomic<bool> cancel{false};
    const FindResult result = findInFolder(h.folder.path(), "\xC3\xA4rger", cancel);
    ASSERT_EQ(result.hits.size(), 1u);
    showFindHit(h.ctx, result.hits[0]);
    EXPECT_EQ(h.ui.memo, "first\nsecond\nthird \xC4rger\n");
    EXPECT_TRUE(h.ui.memoVisible);
    EXPECT_FALSE(h.ui.memoWritable);
    EXPECT_EQ(h.ui.page, Page::Ask);
    EXPECT_EQ(h.ui.memo.substr(h.ui.memoSelection.first, h.ui.memoSelection.second), "\xC4rger");
    EXPECT_EQ(h.ui.status,
              "M\xFC"
              "ller.ess, line 3");

    // Gone since the search: the described error; while editing: not at all.
    h.folder.write("x.lie", "x\r\n");
    FindHit gone = result.hits[0];
    gone.fileName = "gone.ess";
    showFindHit(h.ctx, gone);
    EXPECT_EQ(h.ui.messages.back(), "Cannot open file gone.ess.");
    h.ui.whileWaiting([&] {
        showFindHit(h.ctx, result.hits[0]);
        EXPECT_EQ(h.ui.memo, "x\n");
        bEditCancelClick(h.ctx);
    });
    InternalEdit(h.ctx, "x.lie");
    EXPECT_EQ(h.ui.messages.back(), "Please finish your edits by pressing OK or Cancel");

    // During a test the Lie being answered stays, and the scale gets the keyboard back.
    h.ctx.state.run.running = true;
    h.ui.memo = "the Lie\n";
    showFindHit(h.ctx, result.hits[0]);
    EXPECT_EQ(h.ui.messages.back(), kFindHitAfterTest);
    EXPECT_EQ(h.ui.memo, "the Lie\n");
}

} // namespace
} // namespace varnok
