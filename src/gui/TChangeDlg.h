#pragma once

#include <QDialog>
#include <optional>

#include "core/choices.h"

class QLabel;
class QLineEdit;

namespace varnok {

// The rename dialog: the folder, a From name and a To name.
class TChangeDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChangeDlg(QWidget *parent);
    std::optional<RenameAnswer> ask(const std::string &caption, const std::string &folder, const std::string &from);

private:
    QLabel *CurrentDir = nullptr;
    QLineEdit *FromFileName = nullptr;
    QLineEdit *ToFileName = nullptr;
};

} // namespace varnok
