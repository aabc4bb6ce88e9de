#pragma once

#include <QDialog>

#include "core/choices.h"

class QCheckBox;

namespace varnok {

// The test-parameters dialog: full test, sample, the Lies already selected, or none.
class TStartTest : public QDialog {
    Q_OBJECT
public:
    explicit TStartTest(QWidget *parent);
    TestChoice ask();

private:
    TestChoice choice_ = TestChoice::Cancel;
    QCheckBox *cbRetainLies_ = nullptr;
};

} // namespace varnok
