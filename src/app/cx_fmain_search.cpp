// Main window: the Search and Neighbour tabs, and the window's side of the
// record database (loading, rebuilding, progress of the walk).
#include "app/cx_fmain.h"

#include "app/Cratebox_str.h"
#include "app/cx_report_model.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_str.h"
#include "records/cx_record_rows.h"
#include "records/cx_records.h"
#include "records/cx_similarity.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// Report list over a TReportListModel: full-row single selection, type-ahead
// (the view's keyboard search), sorting by a click on a column header.
void SetUpReportList(QTreeView* list, TReportListModel* model) {
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false); // the header click rule below replaces the view's own
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(model->SortState().Column, model->SortState().Order);
    QObject::connect(header, &QHeaderView::sectionClicked, list, Guarded([list, model](int column) {
                         const TSortState next = ClickedSortState(model->SortState(), column);
                         model->sort(next.Column, next.Order);
                         list->header()->setSortIndicator(next.Column, next.Order);
                     }));
}

QTreeView* NewReportList(QWidget* parent, const char* name, TReportListModel* model) {
    auto* list = new QTreeView(parent);
    list->setObjectName(QLatin1String(name));
    model->setParent(list);
    SetUpReportList(list, model);
    return list;
}

// Column widths from the settings, under `prefix` followed by the column.
// A column without a stored width is fitted to its header and its cells,
// once, after the list's first fill; later fills leave it as the user made
// it.
void ApplyStoredWidths(QTreeView* list, const QString& prefix) {
    constexpr qint32 kNone = std::numeric_limits<qint32>::min();
    const char* const fitted = "ColumnsFitted";
    const bool fit = !list->property(fitted).toBool();
    list->setProperty(fitted, true);
    for (int i = 0; i < list->model()->columnCount(); ++i) {
        const qint32 stored = Contexte->ReadInteger(prefix + QString::number(i), kNone);
        if (stored != kNone)
            list->setColumnWidth(i, ClampColumnWidth(stored));
        else if (fit) {
            list->resizeColumnToContents(i); // the header's and the cells' widths
            list->setColumnWidth(i, ClampColumnWidth(list->columnWidth(i)));
        }
    }
}

// Caption of a column of the lists: the neighbour list has "Distance" first,
// then the search list's six.
QString SearchColumnCaption(int column) {
    static const int* const texts[SearchColumnCount] = {
        &Cratebox_str::ColName, &Cratebox_str::ColRecord, &Cratebox_str::ColTags,
        &Cratebox_str::ColYear, &Cratebox_str::ColRip,    &Cratebox_str::ColPath};
    if (column < 0 || column >= SearchColumnCount || *texts[column] < 0)
        return QString();
    return StringList().Get(*texts[column]);
}

QString NeighbourColumnCaption(int column) {
    if (column == ncDistance)
        return Cratebox_str::ColDistance >= 0 ? StringList().Get(Cratebox_str::ColDistance)
                                              : QString();
    return SearchColumnCaption(column - 1);
}

// Reads root's database file into `database`; a database that cannot be
// read is left empty, so that no other root's records stay behind.
bool LoadDatabase(TRecordStructList& database, const QString& root) {
    try {
        database.LoadFromFolder(root);
        return true;
    } catch (const EToolsError&) {
        database.Clear();
        return false;
    }
}

} // namespace

