#include "help/rtfreader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <unordered_map>

namespace varnok {

namespace {

// Control words longer than this are cut; no real word comes near it.
constexpr std::size_t kMaxWordLength = 32;
// A colour table is a few dozen entries; this only bounds memory on junk.
constexpr std::size_t kMaxColors = 4096;
// Numeric parameters are read saturating and then held in this range.
constexpr long long kMaxParameter = 2147483647LL;
constexpr long long kMinParameter = -2147483648LL;
constexpr int kMaxUnicodeSkip = 65535;
constexpr char32_t kReplacement = 0xFFFD;

enum class Destination { Text, ColorTable, Skip };

enum class CodePage { Windows1252, Latin1 };

// Character formatting and reading mode: scoped to a group, so every "{"
// saves a copy and the matching "}" brings it back.
struct GroupState {
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool hidden = false;
    int fontSize = kRtfDefaultFontSizeHalfPoints;
    int colorIndex = 0;
    int unicodeSkip = 1;
};

enum class Word {
    Par,
    Line,
    Tab,
    Row,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Hidden,
    Plain,
    FontSize,
    ColorIndex,
    ColorTable,
    Red,
    Green,
    Blue,
    Unicode,
    UnicodeSkip,
    AnsiCodePage,
    Binary,
    Character,
    SkipDestination,
};

struct WordInfo {
    Word word;
    char32_t character = 0; // for Word::Character
};

const std::unordered_map<std::string_view, WordInfo> &controlWords()
{
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> m{
            {"par", {Word::Par}},
            {"line", {Word::Line}},
            {"tab", {Word::Tab}},
            // Table cells read as tab-separated lines, rows as paragraphs.
            {"cell", {Word::Tab}},
            {"nestcell", {Word::Tab}},
            {"row", {Word::Row}},
            {"nestrow", {Word::Row}},
            {"b", {Word::Bold}},
            {"i", {Word::Italic}},
            {"ul", {Word::Underline}},
            {"ulnone", {Word::UnderlineNone}},
            {"v", {Word::Hidden}},
            {"plain", {Word::Plain}},
            {"fs", {Word::FontSize}},
            {"cf", {Word::ColorIndex}},
            {"colortbl", {Word::ColorTable}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"u", {Word::Unicode}},
            {"uc", {Word::UnicodeSkip}},
            {"ansicpg", {Word::AnsiCodePage}},
            {"bin", {Word::Binary}},
            {"emdash", {Word::Character, 0x2014}},
            {"endash", {Word::Character, 0x2013}},
            {"bullet", {Word::Character, 0x2022}},
            {"lquote", {Word::Character, 0x2018}},
            {"rquote", {Word::Character, 0x2019}},
            {"ldblquote", {Word::Character, 0x201C}},
            {"rdblquote", {Word::Character, 0x201D}},
            {"emspace", {Word::Character, 0x2003}},
            {"enspace", {Word::Character, 0x2002}},
            {"qmspace", {Word::Character, 0x2005}},
            {"zwj", {Word::Character, 0x200D}},
            {"zwnj", {Word::Character, 0x200C}},
        };
        // Every kind of underline (dotted, double, wave, ...) shows as one.
        for (std::string_view ul :
             {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd", "ulthdash",
              "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"})
            m.emplace(ul, WordInfo{Word::Underline});
        // Destinations whose contents are not body text. Those written behind
        // "\*" are skipped anyway; these are the ones that often are not.
        for (std::string_view dest : {"fonttbl",     "stylesheet",
                                      "info",        "pict",
                                      "object",      "objdata",
                                      "header",      "headerl",
                                      "headerr",     "headerf",
                                      "footer",      "footerl",
                                      "footerr",     "footerf",
                                      "listtable",   "listoverridetable",
                                      "generator",   "footnote",
                                      "annotation",  "fldinst",
                                      "themedata",   "colorschememapping",
                                      "datastore",   "latentstyles",
                                      "rsidtbl",     "xmlnstbl",
                                      "filetbl",     "revtbl",
                                      "mmathPr",     "pgdsctbl",
                                      "nonshppict",  "xe",
                                      "tc",          "txe",
                                      "bkmkstart",   "bkmkend",
                                      "author",      "operator",
                                      "title",       "subject",
                                      "keywords",    "comment",
                                      "doccomm",     "company",
                                      "userprops",   "private",
                                      "template",    "docvar",
                                      "pntxta",      "pntxtb",
                                      "listpicture", "shpinst"})
            m.emplace(dest, WordInfo{Word::SkipDestination});
        return m;
    }();
    return words;
}

// The characters that Windows-1252 puts where Latin-1 has control codes;
// its five unassigned positions read as the replacement character.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Encodes one code point (at most 0x10FFFF) into buf; returns the byte count.
std::size_t encodeUtf8(char32_t cp, char *buf)
{
    if (cp < 0x80) {
        buf[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        buf[0] = static_cast<char>(0xC0 | (cp >> 6));
        buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        buf[0] = static_cast<char>(0xE0 | (cp >> 12));
        buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    buf[0] = static_cast<char>(0xF0 | (cp >> 18));
    buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

class Parser {
public:
    explicit Parser(std::string_view in) : in_(in), data_(in.data()), size_(in.size())
    {
        stack_.reserve(64);
        stack_.push_back(GroupState{});
        top_ = &stack_.back();
        document_.paragraphs.emplace_back();
    }

    RtfDocument run()
    {
        while (pos_ < size_) {
            const char c = data_[pos_];
            switch (c) {
            case '{':
                ++pos_;
                openGroup();
                break;
            case '}':
                ++pos_;
                closeGroup();
                break;
            case '\\':
                ++pos_;
                controlSequence();
                break;
            case '\r':
            case '\n':
                ++pos_;
                break;
            default:
                textBytes();
                break;
            }
        }
        flushPendingSurrogate();
        if (document_.paragraphs.back().runs.empty())
            document_.paragraphs.pop_back();
        return std::move(document_);
    }

private:
    GroupState &state() { return *top_; }

    // Text counts only in a body-text group that is neither skipped for its
    // depth nor hidden.
    bool readingText() const { return overflowDepth_ == 0 && top_->destination == Destination::Text && !top_->hidden; }

    bool readingColors() const { return overflowDepth_ == 0 && top_->destination == Destination::ColorTable; }

    void openGroup()
    {
        skipCount_ = 0;
        if (overflowDepth_ > 0 || stack_.size() > static_cast<std::size_t>(kRtfMaxGroupDepth)) {
            ++overflowDepth_;
            return;
        }
        stack_.push_back(*top_);
        top_ = &stack_.back();
    }

    void closeGroup()
    {
        skipCount_ = 0;
        if (overflowDepth_ > 0) {
            --overflowDepth_;
            return;
        }
        // A "}" without its "{" has nothing to close.
        if (stack_.size() > 1) {
            stack_.pop_back();
            top_ = &stack_.back();
            formatChanged_ = true;
        }
    }

    // Marks the current group as one whose contents are not text. Outside of
    // every group there is nothing to end the skip, so it is not honoured there.
    void skipGroup()
    {
        if (stack_.size() > 1)
            state().destination = Destination::Skip;
    }

    // Consumes one character of the fallback that follows a \u; true when it did.
    bool consumeFallback()
    {
        if (skipCount_ == 0)
            return false;
        --skipCount_;
        return true;
    }

    void textBytes()
    {
        const char c = data_[pos_];
        if (consumeFallback()) {
            ++pos_;
            return;
        }
        if (readingColors()) {
            if (c == ';')
                endColor();
            ++pos_;
            return;
        }
        if (!readingText()) {
            // Skipped text (picture data, mostly) goes in one step as well.
            ++pos_;
            while (pos_ < size_ && data_[pos_] != '\\' && data_[pos_] != '{' && data_[pos_] != '}')
                ++pos_;
            return;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            // Plain ASCII goes in one piece up to the next byte with a meaning.
            std::size_t end = pos_ + 1;
            while (end < size_) {
                const auto b = static_cast<unsigned char>(data_[end]);
                if (b < 0x20 || b >= 0x7F || b == '\\' || b == '{' || b == '}')
                    break;
                ++end;
            }
            appendText(in_.substr(pos_, end - pos_));
            pos_ = end;
            return;
        }
        ++pos_;
        appendByte(byte);
    }

    void controlSequence()
    {
        if (pos_ >= size_)
            return;
        const char c = data_[pos_];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < size_ && hexValue(data_[pos_]) >= 0) {
                value = value * 16 + hexValue(data_[pos_]);
                ++pos_;
                ++digits;
            }
            if (consumeFallback() || digits < 2)
                return;
            if (readingText())
                appendByte(static_cast<unsigned char>(value));
            return;
        }
        if (c == '*') {
            // An ignorable destination: none of them hold body text.
            skipGroup();
            return;
        }
        if (consumeFallback())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (readingText())
                appendText(std::string_view(&data_[pos_ - 1], 1));
            break;
        case '~':
            character(0x00A0);
            break;
        case '_':
            character(0x2011);
            break;
        case '\r':
        case '\n':
            // A backslash before a line end is an old way to write \par.
            paragraph();
            break;
        default:
            // "\-" (optional hyphen), "\:", "\|" and unknown symbols show nothing.
            break;
        }
    }

    void controlWord()
    {
        const std::size_t start = pos_;
        while (pos_ < size_ && isLetter(data_[pos_]))
            ++pos_;
        const std::string_view name = in_.substr(start, std::min(pos_ - start, kMaxWordLength));

        bool hasParameter = false;
        long long parameter = 0;
        bool negative = false;
        if (pos_ + 1 < size_ && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < size_ && isDigit(data_[pos_])) {
            hasParameter = true;
            // Saturates: the digits are all consumed, the value stays in range.
            if (parameter <= kMaxParameter)
                parameter = parameter * 10 + (data_[pos_] - '0');
            ++pos_;
        }
        if (negative)
            parameter = -parameter;
        parameter = std::clamp(parameter, kMinParameter, kMaxParameter);
        if (pos_ < size_ && data_[pos_] == ' ')
            ++pos_;

        const auto &words = controlWords();
        const auto found = words.find(name);
        if (found == words.end()) {
            consumeFallback();
            return;
        }
        const WordInfo info = found->second;
        const int value = static_cast<int>(parameter);

        if (info.word == Word::Binary) {
            // Raw bytes follow that may contain anything, braces included.
            const std::size_t length = hasParameter && value > 0 ? static_cast<std::size_t>(value) : 0;
            pos_ += std::min(length, size_ - pos_);
            consumeFallback();
            return;
        }
        if (consumeFallback())
            return;
        if (overflowDepth_ > 0)
            return;
        formatChanged_ = true;
        GroupState &s = state();
        const bool on = !hasParameter || value != 0;
        switch (info.word) {
        case Word::Par:
        case Word::Row:
            paragraph();
            break;
        case Word::Line:
            character('\n');
            break;
        case Word::Tab:
            character('\t');
            break;
        case Word::Bold:
            s.bold = on;
            break;
        case Word::Italic:
            s.italic = on;
            break;
        case Word::Underline:
            s.underline = on;
            break;
        case Word::UnderlineNone:
            s.underline = false;
            break;
        case Word::Hidden:
            s.hidden = on;
            break;
        case Word::Plain:
            s.bold = s.italic = s.underline = s.hidden = false;
            s.fontSize = kRtfDefaultFontSizeHalfPoints;
            s.colorIndex = 0;
            break;
        case Word::FontSize:
            s.fontSize =
                hasParameter && value > 0 ? std::min(value, kRtfMaxFontSizeHalfPoints) : kRtfDefaultFontSizeHalfPoints;
            break;
        case Word::ColorIndex:
            s.colorIndex = std::max(value, 0);
            break;
        case Word::ColorTable:
            if (stack_.size() > 1 && s.destination != Destination::Skip) {
                s.destination = Destination::ColorTable;
                colors_.clear();
                entry_ = ColorEntry{};
            }
            break;
        case Word::Red:
        case Word::Green:
        case Word::Blue:
            if (readingColors()) {
                const auto component = static_cast<std::uint32_t>(std::clamp(value, 0, 255));
                const int shift = info.word == Word::Red ? 16 : info.word == Word::Green ? 8 : 0;
                entry_.rgb = (entry_.rgb & ~(0xFFu << shift)) | (component << shift);
                entry_.set = true;
            }
            break;
        case Word::Unicode:
            unicode(value);
            break;
        case Word::UnicodeSkip:
            s.unicodeSkip = std::clamp(value, 0, kMaxUnicodeSkip);
            break;
        case Word::AnsiCodePage:
            // Only the Western single-byte pages are known; any other reads as 1252.
            codePage_ = value == 28591 ? CodePage::Latin1 : CodePage::Windows1252;
            break;
        case Word::Character:
            character(info.character);
            break;
        case Word::SkipDestination:
            skipGroup();
            break;
        case Word::Binary:
            break;
        }
    }

    void unicode(int value)
    {
        // The parameter is a signed 16-bit number: negative ones are the upper half.
        long long cp = value;
        if (cp < 0)
            cp += 65536;
        const char32_t code = cp >= 0 && cp <= 0xFFFF ? static_cast<char32_t>(cp) : kReplacement;
        if (readingText())
            appendCodePoint(code, true);
        // What follows is the same character for readers without Unicode.
        skipCount_ = state().unicodeSkip;
    }

    void character(char32_t cp)
    {
        if (readingText())
            appendCodePoint(cp, false);
    }

    void paragraph()
    {
        // A paragraph mark in hidden text still ends the paragraph.
        if (overflowDepth_ > 0 || state().destination != Destination::Text)
            return;
        flushPendingSurrogate();
        document_.paragraphs.emplace_back();
    }

    void appendByte(unsigned char byte)
    {
        if (byte < 0x80) {
            appendCodePoint(byte, false);
        } else if (byte < 0xA0 && codePage_ == CodePage::Windows1252) {
            appendCodePoint(kWindows1252High[byte - 0x80], false);
        } else {
            appendCodePoint(byte, false);
        }
    }

    void appendCodePoint(char32_t cp, bool fromUnicodeEscape)
    {
        if (pendingHigh_ != 0) {
            if (fromUnicodeEscape && cp >= 0xDC00 && cp <= 0xDFFF) {
                const char32_t full = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (cp - 0xDC00);
                pendingHigh_ = 0;
                appendEncoded(full);
                return;
            }
            flushPendingSurrogate();
        }
        if (fromUnicodeEscape && cp >= 0xD800 && cp <= 0xDBFF) {
            pendingHigh_ = cp;
            return;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = kReplacement;
        // Control characters other than the tab and the line break carry no text.
        if ((cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0x7F)
            return;
        appendEncoded(cp);
    }

    void appendEncoded(char32_t cp)
    {
        char buf[4];
        appendRaw(std::string_view(buf, encodeUtf8(cp, buf)));
    }

    void appendText(std::string_view text)
    {
        flushPendingSurrogate();
        appendRaw(text);
    }

    void flushPendingSurrogate()
    {
        if (pendingHigh_ == 0)
            return;
        pendingHigh_ = 0;
        appendEncoded(kReplacement);
    }

    void appendRaw(std::string_view text)
    {
        auto &runs = document_.paragraphs.back().runs;
        if (!formatChanged_ && !runs.empty()) {
            runs.back().text.append(text.data(), text.size());
            return;
        }
        formatChanged_ = false;
        const GroupState &s = state();
        std::optional<std::uint32_t> color;
        if (s.colorIndex >= 0 && static_cast<std::size_t>(s.colorIndex) < colors_.size())
            color = colors_[static_cast<std::size_t>(s.colorIndex)];
        if (!runs.empty()) {
            RtfRun &last = runs.back();
            if (last.bold == s.bold && last.italic == s.italic && last.underline == s.underline &&
                last.fontSizeHalfPoints == s.fontSize && last.color == color) {
                last.text += text;
                return;
            }
        }
        RtfRun &run = runs.emplace_back();
        run.text.assign(text.data(), text.size());
        run.bold = s.bold;
        run.italic = s.italic;
        run.underline = s.underline;
        run.fontSizeHalfPoints = s.fontSize;
        run.color = color;
    }

    void endColor()
    {
        if (colors_.size() < kMaxColors) {
            // An entry without components is the default ("auto") colour.
            colors_.push_back(entry_.set ? std::optional<std::uint32_t>(entry_.rgb) : std::nullopt);
        }
        entry_ = ColorEntry{};
        formatChanged_ = true;
    }

    struct ColorEntry {
        std::uint32_t rgb = 0;
        bool set = false;
    };

    std::string_view in_;
    const char *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    GroupState *top_ = nullptr;
    // Set when the formatting may differ from that of the last run written,
    // so that plain text in a run of its own goes straight onto it.
    bool formatChanged_ = true;
    // Groups opened beyond the depth limit: counted, not stacked, all skipped.
    std::size_t overflowDepth_ = 0;
    // Fallback characters after a \u still to be dropped.
    int skipCount_ = 0;
    char32_t pendingHigh_ = 0;
    CodePage codePage_ = CodePage::Windows1252;
    std::vector<std::optional<std::uint32_t>> colors_;
    ColorEntry entry_;
    RtfDocument document_;
};

void appendEscaped(std::string &out, std::string_view text)
{
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end) {
        const char *q = p;
        while (q < end && *q != '&' && *q != '<' && *q != '>' && *q != '"' && *q != '\'' && *q != '\n')
            ++q;
        out.append(p, static_cast<std::size_t>(q - p));
        if (q == end)
            break;
        switch (*q) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += "<br>";
            break;
        }
        p = q + 1;
    }
}

// The opening of a run's span: font size in points (halves kept) and the
// colour when the run has one.
std::size_t spanStyle(const RtfRun &run, char *buf, std::size_t size)
{
    const int points = run.fontSizeHalfPoints / 2;
    const char *half = run.fontSizeHalfPoints % 2 != 0 ? ".5" : "";
    const int n = run.color ? std::snprintf(buf, size, "<span style=\"font-size:%d%spt;color:#%06x\">", points, half,
                                            static_cast<unsigned>(*run.color & 0xFFFFFF))
                            : std::snprintf(buf, size, "<span style=\"font-size:%d%spt\">", points, half);
    return n > 0 ? std::min(static_cast<std::size_t>(n), size - 1) : 0;
}

} // namespace

