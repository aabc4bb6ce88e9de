#include "gui/TextArea.h"

#include <QDialogButtonBox>
#include <QTextCursor>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/text.h"
#include "core/ui.h"
#include "gui/accessible.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

// Small enough that a slice is laid out well within a tenth of a second.
constexpr std::size_t kSlice = 256 << 10;

const char *const kLineCutNote = " \u2026 [the rest of this line, %1 bytes, is not shown]";

// How many bytes of a long line to show: no more than the limit, and never a
// part of a UTF-8 character.
std::size_t shownPart(std::string_view line, bool utf8)
{
    std::size_t n = kLongestShownLine;
    if (utf8)
        while (n > 0 && (static_cast<unsigned char>(line[n]) & 0xC0) == 0x80)
            --n;
    return n;
}

// UTF-16 units a piece of the text takes as shown.
qsizetype shownLength(std::string_view bytes, bool latin1)
{
    if (latin1)
        return static_cast<qsizetype>(bytes.size());
    qsizetype units = 0;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c & 0xC0) != 0x80)
            ++units;
        // A character beyond the basic plane takes a surrogate pair.
        if (c >= 0xF0)
            ++units;
    }
    return units;
}

} // namespace

TextArea::TextArea(QWidget *parent) : QPlainTextEdit(parent), fill_(new QTimer(this))
{
    fill_->setInterval(0);
    connect(fill_, &QTimer::timeout, this, &TextArea::fillSlice);
}

QString TextArea::nextSlice()
{
    const std::string_view all(given_);
    const auto convert = [this](std::string_view bytes) {
        const auto size = static_cast<qsizetype>(bytes.size());
        return shownAsLatin1_ ? QString::fromLatin1(bytes.data(), size) : QString::fromUtf8(bytes.data(), size);
    };
    QString shown;
    std::size_t pos = pendingPos_;
    // Whole lines until the slice is full; the last one may run past it.
    for (bool first = true; pos < all.size() && (first || static_cast<std::size_t>(shown.size()) < kSlice);
         first = false) {
        const void *found = std::memchr(all.data() + pos, '\n', all.size() - pos);
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char *>(found) - all.data()) : all.size();
        const std::string_view line = all.substr(pos, end - pos);
        if (!first)
            shown += QLatin1Char('\n');
        if (line.size() > kLongestShownLine) {
            const std::size_t part = shownPart(line, !shownAsLatin1_);
            shown += convert(line.substr(0, part));
            shown += QString(kLineCutNote).arg(line.size() - part);
            cut_ = true;
        } else {
            shown += convert(line);
        }
        pos = end + 1;
    }
    pendingPos_ = pos;
    // A text that ends in a line break ends in an empty line.
    if (pos == all.size() && !all.empty() && all.back() == '\n')
        shown += QLatin1Char('\n');
    return shown;
}

void TextArea::setBytes(std::string bytes)
{
    fill_->stop();
    given_ = std::move(bytes);
    pendingPos_ = 0;
    cut_ = false;
    shownAsLatin1_ = !isValidUtf8(given_);
    setUpdatesEnabled(false);
    setPlainText(nextSlice());
    pendingActive_ = pendingPos_ < given_.size();
    if (pendingActive_)
        fill_->start();
    document()->setModified(false);
    setUpdatesEnabled(true);
}

void TextArea::fillSlice()
{
    if (!pendingActive_)
        return;
    // Each slice is a paragraph of its own: the line break before it is the
    // one the slice boundary stands on.
    appendPlainText(nextSlice());
    if (pendingPos_ >= given_.size()) {
        pendingActive_ = false;
        fill_->stop();
    }
    document()->setModified(false);
}

void TextArea::fillAll()
{
    while (pendingActive_)
        fillSlice();
    document()->setModified(false);
}

std::string TextArea::bytes()
{
    // Unchanged, the text is what was given; a line shown cut is never read
    // back from the screen, so it is never cut on the way out either.
    if (!document()->isModified() || cut_)
        return given_;
    fillAll();
    // The raw text keeps characters such as no-break spaces that the plain
    // text would change; only the paragraph separators become line ends.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return bytesFromText(text, shownAsLatin1_);
}

int TextArea::shownPosition(std::size_t offset) const
{
    const std::string_view all(given_);
    offset = std::min(offset, all.size());
    qsizetype position = 0;
    std::size_t pos = 0;
    // Line by line as nextSlice shows them, cut lines with their note.
    for (;;) {
        const void *found = std::memchr(all.data() + pos, '\n', all.size() - pos);
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char *>(found) - all.data()) : all.size();
        const std::string_view line = all.substr(pos, end - pos);
        const bool cut = line.size() > kLongestShownLine;
        const std::size_t part = cut ? shownPart(line, !shownAsLatin1_) : line.size();
        if (offset <= end) {
            // An offset in the hidden rest of a cut line stands where the
            // shown part ends.
            return static_cast<int>(position +
                                    shownLength(line.substr(0, std::min(offset - pos, part)), shownAsLatin1_));
        }
        position += shownLength(line.substr(0, part), shownAsLatin1_) + 1;
        if (cut)
            position += QString(kLineCutNote).arg(line.size() - part).size();
        pos = end + 1;
    }
}

void TextArea::selectBytes(std::size_t offset, std::size_t length)
{
    offset = std::min(offset, given_.size());
    const std::size_t end = offset + std::min(length, given_.size() - offset);
    // Filled in only as far as the selection reaches; the rest still
    // arrives behind, so a hit near the top of a big file shows at once.
    while (pendingActive_ && pendingPos_ <= end)
        fillSlice();
    const int last = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::min(shownPosition(offset), last));
    cursor.setPosition(std::min(shownPosition(end), last), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
}

void TextArea::chooseFont()
{
    QFontDialog dialog(font(), window());
    dialog.setObjectName("FontDialog1");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    nameDialogParts(&dialog);
    if (auto *box = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *apply = box->addButton(QDialogButtonBox::Apply);
        connect(apply, &QPushButton::clicked, this, [this, &dialog] { setFont(dialog.currentFont()); });
    }
    if (dialog.exec() == QDialog::Accepted)
        setFont(dialog.selectedFont());
}

} // namespace varnok
