// Main window: the Search and Neighbour tabs.
#include "app/cx_fmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
QTreeView* NewReportList(QWidget* parent, const char* name, int columns) {
    auto* list = new QTreeView(parent);
    list->setObjectName(QLatin1String(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSortingEnabled(true);
    list->setAllColumnsShowFocus(true);
    list->setModel(new QStandardItemModel(0, columns, list));
    return list;
}
} // namespace

void TFrmCrateboxMain::BuildSearchTab() {
    auto* layout = new QGridLayout(tsSearch);
    BtUpdateDB = new QPushButton(QStringLiteral("Update"), tsSearch);
    BtUpdateDB->setObjectName(QStringLiteral("BtUpdateDB"));
    BtShowRecord = new QPushButton(QStringLiteral("Show Record"), tsSearch);
    BtShowRecord->setObjectName(QStringLiteral("BtShowRecord"));
    cbApplyFilter = new QCheckBox(tsSearch);
    cbApplyFilter->setObjectName(QStringLiteral("cbApplyFilter"));
    cbTagsFilter = new QComboBox(tsSearch);
    cbTagsFilter->setObjectName(QStringLiteral("cbTagsFilter"));
    cbTagsFilter->setMaxVisibleItems(12);
    cbApplyFilter2 = new QCheckBox(tsSearch);
    cbApplyFilter2->setObjectName(QStringLiteral("cbApplyFilter2"));
    cbTagsFilter2 = new QComboBox(tsSearch);
    cbTagsFilter2->setObjectName(QStringLiteral("cbTagsFilter2"));
    cbTagsFilter2->setMaxVisibleItems(12);
    layout->addWidget(BtUpdateDB, 0, 0);
    layout->addWidget(cbApplyFilter, 0, 1);
    layout->addWidget(cbTagsFilter, 0, 2);
    layout->addWidget(cbApplyFilter2, 0, 3);
    layout->addWidget(cbTagsFilter2, 0, 4);
    layout->addWidget(BtShowRecord, 0, 5);
    LV = NewReportList(tsSearch, "LV", 6);
    layout->addWidget(LV, 1, 0, 1, 6);
    layout->setColumnStretch(2, 1);
    layout->setColumnStretch(4, 1);
}

void TFrmCrateboxMain::BuildLikeTab() {
    auto* layout = new QVBoxLayout(tsLike);
    btShowLike = new QPushButton(QStringLiteral("Show"), tsLike);
    btShowLike->setObjectName(QStringLiteral("btShowLike"));
    layout->addWidget(btShowLike, 0, Qt::AlignLeft);
    LVLike = NewReportList(tsLike, "LVLike", 7);
    layout->addWidget(LVLike, 1);
}
