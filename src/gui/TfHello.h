#pragma once

#include <QAbstractListModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "core/context.h"
#include "core/ui.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimer;
class QAction;

namespace varnok {

class QtUi;
class TfSelFolder;
class TChartForm;
class THelpForm;

// Shows one of the program's file lists; the names stay in the logic's list.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    FileListModel(FileList &list, QObject *parent) : QAbstractListModel(parent), list_(list) {}
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void reset();

private:
    FileList &list_;
};

// A picture that fills its area, stretched.
class StretchedPicture : public QWidget {
    Q_OBJECT
public:
    explicit StretchedPicture(QWidget *parent) : QWidget(parent) {}
    void setPicture(const QImage &image);
    const QImage &picture() const { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage image_;
};

// The program's main window. Its handlers are short: the work is done by the logic.
class TfHello : public QMainWindow, public MainView {
    Q_OBJECT
public:
    struct Services {
        Clock &clock;
        Random &random;
    };
    TfHello(const std::vector<std::string> &arguments, Services services, QWidget *parent = nullptr);
    ~TfHello() override;

    AppState &state() { return state_; }
    Context &context() { return ctx_; }
    QtUi &ui() { return *ui_; }

    // MainView
    void setMemoText(const std::string &text) override;
    std::string memoText() const override;
    void showMemo(bool shown) override;
    bool memoShown() const override;
    void setMemoWritable(bool writable) override;
    void focusMemoAtEnd() override;
    void setPage(Page page) override;
    void setStatus(const std::string &text) override;
    void setTestRunning(bool running) override;
    void setScalePosition(int position) override;
    int scalePosition() const override;
    void focusScale() override;
    void setEditing(bool editing) override;
    void listChanged(ListId list) override;
    void optionsChanged() override;

    // The built-in start picture, 162 by 193 pixels in 16 colours.
    static QImage builtInPicture();
    static QString builtInHelpText();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createPages();
    QWidget *createAskPage();
    QWidget *createDocumentPage(const QString &name, QWidget *&column, QListView *&list, FileListModel *&model,
                                ListId id);
    QWidget *createOptionsPage();
    QPushButton *addColumnButton(QWidget *column, const char *name, const QString &caption, const QString &hint);
    void wireCommands();
    void wireOptions();
    void loadStartPicture();
    void applyOptionDependencies();
    void placeTestPanel();
    void syncSelectionToView(ListId id);
    void syncSelectionFromView(ListId id);
    QListView *listView(ListId id) const;
    void storeWindowGeometry();
    void limitFieldFocusOut(QLineEdit *field);
    void chooseFont();
    void locateEditor();
    void openLieSetDialog();
    void showLieHistory();
    void readme();
    void about();
    void Timer1Timer();
    void PageControl1Change(int index);

    AppState state_;
    std::unique_ptr<QtUi> ui_;
    Context ctx_;

    // Window controls, named as the logic and the tests know them.
    QTabWidget *PageControl1 = nullptr;
    QFrame *Panel1 = nullptr;
    QWidget *Shape1 = nullptr;
    QWidget *Shape2 = nullptr;
    QWidget *ToolBar = nullptr;
    QWidget *Panel9 = nullptr;
    StretchedPicture *Image1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QWidget *TestPanel = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QSlider *TrackBar1 = nullptr;
    QPushButton *bAskStart = nullptr;
    QPushButton *bAskNext = nullptr;
    QPushButton *bAskStop = nullptr;
    QPushButton *bEditCommit = nullptr;
    QPushButton *bEditRevert = nullptr;
    QPushButton *bEditCancel = nullptr;
    QWidget *Panel2 = nullptr;
    QWidget *Panel3 = nullptr;
    QWidget *Panel6 = nullptr;
    QListView *FileListBox1 = nullptr;
    QListView *FileListBox2 = nullptr;
    QListView *FileListBox3 = nullptr;
    FileListModel *liesModel_ = nullptr;
    FileListModel *essaysModel_ = nullptr;
    FileListModel *testsModel_ = nullptr;
    QCheckBox *cbEssays = nullptr;
    QCheckBox *cbGenerated = nullptr;
    QCheckBox *cbText = nullptr;
    QCheckBox *cbOptionsInternalEditor = nullptr;
    QPushButton *bOptionsFont = nullptr;
    QPushButton *bOptionsEditorLocate = nullptr;
    QLineEdit *Editor = nullptr;
    QLineEdit *MIN = nullptr;
    QLineEdit *MAX = nullptr;
    QLineEdit *VARIANCE = nullptr;
    QCheckBox *cbOptionsRandomize = nullptr;
    QCheckBox *cbOptionsSentenceParse = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QSlider *TrackBar3 = nullptr;
    QSlider *TrackBar4 = nullptr;
    QCheckBox *cbOptionsAllowRenames = nullptr;
    QPushButton *bLiesRename = nullptr;
    QPushButton *bEssaysRename = nullptr;
    QPushButton *bTestsRename = nullptr;
    QPushButton *bLiesNew = nullptr;
    QTimer *Timer1 = nullptr;

    QPointer<TfSelFolder> selFolder_;
    QPointer<TChartForm> chartForm_;
    QPointer<THelpForm> helpForm_;
    void fillMemo(bool toTheEnd) const;

    // The rest of a large text still to be put into the text area.
    mutable QString pendingMemo_;
    mutable qsizetype pendingMemoPos_ = 0;
    mutable bool pendingMemoActive_ = false;
    QTimer *memoFill_ = nullptr;
    QPoint framePosition_;
    bool framePlaced_ = false;
    bool memoIsLatin1_ = false;
    bool pageChangeByProgram_ = false;
    bool syncingSelection_ = false;
    // The text a limit field had when it was entered, for Escape.
    QString limitFieldEntryText_;
    bool limitFieldRefusing_ = false;
};

} // namespace varnok
