#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace varnok {

// The date stamp used in test names, response lines and generated essay names:
// "2026-12-07 0527pm " (12-hour clock, no separator between hour and minute,
// one trailing blank).
std::string dateStamp(const DateTime &t);

// A whole number from text: leading blanks, then an optional sign, then digits;
// a "$" in place of the sign (not after one) makes the rest hexadecimal. Nothing else may
// follow, and the value must fit in 32 bits. Empty when the text is no number.
std::optional<int> parseWholeNumber(std::string_view text);

// The text of the program-wide error report: a full stop is appended when the
// last character sorts after one (a letter or a digit, as a file name ends).
std::string errorReportText(std::string_view text);

// Fills the first "%s" of a message pattern.
std::string formatMessage(std::string_view pattern, std::string_view value);

bool isValidUtf8(std::string_view text);

// The first n characters of a text (all of it when shorter). Valid UTF-8 is
// counted in characters, anything else in bytes.
std::string firstChars(std::string_view text, std::size_t n);

std::string toDecimal(long long value);

} // namespace varnok