void TFrmCrateboxMain::BuildSearchTab() {
    Database = std::make_unique<TRecordStructList>();
    Database->OnProgress = [this](TRecordStructList& sender, const QString& dir, bool& stop) {
        DatabaseProgress(sender, dir, stop);
    };

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
    cbTagsFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbTagsFilter->setMinimumContentsLength(2);
    cbApplyFilter2 = new QCheckBox(tsSearch);
    cbApplyFilter2->setObjectName(QStringLiteral("cbApplyFilter2"));
    cbTagsFilter2 = new QComboBox(tsSearch);
    cbTagsFilter2->setObjectName(QStringLiteral("cbTagsFilter2"));
    cbTagsFilter2->setMaxVisibleItems(12);
    cbTagsFilter2->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbTagsFilter2->setMinimumContentsLength(2);
    layout->addWidget(BtUpdateDB, 0, 0);
    layout->addWidget(cbApplyFilter, 0, 1);
    layout->addWidget(cbTagsFilter, 0, 2);
    layout->addWidget(cbApplyFilter2, 0, 3);
    layout->addWidget(cbTagsFilter2, 0, 4);
    layout->addWidget(BtShowRecord, 0, 5);
    SearchModel = new TReportListModel(SearchColumnCount, SearchColumnCaption);
    LV = NewReportList(tsSearch, "LV", SearchModel);
    layout->addWidget(LV, 1, 0, 1, 6);
    layout->setColumnStretch(2, 1);
    layout->setColumnStretch(4, 1);

    connect(BtUpdateDB, &QPushButton::clicked, this, Guarded([this](bool) { BtUpdateDBClick(); }));
    connect(BtShowRecord, &QPushButton::clicked, this,
            Guarded([this](bool) { BtShowRecordClick(BtShowRecord); }));
    connect(LV, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { LVItemDblClick(LV); }));
    // `clicked` only: the filters follow the user's clicks, never a change
    // of the drop-down lists.
    for (QCheckBox* box : {cbApplyFilter, cbApplyFilter2})
        connect(box, &QCheckBox::clicked, this, Guarded([this](bool) { cbApplyFilterClick(); }));
    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int index) {
                if (index == tiSearch)
                    tsSearchShow();
                else if (index == tiLike)
                    tsLikeShow();
            }));
}

void TFrmCrateboxMain::BuildLikeTab() {
    auto* layout = new QVBoxLayout(tsLike);
    // The button that fills this tab belongs to the record panel.
    connect(btShowLike, &QPushButton::clicked, this, Guarded([this](bool) { btShowLikeClick(); }));
    NeighbourModel = new TReportListModel(NeighbourColumnCount, NeighbourColumnCaption);
    NeighbourModel->SetNumericColumn(ncDistance);
    NeighbourModel->sort(ncDistance, Qt::DescendingOrder);
    LVLike = NewReportList(tsLike, "LVLike", NeighbourModel);
    layout->addWidget(LVLike, 1);
    connect(LVLike, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { LVItemDblClick(LVLike); }));
}

void TFrmCrateboxMain::TranslateDatabaseLists() {
    SearchModel->RetranslateHeaders();
    NeighbourModel->RetranslateHeaders();
}

// --- the database ----------------------------------------------------------------

void TFrmCrateboxMain::DatabaseProgress(TRecordStructList&, const QString& dir, bool& stop) {
    SetStatusText(dir);
    stop = Closing;
    QApplication::processEvents();
}

void TFrmCrateboxMain::tsSearchShow() {
    if (Updating)
        return;
    // Not loaded: never read, or read for another music root.
    const bool otherDatabase = !DatabaseLoaded;
    if (!DatabaseLoaded && LoadDatabase(*Database, MusicRoot))
        DatabaseLoaded = true;
    if (!SearchListFilled || otherDatabase) {
        try {
            FillSearchList();
        } catch (const EToolsError&) {
            // no file yet, or a damaged one: the next showing tries again
        }
    }
}

void TFrmCrateboxMain::FillSearchList() {
    Database->LoadFromFolder(MusicRoot);
    LV->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { LV->setUpdatesEnabled(true); });
    std::vector<TReportRow> rows;
    rows.reserve(static_cast<size_t>(Database->Count()));
    try {
        for (int i = 0; i < Database->Count(); ++i)
            rows.push_back({SearchRowTexts(*Database->GetRecord(i)), 0});
    } catch (...) {
        SearchModel->SetRows(std::move(rows)); // the rows before the damaged line stay
        throw;
    }
    SearchModel->SetRows(std::move(rows));
    ApplyStoredWidths(LV, QStringLiteral("LVCol"));
    SearchListFilled = true;
}

