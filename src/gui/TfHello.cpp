#include "gui/TfHello.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/startup.h"
#include "core/text.h"
#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "gui/AskPage.h"
#include "gui/BlinkStrip.h"
#include "gui/DocumentPage.h"
#include "gui/FindPanel.h"
#include "gui/OptionsPage.h"
#include "gui/QtUi.h"
#include "gui/ScaleSlider.h"
#include "gui/StretchedPicture.h"
#include "gui/TChartForm.h"
#include "gui/THelpForm.h"
#include "gui/TSplashForm.h"
#include "gui/TextArea.h"
#include "gui/TfSelFolder.h"
#include "gui/bytetext.h"
#include "gui/framing.h"
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
// A file added outside shows within a second: changes are gathered this long.
constexpr int kFolderSettle = 150;

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
    createFind();
    createMenus();
    wireCommands();
    ask_->Memo1->setBytes(builtInHelpText());

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kBlinkInterval);
    connect(Timer1, &QTimer::timeout, this, &TfHello::Timer1Timer);
    Timer1->start();
    loadStartPicture();

    folderSettle_ = new QTimer(this);
    folderSettle_->setSingleShot(true);
    folderSettle_->setInterval(kFolderSettle);
    connect(folderSettle_, &QTimer::timeout, this, &TfHello::refreshFromFolder);
    if (watch_.descriptor() >= 0) {
        watchNotifier_ = new QSocketNotifier(watch_.descriptor(), QSocketNotifier::Read, this);
        connect(watchNotifier_, &QSocketNotifier::activated, this, &TfHello::folderChanged);
    }
}

TfHello::~TfHello() = default;

void TfHello::start(const std::vector<std::string> &arguments)
{
    state_.homeTrash = homeTrashFolder();
    startUp(ctx_, systemStartupPlaces(arguments));
    watchLieFolder();
    ask_->bAskStart->setFocus();
}

// --- layout ---------------------------------------------------------------

void TfHello::createMenus()
{
    QMenu *file = menuBar()->addMenu("&File");
    QAction *lieSet = file->addAction("Open &Lie set...");
    lieSet->setObjectName("LieSet1");
    connect(lieSet, &QAction::triggered, this, &TfHello::openLieSetDialog);
    QAction *findAction = file->addAction("&Find...");
    findAction->setObjectName("Find1");
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, this, &TfHello::showFind);
    QAction *refresh = file->addAction("Re-rea&d folder");
    refresh->setObjectName("Refresh1");
    refresh->setShortcut(Qt::Key_F5);
    connect(refresh, &QAction::triggered, this, [this] { refreshLists(ctx_); });
    file->addSeparator();
    QAction *exitAction = file->addAction("E&xit");
    exitAction->setObjectName("Exit1");
    exitAction->setShortcut(Qt::CTRL | Qt::Key_Q);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    createEditMenu();

    QMenu *help = menuBar()->addMenu("&Help");
    QAction *readme = help->addAction("&Read me");
    readme->setObjectName("Readme1");
    readme->setShortcut(Qt::Key_F1);
    connect(readme, &QAction::triggered, this, &TfHello::readme);
    QAction *about = help->addAction("&About");
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &TfHello::about);
}

void TfHello::createEditMenu()
{
    // No mnemonic: Alt+E belongs to the pages' "&Edit" buttons.
    QMenu *edit = menuBar()->addMenu("Edit");
    UndoDelete1 = edit->addAction("&Undo delete");
    UndoDelete1->setObjectName("UndoDelete1");
    UndoDelete1->setShortcut(QKeySequence::Undo);
    connect(UndoDelete1, &QAction::triggered, this, [this] { UndoDelete1Click(ctx_); });
    edit->addSeparator();
    QAction *remove = edit->addAction("&Delete");
    remove->setObjectName("Delete1");
    remove->setShortcut(QKeySequence::Delete);
    connect(remove, &QAction::triggered, this, [this] {
        if (shownList())
            DeleteClick(ctx_);
    });
    Rename1 = edit->addAction("Re&name");
    Rename1->setObjectName("Rename1");
    Rename1->setShortcut(Qt::Key_F2);
    connect(Rename1, &QAction::triggered, this, &TfHello::renameInList);
    QAction *selectAll = edit->addAction("Select &All");
    selectAll->setObjectName("SelectAll1");
    selectAll->setShortcut(QKeySequence::SelectAll);
    connect(selectAll, &QAction::triggered, this, &TfHello::selectAllInList);
    connect(edit, &QMenu::aboutToShow, this, &TfHello::updateEditActions);
    updateEditActions();
}

void TfHello::createFind()
{
    FindDock = new QDockWidget("Find", this);
    FindDock->setObjectName("FindDock");
    FindDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    find_ = new FindPanel(ctx_, FindDock);
    FindDock->setWidget(find_);
    addDockWidget(Qt::BottomDockWidgetArea, FindDock);
    FindDock->hide();
    connect(find_, &FindPanel::closeRequested, this, &TfHello::closeFind);
}

void TfHello::closeFind()
{
    // Back to the text being read rather than to whatever widget follows the
    // panel in the focus chain.
    const bool focusInside = FindDock->isAncestorOf(QApplication::focusWidget());
    FindDock->hide();
    if (focusInside && ask_->Memo1->isVisible())
        ask_->Memo1->setFocus(Qt::OtherFocusReason);
}

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
    // Beside the status line's own texts, so those keep their words.
    reviewPosition_ = new QLabel(statusBar());
    reviewPosition_->setObjectName("ReviewPosition");
    statusBar()->addPermanentWidget(reviewPosition_);
    reviewPosition_->hide();
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfHello::PageControl1Change);
}

