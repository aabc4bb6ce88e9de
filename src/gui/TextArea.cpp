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
const char *const kLineStartCutNote = "[the first %1 bytes of this line are not shown] \u2026 ";

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
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
        const ShownRange part = shownRange(line, pos);
        if (part.from > 0)
            shown += QString(kLineStartCutNote).arg(part.from);
        shown += convert(line.substr(part.from, part.to - part.from));
        if (part.to < line.size())
            shown += QString(kLineCutNote).arg(line.size() - part.to);
        cut_ = cut_ || part.from > 0 || part.to < line.size();
        pos = end + 1;
    }
    pendingPos_ = pos;
    // A text that ends in a line break ends in an empty line.
    if (pos == all.size() && !all.empty() && all.back() == '\n')
        shown += QLatin1Char('\n');
    return shown;
}

TextArea::ShownRange TextArea::shownRange(std::string_view line, std::size_t lineStart) const
{
    if (line.size() <= kLongestShownLine)
        return {0, line.size()};
    const bool utf8 = !shownAsLatin1_;
    std::size_t from = lineStart == cutLineStart_ ? std::min(cutFrom_, line.size() - kLongestShownLine) : 0;
    // Never a part of a UTF-8 character at either end.
    while (utf8 && from > 0 && isContinuation(line[from]))
        --from;
    std::size_t to = from + kLongestShownLine;
    while (utf8 && to > from && to < line.size() && isContinuation(line[to]))
        --to;
    return {from, to};
}

void TextArea::setBytes(std::string bytes)
{
    given_ = std::move(bytes);
    cutLineStart_ = std::string::npos;
    render();
}

void TextArea::render()
{
    fill_->stop();
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
    // one the slice boundary stands on. What the program puts in is no
    // change, but a change the person made stays one: bytes() reads the
    // screen only while the document says it was changed.
    const bool changed = document()->isModified();
    appendPlainText(nextSlice());
    if (pendingPos_ >= given_.size()) {
        pendingActive_ = false;
        fill_->stop();
    }
    document()->setModified(changed);
}

void TextArea::fillAll()
{
    while (pendingActive_)
        fillSlice();
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
        const ShownRange part = shownRange(line, pos);
        if (part.from > 0)
            position += QString(kLineStartCutNote).arg(part.from).size();
        if (offset <= end) {
            // An offset in a hidden part of a cut line stands where the
            // shown part begins or ends.
            const std::size_t at = std::clamp(offset - pos, part.from, part.to);
            return static_cast<int>(position + shownLength(line.substr(part.from, at - part.from), shownAsLatin1_));
        }
        position += shownLength(line.substr(part.from, part.to - part.from), shownAsLatin1_) + 1;
        if (part.to < line.size())
            position += QString(kLineCutNote).arg(line.size() - part.to).size();
        pos = end + 1;
    }
}

void TextArea::selectBytes(std::size_t offset, std::size_t length)
{
    offset = std::min(offset, given_.size());
    const std::size_t end = offset + std::min(length, given_.size() - offset);
    // A selection in a part of a long line that is not shown: the line is
    // shown anew from a little before it.
    const std::size_t lineStart = offset == 0 ? 0 : given_.rfind('\n', offset - 1) + 1;
    const std::size_t lineEnd = std::min(given_.find('\n', offset), given_.size());
    if (lineEnd - lineStart > kLongestShownLine) {
        const ShownRange part = shownRange(std::string_view(given_).substr(lineStart, lineEnd - lineStart), lineStart);
        if (offset - lineStart < part.from || end - lineStart > part.to) {
            cutLineStart_ = lineStart;
            cutFrom_ = offset - lineStart - std::min(offset - lineStart, kLongestShownLine / 4);
            const bool modified = document()->isModified();
            render();
            document()->setModified(modified);
        }
    }
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