void TFrmCrateboxMain::BtUpdateDBClick() {
    if (MusicRoot.isEmpty() || !QFileInfo(MusicRoot).isDir() || Database->IsBuilding())
        return;
    LV->setUpdatesEnabled(false);
    BtUpdateDB->setEnabled(false); // one walk at a time
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TBuildResult result = TBuildResult::Stopped;
    const auto restore = qScopeGuard([&] {
        // A stopped walk changed nothing, so what was loaded stays loaded.
        if (result != TBuildResult::Stopped && result != TBuildResult::Busy)
            DatabaseLoaded = true;
        QApplication::restoreOverrideCursor();
        BtUpdateDB->setEnabled(true);
        LV->setUpdatesEnabled(true);
    });
    try {
        result = Database->BuildFromFolder(MusicRoot);
    } catch (...) {
        result = TBuildResult::Built; // the walk's lines until the error are loaded
        throw;
    }
    // Folders whose names are not text are left out: named once, after the
    // walk, in place of the last folder it showed.
    if (const QStringList& skipped = Database->SkippedFolders();
        !skipped.isEmpty() && result != TBuildResult::Stopped)
        SetStatusText(QStringLiteral("Skipped (name is not valid UTF-8): ") +
                      skipped.join(QStringLiteral(", ")));
    switch (result) {
    case TBuildResult::Built:
        FillSearchList();
        break;
    case TBuildResult::NotWritten: {
        // The file still holds the old lines: show the new ones, then report
        // why they could not be kept.
        std::vector<TReportRow> rows;
        for (int i = 0; i < Database->Count(); ++i)
            rows.push_back({SearchRowTexts(*Database->GetRecord(i)), 0});
        SearchModel->SetRows(std::move(rows));
        ApplyStoredWidths(LV, QStringLiteral("LVCol"));
        SearchListFilled = true;
        Database->SaveToFolder(MusicRoot);
        break;
    }
    case TBuildResult::Stopped:
    case TBuildResult::NoFolder:
    case TBuildResult::Busy:
        break;
    }
}

// --- filters and showing a record ---------------------------------------------------

void TFrmCrateboxMain::cbApplyFilterClick() {
    const bool on1 = cbApplyFilter->isChecked();
    const bool on2 = cbApplyFilter2->isChecked();
    const QString tag1 = TrimBlanks(cbTagsFilter->currentText());
    const QString tag2 = TrimBlanks(cbTagsFilter2->currentText());
    SearchModel->Filter([&](const TReportRow& row) {
        return PassesTagFilters(row.Cells.value(scTags), on1, tag1, on2, tag2);
    });
}

void TFrmCrateboxMain::BtShowRecordClick(QObject* sender) {
    QTreeView* list = sender == LVLike ? LVLike : LV;
    const auto* model = static_cast<const TReportListModel*>(list->model());
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QString path =
        model->Cell(selected.first().row(), list == LVLike ? int(ncPath) : int(scPath));
    // No node focused: the tree's focus handling runs and forgets its folder.
    if (QItemSelectionModel* treeSelection = VST->selectionModel())
        treeSelection->clear();
    PathOverride = path;
    if (PageControl->currentWidget() == tsMusic)
        ShowRecord(true); // already shown: no show handling will run
    else
        PageControl->setCurrentWidget(tsMusic);
}

void TFrmCrateboxMain::LVItemDblClick(QObject* sender) {
    BtShowRecordClick(sender);
}

// --- neighbours ----------------------------------------------------------------------

void TFrmCrateboxMain::tsLikeShow() {}

void TFrmCrateboxMain::btShowLikeClick() {
    if (!DatabaseLoaded && LoadDatabase(*Database, MusicRoot))
        DatabaseLoaded = true;
    // The record panel's tag field, as it stands (not trimmed).
    Database->ComputeScores(edTags->text());
    FillNeighbourList();
    PageControl->setCurrentWidget(tsLike);
}

void TFrmCrateboxMain::FillNeighbourList() {
    std::vector<TReportRow> rows;
    for (int i = 0; i < Database->Count(); ++i) {
        const TRecordStruct& record = *Database->GetRecord(i);
        if (record.Score >= 0)
            rows.push_back({NeighbourRowTexts(record), record.Score});
    }
    NeighbourModel->SetRows(std::move(rows));
    ApplyStoredWidths(LVLike, QStringLiteral("LVLikeCol"));
    NeighbourListFilled = true;
}
