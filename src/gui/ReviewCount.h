#pragma once

#include <QLabel>

class QStatusBar;

namespace varnok {

// "Essay 2 of 5: Money.ess" beside the status line's own text during the
// review. The status text keeps its words: where both do not fit, the count
// drops the file name ("Essay 2 of 5"), which the status text names anyway.
class ReviewCount : public QLabel {
public:
    explicit ReviewCount(QStatusBar *bar);

    // Empty hides the count.
    void setCount(const QString &count);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QStatusBar *bar_;
    QString count_;
};

} // namespace varnok
