#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "documents/documents.h"
#include "gui/FolderFollower.h"
#include "gui/guiharness.h"
#include "gui/guitest.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

void answerYes(QWidget *w)
{
    auto *box = qobject_cast<QMessageBox *>(w);
    QVERIFY(box);
    for (QAbstractButton *button : box->buttons())
        if (button->text() == "&Yes")
            button->click();
}

// The timer that gathers a burst of changes in the lie folder into one re-read.
QTimer *settleTimer(Window &w)
{
    for (auto *timer : w.window->findChildren<QTimer *>())
        if (dynamic_cast<FolderFollower *>(timer->parent()))
            return timer;
    return nullptr;
}

void activate(Window &w)
{
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void aFileCreatedOutsideAppearsWithinASecondKeepingTheSelection()
    {
        Window w;
        w.folder.write("b.lie", "Beta.\r\n");
        w.folder.write("d.lie", "Delta.\r\n");
        rereadLists(w.window->context());
        AppState &state = w.window->state();
        state.lies.selectNames({"d.lie"});
        w.window->listChanged(ListId::Lies);
        auto *list = w.find<QListView>("FileListBox1");
        QCOMPARE(list->model()->rowCount(), 2);

        // Within a second as the window counts it; a busy machine may take
        // longer to get there, which is no fault of the window.
        QTimer *settle = settleTimer(w);
        QVERIFY(settle);
        QVERIFY(settle->interval() < 1000);
        w.folder.write("a.lie", "Alpha, from a sync tool.\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(list->model()->rowCount() == 3, 30000);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QString("a.lie"));
        QCOMPARE(state.lies.selectedNames(), std::vector<std::string>{"d.lie"});
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 2);

        // Removed and renamed outside: the same.
        ::rename(w.folder.file("b.lie").c_str(), w.folder.file("c.lie").c_str());
        QTRY_VERIFY_WITH_TIMEOUT(list->model()->index(1, 0).data().toString() == "c.lie", 30000);
    }

    // Under a question the lists stay as the command found them, so a Delete
    // acts on what was selected when it asked; what changed meanwhile shows
    // once the question is gone.
    void aChangeUnderAQuestionShowsOnceItIsAnswered()
    {
        Window w;
        for (const char *name : {"b.lie", "d.lie", "f.lie"})
            w.folder.write(name, "A lie.\r\n");
        rereadLists(w.window->context());
        AppState &state = w.window->state();
        w.window->setPage(Page::Lies);
        auto *list = w.find<QListView>("FileListBox1");
        QTimer *settle = settleTimer(w);
        QVERIFY(settle);
        int settled = 0;
        connect(settle, &QTimer::timeout, this, [&] { ++settled; });
        // Made outside while a box is open; the box stays until the window
        // has had its chance to re-read (and, rightly, left it).
        const auto madeUnder = [&](const char *name) {
            const int before = settled, rows = list->model()->rowCount();
            w.folder.write(name, "New.\r\n");
            QTRY_VERIFY_WITH_TIMEOUT(settled > before, 30000);
            QCOMPARE(list->model()->rowCount(), rows);
        };

        ModalAnswerer answerer;
        answerer.then([&](QWidget *box) {
            madeUnder("a.lie");
            qobject_cast<QDialog *>(box)->reject();
        });
        QMessageBox::information(w.window.get(), "Varnok", "A question that changes nothing.");
        QTRY_COMPARE(list->model()->rowCount(), 4);

        state.lies.selectNames({"b.lie", "f.lie"});
        w.window->listChanged(ListId::Lies);
        answerer.then([&](QWidget *box) {
            madeUnder("c.lie");
            QCOMPARE(qobject_cast<QMessageBox *>(box)->text(), QString("Delete b.lie?"));
            answerYes(box);
        });
        answerer.then([&](QWidget *box) {
            QCOMPARE(qobject_cast<QMessageBox *>(box)->text(), QString("Delete f.lie?"));
            answerYes(box);
        });
        w.find<QAction>("Delete1")->trigger();
        QTRY_VERIFY(answerer.done());
        QTRY_COMPARE(list->model()->rowCount(), 3);
        QCOMPARE(w.folder.names(), (std::vector<std::string>{"Varnok.Ini", "a.lie", "c.lie", "d.lie"}));
    }

    void theMenusShowTheUsualKeysAndKeepTheirMnemonics()
    {
        Window w;
        const struct {
            const char *name;
            const char *text;
            QKeySequence keys;
        } actions[] = {
            {"LieSet1", "Open &Lie set...", {}},
            {"Find1", "&Find...", QKeySequence(Qt::CTRL | Qt::Key_F)},
            {"Refresh1", "Re-rea&d folder", QKeySequence(Qt::Key_F5)},
            {"Exit1", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            {"UndoDelete1", "&Undo delete", QKeySequence(Qt::CTRL | Qt::Key_Z)},
            {"Delete1", "&Delete", QKeySequence(Qt::Key_Delete)},
            {"Rename1", "Re&name", QKeySequence(Qt::Key_F2)},
            {"SelectAll1", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A)},
            {"Readme1", "&Read me", QKeySequence(Qt::Key_F1)},
            {"About1", "&About", {}},
        };
        for (const auto &a : actions) {
            auto *action = w.find<QAction>(a.name);
            QVERIFY2(action, a.name);
            QCOMPARE(action->text(), QString(a.text));
            QCOMPARE(action->shortcut(), a.keys);
        }
        QStringList menus;
        for (QAction *menu : w.window->menuBar()->actions())
            menus << menu->text();
        // The new menu takes no letter from the pages' buttons ("&Edit" among them).
        QCOMPARE(menus, (QStringList{"&File", "Edit", "&Help"}));
        // F2 renames only where renames are allowed; nothing to undo yet;
        // Delete, Rename and Select All only where a list shows.
        const auto enabled = [&w](const char *name) { return w.find<QAction>(name)->isEnabled(); };
        w.window->setPage(Page::Lies);
        QVERIFY(!enabled("Rename1"));
        QVERIFY(!enabled("UndoDelete1"));
        QVERIFY(enabled("Delete1") && enabled("SelectAll1"));
        w.find<QCheckBox>("cbOptionsAllowRenames")->click();
        QVERIFY(enabled("Rename1"));
        for (const Page page : {Page::Ask, Page::Options}) {
            w.window->setPage(page);
            QVERIFY(!enabled("Delete1") && !enabled("Rename1") && !enabled("SelectAll1"));
        }
        w.window->setPage(Page::Tests);
        QVERIFY(enabled("Delete1") && enabled("Rename1") && enabled("SelectAll1"));
    }

    void keysInAListSelectDeleteAndUndo()
    {
        Window w;
        activate(w);
        w.folder.write("a.lie", "Alpha.\r\n");
        w.folder.write("b.lie", "Beta.\r\n");
        rereadLists(w.window->context());
        w.window->setPage(Page::Lies);
        auto *list = w.find<QListView>("FileListBox1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.window->state().lies.selectedCount(), 2);

        ModalAnswerer answerer;
        answerer.then(answerYes);
        answerer.then(answerYes);
        QTest::keyClick(list, Qt::Key_Delete);
        QTRY_VERIFY(answerer.done());
        QTRY_COMPARE(list->model()->rowCount(), 0);
        QVERIFY(!w.folder.exists("a.lie"));
        QVERIFY(w.find<QAction>("UndoDelete1")->isEnabled());

        // The questions took the focus away for a while.
        activate(w);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(w.folder.exists("a.lie") && w.folder.exists("b.lie"));
        QCOMPARE(w.folder.read("a.lie"), std::string("Alpha.\r\n"));
        QCOMPARE(w.folder.read("b.lie"), std::string("Beta.\r\n"));
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 2);
        QVERIFY(!w.find<QAction>("UndoDelete1")->isEnabled());
    }

    void findShowsHitsWhileTypingAndAHitSelectsItsMatch()
    {
        Window w;
        activate(w);
        w.folder.write("Money.ess", "Money is evil.\r\n\r\nEXPLAIN YOURSELF\r\nSo much \xC3\x84rger today.\r\n");
        w.folder.write("Work.lie", "Work is \xE4rger.\r\n"); // Latin-1
        QTest::keyClick(w.window.get(), Qt::Key_F, Qt::ControlModifier);
        auto *dock = w.find<QDockWidget>("FindDock");
        auto *field = w.find<QLineEdit>("FindText");
        QVERIFY(dock->isVisible());
        QTRY_VERIFY(field->hasFocus());

        // QTest types only ASCII keys; the accented letter comes as an input method would bring it.
        field->insert(QString::fromUtf8("\xC3\xA4"));
        QTest::keyClicks(field, "RGER");
        auto *results = w.find<QTreeWidget>("FindResults");
        QTRY_COMPARE(results->topLevelItemCount(), 2);
        QCOMPARE(results->topLevelItem(0)->text(0), QString("Money.ess"));
        QCOMPARE(results->topLevelItem(0)->text(1), QString("4"));
        QCOMPARE(results->topLevelItem(0)->text(2), QString::fromUtf8("So much \xC3\x84rger today."));
        QCOMPARE(results->topLevelItem(1)->text(2), QString::fromUtf8("Work is \xC3\xA4rger."));
        QCOMPARE(w.find<QWidget>("FindStatus")->property("text").toString(), QString("2 matches in 2 files"));

        results->setCurrentItem(results->topLevelItem(1));
        emit results->itemActivated(results->topLevelItem(1), 0);
        auto *memo = w.find<QPlainTextEdit>("Memo1");
        QVERIFY(memo->isVisible());
        QCOMPARE(w.find<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(memo->textCursor().selectedText(), QString::fromUtf8("\xC3\xA4rger"));
        QVERIFY(memo->isReadOnly());

        // The hit took the focus to the text area: Escape there closes the
        // bar, as it does from the field and from the results, and the focus
        // stays with the text.
        QTRY_VERIFY(memo->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dock->isVisible());
        for (QWidget *inside : std::initializer_list<QWidget *>{field, results}) {
            QTest::keyClick(w.window.get(), Qt::Key_F, Qt::ControlModifier);
            QVERIFY(dock->isVisible());
            inside->setFocus();
            QTRY_VERIFY(inside->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(!dock->isVisible(), qPrintable(inside->objectName()));
            QVERIFY2(memo->hasFocus(), qPrintable(inside->objectName()));
        }
    }
};

VARNOK_GUI_TEST(JournalTest);
#include "journal_test.moc"
