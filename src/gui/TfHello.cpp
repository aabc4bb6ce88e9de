#include "gui/TfHello.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/QtUi.h"
#include "gui/THelpForm.h"
#include "gui/TSplashForm.h"
#include "gui/TfSelFolder.h"
#include "app/startup.h"
#include "core/text.h"
#include "documents/documents.h"
#include "documents/commands.h"
#include "documents/editing.h"
#include "generator/generate.h"
#include "gui/TChartForm.h"
#include "testrun/history.h"
#include "testrun/responses.h"
#include "testrun/review.h"
#include "testrun/testrun.h"
#include "platform/files.h"
#include "platform/process.h"

namespace varnok {

namespace {

constexpr int kTestPanelHeight = 76;
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 25;
constexpr int kColumnWidth = 89;
constexpr int kBlinkInterval = 666;
constexpr qsizetype kMemoSlice = 1 << 20;
constexpr char kInvalidLimitMessage[] = "Invalid input value.  Use escape key to abandon changes";

QString qs(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ss(const QString &text)
{
    return text.toUtf8().toStdString();
}

Page pageAt(int index)
{
    switch (index) {
    case 1:
        return Page::Essays;
    case 2:
        return Page::Lies;
    case 3:
        return Page::Tests;
    case 4:
        return Page::Options;
    default:
        return Page::Ask;
    }
}

int indexOf(Page page)
{
    switch (page) {
    case Page::Ask:
        return 0;
    case Page::Essays:
        return 1;
    case Page::Lies:
        return 2;
    case Page::Tests:
        return 3;
    case Page::Options:
        break;
    }
    return 4;
}

QSlider *makeSlider(QWidget *parent, const char *name, int low, int high)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(low, high);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    return slider;
}

} // namespace

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list_.count();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= list_.count())
        return {};
    const std::string &name = list_.name(index.row());
    // Names are bytes: valid UTF-8 shows as such, anything else as Latin-1.
    return isValidUtf8(name) ? qs(name) : QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

void FileListModel::reset()
{
    beginResetModel();
    endResetModel();
}

void StretchedPicture::setPicture(const QImage &image)
{
    image_ = image;
    update();
}

void StretchedPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!image_.isNull())
        painter.drawImage(rect(), image_);
}

TfHello::TfHello(const std::vector<std::string> &arguments, Services services, QWidget *parent)
    : QMainWindow(parent), ui_(std::make_unique<QtUi>(this)), ctx_{state_, *ui_, *this, services.clock, services.random}
{
    setObjectName("fHello");
    setWindowTitle("Varnok");
    createMenus();
    createPages();
    wireCommands();
    wireOptions();
    Memo1->setPlainText(builtInHelpText());

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kBlinkInterval);
    connect(Timer1, &QTimer::timeout, this, &TfHello::Timer1Timer);
    Timer1->start();

    loadStartPicture();
    StartupPlaces places;
    places.arguments = arguments;
    places.programFolder = programFolder();
    // main() stops before this when there is no home folder.
    places.fallbackDataFolder = userDataFolder().value_or(std::string());
    places.dataFolders = systemDataFolders();
    places.defaultEditor = defaultEditorCommand();
    startUp(ctx_, places);
    bAskStart->setFocus();
}

TfHello::~TfHello() = default;

// --- layout ---------------------------------------------------------------

void TfHello::createMenus()
{
    QMenu *file = menuBar()->addMenu("&File");
    QAction *lieSet = file->addAction("Open &Lie set...");
    lieSet->setObjectName("LieSet1");
    connect(lieSet, &QAction::triggered, this, &TfHello::openLieSetDialog);
    QAction *exitAction = file->addAction("E&xit");
    exitAction->setObjectName("Exit1");
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    QMenu *help = menuBar()->addMenu("&Help");
    QAction *readme = help->addAction("&Read me");
    readme->setObjectName("Readme1");
    connect(readme, &QAction::triggered, this, &TfHello::readme);
    QAction *about = help->addAction("&About");
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &TfHello::about);
}

void TfHello::createPages()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    PageControl1->tabBar()->setAttribute(Qt::WA_Hover);
    PageControl1->addTab(createAskPage(), "Start Here");
    PageControl1->addTab(createDocumentPage("Essays", Panel3, FileListBox2, essaysModel_, ListId::Essays), "Essays");
    PageControl1->addTab(createDocumentPage("Lies", Panel2, FileListBox1, liesModel_, ListId::Lies), "Lies");
    PageControl1->addTab(createDocumentPage("Tests", Panel6, FileListBox3, testsModel_, ListId::Tests), "Tests");
    PageControl1->addTab(createOptionsPage(), "Program Options");
    layout->addWidget(PageControl1, 1);

    // The strip that blinks red and blue while a test runs.
    Panel1 = new QFrame(central);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(10);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    auto *strip = new QGridLayout(Panel1);
    strip->setContentsMargins(2, 2, 2, 2);
    Shape1 = new QWidget(Panel1);
    Shape1->setObjectName("Shape1");
    Shape1->setStyleSheet("background-color: red;");
    Shape2 = new QWidget(Panel1);
    Shape2->setObjectName("Shape2");
    Shape2->setStyleSheet("background-color: blue;");
    strip->addWidget(Shape1, 0, 0);
    strip->addWidget(Shape2, 0, 0);
    Shape1->hide();
    Shape2->hide();
    layout->addWidget(Panel1);
    setCentralWidget(central);

    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(true);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfHello::PageControl1Change);
}

