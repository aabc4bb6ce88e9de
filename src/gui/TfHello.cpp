#include "gui/TfHello.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/startup.h"
#include "core/editortrust.h"
#include "core/text.h"
#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "gui/AskPage.h"
#include "gui/BlinkStrip.h"
#include "gui/DocumentPage.h"
#include "gui/Doorbell.h"
#include "gui/FindPanel.h"
#include "gui/FolderFollower.h"
#include "gui/ListFiller.h"
#include "gui/MainMenus.h"
#include "gui/OptionsPage.h"
#include "gui/QtUi.h"
#include "gui/ReportCommand.h"
#include "gui/ReviewCount.h"
#include "gui/ScaleSlider.h"
#include "gui/TChartForm.h"
#include "gui/TextArea.h"
#include "gui/TfSelFolder.h"
#include "gui/bytetext.h"
#include "gui/framing.h"
#include "platform/files.h"
#include "platform/trash.h"
#include "testrun/history.h"
#include "testrun/responses.h"
#include "testrun/summaries.h"

// The resources live in a static library: nothing would pull them into the
// program unless they are asked for by name, outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(varnok);
}

namespace varnok {

namespace {

constexpr int kBlinkInterval = 666;
// A Lie is a sentence or two; a file of pages is not read out whole.
constexpr int kSpokenLieLength = 500;

// The pages in tab order.
constexpr Page kPageOrder[] = {Page::Ask, Page::Essays, Page::Lies, Page::Tests, Page::Options};

int tabIndex(Page page)
{
    return static_cast<int>(std::find(std::begin(kPageOrder), std::end(kPageOrder), page) - std::begin(kPageOrder));
}

Page pageAt(int index)
{
    return index >= 0 && index < static_cast<int>(std::size(kPageOrder)) ? kPageOrder[index] : Page::Ask;
}

std::string builtInHelpText()
{
    QFile file(":/help.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

} // namespace

TfHello::TfHello(Services services, QWidget *parent)
    : QMainWindow(parent), ui_(std::make_unique<QtUi>(this)), ctx_{state_, *ui_, *this, services.clock, services.random}
{
    initResources();
    setObjectName("fHello");
    setWindowTitle("Varnok");
    createPages();
    findDock_ = new FindDock(ctx_, this, ask_->Memo1, ask_->TrackBar1);
    report_ = new ReportCommand(this, ctx_);
    menus_ = new MainMenus(this, ctx_,
                           {[this] { openLieSetDialog(); }, [this] { findDock_->open(); },
                            [this] { report_->exportReport(); }, [this] { report_->printReport(); }});
    follower_ = new FolderFollower(ctx_, this);
    wireCommands();
    ask_->Memo1->setBytes(builtInHelpText());

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kBlinkInterval);
    connect(Timer1, &QTimer::timeout, this, &TfHello::Timer1Timer);
    Timer1->start();
    ask_->loadStartPicture();
}

TfHello::~TfHello() = default;

bool TfHello::start(const std::vector<std::string> &arguments, ListsFill fill)
{
    state_.homeTrash = homeTrashFolder();
    state_.lockFolder = lockFolderPath();
    state_.configFolder = userConfigFolder().value_or(std::string());
    // Listening before the lock is taken: whoever finds the lock held can ring.
    new Doorbell(this, state_.lockFolder);
    StartupPlaces places = systemStartupPlaces(arguments);
    // The whole desktop's size stands for the machine: another machine
    // sharing the folder keeps its own place unless its screens match.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        places.placeSection = windowPlaceSection(screen->virtualSize().width(), screen->virtualSize().height());
    if (!startUp(ctx_, places, fill))
        return false;
    // Watched before it is listed, so nothing that arrives in between is
    // missed. Watching a folder costs the kernel a moment per name it holds:
    // a window that lists its folder after it shows watches it then too.
    if (fill == ListsFill::Now)
        follower_->followLieFolder();
    if (fill == ListsFill::Later) {
        if (!filler_) {
            filler_ = new ListFiller(ctx_, this);
            filler_->beforeReading = [this] { follower_->followLieFolder(); };
            follower_->refreshAside = [this] {
                filler_->refresh();
                return true;
            };
            const auto finishFill = [this] { filler_->finish(); };
            ask_->beforeCommand = finishFill;
            for (DocumentPage *page : {lies_, essays_, tests_})
                page->beforeCommand = finishFill;
        }
        filler_->startAfterFirstPaint(this);
    }
    ask_->bAskStart->setFocus();
    return true;
}

bool TfHello::rereadListsAside()
{
    // Only a window whose lists filled beside its loop at start-up has the
    // means; a command that follows waits for the reading (beforeCommand).
    if (!filler_)
        return false;
    filler_->start(false);
    return true;
}

bool TfHello::listsFilling() const
{
    return filler_ && filler_->busy();
}

// --- layout ---------------------------------------------------------------

void TfHello::createPages()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ask_ = new AskPage(ctx_);
    essays_ = new DocumentPage(ListId::Essays, ctx_);
    lies_ = new DocumentPage(ListId::Lies, ctx_);
    tests_ = new DocumentPage(ListId::Tests, ctx_);
    listPages_ = {lies_, essays_, tests_};
    options_ = new OptionsPage(state_.options, *ui_);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setAccessibleName("Pages");
    PageControl1->tabBar()->setAttribute(Qt::WA_Hover);
    PageControl1->addTab(ask_, "Start Here");
    PageControl1->addTab(essays_, "Essays");
    PageControl1->addTab(lies_, "Lies");
    PageControl1->addTab(tests_, "Tests");
    PageControl1->addTab(options_, "Program Options");
    layout->addWidget(PageControl1, 1);
    Panel1 = new BlinkStrip(central);
    layout->addWidget(Panel1);
    setCentralWidget(central);

    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(true);
    // The bar paints its message itself; its name is what a screen reader reads out.
    connect(statusBar(), &QStatusBar::messageChanged, statusBar(), &QWidget::setAccessibleName);
    // Beside the status line's own texts, so those keep their words.
    reviewCount_ = new ReviewCount(statusBar());
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfHello::PageControl1Change);
}

