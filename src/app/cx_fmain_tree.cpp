// Main window: the music tree, the toolbar of top-level folders, the
// folder actions and the List tab.
#include "app/cx_browser_rules.h"
#include "app/cx_fmain.h"
#include "app/cx_foldertree.h"
#include "app/cx_shelllist.h"

#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_tools.h"
#include "platform/file_ops.h"
#include "platform/picture_loader.h"
#include "platform/rename_journal.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <exception>

namespace {

constexpr int kToolbarFolderTag = 1000;
constexpr int kFixedToolbarImages = 4;
enum ToolbarImage { tiAll = 0, tiFolder = 1, tiBookmark = 2, tiNews = 3 };

// The fixed pictures, in the order of their indices.
const char* const kToolbarPictures[] = {"icons/toolbar-all.png", "icons/toolbar-folder.png",
                                        "icons/toolbar-bookmark.png", "icons/toolbar-news.png"};
const char* const kTreePictures[] = {"icons/tree-folder.png", "icons/tree-top.png",
                                     "icons/tree-parent.png", "icons/tree-music.png"};

QPixmap DataPicture(const char* name) {
    return QPixmap(ApplicationDataPath(QLatin1String(name)));
}

bool IsExistingFolder(const QString& path) {
    const auto st = FileStatus(path, true);
    return st && st->IsDirectory;
}

bool IsExistingFile(const QString& path) {
    const auto st = FileStatus(path, true);
    return st && st->IsRegular;
}

// While the tree's focus change is handled: the window disabled and the
// tab handlers silent; both restored however the handling ends.
class TFocusHandling {
public:
    explicit TFocusHandling(TFrmCrateboxMain& window)
        : m_window(window), m_updating(window.Updating), m_enabled(window.isEnabled()),
          m_focus(QApplication::focusWidget()) {
        m_window.setEnabled(false);
        m_window.Updating = true;
    }
    ~TFocusHandling() {
        m_window.Updating = m_updating;
        m_window.setEnabled(m_enabled);
        if (m_focus && m_focus->isEnabled() && m_window.isActiveWindow())
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    TFocusHandling(const TFocusHandling&) = delete;
    TFocusHandling& operator=(const TFocusHandling&) = delete;

private:
    TFrmCrateboxMain& m_window;
    bool m_updating;
    bool m_enabled;
    QPointer<QWidget> m_focus;
};

} // namespace

// --- design and wiring ------------------------------------------------------------

void TFrmCrateboxMain::BuildListTab() {
    auto* layout = new QVBoxLayout(tsList);
    layout->setContentsMargins(0, 0, 0, 0);
    ShellListView = new QTreeView(tsList);
    ShellListView->setObjectName(QStringLiteral("ShellListView"));
    ShellListView->setRootIsDecorated(false);
    ShellListView->setItemsExpandable(false);
    ShellListView->setUniformRowHeights(true);
    ShellListView->setAlternatingRowColors(true);
    ShellListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ShellListView->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::SelectedClicked);
    ShellListView->setContextMenuPolicy(Qt::CustomContextMenu);
    ShellListView->setDragDropMode(QAbstractItemView::DragOnly);
    layout->addWidget(ShellListView);

    PopupMenuShellList = new QMenu(ShellListView);
    PopupMenuShellList->setObjectName(QStringLiteral("PopupMenuShellList"));
    cmListOpen = PopupMenuShellList->addAction(QStringLiteral("Open"));
    cmListOpen->setObjectName(QStringLiteral("cmListOpen"));
    cmListRename = PopupMenuShellList->addAction(QStringLiteral("Rename"));
    cmListRename->setObjectName(QStringLiteral("cmListRename"));
    cmListTrash = PopupMenuShellList->addAction(QStringLiteral("Move to trash"));
    cmListTrash->setObjectName(QStringLiteral("cmListTrash"));
}

