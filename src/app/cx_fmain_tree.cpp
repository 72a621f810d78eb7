// Main window: the music tree, the toolbar of top-level folders and the
// List tab.
#include "app/cx_fmain.h"

#include "framework/qv_tools.h"

#include <QDir>
#include <QTreeView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildListTab() {
    auto* layout = new QVBoxLayout(tsList);
    layout->setContentsMargins(0, 0, 0, 0);
    ShellListView = new QTreeView(tsList);
    ShellListView->setObjectName(QStringLiteral("ShellListView"));
    ShellListView->setRootIsDecorated(false);
    layout->addWidget(ShellListView);
}

void TFrmCrateboxMain::BuildTree(const QString& folder) {
    // The tree's nodes and the toolbar's folder buttons are filled from the
    // entries of the folder; until then the folder becomes the tree's root.
    if (QDir(folder).exists())
        TreeRootFolder = RemoveBackslash(folder);
}

QString TFrmCrateboxMain::CurrentFolder() const { return PathOverride; }

void TFrmCrateboxMain::RefreshViews() {
    RefreshRenameList(false);
    ShowRecord(false);
    RefreshRecordsGrid(false);
    RefreshListTab(false);
}

void TFrmCrateboxMain::AutoSelectTab() {}

void TFrmCrateboxMain::RefreshListTab(bool) {}
