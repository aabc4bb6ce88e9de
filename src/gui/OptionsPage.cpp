#include "gui/OptionsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "core/options.h"
#include "core/ui.h"
#include "documents/editing.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

// The text a limit field had when it was entered, for Escape.
const char *const kEntryText = "varnokEntryText";

// Focus that goes to a menu, to a message box or to another window comes
// back to where it was: that is not leaving a field.
bool focusComesBack(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason || reason == Qt::ActiveWindowFocusReason;
}

QSlider *makeSentenceSlider(QWidget *parent, const char *name, const QString &hint)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(kSentencesLowest, kSentencesHighest);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setToolTip(hint);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    return slider;
}

QCheckBox *makeCheckBox(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    return box;
}

// A group's controls one below the other, close together, with the room
// left over below them.
void stackInGroup(QBoxLayout *layout, std::initializer_list<QWidget *> widgets)
{
    for (QWidget *w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
}

} // namespace

OptionsPage::OptionsPage(Options &options, Ui &ui, QWidget *parent) : QScrollArea(parent), options_(options), ui_(ui)
{
    setObjectName("Options");
    setAccessibleName("Program Options");
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);
    grid->addWidget(createEditorGroup(page), 0, 0);
    grid->addWidget(createLimitsGroup(page), 0, 1);
    grid->addWidget(createGenerationGroup(page), 1, 0);
    grid->addWidget(createOtherGroup(page), 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    setWidget(page);
    wire();
}

QWidget *OptionsPage::createEditorGroup(QWidget *page)
{
    auto *group = new QGroupBox("Text editor", page);
    auto *layout = new QVBoxLayout(group);
    cbOptionsInternalEditor =
        makeCheckBox(group, "cbOptionsInternalEditor", "Use internal editor", "Use built-in editing");
    bOptionsFont = new QPushButton("Set font...", group);
    bOptionsFont->setObjectName("bOptionsFont");
    bOptionsFont->setToolTip("Change program font");
    bOptionsEditorLocate = new QPushButton("External editor...", group);
    bOptionsEditorLocate->setObjectName("bOptionsEditorLocate");
    bOptionsEditorLocate->setToolTip("Find editor program");
    Editor = new QLineEdit(group);
    Editor->setObjectName("Editor");
    Editor->setToolTip("Location of Editor");
    Editor->setAccessibleName("External editor program");
    stackInGroup(layout, {cbOptionsInternalEditor, bOptionsFont, bOptionsEditorLocate, Editor});
    return group;
}

QWidget *OptionsPage::createLimitsGroup(QWidget *page)
{
    auto *group = new QGroupBox("Reaction limits (1 to 25)", page);
    auto *layout = new QGridLayout(group);
    const QString limitHint = "Determines limits that trigger essay request";
    struct LimitField {
        QLineEdit *&field;
        const char *name;
        const char *labelName;
        const char *caption;
        QString hint;
    };
    const LimitField limits[] = {
        {MIN, "MIN", "Label7", " Weak Reaction", limitHint},
        {MAX, "MAX", "Label6", " Strong Reaction", limitHint},
        {VARIANCE, "VARIANCE", "bOptionsVariance", " Past response variance", "Reaction change review variance"},
    };
    int row = 0;
    for (const auto &limit : limits) {
        limit.field = new QLineEdit(group);
        limit.field->setObjectName(limit.name);
        limit.field->setInputMask("99;_");
        limit.field->setToolTip(limit.hint);
        limit.field->setFixedWidth(limit.field->fontMetrics().horizontalAdvance("000") + 16);
        limit.field->installEventFilter(this);
        auto *label = new QLabel(limit.caption, group);
        label->setObjectName(limit.labelName);
        label->setBuddy(limit.field);
        label->setWordWrap(true);
        layout->addWidget(limit.field, row, 0);
        layout->addWidget(label, row, 1);
        ++row;
    }
    layout->setRowStretch(row, 1);
    layout->setColumnStretch(1, 1);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    return group;
}

