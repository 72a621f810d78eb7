// Main window: the Rename tab (numbering and cutting the names of a record's
// files, with a preview).
#include "app/cx_fmain.h"

#include "app/Cratebox_str.h"
#include "app/cx_song_list.h"
#include "app/cx_textgrid.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_str.h"
#include "songs/cx_songfiles.h"
#include "songs/cx_songnames.h"
#include "songs/cx_songruns.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildRenameTab() {
    auto* column = new QVBoxLayout(tsRename);
    column->setContentsMargins(4, 4, 4, 4);

    _pnTools = new QWidget(tsRename);
    _pnTools->setObjectName(QStringLiteral("_pnTools"));
    // Two rows, so that the tab fits beside a tree of the usual width: the
    // files to list, then how their names are cut.
    auto* rows = new QVBoxLayout(_pnTools);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);
    auto* files = new QHBoxLayout();
    auto* cut = new QHBoxLayout();
    rows->addLayout(files);
    rows->addLayout(cut);
    sbRename = new QPushButton(QStringLiteral("Rename"), _pnTools);
    sbRename->setObjectName(QStringLiteral("sbRename"));
    files->addWidget(sbRename);
    edFiles = new QLineEdit(QStringLiteral("*.mp3"), _pnTools);
    edFiles->setObjectName(QStringLiteral("edFiles"));
    edFiles->setMinimumWidth(60);
    edFiles->setMaximumWidth(160);
    files->addWidget(edFiles);
    cbSortByDate = new QCheckBox(QStringLiteral("Sort by date"), _pnTools);
    cbSortByDate->setObjectName(QStringLiteral("cbSortByDate"));
    cbSortByDate->setChecked(true);
    files->addWidget(cbSortByDate);
    files->addStretch(1);
    auto* lbSep2 = new QLabel(QStringLiteral("Separator"), _pnTools);
    lbSep2->setObjectName(QStringLiteral("lbSep2"));
    cut->addWidget(lbSep2);
    edSep = new QLineEdit(QStringLiteral("-"), _pnTools);
    edSep->setObjectName(QStringLiteral("edSep"));
    edSep->setMaxLength(1);
    edSep->setFixedWidth(28);
    edSep->setAlignment(Qt::AlignCenter);
    cut->addWidget(edSep);
    cut->addSpacing(12);
    auto* lbSep = new QLabel(QStringLiteral("Cut at"), _pnTools);
    lbSep->setObjectName(QStringLiteral("lbSep"));
    cut->addWidget(lbSep);
    const auto addCounter = [&](const char* name, int value) {
        auto* counter = new QSpinBox(_pnTools);
        counter->setObjectName(QLatin1String(name));
        counter->setRange(0, 9);
        counter->setValue(value);
        cut->addWidget(counter);
        return counter;
    };
    edNsep = addCounter("edNsep", 1);
    edEndSep = addCounter("edEndSep", 0);
    cut->addStretch(1);
    column->addWidget(_pnTools);

    DrawGrid = new QTableView(tsRename);
    DrawGrid->setObjectName(QStringLiteral("DrawGrid"));
    RenameGridModel = new TTextGridModel(
        2, [this](int row, int col) { return RenameGridCell(row, col); },
        [](int col) {
            return StringList().Get(col == 0 ? Cratebox_str::CurrentName : Cratebox_str::NewName);
        },
        DrawGrid);
    DrawGrid->setModel(RenameGridModel);
    DrawGrid->setItemDelegate(new TSongNameDelegate({}, DrawGrid));
    DrawGrid->verticalHeader()->hide();
    DrawGrid->verticalHeader()->setMinimumSectionSize(18);
    DrawGrid->verticalHeader()->setDefaultSectionSize(18);
    DrawGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DrawGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DrawGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DrawGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DrawGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrawGrid->setWordWrap(false);
    DrawGrid->setAlternatingRowColors(true);
    RenameGridModel->SetRowCount(1);
    column->addWidget(DrawGrid, 1);

    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int index) {
                if (index == tiRename)
                    tsRenameShow();
            }));
    connect(edFiles, &QLineEdit::textChanged, this,
            Guarded([this](const QString&) { edNsepChange(); }));
    connect(edSep, &QLineEdit::textChanged, this,
            Guarded([this](const QString&) { edNsepChange(); }));
    connect(edNsep, &QSpinBox::valueChanged, this, Guarded([this](int) { edNsepChange(); }));
    connect(edEndSep, &QSpinBox::valueChanged, this, Guarded([this](int) { edNsepChange(); }));
    connect(cbSortByDate, &QCheckBox::clicked, this, Guarded([this](bool) { edNsepChange(); }));
    connect(sbRename, &QPushButton::clicked, this, Guarded([this](bool) { sbRenameClick(); }));
}

void TFrmCrateboxMain::tsRenameShow() {
    if (Updating)
        return;
    RefreshRenameList(true);
    LayoutRenameGrid();
}

void TFrmCrateboxMain::edNsepChange() {
    RefreshRenameList(false);
}

void TFrmCrateboxMain::RefreshRenameList(bool force) {
    if (!force && PageControl->currentWidget() != tsRename)
        return;
    RenameFiles = ListRenameEntries(CurrentFolder(), edFiles->text(), cbSortByDate->isChecked());
    RenameGridModel->SetRowCount(RenameFiles.isEmpty() ? 1 : int(RenameFiles.size()));
}

QString TFrmCrateboxMain::RenameGridCell(int row, int column) const {
    if (row < 0 || row >= RenameFiles.size())
        return QString();
    const QString name = RenameEntryName(RenameFiles[row]);
    if (column == 0)
        return name;
    return CutFileName(name, row + 1, edNsep->value(), edSep->text(), edEndSep->value());
}

void TFrmCrateboxMain::sbRenameClick() {
    const QString question =
        FormatText(StringList().Get(Cratebox_str::RenameFiles), {int(RenameFiles.size())});
    if (!Confirm(question))
        return;
    WarnIfRenamesNotJournaled();
    // Numbered as the preview shows them; a file that cannot be renamed
    // keeps its name, silently.
    RenameCutFiles(CurrentFolder(), RenameFiles, edNsep->value(), edSep->text(), edEndSep->value(),
                   false);
    RefreshRenameList(false);
}
