#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

#include "gui/ReviewCount.h"
#include "gui/guitest.h"
#include "gui/guiharness.h"

using namespace varnok;
using namespace varnok::testing;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsHaveTheirNamesCaptionsAndStates()
    {
        Window w;
        struct Expected {
            const char *name;
            const char *caption;
            bool visible;
        };
        const Expected buttons[] = {
            {"bAskStart", "Start &Test", true},
            {"bAskNext", "&Next Lie", false},
            {"bAskStop", "&Stop Test", false},
            {"bEditCommit", "&OK", false},
            {"bEditRevert", "&Revert", false},
            {"bEditCancel", "C&ancel", false},
            {"bEssaysNew", "&New", false},
            {"bFunEssay", "&Generate", false},
            {"bFunSelectAll", "&Select All", false},
            {"bLiesHistory", "H&istory", false},
            {"Button5", "&Open Lies", false},
            {"btnLoad", "&Create from file", false},
            {"bTestsEdit", "&Edit", false},
            {"bOptionsFont", "Set font...", false},
            {"bOptionsEditorLocate", "External editor...", false},
        };
        for (const auto &b : buttons) {
            auto *button = w.find<QPushButton>(b.name);
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), QString(b.caption));
            if (b.visible)
                QVERIFY2(button->isVisible(), b.name);
        }
        auto *pages = w.find<QTabWidget>("PageControl1");
        QCOMPARE(pages->count(), 5);
        QCOMPARE(pages->tabText(4), QString("Program Options"));
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(w.window->windowTitle(), QString("Varnok"));
        // The window's focus; that the screen's focus follows it only shows
        // under a window manager (KeyboardTest).
        QCOMPARE(w.window->focusWidget(), w.find<QWidget>("bAskStart"));
        QCOMPARE(w.find<QLineEdit>("MIN")->text(), QString("05"));
        QCOMPARE(w.find<QSlider>("TrackBar4")->value(), 3);
        QVERIFY(!w.find<QPlainTextEdit>("Memo1")->isVisible());
        QVERIFY(w.find<QPlainTextEdit>("Memo1")->toPlainText().startsWith("Varnok Help"));
        QVERIFY(!w.window->state().helpText.empty());
        QCOMPARE(w.window->state().helpText.front(), std::string("Varnok Help"));
    }

    void optionControlsActAtOnce()
    {
        Window w;
        auto *pages = w.find<QTabWidget>("PageControl1");
        pages->setCurrentIndex(4);
        auto *renames = w.find<QCheckBox>("cbOptionsAllowRenames");
        QVERIFY(w.find<QPushButton>("bLiesRename")->isHidden());
        renames->click();
        for (const char *name : {"bLiesRename", "bEssaysRename", "bTestsRename"})
            QVERIFY2(!w.find<QPushButton>(name)->isHidden(), name);
        QVERIFY(w.window->state().options.allowRenames);

        auto *sentences = w.find<QCheckBox>("cbOptionsSentenceParse");
        w.find<QSlider>("TrackBar4")->setValue(7);
        w.find<QSlider>("TrackBar3")->setValue(5);
        sentences->click();
        for (const char *name : {"TrackBar3", "TrackBar4", "Label4", "Label5"})
            QVERIFY2(!w.find<QWidget>(name)->isVisible(), name);
        sentences->click();
        QVERIFY(w.find<QSlider>("TrackBar3")->isVisible());
        QCOMPARE(w.find<QSlider>("TrackBar3")->value(), 5);
        QCOMPARE(w.window->state().options.minSentences, 5);

        auto *internal = w.find<QCheckBox>("cbOptionsInternalEditor");
        QVERIFY(!w.find<QLineEdit>("Editor")->isEnabled());
        internal->click();
        QVERIFY(w.find<QLineEdit>("Editor")->isEnabled());
        QVERIFY(w.find<QPushButton>("bOptionsEditorLocate")->isEnabled());
    }

    void essaysListFollowsTheShowBoxes()
    {
        Window w;
        w.folder.write("a.ess", "x");
        w.folder.write("b.gen", "x");
        w.folder.write("c.txt", "x");
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        w.find<QCheckBox>("cbText")->click();
        QCOMPARE(w.find<QListView>("FileListBox2")->model()->rowCount(), 3);
        w.find<QCheckBox>("cbGenerated")->click();
        QCOMPARE(w.window->state().essays.mask(), std::string("*.ess;*.txt"));
        QCOMPARE(w.find<QListView>("FileListBox2")->model()->rowCount(), 2);
    }

    void limitFieldsRefuseAnIncompleteValue()
    {
        Window w;
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(4);
        auto *field = w.find<QLineEdit>("MIN");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "7");
        QVERIFY2(!field->hasAcceptableInput(), qPrintable(field->displayText()));
        ModalAnswerer answerer;
        answerer.acceptMessage();
        w.find<QLineEdit>("MAX")->setFocus();
        QTRY_VERIFY(answerer.done());
        QCOMPARE(answerer.texts, QStringList{"Invalid input value.  Use escape key to abandon changes"});
        // Once the window is active again the focus is back in the field.
        QTRY_COMPARE(w.window->focusWidget(), static_cast<QWidget *>(field));
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QString("05"));
        field->selectAll();
        QTest::keyClicks(field, "07");
        QCOMPARE(w.window->state().options.weak, std::string("07"));
    }

    void testPanelKeepsItsControlsPlacedOnResize()
    {
        Window w;
        w.window->resize(700, 450);
        QTRY_COMPARE(w.find<QWidget>("TestPanel")->width(), w.find<QWidget>("TestPanel")->width());
        QApplication::processEvents();
        auto *panel = w.find<QWidget>("TestPanel");
        auto *scale = w.find<QSlider>("TrackBar1");
        QCOMPARE(scale->x(), 2);
        // The scale and its figure beside it span the panel.
        auto *value = w.find<QLabel>("ScaleValue");
        QCOMPARE(value->x(), scale->geometry().right() + 1);
        QCOMPARE(value->geometry().right(), panel->width() - 3);
        auto *next = w.find<QPushButton>("bAskNext");
        QCOMPARE(next->x(), panel->width() / 2 - next->width() / 2);
    }

    void stripStaysBlankWithoutATest()
    {
        Window w;
        QTest::qWait(1500);
        QVERIFY(!w.find<QWidget>("Shape1")->isVisible());
        QVERIFY(!w.find<QWidget>("Shape2")->isVisible());
    }

    void pageGuardKeepsStartHereDuringAnEdit()
    {
        Window w;
        w.folder.write("Money.lie", "Money is evil.\r\n");
        rereadLists(w.window->context());
        auto *pages = w.find<QTabWidget>("PageControl1");
        pages->setCurrentIndex(2);
        w.find<QListView>("FileListBox1")->selectAll();
        ModalAnswerer answerer;
        answerer.acceptMessage();
        // Once the edit is open: another page is asked for, refused with a
        // message, and the edit is then cancelled, each after the one before.
        int pageDuringEdit = -1;
        QTimer::singleShot(0, [&] {
            pages->setCurrentIndex(3);
            (void)QTest::qWaitFor([&] { return answerer.done(); }, 30000);
            pageDuringEdit = pages->currentIndex();
            w.find<QPushButton>("bEditCancel")->click();
        });
        w.find<QPushButton>("bLiesEdit")->click();
        QCOMPARE(answerer.texts, QStringList{"Please finish your edits by pressing OK or Cancel"});
        QCOMPARE(pageDuringEdit, 0);
        QCOMPARE(w.window->statusBar()->currentMessage(), QString("Changes canceled: Money.lie"));
        pages->setCurrentIndex(3);
        QCOMPARE(pages->currentIndex(), 3);
    }

    void theBuiltInEditorGivesBackEveryByte()
    {
        Window w;
        // Latin-1 with a no-break space, a stray 0xFF, and UTF-8 with one too.
        const std::string latin1 = "caf\xe9\xa0ok \xff\r\nsecond line\r\nno final break";
        const std::string utf8 = "caf\xc3\xa9\xc2\xa0ok\r\n\tindented\r\n";
        w.folder.write("latin.ess", latin1);
        w.folder.write("utf.ess", utf8);
        rereadLists(w.window->context());
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        w.find<QListView>("FileListBox2")->selectAll();
        int commits = 0;
        QTimer committer;
        connect(&committer, &QTimer::timeout, this, [&] {
            if (w.find<QWidget>("ToolBar")->isVisible()) {
                ++commits;
                w.find<QPushButton>("bEditCommit")->click();
            }
        });
        committer.start(30);
        w.find<QPushButton>("bEssaysEdit")->click();
        QCOMPARE(commits, 2);
        QCOMPARE(w.folder.read("latin.ess"), latin1);
        QCOMPARE(w.folder.read("utf.ess"), utf8);
    }

    // The review's count stands beside the described status text without
    // cutting it: where both do not fit, the count drops the file name.
    void theReviewCountLeavesTheStatusTextWhole()
    {
        const QString status = "Editing: Money does not matter to me..ess";
        const QString count = "Essay 2 of 6: Money does not matter to me..ess";
        QStatusBar bar;
        bar.setSizeGripEnabled(true);
        auto *label = new ReviewCount(&bar);
        bar.show();
        for (const int width : {400, 780}) {
            bar.resize(width, 24);
            QTRY_COMPARE(bar.width(), width);
            bar.showMessage(status);
            label->setCount(count);
            const bool roomForBoth =
                bar.fontMetrics().horizontalAdvance(status) + label->fontMetrics().horizontalAdvance(count) + 60 <
                width;
            QTRY_COMPARE(label->text(), roomForBoth ? count : QString("Essay 2 of 6"));
            QTRY_VERIFY(label->isVisible());
            QTRY_VERIFY2(bar.fontMetrics().horizontalAdvance(status) <= label->x(),
                         qPrintable(QString("status %1 wide, count at %2")
                                        .arg(bar.fontMetrics().horizontalAdvance(status))
                                        .arg(label->x())));
        }
        QCOMPARE(label->text(), count); // 780 wide: both whole
        label->setCount("");
        QVERIFY(!label->isVisible());
    }

    void appliedFontStaysAfterCancel()
    {
        Window w;
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(4);
        const QFont before = w.find<QPlainTextEdit>("Memo1")->font();
        ModalAnswerer answerer;
        answerer.then([](QWidget *dialog) {
            auto *fonts = qobject_cast<QFontDialog *>(dialog);
            QFont chosen = fonts->currentFont();
            chosen.setPointSize(21);
            fonts->setCurrentFont(chosen);
            for (auto *button : dialog->findChildren<QPushButton *>())
                if (button->text().remove('&') == "Apply")
                    button->click();
            fonts->reject();
        });
        w.find<QPushButton>("bOptionsFont")->click();
        QVERIFY(answerer.done());
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->font().pointSize(), 21);
        QVERIFY(before.pointSize() != 21);
        w.window->close();
        QVERIFY(w.folder.read("Varnok.Ini").find("Font Size=21") != std::string::npos);
    }
};

VARNOK_GUI_TEST(WindowTest);
#include "window_test.moc"
