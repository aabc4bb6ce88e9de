#pragma once

#include <QWidget>
#include <vector>

#include "core/context.h"
#include "documents/find.h"

class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;

namespace varnok {

// Find in every document: a search field, what was found, and the file of a
// chosen hit shown with its match selected. The search runs on a thread of
// its own, so typing never waits for it; only the latest text's hits show.
class FindPanel : public QWidget {
    Q_OBJECT
public:
    FindPanel(Context &ctx, QWidget *parent = nullptr);
    ~FindPanel() override;

    // Puts the keyboard focus into the field, its text selected.
    void focusField();
    QLineEdit *field() const { return FindText; }
    QTreeWidget *results() const { return FindResults; }
    const std::vector<FindHit> &hits() const { return hits_; }

signals:
    void closeRequested();
    // A search for the field's text has ended and its hits are shown.
    void searched();

private:
    void startSearch();
    void showResult(const FindResult &result);
    void showHit(int index);

    Context &ctx_;
    QLineEdit *FindText;
    QLabel *FindStatus;
    QTreeWidget *FindResults;
    QTimer *typing_;
    FindRunner runner_;
    std::vector<FindHit> hits_;
};

} // namespace varnok