// --- wiring ---------------------------------------------------------------

void TfHello::wireCommands()
{
    connect(lies_->button("bLiesHistory"), &QPushButton::clicked, this, &TfHello::showLieHistory);
    connect(lies_->button("Button5"), &QPushButton::clicked, this, &TfHello::openLieSetDialog);
    connect(options_, &OptionsPage::dependenciesChanged, this, &TfHello::applyOptionDependencies);
    connect(options_->bOptionsFont, &QPushButton::clicked, ask_->Memo1, &TextArea::chooseFont);
}

void TfHello::applyOptionDependencies()
{
    options_->applyDependencies();
    for (DocumentPage *page : {essays_, lies_, tests_})
        page->renameButton()->setVisible(state_.options.allowRenames);
    updateEditActions();
}

void TfHello::showFind()
{
    FindDock->show();
    FindDock->raise();
    find_->focusField();
}

std::optional<ListId> TfHello::shownList() const
{
    return listOfPage(state_.page);
}

void TfHello::renameInList()
{
    const auto id = shownList();
    if (!id || !state_.options.allowRenames)
        return;
    switch (*id) {
    case ListId::Lies:
        bLiesRenameClick(ctx_);
        break;
    case ListId::Essays:
        bEssaysRenameClick(ctx_);
        break;
    case ListId::Tests:
        bTestsRenameClick(ctx_);
        break;
    }
}

void TfHello::selectAllInList()
{
    if (const auto id = shownList()) {
        state_.list(*id).selectAll();
        listChanged(*id);
    }
}

void TfHello::updateEditActions()
{
    if (UndoDelete1)
        UndoDelete1->setEnabled(canUndoDelete(state_));
    if (Rename1)
        Rename1->setEnabled(state_.options.allowRenames);
}

void TfHello::watchLieFolder()
{
    if (watch_.folder() != state_.lieFolder)
        watch_.watch(state_.lieFolder);
}

void TfHello::folderChanged()
{
    if (watch_.takeChanges())
        folderSettle_->start();
}

void TfHello::refreshFromFolder()
{
    // A question on the screen belongs to a command that may still walk the
    // lists it was started on; the lists catch up once it is answered.
    if (QApplication::activeModalWidget()) {
        folderSettle_->start();
        return;
    }
    watchLieFolder();
    refreshLists(ctx_);
}

void TfHello::optionsChanged()
{
    const Options &o = state_.options;
    // The stored bounds are the frame's. Moved before the window exists, the
    // window manager puts the frame there itself; the bounds are first kept on
    // the screen, so a title bar is never above it or off to a side.
    const QRect bounds = boundsOnScreen(o.left, o.top, o.width, o.height, minimumSizeHint(),
                                        screenAreaAt(QPoint(o.left, o.top)));
    setOuterSize(this, bounds.size());
    move(bounds.topLeft());
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
    watchLieFolder();
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
    chartForm_->showHistory(history->chart, limits.weak, limits.strong);
    chartForm_->present();
}

void TfHello::readme()
{
    if (!helpForm_)
        helpForm_ = new THelpForm(this);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(state_.helpText.size()));
    for (const std::string &line : state_.helpText)
        lines.append(textFromBytes(line));
    helpForm_->showReadme(QCoreApplication::applicationDirPath() + "/", lines);
}

void TfHello::about()
{
    TSplashForm splash(this);
    splash.exec();
}

void TfHello::loadStartPicture()
{
    const QString path = QDir::current().filePath("startup.bmp");
    QImage picture(":/startpicture.png");
    if (QFileInfo::exists(path)) {
        QString reason;
        QImage loaded = readPictureFile(path, reason);
        if (loaded.isNull())
            ui_->error(utf8Bytes("Cannot load the start picture " + path + ": " + reason) + ".");
        else
            picture = loaded;
    }
    ask_->Image1->setPicture(picture.convertToFormat(QImage::Format_RGB32));
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
    if (pageChangeByProgram_ || !state_.edit.editInProgress)
        return;
    if (!pageChangeAllowed(ctx_))
        setPage(Page::Ask);
}

void TfHello::keyPressEvent(QKeyEvent *event)
{
    // Choosing a hit moves the focus to the text area; Escape there still
    // closes the find bar beside it, as in the bar itself.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && FindDock->isVisible()) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == ask_->Memo1 || FindDock->isAncestorOf(focused)) {
            closeFind();
            return;
        }
    }
    // Enter presses the page's default button unless another button has the
    // focus: then it presses that one. Buttons outside dialogs leave Enter to
    // their window, so it arrives here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
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
    ask_->TrackBar1->setFocus();
}

void TfHello::setScaleLimits(int weak, int strong)
{
    ask_->TrackBar1->setLimits(weak, strong);
}

void TfHello::setTestPosition(const std::string &text)
{
    ask_->TestPosition->setText(textFromBytes(text));
}

void TfHello::setReviewPosition(const std::string &text, bool laterOffered)
{
    reviewPosition_->setText(textFromBytes(text));
    reviewPosition_->setVisible(!text.empty());
    ask_->bEditLater->setVisible(laterOffered);
}

void TfHello::setEditing(bool editing)
{
    ask_->setEditing(editing);
}

void TfHello::listChanged(ListId id)
{
    listPages_[static_cast<std::size_t>(id)]->listChanged();
    updateEditActions();
}

} // namespace varnok