QWidget *TfHello::createAskPage()
{
    auto *page = new QWidget;
    page->setObjectName("Ask");
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QWidget(page);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setFixedHeight(27 + 4);
    auto *tools = new QHBoxLayout(ToolBar);
    tools->setContentsMargins(2, 2, 2, 2);
    bEditCommit = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "&OK", ToolBar);
    bEditCommit->setObjectName("bEditCommit");
    bEditRevert = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), "&Revert", ToolBar);
    bEditRevert->setObjectName("bEditRevert");
    bEditCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "C&ancel", ToolBar);
    bEditCancel->setObjectName("bEditCancel");
    for (QPushButton *b : {bEditCommit, bEditRevert, bEditCancel})
        tools->addWidget(b);
    tools->addStretch();
    ToolBar->hide();
    layout->addWidget(ToolBar);

    Panel9 = new QWidget(page);
    Panel9->setObjectName("Panel9");
    auto *display = new QGridLayout(Panel9);
    display->setContentsMargins(0, 0, 0, 0);
    Image1 = new StretchedPicture(Panel9);
    Image1->setObjectName("Image1");
    Memo1 = new QPlainTextEdit(Panel9);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(this);
        menu.setObjectName("PopupMenu1");
        QAction *save = menu.addAction("Save to file");
        save->setObjectName("Savetofile1");
        connect(save, &QAction::triggered, this, [this] { Savetofile1Click(ctx_); });
        menu.exec(Memo1->mapToGlobal(at));
    });
    display->addWidget(Image1, 0, 0);
    display->addWidget(Memo1, 0, 0);
    Memo1->hide();
    layout->addWidget(Panel9, 1);
    memoFill_ = new QTimer(this);
    memoFill_->setInterval(0);
    connect(memoFill_, &QTimer::timeout, this, [this] { fillMemo(false); });

    TestPanel = new QWidget(page);
    TestPanel->setObjectName("TestPanel");
    TestPanel->setFixedHeight(kTestPanelHeight);
    TestPanel->installEventFilter(this);
    QFont labelFont = font();
    labelFont.setBold(true);
    labelFont.setPixelSize(12);
    Label1 = new QLabel("Weak", TestPanel);
    Label1->setObjectName("Label1");
    Label2 = new QLabel("Strong", TestPanel);
    Label2->setObjectName("Label2");
    Label3 = new QLabel("Moderate", TestPanel);
    Label3->setObjectName("Label3");
    for (QLabel *label : {Label1, Label2, Label3}) {
        label->setFont(labelFont);
        label->adjustSize();
        label->hide();
    }
    TrackBar1 = makeSlider(TestPanel, "TrackBar1", 1, 25);
    TrackBar1->setPageStep(5);
    TrackBar1->setTickPosition(QSlider::NoTicks);
    TrackBar1->setValue(13);
    TrackBar1->move(2, 18);
    TrackBar1->hide();
    bAskStart = new QPushButton("Start &Test", TestPanel);
    bAskStart->setObjectName("bAskStart");
    bAskStart->setToolTip("Take the test");
    bAskStart->setGeometry(10, 50, kButtonWidth, kButtonHeight);
    bAskNext = new QPushButton("&Next Lie", TestPanel);
    bAskNext->setObjectName("bAskNext");
    bAskNext->setToolTip("Show next lie");
    bAskNext->setGeometry(0, 50, kButtonWidth, kButtonHeight);
    bAskNext->setDefault(true);
    bAskNext->hide();
    bAskStop = new QPushButton("&Stop Test", TestPanel);
    bAskStop->setObjectName("bAskStop");
    bAskStop->setToolTip("Stop the test here");
    bAskStop->setGeometry(10, 50, kButtonWidth, kButtonHeight);
    bAskStop->hide();
    layout->addWidget(TestPanel);
    return page;
}

QPushButton *TfHello::addColumnButton(QWidget *column, const char *name, const QString &caption, const QString &hint)
{
    auto *button = new QPushButton(caption, column);
    button->setObjectName(name);
    // 85 pixels as a rule, wider where a caption needs it in this font.
    button->setMinimumWidth(kButtonWidth);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    column->layout()->addWidget(button);
    return button;
}

