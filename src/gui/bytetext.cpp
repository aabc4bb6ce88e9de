#include "gui/bytetext.h"

#include <algorithm>

#include "core/text.h"

namespace varnok {

QString textFromBytes(std::string_view bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes.data(), size) : QString::fromLatin1(bytes.data(), size);
}

std::string utf8Bytes(const QString &text)
{
    return text.toUtf8().toStdString();
}

std::string bytesFromText(const QString &text, bool shownAsLatin1)
{
    const bool fitsLatin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (shownAsLatin1 && fitsLatin1)
        return text.toLatin1().toStdString();
    return utf8Bytes(text);
}

} // namespace varnok
