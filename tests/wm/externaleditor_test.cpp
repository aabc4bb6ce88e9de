#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <sys/stat.h>

#include "documents/documents.h"
#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// A stand-in editor: a shell script that does what its body says, then
// leaves a mark that it ran.
std::string writeEditor(const Window &w, const std::string &name, const std::string &body)
{
    const std::string path = w.folder.file(name);
    w.folder.write(name, "#!/bin/sh\n" + body + "touch '" + w.folder.file("ran") + "'\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

void selectOnlyLie(Window &w, const std::string &name)
{
    rereadLists(w.window->context());
    FileList &lies = w.window->state().lies;
    for (int i = 0; i < lies.count(); ++i)
        lies.setSelected(i, lies.name(i) == name);
    w.window->listChanged(ListId::Lies);
}

} // namespace

class ExternalEditorTest : public QObject {
    Q_OBJECT
private slots:
    // Keys and clicks given while the external editor runs belong to it: the
    // window must not carry them out once the editor has closed. Only a real
    // window system queues such input; the stand-in editor types through
    // xdotool, as a person would.
    void inputDuringTheExternalEditorIsDiscarded()
    {
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool is missing (scripts/setup installs it)");
        ActiveWindow w;
        QVERIFY(w.active);
        w.folder.write("a.lie", "Alpha\r\n");
        selectOnlyLie(w, "a.lie");
        w.window->setPage(Page::Lies);

        // Alt+D is "&Delete" on the Lies page; the click lands on the Tests tab.
        auto *tabs = w.find<QTabWidget>("PageControl1");
        const QPoint tab = tabs->tabBar()->mapToGlobal(tabs->tabBar()->tabRect(3).center());
        const std::string editor = writeEditor(w, "typist",
                                               "xdotool key --clearmodifiers alt+d\n"
                                               "xdotool mousemove --sync " +
                                                   std::to_string(tab.x()) + " " + std::to_string(tab.y()) +
                                                   " click 1\n"
                                                   "sleep 0.5\n");
        w.window->state().options.useInternalEditor = false;
        w.window->state().options.editor = editor;

        ModalAnswerer answerer;
        answerer.acceptMessage();
        w.find<QPushButton>("bLiesEdit")->click();
        QVERIFY(w.folder.exists("ran"));
        QTest::qWait(700);
        QVERIFY2(answerer.texts.isEmpty(), qPrintable(answerer.texts.join("\n")));
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(w.folder.exists("a.lie"));
        QVERIFY(w.window->isEnabled());
    }
};

VARNOK_GUI_TEST(ExternalEditorTest);

#include "externaleditor_test.moc"
