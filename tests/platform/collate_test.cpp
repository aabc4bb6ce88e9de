#include <gtest/gtest.h>
#include <locale.h>

#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/collate.h"
#include "platform/files.h"
#include "platform/unicode.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using Names = std::vector<std::string>;

std::string latin1(const std::string &utf8)
{
    std::string out;
    for (char32_t c : decodeText(utf8))
        out += static_cast<char>(c);
    return out;
}

// Names that try the byte key's edges: one name the start of another, case
// and accent ties, letters that become two ("ß", "æ"), the boundaries of
// UTF-8's lengths, Latin-1 twins, control characters and a NUL.
Names edgeNames()
{
    // A table laid out by hand.
    // clang-format off
    Names names = {"",          "a",          "A",          "a ",          "ab",         "aB",
                   "abc",       "\xC3\x84",   "\xC4",       "\xC3\x84" "b",   "\xC3\x9F",   "ss",
                   "s",         "sss",        "\xC3\xA6",   "ae",          "\xC3\x86",   "af",
                   "1",         "10",         "9",          "~",           "\x7F",        "\x01",
                   "\xC2\x80",  "\xDF\xBF",   "\xE0\xA0\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
                   "\xF4\x8F\xBF\xBF", "\xFF",       "\xCE\xA9",   "\xCF\x89",    "z",          "Z.lie"};
    // clang-format on
    names.push_back(std::string("a\0b", 3));
    names.push_back(std::string("a\0", 2));
    // And many made of those pieces, so long shared starts meet.
    const char *const pieces[] = {"a", "A", "\xC3\xA4", "\xE4", "ss",       "\xC3\x9F", " ",       "1",
                                  "9", ".", "\xCE\xA9", "e",    "\xC3\xA9", "ae",       "\xC3\xA6"};
    std::mt19937 random(19);
    for (int i = 0; i < 300; ++i) {
        std::string name;
        const int length = static_cast<int>(random() % 6);
        for (int k = 0; k < length; ++k)
            name += pieces[random() % std::size(pieces)];
        names.push_back(name);
    }
    return names;
}

// The packed key must order every pair as the key it packs.
void expectByteKeysAgree(const NameCollator &collator)
{
    const Names names = edgeNames();
    std::vector<NameCollator::Key> keys;
    std::vector<std::string> bytes;
    for (const auto &name : names) {
        keys.push_back(collator.key(name));
        bytes.push_back(collator.sortKey(name));
    }
    const auto sign = [](auto order) { return order < 0 ? -1 : (order > 0 ? 1 : 0); };
    int disagreements = 0;
    for (std::size_t a = 0; a < names.size(); ++a)
        for (std::size_t b = 0; b < names.size(); ++b)
            if (sign(keys[a] <=> keys[b]) != sign(bytes[a].compare(bytes[b])) && ++disagreements <= 5)
                ADD_FAILURE() << "\"" << names[a] << "\" against \"" << names[b] << "\"";
    EXPECT_EQ(disagreements, 0);
}

TEST(Unicode, FoldingCoversTheScriptsOfAJournalAndKeepsAsciiApart)
{
    const struct {
        char32_t capital;
        char32_t small;
    } pairs[] = {{U'A', U'a'}, {U'Ä', U'ä'}, {U'Þ', U'þ'}, {U'Ÿ', U'ÿ'}, {U'Ł', U'ł'}, {U'Ž', U'ž'}, {U'Ș', U'ș'},
                 {U'Ω', U'ω'}, {U'Ά', U'ά'}, {U'Ж', U'ж'}, {U'Ё', U'ё'}, {U'Ա', U'ա'}, {U'Ạ', U'ạ'}, {U'ẞ', U'ß'}};
    for (const auto &pair : pairs) {
        EXPECT_EQ(foldCase(pair.capital), pair.small) << static_cast<unsigned>(pair.capital);
        EXPECT_EQ(foldCase(pair.small), pair.small) << static_cast<unsigned>(pair.small);
    }
    EXPECT_EQ(foldCase(U'ς'), U'σ');
    // Nothing but ASCII folds to ASCII: an ASCII search may fold bytes alone.
    for (char32_t c = 0x80; c < 0x2000; ++c)
        EXPECT_GE(foldCase(c), 0x80u) << static_cast<unsigned>(c);
}