QWidget *TfHello::createDocumentPage(const QString &name, QWidget *&column, QListView *&list, FileListModel *&model,
                                     ListId id)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    column = new QWidget(page);
    column->setMinimumWidth(kColumnWidth);
    column->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto *buttons = new QVBoxLayout(column);
    buttons->setContentsMargins(2, 0, 2, 0);
    buttons->setSpacing(3);
    list = new QListView(page);
    model = new FileListModel(state_.list(id), list);
    list->setModel(model);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    layout->addWidget(column);
    layout->addWidget(list, 1);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, id] { syncSelectionFromView(id); });
    connect(list, &QListView::doubleClicked, this, [this] { bTestsViewClick(ctx_); });

    switch (id) {
    case ListId::Essays:
        column->setObjectName("Panel3");
        list->setObjectName("FileListBox2");
        addColumnButton(column, "bEssaysNew", "&New", "Write a new essay from scratch");
        addColumnButton(column, "bEssaysEdit", "&Edit", "Change selected essays");
        addColumnButton(column, "bEssaysView", "&View", "Show file in view window");
        addColumnButton(column, "bEssaysDelete", "&Delete", "Delete selected essays");
        addColumnButton(column, "bFunEssay", "&Generate", "Generate a random essay from selected essays");
        addColumnButton(column, "bFunSelectAll", "&Select All", "Select all essays");
        bEssaysRename = addColumnButton(column, "bEssaysRename", "&Rename", "Rename selected essays");
        {
            auto *show = new QLabel("Show:", column);
            show->setObjectName("Label9");
            buttons->addSpacing(6);
            buttons->addWidget(show);
            cbEssays = new QCheckBox("Essa&ys", column);
            cbEssays->setObjectName("cbEssays");
            cbEssays->setToolTip("Show essay files");
            cbEssays->setChecked(true);
            cbGenerated = new QCheckBox("&Generated", column);
            cbGenerated->setObjectName("cbGenerated");
            cbGenerated->setToolTip("Show generated essays");
            cbGenerated->setChecked(true);
            cbText = new QCheckBox("&Text files", column);
            cbText->setObjectName("cbText");
            for (QCheckBox *box : {cbEssays, cbGenerated, cbText}) {
                buttons->addWidget(box);
                connect(box, &QCheckBox::clicked, this, [this] {
                    state_.showEssays = cbEssays->isChecked();
                    state_.showGenerated = cbGenerated->isChecked();
                    state_.showText = cbText->isChecked();
                    cbGeneratedClick(ctx_);
                });
            }
        }
        break;
    case ListId::Lies:
        column->setObjectName("Panel2");
        list->setObjectName("FileListBox1");
        bLiesNew = addColumnButton(column, "bLiesNew", "&New", "Add a new lie");
        addColumnButton(column, "bLiesEdit", "&Edit", "Change selected lies");
        addColumnButton(column, "bLiesView", "&View", "Show file in view window");
        addColumnButton(column, "bLiesDelete", "&Delete", "Delete selected lies");
        addColumnButton(column, "bLiesHistory", "H&istory", "View past reactions to selected Lies");
        addColumnButton(column, "bLiesSelectAll", "&Select All", "");
        bLiesRename = addColumnButton(column, "bLiesRename", "&Rename", "Rename selected lies");
        addColumnButton(column, "Button5", "&Open Lies", "");
        addColumnButton(column, "btnLoad", "&Create from file", "");
        break;
    case ListId::Tests:
        column->setObjectName("Panel6");
        list->setObjectName("FileListBox3");
        addColumnButton(column, "bTestsNew", "&New", "Take the test");
        addColumnButton(column, "bTestsEdit", "&Edit", "View/Change stored tests");
        addColumnButton(column, "bTestsView", "&View", "Show file in view window");
        addColumnButton(column, "bTestsDelete", "&Delete", "Delete stored tests");
        bTestsRename = addColumnButton(column, "bTestsRename", "&Rename", "Rename stored tests");
        break;
    }
    buttons->addStretch();
    return page;
}

