#include "gui/TStartTest.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/framing.h"

namespace varnok {

TStartTest::TStartTest(QWidget *parent) : QDialog(parent)
{
    setObjectName("StartTest");
    setWindowTitle("Test Params");
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(
        "Would you like to take the full test or a random sampling, or use Lies you've selected on the Lies Screen?",
        this);
    label->setObjectName("Label1");
    label->setWordWrap(true);
    label->setMinimumWidth(260);
    layout->addWidget(label, 1);

    struct Choice {
        const char *name;
        const char *caption;
        const char *hint;
        TestChoice choice;
    };
    const Choice choices[] = {
        {"bFull", "&Full", "All Lies", TestChoice::Full},
        {"bSample", "&Sample", "Random sample of Lies", TestChoice::Sample},
        {"bSelected", "&Use selected lies", "", TestChoice::UseSelected},
        {"bCancel", "&Cancel", "Don't take the test", TestChoice::Cancel},
    };
    for (const auto &c : choices) {
        auto *button = new QPushButton(c.caption, this);
        button->setObjectName(c.name);
        if (*c.hint)
            button->setToolTip(c.hint);
        // Enter presses the button that has the focus; Full only when none has.
        button->setAutoDefault(true);
        if (c.choice == TestChoice::Full)
            button->setDefault(true);
        connect(button, &QPushButton::clicked, this, [this, choice = c.choice] {
            choice_ = choice;
            if (choice == TestChoice::Cancel)
                reject();
            else
                accept();
        });
        layout->addWidget(button);
    }
    // Kept for the rule it stands for: the logic holds whether selected Lies are retained.
    cbRetainLies_ = new QCheckBox("Retain lies", this);
    cbRetainLies_->setObjectName("cbRetainLies");
    cbRetainLies_->setToolTip("Any lies already selected will be included");
    cbRetainLies_->hide();
}

TestChoice TStartTest::ask()
{
    // Closing the window in any other way than by a button means no test.
    choice_ = TestChoice::Cancel;
    centreOnScreen(this);
    exec();
    return choice_;
}

} // namespace varnok
