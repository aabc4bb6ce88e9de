#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

#include "app/startup.h"
#include "core/context.h"
#include "core/ui.h"

class QTabWidget;
class QTimer;

namespace varnok {

class AskPage;
class BlinkStrip;
class DocumentPage;
class FindDock;
class FolderFollower;
class ListFiller;
class MainMenus;
class OptionsPage;
class QtUi;
class ReportCommand;
class ReviewCount;
class TfSelFolder;
class TChartForm;

// The program's main window. Building it only builds it: the start-up sequence
// runs when main calls startUp on its context. Its handlers are short: the work
// is done by the logic.
class TfHello : public QMainWindow, public MainView {
    Q_OBJECT
public:
    struct Services {
        Clock &clock;
        Random &random;
    };
    explicit TfHello(Services services, QWidget *parent = nullptr);
    ~TfHello() override;

    AppState &state() { return state_; }
    Context &context() { return ctx_; }
    QtUi &ui() { return *ui_; }
    // Runs the start-up sequence for the program's command-line arguments and
    // gives the Start button the focus. False, with nothing shown, when
    // another Varnok has the lie folder open (state().folderHolder). With
    // ListsFill::Later the lists are read on a thread of their own and fill
    // once the window is up.
    bool start(const std::vector<std::string> &arguments, ListsFill fill = ListsFill::Now);
    // True until the lists read after start have arrived.
    bool listsFilling() const;

    // MainView
    void setMemoText(std::string text) override;
    std::string memoText() const override;
    void showMemo(bool shown) override;
    bool memoShown() const override;
    void setMemoWritable(bool writable) override;
    void focusMemoAtEnd() override;
    void selectMemoBytes(std::size_t offset, std::size_t length) override;
    void setPage(Page page) override;
    void setStatus(const std::string &text) override;
    void setTestRunning(bool running) override;
    void setScalePosition(int position) override;
    int scalePosition() const override;
    void focusScale() override;
    void setScaleLimits(int weak, int strong) override;
    void setTestPosition(const std::string &text) override;
    void setReviewPosition(const std::string &text, bool laterOffered) override;
    void setEditing(bool editing) override;
    void listChanged(ListId list) override;
    bool rereadListsAside() override;
    void optionsChanged() override;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createPages();
    void wireCommands();
    void applyOptionDependencies();
    void storeWindowGeometry();
    void openLieSetDialog();
    void showLieHistory();
    void Timer1Timer();
    void PageControl1Change(int index);

    AppState state_;
    std::unique_ptr<QtUi> ui_;
    Context ctx_;

    QTabWidget *PageControl1 = nullptr;
    AskPage *ask_ = nullptr;
    DocumentPage *essays_ = nullptr;
    DocumentPage *lies_ = nullptr;
    DocumentPage *tests_ = nullptr;
    OptionsPage *options_ = nullptr;
    // The document pages in ListId order.
    std::array<DocumentPage *, 3> listPages_{};
    BlinkStrip *Panel1 = nullptr;
    ReviewCount *reviewCount_ = nullptr;
    QTimer *Timer1 = nullptr;

    FindDock *findDock_ = nullptr;
    MainMenus *menus_ = nullptr;
    ReportCommand *report_ = nullptr;
    FolderFollower *follower_ = nullptr;
    ListFiller *filler_ = nullptr;

    QPointer<TfSelFolder> selFolder_;
    QPointer<TChartForm> chartForm_;
    bool pageChangeByProgram_ = false;
};

} // namespace varnok
