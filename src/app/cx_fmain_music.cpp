// Main window: the Music tab (record panel and song list).
#include "app/cx_fmain.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildMusicTab() {
    auto* layout = new QVBoxLayout(tsMusic);
    cbTagsList = new QComboBox(tsMusic);
    cbTagsList->setObjectName(QStringLiteral("cbTagsList"));
    cbTagsList->setEditable(true);
    layout->addWidget(cbTagsList);
    DrawGridMusic = new QTableView(tsMusic);
    DrawGridMusic->setObjectName(QStringLiteral("DrawGridMusic"));
    DrawGridMusic->setModel(new QStandardItemModel(0, 1, DrawGridMusic));
    DrawGridMusic->horizontalHeader()->hide();
    DrawGridMusic->verticalHeader()->hide();
    layout->addWidget(DrawGridMusic, 1);
}

void TFrmCrateboxMain::ShowRecord(bool) {}

void TFrmCrateboxMain::CollectFolderFiles(const QString&) {}
