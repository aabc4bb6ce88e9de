#pragma once

#include <QDockWidget>
#include <QWidget>
#include <vector>

#include "core/context.h"
#include "documents/find.h"

class QLabel;
class QMainWindow;
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

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

// The find panel docked below the main window's pages, hidden until asked for.
class FindDock : public QDockWidget {
public:
    // During a test the keyboard goes back to the scale rather than to the text area.
    FindDock(Context &ctx, QMainWindow *window, QWidget *textArea, QWidget *scale);

    FindPanel *panel() const { return panel_; }
    // Shows the panel with the focus in its field.
    void open();
    // Hides the panel; a focus inside it goes back to the text being read.
    void close();
    // Escape closes the panel from inside it and from the text area a hit
    // was shown in.
    bool escapeCloses(const QWidget *focused) const;

private:
    const AppState &state_;
    FindPanel *panel_;
    QWidget *textArea_;
    QWidget *scale_;
};

} // namespace varnok
