#pragma once

#include <QPlainTextEdit>
#include <string>

class QTimer;

namespace varnok {

// The text area of the Start Here page. It takes and gives back bytes: what it
// was given comes back unchanged unless the person changed it. A large text is
// shown at once and the rest filled in behind, a slice per turn of the event
// loop, so the window never stalls on a big file.
class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextArea(QWidget *parent);

    void setBytes(const std::string &bytes);
    // The whole text, filled in first if it is still arriving.
    std::string bytes();
    // Puts in what is still to come, at once.
    void fillAll();
    // Selects a part of the text, given in bytes of bytes(), and shows it.
    void selectBytes(std::size_t offset, std::size_t length);
    // The font dialog, with an Apply button that shows a font before it is taken.
    void chooseFont();

private:
    void fillSlice();

    QString pending_;
    qsizetype pendingPos_ = 0;
    bool pendingActive_ = false;
    bool shownAsLatin1_ = false;
    QTimer *fill_;
};

} // namespace varnok
