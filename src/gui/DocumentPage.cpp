#include "gui/DocumentPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "core/filelist.h"
#include "documents/commands.h"
#include "documents/conflicts.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "generator/generate.h"
#include "gui/FileListModel.h"
#include "testrun/testrun.h"

namespace varnok {

namespace {

constexpr int kButtonWidth = 85;
constexpr int kColumnWidth = 89;

using Command = void (*)(Context &);

// A button without a command opens a window; the main window wires it.
struct ButtonEntry {
    const char *name;
    const char *caption;
    const char *hint;
    Command command;
};

void createFromFile(Context &ctx)
{
    btnLoadClick(ctx);
}

constexpr ButtonEntry kEssayButtons[] = {
    {"bEssaysNew", "&New", "Write a new essay from scratch", bEssaysNewClick},
    {"bEssaysEdit", "&Edit", "Change selected essays", EditClick},
    {"bEssaysView", "&View", "Show file in view window", bTestsViewClick},
    {"bEssaysDelete", "&Delete", "Delete selected essays", DeleteClick},
    {"bFunEssay", "&Generate", "Generate a random essay from selected essays", bFunEssayClick},
    {"bFunSelectAll", "&Select All", "Select all essays", bFunSelectAllClick},
    {"bEssaysRename", "&Rename", "Rename selected essays", bEssaysRenameClick},
    {"bEssaysConflict", "C&onflict...", "Compare a conflict copy with its essay and keep one or join them",
     resolveConflictClick},
};
constexpr ButtonEntry kLieButtons[] = {
    {"bLiesNew", "&New", "Add a new lie", bLiesNewClick},
    {"bLiesEdit", "&Edit", "Change selected lies", EditClick},
    {"bLiesView", "&View", "Show file in view window", bTestsViewClick},
    {"bLiesDelete", "&Delete", "Delete selected lies", DeleteClick},
    {"bLiesHistory", "H&istory", "View past reactions to selected Lies", nullptr},
    {"bLiesReport", "Re&port...", "Export a report of the selected Lies, or of all, as PDF", nullptr},
    {"bLiesSelectAll", "&Select All", "", bLiesSelectAllClick},
    {"bLiesRename", "&Rename", "Rename selected lies", bLiesRenameClick},
    {"Button5", "&Open Lies", "", nullptr},
    {"btnLoad", "&Create from file", "", createFromFile},
};
constexpr ButtonEntry kTestButtons[] = {
    {"bTestsNew", "&New", "Take the test", bTestsNewClick},
    {"bTestsEdit", "&Edit", "View/Change stored tests", EditClick},
    {"bTestsView", "&View", "Show file in view window", bTestsViewClick},
    {"bTestsDelete", "&Delete", "Delete stored tests", DeleteClick},
    {"bTestsRename", "&Rename", "Rename stored tests", bTestsRenameClick},
};

struct PageLayout {
    const char *pageName;
    const char *columnName;
    const char *listName;
    const char *renameName;
    std::span<const ButtonEntry> buttons;
};

PageLayout pageLayout(ListId id)
{
    switch (id) {
    case ListId::Essays:
        return {"Essays", "Panel3", "FileListBox2", "bEssaysRename", kEssayButtons};
    case ListId::Lies:
        return {"Lies", "Panel2", "FileListBox1", "bLiesRename", kLieButtons};
    case ListId::Tests:
        break;
    }
    return {"Tests", "Panel6", "FileListBox3", "bTestsRename", kTestButtons};
}

} // namespace

DocumentPage::DocumentPage(ListId id, Context &ctx, QWidget *parent)
    : QWidget(parent), ctx_(ctx), files_(ctx.state.list(id))
{
    const PageLayout page = pageLayout(id);
    setObjectName(page.pageName);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *column = new QWidget(this);
    column->setObjectName(page.columnName);
    column->setMinimumWidth(kColumnWidth);
    column->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto *buttons = new QVBoxLayout(column);
    buttons->setContentsMargins(2, 0, 2, 0);
    buttons->setSpacing(3);
    list_ = new QListView(this);
    list_->setObjectName(page.listName);
    list_->setAccessibleName(page.pageName);
    model_ = new FileListModel(files_, list_);
    list_->setModel(model_);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setUniformItemSizes(true);
    layout->addWidget(column);
    layout->addWidget(list_, 1);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DocumentPage::syncSelectionFromView);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (!syncingSelection_ && current.isValid() && current.row() < files_.count())
            currentName_ = files_.name(current.row());
    });
    connect(list_, &QListView::doubleClicked, this, [this] { bTestsViewClick(ctx_); });

    for (const ButtonEntry &entry : page.buttons) {
        auto *button = new QPushButton(entry.caption, column);
        button->setObjectName(entry.name);
        // 85 pixels as a rule, wider where a caption needs it in this font.
        button->setMinimumWidth(kButtonWidth);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        if (*entry.hint)
            button->setToolTip(entry.hint);
        buttons->addWidget(button);
        if (entry.command)
            connect(button, &QPushButton::clicked, this, [this, command = entry.command] {
                if (beforeCommand)
                    beforeCommand();
                command(ctx_);
            });
    }
    rename_ = button(page.renameName);
    if (id == ListId::Essays)
        addShowFilters(column);
    buttons->addStretch();
}

