// Main window: the Player tab.
#include "app/cx_fmain.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildPlayerTab() {
    auto* layout = new QVBoxLayout(tsPlayer);
    _lbPlaying = new QLabel(tsPlayer);
    _lbPlaying->setObjectName(QStringLiteral("_lbPlaying"));
    layout->addWidget(_lbPlaying);
    sgSongList = new QTableView(tsPlayer);
    sgSongList->setObjectName(QStringLiteral("sgSongList"));
    sgSongList->setModel(new QStandardItemModel(0, 1, sgSongList));
    sgSongList->horizontalHeader()->hide();
    sgSongList->verticalHeader()->hide();
    layout->addWidget(sgSongList, 1);
}

void TFrmCrateboxMain::RefreshPlaylistView() {
    if (!sgSongList)
        return;
    sgSongList->setColumnWidth(0, sgSongList->viewport()->width());
    sgSongList->viewport()->update();
}