QWidget *TfHello::createOptionsPage()
{
    auto *scroll = new QScrollArea;
    scroll->setObjectName("Options");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);

    auto *editorGroup = new QGroupBox("Text editor", page);
    auto *editorLayout = new QVBoxLayout(editorGroup);
    cbOptionsInternalEditor = new QCheckBox("Use internal editor", editorGroup);
    cbOptionsInternalEditor->setObjectName("cbOptionsInternalEditor");
    cbOptionsInternalEditor->setToolTip("Use built-in editing");
    bOptionsFont = new QPushButton("Set font...", editorGroup);
    bOptionsFont->setObjectName("bOptionsFont");
    bOptionsFont->setToolTip("Change program font");
    bOptionsEditorLocate = new QPushButton("External editor...", editorGroup);
    bOptionsEditorLocate->setObjectName("bOptionsEditorLocate");
    bOptionsEditorLocate->setToolTip("Find editor program");
    Editor = new QLineEdit(editorGroup);
    Editor->setObjectName("Editor");
    Editor->setToolTip("Location of Editor");
    editorLayout->addWidget(cbOptionsInternalEditor);
    editorLayout->addWidget(bOptionsFont);
    editorLayout->addWidget(bOptionsEditorLocate);
    editorLayout->addWidget(Editor);
    editorLayout->addStretch();

    auto *limitsGroup = new QGroupBox("Reaction limits (1 to 25)", page);
    auto *limitsLayout = new QGridLayout(limitsGroup);
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
        limit.field = new QLineEdit(limitsGroup);
        limit.field->setObjectName(limit.name);
        limit.field->setInputMask("99;_");
        limit.field->setToolTip(limit.hint);
        limit.field->setFixedWidth(limit.field->fontMetrics().horizontalAdvance("000") + 16);
        limit.field->installEventFilter(this);
        auto *label = new QLabel(limit.caption, limitsGroup);
        label->setObjectName(limit.labelName);
        label->setBuddy(limit.field);
        label->setWordWrap(true);
        limitsLayout->addWidget(limit.field, row, 0);
        limitsLayout->addWidget(label, row, 1);
        ++row;
    }
    limitsLayout->setRowStretch(row, 1);
    limitsLayout->setColumnStretch(1, 1);

    auto *generationGroup = new QGroupBox("Essay generation", page);
    auto *generationLayout = new QVBoxLayout(generationGroup);
    cbOptionsRandomize = new QCheckBox("Randomize", generationGroup);
    cbOptionsRandomize->setObjectName("cbOptionsRandomize");
    cbOptionsRandomize->setToolTip("Generated Essay will be randomized");
    cbOptionsSentenceParse = new QCheckBox("Separate Sentences", generationGroup);
    cbOptionsSentenceParse->setObjectName("cbOptionsSentenceParse");
    cbOptionsSentenceParse->setToolTip("Parse Essay Paragraphs");
    Label5 = new QLabel("Minimum Sentences Per Paragraph", generationGroup);
    Label5->setObjectName("Label5");
    Label5->setWordWrap(true);
    TrackBar3 = makeSlider(generationGroup, "TrackBar3", 1, 11);
    TrackBar3->setToolTip("Minimum sentences per paragraph");
    TrackBar3->setTickPosition(QSlider::TicksBelow);
    TrackBar3->setTickInterval(1);
    Label4 = new QLabel("Maximum Sentences Per Paragraph", generationGroup);
    Label4->setObjectName("Label4");
    Label4->setWordWrap(true);
    TrackBar4 = makeSlider(generationGroup, "TrackBar4", 1, 11);
    TrackBar4->setToolTip("Maximum sentences per paragraph");
    TrackBar4->setTickPosition(QSlider::TicksBelow);
    TrackBar4->setTickInterval(1);
    for (QWidget *w : std::initializer_list<QWidget *>{cbOptionsRandomize, cbOptionsSentenceParse, Label5, TrackBar3,
                                                        Label4, TrackBar4})
        generationLayout->addWidget(w);
    generationLayout->addStretch();
    for (QGroupBox *group : {editorGroup, limitsGroup, generationGroup}) {
        group->layout()->setContentsMargins(6, 4, 6, 4);
        group->layout()->setSpacing(2);
    }

    auto *otherGroup = new QGroupBox("Other", page);
    auto *otherLayout = new QVBoxLayout(otherGroup);
    cbOptionsAllowRenames = new QCheckBox("Allow Renames", otherGroup);
    cbOptionsAllowRenames->setObjectName("cbOptionsAllowRenames");
    cbOptionsAllowRenames->setToolTip("Renaming Lies or Essays may cause them to be skipped in Lie History");
    otherLayout->addWidget(cbOptionsAllowRenames);
    otherLayout->addStretch();

    grid->addWidget(editorGroup, 0, 0);
    grid->addWidget(limitsGroup, 0, 1);
    grid->addWidget(generationGroup, 1, 0);
    grid->addWidget(otherGroup, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    scroll->setWidget(page);
    return scroll;
}

// --- wiring ---------------------------------------------------------------