QWidget *OptionsPage::createGenerationGroup(QWidget *page)
{
    auto *group = new QGroupBox("Essay generation", page);
    auto *layout = new QVBoxLayout(group);
    cbOptionsRandomize = makeCheckBox(group, "cbOptionsRandomize", "Randomize", "Generated Essay will be randomized");
    cbOptionsSentenceParse =
        makeCheckBox(group, "cbOptionsSentenceParse", "Separate Sentences", "Parse Essay Paragraphs");
    Label5 = new QLabel("Minimum Sentences Per Paragraph", group);
    Label5->setObjectName("Label5");
    Label5->setWordWrap(true);
    TrackBar3 = makeSentenceSlider(group, "TrackBar3", "Minimum sentences per paragraph");
    Label4 = new QLabel("Maximum Sentences Per Paragraph", group);
    Label4->setObjectName("Label4");
    Label4->setWordWrap(true);
    TrackBar4 = makeSentenceSlider(group, "TrackBar4", "Maximum sentences per paragraph");
    Label5->setBuddy(TrackBar3);
    Label4->setBuddy(TrackBar4);
    stackInGroup(layout, {cbOptionsRandomize, cbOptionsSentenceParse, Label5, TrackBar3, Label4, TrackBar4});
    return group;
}

QWidget *OptionsPage::createOtherGroup(QWidget *page)
{
    auto *group = new QGroupBox("Other", page);
    auto *layout = new QVBoxLayout(group);
    cbOptionsAllowRenames = makeCheckBox(group, "cbOptionsAllowRenames", "Allow Renames",
                                         "Renaming Lies or Essays may cause them to be skipped in Lie History");
    stackInGroup(layout, {cbOptionsAllowRenames});
    return group;
}

void OptionsPage::wire()
{
    const auto dependency = [this](bool Options::*option) {
        return [this, option](bool on) {
            options_.*option = on;
            applyDependencies();
            emit dependenciesChanged();
        };
    };
    // Toggled rather than clicked: assistive technology ticks a box without
    // clicking it. The program's own changes are made with the signals blocked.
    connect(cbOptionsInternalEditor, &QCheckBox::toggled, this, dependency(&Options::useInternalEditor));
    connect(cbOptionsSentenceParse, &QCheckBox::toggled, this, dependency(&Options::sentenceParse));
    connect(cbOptionsAllowRenames, &QCheckBox::toggled, this, dependency(&Options::allowRenames));
    connect(cbOptionsRandomize, &QCheckBox::toggled, this, [this](bool on) { options_.randomize = on; });
    connect(TrackBar3, &QSlider::valueChanged, this,
            [this](int v) { sentencesChanged(TrackBar3, &Options::minSentences, v); });
    connect(TrackBar4, &QSlider::valueChanged, this,
            [this](int v) { sentencesChanged(TrackBar4, &Options::maxSentences, v); });
    connect(Editor, &QLineEdit::textChanged, this, [this](const QString &t) { options_.editor = utf8Bytes(t); });
    // Typed, it counts once the person leaves the field; shown by the
    // program (the settings' own value), it never does.
    connect(Editor, &QLineEdit::textEdited, this, [this] { editorTyped_ = true; });
    connect(Editor, &QLineEdit::editingFinished, this, [this] {
        if (std::exchange(editorTyped_, false))
            emit editorChosen(options_.editor);
    });
    // A limit reaches the options only whole and usable; the options keep the
    // last such value, so the exit never stores a half-typed one.
    const auto limit = [this](QLineEdit *field) {
        return [this, field](const QString &) {
            Options typed = options_;
            limitOf(typed, field) = utf8Bytes(field->text());
            if (field->hasAcceptableInput() && limitsProblem(typed.weak, typed.strong, typed.variance).empty())
                limitOf(options_, field) = limitOf(typed, field);
        };
    };
    for (QLineEdit *field : {MIN, MAX, VARIANCE})
        connect(field, &QLineEdit::textChanged, this, limit(field));
    connect(bOptionsEditorLocate, &QPushButton::clicked, this, &OptionsPage::locateEditor);
}

