// Main window: the music tree, the Music, List and Records tabs.
#include "app/cx_fmain.h"

#include "framework/qv_tools.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// A grid of owner-drawn cells with the given number of columns.
QTableView* NewGrid(QWidget* parent, const char* name, int columns) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(name));
    auto* model = new QStandardItemModel(0, columns, grid);
    grid->setModel(model);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setShowGrid(false);
    return grid;
}
} // namespace

void TFrmCrateboxMain::BuildMusicTab() {
    auto* layout = new QVBoxLayout(tsMusic);
    cbTagsList = new QComboBox(tsMusic);
    cbTagsList->setObjectName(QStringLiteral("cbTagsList"));
    cbTagsList->setEditable(true);
    layout->addWidget(cbTagsList);
    DrawGridMusic = NewGrid(tsMusic, "DrawGridMusic", 1);
    layout->addWidget(DrawGridMusic, 1);
}

void TFrmCrateboxMain::BuildListTab() {
    auto* layout = new QVBoxLayout(tsList);
    layout->setContentsMargins(0, 0, 0, 0);
    ShellListView = new QTreeView(tsList);
    ShellListView->setObjectName(QStringLiteral("ShellListView"));
    ShellListView->setRootIsDecorated(false);
    layout->addWidget(ShellListView);
}

void TFrmCrateboxMain::BuildRecordsTab() {
    auto* layout = new QVBoxLayout(tsRecords);
    layout->setContentsMargins(0, 0, 0, 0);
    DrawGridRecord = NewGrid(tsRecords, "DrawGridRecord", 1);
    layout->addWidget(DrawGridRecord);
}

void TFrmCrateboxMain::LayoutRecordsGrid() {
    if (!DrawGridRecord)
        return;
    DrawGridRecord->viewport()->update();
}

void TFrmCrateboxMain::BuildTree(const QString& folder) {
    // The tree's nodes and the toolbar's folder buttons are filled from the
    // entries of the folder; until then the folder becomes the tree's root.
    if (QDir(folder).exists())
        TreeRootFolder = RemoveBackslash(folder);
}

QString TFrmCrateboxMain::CurrentFolder() const { return PathOverride; }
