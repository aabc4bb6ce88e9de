#include <QPushButton>
#include <QtTest>

#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

class JournalWmTest : public QObject {
    Q_OBJECT
private slots:
    // F1 gives the help window the focus, so the next key a person presses
    // goes there: Escape or Ctrl+W closes it and the main window has the
    // focus again.
    void theHelpWindowTakesTheFocusAndClosesWithEscapeAndCtrlW()
    {
        ActiveWindow w;
        QVERIFY(w.active);
        for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            QVERIFY(pressOn(w.find<QPushButton>("bAskStart"), Qt::Key_F1));
            QWidget *help = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((help = w.find<QWidget>("HelpForm")) && help->isVisible(), kSettle);
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), help, kSettle);
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused && focused->window() == help);
            QTest::keySequence(focused, keys);
            QTRY_VERIFY_WITH_TIMEOUT(!help->isVisible(), kSettle);
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), w.window.get(), kSettle);
        }
    }
};

VARNOK_GUI_TEST(JournalWmTest);
#include "journal_test.moc"
