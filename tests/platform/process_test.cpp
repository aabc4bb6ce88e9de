#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/textfile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace varnok {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

struct SplitCase {
    std::string_view line;
    Words words;
};

TEST(SplitCommandLine, SeparatesAndGroupsWords)
{
    const SplitCase cases[] = {
        {"notepad.exe", {"notepad.exe"}},
        {"gedit --wait", {"gedit", "--wait"}},
        {"  ed   a  b  ", {"ed", "a", "b"}},
        {"ed\ta\t\tb\t", {"ed", "a", "b"}},
        {"\t ed \t", {"ed"}},
        {"", {}},
        {" \t  ", {}},
        {"ed \"two words\" x", {"ed", "two words", "x"}},
        {"ed \"\" x", {"ed", "", "x"}},
        {"ed \"\"", {"ed", ""}},
        {"ed a\"b c\"d", {"ed", "ab cd"}},
        {"ed a\"\"b", {"ed", "ab"}},
        {"ed \"tab\there\"", {"ed", "tab\there"}},
        {"ed a\nb", {"ed", "a\nb"}},
        {"ed \"unclosed to the end", {"ed", "unclosed to the end"}},
        {"ed \"", {"ed", ""}},
        {std::string_view("ed a\0b c", 8), {"ed", "a"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.words) << "line: [" << c.line << "]";
}

TEST(SplitCommandLine, FollowsTheBackslashAndQuoteRules)
{
    const SplitCase cases[] = {
        // Backslashes not followed by a quote stay as they are.
        {R"(ed a\\b)", {"ed", R"(a\\b)"}},
        {R"(ed C:\dir\)", {"ed", R"(C:\dir\)"}},
        {R"(ed \\server\share)", {"ed", R"(\\server\share)"}},
        // 2n+1 backslashes and a quote: n backslashes and a literal quote.
        {R"(ed a\"b)", {"ed", R"(a"b)"}},
        {R"(ed a\\\"b)", {"ed", R"(a\"b)"}},
        {R"(ed "in \"quotes\" too")", {"ed", R"(in "quotes" too)"}},
        // 2n backslashes and a quote: n backslashes, the quote groups.
        {R"(ed a\\"b c")", {"ed", R"(a\b c)"}},
        {R"(ed a\\\\"b c")", {"ed", R"(a\\b c)"}},
        {R"(ed "a\\")", {"ed", R"(a\)"}},
        {R"(ed "a\\" b)", {"ed", R"(a\)", "b"}},
        // Two quotes inside quotes: one literal quote, quoting goes on.
        {R"(ed "a""b")", {"ed", R"(a"b)"}},
        {R"(ed "a""b c")", {"ed", R"(a"b c)"}},
        {R"(ed """")", {"ed", R"(")"}},
        {R"(ed "a"")", {"ed", R"(a")"}},
        {R"(ed "a"" b")", {"ed", R"(a" b)"}},
        {R"(ed "a""" b)", {"ed", R"(a")", "b"}},
        {R"(ed "\\""x")", {"ed", R"(\"x)"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.words) << "line: [" << c.line << "]";
}

TEST(SplitCommandLine, ReadsTheProgramNameByItsOwnRule)
{
    // In the program name quotes only group and backslashes are plain, so a
    // path ending in a backslash before a quote still ends the quoting.
    const SplitCase cases[] = {
        {R"("C:\Program Files\ed.exe" -x)", {R"(C:\Program Files\ed.exe)", "-x"}},
        {R"("/opt/my editor/ed")", {"/opt/my editor/ed"}},
        {R"(C:\dir\"quoted part"\ed)", {R"(C:\dir\quoted part\ed)"}},
        {R"("C:\dir\" "two words")", {R"(C:\dir\)", "two words"}},
        {R"(ed\" x)", {R"(ed\ x)"}},
        {R"(a"b c"d e)", {"ab cd", "e"}},
        {R"("" x)", {"", "x"}},
        {R"(a""b c)", {"ab", "c"}},
        {R"("unclosed program name x)", {"unclosed program name x"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.words) << "line: [" << c.line << "]";
}

TEST(EditorArguments, MatchesTheQuotedCommandLine)
{
    const std::string_view editors[] = {
        "notepad.exe", "gedit --wait", R"("/opt/my ed/ed" -n "two words")", R"(ed a\b "x\\" \"q)", "  ed\t",
    };
    const std::string names[] = {
        "Money.lie", "two words.lie", "$(touch pwned).lie", "a;b",       "`x`", "it's.ess",
        "-rf",       "tab\there",     R"(back\slash)",      "new\nline", "",    "%PATH%",
    };
    for (auto editor : editors) {
        for (const auto &name : names) {
            std::string line(editor);
            line += " \"" + name + "\"";
            const auto argv = editorArguments(editor, name);
            EXPECT_EQ(argv, splitCommandLine(line)) << "line: [" << line << "]";
            ASSERT_EQ(argv.size(), splitCommandLine(editor).size() + 1);
            EXPECT_EQ(argv.back(), name);
        }
    }
}

TEST(EditorArguments, KeepsNamesTheQuotedLineCannotCarry)
{
    const std::string names[] = {R"(say "hi".lie)", R"(ends in\)", R"(a\"b)", R"(""x)"};
    for (const auto &name : names) {
        EXPECT_EQ(editorArguments("ed -x", name), (Words{"ed", "-x", name}));
        EXPECT_NE(splitCommandLine("ed -x \"" + name + "\""), (Words{"ed", "-x", name})) << name;
    }
    // Without a program the file name itself must never become one.
    EXPECT_EQ(editorArguments("", "Money.lie"), Words{});
    EXPECT_EQ(editorArguments(" \t ", "/bin/true"), Words{});
}

TEST(DescribeStartError, NamesTheCommandAndTheReason)
{
    EXPECT_EQ(describeStartError("nosuch", ENOENT),
              "The editor \"nosuch\" could not be started: No such file or directory");
    EXPECT_EQ(describeStartError("/opt/ed --x", EACCES),
              "The editor \"/opt/ed --x\" could not be started: Permission denied");
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/varnok-process-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = fs::canonical(pattern).string();
        recorder = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";
        ASSERT_TRUE(fs::exists(recorder)) << recorder;
        recordFile = folder + "/record";
        ::setenv("VARNOK_RECORD", recordFile.c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("VARNOK_RECORD");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // What one run of the recorder saw: its current folder, then its arguments.
    Words takeRecord()
    {
        std::string bytes;
        if (!readFileBytes(recordFile, bytes))
            return {};
        fs::remove(recordFile);
        Words fields;
        if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != std::string("\0\n", 2))
            return {"<malformed record>"};
        bytes.pop_back();
        std::size_t start = 0;
        for (auto nul = bytes.find('\0'); nul != std::string::npos; nul = bytes.find('\0', start)) {
            fields.push_back(bytes.substr(start, nul - start));
            start = nul + 1;
        }
        return fields;
    }

    std::string makeFolder(const std::string &name)
    {
        const auto path = folder + "/" + name;
        fs::create_directories(path);
        return path;
    }

    std::string folder;
    std::string recorder;
    std::string recordFile;
};

TEST_F(ProcessTest, EditorGetsAHostileNameAsOneArgumentAndNothingRuns)
{
    const auto lieFolder = makeFolder("lie folder");
    const std::string names[] = {
        "$(touch pwned).lie",
        "a; touch pwned",
        "`touch pwned`",
        "it's 'quoted'.ess",
        "  two  blanks .lie",
        "line\nbreak; touch pwned",
        "-rf",
        "--help",
        "a && touch pwned &",
        "> pwned",
        "| touch pwned",
        "$HOME *",
        R"(say "hi".lie)",
        R"(back\slash\)",
    };
    const std::string editor = "\"" + recorder + "\" --wait";
    for (const auto &name : names) {
        const auto result = runAndWait(editorArguments(editor, name), lieFolder);
        ASSERT_TRUE(result) << describeStartError(editor, result.error());
        EXPECT_EQ(takeRecord(), (Words{lieFolder, "--wait", name}));
    }
    EXPECT_FALSE(fs::exists(lieFolder + "/pwned"));
    EXPECT_FALSE(fs::exists(folder + "/pwned"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

TEST_F(ProcessTest, ProgramPathWithBlanksAndItsOwnArguments)
{
    const auto editorFolder = makeFolder("my editors");
    const auto editor = editorFolder + "/rec ord";
    fs::copy_file(recorder, editor);
    fs::permissions(editor, fs::perms::owner_all);
    const auto lieFolder = makeFolder("Lies");

    const auto argv = editorArguments("\"" + editor + "\" -n \"two words\" a\\\"b", "Money.lie");
    ASSERT_TRUE(runAndWait(argv, lieFolder));
    EXPECT_EQ(takeRecord(), (Words{lieFolder, "-n", "two words", "a\"b", "Money.lie"}));
}

TEST_F(ProcessTest, RunsInTheGivenFolder)
{
    const auto lieFolder = makeFolder("a b/Lies");
    ASSERT_TRUE(runAndWait({recorder}, lieFolder));
    EXPECT_EQ(takeRecord(), Words{lieFolder});

    // No folder given: the child keeps ours.
    ASSERT_TRUE(runAndWait({recorder, "x"}, ""));
    EXPECT_EQ(takeRecord(), (Words{fs::current_path().string(), "x"}));
}

TEST_F(ProcessTest, FindsTheProgramOnThePath)
{
    const auto bin = makeFolder("bin");
    fs::copy_file(recorder, bin + "/varnok-test-editor");
    const char *oldPath = std::getenv("PATH");
    const std::string saved = oldPath ? oldPath : "";
    ::setenv("PATH", ("/nonexistent:" + bin + ":" + saved).c_str(), 1);
    const auto result = runAndWait(editorArguments("varnok-test-editor -a", "f.lie"), folder);
    ::setenv("PATH", saved.c_str(), 1);
    ASSERT_TRUE(result) << describeStartError("varnok-test-editor", result.error());
    EXPECT_EQ(takeRecord(), (Words{folder, "-a", "f.lie"}));
}

TEST_F(ProcessTest, ReportsWhatCannotBeStarted)
{
    const auto plainFile = folder + "/not-a-program";
    ASSERT_TRUE(writeFileAtomic(plainFile, "#!/bin/sh\nexit 0\n"));
    fs::permissions(plainFile, fs::perms::owner_read | fs::perms::owner_write);
    const auto subFolder = makeFolder("sub");

    struct Case {
        const char *what;
        std::vector<std::string> argv;
        std::string workingFolder;
        int error;
    };
    const Case cases[] = {
        {"unknown on PATH", {"varnok-no-such-editor-xyz", "f"}, folder, ENOENT},
        {"missing path", {folder + "/missing/ed"}, folder, ENOENT},
        {"not executable", {plainFile}, folder, EACCES},
        {"a folder", {subFolder}, folder, EACCES},
        {"missing working folder", {recorder, "f"}, folder + "/gone", ENOENT},
        {"no arguments", {}, folder, ENOENT},
        {"empty program name", {"", "f"}, folder, ENOENT},
    };
    for (const auto &c : cases) {
        const auto pid = startProcess(c.argv, c.workingFolder);
        EXPECT_FALSE(pid) << c.what;
        if (pid)
            waitProcess(*pid);
        EXPECT_EQ(pid.error(), c.error) << c.what << ": " << describeStartError("x", pid.error());

        const auto result = runAndWait(c.argv, c.workingFolder);
        EXPECT_FALSE(result) << c.what;
        EXPECT_EQ(result.error(), c.error) << c.what;
    }
    EXPECT_FALSE(fs::exists(recordFile)) << "a program ran although its start failed";
}

TEST_F(ProcessTest, ExitCodeDoesNotMatter)
{
    const auto result = runAndWait({"false"}, folder);
    EXPECT_TRUE(result);
    EXPECT_EQ(result.error(), 0);

    ::unsetenv("VARNOK_RECORD"); // the recorder then ends with status 2
    EXPECT_TRUE(runAndWait({recorder}, folder));
}

TEST_F(ProcessTest, WaitsForTheEnd)
{
    using Clock = std::chrono::steady_clock;
    // Runs until the test lets it end, however slow the machine.
    const auto pid = startProcess({"sh", "-c", "while [ ! -e go ]; do sleep 0.01; done; : > went"}, folder);
    ASSERT_TRUE(pid) << describeStartError("sh", pid.error());
    EXPECT_EQ(pid.error(), 0);
    EXPECT_FALSE(processFinished(*pid));
    ASSERT_TRUE(writeFileAtomic(folder + "/go", ""));
    waitProcess(*pid);
    EXPECT_TRUE(fs::exists(folder + "/went")) << "returned before the process ended";
    EXPECT_TRUE(processFinished(*pid)); // reaped: nothing left to wait for

    const auto quick = startProcess({recorder, "polled"}, folder);
    ASSERT_TRUE(quick);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!processFinished(*quick) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_LT(Clock::now(), deadline);
    waitProcess(*quick); // already reaped: must not block
    EXPECT_EQ(takeRecord(), (Words{folder, "polled"}));
}

TEST_F(ProcessTest, PassesOnNoOtherDescriptors)
{
    // Descriptors opened the careless way, without close-on-exec, at low and
    // high numbers.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int file = ::open(recorder.c_str(), O_RDONLY);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::dup2(file, 77), 77);
    ASSERT_EQ(::dup2(ends[1], 300), 300);

    const auto listing = folder + "/fds";
    const auto result = runAndWait({"/bin/sh", "-c", "exec ls /proc/self/fd > \"$1\"", "sh", listing}, folder);
    for (int fd : {ends[0], ends[1], file, 77, 300})
        ::close(fd);
    ASSERT_TRUE(result);

    Lines seen;
    ASSERT_TRUE(readLines(listing, seen));
    ASSERT_FALSE(seen.empty());
    // 0 to 2 are inherited; ls itself opens the listed folder as the lowest free one.
    std::set<std::string> allowed{"0", "1", "2", "3"};
    for (const auto &fd : seen)
        EXPECT_TRUE(allowed.count(fd)) << "descriptor " << fd << " was passed on";
}

TEST(DefaultEditorCommand, PrefersEditorsThatBlockUntilClosed)
{
    char pattern[] = "/tmp/varnok-editors-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;

    struct Case {
        std::vector<std::string> installed;
        std::string command;
    };
    const Case cases[] = {
        {{}, "gedit --wait"},
        {{"kate"}, "kate --block"},
        {{"mousepad", "kate"}, "kate --block"},
        {{"kate", "gedit"}, "gedit --wait"},
        {{"geany", "mousepad"}, "mousepad --disable-server"},
        {{"geany", "xterm", "nano"}, "geany --new-instance"},
        {{"xterm"}, "xterm -e vi"},
        {{"nano", "xterm"}, "xterm -e nano"},
        {{"nano"}, "gedit --wait"},
    };
    int n = 0;
    for (const auto &c : cases) {
        // Spread over two folders to exercise the whole search path.
        const auto first = root + "/" + std::to_string(n) + "a";
        const auto second = root + "/" + std::to_string(n++) + "b";
        fs::create_directories(first);
        fs::create_directories(second);
        bool toFirst = true;
        for (const auto &program : c.installed) {
            const auto path = (toFirst ? first : second) + "/" + program;
            toFirst = !toFirst;
            ASSERT_TRUE(writeFileAtomic(path, "#!/bin/sh\n"));
            fs::permissions(path, fs::perms::owner_all);
        }
        EXPECT_EQ(defaultEditorCommand(first + "::" + second), c.command);
    }

    // Only executable plain files count.
    const auto decoys = root + "/decoys";
    fs::create_directories(decoys + "/gedit");
    ASSERT_TRUE(writeFileAtomic(decoys + "/kate", "#!/bin/sh\n"));
    fs::permissions(decoys + "/kate", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(findOnPath("gedit", decoys), "");
    EXPECT_EQ(findOnPath("kate", decoys), "");
    ASSERT_TRUE(writeFileAtomic(decoys + "/mousepad", "#!/bin/sh\n"));
    fs::permissions(decoys + "/mousepad", fs::perms::owner_all);
    EXPECT_EQ(defaultEditorCommand(decoys), "mousepad --disable-server");
    EXPECT_EQ(findOnPath("mousepad", "/nonexistent:" + decoys), decoys + "/mousepad");
    EXPECT_EQ(findOnPath(decoys + "/mousepad", decoys), ""); // a path is not searched

    std::error_code ignored;
    fs::remove_all(root, ignored);
}

} // namespace
} // namespace varnok
