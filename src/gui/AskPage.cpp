#include "gui/AskPage.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "documents/commands.h"
#include "documents/editing.h"
#include "gui/bytetext.h"
#include "gui/ScaleSlider.h"
#include "gui/StretchedPicture.h"
#include "gui/TextArea.h"
#include "testrun/review.h"
#include "testrun/testrun.h"

namespace varnok {

namespace {

constexpr int kTestPanelHeight = 76;
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 50;
constexpr int kScaleValueWidth = 28;

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &hint, int x)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    // Larger where large text needs it, so a caption is never cut.
    const QSize hinted = button->sizeHint();
    button->setGeometry(x, kButtonTop, std::max(kButtonWidth, hinted.width()),
                        std::max(kButtonHeight, hinted.height()));
    return button;
}

} // namespace

AskPage::AskPage(Context &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName("Ask");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolBar();
    createDisplay();
    createTestPanel();
    layout->addWidget(ToolBar);
    layout->addWidget(Panel9, 1);
    layout->addWidget(TestPanel);
    wireCommands();
}

void AskPage::createToolBar()
{
    ToolBar = new QWidget(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setFixedHeight(27 + 4);
    auto *tools = new QHBoxLayout(ToolBar);
    tools->setContentsMargins(2, 2, 2, 2);
    // The icons come when the bar first shows: loading them is a good part
    // of what start-up spends before the window can be drawn.
    bEditCommit = new QPushButton("&OK", ToolBar);
    bEditCommit->setObjectName("bEditCommit");
    bEditRevert = new QPushButton("&Revert", ToolBar);
    bEditRevert->setObjectName("bEditRevert");
    bEditCancel = new QPushButton("C&ancel", ToolBar);
    bEditCancel->setObjectName("bEditCancel");
    bEditLater = new QPushButton("&Later", ToolBar);
    bEditLater->setObjectName("bEditLater");
    bEditLater->setToolTip(
        "Keep this essay and add the rest of today's responses to their essays without opening them");
    bEditLater->hide();
    for (QPushButton *b : {bEditCommit, bEditRevert, bEditCancel, bEditLater})
        tools->addWidget(b);
    tools->addStretch();
    ToolBar->hide();
}

void AskPage::createDisplay()
{
    Panel9 = new QWidget(this);
    Panel9->setObjectName("Panel9");
    auto *display = new QGridLayout(Panel9);
    display->setContentsMargins(0, 0, 0, 0);
    Image1 = new StretchedPicture(Panel9);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName("Start picture");
    Memo1 = new TextArea(Panel9);
    Memo1->setObjectName("Memo1");
    Memo1->setAccessibleName("Document text");
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
}

void AskPage::createTestPanel()
{
    TestPanel = new QWidget(this);
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
    TrackBar1 = new ScaleSlider(TestPanel);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(1, 25);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(5);
    TrackBar1->setValue(13);
    TrackBar1->move(2, 16);
    TrackBar1->hide();
    ScaleValue = new QLabel(TestPanel);
    ScaleValue->setObjectName("ScaleValue");
    ScaleValue->setFont(labelFont);
    ScaleValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ScaleValue->setNum(TrackBar1->value());
    ScaleValue->hide();
    // Follows the handle while it is dragged too, not only when it lands.
    connect(TrackBar1, &QSlider::valueChanged, ScaleValue, qOverload<int>(&QLabel::setNum));
    connect(TrackBar1, &QSlider::sliderMoved, ScaleValue, qOverload<int>(&QLabel::setNum));
    TestPosition = new QLabel(TestPanel);
    TestPosition->setObjectName("TestPosition");
    TestPosition->setFont(labelFont);
    TestPosition->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TestPosition->hide();
    bAskStart = makeButton(TestPanel, "bAskStart", "Start &Test", "Take the test", 10);
    bAskNext = makeButton(TestPanel, "bAskNext", "&Next Lie", "Show next lie", 0);
    bAskNext->setDefault(true);
    bAskNext->hide();
    bAskStop = makeButton(TestPanel, "bAskStop", "&Stop Test", "Stop the test here", 10);
    bAskStop->hide();
    TestPanel->setFixedHeight(std::max(kTestPanelHeight, kButtonTop + bAskNext->height() + 1));
}

void AskPage::wireCommands()
{
    const std::pair<QPushButton *, void (*)(Context &)> commands[] = {
        {bEditCommit, bEditCommitClick}, {bEditRevert, bEditRevertClick}, {bEditCancel, bEditCancelClick},
        {bEditLater, bEditLaterClick},   {bAskStart, bAskStartClick},     {bAskNext, bAskNextClick},
        {bAskStop, bAskStopClick},
    };
    for (const auto &[button, command] : commands) {
        const bool editButton = button->parent() == ToolBar;
        connect(button, &QPushButton::clicked, this, [this, command, editButton] {
            if (beforeCommand)
                beforeCommand();
            command(ctx_);
            // An edit still open after its question ("Back to editing",
            // Revert answered No) goes on in the text: left on the button, the
            // next blank typed would press it again, and a letter would then
            // answer its question.
            if (editButton && ToolBar->isVisible() && Memo1->isVisible())
                Memo1->setFocus(Qt::OtherFocusReason);
        });
    }
    // Every operation of the scale by the person counts, also one that leaves
    // it where it was; positions set by the program do not.
    connect(TrackBar1, &QSlider::actionTriggered, this, [this] { TrackBar1Change(ctx_); });
    connect(TrackBar1, &QSlider::sliderPressed, this, [this] { TrackBar1Change(ctx_); });
}

bool AskPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TestPanel && event->type() == QEvent::Resize)
        placeTestPanel();
    return QWidget::eventFilter(watched, event);
}

