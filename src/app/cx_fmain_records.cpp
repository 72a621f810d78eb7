// Main window: the Records tab (grid of covers).
#include "app/cx_fmain.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildRecordsTab() {
    auto* layout = new QVBoxLayout(tsRecords);
    layout->setContentsMargins(0, 0, 0, 0);
    DrawGridRecord = new QTableView(tsRecords);
    DrawGridRecord->setObjectName(QStringLiteral("DrawGridRecord"));
    DrawGridRecord->setModel(new QStandardItemModel(0, 1, DrawGridRecord));
    layout->addWidget(DrawGridRecord);
}

void TFrmCrateboxMain::LayoutRecordsGrid() {
    if (DrawGridRecord)
        DrawGridRecord->viewport()->update();
}

void TFrmCrateboxMain::RefreshRecordsGrid(bool) {}