void TFrmCrateboxMain::BuildTreeArea() {
    ImageList.clear();
    for (const char* name : kTreePictures)
        ImageList.append(DataPicture(name));
    ImageListToolbar.clear();
    for (const char* name : kToolbarPictures)
        ImageListToolbar.append(DataPicture(name));
    tbAll->setIcon(QIcon(ImageListToolbar.at(tiAll)));
    tbAll->setProperty("ImageIndex", int(tiAll));

    VSTModel = new TFolderTreeModel(VST);
    VSTModel->OnInitNode = [this](TFolderNode& node) { VSTInitNode(node); };
    VSTModel->OnFreeNode = [this](TFolderNode& node) { VSTFreeNode(node); };
    VSTModel->OnNewText = [this](TFolderNode& node, const QString& text) {
        bool renamed = false;
        RunGuarded([&] { renamed = VSTNewText(node, text); });
        return renamed;
    };
    QList<QIcon> icons;
    for (const QPixmap& picture : ImageList)
        icons.append(QIcon(picture));
    VSTModel->SetImages(icons);
    VST->setModel(VSTModel);
    VST->setIconSize(QSize(16, 16));
    VST->setSelectionBehavior(QAbstractItemView::SelectRows);
    VST->setSelectionMode(QAbstractItemView::SingleSelection);
    VST->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    VST->setExpandsOnDoubleClick(true);
    VST->setAnimated(false);

    connect(VST->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guarded([this](const QModelIndex&, const QModelIndex&) {
                // The focus moves off nodes that are being removed: handle it
                // once the tree has settled.
                if (VSTModel->IsChanging())
                    QMetaObject::invokeMethod(
                        this, [this] { RunGuarded([this] { VSTFocusChanged(); }); },
                        Qt::QueuedConnection);
                else
                    VSTFocusChanged();
            }));
    connect(VST, &QTreeView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { VSTDblClick(); }));
    connect(ToolBar, &QToolBar::actionTriggered, this,
            Guarded([this](QAction* button) { toolButtonClick(button); }));
    connect(cmRefreshNode, &QAction::triggered, this,
            Guarded([this](bool) { cmRefreshNodeClick(); }));
    connect(cmExplore, &QAction::triggered, this, Guarded([this](bool) { cmExploreClick(); }));
    connect(cmDelete, &QAction::triggered, this, Guarded([this](bool) { cmDeleteClick(); }));
    connect(cmUndoRenames, &QAction::triggered, this,
            Guarded([this](bool) { cmUndoRenamesClick(); }));
    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int index) {
                if (PageControl->widget(index) == tsList)
                    tsListShow();
            }));

    // The List tab.
    connect(ShellListView, &QTreeView::doubleClicked, this,
            Guarded([this](const QModelIndex& index) { ShellListViewDblClick(index); }));
    connect(ShellListView, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& position) { ShellListViewContextMenu(position); }));
    connect(cmListOpen, &QAction::triggered, this,
            Guarded([this](bool) { ShellListViewDblClick(ShellListView->currentIndex()); }));
    connect(cmListRename, &QAction::triggered, this, Guarded([this](bool) {
                if (ShellListView->currentIndex().isValid())
                    ShellListView->edit(ShellListView->currentIndex().siblingAtColumn(0));
            }));
    connect(cmListTrash, &QAction::triggered, this, Guarded([this](bool) {
                if (!ShellListModel)
                    return;
                QStringList paths;
                for (const QModelIndex& index :
                     ShellListView->selectionModel()->selectedRows(TShellListModel::colName))
                    paths << ShellListModel->FilePath(index);
                for (const QString& path : paths)
                    ShellRecycle(path, true, true);
            }));
}

// --- tree and toolbar ---------------------------------------------------------------

bool TFrmCrateboxMain::IsSpecialFolder(const QString& folder) const {
    const QString root = AddBackslash(MusicRoot);
    return SameFolder(folder, root + NewMusicDir) || SameFolder(folder, root + BookmarkDir);
}

void TFrmCrateboxMain::BuildTree(const QString& folder) {
    FillTree(folder);
    RebuildToolbar(folder);
}

void TFrmCrateboxMain::FillTree(const QString& folder) {
    NewsNode = nullptr;
    BookmarkNode = nullptr;
    VSTModel->Clear();
    // No node is focused until the user picks one (the view would otherwise
    // focus the first node when it gets the keyboard focus).
    VST->setCurrentIndex(QModelIndex());
    if (!IsExistingFolder(folder))
        return;
    TreeRootFolder = RemoveBackslash(folder);
    RootEntries = RootEntriesOf(TreeRootFolder);
    VSTModel->SetChildCount(VSTModel->RootNode(), int(RootEntries.size()));
}