void AskPage::placeTestPanel()
{
    const int width = TestPanel->contentsRect().width();
    TrackBar1->resize(width - 2 * TrackBar1->x() - kScaleValueWidth, TrackBar1->sizeHint().height());
    ScaleValue->setGeometry(TrackBar1->geometry().right() + 1, TrackBar1->y(), kScaleValueWidth,
                            TrackBar1->height() - 8);
    const int positionWidth = width / 2 - bAskNext->width() / 2 - 20;
    TestPosition->setGeometry(width - positionWidth - 10, bAskNext->y(), positionWidth, bAskNext->height());
    const int captionWidth = Label3->fontMetrics().horizontalAdvance(Label3->text());
    Label3->move(width / 2 - captionWidth / 2, 0);
    Label1->move(2, 0);
    Label2->move(width - Label2->width() - 2, 0);
    bAskNext->move(width / 2 - bAskNext->width() / 2, bAskNext->y());
}

void AskPage::setTestRunning(bool running)
{
    bAskStart->setVisible(!running);
    bAskNext->setVisible(running);
    bAskStop->setVisible(running);
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label2, Label3, TrackBar1, ScaleValue, TestPosition})
        w->setVisible(running);
    if (!running)
        Memo1->hide();
}

void AskPage::setEditing(bool editing)
{
    if (editing && bEditCommit->icon().isNull()) {
        bEditCommit->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        bEditRevert->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
        bEditCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    }
    ToolBar->setVisible(editing);
    TestPanel->setVisible(!editing);
}

void AskPage::loadStartPicture()
{
    const QString path = QDir::current().filePath("startup.bmp");
    QImage picture(":/startpicture.png");
    if (QFileInfo::exists(path)) {
        QString reason;
        QImage loaded = readPictureFile(path, reason);
        if (loaded.isNull())
            ctx_.ui.error(utf8Bytes("Cannot load the start picture " + path + ": " + reason) + ".");
        else
            picture = loaded;
    }
    Image1->setPicture(picture.convertToFormat(QImage::Format_RGB32));
}

} // namespace varnok
