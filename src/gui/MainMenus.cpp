#include "gui/MainMenus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStringList>

#include "documents/commands.h"
#include "documents/documents.h"
#include "gui/THelpForm.h"
#include "gui/TSplashForm.h"
#include "gui/bytetext.h"

namespace varnok {

MainMenus::MainMenus(QMainWindow *window, Context &ctx, WindowActions actions)
    : QObject(window), window_(window), ctx_(ctx), actions_(std::move(actions))
{
    createFileMenu();
    createEditMenu();
    createHelpMenu();
}

void MainMenus::createFileMenu()
{
    QMenu *file = window_->menuBar()->addMenu("&File");
    QAction *lieSet = file->addAction("Open &Lie set...");
    lieSet->setObjectName("LieSet1");
    connect(lieSet, &QAction::triggered, this, [this] { actions_.openLieSet(); });
    QAction *findAction = file->addAction("&Find...");
    findAction->setObjectName("Find1");
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, this, [this] { actions_.showFind(); });
    QAction *refresh = file->addAction("Re-rea&d folder");
    refresh->setObjectName("Refresh1");
    refresh->setShortcut(Qt::Key_F5);
    connect(refresh, &QAction::triggered, this, [this] { refreshLists(ctx_); });
    file->addSeparator();
    QAction *report = file->addAction("Export &report...");
    report->setObjectName("ExportReport1");
    connect(report, &QAction::triggered, this, [this] { actions_.exportReport(); });
    QAction *print = file->addAction("&Print...");
    print->setObjectName("Print1");
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this, [this] { actions_.printReport(); });
    file->addSeparator();
    QAction *exitAction = file->addAction("E&xit");
    exitAction->setObjectName("Exit1");
    exitAction->setShortcut(Qt::CTRL | Qt::Key_Q);
    connect(exitAction, &QAction::triggered, window_, &QWidget::close);
}

void MainMenus::createEditMenu()
{
    // No mnemonic: Alt+E belongs to the pages' "&Edit" buttons.
    QMenu *edit = window_->menuBar()->addMenu("Edit");
    UndoDelete1 = edit->addAction("&Undo delete");
    UndoDelete1->setObjectName("UndoDelete1");
    UndoDelete1->setShortcut(QKeySequence::Undo);
    connect(UndoDelete1, &QAction::triggered, this, [this] { UndoDelete1Click(ctx_); });
    edit->addSeparator();
    Delete1 = edit->addAction("&Delete");
    Delete1->setObjectName("Delete1");
    Delete1->setShortcut(QKeySequence::Delete);
    connect(Delete1, &QAction::triggered, this, [this] {
        if (shownList())
            DeleteClick(ctx_);
    });
    Rename1 = edit->addAction("Re&name");
    Rename1->setObjectName("Rename1");
    Rename1->setShortcut(Qt::Key_F2);
    connect(Rename1, &QAction::triggered, this, &MainMenus::renameInList);
    SelectAll1 = edit->addAction("Select &All");
    SelectAll1->setObjectName("SelectAll1");
    SelectAll1->setShortcut(QKeySequence::SelectAll);
    connect(SelectAll1, &QAction::triggered, this, &MainMenus::selectAllInList);
    connect(edit, &QMenu::aboutToShow, this, &MainMenus::updateEditActions);
    updateEditActions();
}

void MainMenus::createHelpMenu()
{
    QMenu *help = window_->menuBar()->addMenu("&Help");
    QAction *readme = help->addAction("&Read me");
    readme->setObjectName("Readme1");
    readme->setShortcut(Qt::Key_F1);
    connect(readme, &QAction::triggered, this, &MainMenus::readme);
    QAction *about = help->addAction("&About");
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &MainMenus::about);
}

std::optional<ListId> MainMenus::shownList() const
{
    return listOfPage(ctx_.state.page);
}

void MainMenus::renameInList()
{
    const auto id = shownList();
    if (!id || !ctx_.state.options.allowRenames)
        return;
    switch (*id) {
    case ListId::Lies:
        bLiesRenameClick(ctx_);
        break;
    case ListId::Essays:
        bEssaysRenameClick(ctx_);
        break;
    case ListId::Tests:
        bTestsRenameClick(ctx_);
        break;
    }
}

void MainMenus::selectAllInList()
{
    if (const auto id = shownList()) {
        ctx_.state.list(*id).selectAll();
        ctx_.view.listChanged(*id);
    }
}

void MainMenus::updateEditActions()
{
    // Delete, Rename and Select All act on the list of the page showing;
    // elsewhere (the text of Start Here among them) the keys are the widgets'.
    const bool list = shownList().has_value();
    UndoDelete1->setEnabled(canUndoDelete(ctx_.state));
    Delete1->setEnabled(list);
    Rename1->setEnabled(list && ctx_.state.options.allowRenames);
    SelectAll1->setEnabled(list);
}

void MainMenus::readme()
{
    if (!helpForm_)
        helpForm_ = new THelpForm(window_);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(ctx_.state.helpText.size()));
    for (const std::string &line : ctx_.state.helpText)
        lines.append(textFromBytes(line));
    helpForm_->showReadme(QCoreApplication::applicationDirPath() + "/", lines);
}

void MainMenus::about()
{
    TSplashForm splash(window_);
    splash.exec();
}

} // namespace varnok
