// Main window: the Tag infos tab.
#include "app/cx_fmain.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

void TFrmCrateboxMain::BuildTagTab() {
    auto* layout = new QHBoxLayout(tsTag);
    DrawGridTags = new QTableView(tsTag);
    DrawGridTags->setObjectName(QStringLiteral("DrawGridTags"));
    DrawGridTags->setModel(new QStandardItemModel(0, 1, DrawGridTags));
    DrawGridTags->horizontalHeader()->hide();
    DrawGridTags->verticalHeader()->hide();
    layout->addWidget(DrawGridTags, 1);
    cbID3v1Genre = new QComboBox(tsTag);
    cbID3v1Genre->setObjectName(QStringLiteral("cbID3v1Genre"));
    layout->addWidget(cbID3v1Genre);
}
