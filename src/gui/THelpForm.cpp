#include "gui/THelpForm.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QVBoxLayout>
#include <memory>
#include <string>

#include "gui/framing.h"
#include "help/helpfile.h"
#include "help/rtfreader.h"
#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

namespace {

constexpr char kCaption[] = "Varnok Help";
// Shown only when a help file is there but cannot be read; a missing file is
// the normal case and says nothing.
constexpr char kUnreadableNote[] = "The help file could not be read; this is the built-in help.";
constexpr int kStartWidth = 211;
constexpr int kStartHeight = 228;

} // namespace

THelpForm::THelpForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName("HelpForm");
    setWindowTitle(kCaption);
    setOuterSize(this, QSize(kStartWidth, kStartHeight));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setAccessibleName("Help text");
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab stops every half inch, as rich-text files expect by default, so a
    // bullet and its text stay together in the narrow window.
    RichEdit1->setTabStopDistance(RichEdit1->logicalDpiX() / 2.0);
    layout->addWidget(RichEdit1, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    layout->addWidget(StatusBar1);

    // The usual keys to close a window of reading; the text area's own menu
    // shows them.
    auto *closeAction = new QAction("&Close", this);
    closeAction->setObjectName("Close1");
    closeAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)});
    addAction(closeAction);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, [this, closeAction](const QPoint &at) {
        std::unique_ptr<QMenu> menu(RichEdit1->createStandardContextMenu(at));
        menu->addSeparator();
        menu->addAction(closeAction);
        menu->exec(RichEdit1->viewport()->mapToGlobal(at));
    });
}

void THelpForm::showReadme(const QString &programFolder, const QStringList &helpText)
{
    StatusBar1->clearMessage();
    const auto path = findHelpFile(QFile::encodeName(programFolder).toStdString(), systemDataFolders());
    if (!path) {
        loadBuiltInText(helpText);
    } else if (!loadHelpFile(QFile::decodeName(path->c_str()))) {
        loadBuiltInText(helpText);
        StatusBar1->showMessage(kUnreadableNote);
    }
    RichEdit1->moveCursor(QTextCursor::Start);
    RichEdit1->ensureCursorVisible();

    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool THelpForm::loadHelpFile(const QString &path)
{
    std::string bytes;
    if (!readFileBytes(QFile::encodeName(path).toStdString(), bytes))
        return false;
    const std::string html = rtfToHtml(parseRtf(bytes));
    RichEdit1->setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    return true;
}

void THelpForm::loadBuiltInText(const QStringList &helpText)
{
    // Plain text takes on the format at the cursor, which may still be a bold
    // heading of the file shown before; start it from the plain format.
    RichEdit1->clear();
    RichEdit1->setCurrentCharFormat(QTextCharFormat());
    RichEdit1->setPlainText(helpText.join(QLatin1Char('\n')));
}

} // namespace varnok
