// Main window: the Rename tab.
#include "app/cx_fmain.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildRenameTab() {
    auto* layout = new QVBoxLayout(tsRename);
    DrawGrid = new QTableView(tsRename);
    DrawGrid->setObjectName(QStringLiteral("DrawGrid"));
    DrawGrid->setModel(new QStandardItemModel(0, 2, DrawGrid));
    DrawGrid->verticalHeader()->hide();
    layout->addWidget(DrawGrid, 1);
}

void TFrmCrateboxMain::RefreshRenameList(bool) {}
