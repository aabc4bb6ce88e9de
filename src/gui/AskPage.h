#pragma once

#include <QWidget>
#include <functional>

#include "core/context.h"

class QLabel;
class QPushButton;

namespace varnok {

class ScaleSlider;
class StretchedPicture;
class TextArea;

// The Start Here page: the picture or the text area above, the test panel
// (or, while an edit is open, the editing tool bar) around it. Its buttons and
// the scale run the logic's commands.
class AskPage : public QWidget {
    Q_OBJECT
public:
    // Runs before each of the page's commands: the window finishes what a
    // command must find in place (the lists still being read after start-up).
    std::function<void()> beforeCommand;
    explicit AskPage(Context &ctx, QWidget *parent = nullptr);

    // Idle shows Start; running shows Next, Stop, the scale and its labels.
    void setTestRunning(bool running);
    void setEditing(bool editing);
    // The picture above the test panel: startup.bmp of the current folder
    // where there is one, else the built-in picture.
    void loadStartPicture();

    QWidget *ToolBar;
    QPushButton *bEditCommit;
    QPushButton *bEditRevert;
    QPushButton *bEditCancel;
    // Offered while the review has more essays to open.
    QPushButton *bEditLater;
    QWidget *Panel9;
    StretchedPicture *Image1;
    TextArea *Memo1;
    QWidget *TestPanel;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    ScaleSlider *TrackBar1;
    // The scale's position in figures, beside it.
    QLabel *ScaleValue;
    // "Lie 3 of 12" while a run goes.
    QLabel *TestPosition;
    QPushButton *bAskStart;
    QPushButton *bAskNext;
    QPushButton *bAskStop;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createToolBar();
    void createDisplay();
    void createTestPanel();
    void wireCommands();
    void placeTestPanel();

    Context &ctx_;
};

} // namespace varnok
