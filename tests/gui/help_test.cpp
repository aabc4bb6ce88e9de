#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <functional>

#include "gui/QtUi.h"
#include "gui/THelpForm.h"
#include "gui/TSplashForm.h"
#include "gui/guiharness.h"
#include "gui/guitest.h"
#include "help/helpfile.h"
#include "support/unprivileged.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

QString helpFileBesideProgram()
{
    return QCoreApplication::applicationDirPath() + "/" + kHelpFileName;
}

// Puts a help file beside the test program and takes it away again however
// the test ends, so no other test finds it there.
class HelpFileGuard {
public:
    explicit HelpFileGuard(const QByteArray &bytes) : path_(helpFileBesideProgram())
    {
        QFile file(path_);
        written_ = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    ~HelpFileGuard() { remove(); }
    HelpFileGuard(const HelpFileGuard &) = delete;
    HelpFileGuard &operator=(const HelpFileGuard &) = delete;
    bool written() const { return written_; }
    const QString &path() const { return path_; }
    void remove()
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path_);
    }

private:
    QString path_;
    bool written_ = false;
};

const QByteArray kSampleRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
    "{\\colortbl;\\red200\\green0\\blue0;}\n"
    "\\f0\\fs24 Plain start {\\b Bold words} then {\\i italic words} and "
    "\\cf1 red\\cf0 .\\par\n"
    "Second paragraph\\par}";

QString builtInText(Window &w)
{
    QStringList lines;
    for (const std::string &line : w.window->state().helpText)
        lines.append(QtUi::toQt(line));
    return lines.join('\n');
}

void readme(Window &w)
{
    w.window->findChild<QAction *>("Readme1")->trigger();
}

THelpForm *helpForm(Window &w)
{
    return w.window->findChild<THelpForm *>("HelpForm");
}

QTextEdit *helpArea(Window &w)
{
    THelpForm *form = helpForm(w);
    return form ? form->findChild<QTextEdit *>("RichEdit1") : nullptr;
}

// True when some run of the document holding `text` has a format that passes.
bool anyFragment(const QTextDocument *document, const std::function<bool(const QTextFragment &)> &passes)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid() && passes(it.fragment()))
                return true;
    return false;
}

bool fragmentWith(const QTextDocument *document, const QString &text,
                  const std::function<bool(const QTextCharFormat &)> &passes)
{
    return anyFragment(document,
                       [&](const QTextFragment &f) { return f.text().contains(text) && passes(f.charFormat()); });
}

bool isBold(const QTextCharFormat &format)
{
    return format.fontWeight() >= QFont::Bold;
}

// What an About window looked like while it was open.
struct SplashSeen {
    QPointer<QWidget> window;
    QString name;
    QSize size;
    Qt::WindowFlags flags;
    bool modal = false;
    QString caption;
    int captionPixelSize = 0;
    bool pictureBelowCaption = false;
    QPoint centre;
    QPoint screenCentre;
    bool freshObject = false;
    bool closedByAction = false;
};

// Opens About and, while it runs, records what it shows and then ends it by
// `close` (the window itself is passed).
SplashSeen runAbout(Window &w, const std::function<void(QWidget *)> &close)
{
    SplashSeen seen;
    ModalAnswerer answerer;
    answerer.then([&](QWidget *top) {
        seen.window = top;
        seen.name = top->objectName();
        seen.size = top->size();
        seen.flags = top->windowFlags();
        seen.modal = top->isModal();
        seen.freshObject = !top->property("seenBefore").isValid();
        top->setProperty("seenBefore", true);
        seen.centre = top->frameGeometry().center();
        seen.screenCentre = top->screen()->geometry().center();
        if (auto *label = top->findChild<QLabel *>("Label1")) {
            seen.caption = label->text();
            seen.captionPixelSize = label->font().pixelSize();
            if (auto *image = top->findChild<QWidget *>("Image1"))
                seen.pictureBelowCaption = image->geometry().top() >= label->geometry().bottom() &&
                                           image->width() > 36 && image->height() > 32;
        }
        close(top);
        seen.closedByAction = !top->isVisible();
        // Never leave a test hanging in the modal loop.
        if (seen.window && seen.window->isVisible())
            qobject_cast<QDialog *>(top)->reject();
    });
    w.window->findChild<QAction *>("About1")->trigger();
    return seen;
}

