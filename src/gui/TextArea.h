#pragma once

#include <QPlainTextEdit>
#include <string>
#include <string_view>

class QTimer;

namespace varnok {

// The text area of the Start Here page. It takes and gives back bytes: what it
// was given comes back unchanged unless the person changed it. A large text is
// shown at once and the rest filled in behind, a slice per turn of the event
// loop, and a line too long to lay out quickly is shown cut, with a note: the
// window never stalls on a big file. What comes back is still every byte.
class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextArea(QWidget *parent);

    void setBytes(std::string bytes);
    // The whole text, filled in first if it is still arriving.
    std::string bytes();
    // Some line is shown only in part.
    bool showsLinesCut() const { return cut_; }
    // Puts in what is still to come, at once.
    void fillAll();
    // Selects a part of the text, given in bytes of the text as it was set
    // (so before any change), and shows it.
    void selectBytes(std::size_t offset, std::size_t length);
    // The font dialog, with an Apply button that shows a font before it is taken.
    void chooseFont();

private:
    // The bytes of a line that are shown: all of a short one; of a long one,
    // kLongestShownLine of them from its start, or from around a selection
    // made in it.
    struct ShownRange {
        std::size_t from;
        std::size_t to;
    };
    ShownRange shownRange(std::string_view line, std::size_t lineStart) const;
    // Shows the text anew from the start.
    void render();
    void fillSlice();
    // The next slice of the text as shown, from pendingPos_ on.
    QString nextSlice();
    // Where a byte of the given text stands in the text as shown.
    int shownPosition(std::size_t offset) const;

    std::string given_;
    std::size_t pendingPos_ = 0;
    bool pendingActive_ = false;
    bool shownAsLatin1_ = false;
    bool cut_ = false;
    // The long line shown from elsewhere than its start, and from where.
    std::size_t cutLineStart_ = std::string::npos;
    std::size_t cutFrom_ = 0;
    QTimer *fill_;
};

} // namespace varnok