// --- wiring ---------------------------------------------------------------

void TfHello::wireCommands()
{
    connect(lies_->button("bLiesHistory"), &QPushButton::clicked, this, &TfHello::showLieHistory);
    connect(lies_->button("bLiesReport"), &QPushButton::clicked, report_, &ReportCommand::exportReport);
    connect(lies_->button("Button5"), &QPushButton::clicked, this, &TfHello::openLieSetDialog);
    connect(options_, &OptionsPage::dependenciesChanged, this, &TfHello::applyOptionDependencies);
    connect(options_, &OptionsPage::editorChosen, this,
            [this](const std::string &editor) { rememberChosenEditor(state_, editor); });
    connect(options_->bOptionsFont, &QPushButton::clicked, ask_->Memo1, &TextArea::chooseFont);
}

void TfHello::applyOptionDependencies()
{
    options_->applyDependencies();
    for (DocumentPage *page : {essays_, lies_, tests_})
        page->renameButton()->setVisible(state_.options.allowRenames);
    menus_->updateEditActions();
}

void TfHello::optionsChanged()
{
    const Options &o = state_.options;
    // The stored bounds are the frame's. Moved before the window exists, the
    // window manager puts the frame there itself; the bounds are first kept on
    // the screen, so a title bar is never above it or off to a side. A
    // window on the screen stays where the person has it.
    if (!isVisible()) {
        const QRect bounds =
            boundsOnScreen(o.left, o.top, o.width, o.height, minimumSizeHint(), screenAreaAt(QPoint(o.left, o.top)));
        setOuterSize(this, bounds.size());
        move(bounds.topLeft());
    }
    QFont memoFont(textFromBytes(o.fontName));
    memoFont.setPointSize(o.fontSize > 0 ? o.fontSize : 8);
    ask_->Memo1->setFont(memoFont);
    options_->showOptions();
    applyOptionDependencies();
}

void TfHello::openLieSetDialog()
{
    // An open edit belongs to the current lie folder: switching folders under
    // it would write the text into a file of the same name elsewhere.
    if (!pageChangeAllowed(ctx_))
        return;
    if (!selFolder_)
        selFolder_ = new TfSelFolder(ctx_, this);
    selFolder_->exec();
    follower_->followLieFolder();
}

void TfHello::showLieHistory()
{
    // The chart's data is built with the reading, off the window's thread;
    // here only what the chart draws is handed over.
    const auto history = bLiesHistoryWithChart(ctx_);
    if (!history)
        return;
    const bool anyPoint = std::any_of(history->chart.series.begin(), history->chart.series.end(),
                                      [](const ChartSeries &s) { return !s.points.empty(); });
    // The chart opens only when there is something to draw; a chart of an
    // earlier History would now be out of date.
    if (!anyPoint) {
        if (chartForm_)
            chartForm_->hide();
        return;
    }
    if (!chartForm_)
        chartForm_ = new TChartForm(this);
    const ReactionLimits limits = reactionLimits(state_.options);
    chartForm_->setLieFolder(state_.lieFolder);
    // Building a big chart takes a moment on this thread: the History text is
    // painted first, where the progress window stood, and an open chart
    // window keeps its last picture until the new chart is whole.
    repaint();
    chartForm_->setUpdatesEnabled(false);
    chartForm_->showHistory(history->chart, limits.weak, limits.strong);
    chartForm_->setUpdatesEnabled(true);
    chartForm_->present();
}

// --- events -----------------------------------------------------------------

void TfHello::Timer1Timer()
{
    // Shown on its page, that is: the strip blinks while a test runs, also
    // while another page is in front.
    if (!ask_->TrackBar1->isVisibleTo(ask_))
        return;
    Panel1->blink();
}