void clickChild(QWidget *top, const char *name)
{
    QWidget *child = top->findChild<QWidget *>(name);
    QVERIFY2(child, name);
    QTest::mouseClick(child, Qt::LeftButton, {}, child->rect().center());
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY2(!QFile::exists(helpFileBesideProgram()),
                 "a help file is left beside the test program; remove it first");
    }

    void readmeWithoutFileShowsBuiltInTextOnceInOneKeptWindow()
    {
        Window w;
        // A help file in the lie folder is not the one beside the program.
        w.folder.write(kHelpFileName, "{\\rtf1 LIE FOLDER COPY}");
        readme(w);
        QPointer<THelpForm> first = helpForm(w);
        QVERIFY(first);
        readme(w);
        QCOMPARE(helpForm(w), first.data());
        QCOMPARE(w.window->findChildren<THelpForm *>().size(), 1);

        QTextEdit *area = helpArea(w);
        QVERIFY(area);
        const QString expected = builtInText(w);
        QVERIFY(expected.startsWith("Varnok Help"));
        QCOMPARE(area->toPlainText(), expected);
        QVERIFY(!area->isReadOnly());
        QCOMPARE(first->findChild<QStatusBar *>("StatusBar1")->currentMessage(), QString());

        QCOMPARE(first->windowTitle(), QString("Varnok Help"));
        QVERIFY(first->isWindow());
        QVERIFY(first->isVisible());
        QCOMPARE(first->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.window->isEnabled());

        // Closing only hides it; the next Read me shows the same window again.
        first->close();
        QVERIFY(first);
        QVERIFY(!first->isVisible());
        readme(w);
        QCOMPARE(helpForm(w), first.data());
        QVERIFY(first->isVisible());
        QCOMPARE(area->toPlainText(), expected);
    }

    void helpFileBesideProgramKeepsItsFormattingAndIsReadAnew()
    {
        Window w;
        w.folder.write(kHelpFileName, "{\\rtf1 LIE FOLDER COPY}");
        HelpFileGuard file(kSampleRtf);
        QVERIFY(file.written());
        readme(w);
        QTextEdit *area = helpArea(w);
        QVERIFY(area);
        const QTextDocument *document = area->document();
        QCOMPARE(area->toPlainText(), QString("Plain start Bold words then italic words and red.\nSecond paragraph"));
        QVERIFY(fragmentWith(document, "Bold words",
                             [](const QTextCharFormat &f) { return isBold(f) && !f.fontItalic(); }));
        QVERIFY(fragmentWith(document, "italic words",
                             [](const QTextCharFormat &f) { return f.fontItalic() && !isBold(f); }));
        QVERIFY(
            fragmentWith(document, " then ", [](const QTextCharFormat &f) { return !f.fontItalic() && !isBold(f); }));
        QVERIFY(fragmentWith(document, "red",
                             [](const QTextCharFormat &f) { return f.foreground().color() == QColor(200, 0, 0); }));

        // Read anew: a changed file shows changed.
        file.remove();
        HelpFileGuard changed("{\\rtf1 {\\b Changed} help}");
        QVERIFY(changed.written());
        readme(w);
        QCOMPARE(area->toPlainText(), QString("Changed help"));

        // Gone: the built-in text comes back, none of the bold with it.
        changed.remove();
        readme(w);
        QCOMPARE(area->toPlainText(), builtInText(w));
        QVERIFY(!anyFragment(
            document, [](const QTextFragment &f) { return isBold(f.charFormat()) || f.charFormat().fontItalic(); }));
    }

    void editsAreGoneAfterTheNextReadme_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("built-in text") << false;
        QTest::newRow("help file") << true;
    }

    void editsAreGoneAfterTheNextReadme()
    {
        QFETCH(bool, withFile);
        Window w;
        std::unique_ptr<HelpFileGuard> file;
        if (withFile) {
            file = std::make_unique<HelpFileGuard>(kSampleRtf);
            QVERIFY(file->written());
        }
        readme(w);
        QTextEdit *area = helpArea(w);
        QVERIFY(area);
        const QString shown = area->toPlainText();

        area->moveCursor(QTextCursor::End);
        QTest::keyClicks(area, " SCRIBBLE");
        area->moveCursor(QTextCursor::Start);
        QTest::keyClick(area, Qt::Key_Delete);
        QVERIFY(area->toPlainText() != shown);

        readme(w);
        QCOMPARE(area->toPlainText(), shown);
        if (withFile) {
            QFile onDisk(file->path());
            QVERIFY(onDisk.open(QIODevice::ReadOnly));
            QCOMPARE(onDisk.readAll(), kSampleRtf);
        }
    }

    void unreadableHelpFileFallsBackToBuiltInText_data()
    {
        QTest::addColumn<bool>("noPermission");
        QTest::newRow("no permission") << true;
        // The process's own memory opens but fails at the first read.
        QTest::newRow("read error") << false;
    }

    void unreadableHelpFileFallsBackToBuiltInText()
    {
        QFETCH(bool, noPermission);
        Window w;
        HelpFileGuard file(kSampleRtf);
        QVERIFY(file.written());
        // What the help window shows after Read me, and whether it notes why.
        const auto shownAfterReadme = [&w] {
            readme(w);
            const bool noted = !helpForm(w)->findChild<QStatusBar *>("StatusBar1")->currentMessage().isEmpty();
            return std::string(noted ? "noted: " : "silent: ") + helpArea(w)->toPlainText().toStdString();
        };
        const std::string expected = "noted: " + builtInText(w).toStdString();
        if (noPermission) {
            QVERIFY(QFile::setPermissions(file.path(), QFileDevice::WriteOwner));
            if (!varnok::testing::canRunUnprivileged())
                QSKIP("running as root without the right to become another user");
            // Root reads any file, so the reading runs as another user; the
            // file stays where it is and whose it is.
            QCOMPARE(QString::fromStdString(varnok::testing::runUnprivileged("", shownAfterReadme)),
                     QString::fromStdString(expected));
        } else {
            file.remove();
            QVERIFY(QFile::link("/proc/self/mem", file.path()));
            QCOMPARE(QString::fromStdString(shownAfterReadme()), QString::fromStdString(expected));
        }

        // The note goes with the fault.
        file.remove();
        readme(w);
        QCOMPARE(helpForm(w)->findChild<QStatusBar *>("StatusBar1")->currentMessage(), QString());
    }

    void aboutClosesAtAClickOnPanelCaptionOrPicture_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("picture") << "Image1";
        QTest::newRow("caption") << "Label1";
        QTest::newRow("inner panel") << "Panel2";
    }

    void aboutClosesAtAClickOnPanelCaptionOrPicture()
    {
        QFETCH(QString, target);
        Window w;
        const QByteArray name = target.toLatin1();
        const SplashSeen seen = runAbout(w, [&](QWidget *top) { clickChild(top, name.constData()); });
        QCOMPARE(seen.name, QString("SplashForm"));
        QVERIFY(seen.closedByAction);
        QVERIFY2(!seen.window, "the About window outlives its closing");
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.window->isEnabled());
    }

    void aboutIsAFreshBorderlessWindowEachTime()
    {
        Window w;
        const auto clickPicture = [](QWidget *top) { clickChild(top, "Image1"); };
        const SplashSeen first = runAbout(w, clickPicture);
        QVERIFY(!first.window);
        const SplashSeen second = runAbout(w, clickPicture);
        QVERIFY(!second.window);
        QVERIFY(first.closedByAction && second.closedByAction);
        QVERIFY(first.freshObject);
        QVERIFY(second.freshObject);

        for (const SplashSeen &seen : {first, second}) {
            QCOMPARE(seen.name, QString("SplashForm"));
            QCOMPARE(seen.size, QSize(175, 194));
            QVERIFY(seen.flags.testFlag(Qt::FramelessWindowHint));
            QVERIFY(seen.flags.testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(seen.modal);
            QCOMPARE(seen.caption, QString("Varnok 1.4"));
            QCOMPARE(seen.captionPixelSize, 21);
            QVERIFY(seen.pictureBelowCaption);
            QVERIFY((seen.centre - seen.screenCentre).manhattanLength() <= 2);
        }
    }

    void aboutIgnoresItsOuterBorderAndClosesAtEscape()
    {
        Window w;
        bool openAfterBorderClick = false;
        const SplashSeen seen = runAbout(w, [&](QWidget *top) {
            auto *panel1 = top->findChild<QFrame *>("Panel1");
            QTest::mouseClick(panel1, Qt::LeftButton, {}, QPoint(1, 1));
            openAfterBorderClick = top->isVisible();
            QTest::keyClick(top, Qt::Key_Escape);
        });
        QVERIFY(openAfterBorderClick);
        QVERIFY(seen.closedByAction);
        QVERIFY(!seen.window);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void pictureIsOneInkOnTransparentGround()
    {
        const QImage picture = TSplashForm::picture();
        QCOMPARE(picture.size(), QSize(36, 32));
        QMap<QRgb, int> counts;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                ++counts[picture.pixel(x, y)];
        QCOMPARE(counts.size(), 2);
        QVERIFY(counts.contains(qRgba(0, 0, 0, 0)));
        const QRgb ink = counts.lastKey() == qRgba(0, 0, 0, 0) ? counts.firstKey() : counts.lastKey();
        QCOMPARE(qAlpha(ink), 255);
        QVERIFY(counts[ink] > 60);
    }
};

VARNOK_GUI_TEST(HelpTest);

#include "help_test.moc"