void TfHello::wireCommands()
{
    const auto button = [this](const char *name) { return findChild<QPushButton *>(name); };
    connect(bEditCommit, &QPushButton::clicked, this, [this] { bEditCommitClick(ctx_); });
    connect(bEditRevert, &QPushButton::clicked, this, [this] { bEditRevertClick(ctx_); });
    connect(bEditCancel, &QPushButton::clicked, this, [this] { bEditCancelClick(ctx_); });
    for (const char *name : {"bLiesEdit", "bEssaysEdit", "bTestsEdit"})
        connect(button(name), &QPushButton::clicked, this, [this] { EditClick(ctx_); });
    connect(button("btnLoad"), &QPushButton::clicked, this, [this] { btnLoadClick(ctx_); });
    connect(bLiesNew, &QPushButton::clicked, this, [this] { bLiesNewClick(ctx_); });
    connect(button("bEssaysNew"), &QPushButton::clicked, this, [this] { bEssaysNewClick(ctx_); });
    for (const char *name : {"bLiesView", "bEssaysView", "bTestsView"})
        connect(button(name), &QPushButton::clicked, this, [this] { bTestsViewClick(ctx_); });
    for (const char *name : {"bLiesDelete", "bEssaysDelete", "bTestsDelete"})
        connect(button(name), &QPushButton::clicked, this, [this] { DeleteClick(ctx_); });
    connect(bLiesRename, &QPushButton::clicked, this, [this] { bLiesRenameClick(ctx_); });
    connect(bEssaysRename, &QPushButton::clicked, this, [this] { bEssaysRenameClick(ctx_); });
    connect(bTestsRename, &QPushButton::clicked, this, [this] { bTestsRenameClick(ctx_); });
    connect(button("bLiesSelectAll"), &QPushButton::clicked, this, [this] { bLiesSelectAllClick(ctx_); });
    connect(button("bFunSelectAll"), &QPushButton::clicked, this, [this] { bFunSelectAllClick(ctx_); });
    connect(button("bLiesHistory"), &QPushButton::clicked, this, &TfHello::showLieHistory);
    connect(button("bFunEssay"), &QPushButton::clicked, this, [this] { bFunEssayClick(ctx_); });
    connect(bAskStart, &QPushButton::clicked, this, [this] { bAskStartClick(ctx_); });
    connect(bAskNext, &QPushButton::clicked, this, [this] { bAskNextClick(ctx_); });
    connect(bAskStop, &QPushButton::clicked, this, [this] { bAskStopClick(ctx_); });
    connect(button("bTestsNew"), &QPushButton::clicked, this, [this] { bTestsNewClick(ctx_); });
    // Every operation of the scale by the person counts, also one that leaves
    // it where it was; positions set by the program do not.
    connect(TrackBar1, &QSlider::actionTriggered, this, [this] { TrackBar1Change(ctx_); });
    connect(TrackBar1, &QSlider::sliderPressed, this, [this] { TrackBar1Change(ctx_); });
    connect(button("Button5"), &QPushButton::clicked, this, &TfHello::openLieSetDialog);
}

void TfHello::wireOptions()
{
    connect(cbOptionsInternalEditor, &QCheckBox::clicked, this, [this](bool on) {
        state_.options.useInternalEditor = on;
        applyOptionDependencies();
    });
    connect(cbOptionsSentenceParse, &QCheckBox::clicked, this, [this](bool on) {
        state_.options.sentenceParse = on;
        applyOptionDependencies();
    });
    connect(cbOptionsAllowRenames, &QCheckBox::clicked, this, [this](bool on) {
        state_.options.allowRenames = on;
        applyOptionDependencies();
    });
    connect(cbOptionsRandomize, &QCheckBox::clicked, this, [this](bool on) { state_.options.randomize = on; });
    connect(TrackBar3, &QSlider::valueChanged, this, [this](int v) { state_.options.minSentences = v; });
    connect(TrackBar4, &QSlider::valueChanged, this, [this](int v) { state_.options.maxSentences = v; });
    connect(Editor, &QLineEdit::textChanged, this, [this](const QString &t) { state_.options.editor = ss(t); });
    connect(MIN, &QLineEdit::textChanged, this, [this](const QString &t) { state_.options.weak = ss(t); });
    connect(MAX, &QLineEdit::textChanged, this, [this](const QString &t) { state_.options.strong = ss(t); });
    connect(VARIANCE, &QLineEdit::textChanged, this, [this](const QString &t) { state_.options.variance = ss(t); });
    connect(bOptionsFont, &QPushButton::clicked, this, &TfHello::chooseFont);
    connect(bOptionsEditorLocate, &QPushButton::clicked, this, &TfHello::locateEditor);
}

void TfHello::applyOptionDependencies()
{
    const Options &o = state_.options;
    bOptionsEditorLocate->setEnabled(!o.useInternalEditor);
    Editor->setEnabled(!o.useInternalEditor);
    for (QWidget *w : std::initializer_list<QWidget *>{TrackBar3, Label4, TrackBar4, Label5})
        w->setVisible(o.sentenceParse);
    for (QWidget *w : std::initializer_list<QWidget *>{bLiesRename, bEssaysRename, bTestsRename})
        w->setVisible(o.allowRenames);
}