RtfDocument parseRtf(std::string_view bytes)
{
    return Parser(bytes).run();
}

std::string rtfPlainText(const RtfDocument &document)
{
    std::string out;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        if (i > 0)
            out += '\n';
        for (const RtfRun &run : document.paragraphs[i].runs)
            out += run.text;
    }
    return out;
}

std::string rtfToHtml(const RtfDocument &document)
{
    static constexpr std::string_view head =
        "<html><head><style>"
        "p { margin-top:0; margin-bottom:0; white-space:pre-wrap; } "
        ".e { -qt-paragraph-type:empty; }"
        "</style></head><body>";
    static constexpr std::string_view tail = "</body></html>";
    std::size_t estimate = head.size() + tail.size();
    for (const RtfParagraph &paragraph : document.paragraphs) {
        estimate += 48;
        for (const RtfRun &run : paragraph.runs)
            estimate += run.text.size() + 64;
    }
    std::string out;
    out.reserve(estimate);
    out += head;
    char style[96];
    for (const RtfParagraph &paragraph : document.paragraphs) {
        // Nothing may stand between the tags: with white space kept, a rich
        // text view would show it. An empty paragraph needs a line break or
        // the view drops it; its class keeps the break from adding a character.
        if (paragraph.runs.empty()) {
            out += "<p class=\"e\"><br></p>";
            continue;
        }
        out += "<p>";
        for (const RtfRun &run : paragraph.runs) {
            out.append(style, spanStyle(run, style, sizeof style));
            if (run.bold)
                out += "<b>";
            if (run.italic)
                out += "<i>";
            if (run.underline)
                out += "<u>";
            appendEscaped(out, run.text);
            if (run.underline)
                out += "</u>";
            if (run.italic)
                out += "</i>";
            if (run.bold)
                out += "</b>";
            out += "</span>";
        }
        out += "</p>";
    }
    out += tail;
    return out;
}

} // namespace varnok