void TFrmCrateboxMain::ListSubfolderCovers(const QString& folder, QStringList& list) {
    list = SubfolderCoverEntries(folder, VirtualShellLink, &FolderPictures);
}

QString TFrmCrateboxMain::CoverOf(const QString& folder, const QString& name) {
    return CoverEntryOf(folder, name, &FolderPictures);
}

int TFrmCrateboxMain::AddToolbarImage(const QString& picture) {
    // Through the cover cache shared with the grid and the record panel, so
    // that a picture which cannot be decoded is reported once, wherever it
    // shows first; -1 when it failed before and was reported then.
    const TCoverCache::TCover cover = CoverCache.Get(picture, QSize(48, 48));
    if (cover.Picture.isNull()) {
        if (cover.NewError)
            throw EToolsError(cover.Error);
        return -1;
    }
    ImageListToolbar.append(QPixmap::fromImage(cover.Picture));
    return int(ImageListToolbar.size()) - 1;
}

void TFrmCrateboxMain::RebuildToolbar(const QString& folder) {
    ListSubfolderCovers(folder, ToolbarEntries);
    const QList<QAction*> buttons = ToolBar->actions();
    for (qsizetype i = buttons.size() - 1; i >= 0; --i) {
        if (buttons[i] == tbAll)
            continue;
        ToolBar->removeAction(buttons[i]);
        delete buttons[i];
    }
    while (ImageListToolbar.size() > kFixedToolbarImages)
        ImageListToolbar.removeLast();
    tbAll->setToolTip(tbAll->text());

    const QString news = AddBackslash(MusicRoot) + NewMusicDir;
    const QString bookmarks = AddBackslash(MusicRoot) + BookmarkDir;
    QStringList errors;
    for (qsizetype i = 0; i < ToolbarEntries.size(); ++i) {
        const QString& entry = ToolbarEntries.at(i);
        const QString entryFolder = CoverEntryFolder(entry);
        auto* button = new QAction(LastPathPart(entryFolder), ToolBar);
        button->setToolTip(button->text());
        // The caption is the name unchanged: an icon text taken from the
        // text would lose its "&" and "...".
        button->setIconText(QString(button->text()).replace(QLatin1Char('&'), QLatin1String("&&")));
        button->setData(kToolbarFolderTag + int(i));
        int image = tiFolder;
        const QString cover = EntryFirstField(entry);
        bool hasCover = IsExistingFile(cover);
        if (hasCover) {
            try {
                image = AddToolbarImage(cover);
                hasCover = image >= 0;
            } catch (const EToolsError& e) {
                // A picture that cannot be read leaves its button with the
                // plain folder picture; it is reported once.
                hasCover = false;
                errors << e.Message;
            }
        }
        if (!hasCover) {
            if (SameFolder(entryFolder, news))
                image = tiNews;
            else if (SameFolder(entryFolder, bookmarks))
                image = tiBookmark;
            else
                image = tiFolder;
        }
        button->setIcon(QIcon(ImageListToolbar.at(image)));
        button->setProperty("ImageIndex", image);
        ToolBar->addAction(button);
        if (auto* tool = qobject_cast<QToolButton*>(ToolBar->widgetForAction(button)))
            tool->setMinimumSize(55, 66);
    }
    if (!errors.isEmpty())
        HandleApplicationError(
            std::make_exception_ptr(EToolsError(errors.join(QLatin1Char('\n')))));
}

void TFrmCrateboxMain::toolButtonClick(QAction* button) {
    if (!button)
        return;
    PathOverride.clear();
    const int tag = button->data().toInt();
    if (tag >= kToolbarFolderTag) {
        const int i = tag - kToolbarFolderTag;
        if (i >= ToolbarEntries.size())
            return;
        const QString folder = CoverEntryFolder(ToolbarEntries.at(i));
        _lbMusicRoot->setText(LastPathPart(folder));
        FillTree(folder);
        if (SameFolder(folder, AddBackslash(MusicRoot) + BookmarkDir))
            BookmarkNode = VSTModel->RootNode();
        AutoSelectTab();
        RefreshViews();
    } else {
        BuildTree(IsExistingFolder(MusicRoot) ? MusicRoot : QStringLiteral("/"));
        _lbMusicRoot->setText(button->text());
        RefreshViews();
    }
}

