// Main window: creation, settings, showing, layout and closing.
#include "app/cx_fmain.h"

#include "app/Cratebox_str.h"
#include "app/cx_fParameters.h"
#include "app/cx_mpris.h"
#include "app/cx_report_model.h"
#include "framework/qv_application.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "player/cx_player.h"
#include "player/gst_graph.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QTreeView>

namespace {
const QStringList kDefaultMusicExtensions = {QStringLiteral("mp3"), QStringLiteral("mpc"),
                                             QStringLiteral("ogg"), QStringLiteral("wav"),
                                             QStringLiteral("wma"), QStringLiteral("ape")};
const QString kDefaultPlaySong = QStringLiteral("\"audacious\"");
const QString kDefaultEnqueueSong = QStringLiteral("\"audacious\" --enqueue");
const QString kDefaultSearchImage = QStringLiteral("https://www.google.com/images?q=");

// Calls a function once the watched widget has been resized and laid out:
// an event filter sees the resize before the widget's layout has placed
// its children, so the call waits for the event loop (one call for many
// resizes, as while a splitter is dragged).
class TAfterResize : public QObject {
public:
    TAfterResize(QWidget* watched, std::function<void()> onResized)
        : QObject(watched), m_onResized(std::move(onResized)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && !m_pending) {
            m_pending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_pending = false;
                    RunGuarded(m_onResized);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onResized;
    bool m_pending = false;
};

void SetColumnWidth(QTableView* grid, int column, int width) {
    if (grid && grid->model() && grid->model()->columnCount() > column)
        grid->setColumnWidth(column, width);
}
} // namespace

TFrmCrateboxMain::TFrmCrateboxMain(QWidget* parent) : TFrmBaseMain(parent) {
    setObjectName(QStringLiteral("FrmCrateboxMain"));
    ChooseFolder = [this](const QString& caption, const QString& instruction,
                          const QString& current) {
        QFileDialog dialog(this, caption, current);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::LookIn, instruction);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().constFirst()
                   : QString();
    };
    BuildDesign();
    // The views are laid out again when the window or the list pane beside
    // the tree changes size.
    new TAfterResize(_pnList, [this] { FormResize(); });
    RunGuarded([this] { FormCreate(); });
}

TFrmCrateboxMain::~TFrmCrateboxMain() {
    FormDestroy();
}

void TFrmCrateboxMain::FormCreate() {
    Updating = true;
    DatabaseLoaded = false;
    Cratebox_str::AppendApplicationTexts();
    OnTranslated = [this](TqvForm*) { TranslateTexts(); };
    BaseFormCreate();
    // The lists behind the views are plain members; sorting rules apply
    // where entries are added.
    EmptyRecordBitmap.load(ApplicationDataPath(QStringLiteral("EmptyRecord.bmp")));
    ReadSettings();
    if (_lbPlaying)
        _lbPlaying->clear();
    if (!MusicRoot.isEmpty() && QDir(MusicRoot).exists()) {
        BuildTree(MusicRoot);
        if (NewsUpdateOnStart)
            RunGuarded([this] { BuildNewMusicList(false); });
    } else {
        BuildTree(QStringLiteral("/"));
    }
    _pnToolbarRoot->show();
}

