#pragma once

#include <QDialog>

#include "core/choices.h"

class QLabel;
class QPlainTextEdit;

namespace varnok {

// A conflict copy beside the file it belongs to, for the person to keep one
// or join them.
class TConflictDlg : public QDialog {
    Q_OBJECT
public:
    explicit TConflictDlg(QWidget *parent);
    ConflictChoice ask(const ConflictView &view);

private:
    QLabel *mainLabel_ = nullptr;
    QLabel *copyLabel_ = nullptr;
    QPlainTextEdit *mainText_ = nullptr;
    QPlainTextEdit *copyText_ = nullptr;
    ConflictChoice choice_ = ConflictChoice::Cancel;
};

} // namespace varnok
