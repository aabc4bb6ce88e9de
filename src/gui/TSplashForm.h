#pragma once

#include <QDialog>
#include <QImage>

class QFrame;
class QLabel;

namespace varnok {

// The caption of the about window.
inline constexpr char kAboutCaption[] = "Varnok 1.4";

// The about window: borderless, always on top, centred on the screen. It is
// made for one About and closes at a click on its inner panel, its caption or
// its picture (and, for the keyboard, at Escape).
class TSplashForm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent);

    // The picture of the window: 36 by 32 pixels, one ink on a transparent ground.
    static QImage picture();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Label1 = nullptr;
    QWidget *Image1 = nullptr;
};

} // namespace varnok