void TFrmCrateboxMain::ReadSettings() {
    PlaySong = Contexte->ReadString(QStringLiteral("PlaySong"), kDefaultPlaySong);
    EnqueueSong = Contexte->ReadString(QStringLiteral("EnqueueSong"), kDefaultEnqueueSong);
    SearchImage = Contexte->ReadString(QStringLiteral("SearchImage"), kDefaultSearchImage);
    MusicExtensions.clear();
    Contexte->ReadStrings(MusicExtensions, QStringLiteral("MusicExt"));
    if (MusicExtensions.isEmpty())
        MusicExtensions = kDefaultMusicExtensions;
    MusicRoot = Contexte->ReadString(QStringLiteral("MusicRoot"));
    QStringList tags;
    Contexte->ReadStrings(tags, QStringLiteral("TagsList"));
    tags.sort(Qt::CaseInsensitive); // a sorted list, in the filters' order
    cbTagsList->clear();
    cbTagsList->addItems(tags);
    FillTagFilters();
    TreeRootFolder = MusicRoot;
    NewDays = Max(1, Min(999, Contexte->ReadInteger(QStringLiteral("NewDays"), 30)));
    NewMusicDir = Contexte->ReadString(QStringLiteral("NewMusicDir"), QStringLiteral("News"));
    BookmarkDir = Contexte->ReadString(QStringLiteral("BookmarkDir"), QStringLiteral("Bookmark"));
    NewsUpdateOnStart = Contexte->ReadBool(QStringLiteral("NewsUpdateOnStart"));
    UseDirDate = Contexte->ReadBool(QStringLiteral("UseDirDate"));
    UseInternalPlayer = Contexte->ReadBool(QStringLiteral("UseInternalPlayer"));
    PageControl->setTabVisible(tiPlayer, UseInternalPlayer);
    UpdateMediaControls();
    m_treeWidth = Max(50, Contexte->ReadInteger(QStringLiteral("ShellTreeView"), 250));
    _pnTree->resize(m_treeWidth, _pnTree->height());
    Splitter->setSizes({m_treeWidth, Max(1, Splitter->width() - m_treeWidth)});
}

void TFrmCrateboxMain::FormShow() {
    Updating = false;
    // Until the first layout the splitter has no room to share out.
    Splitter->setSizes({m_treeWidth, Max(1, Splitter->width() - m_treeWidth)});
    PageControl->setCurrentWidget(tsRecords);
    RelayoutViews();
}

void TFrmCrateboxMain::FormResize() {
    if (!Updating)
        RelayoutViews();
}