void DocumentPage::addShowFilters(QWidget *column)
{
    auto *buttons = static_cast<QVBoxLayout *>(column->layout());
    auto *show = new QLabel("Show:", column);
    show->setObjectName("Label9");
    buttons->addSpacing(6);
    buttons->addWidget(show);
    auto *cbEssays = new QCheckBox("Essa&ys", column);
    cbEssays->setObjectName("cbEssays");
    cbEssays->setToolTip("Show essay files");
    cbEssays->setChecked(true);
    auto *cbGenerated = new QCheckBox("&Generated", column);
    cbGenerated->setObjectName("cbGenerated");
    cbGenerated->setToolTip("Show generated essays");
    cbGenerated->setChecked(true);
    auto *cbText = new QCheckBox("&Text files", column);
    cbText->setObjectName("cbText");
    for (QCheckBox *box : {cbEssays, cbGenerated, cbText}) {
        buttons->addWidget(box);
        // Toggled, so a box ticked by assistive technology (no click) acts too.
        connect(box, &QCheckBox::toggled, this, [this, cbEssays, cbGenerated, cbText] {
            ctx_.state.showEssays = cbEssays->isChecked();
            ctx_.state.showGenerated = cbGenerated->isChecked();
            ctx_.state.showText = cbText->isChecked();
            cbGeneratedClick(ctx_);
        });
    }
}

QPushButton *DocumentPage::button(const char *name) const
{
    return findChild<QPushButton *>(name);
}

void DocumentPage::listChanged()
{
    // A list re-read because another program changed the folder stays where
    // the person had scrolled it.
    const int scrolled = list_->verticalScrollBar()->value();
    syncingSelection_ = true;
    model_->reset();
    syncingSelection_ = false;
    syncSelectionToView();
    const auto &names = files_.names();
    if (const auto at = std::find(names.begin(), names.end(), currentName_); at != names.end()) {
        syncingSelection_ = true;
        list_->selectionModel()->setCurrentIndex(model_->index(static_cast<int>(at - names.begin()), 0),
                                                 QItemSelectionModel::NoUpdate);
        syncingSelection_ = false;
    }
    list_->verticalScrollBar()->setValue(scrolled);
}

void DocumentPage::syncSelectionToView()
{
    QItemSelection selection;
    for (int i = 0; i < files_.count();) {
        if (!files_.isSelected(i)) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < files_.count() && files_.isSelected(end + 1))
            ++end;
        selection.select(model_->index(i, 0), model_->index(end, 0));
        i = end + 1;
    }
    syncingSelection_ = true;
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncingSelection_ = false;
}

void DocumentPage::syncSelectionFromView()
{
    if (syncingSelection_)
        return;
    files_.clearSelection();
    for (const QItemSelectionRange &range : list_->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row < files_.count())
                files_.setSelected(row, true);
}

} // namespace varnok
