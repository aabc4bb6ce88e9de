#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>

#include "core/inifile.h"
#include "documents/documents.h"
#include "documents/find.h"
#include "gui/FindPanel.h"
#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Collects the title of every modal window that opens and closes it with
// Escape's meaning (reject), so a key that opened the wrong one shows.
struct ModalTitles {
    explicit ModalTitles(int expected = 4) { recordNext(expected); }
    void recordNext(int count)
    {
        for (int i = 0; i < count; ++i)
            answerer.then([this](QWidget *w) {
                titles.push_back(w->windowTitle());
                if (auto *dialog = qobject_cast<QDialog *>(w))
                    dialog->reject();
            });
    }
    ModalAnswerer answerer;
    QStringList titles;
};

void writeLies(Window &w)
{
    w.folder.write("Money.lie", "Money is evil.\r\n");
    w.folder.write("Work.lie", "Work is good.\r\n");
    rereadLists(w.window->context());
}

// Starts a full test and accepts the proposed name: the first Lie is shown.
void startFullTest(Window &w)
{
    ModalAnswerer answerer;
    answerer.then([](QWidget *dialog) { dialog->findChild<QPushButton *>("bFull")->click(); });
    answerer.then([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->accept(); });
    w.find<QPushButton>("bAskStart")->click();
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheFocusOnStartTest()
    {
        ActiveWindow w;
        QVERIFY(w.active);
        QCOMPARE(QApplication::focusWidget(), w.find<QWidget>("bAskStart"));
    }

    void enterInTestParamsPressesTheFocusedButton()
    {
        struct Case {
            const char *button;
            QStringList then; // the modal windows that follow
        };
        const Case cases[] = {
            {"bCancel", {}},
            {"bSample", {"Test Sample"}},
            {"bSelected", {"Varnok"}}, // nothing selected: a message says so
            {"bFull", {"Test"}},       // the default button, for comparison
        };
        for (const Case &c : cases) {
            ActiveWindow w;
            writeLies(w);
            bool pressed = false;
            ModalTitles after(0);
            after.answerer.then([&](QWidget *dialog) {
                pressed = pressOn(dialog->findChild<QPushButton *>(c.button), Qt::Key_Return);
                if (!pressed)
                    qobject_cast<QDialog *>(dialog)->reject();
            });
            after.recordNext(3);
            w.find<QPushButton>("bAskStart")->click();
            QVERIFY2(pressed, c.button);
            QVERIFY2(after.titles == c.then, qPrintable(c.button + QString(": ") + after.titles.join(", ")));
            QVERIFY2(!w.window->state().run.running, c.button);
        }
    }

    void enterOnTheMainWindowPressesTheFocusedButton()
    {
        {
            ActiveWindow w;
            writeLies(w);
            w.folder.write("Other.ess", "a needle\r\n");
            startFullTest(w);
            QVERIFY(w.window->state().run.running);
            // Enter on a Find hit: one box, the refusal. Then keys typed for real
            // move the scale and Enter is Next Lie; 8 asks for no essay.
            auto *scale = w.find<QSlider>("TrackBar1");
            QVERIFY(pressOn(scale, Qt::Key_F, Qt::ControlModifier));
            QTest::keyClicks(w.find<QLineEdit>("FindText"), "needle");
            QTRY_VERIFY_WITH_TIMEOUT(!w.find<FindPanel>("FindPanel")->hits().empty(), kSettle);
            {
                ModalTitles refused(2);
                QVERIFY(pressOn(w.find<QLineEdit>("FindText"), Qt::Key_Return));
                QCOMPARE(refused.titles.size(), 1);
            }
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(scale), kSettle);
            scale->setValue(6);
            QCOMPARE(QProcess::execute("xdotool", {"key", "--clearmodifiers", "Right", "Right", "Return"}), 0);
            QTRY_COMPARE_WITH_TIMEOUT(w.window->state().run.currentLieIndex, 1, kSettle);
            QCOMPARE(w.window->state().run.testAnswers, (std::vector<TestAnswer>{{"Money.lie", 8}}));
            ModalTitles review;
            QVERIFY(pressOn(w.find<QPushButton>("bAskStop"), Qt::Key_Return));
            QVERIFY(!w.window->state().run.running);
            QCOMPARE(w.window->state().run.testAnswers.size(), std::size_t{1});
        }
        {
            ActiveWindow w;
            writeLies(w);
            w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
            auto *lies = w.find<QListView>("FileListBox1");
            lies->selectAll();
            {
                ModalTitles deleting;
                QVERIFY(pressOn(w.find<QPushButton>("bLiesDelete"), Qt::Key_Return));
                QCOMPARE(deleting.titles, (QStringList{"Confirm", "Confirm"})); // one question a Lie
            }
            {
                ModalTitles adding;
                QVERIFY(pressOn(lies, Qt::Key_Return));
                QCOMPARE(adding.titles, QStringList{"Lie entry"});
            }
            ModalTitles viewing;
            lies->selectAll(); // the lists were read again after the delete
            QVERIFY(pressOn(w.find<QPushButton>("bLiesView"), Qt::Key_Return));
            QCOMPARE(viewing.titles, QStringList{});
            QVERIFY(w.find<QWidget>("Memo1")->isVisible());
        }
    }

    void aHalfFilledLimitCannotBeLeft()
    {
        ActiveWindow w;
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(4);
        auto *field = w.find<QLineEdit>("MIN");
        const auto typeSeven = [&] {
            QVERIFY(pressOn(field, Qt::Key_Home));
            field->selectAll();
            QTest::keyClicks(field, "7");
        };
        ModalAnswerer answerer;
        for (int leave = 0; leave < 2; ++leave) {
            typeSeven();
            answerer.acceptMessage();
            QTest::keyClick(field, Qt::Key_Tab);
            QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), kSettle);
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(field), kSettle);
            QCOMPARE(field->displayText(), QString("7_"));
            QCOMPARE(w.window->state().options.weak, std::string("05"));
        }
        QCOMPARE(answerer.texts.size(), 2);
        QCOMPARE(answerer.texts.last(), QString("Invalid input value.  Use escape key to abandon changes"));
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QString("05"));

        // Opening a menu is not leaving the field; the exit keeps the last
        // complete value.
        typeSeven();
        ModalTitles none;
        QTest::keyClick(field, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), kSettle);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(field), kSettle);
        QTest::qWait(200);
        QCOMPARE(none.titles, QStringList{});
        QCOMPARE(field->displayText(), QString("7_"));
        w.window->close();
        // An unchanged limit is not written; the next start reads 05 either way.
        const std::string settings = w.folder.read("Varnok.Ini");
        QVERIFY2(IniFile(settings).readString("ReactionLimits", "Weak").value_or("05") == "05", settings.c_str());
    }

    void limitsThatMakeTheReviewMeaninglessAreRefused()
    {
        struct Case {
            const char *field;
            const char *typed;
            const char *message; // empty: accepted
        };
        const char *range = "Reaction limits run from 01 to 25.  Use escape key to abandon changes";
        const char *order = "The weak limit must be below the strong limit.  Use escape key to abandon changes";
        const Case cases[] = {
            {"MIN", "00", range}, {"MIN", "26", range},   {"MAX", "99", range}, {"VARIANCE", "00", range},
            {"MIN", "20", order}, {"MAX", "05", order},   {"MAX", "04", order}, {"MIN", "19", ""},
            {"MAX", "06", ""},    {"VARIANCE", "25", ""},
        };
        for (const Case &c : cases) {
            ActiveWindow w;
            w.find<QTabWidget>("PageControl1")->setCurrentIndex(4);
            auto *field = w.find<QLineEdit>(c.field);
            const QString before = field->text();
            QVERIFY(pressOn(field, Qt::Key_Home));
            field->selectAll();
            QTest::keyClicks(field, c.typed);
            ModalAnswerer answerer;
            answerer.acceptMessage();
            QTest::keyClick(field, Qt::Key_Tab);
            if (*c.message) {
                QTRY_VERIFY2_WITH_TIMEOUT(answerer.done(), c.typed, kSettle);
                QCOMPARE(answerer.texts, QStringList{c.message});
                QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(field), kSettle);
                QTest::keyClick(field, Qt::Key_Escape);
                QCOMPARE(field->text(), before);
            } else {
                QTest::qWait(200);
                QVERIFY2(!answerer.done(), c.typed);
                QVERIFY(QApplication::focusWidget() != field);
            }
            const Options &o = w.window->state().options;
            const std::string stored = std::string(c.field) == "MIN"   ? o.weak
                                       : std::string(c.field) == "MAX" ? o.strong
                                                                       : o.variance;
            QCOMPARE(QString::fromStdString(stored), *c.message ? before : QString(c.typed));
        }
    }

    void theFewestSentencesCannotPassTheMost()
    {
        ActiveWindow w;
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(4);
        auto *fewest = w.find<QSlider>("TrackBar3");
        auto *most = w.find<QSlider>("TrackBar4");
        QCOMPARE(fewest->value(), 3);
        QCOMPARE(most->value(), 3);
        ModalAnswerer answerer;
        answerer.acceptMessage();
        QVERIFY(pressOn(fewest, Qt::Key_Right));
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), kSettle);
        QCOMPARE(answerer.texts, QStringList{"The minimum sentences per paragraph cannot be more than the maximum."});
        QCOMPARE(fewest->value(), 3);
        answerer.acceptMessage();
        QVERIFY(pressOn(most, Qt::Key_Left));
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), kSettle);
        QCOMPARE(most->value(), 3);
        QVERIFY(pressOn(most, Qt::Key_Right));
        QVERIFY(pressOn(fewest, Qt::Key_Right));
        QTest::qWait(100);
        QCOMPARE(answerer.texts.size(), 2);
        QCOMPARE(w.window->state().options.minSentences, 4);
        QCOMPARE(w.window->state().options.maxSentences, 4);
    }

    void stripBlinksWhileATestRunsOnAnyPage()
    {
        ActiveWindow w;
        writeLies(w);
        startFullTest(w);
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        auto *red = w.find<QWidget>("Shape1");
        // Looked at as the window goes, until it has blinked twice: a busy
        // machine may slow the blinking, not stop it.
        int changes = 0;
        bool last = red->isVisible();
        (void)QTest::qWaitFor(
            [&] {
                if (red->isVisible() != last) {
                    ++changes;
                    last = red->isVisible();
                }
                return changes >= 2;
            },
            kSettle);
        QVERIFY2(changes >= 2, qPrintable(QString::number(changes)));
    }

    // Clicked with the mouse, the editor's buttons took the keyboard: after
    // "Back to editing" or Revert answered No, a blank pressed them again.
    void anEditGoesOnInTheTextAfterItsQuestion()
    {
        const struct {
            const char *button;
            const char *onDisk; // written from outside before the click
        } cases[] = {{"bEditRevert", nullptr}, {"bEditCommit", "Changed elsewhere.\r\n"}};
        for (const auto &c : cases) {
            ActiveWindow w;
            w.folder.write("Money.ess", "Money is evil.\r\n");
            rereadLists(w.window->context());
            w.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
            w.find<QListView>("FileListBox2")->selectAll();
            auto *memo = w.find<QPlainTextEdit>("Memo1");
            int asked = 0;
            ModalAnswerer answerer; // Escape: No, or back to editing
            answerer.then([&](QWidget *box) {
                ++asked;
                qobject_cast<QDialog *>(box)->reject();
            });
            bool checked = false;
            // The edit runs inside the click that opens it.
            QTimer::singleShot(0, this, [&] {
                [&] {
                    QTRY_VERIFY(memo->hasFocus());
                    QTest::keyClicks(memo, " typed");
                    if (c.onDisk)
                        w.folder.write("Money.ess", c.onDisk);
                    QTest::mouseClick(w.find<QPushButton>(c.button), Qt::LeftButton);
                    QTRY_COMPARE(asked, 1);
                    QTRY_VERIFY(memo->hasFocus());
                    QTest::keyClicks(QApplication::focusWidget(), " more");
                    QVERIFY(memo->toPlainText().endsWith(" typed more"));
                    checked = asked == 1;
                }();
                w.find<QPushButton>("bEditCancel")->click();
            });
            w.find<QPushButton>("bEssaysEdit")->click();
            QVERIFY2(checked, c.button);
        }
    }

    void statusTextSurvivesTheMenus()
    {
        ActiveWindow w;
        writeLies(w);
        startFullTest(w);
        QCOMPARE(w.window->statusBar()->currentMessage(), QString("Test in progress"));
        QMenu *file = w.window->menuBar()->actions().first()->menu();
        QVERIFY(pressOn(w.find<QWidget>("TrackBar1"), Qt::Key_F, Qt::AltModifier));
        QTRY_VERIFY_WITH_TIMEOUT(file->isVisible(), kSettle);
        for (QAction *item : file->actions())
            if (!item->isSeparator())
                QTest::mouseMove(file, file->actionGeometry(item).center());
        QTest::keyClick(file, Qt::Key_Down);
        QTest::keyClick(file, Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!file->isVisible(), kSettle);
        QCOMPARE(w.window->statusBar()->currentMessage(), QString("Test in progress"));
    }
};

VARNOK_GUI_TEST(KeyboardTest);
#include "keyboard_test.moc"
