// Main window: the Records tab (grid of covers).
#include "app/cx_fmain.h"

#include "app/cx_records_grid.h"
#include "app/cx_records_layout.h"
#include "framework/qv_application.h"
#include "framework/qv_tools.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

void TFrmCrateboxMain::BuildRecordsTab() {
    auto* layout = new QVBoxLayout(tsRecords);
    layout->setContentsMargins(0, 0, 0, 0);
    DrawGridRecord = new TRecordsGrid(tsRecords);
    DrawGridRecord->setObjectName(QStringLiteral("DrawGridRecord"));
    DrawGridRecord->SetEntries(&RecordEntries);
    DrawGridRecord->SetPaused([this] { return Updating; });
    DrawGridRecord->SetCoverProvider(
        [this](const QString& path, const QSize& size) { return CoverPicture(path, size); });
    DrawGridRecord->SetCoverPrefetch(
        [this](const QStringList& paths, const QSize& size) { CoverCache.Prefetch(paths, size); });
    layout->addWidget(DrawGridRecord);
    connect(DrawGridRecord, &TRecordsGrid::CellDoubleClicked, this,
            Guarded([this] { DrawGridRecordDblClick(); }));
    connect(DrawGridRecord, &TRecordsGrid::PopupRequested, this, Guarded([this](const QPoint& pos) {
                if (PopupMenuPlay && !PopupMenuPlay->isEmpty())
                    PopupMenuPlay->popup(pos);
            }));
    // Also when the splitter moves, not only when the window is resized.
    connect(DrawGridRecord, &TRecordsGrid::Resized, this, Guarded([this] {
                if (!Updating)
                    LayoutRecordsGrid();
            }));
    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int) {
                if (PageControl->currentWidget() == tsRecords)
                    tsRecordsShow();
            }));
}

void TFrmCrateboxMain::LayoutRecordsGrid() {
    if (!DrawGridRecord)
        return;
    // The empty-record picture is loaded at creation, after the design.
    DrawGridRecord->SetEmptyPicture(EmptyRecordBitmap);
    const TRecordsGridSize size =
        RecordsGridSize(DrawGridRecord->ClientWidth(), int(RecordEntries.size()));
    DrawGridRecord->SetGridSize(size.ColumnCount, size.RowCount);
}

void TFrmCrateboxMain::RefreshRecordsGrid(bool force) {
    if (!force && PageControl->currentWidget() != tsRecords)
        return;
    const QString current = CurrentFolder();
    ListSubfolderCovers(current.isEmpty() ? TreeRootFolder : current, RecordEntries);
    LayoutRecordsGrid();
}

void TFrmCrateboxMain::tsRecordsShow() {
    if (Updating)
        return;
    RefreshRecordsGrid(true);
    LayoutRecordsGrid();
    SetPlayMenuEnabled(true);
}

QString TFrmCrateboxMain::RecordsGridCurrentFolder() const {
    const int index = RecordCellIndex(DrawGridRecord->CurrentColumn(), DrawGridRecord->CurrentRow(),
                                      DrawGridRecord->ColumnCount());
    if (index < 0 || index >= RecordEntries.size())
        return QString();
    return RecordEntryFolder(RecordEntries.at(index));
}

void TFrmCrateboxMain::DrawGridRecordDblClick() {
    PlayRecordFolder(RecordsGridCurrentFolder(), false);
}

void TFrmCrateboxMain::SetPlayMenuEnabled(bool enabled) {
    if (!PopupMenuPlay)
        return;
    for (QAction* action : PopupMenuPlay->actions())
        if (action->objectName() == QLatin1String("cmPlay") ||
            action->objectName() == QLatin1String("cmEnqueue"))
            action->setEnabled(enabled);
}

QImage TFrmCrateboxMain::CoverPicture(const QString& path, const QSize& size, TCoverFit fit) {
    TCoverCache::TCover cover = CoverCache.Get(path, size, fit);
    if (cover.NewError) {
        // Reported after the current event (often a paint) has finished,
        // through the application's error handler, once per file.
        const QString message = cover.Error;
        QMetaObject::invokeMethod(
            this,
            [message] { HandleApplicationError(std::make_exception_ptr(EToolsError(message))); },
            Qt::QueuedConnection);
    }
    return cover.Picture;
}
