#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace varnok {

// Documents and names are bytes. The window shows valid UTF-8 as UTF-8 and any
// other bytes as Latin-1, so nothing is ever refused or mangled on the way in.
QString textFromBytes(std::string_view bytes);

// What the window's own texts (captions, typed names, paths) become for the logic.
std::string utf8Bytes(const QString &text);

// The way back for text that was shown from bytes: Latin-1 text stays Latin-1
// as long as every character still fits, so an unchanged file writes back
// byte for byte; anything else becomes UTF-8.
std::string bytesFromText(const QString &text, bool shownAsLatin1);

} // namespace varnok