void OptionsPage::showOptions()
{
    const Options &o = options_;
    const auto setText = [](QLineEdit *field, const std::string &value) {
        const QSignalBlocker blocker(field);
        field->setText(textFromBytes(value));
    };
    setText(MIN, o.weak);
    setText(MAX, o.strong);
    setText(VARIANCE, o.variance);
    setText(Editor, o.editor);
    const auto setChecked = [](QCheckBox *box, bool on) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    };
    setChecked(cbOptionsInternalEditor, o.useInternalEditor);
    setChecked(cbOptionsRandomize, o.randomize);
    setChecked(cbOptionsSentenceParse, o.sentenceParse);
    setChecked(cbOptionsAllowRenames, o.allowRenames);
    // A slider clamps what it is given; the options keep the value as read.
    const auto setValue = [](QSlider *slider, int value) {
        const QSignalBlocker blocker(slider);
        slider->setValue(value);
    };
    setValue(TrackBar4, o.maxSentences);
    setValue(TrackBar3, o.minSentences);
    applyDependencies();
}

void OptionsPage::applyDependencies()
{
    bOptionsEditorLocate->setEnabled(!options_.useInternalEditor);
    Editor->setEnabled(!options_.useInternalEditor);
    for (QWidget *w : std::initializer_list<QWidget *>{TrackBar3, Label4, TrackBar4, Label5})
        w->setVisible(options_.sentenceParse);
}

void OptionsPage::locateEditor()
{
    const QString chosen = QFileDialog::getOpenFileName(this, "Locate your favorite editor", QString(), "Programs (*)",
                                                        nullptr, QFileDialog::ReadOnly);
    if (chosen.isEmpty())
        return;
    Editor->setText(textFromBytes(editorTextForProgram(utf8Bytes(chosen))));
    emit editorChosen(options_.editor);
}

std::string &OptionsPage::limitOf(Options &options, QLineEdit *field) const
{
    return field == MIN ? options.weak : field == MAX ? options.strong : options.variance;
}

bool OptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field || (field != MIN && field != MAX && field != VARIANCE))
        return QScrollArea::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // Back from the refusal, a menu or another window: still the same visit.
        if (field != refusedField_ && !focusComesBack(static_cast<QFocusEvent *>(event)->reason())) {
            field->setProperty(kEntryText, field->text());
            field->setModified(false);
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (!limitFieldRefusing_ && !focusComesBack(static_cast<QFocusEvent *>(event)->reason()))
            limitFieldFocusOut(field);
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        field->setText(field->property(kEntryText).toString());
        field->setModified(false);
        refusedField_ = nullptr;
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

void OptionsPage::limitFieldFocusOut(QLineEdit *field)
{
    std::string problem;
    if (field->isModified()) {
        Options typed = options_;
        limitOf(typed, field) = utf8Bytes(field->text());
        problem = field->hasAcceptableInput() ? limitsProblem(typed.weak, typed.strong, typed.variance)
                                              : std::string(kInvalidLimitMessage);
    }
    if (problem.empty()) {
        if (refusedField_ == field)
            refusedField_ = nullptr;
        return;
    }
    // Refuse once the focus change has settled, and put the focus back.
    refusedField_ = field;
    limitFieldRefusing_ = true;
    QTimer::singleShot(0, this, [this, field, problem] {
        QApplication::beep();
        ui_.message(problem);
        // Focus changes that the window's activation brings later are told
        // apart by their reason; this one is synchronous.
        field->setFocus();
        limitFieldRefusing_ = false;
    });
}

void OptionsPage::sentencesChanged(QSlider *slider, int Options::*option, int value)
{
    Options moved = options_;
    moved.*option = value;
    const std::string problem = sentencesProblem(moved.minSentences, moved.maxSentences);
    if (problem.empty()) {
        options_.*option = value;
        return;
    }
    {
        const QSignalBlocker blocker(slider);
        slider->setValue(options_.*option);
    }
    if (sentenceMessagePending_)
        return;
    sentenceMessagePending_ = true;
    QTimer::singleShot(0, this, [this, problem] {
        QApplication::beep();
        ui_.message(problem);
        sentenceMessagePending_ = false;
    });
}

} // namespace varnok
