#include "gui/TfSelFolder.h"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui/QtUi.h"
#include "app/startup.h"

namespace varnok {

TfSelFolder::TfSelFolder(Context &ctx, QWidget *parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName("fSelFolder");
    setWindowTitle("Select Folder");
    resize(360, 380);
    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Label1);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath("/");
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    DirectoryListBox1->setAccessibleName("Folders");
    DirectoryListBox1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->header()->hide();
    layout->addWidget(DirectoryListBox1, 1);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &index) {
                if (index.isValid())
                    setCurrentFolder(model_->filePath(index));
            });

    auto *row = new QHBoxLayout;
    auto *ok = new QPushButton("&OK", this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    auto *make = new QPushButton("&New", this);
    make->setObjectName("BitBtn3");
    auto *cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("BitBtn2");
    row->addWidget(ok);
    row->addWidget(make);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TfSelFolder::BitBtn1Click);
    connect(make, &QPushButton::clicked, this, &TfSelFolder::BitBtn3Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The first time it opens on the lie folder chosen at start-up.
    setCurrentFolder(QtUi::toQt(ctx_.state.lieFolder));
}

void TfSelFolder::setCurrentFolder(const QString &folder)
{
    QString clean = QDir::cleanPath(folder);
    current_ = clean;
    Label1->setText(clean);
    const QModelIndex index = model_->index(clean);
    if (index.isValid() && DirectoryListBox1->currentIndex() != index) {
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
        DirectoryListBox1->expand(index);
    }
}

void TfSelFolder::BitBtn1Click()
{
    // Refused (another Varnok has that folder): the dialog stays for another choice.
    if (openLieSet(ctx_, QtUi::fromQt(current_)))
        accept();
}

void TfSelFolder::BitBtn3Click()
{
    if (const auto made = newLieFolder(ctx_, QtUi::fromQt(current_)))
        setCurrentFolder(QtUi::toQt(*made));
}

} // namespace varnok
