#pragma once

#include <QScrollArea>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace varnok {

struct Options;
class Ui;

// The Program Options page. Its controls write through to the options at
// once; showOptions puts the options into them without writing back.
class OptionsPage : public QScrollArea {
    Q_OBJECT
public:
    OptionsPage(Options &options, Ui &ui, QWidget *parent = nullptr);

    void showOptions();
    // Shows and enables the controls that only mean something with another option on.
    void applyDependencies();

    QCheckBox *cbOptionsInternalEditor;
    QPushButton *bOptionsFont;
    QPushButton *bOptionsEditorLocate;
    QLineEdit *Editor;
    QLineEdit *MIN;
    QLineEdit *MAX;
    QLineEdit *VARIANCE;
    QCheckBox *cbOptionsRandomize;
    QCheckBox *cbOptionsSentenceParse;
    QLabel *Label4;
    QLabel *Label5;
    QSlider *TrackBar3;
    QSlider *TrackBar4;
    QCheckBox *cbOptionsAllowRenames;

signals:
    // An option that other pages depend on was switched.
    void dependenciesChanged();
    // The person set the external editor, by typing it or by locating it.
    void editorChosen(const std::string &editor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createEditorGroup(QWidget *page);
    QWidget *createLimitsGroup(QWidget *page);
    QWidget *createGenerationGroup(QWidget *page);
    QWidget *createOtherGroup(QWidget *page);
    void wire();
    void locateEditor();
    void limitFieldFocusOut(QLineEdit *field);
    std::string &limitOf(Options &options, QLineEdit *field) const;
    void sentencesChanged(QSlider *slider, int Options::*option, int value);
    bool editorTyped_ = false;

    Options &options_;
    Ui &ui_;
    bool limitFieldRefusing_ = false;
    // The field refused last; the focus comes back to it without a new entry.
    QLineEdit *refusedField_ = nullptr;
    bool sentenceMessagePending_ = false;
};

} // namespace varnok
