#pragma once

#include <QStringList>
#include <QWidget>

class QStatusBar;
class QTextEdit;

namespace varnok {

// The help window of Read me. It is made once and kept: closing it only hides
// it, so it keeps its size and position. The text can be changed but is never
// saved; every Read me puts the help text back.
class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget *parent);

    // Fills the text area from the help file found for programFolder (read
    // anew each time, see findHelpFile) or, without one, from the built-in
    // help lines, and brings the window to the front. programFolder ends in a
    // separator.
    void showReadme(const QString &programFolder, const QStringList &helpText);

private:
    // False when the file is missing or unreadable; then the text is untouched.
    bool loadHelpFile(const QString &path);
    void loadBuiltInText(const QStringList &helpText);

    QTextEdit *RichEdit1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
};

} // namespace varnok
