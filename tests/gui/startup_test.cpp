#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "gui/guiharness.h"
#include "gui/guitest.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// A lie folder of these files, each one line, with the clock and the draws
// of the windows a test makes on it; the current folder is put back after.
struct Place {
    explicit Place(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            folder.write(name, "x\r\n");
    }
    ~Place() { setCurrentFolder(startFolder); }

    std::string startFolder = currentFolder();
    TempFolder folder;
    FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
    ScriptedRandom random;
};

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    // The lists fill once the window's loop runs, from a reading made on
    // another thread; a list the person changed meanwhile keeps what it shows.
    void listsFillOnceTheWindowIsUp()
    {
        Place p({"Varnok.Ini", "b.lie", "A.lie", "x.ess", "z.txt"});
        {
            TfHello window({p.clock, p.random});
            window.start({p.folder.path()}, ListsFill::Later);
            QCOMPARE(window.state().lies.count(), 0);
            window.findChild<QCheckBox *>("cbText")->click();
            QTRY_VERIFY(!window.listsFilling());
            QCOMPARE(window.state().lies.names(), (std::vector<std::string>{"A.lie", "b.lie"}));
            QCOMPARE(window.state().essays.names(), (std::vector<std::string>{"x.ess", "z.txt"}));
            QCOMPARE(window.findChild<QListView *>("FileListBox1")->model()->rowCount(), 2);
            // New Lie reads the lists beside the loop too; they show it once read.
            ModalAnswerer answerer;
            answerer.then([](QWidget *dialog) {
                auto *input = qobject_cast<QInputDialog *>(dialog);
                QVERIFY(input);
                input->setTextValue("c");
                input->accept();
            });
            window.findChild<QPushButton *>("bLiesNew")->click();
            QVERIFY(answerer.done());
            QTRY_VERIFY(!window.listsFilling());
            QCOMPARE(window.state().lies.names(), (std::vector<std::string>{"A.lie", "b.lie", "c.lie"}));
            QCOMPARE(window.findChild<QListView *>("FileListBox1")->model()->rowCount(), 3);
        }
        {
            // Start Test the moment the window shows finds every Lie, not "No Lies found".
            TfHello window({p.clock, p.random});
            window.start({p.folder.path()}, ListsFill::Later);
            ModalAnswerer answerer;
            answerer.then([](QWidget *dialog) {
                QVERIFY(!qobject_cast<QMessageBox *>(dialog));
                static_cast<QDialog *>(dialog)->reject();
            });
            window.findChild<QPushButton *>("bAskStart")->click();
            QVERIFY(answerer.done());
            QCOMPARE(window.state().lies.count(), 3);
        }
    }

    // A window that lists its folder beside its loop reads it there again
    // when other programs add or remove files: the selection stays with its
    // names.
    void filesArrivingFromOutsideKeepTheSelection()
    {
        Place p({"Varnok.Ini", "a.lie", "b.lie", "d.lie"});
        TfHello window({p.clock, p.random});
        window.start({p.folder.path()}, ListsFill::Later);
        QTRY_VERIFY(!window.listsFilling());
        FileList &lies = window.state().lies;
        lies.setSelected(2, true); // d.lie
        lies.setSelected(0, true); // a.lie
        auto *view = window.findChild<QListView *>("FileListBox1");
        view->selectionModel()->setCurrentIndex(view->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        p.folder.write("c.lie", "x\r\n");
        QTRY_COMPARE(lies.names(), (std::vector<std::string>{"a.lie", "b.lie", "c.lie", "d.lie"}));
        QCOMPARE(lies.selectedNames(), (std::vector<std::string>{"a.lie", "d.lie"}));
        QCOMPARE(view->currentIndex().data().toString(), QString("b.lie")); // Shift+click goes on from there
        removeFile(p.folder.path() + "a.lie");
        QTRY_COMPARE(lies.names(), (std::vector<std::string>{"b.lie", "c.lie", "d.lie"}));
        QCOMPARE(lies.selectedNames(), (std::vector<std::string>{"d.lie"}));
    }

    // A window that shows before its folder is listed merges a sync tool's
    // copy of the settings once the lists are in: its controls show what
    // the copy added, over which a change made meanwhile stays.
    void aSettingsCopyIsMergedOnceTheListsAreIn()
    {
        const std::string startFolder = currentFolder();
        const std::string copy = "Varnok.sync-conflict-20261209-114603-ABC.Ini";
        struct Case {
            const char *strongMeanwhile; // empty: nothing changed
            const char *weak, *strong, *strongRead;
        };
        for (const Case &c : {Case{"", "03", "18", "18"}, Case{"22", "03", "22", "18"}}) {
            TempFolder folder, home;
            folder.write("Varnok.Ini", "[Settings]\r\nWidth=415\r\n");
            folder.write(copy, "[ReactionLimits]\r\nWeak=03\r\nStrong=18\r\n");
            FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
            ScriptedRandom random;
            TfHello window({clock, random});
            window.start({folder.path()}, ListsFill::Later);
            window.state().homeTrash = home.path() + "Trash/";
            if (*c.strongMeanwhile)
                window.state().options.strong = c.strongMeanwhile;
            QTRY_VERIFY(!window.listsFilling());
            QCOMPARE(window.state().options.weak, std::string(c.weak));
            QCOMPARE(window.state().options.strong, std::string(c.strong));
            QCOMPARE(window.state().optionsRead.strong, std::string(c.strongRead));
            QCOMPARE(window.findChild<QLineEdit *>("MIN")->text(), QString(c.weak));
            QVERIFY(!folder.exists(copy));
            QCOMPARE(folder.read("Varnok.Ini"),
                     std::string("[Settings]\r\nWidth=415\r\n\r\n[ReactionLimits]\r\nWeak=03\r\nStrong=18\r\n"));
        }
        setCurrentFolder(startFolder);
    }

    // A conflicting copy and the file it belongs to carry a note in the
    // list; every other file none, also in a list without copies.
    void conflictingCopiesCarryANote()
    {
        Place p({"Varnok.Ini", "b.lie", "B.sync-conflict-20261209-114603-ABC.lie", "c.lie", "x.ess"});
        TfHello window({p.clock, p.random});
        window.start({p.folder.path()});
        const auto notes = [&](const char *list) {
            QMap<QString, QString> notes;
            const QAbstractItemModel *model = window.findChild<QListView *>(list)->model();
            for (int row = 0; row < model->rowCount(); ++row)
                notes[model->index(row, 0).data().toString()] = model->index(row, 0).data(Qt::ToolTipRole).toString();
            return notes;
        };
        const QMap<QString, QString> lies = {
            {"b.lie", "B.lie has a conflict copy from 2026-12-09 11:46"},
            {"B.sync-conflict-20261209-114603-ABC.lie", "Conflict copy of B.lie from 2026-12-09 11:46"},
            {"c.lie", ""}};
        QCOMPARE(notes("FileListBox1"), lies);
        QCOMPARE(notes("FileListBox2"), (QMap<QString, QString>{{"x.ess", ""}}));
    }
};

} // namespace

VARNOK_GUI_TEST(StartupTest);
#include "startup_test.moc"
