#pragma once

#include <string>
#include <string_view>

namespace varnok {

// Documents and names are bytes: valid UTF-8 is read as UTF-8, anything else
// as Latin-1, the same rule the window uses to show a text.
bool isUtf8Text(std::string_view bytes);

// isUtf8Text for a text given in pieces, split anywhere.
class Utf8Check {
public:
    void add(std::string_view piece);
    // After the last piece.
    bool valid() const;

private:
    // The start of a character cut by the end of the last piece.
    std::string carry_;
    bool valid_ = true;
};

// The characters of a text under that rule.
std::u32string decodeText(std::string_view bytes);

// Decodes one character of valid UTF-8 at pos and moves pos past it; a byte
// that starts no valid sequence is taken as a Latin-1 character on its own.
char32_t decodeUtf8At(std::string_view bytes, std::size_t &pos);

std::string encodeUtf8(std::u32string_view text);
void appendUtf8(std::string &out, char32_t c);

// Latin-1 bytes as UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// Simple case folding (to small letters) for the scripts a journal is written
// in: Latin with its European accents, Greek, Cyrillic and Armenian. A
// character outside them stays as it is. Only ASCII folds to ASCII, so a
// search for an ASCII text can fold bytes without decoding.
char32_t foldCase(char32_t c);

// The letters a character is sorted with: its small letter without accents
// ("Ä" and "á" give "a", "ß" gives "ss", "Æ" gives "ae"); other characters
// give their folded self.
std::u32string baseLetters(char32_t c);

} // namespace varnok