// --- nodes ------------------------------------------------------------------------------

void TFrmCrateboxMain::VSTInitNode(TFolderNode& node) {
    TFolderNodeData& data = node.Data;
    data.Children.reset();
    data.ImageIndex = fiNestedFolder;
    data.Hint.clear();
    const TFolderNode* parent = node.Parent();
    if (!parent)
        return;
    if (!parent->IsRoot()) {
        if (parent->Data.Children && node.Index() < parent->Data.Children->size()) {
            const QString& entry = parent->Data.Children->at(node.Index());
            data.Path = EntrySecondField(entry);
            data.Name = EntryFirstField(entry);
            data.ShortcutFile = EntryThirdField(entry);
            // A bookmark or new-music entry whose record is gone.
            if (!data.ShortcutFile.isEmpty() && !IsExistingFolder(data.Path))
                data.Hint = QStringLiteral("missing");
        }
        return;
    }
    if (node.Index() < RootEntries.size()) {
        const QString& entry = RootEntries.at(node.Index());
        data.Path = EntrySecondField(entry);
        data.Name = EntryFirstField(entry);
        data.ShortcutFile = EntryThirdField(entry);
        data.ImageIndex = fiTopFolder;
        const QString root = AddBackslash(MusicRoot);
        if (SameFolder(data.Path, root + NewMusicDir))
            NewsNode = &node;
        else if (SameFolder(data.Path, root + BookmarkDir))
            BookmarkNode = &node;
    }
}

void TFrmCrateboxMain::VSTFreeNode(TFolderNode& node) {
    if (NewsNode == &node)
        NewsNode = nullptr;
    if (BookmarkNode == &node)
        BookmarkNode = nullptr;
}

TFolderNode* TFrmCrateboxMain::FocusedNode() const {
    return VSTModel ? VSTModel->NodeFromIndex(VST->currentIndex()) : nullptr;
}

QString TFrmCrateboxMain::CurrentFolder() const {
    if (!PathOverride.isEmpty())
        return PathOverride;
    const TFolderNode* node = FocusedNode();
    return node ? node->Data.Path : QString();
}

void TFrmCrateboxMain::LoadChildren(TFolderNode* node) {
    if (!node || node->IsRoot())
        return;
    auto entries = std::make_unique<QStringList>(
        ChildEntriesOf(node->Data.Path, IsSpecialFolder(node->Data.Path), VirtualShellLink));
    const int count = int(entries->size());
    node->Data.Children = std::move(entries);
    // Child nodes that stay are given their entry again when the folder's
    // content moved under them, so that they never show another folder.
    const int kept = std::min(count, node->ChildCount());
    for (int i = 0; i < kept; ++i) {
        TFolderNode* child = VSTModel->Child(node, i);
        const QString& entry = node->Data.Children->at(i);
        if (child->Data.Path != EntrySecondField(entry) ||
            child->Data.Name != EntryFirstField(entry) ||
            child->Data.ShortcutFile != EntryThirdField(entry))
            VSTModel->ReinitNode(child);
    }
    VSTModel->SetChildCount(node, count);
    if (count > 0 && node->Level() >= 1)
        node->Data.ImageIndex = fiParentFolder;
    VST->expand(VSTModel->IndexOf(node));
    VSTModel->NodeChanged(node);
}

void TFrmCrateboxMain::RefreshNode(TFolderNode* node) {
    if (!node || node->IsRoot())
        return;
    const QModelIndex index = VSTModel->IndexOf(node);
    const bool expanded = VST->isExpanded(index);
    VSTModel->DeleteChildren(node);
    VSTModel->NodeChanged(node);
    if (expanded) {
        LoadChildren(node);
        VST->setExpanded(VSTModel->IndexOf(node), expanded);
    }
}

void TFrmCrateboxMain::SetNodeImageIndex(TFolderNode* node, qint32 imageIndex) {
    if (!node || node->IsRoot())
        return;
    node->Data.ImageIndex = imageIndex;
    VSTModel->NodeChanged(node);
}

bool TFrmCrateboxMain::FocusedNodeIsBookmarked() const {
    const TFolderNode* node = FocusedNode();
    return node && node->IsBelow(BookmarkNode);
}

