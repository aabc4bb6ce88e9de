#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "help/rtfreader.h"
#include "core/text.h"
#include "platform/random.h"

namespace varnok {
namespace {

RtfRun run(std::string text, bool bold = false, bool italic = false, bool underline = false,
           int size = kRtfDefaultFontSizeHalfPoints, std::optional<std::uint32_t> color = std::nullopt)
{
    RtfRun r;
    r.text = std::move(text);
    r.bold = bold;
    r.italic = italic;
    r.underline = underline;
    r.fontSizeHalfPoints = size;
    r.color = color;
    return r;
}

std::vector<RtfRun> runsOf(std::string_view rtf)
{
    const RtfDocument doc = parseRtf(rtf);
    std::vector<RtfRun> all;
    for (const RtfParagraph &p : doc.paragraphs)
        all.insert(all.end(), p.runs.begin(), p.runs.end());
    return all;
}

std::string plain(std::string_view rtf)
{
    return rtfPlainText(parseRtf(rtf));
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path corpusFolder()
{
    return std::filesystem::path(VARNOK_TEST_SOURCE_DIR) / "help" / "rtf_corpus";
}

// What any input must give: valid UTF-8, nothing empty or repeated in the run
// structure, and output growing no faster than the input.
void expectSane(std::string_view input, const RtfDocument &doc)
{
    const std::string text = rtfPlainText(doc);
    const std::string html = rtfToHtml(doc);
    EXPECT_TRUE(isValidUtf8(text));
    EXPECT_LE(text.size(), 3 * input.size());
    EXPECT_LE(html.size(), 16 * input.size() + 256);
    for (const RtfParagraph &p : doc.paragraphs) {
        for (std::size_t i = 0; i < p.runs.size(); ++i) {
            EXPECT_FALSE(p.runs[i].text.empty());
            EXPECT_GE(p.runs[i].fontSizeHalfPoints, 1);
            EXPECT_LE(p.runs[i].fontSizeHalfPoints, kRtfMaxFontSizeHalfPoints);
            if (i > 0) {
                RtfRun a = p.runs[i - 1];
                RtfRun b = p.runs[i];
                a.text.clear();
                b.text.clear();
                EXPECT_NE(a, b) << "neighbouring runs of equal format were not merged";
            }
        }
    }
}

TEST(RtfReaderFormat, BoldItalicUnderlineRuns)
{
    EXPECT_EQ(
        runsOf(R"({\rtf1 This is \b bold\b0 , \i italic\i0  and \ul under\ulnone  \ul x\ul0 y.})"),
        (std::vector<RtfRun>{run("This is "), run("bold", true), run(", "), run("italic", false, true), run(" and "),
                             run("under", false, false, true), run(" "), run("x", false, false, true), run("y.")}));
    // Any underline style counts as underline; \b1 is on, \b0 off.
    EXPECT_EQ(runsOf(R"({\uldb a\ulnone\b1 b\b0 c})"),
              (std::vector<RtfRun>{run("a", false, false, true), run("b", true), run("c")}));
    // \plain drops all character formatting, \pard none of it.
    EXPECT_EQ(runsOf(R"({\b\i\ul\fs40 a\pard b\plain c})"),
              (std::vector<RtfRun>{run("ab", true, true, true, 40), run("c")}));
    // Hidden text is not shown.
    EXPECT_EQ(plain(R"({a\v hidden\v0 b{\v c}d})"), "abd");
}

TEST(RtfReaderFormat, FontSizeAndColourTable)
{
    const std::string rtf = R"({\rtf1{\colortbl ;\red255\green0\blue0;\red0\green128\blue255;})"
                            R"(\fs20 small {\cf1 red} {\cf2\fs29 blue} \cf0 auto \cf7 unknown \fs plain})";
    EXPECT_EQ(runsOf(rtf), (std::vector<RtfRun>{
                               run("small ", false, false, false, 20), run("red", false, false, false, 20, 0xFF0000),
                               run(" ", false, false, false, 20), run("blue", false, false, false, 29, 0x0080FF),
                               run(" auto unknown ", false, false, false, 20), run("plain")}));
    // A table whose first entry has a colour gives \cf0 that colour; missing
    // components are 0 and out-of-range ones are cut to 255.
    EXPECT_EQ(runsOf(R"({{\colortbl\red300\blue16;\green1;}\cf0 a\cf1 b})"),
              (std::vector<RtfRun>{run("a", false, false, false, 24, 0xFF0010),
                                   run("b", false, false, false, 24, 0x000100)}));
    // Without a table every colour is the default one.
    EXPECT_EQ(runsOf(R"({\cf3 x})"), (std::vector<RtfRun>{run("x")}));
}

TEST(RtfReaderFormat, NestedGroupsRestoreFormatting)
{
    EXPECT_EQ(runsOf(R"({\rtf1 {\b A{\i B{\ul C}D}E}F{\fs40 G{\plain H}I}J})"),
              (std::vector<RtfRun>{run("A", true), run("B", true, true), run("C", true, true, true),
                                   run("D", true, true), run("E", true), run("F"), run("G", false, false, false, 40),
                                   run("H"), run("I", false, false, false, 40), run("J")}));
    // \uc is scoped too: after the group the default of one fallback is back.
    EXPECT_EQ(plain(R"({{\uc0 \u233 x}\u233 xy})"), "\xC3\xA9x\xC3\xA9y");
}

struct TextCase {
    const char *name;
    std::string rtf;
    std::string text;
};

TEST(RtfReaderText, Characters)
{
    const std::vector<TextCase> cases = {
        {"8-bit escape", R"(Caf\'e9 \'E9)", "Caf\xC3\xA9 \xC3\xA9"},
        {"1252 upper half", R"(\'80\'93q\'94\'85)", "\xE2\x82\xAC\xE2\x80\x9Cq\xE2\x80\x9D\xE2\x80\xA6"},
        {"1252 unassigned", R"(\'81)", "\xEF\xBF\xBD"},
        {"raw 8-bit byte read as 1252", "a\x80\xE9", "a\xE2\x82\xAC\xC3\xA9"},
        {"Latin-1 page", R"({\ansicpg28591 \'80\'e9})", "\xC2\x80\xC3\xA9"},
        {"other pages read as 1252", R"({\ansicpg1251 \'80})", "\xE2\x82\xAC"},
        {"escape cut short", R"(a\'e)", "a"},
        {"escape without digits", R"(a\'zb)", "azb"},
        {"unicode with fallback", R"(\u8364? 5)", "\xE2\x82\xAC 5"},
        {"unicode fallback is an escape", R"(\u8364\'80x)",
         "\xE2\x82\xAC"
         "x"},
        {"negative unicode", R"(\u-3913?)", "\xEF\x82\xB7"},
        {"no fallback", R"({\uc0 \u8364 ?})", "\xE2\x82\xAC?"},
        {"two fallbacks", R"({\uc2 \u8364 EUx})",
         "\xE2\x82\xAC"
         "x"},
        {"two escaped fallbacks", R"({\uc2\u8212\'97\'97 done})", "\xE2\x80\x94 done"},
        {"fallback stops at a group", R"({\uc3 \u233{}ab})",
         "\xC3\xA9"
         "ab"},
        {"surrogate pair", R"(\u-10179?\u-8704?)", "\xF0\x9F\x98\x80"},
        {"lone high surrogate", R"(\u-10179?x)", "\xEF\xBF\xBDx"},
        {"lone low surrogate", R"(\u-8704?x)", "\xEF\xBF\xBDx"},
        {"huge unicode", R"(\u99999999999999999999?x)", "\xEF\xBF\xBDx"},
        {"escaped braces and backslash", R"(\\ \{ \})", "\\ { }"},
        {"nbsp, optional and hard hyphen", R"(a\~b\-c\_d)",
         "a\xC2\xA0"
         "bc\xE2\x80\x91"
         "d"},
        {"named characters", R"(\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote)",
         "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"},
        {"line ends in the source are not text", "a\r\nb\nc\rd", "abcd"},
        {"tab word and raw tab", "a\\tab b\tc", "a\tb\tc"},
        {"control characters dropped",
         std::string("a\0\x01\x1F\x7F"
                     "b\\'00c",
                     11),
         "abc"},
        {"one space ends a word", R"(\b  x)", " x"},
        {"digits end a word", R"(\b1x\b0 y)", "xy"},
        {"unknown words and their numbers", R"(\foo42 a\bar-7b\baz c)", "abc"},
        {"long word cut", R"(\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop12 x)", "x"},
        {"text outside every group", R"(before{\rtf1 in}after)", "beforeinafter"},
        {"lone backslash at end", "a\\", "a"},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(plain(c.rtf), c.text) << c.name;
}

TEST(RtfReaderText, SkippedDestinations)
{
    const std::vector<TextCase> cases = {
        {"font table", R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1 Times;}}Body})", "Body"},
        {"colour table", R"({\rtf1{\colortbl;\red1\green2\blue3;}Body})", "Body"},
        {"style sheet and info", R"({{\stylesheet{\s1 Heading;}}{\info{\title T}{\author A}}Body})", "Body"},
        {"generator", R"({{\*\generator Some writer 2.1;}Body})", "Body"},
        {"any ignorable destination", R"({{\*\unheardof text{\b more}}Body})", "Body"},
        {"picture hex", R"({Be{\pict\pngblip 89504e470d0a}fore})", "Before"},
        {"picture with binary data", "{A{\\pict\\bin5 }{\\}x}B}", "AB"},
        {"object", R"({A{\object{\*\objdata 0105}{\result R}}B})", "AB"},
        {"headers and footers", R"({{\header H}{\footerr F}{\headerf G}Body})", "Body"},
        {"lists", R"({{\*\listtable{\list L}}{\listoverridetable{\listoverride O}}Body})", "Body"},
        {"field shows its result only", R"({{\field{\*\fldinst HYPERLINK "x"}{\fldrslt Link}}})", "Link"},
        {"skip ends with its group", R"({{\fonttbl{\f0 A;}}B{\fonttbl C}D})", "BD"},
        {"destination outside every group has no scope", R"(\fonttbl A\*B)", "AB"},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(plain(c.rtf), c.text) << c.name;
}

TEST(RtfReaderText, ParagraphsAndLineBreaks)
{
    const RtfDocument doc = parseRtf(R"({\rtf1 One\line two\par {\b Three}\par\par Four\par})");
    ASSERT_EQ(doc.paragraphs.size(), 4u);
    EXPECT_EQ(doc.paragraphs[0].runs, (std::vector<RtfRun>{run("One\ntwo")}));
    EXPECT_EQ(doc.paragraphs[1].runs, (std::vector<RtfRun>{run("Three", true)}));
    EXPECT_TRUE(doc.paragraphs[2].runs.empty());
    EXPECT_EQ(doc.paragraphs[3].runs, (std::vector<RtfRun>{run("Four")}));
    EXPECT_EQ(rtfPlainText(doc), "One\ntwo\nThree\n\nFour");

    EXPECT_EQ(parseRtf("").paragraphs.size(), 0u);
    EXPECT_EQ(parseRtf("{\\rtf1 }").paragraphs.size(), 0u);
    EXPECT_EQ(parseRtf("\\par").paragraphs.size(), 1u);
    EXPECT_EQ(parseRtf("a").paragraphs.size(), 1u);
    // A backslash before a line end is a paragraph mark; table rows are paragraphs.
    EXPECT_EQ(plain("a\\\nb\\\r\nc"), "a\nb\nc");
    EXPECT_EQ(plain(R"(A\cell B\cell\row C\cell\row)"), "A\tB\t\nC\t");
    // Paragraph marks in skipped groups do not count.
    EXPECT_EQ(plain(R"(a{\header x\par y\par}b)"), "ab");
}

TEST(RtfReaderHtml, EscapesAndTags)
{
    const std::string html = rtfToHtml(
        parseRtf(R"({\rtf1{\colortbl;\red255\green0\blue0;}<a href="x">&'\line {\b\i\ul\cf1\fs21 all}\par x})"));
    EXPECT_NE(html.find("<p><span style=\"font-size:12pt\">&lt;a href=&quot;x&quot;&gt;&amp;&#39;<br></span>"
                        "<span style=\"font-size:10.5pt;color:#ff0000\"><b><i><u>all</u></i></b></span></p>"
                        "<p><span style=\"font-size:12pt\">x</span></p></body>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("<a"), std::string::npos);
    EXPECT_EQ(html.find("\"x\""), std::string::npos);
    // Paragraphs without margins and with white space kept, as in the source.
    EXPECT_NE(html.find("white-space:pre-wrap"), std::string::npos);
    // An empty paragraph keeps its line; nothing stands between the tags,
    // where kept white space would show.
    const std::string empty = rtfToHtml(parseRtf("a\\par\\par b"));
    EXPECT_NE(empty.find("</p><p class=\"e\"><br></p><p>"), std::string::npos) << empty;
    EXPECT_EQ(empty.find('\n'), std::string::npos);
}

TEST(RtfReaderRobustness, AbsurdNumbersAreClamped)
{
    EXPECT_EQ(runsOf(R"(\fs999999999999 a\fs-5 b\fs0 c\fs1 d)"),
              (std::vector<RtfRun>{run("a", false, false, false, kRtfMaxFontSizeHalfPoints), run("bc"),
                                   run("d", false, false, false, 1)}));
    EXPECT_EQ(plain(R"({\colortbl;\red1;}\cf99999999999999999999 a\cf-99999999999999 b)"), "ab");
    EXPECT_EQ(plain(R"({\uc99999999999999 \u65 abc}d)"), "Ad");
    EXPECT_EQ(plain(R"({\uc-3 \u65 bc})"), "Abc");
    EXPECT_EQ(plain(R"(a{\pict\bin99999999999999 xyz)"), "a");
    EXPECT_EQ(plain(R"(a{\bin-4 x}b)"), "axb");
    EXPECT_EQ(plain(R"(\u-99999999999999999?x)"), "\xEF\xBF\xBDx");
}

// The inputs that give the most output per byte: a new run or paragraph for
// every few bytes, and text that the HTML must escape.
TEST(RtfReaderRobustness, OutputStaysInProportion)
{
    const std::vector<std::string> patterns = {
        "\\b\"\\b0\"",  "\\b\\i\\ul'\\plain'",
        "\\cf1'\\cf0'", "\\fs1&\\fs3&",
        "\\\n",         "\\par",
        "\"",           "\\~",
        "\\_",          "\x80",
        "\\'80",        "\\uc0\\u-10179 ",
        "{}",
    };
    for (const std::string &pattern : patterns) {
        std::string input = "{\\colortbl;\\red255;}";
        for (int i = 0; i < 10000; ++i)
            input += pattern;
        SCOPED_TRACE(pattern);
        expectSane(input, parseRtf(input));
    }
}

TEST(RtfReaderRobustness, UnbalancedBraces)
{
    EXPECT_EQ(runsOf(R"(}}{\b a}}b{\i c)"), (std::vector<RtfRun>{run("a", true), run("b"), run("c", false, true)}));
    EXPECT_EQ(plain("{{{{"), "");
    EXPECT_EQ(plain("}}}}x"), "x");
}

TEST(RtfReaderRobustness, DeepNesting)
{
    const auto nested = [](std::size_t depth, std::string_view inner) {
        return std::string(depth, '{') + std::string(inner) + std::string(depth, '}');
    };
    const std::size_t limit = static_cast<std::size_t>(kRtfMaxGroupDepth);
    EXPECT_EQ(plain(nested(limit, "in")), "in");
    EXPECT_EQ(plain(nested(limit + 1, "in")), "");
    EXPECT_EQ(plain(nested(100000, "deep") + "after"), "after");
    EXPECT_EQ(plain(std::string(100000, '{') + "open"), "");
    // Leaving the over-deep groups brings back the formatting from before them.
    EXPECT_EQ(runsOf("{\\b " + nested(2000, "x\\b0") + "y}z"), (std::vector<RtfRun>{run("y", true), run("z")}));
    // Braces escaped or inside binary data never count as groups.
    EXPECT_EQ(plain("{a\\{\\{{\\pict\\bin3 {{{}b}c"), "a{{bc");
}

// How long this takes is for bench/bench_large_inputs to watch.
TEST(RtfReaderRobustness, TenMegabytesReadWhole)
{
    // A paragraph much like those of a help file: mostly prose, a few
    // formatted words, escapes and a skipped group.
    const std::string chunk = R"(When the reaction is {\b strong} or {\i weak}, the program asks for an essay )"
                              R"(that explains it; {\cf1\fs30 colour} plain \'e9\u8364?{\*\gen skip} and the )"
                              R"(limits are set on the options page, where they can be changed at any time.\par)"
                              "\r\n";
    std::string header = R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red10\green20\blue30;})";
    header += "{\\pict\\pngblip " + std::string(1024 * 1024, 'a') + "}";
    std::string input = header;
    std::size_t chunks = 0;
    while (input.size() < 10 * 1024 * 1024) {
        input += chunk;
        ++chunks;
    }
    input += "}";

    const RtfDocument doc = parseRtf(input);
    const std::string html = rtfToHtml(doc);

    ASSERT_EQ(doc.paragraphs.size(), chunks);
    EXPECT_EQ(doc.paragraphs.back().runs,
              (std::vector<RtfRun>{run("When the reaction is "), run("strong", true), run(" or "),
                                   run("weak", false, true), run(", the program asks for an essay that explains it; "),
                                   run("colour", false, false, false, 30, 0x0A141E),
                                   run(" plain \xC3\xA9\xE2\x82\xAC and the limits are set on the options page, "
                                       "where they can be changed at any time.")}));
    EXPECT_EQ(doc.paragraphs.front(), doc.paragraphs.back());
    EXPECT_GT(html.size(), input.size());
    expectSane(input, doc);
}

// Random inputs, half of them plain random bytes and half put together from
// pieces of the format, so that the reader's less travelled paths are hit.
TEST(RtfReaderRobustness, RandomInputs)
{
    const std::vector<std::string> pieces = {
        "{",       "}",        "\\",        "\\b",   "\\b0",      "\\i",        "\\ul",        "\\ulnone",
        "\\plain", "\\par",    "\\line",    "\\tab", "\\fs",      "\\cf",       "\\colortbl",  "\\red",
        ";",       "\\u",      "\\uc",      "-",     "0",         "9",          "99999999999", "\\'",
        "e",       "9",        "\\bin",     "\\*",   "\\fonttbl", "\\pict",     "\\~",         "\\-",
        "\\_",     "\\emdash", "\\ansicpg", "28591", " ",         "\r\n",       "a",           "<&>\"'",
        "\x80",    "\xFF",     "\\v",       "\\row", "\\\n",      "\\u-10179?", "\\u-8704?",
    };
    SeededRandom random(20261207);
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::string input;
        const int length = random.next(300);
        if (iteration % 2 == 0) {
            for (int i = 0; i < length; ++i)
                input += static_cast<char>(random.next(256));
        } else {
            for (int i = 0; i < length; ++i)
                input += pieces[static_cast<std::size_t>(random.next(static_cast<int>(pieces.size())))];
        }
        const RtfDocument doc = parseRtf(input);
        SCOPED_TRACE(iteration);
        expectSane(input, doc);
        if (HasFailure())
            return;
    }
}

struct CorpusCase {
    const char *file;
    std::string text;
};

TEST(RtfReaderCorpus, SampleFiles)
{
    const std::vector<CorpusCase> cases = {
        {"basic.rtf",
         "Varnok Help\nThis is bold, italic and underlined text.\n"
         "Red text and big blue back to normal.\nSecond line\tafter tab."},
        {"unicode.rtf",
         "Caf\xC3\xA9 costs 5\xE2\x82\xAC or \xE2\x82\xAC 5.\n"
         "Two fallbacks: \xE2\x80\x94 done.\n"
         "No fallback: \xE2\x80\xA2x\n"
         "Smile: \xF0\x9F\x98\x80\n"
         "Quotes: \xE2\x80\x9Chi\xE2\x80\x9D \xE2\x80\x98x\xE2\x80\x99 "
         "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\n"
         "Spaces:\xC2\xA0"
         "ab\xE2\x80\x91"
         "c"},
        {"picture.rtf", "Before picture.After picture.\nMarked.\nLink text"},
        {"broken.rtf", "Start bold both still bold extra tail open group never closed "},
    };
    for (const CorpusCase &c : cases) {
        const std::string input = readFile(corpusFolder() / c.file);
        ASSERT_FALSE(input.empty()) << c.file;
        const RtfDocument doc = parseRtf(input);
        EXPECT_EQ(rtfPlainText(doc), c.text) << c.file;
    }

    // Every file of the corpus, the fuzzer's findings included, must read sanely.
    std::size_t files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(corpusFolder())) {
        const std::string input = readFile(entry.path());
        SCOPED_TRACE(entry.path().filename().string());
        expectSane(input, parseRtf(input));
        ++files;
    }
    EXPECT_GE(files, cases.size());

    const RtfDocument basic = parseRtf(readFile(corpusFolder() / "basic.rtf"));
    ASSERT_EQ(basic.paragraphs.size(), 3u);
    EXPECT_EQ(basic.paragraphs[0].runs, (std::vector<RtfRun>{run("Varnok Help", true, false, false, 32)}));
    EXPECT_EQ(basic.paragraphs[2].runs[0], run("Red text", false, false, false, 22, 0xFF0000));
    EXPECT_EQ(basic.paragraphs[2].runs[2], run("big blue", false, false, false, 28, 0x0080FF));

    const RtfDocument broken = parseRtf(readFile(corpusFolder() / "broken.rtf"));
    ASSERT_EQ(broken.paragraphs.size(), 1u);
    EXPECT_EQ(broken.paragraphs[0].runs,
              (std::vector<RtfRun>{run("Start "), run("bold ", true), run("both", true, true), run(" still bold", true),
                                   run(" extra tail "), run("open group never closed ", true)}));
}

} // namespace
} // namespace varnok
