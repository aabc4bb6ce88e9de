#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnok {

// A reader for the common subset of rich text that help files are written in:
// groups, paragraphs and line breaks, bold / italic / underline, font size,
// text colour, 8-bit and Unicode escapes. Everything else (fonts, styles,
// pictures, objects, headers, document information, lists) is skipped.
//
// The reader accepts any bytes: broken braces, absurd numbers, binary junk and
// huge files are read in one linear pass with bounded memory; it never fails.

// The size a run has when the text never sets one (12 points).
inline constexpr int kRtfDefaultFontSizeHalfPoints = 24;
// The largest size a run can have; larger sizes are cut to it.
inline constexpr int kRtfMaxFontSizeHalfPoints = 3276;
// Groups nested deeper than this are read as skipped: their text is dropped.
inline constexpr int kRtfMaxGroupDepth = 1000;

// A stretch of text with one formatting. Within a run, "\n" is a line break
// (\line) and "\t" a tab; paragraphs are never inside a run.
struct RtfRun {
    std::string text; // UTF-8
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSizeHalfPoints = kRtfDefaultFontSizeHalfPoints;
    std::optional<std::uint32_t> color; // 0xRRGGBB; empty for the default colour

    bool operator==(const RtfRun &) const = default;
};

// Adjacent text of equal formatting is always merged into one run, so a
// paragraph never holds two neighbouring runs that look the same, nor an
// empty run.
struct RtfParagraph {
    std::vector<RtfRun> runs;

    bool operator==(const RtfParagraph &) const = default;
};

// Every \par ends a paragraph; the text after the last \par is the last
// paragraph when it holds anything, so "a\par" is one paragraph and
// "a\par\par" two (the second empty).
struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;

    bool operator==(const RtfDocument &) const = default;
};

RtfDocument parseRtf(std::string_view bytes);

// The text alone: each paragraph's runs, paragraphs joined by "\n".
std::string rtfPlainText(const RtfDocument &document);

// The document as a complete HTML page that a rich-text view can show: one
// <p> per paragraph (without margins, white space kept; an empty one holds a
// <br>), <br> for line breaks, a <span> with font size and colour around each
// run, <b>, <i>, <u>. All text is escaped. Nothing stands between the tags,
// so the page is one line.
std::string rtfToHtml(const RtfDocument &document);

} // namespace varnok