void TfHello::PageControl1Change(int index)
{
    state_.page = pageAt(index);
    menus_->updateEditActions();
    if (pageChangeByProgram_ || !state_.edit.editInProgress)
        return;
    if (!pageChangeAllowed(ctx_))
        setPage(Page::Ask);
}

void TfHello::keyPressEvent(QKeyEvent *event)
{
    // Choosing a hit moves the focus to the text area; Escape there still
    // closes the find bar beside it, as in the bar itself.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        findDock_->escapeCloses(QApplication::focusWidget())) {
        findDock_->close();
        return;
    }
    // Enter presses the page's default button unless another button has the
    // focus: then it presses that one. Buttons outside dialogs leave Enter to
    // their window, so it arrives here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The find field and its results pass Enter on once they have used
        // it to choose a hit; it must not go on to press Next Lie as well.
        if (findDock_->isAncestorOf(QApplication::focusWidget()))
            return;
        if (auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
            focused && focused->window() == this && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (state_.page == Page::Ask && ask_->bAskNext->isVisible()) {
            ask_->bAskNext->click();
            return;
        }
        if (state_.page == Page::Lies) {
            lies_->button("bLiesNew")->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

bool TfHello::event(QEvent *event)
{
    // Hovering a menu item sends its (empty) status tip, which would wipe the
    // text a command put in the status line; that text stays until the next
    // command sets another.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TfHello::closeEvent(QCloseEvent *event)
{
    if (!endEditForClose(ctx_)) {
        event->ignore();
        return;
    }
    state_.closing = true;
    storeWindowGeometry();
    exitSequence(ctx_);
    event->accept();
}

void TfHello::storeWindowGeometry()
{
    state_.options.left = frameGeometry().x();
    state_.options.top = frameGeometry().y();
    state_.options.width = frameGeometry().width();
    state_.options.height = frameGeometry().height();
    state_.options.fontName = utf8Bytes(ask_->Memo1->font().family());
    state_.options.fontSize = ask_->Memo1->font().pointSize();
}

// --- MainView ---------------------------------------------------------------

void TfHello::setMemoText(std::string text)
{
    ask_->Memo1->setBytes(std::move(text));
}

std::string TfHello::memoText() const
{
    return ask_->Memo1->bytes();
}

void TfHello::showMemo(bool shown)
{
    ask_->Memo1->setVisible(shown);
}

bool TfHello::memoShown() const
{
    return ask_->Memo1->isVisibleTo(ask_->Panel9);
}

void TfHello::setMemoWritable(bool writable)
{
    if (writable)
        ask_->Memo1->fillAll();
    ask_->Memo1->setReadOnly(!writable);
    ask_->Memo1->setFocusPolicy(writable ? Qt::StrongFocus : Qt::ClickFocus);
}

void TfHello::focusMemoAtEnd()
{
    ask_->Memo1->setFocus();
    ask_->Memo1->moveCursor(QTextCursor::End);
    ask_->Memo1->ensureCursorVisible();
}

void TfHello::selectMemoBytes(std::size_t offset, std::size_t length)
{
    ask_->Memo1->selectBytes(offset, length);
    ask_->Memo1->setFocus();
}

void TfHello::setPage(Page page)
{
    pageChangeByProgram_ = true;
    PageControl1->setCurrentIndex(tabIndex(page));
    pageChangeByProgram_ = false;
    state_.page = page;
}

void TfHello::setStatus(const std::string &text)
{
    statusBar()->showMessage(textFromBytes(text));
}

void TfHello::setTestRunning(bool running)
{
    ask_->setTestRunning(running);
    Panel1->setRunning(running);
}

void TfHello::setScalePosition(int position)
{
    ask_->TrackBar1->setValue(position);
}

int TfHello::scalePosition() const
{
    return ask_->TrackBar1->value();
}

void TfHello::focusScale()
{
    // The scale keeps the focus from Lie to Lie, so it tells which Lie it answers.
    const QString lie = ask_->Memo1->toPlainText().left(kSpokenLieLength).simplified();
    ask_->TrackBar1->setSubject(ask_->TestPosition->text() + ": " + lie);
    ask_->TrackBar1->setFocus();
    // After a box of ours the window manager may not have handed the
    // keyboard back yet, or at all when the box closed as it was mapped.
    if (!isActiveWindow())
        activateWindow();
}

void TfHello::setScaleLimits(int weak, int strong)
{
    ask_->TrackBar1->setLimits(weak, strong);
}

void TfHello::setTestPosition(const std::string &text)
{
    ask_->TestPosition->setText(textFromBytes(text));
    if (text.empty())
        ask_->TrackBar1->setSubject({});
}

void TfHello::setReviewPosition(const std::string &text, bool laterOffered)
{
    reviewCount_->setCount(textFromBytes(text));
    ask_->bEditLater->setVisible(laterOffered);
}

void TfHello::setEditing(bool editing)
{
    ask_->setEditing(editing);
}

void TfHello::listChanged(ListId id)
{
    listPages_[static_cast<std::size_t>(id)]->listChanged();
    menus_->updateEditActions();
}

} // namespace varnok