TEST(Unicode, TextIsUtf8WhenValidAndLatin1Otherwise)
{
    EXPECT_EQ(decodeText("\xC3\x84rger"), U"Ärger");
    EXPECT_EQ(decodeText("\xC4rger"), U"Ärger");                    // Latin-1
    EXPECT_EQ(decodeText("\xC3\x84r\xE4"), U"\u00C3\u0084r\u00E4"); // mixed: all Latin-1
    EXPECT_FALSE(isUtf8Text("\xED\xA0\x80"));                       // a surrogate
    EXPECT_FALSE(isUtf8Text("\xC0\xAF"));                           // an overlong "/"
    EXPECT_FALSE(isUtf8Text("abcdefghijklmnop\xE2\x82"));           // cut after a long ASCII run
    EXPECT_TRUE(isUtf8Text("abcdefghijklmnop\xE2\x82\xAC"));
    EXPECT_EQ(latin1ToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
}

TEST(NameCollator, WithoutALanguageLocaleLettersSortAsPeopleReadThem)
{
    // Digits and letters in their usual order, blanks and punctuation before
    // them; accented letters beside their plain ones, "ß" as "ss"; names equal
    // but for case or accents ordered by the accents, then by the bytes.
    const Names expected = {"1 first.lie",  "10.lie",    "9.lie",        "Apfel.lie", "apfel.lie",
                            "Ärger.lie",    "Äther.lie", "Banane.lie",   "Élan.lie",  "Esslingen.lie",
                            "Eßlingen.lie", "Ölung.lie", "zucchini.lie", "Ωmega.lie"};
    for (const char *locale : {"", "C", "POSIX", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
        const NameCollator collator(locale);
        EXPECT_FALSE(collator.usesLocale()) << locale;
        Names names(expected.rbegin(), expected.rend());
        collator.sort(names);
        EXPECT_EQ(names, expected) << locale;
    }
}

TEST(NameCollator, TheByteKeyOrdersAsTheKeyItPacks)
{
    expectByteKeysAgree(NameCollator("C"));
}

TEST(NameCollator, Latin1NamesSortLikeTheirUtf8Twins)
{
    const NameCollator collator("C");
    Names names = {"zucchini.lie", latin1("Ärger.lie"), "Apfel.lie", latin1("Élan.lie"), "Banane.lie"};
    collator.sort(names);
    EXPECT_EQ(names, (Names{"Apfel.lie", latin1("Ärger.lie"), "Banane.lie", latin1("Élan.lie"), "zucchini.lie"}));
    EXPECT_LT(collator.compare("a", "B"), 0);
    EXPECT_GT(collator.compare("b", "A"), 0);
    EXPECT_EQ(collator.compare("same", "same"), 0);
}

// A language locale, built for the test where the system has its sources
// (only the "C" locales are installed here).
class GeneratedLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string command = "localedef -i de_DE -f UTF-8 " + folder.path() + "de_DE.UTF-8 >/dev/null 2>&1";
        // localedef reports warnings by its exit code too, and may leave a
        // half-made locale behind when the system lacks the sources: what
        // counts is whether the locale loads.
        const int built = std::system(command.c_str());
        const char *old = std::getenv("LOCPATH");
        oldLocPath = old ? old : "";
        hadLocPath = old != nullptr;
        ::setenv("LOCPATH", folder.path().c_str(), 1);
        const locale_t loaded = ::newlocale(LC_COLLATE_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
        if (!loaded)
            GTEST_SKIP() << "localedef cannot build de_DE here (exit " << built << "; scripts/setup installs locales)";
        ::freelocale(loaded);
    }
    void TearDown() override
    {
        if (hadLocPath)
            ::setenv("LOCPATH", oldLocPath.c_str(), 1);
        else
            ::unsetenv("LOCPATH");
    }
    testing::TempFolder folder;
    std::string oldLocPath;
    bool hadLocPath = false;
};

TEST_F(GeneratedLocale, ALanguageLocaleDecidesTheOrder)
{
    const NameCollator collator("de_DE.UTF-8");
    ASSERT_TRUE(collator.usesLocale());
    Names names = {"zucchini.lie", "Ärger.lie", "apfel.lie", "Élan.lie", "Banane.lie", "Apfel.lie", latin1("Öl.lie")};
    collator.sort(names);
    EXPECT_EQ(names, (Names{"apfel.lie", "Apfel.lie", "Ärger.lie", "Banane.lie", "Élan.lie", latin1("Öl.lie"),
                            "zucchini.lie"}));
}

TEST_F(GeneratedLocale, TheByteKeyOrdersAsTheLocalesKeyItPacks)
{
    const NameCollator collator("de_DE.UTF-8");
    ASSERT_TRUE(collator.usesLocale());
    expectByteKeysAgree(collator);
}

TEST(ListFolder, SortsWithTheUsersCollation)
{
    testing::TempFolder folder;
    for (const char *name : {"zucchini.lie", "Ärger.lie", "apfel.lie", "Élan.lie", "Banane.lie"})
        folder.write(name, "x\r\n");
    const Names listed = listFolder(folder.path(), "*.lie");
    Names sorted = listed;
    NameCollator::user().sort(sorted);
    EXPECT_EQ(listed, sorted);
    if (!NameCollator::user().usesLocale()) {
        EXPECT_EQ(listed, (Names{"apfel.lie", "Ärger.lie", "Banane.lie", "Élan.lie", "zucchini.lie"}));
    }
}

} // namespace
} // namespace varnok