void TFrmCrateboxMain::showEvent(QShowEvent* event) {
    TFrmBaseMain::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TFrmCrateboxMain::resizeEvent(QResizeEvent* event) {
    TFrmBaseMain::resizeEvent(event);
    RunGuarded([this] { FormResize(); });
}

int TFrmCrateboxMain::TreePaneWidth() const {
    return m_shown ? _pnTree->width() : m_treeWidth;
}

void TFrmCrateboxMain::LanguageItemClick(QAction* item) {
    TFrmBaseMain::LanguageItemClick(item);
    RelayoutViews();
}

void TFrmCrateboxMain::TranslateTexts() {
    const TqvStringList& s = StringList();
    tbAll->setText(s.Get(Cratebox_str::All));
    TranslateDatabaseLists();
}

void TFrmCrateboxMain::FormClose() {
    TFrmBaseMain::FormClose();
    WriteSettings();
    Closing = true;
}

void TFrmCrateboxMain::WriteSettings() {
    if (SearchListFilled)
        for (int i = 0; i < LV->model()->columnCount(); ++i)
            Contexte->WriteInteger(QStringLiteral("LVCol%1").arg(i), LV->columnWidth(i));
    if (NeighbourListFilled)
        for (int i = 0; i < LVLike->model()->columnCount(); ++i)
            Contexte->WriteInteger(QStringLiteral("LVLikeCol%1").arg(i), LVLike->columnWidth(i));
    Contexte->WriteString(QStringLiteral("MusicRoot"), MusicRoot);
    Contexte->WriteString(QStringLiteral("PlaySong"), PlaySong);
    Contexte->WriteString(QStringLiteral("EnqueueSong"), EnqueueSong);
    Contexte->WriteStrings(MusicExtensions, QStringLiteral("MusicExt"));
    Contexte->WriteInteger(QStringLiteral("ShellTreeView"), TreePaneWidth());
    Contexte->WriteInteger(QStringLiteral("NewDays"), NewDays);
    Contexte->WriteString(QStringLiteral("NewMusicDir"), NewMusicDir);
    Contexte->WriteString(QStringLiteral("BookmarkDir"), BookmarkDir);
    Contexte->WriteString(QStringLiteral("SearchImage"), SearchImage);
    Contexte->WriteBool(QStringLiteral("NewsUpdateOnStart"), NewsUpdateOnStart);
    Contexte->WriteBool(QStringLiteral("UseDirDate"), UseDirDate);
    Contexte->WriteBool(QStringLiteral("UseInternalPlayer"), UseInternalPlayer);
    QStringList tags;
    for (int i = 0; i < cbTagsList->count(); ++i)
        tags << cbTagsList->itemText(i);
    Contexte->WriteStrings(tags, QStringLiteral("TagsList"));
    Contexte->WriteInteger(QStringLiteral("ShowReport"), ActiveTabForReport());
}

int TFrmCrateboxMain::ActiveTabForReport() const {
    const int index = PageControl->currentIndex();
    return index >= tiMusic && index <= tiRecords ? index : 5;
}

void TFrmCrateboxMain::FormDestroy() {
    RootEntries.clear();
    ToolbarEntries.clear();
    RenameFiles.clear();
    Songs.clear();
    Pictures.clear();
    MusicExtensions.clear();
    RecordEntries.clear();
    FolderPictures.clear();
    EmptyRecordBitmap = QPixmap();
}

void TFrmCrateboxMain::PopupMenuPopup() {
    TFrmBaseMain::PopupMenuPopup();
    const bool hasFolder = !CurrentFolder().isEmpty();
    cmRefreshNode->setEnabled(hasFolder);
    cmExplore->setEnabled(hasFolder);
    cmDelete->setEnabled(hasFolder);
}

void TFrmCrateboxMain::RelayoutViews() {
    LayoutRenameGrid();
    LayoutSongGrid();
    LayoutRecordsGrid();
    RefreshPlaylistView();
}

void TFrmCrateboxMain::LayoutRenameGrid() {
    if (!DrawGrid)
        return;
    const int width = DrawGrid->viewport()->width();
    SetColumnWidth(DrawGrid, 0, width / 2);
    SetColumnWidth(DrawGrid, 1, width - width / 2 - 1);
    DrawGrid->viewport()->update();
}

void TFrmCrateboxMain::LayoutSongGrid() {
    if (!DrawGridMusic)
        return;
    SetColumnWidth(DrawGridMusic, 0, DrawGridMusic->viewport()->width());
    DrawGridMusic->viewport()->update();
}

void TFrmCrateboxMain::LayoutTagsGrid() {
    if (!DrawGridTags)
        return;
    SetColumnWidth(DrawGridTags, 0, DrawGridTags->viewport()->width());
    DrawGridTags->viewport()->update();
}

void TFrmCrateboxMain::FillTagFilters() {
    QStringList items;
    for (int i = 0; i < cbTagsList->count(); ++i)
        items << cbTagsList->itemText(i);
    items.sort(Qt::CaseInsensitive);
    for (QComboBox* filter : {cbTagsFilter, cbTagsFilter2}) {
        filter->clear();
        filter->addItems(items);
    }
}

void TFrmCrateboxMain::cmSetMusicRootClick() {
    const TqvStringList& s = StringList();
    const QString chosen = ChooseFolder(s.Get(Cratebox_str::SelectMusicDirectory),
                                        s.Get(Cratebox_str::SetMusicRoot), MusicRoot);
    if (!chosen.isEmpty())
        SetMusicRootFolder(chosen);
}

void TFrmCrateboxMain::SetMusicRootFolder(const QString& folder) {
    MusicRoot = RemoveBackslash(folder);
    TreeRootFolder = MusicRoot;
    DatabaseLoaded = false;
    // The Search and Neighbour lists belong to the old root's database:
    // empty until the new root's is read (the Search tab reads it when
    // shown).  Their column widths stay.
    SearchModel->SetRows({});
    NeighbourModel->SetRows({});
    cmRefreshAllClick();
}

void TFrmCrateboxMain::cmRefreshAllClick() {
    BuildTree(!MusicRoot.isEmpty() && QDir(MusicRoot).exists() ? MusicRoot : QStringLiteral("/"));
    // The new tree has no focused node: the views show that, as after any
    // focus change (before the window is first shown, showing it does).
    if (m_shown)
        VSTFocusChanged();
}

void TFrmCrateboxMain::SetStatusText(const QString& text) {
    StatusPanel->setText(text);
}