void TfHello::optionsChanged()
{
    const Options o = state_.options; // the controls write through as they are set
    // Top and Left place the window's frame, not its inside, so the title bar
    // stays on the screen. Until the window is shown its frame is unknown;
    // showEvent places it again once it is.
    resize(o.width, o.height);
    move(o.left, o.top);
    framePosition_ = QPoint(o.left, o.top);
    QFont memoFont(qs(o.fontName));
    memoFont.setPointSize(o.fontSize > 0 ? o.fontSize : 8);
    Memo1->setFont(memoFont);
    MIN->setText(qs(o.weak));
    MAX->setText(qs(o.strong));
    VARIANCE->setText(qs(o.variance));
    Editor->setText(qs(o.editor));
    cbOptionsInternalEditor->setChecked(o.useInternalEditor);
    cbOptionsRandomize->setChecked(o.randomize);
    cbOptionsSentenceParse->setChecked(o.sentenceParse);
    TrackBar4->setValue(o.maxSentences);
    TrackBar3->setValue(o.minSentences);
    cbOptionsAllowRenames->setChecked(o.allowRenames);
    state_.options = o;
    applyOptionDependencies();
}

void TfHello::chooseFont()
{
    QFontDialog dialog(Memo1->font(), this);
    dialog.setObjectName("FontDialog1");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (auto *box = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *apply = box->addButton(QDialogButtonBox::Apply);
        connect(apply, &QPushButton::clicked, this, [this, &dialog] { Memo1->setFont(dialog.currentFont()); });
    }
    if (dialog.exec() == QDialog::Accepted)
        Memo1->setFont(dialog.selectedFont());
}

void TfHello::locateEditor()
{
    const QString chosen = QFileDialog::getOpenFileName(this, "Locate your favorite editor", QString(),
                                                        "Programs (*)", nullptr, QFileDialog::ReadOnly);
    if (chosen.isEmpty())
        return;
    Editor->setText(chosen);
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
}

void TfHello::showLieHistory()
{
    const auto histories = bLiesHistoryClick(ctx_);
    if (!histories)
        return;
    std::vector<ChartSeries> series;
    series.reserve(histories->size());
    for (const auto &h : *histories)
        series.push_back(buildChartSeries(h.lieName, h.lieLines, h.essayLines));
    if (!chartForm_)
        chartForm_ = new TChartForm(this);
    chartForm_->showSeries(series, parseWholeNumber(state_.options.weak).value_or(kDefaultWeakLimit),
                           parseWholeNumber(state_.options.strong).value_or(kDefaultStrongLimit));
    chartForm_->show();
    chartForm_->raise();
    chartForm_->activateWindow();
}

void TfHello::readme()
{
    if (!helpForm_)
        helpForm_ = new THelpForm(this);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(state_.helpText.size()));
    for (const std::string &line : state_.helpText)
        lines.append(QtUi::toQt(line));
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
    QImage picture = builtInPicture();
    if (QFileInfo::exists(path)) {
        QImageReader reader(path);
        QImage loaded = reader.read();
        if (loaded.isNull())
            ui_->error(ss("Cannot load the start picture " + path + ": " + reader.errorString()) + ".");
        else
            picture = loaded;
    }
    Image1->setPicture(picture);
}

// --- the Start Here page ---------------------------------------------------