void TFrmCrateboxMain::VSTFocusChanged() {
    PathOverride.clear();
    SetStatusText(CurrentFolder());
    TFocusHandling handling(*this);
    LoadChildren(FocusedNode());
    AutoSelectTab();
    RefreshViews();
}

bool TFrmCrateboxMain::VSTNewText(TFolderNode& node, const QString& newText) {
    TFolderNodeData& data = node.Data;
    if (newText == data.Name && newText == LastPathPart(data.Path))
        return false;
    // A name with "/" would move the folder elsewhere: refused like any name
    // the file system does not take.
    const qsizetype slash = data.Path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || newText.isEmpty() || newText == QLatin1String(".") ||
        newText == QLatin1String("..") || newText.contains(QLatin1Char('/')) ||
        newText.contains(QChar(0)))
        return false;
    const QString newPath = data.Path.left(slash + 1) + newText;
    const QString oldPath = data.Path;
    WarnIfRenamesNotJournaled();
    if (!TRenameBatch().Rename(oldPath, newPath))
        return false;
    const bool wasCurrent = PathOverride.isEmpty() && FocusedNode() == &node;
    // Bookmarks and new-music entries keep leading to the folder.
    FolderRenamed(oldPath, newPath);
    data.Path = newPath;
    data.Name = newText;
    // A shortcut keeps leading to the folder it was made for.
    if (!data.ShortcutFile.isEmpty())
        CreateShortcut(newPath, data.ShortcutFile);
    // The children's paths lie below the old name.
    RefreshNode(&node);
    if (wasCurrent) {
        SetStatusText(CurrentFolder());
        RefreshViews();
    }
    return true;
}

void TFrmCrateboxMain::VSTDblClick() {
    QWidget* active = PageControl->currentWidget();
    if (active == tsRecords || active == tsMusic)
        return;
    PageControl->setCurrentWidget(tsMusic);
    AutoSelectTab();
}

void TFrmCrateboxMain::AutoSelectTab() {
    QWidget* active = PageControl->currentWidget();
    if (active != tsRecords && active != tsMusic)
        return;
    Songs.clear();
    Pictures.clear();
    const QString folder = CurrentFolder();
    if (!folder.isEmpty())
        CollectFolderFiles(folder);
    PageControl->setCurrentWidget(Songs.isEmpty() ? tsRecords : tsMusic);
}

void TFrmCrateboxMain::ShowFolder(const QString& folder) {
    if (!IsExistingFolder(folder))
        throw EToolsError(QStringLiteral("The folder %1 does not exist").arg(folder));
    if (QItemSelectionModel* treeSelection = VST->selectionModel())
        treeSelection->clear(); // the focus handling runs now and forgets its folder
    PathOverride = RemoveBackslash(QDir(folder).absolutePath());
    SetStatusText(CurrentFolder());
    QWidget* active = PageControl->currentWidget();
    if (active != tsMusic && active != tsRecords)
        PageControl->setCurrentWidget(tsRecords);
    AutoSelectTab();
    RefreshViews();
}

void TFrmCrateboxMain::RefreshViews() {
    RefreshRenameList(false);
    ShowRecord(false);
    RefreshRecordsGrid(false);
    RefreshListTab(false);
}

// --- folder actions -----------------------------------------------------------------------

void TFrmCrateboxMain::cmExploreClick() {
    ShellOpen(CurrentFolder());
}

void TFrmCrateboxMain::cmDeleteClick() {
    const QString folder = CurrentFolder();
    if (folder.isEmpty())
        return;
    // Only the node of the folder that goes: a record shown from a list
    // leaves the tree's focused node alone.
    TFolderNode* node = FocusedNode();
    // A node reached through a shortcut (a bookmark, a new-music entry, a
    // shortcut of the root): the shortcut goes, never the folder it leads to.
    if (PathOverride.isEmpty() && node && !node->Data.ShortcutFile.isEmpty()) {
        const QString link = node->Data.ShortcutFile;
        if (!Confirm(QStringLiteral("The shortcut \"%1\" will be moved to the trash; the folder "
                                    "it points to stays (\"%2\").")
                         .arg(link, node->Data.Path)))
            return;
        if (!ShellRecycle(link, true, false))
            return;
        VST->selectionModel()->clearCurrentIndex();
        VSTModel->DeleteNode(node);
        return;
    }
    if (node && (!PathOverride.isEmpty() || node->Data.Path != folder))
        node = nullptr;
    if (!ShellRecycle(folder, true, true))
        return;
    if (node) {
        VST->selectionModel()->clearCurrentIndex();
        VSTModel->DeleteNode(node);
    }
}

