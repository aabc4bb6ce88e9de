#pragma once

#include <QDialog>
#include <optional>

#include "core/choices.h"

class QButtonGroup;

namespace varnok {

// Asks which kind of text the selected files hold; the choice stays for the run.
class TETDialog : public QDialog {
    Q_OBJECT
public:
    explicit TETDialog(QWidget *parent);
    std::optional<EssayType> ask();

private:
    QButtonGroup *rgET = nullptr;
};

} // namespace varnok
