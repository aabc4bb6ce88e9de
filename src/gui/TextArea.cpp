#include "gui/TextArea.h"

#include <QDialogButtonBox>
#include <QTextCursor>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <string_view>

#include "core/text.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

constexpr qsizetype kSlice = 1 << 20;

} // namespace

TextArea::TextArea(QWidget *parent) : QPlainTextEdit(parent), fill_(new QTimer(this))
{
    fill_->setInterval(0);
    connect(fill_, &QTimer::timeout, this, &TextArea::fillSlice);
}

void TextArea::setBytes(const std::string &bytes)
{
    fill_->stop();
    pending_.clear();
    pendingActive_ = false;
    shownAsLatin1_ = !isValidUtf8(bytes);
    QString all = textFromBytes(bytes);
    setUpdatesEnabled(false);
    const qsizetype cut = all.size() > kSlice ? all.indexOf(QLatin1Char('\n'), kSlice) : -1;
    if (cut < 0) {
        setPlainText(all);
    } else {
        setPlainText(all.left(cut));
        pending_ = std::move(all);
        pendingPos_ = cut + 1;
        pendingActive_ = true;
        fill_->start();
    }
    document()->setModified(false);
    setUpdatesEnabled(true);
}

void TextArea::fillSlice()
{
    if (!pendingActive_)
        return;
    const qsizetype from = pendingPos_ + kSlice;
    const qsizetype cut = from < pending_.size() ? pending_.indexOf(QLatin1Char('\n'), from) : -1;
    // Each slice is a paragraph of its own: the line break before it is the
    // one the slice boundary stands on.
    appendPlainText(cut < 0 ? pending_.mid(pendingPos_) : pending_.mid(pendingPos_, cut - pendingPos_));
    if (cut < 0) {
        pendingActive_ = false;
        pending_.clear();
        fill_->stop();
    } else {
        pendingPos_ = cut + 1;
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
    fillAll();
    // The raw text keeps characters such as no-break spaces that the plain
    // text would change; only the paragraph separators become line ends.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return bytesFromText(text, shownAsLatin1_);
}

void TextArea::selectBytes(std::size_t offset, std::size_t length)
{
    const std::string all = bytes();
    offset = std::min(offset, all.size());
    length = std::min(length, all.size() - offset);
    // Characters, not bytes, as the text was shown: Latin-1 takes one byte a
    // character, UTF-8 one to four.
    const auto characters = [this](std::string_view piece) {
        return shownAsLatin1_ ? static_cast<int>(piece.size())
                              : static_cast<int>(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())).size());
    };
    const std::string_view text(all);
    const int start = characters(text.substr(0, offset));
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(start + characters(text.substr(offset, length)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
}

void TextArea::chooseFont()
{
    QFontDialog dialog(font(), window());
    dialog.setObjectName("FontDialog1");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (auto *box = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *apply = box->addButton(QDialogButtonBox::Apply);
        connect(apply, &QPushButton::clicked, this, [this, &dialog] { setFont(dialog.currentFont()); });
    }
    if (dialog.exec() == QDialog::Accepted)
        setFont(dialog.selectedFont());
}

} // namespace varnok