void TFrmCrateboxMain::WarnIfRenamesNotJournaled() {
    static bool warned = false;
    if (warned || RenameJournalWritable())
        return;
    warned = true;
    HandleApplicationError(std::make_exception_ptr(
        EToolsError(QStringLiteral("The rename journal \"%1\" cannot be written: the renames "
                                   "made now cannot be undone.")
                        .arg(RenameJournalPath()))));
}

void TFrmCrateboxMain::cmUndoRenamesClick() {
    const TUndoRun preview = UndoLastRenames(RenameJournalPath(), true);
    if (!preview.Found) {
        SetStatusText(QStringLiteral("No renames to undo"));
        return;
    }
    if (!Confirm(QStringLiteral("Give back their old names to the %1 files renamed on %2?")
                     .arg(preview.Batch.Renames.size())
                     .arg(QDateTime::fromString(preview.Batch.Time, Qt::ISODate)
                              .toLocalTime()
                              .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))))
        return;
    const TUndoRun run = UndoLastRenames();
    QStringList refused;
    for (const TUndoStep& step : run.Steps) {
        if (step.Outcome == TUndoStep::Restored)
            FolderRenamed(step.Current, step.Previous); // shortcuts follow back
        else if (step.Outcome != TUndoStep::NeverMade)
            refused << QStringLiteral("\"%1\": %2").arg(step.Current, UndoOutcomeText(step));
    }
    // Folders of the tree may have got their old names back.
    cmRefreshAllClick();
    SetStatusText(QStringLiteral("%1 renames undone").arg(run.Steps.size() - refused.size()));
    if (!refused.isEmpty())
        HandleApplicationError(std::make_exception_ptr(
            EToolsError(QStringLiteral("Some renames could not be undone:\n") +
                        refused.join(QLatin1Char('\n')))));
}

void TFrmCrateboxMain::cmRefreshNodeClick() {
    RefreshNode(FocusedNode());
}

// --- List tab -----------------------------------------------------------------------------

void TFrmCrateboxMain::tsListShow() {
    if (!Updating)
        RefreshListTab(true);
}

void TFrmCrateboxMain::RefreshListTab(bool force) {
    if (!force && PageControl->currentWidget() != tsList)
        return;
    QString folder = CurrentFolder();
    if (folder.isEmpty())
        folder = TreeRootFolder;
    if (!ShellListModel) {
        ShellListModel = new TShellListModel(ShellListView);
        ShellListModel->OnError = [](const QString& message) {
            HandleApplicationError(std::make_exception_ptr(EToolsError(message)));
        };
        ShellListModel->OnRenamed = [this](const QString& oldPath, const QString& newPath) {
            RunGuarded([&] { FolderRenamed(oldPath, newPath); });
        };
        ShellListModel->OnRenaming = [this] { RunGuarded([&] { WarnIfRenamesNotJournaled(); }); };
        ShellListView->setModel(ShellListModel);
        ShellListView->setSortingEnabled(true);
        ShellListView->sortByColumn(TShellListModel::colType, Qt::AscendingOrder);
        ShellListView->header()->setSectionResizeMode(TShellListModel::colName,
                                                      QHeaderView::Stretch);
        ShellListView->header()->setStretchLastSection(false);
    }
    if (ShellListModel->RootFolder() == folder && ShellListView->rootIndex().isValid())
        return;
    ShellListView->setRootIndex(ShellListModel->SetRootFolder(folder));
}

void TFrmCrateboxMain::ShellListViewDblClick(const QModelIndex& index) {
    if (!ShellListModel || !index.isValid())
        return;
    ShellOpen(ShellListModel->FilePath(index));
}

void TFrmCrateboxMain::ShellListViewContextMenu(const QPoint& position) {
    const QModelIndex index = ShellListView->indexAt(position);
    const bool onItem = index.isValid();
    cmListOpen->setEnabled(onItem);
    cmListRename->setEnabled(onItem);
    cmListTrash->setEnabled(onItem);
    PopupMenuShellList->popup(ShellListView->viewport()->mapToGlobal(position));
}