bool TfHello::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TestPanel && event->type() == QEvent::Resize) {
        placeTestPanel();
        return false;
    }
    if (auto *field = qobject_cast<QLineEdit *>(watched); field && (field == MIN || field == MAX || field == VARIANCE)) {
        if (event->type() == QEvent::FocusIn && !limitFieldRefusing_) {
            limitFieldEntryText_ = field->text();
            field->setModified(false);
        } else if (event->type() == QEvent::FocusOut && !limitFieldRefusing_) {
            limitFieldFocusOut(field);
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            field->setText(limitFieldEntryText_);
            field->setModified(false);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfHello::limitFieldFocusOut(QLineEdit *field)
{
    if (!field->isModified() || field->hasAcceptableInput())
        return;
    // A two-digit field left with an empty position: refuse, once the focus
    // change has settled, and put the focus back.
    limitFieldRefusing_ = true;
    QTimer::singleShot(0, this, [this, field] {
        QApplication::beep();
        ui_->message(kInvalidLimitMessage);
        field->setFocus();
        QTimer::singleShot(0, this, [this] { limitFieldRefusing_ = false; });
    });
}

void TfHello::placeTestPanel()
{
    const int width = TestPanel->contentsRect().width();
    TrackBar1->resize(width - 2 * TrackBar1->x(), TrackBar1->sizeHint().height());
    const int captionWidth = Label3->fontMetrics().horizontalAdvance(Label3->text());
    Label3->move(width / 2 - captionWidth / 2, 0);
    Label1->move(2, 0);
    Label2->move(width - Label2->width() - 2, 0);
    bAskNext->move(width / 2 - bAskNext->width() / 2, bAskNext->y());
}

void TfHello::Timer1Timer()
{
    if (!TrackBar1->isVisible())
        return;
    Shape1->setVisible(!Shape1->isVisible());
    Shape2->setVisible(!Shape2->isVisible());
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
    // Enter presses the page's default button unless a button has the focus
    // (a focused button takes its own Enter before it gets here).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (state_.page == Page::Ask && bAskNext->isVisible()) {
            bAskNext->click();
            return;
        }
        if (state_.page == Page::Lies) {
            bLiesNew->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TfHello::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (framePlaced_)
        return;
    framePlaced_ = true;
    QTimer::singleShot(100, this, [this] {
        if (frameGeometry().topLeft() != framePosition_)
            move(framePosition_);
    });
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
    state_.options.width = width();
    state_.options.height = height();
    state_.options.fontName = ss(Memo1->font().family());
    state_.options.fontSize = Memo1->font().pointSize();
}

// --- MainView ---------------------------------------------------------------

void TfHello::setMemoText(const std::string &text)
{
    memoFill_->stop();
    pendingMemo_.clear();
    pendingMemoActive_ = false;
    memoIsLatin1_ = !isValidUtf8(text);
    QString all = memoIsLatin1_ ? QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) : qs(text);
    Memo1->setUpdatesEnabled(false);
    // A large text is shown at once and filled in behind in slices, so the
    // window never stalls on a big file.
    const qsizetype cut = all.size() > kMemoSlice ? all.indexOf(QLatin1Char('\n'), kMemoSlice) : -1;
    if (cut < 0) {
        Memo1->setPlainText(all);
    } else {
        Memo1->setPlainText(all.left(cut));
        pendingMemo_ = std::move(all);
        pendingMemoPos_ = cut + 1;
        pendingMemoActive_ = true;
        memoFill_->start();
    }
    Memo1->document()->setModified(false);
    Memo1->setUpdatesEnabled(true);
}

void TfHello::fillMemo(bool toTheEnd) const
{
    while (pendingMemoActive_) {
        const qsizetype from = pendingMemoPos_ + kMemoSlice;
        const qsizetype cut = from < pendingMemo_.size() ? pendingMemo_.indexOf(QLatin1Char('\n'), from) : -1;
        // Each slice is a paragraph of its own: the line break before it is the
        // one the slice boundary stands on.
        Memo1->appendPlainText(cut < 0 ? pendingMemo_.mid(pendingMemoPos_)
                                       : pendingMemo_.mid(pendingMemoPos_, cut - pendingMemoPos_));
        if (cut < 0) {
            pendingMemoActive_ = false;
            pendingMemo_.clear();
            memoFill_->stop();
        } else {
            pendingMemoPos_ = cut + 1;
        }
        if (!toTheEnd)
            break;
    }
    Memo1->document()->setModified(false);
}

std::string TfHello::memoText() const
{
    fillMemo(true);
    // The raw text keeps characters such as no-break spaces that the plain
    // text would change; only the paragraph separators become line ends.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (memoIsLatin1_) {
        bool latin1 = true;
        for (QChar c : text)
            if (c.unicode() > 0xFF) {
                latin1 = false;
                break;
            }
        if (latin1)
            return text.toLatin1().toStdString();
    }
    return ss(text);
}

void TfHello::showMemo(bool shown)
{
    Memo1->setVisible(shown);
}

bool TfHello::memoShown() const
{
    return Memo1->isVisibleTo(Panel9);
}

void TfHello::setMemoWritable(bool writable)
{
    if (writable)
        fillMemo(true);
    Memo1->setReadOnly(!writable);
    Memo1->setFocusPolicy(writable ? Qt::StrongFocus : Qt::ClickFocus);
}

void TfHello::focusMemoAtEnd()
{
    Memo1->setFocus();
    Memo1->moveCursor(QTextCursor::End);
    Memo1->ensureCursorVisible();
}

void TfHello::setPage(Page page)
{
    pageChangeByProgram_ = true;
    PageControl1->setCurrentIndex(indexOf(page));
    pageChangeByProgram_ = false;
    state_.page = page;
}

void TfHello::setStatus(const std::string &text)
{
    statusBar()->showMessage(isValidUtf8(text) ? qs(text)
                                               : QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TfHello::setTestRunning(bool running)
{
    bAskStart->setVisible(!running);
    bAskNext->setVisible(running);
    bAskStop->setVisible(running);
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label2, Label3, TrackBar1})
        w->setVisible(running);
    Shape1->setVisible(false);
    Shape2->setVisible(running);
    if (!running)
        Memo1->hide();
}

void TfHello::setScalePosition(int position)
{
    TrackBar1->setValue(position);
}

int TfHello::scalePosition() const
{
    return TrackBar1->value();
}

void TfHello::focusScale()
{
    TrackBar1->setFocus();
}

void TfHello::setEditing(bool editing)
{
    ToolBar->setVisible(editing);
    TestPanel->setVisible(!editing);
}

QListView *TfHello::listView(ListId id) const
{
    switch (id) {
    case ListId::Lies:
        return FileListBox1;
    case ListId::Essays:
        return FileListBox2;
    case ListId::Tests:
        break;
    }
    return FileListBox3;
}

void TfHello::listChanged(ListId id)
{
    syncingSelection_ = true;
    static_cast<FileListModel *>(listView(id)->model())->reset();
    syncingSelection_ = false;
    syncSelectionToView(id);
}

void TfHello::syncSelectionToView(ListId id)
{
    const FileList &list = state_.list(id);
    QListView *view = listView(id);
    QItemSelection selection;
    for (int i = 0; i < list.count();) {
        if (!list.isSelected(i)) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < list.count() && list.isSelected(end + 1))
            ++end;
        selection.select(view->model()->index(i, 0), view->model()->index(end, 0));
        i = end + 1;
    }
    syncingSelection_ = true;
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncingSelection_ = false;
}

void TfHello::syncSelectionFromView(ListId id)
{
    if (syncingSelection_)
        return;
    FileList &list = state_.list(id);
    list.clearSelection();
    for (const QItemSelectionRange &range : listView(id)->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row < list.count())
                list.setSelected(row, true);
}

// --- built-in content -------------------------------------------------------

QImage TfHello::builtInPicture()
{
    // A quiet scene of our own: a dusk sky over hills, and a scale from weak
    // to strong across the foreground, kept to sixteen colours.
    QImage image(162, 193, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor bands[] = {QColor(0, 0, 128), QColor(0, 0, 170), QColor(32, 32, 192), QColor(64, 64, 224),
                            QColor(128, 128, 255)};
    for (int i = 0; i < 5; ++i)
        p.fillRect(0, i * 24, 162, 24, bands[i]);
    p.setBrush(QColor(255, 255, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(118, 92), 16, 16);
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(QRect(-40, 100, 150, 90));
    p.setBrush(QColor(0, 96, 0));
    p.drawEllipse(QRect(60, 110, 160, 90));
    p.fillRect(0, 150, 162, 43, QColor(0, 64, 0));
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.drawLine(14, 172, 148, 172);
    for (int i = 0; i <= 6; ++i)
        p.drawLine(14 + i * 134 / 6, 167, 14 + i * 134 / 6, 177);
    p.setBrush(QColor(255, 0, 0));
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawRect(96, 162, 8, 20);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
        .convertToFormat(QImage::Format_RGB32);
}

QString TfHello::builtInHelpText()
{
    return QStringLiteral(
        "Varnok Help\n"
        "\n"
        "Varnok does two things. It is a reaction test that records how strongly you react to short "
        "statements of yours, called Lies. And it is an essay parser and builder: it samples several of "
        "your essays (or other text files) and builds a new essay from randomly chosen sentences or "
        "paragraphs.\n"
        "\n"
        "Answering\n"
        "For each Lie, set the scale to the strength of your reaction, from 1 (weak) to 25 (very "
        "strong). The scale does not ask whether you agree with the statement, only how strongly it moves "
        "you.\n"
        "\n"
        "When you are asked to write\n"
        "After a test Varnok asks you to explain yourself when a reaction is at or below the weak limit, "
        "at or above the strong limit, or has moved by at least the allowed change from the latest "
        "response stored for that Lie. The limits and the allowed change are set on the Program Options "
        "page.\n"
        "\n"
        "Generate\n"
        "Select several essays on the Essays page with the mouse, holding Ctrl or Shift, and press "
        "Generate. Varnok can shuffle all the lines it gathers, and can break paragraphs into sentences "
        "and regroup them.\n"
        "\n"
        "Program Limitations\n"
        "Varnok depends on the contents and the names of its files. It writes keyword lines (RESPONSE: "
        "and EXPLAIN YOURSELF) into your essays. Generated essays take only the lines you wrote below an "
        "EXPLAIN YOURSELF line. The Lie History finds the essay of each selected Lie by its file name and "
        "gathers its response lines onto the first page, so renaming Lies or essays defeats it.\n"
        "\n"
        "Files\n"
        ".lie  a Lie\n"
        ".ess  an essay\n"
        ".tst  a test summary\n"
        ".gen  a generated essay\n"
        "\n"
        "Other Features\n"
        "You can keep several sets of Lies: start Varnok with a folder as its command-line argument, for "
        "instance from a desktop launcher of its own. Each person who uses the computer can so have a "
        "folder and a launcher of his own.\n");
}

} // namespace varnok
