#pragma once
// The main window.  One class; its member functions are defined in one file
// per area (cx_fmain.cpp: life cycle, settings and layout; the tab files
// build and run their own tabs).

#include "app/cx_cover_cache.h"
#include "framework/qv_Component.h"
#include "framework/qv_fbaseMain.h"
#include "framework/qv_shortcut.h"
#include "records/cx_database.h"
#include "records/cx_records.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include <memory>

class IMediaGraph;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QSpinBox;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;
class QTreeView;
class TGstOutput;
class TMprisService;
class TPlayerCore;
class TTextGridModel;
class TFolderNode;
class TFrmParameters;
class TFolderTreeModel;
class TShellListModel;
class TRecordsGrid;
class TSongListModel;
class TReportListModel;

class TFrmCrateboxMain : public TFrmBaseMain {
    Q_OBJECT
public:
    explicit TFrmCrateboxMain(QWidget* parent = nullptr);
    ~TFrmCrateboxMain() override;

    // Index of each tab, in the order of the page control.
    enum TabIndex { tiMusic, tiList, tiRename, tiTag, tiRecords, tiSearch, tiLike, tiPlayer };

    // --- components -------------------------------------------------------
    QWidget* _pnToolbarRoot = nullptr;
    QToolBar* ToolBar = nullptr;
    QAction* tbAll = nullptr;
    QSplitter* Splitter = nullptr;
    QWidget* _pnTree = nullptr;
    TqvLabel* _lbMusicRoot = nullptr;
    QTreeView* VST = nullptr;
    QWidget* _pnList = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* tsMusic = nullptr;
    QWidget* tsList = nullptr;
    QWidget* tsRename = nullptr;
    QWidget* tsTag = nullptr;
    QWidget* tsRecords = nullptr;
    QWidget* tsSearch = nullptr;
    QWidget* tsLike = nullptr;
    QWidget* tsPlayer = nullptr;
    QLabel* StatusPanel = nullptr; // the status bar's one panel
    QMenu* PopupMenuPlay = nullptr;
    QMenu* PopupMenuImage = nullptr;
    QAction* cmRefreshAll = nullptr;
    QAction* cmRefreshNode = nullptr;
    QAction* cmExplore = nullptr;
    QAction* cmDelete = nullptr;
    QAction* cmUndoRenames = nullptr;
    QAction* cmNews = nullptr;
    QAction* cmParameters = nullptr;
    QAction* cmSetMusicRoot = nullptr;
    QList<QPixmap> ImageList;        // tree icons, 16 x 16
    QList<QPixmap> ImageListToolbar; // toolbar pictures, 48 x 48

    // Views of the tabs (their behaviour comes with each tab's area).
    QComboBox* cbTagsList = nullptr;
    QTableView* DrawGridMusic = nullptr;
    QTreeView* ShellListView = nullptr;
    QTableView* DrawGrid = nullptr; // rename grid
    QTableView* DrawGridTags = nullptr;
    QComboBox* cbID3v1Genre = nullptr;
    TRecordsGrid* DrawGridRecord = nullptr;
    QPushButton* BtUpdateDB = nullptr;
    QTreeView* LV = nullptr;
    QPushButton* BtShowRecord = nullptr;
    QCheckBox* cbApplyFilter = nullptr;
    QComboBox* cbTagsFilter = nullptr;
    QCheckBox* cbApplyFilter2 = nullptr;
    QComboBox* cbTagsFilter2 = nullptr;
    QPushButton* btShowLike = nullptr;
    QTreeView* LVLike = nullptr;
    QLabel* _lbPlaying = nullptr;
    QTableView* sgSongList = nullptr;

    // --- state --------------------------------------------------------------
    bool Updating = true;
    bool Closing = false;
    bool DatabaseLoaded = false;
    bool SearchListFilled = false;
    bool NeighbourListFilled = false;
    bool RecordEditsLive = false;
    QPixmap EmptyRecordBitmap;
    QString MusicRoot;
    QString TreeRootFolder;
    QString PathOverride;
    QStringList RootEntries;
    QStringList ToolbarEntries;
    QStringList RenameFiles;
    QStringList Songs;
    QStringList Pictures;
    QStringList MusicExtensions;
    QStringList RecordEntries;
    QStringList FolderPictures;
    QString PlaySong;
    QString EnqueueSong;
    QString SearchImage;
    qint32 NewDays = 30;
    QString NewMusicDir;
    QString BookmarkDir;
    bool NewsUpdateOnStart = false;
    bool UseDirDate = false;
    bool UseInternalPlayer = false;

    // --- operations -------------------------------------------------------------
    void FormShow();
    void FormResize();
    void RelayoutViews();
    void LayoutRenameGrid();
    void LayoutSongGrid();
    void LayoutTagsGrid();
    void LayoutRecordsGrid();
    void FillTagFilters();
    void cmSetMusicRootClick();
    // Opens the parameters dialog filled with the current values and takes
    // them back when confirmed (cx_fmain_parameters.cpp).
    void cmParametersClick();
    // The parameters dialog, when the program did not make one.
    std::unique_ptr<TFrmParameters> OwnParameters;
    void SetMusicRootFolder(const QString& folder); // the chooser's confirmed result
    void BuildTree(const QString& folder);
    void cmRefreshAllClick();
    void SetStatusText(const QString& text);
    void RefreshPlaylistView();

    // --- tree, toolbar and List tab (cx_fmain_tree.cpp) ---------------------
    // The folder the views work on: a record chosen in a list, else the
    // folder of the tree's focused node.
    QString CurrentFolder() const;
    // Refreshes each view for a new current folder, when its tab is active.
    void RefreshViews();
    void AutoSelectTab();
    // Shows a folder given by path, not by a tree node (command line): a
    // record on the Music tab, another folder's records on the Records tab.
    void ShowFolder(const QString& folder);
    void RefreshListTab(bool force);
    // The tree's nodes and their records.
    TFolderTreeModel* VSTModel = nullptr;
    // Top-level nodes of the new-music and bookmark folders (the bookmark
    // node is the hidden root while the bookmark folder's button is shown).
    TFolderNode* NewsNode = nullptr;
    TFolderNode* BookmarkNode = nullptr;
    // The shortcut reader of the tree and toolbar listings.
    TVirtualShellLink VirtualShellLink;
    TShellListModel* ShellListModel = nullptr;
    QMenu* PopupMenuShellList = nullptr;
    QAction* cmListOpen = nullptr;
    QAction* cmListRename = nullptr;
    QAction* cmListTrash = nullptr;

    void FillTree(const QString& folder);
    void RebuildToolbar(const QString& folder);
    // Clears list, then adds cover|name for each sub-folder and each shortcut
    // to a folder of folder.
    void ListSubfolderCovers(const QString& folder, QStringList& list);
    // cover|name of folder (FolderPictures receives its picture files when no
    // Folder.* picture is there).
    QString CoverOf(const QString& folder, const QString& name);
    // Appends the picture, stretched to 48 x 48, to ImageListToolbar and
    // returns its index; EToolsError when it cannot be read.
    int AddToolbarImage(const QString& picture);
    void toolButtonClick(QAction* button);
    // The tree's focused node, or none.
    TFolderNode* FocusedNode() const;
    void LoadChildren(TFolderNode* node);
    void RefreshNode(TFolderNode* node);
    // Sets a node's icon (ImageIndex) and repaints it.
    void SetNodeImageIndex(TFolderNode* node, qint32 imageIndex);
    // True when the focused node lies below BookmarkNode.
    bool FocusedNodeIsBookmarked() const;
    void VSTInitNode(TFolderNode& node);
    void VSTFreeNode(TFolderNode& node);
    void VSTFocusChanged();
    // The end of an in-place rename of node; true when the folder was renamed.
    bool VSTNewText(TFolderNode& node, const QString& newText);
    void VSTDblClick();
    void cmExploreClick();
    void cmDeleteClick();
    void cmUndoRenamesClick();
    // Before renames: tells once a session that the rename journal cannot
    // be written, so that these renames could not be undone.
    void WarnIfRenamesNotJournaled();
    void cmRefreshNodeClick();
    void tsListShow();
    void ShellListViewDblClick(const QModelIndex& index);
    void ShellListViewContextMenu(const QPoint& position);
    void BuildTreeArea(); // the tree's model, toolbar and folder actions
    // True for the new-music and bookmark folders of the music root.
    bool IsSpecialFolder(const QString& folder) const;
    // (tree area: add further members here)

    // --- Music tab: record panel and song list (cx_fmain_music.cpp) ---------
    void ShowRecord(bool force);
    void CollectFolderFiles(const QString& folder);
    void tsMusicShow();
    void ShowCover(const QString& folder);
    void ShowRecordInfo();
    void ClearRecordPanel();
    void SaveRecordEdits();
    void edRecordChange();
    void BtAddTagClick();
    void btSameTagClick();
    // Gives the tag string to every folder without sub-folders below folder;
    // lets pending events run once per folder and stops when Closing is set.
    int TagLeafFolders(const QString& folder, const QString& tags);
    QWidget* _pnMusicInfo = nullptr;
    QPushButton* btPlayDir = nullptr;
    QPushButton* btEnqueue = nullptr;
    TqvLabel* _lbAuteur = nullptr;
    TqvLabel* _lbDisque = nullptr;
    QLabel* lbRelease = nullptr;
    QLineEdit* edRecordRelease = nullptr;
    QLabel* lbToDisk = nullptr;
    QLineEdit* edRecordRip = nullptr;
    QPushButton* _sbBookmarkIt = nullptr;
    QWidget* pnImage = nullptr;
    TqvImage* ImageFolder = nullptr;
    QPushButton* btPlaySong = nullptr;
    QPushButton* btEnqueueSong = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edTags = nullptr;
    QPushButton* BtAddTag = nullptr;
    QPushButton* btSameTag = nullptr;
    // The rows of DrawGridMusic (the tag editor's song grid can share it).
    TSongListModel* SongListModel = nullptr;
    // Information of the folder last shown by ShowRecord.
    std::unique_ptr<TRecordInfo> RecordInfo;
    // (record panel area: add further members here)

    // --- new-music list, bookmarks, cover search and paste
    //     (cx_fmain_shortcuts.cpp) ---------------------------------------------
    void BuildShortcutsArea(); // menu items and wiring
    void cmNewsClick();
    // Rebuilds the new-music folder; refused names are reported, a walk
    // stopped by closing the window changes nothing.
    void BuildNewMusicList(bool showProgress);
    void _sbBookmarkItClick();
    void ImageFolderDblClick();
    void PopupMenuImagePopup();
    void cmPasteImageClick();
    // Stores a picture as the current record's "Folder.bmp" and shows it.
    void SaveCoverPicture(const QImage& picture);
    // Picture files dropped on the cover.
    void ImageFolderDropFiles(const QStringList& files);
    // A folder was renamed in Tralu: the shortcuts of the new-music and
    // bookmark folders follow it, and so do their nodes.
    void FolderRenamed(const QString& oldPath, const QString& newPath);
    QAction* cmImageSearch = nullptr;
    QAction* cmPasteImage = nullptr;

    // --- Records tab: grid of covers (cx_fmain_records.cpp) -----------------
    void RefreshRecordsGrid(bool force);
    void tsRecordsShow();
    void DrawGridRecordDblClick();
    // The record folder of the grid's current cell; empty for an empty cell.
    QString RecordsGridCurrentFolder() const;
    // Hands a record folder to the player: to the built-in one through
    // QueueRecordFolder, else to the play (replace) or enqueue command.  An
    // empty folder does nothing.
    void PlayRecordFolder(const QString& folder, bool replace);
    // Appends one song to the built-in player's playlist, else hands it to
    // the enqueue command.
    void EnqueueSongFile(const QString& path);
    // Enables the items cmPlay and cmEnqueue of PopupMenuPlay.
    void SetPlayMenuEnabled(bool enabled);
    // A cover at the size it is shown, from the cover cache.  A cover that
    // cannot be decoded gives a null picture and is reported through the
    // application's error handler once (after the current event), not at
    // every repaint.
    QImage CoverPicture(const QString& path, const QSize& size, TCoverFit fit = TCoverFit::Stretch);
    TCoverCache CoverCache;
    // (records grid area: add further members here)

    // --- Player tab (cx_fmain_player.cpp) ------------------------------------
    // The built-in player, made at its first use; its playlist, current
    // index and graphs are the core's.
    TPlayerCore& Player();
    TPlayerCore* PlayerIfMade() const { return FPlayer.get(); }
    // Makes graph 1 or 2 of the built-in player; empty: the GStreamer graphs
    // over one audio output.  Tests put fake graphs in place before the
    // player's first use.
    std::function<std::unique_ptr<IMediaGraph>(int number)> MediaGraphFactory;
    void PlayIndex(int i);
    void ShowNowPlaying();
    void _sbPlayClick();
    void _sbPauseClick();
    void _sbStopClick();
    void tsPlayerShow();
    void sgSongListDblClick();
    void sgSongListKeyDown(int key);
    // The row of the entry at CurrentIndex in italics, the others upright.
    void MarkCurrentRow();
    // The desktop media controls follow the "UseInternalPlayer" setting:
    // registered on the session bus while it is on.
    void UpdateMediaControls();
    TMprisService* MediaControls() const { return FMpris.get(); }
    QToolButton* _sbPlay = nullptr;
    QToolButton* _sbPause = nullptr;
    QToolButton* _sbStop = nullptr;
    QButtonGroup* PlayerButtons = nullptr;
    QSlider* DSTrackBar1 = nullptr;
    QSlider* DSTrackBar2 = nullptr;
    // (player area: add further members here)

    // --- play commands of the Music and Records tabs (cx_fmain_play.cpp) ---
    void btPlayDirClick();
    void btEnqueueClick();
    void DrawGridMusicDblClick();
    void cmPlayClick();
    void cmEnqueueClick();
    // Feeds one record folder to the built-in player: its music files in
    // name order; replace clears the playlist first.  Plays from entry 0
    // when replace is set or the playlist was empty.
    void QueueRecordFolder(const QString& folder, bool replace);
    QAction* cmPlay = nullptr;
    QAction* cmEnqueue = nullptr;

    // --- Rename tab (cx_fmain_rename.cpp) -----------------------------------
    void RefreshRenameList(bool force);
    // (rename area: add further members here)
    QWidget* _pnTools = nullptr;
    QPushButton* sbRename = nullptr;
    QLineEdit* edFiles = nullptr;
    QCheckBox* cbSortByDate = nullptr;
    QLineEdit* edSep = nullptr;
    QSpinBox* edNsep = nullptr;   // with its up-down buttons (UpDownNSep)
    QSpinBox* edEndSep = nullptr; // with its up-down buttons (UpDownEndSep)
    TTextGridModel* RenameGridModel = nullptr;
    void tsRenameShow();
    void edNsepChange();
    void sbRenameClick();
    // The text of a rename grid cell (row 0 is the first file).
    QString RenameGridCell(int row, int column) const;

    // --- Search and Neighbour tabs (cx_fmain_search.cpp) --------------------
    // The record database of the music root, with DatabaseProgress as its
    // progress handler.
    std::unique_ptr<TRecordStructList> Database;
    TReportListModel* SearchModel = nullptr;    // behind LV
    TReportListModel* NeighbourModel = nullptr; // behind LVLike
    void tsSearchShow();
    void tsLikeShow();
    void BtUpdateDBClick();
    // Shows the selected record of LV, or of LVLike when it is the sender,
    // in the Music tab.
    void BtShowRecordClick(QObject* sender);
    void LVItemDblClick(QObject* sender);
    void cbApplyFilterClick();
    void FillSearchList();
    void DatabaseProgress(TRecordStructList& sender, const QString& dir, bool& stop);
    void btShowLikeClick();
    void FillNeighbourList();
    // Sets the column captions of both lists again (language change).
    void TranslateDatabaseLists();
    // (search area: add further members here)

    // --- Tag infos tab (cx_fmain_tags.cpp) ----------------------------------
    // (tag editor area: add further members here)
    std::unique_ptr<TID3v1> ID3v1Tag;
    std::unique_ptr<TID3v2> ID3v2Tag;
    TTextGridModel* TagsGridModel = nullptr;
    QWidget* _pnid3v1 = nullptr;
    QCheckBox* _cbID3V1 = nullptr;
    QLineEdit* ID3V1_TagVersionValue = nullptr;
    QLineEdit* ID3V1_TitleEdit = nullptr;
    QLineEdit* ID3V1_ArtistEdit = nullptr;
    QLineEdit* ID3V1_AlbumEdit = nullptr;
    QLineEdit* ID3V1_TrackEdit = nullptr;
    QLineEdit* ID3V1_YearEdit = nullptr;
    QComboBox* ID3V1_GenreComboBox = nullptr; // the same box as cbID3v1Genre
    QLineEdit* ID3V1_CommentEdit = nullptr;
    QCheckBox* _cbID3V2 = nullptr;
    QLineEdit* ID3V2_TagVersionValue = nullptr;
    QLineEdit* ID3V2_SizeValue = nullptr;
    QLineEdit* ID3V2_TitleEdit = nullptr;
    QLineEdit* ID3V2_ArtistEdit = nullptr;
    QLineEdit* ID3V2_AlbumEdit = nullptr;
    QLineEdit* ID3V2_TrackEdit = nullptr;
    QLineEdit* ID3V2_YearEdit = nullptr;
    QLineEdit* ID3V2_GenreEdit = nullptr;
    QLineEdit* ID3V2_CommentEdit = nullptr;
    QPushButton* btSaveTags = nullptr;
    QPushButton* btNormalizeTags = nullptr;
    QPushButton* btTagToFilename = nullptr;
    void tsTagShow();
    // The song list changed: the tag grid gets one row per song (one when
    // there are none) and is repainted.  Call DrawGridTagsClick after it.
    void RefreshTagsGrid();
    void DrawGridTagsClick();
    void _cbID3V1Click();
    void _cbID3V2Click();
    void btSaveTagsClick();
    void btNormalizeTagsClick();
    void btTagToFilenameClick();
    void ClearID3v1Group();
    void ClearID3v2Group();
    void EnableID3v1Group(bool on);
    void EnableID3v2Group(bool on);
    void LoadSelectedSongTags(bool forced);
    void SaveID3v1FromEdits(const QString& path);
    void SaveID3v2FromEdits(const QString& path);
    void RemoveID3v1(const QString& path);
    void RemoveID3v2(const QString& path);
    // The path of the song in the top selected row of DrawGridTags, or "".
    QString SelectedTagSongPath() const;
    // The tree pane's width as it will be stored.
    int TreePaneWidth() const;

    // Chooses a folder for "Set music root"; tests replace it.
    std::function<QString(const QString& caption, const QString& instruction,
                          const QString& current)>
        ChooseFolder;

protected:
    void FormCreate();
    void FormClose() override;
    void FormDestroy();
    void PopupMenuPopup() override;
    void LanguageItemClick(QAction* item) override;
    void TranslateTexts(); // the OnTranslated handler

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildDesign();
    void BuildMusicTab();
    void BuildListTab();
    void BuildRenameTab();
    void BuildTagTab();
    void BuildRecordsTab();
    void BuildSearchTab();
    void BuildLikeTab();
    void BuildPlayerTab();
    void ReadSettings();
    void WriteSettings();
    int ActiveTabForReport() const;

    bool m_shown = false;
    int m_treeWidth = 250;
    // The built-in player and what it plays through, destroyed in this
    // order's reverse: the core first, the audio output last.
    std::unique_ptr<TGstOutput> FAudioOutput;
    std::unique_ptr<IMediaGraph> FGraph1;
    std::unique_ptr<IMediaGraph> FGraph2;
    std::unique_ptr<TPlayerCore> FPlayer;
    std::unique_ptr<TMprisService> FMpris;
    // The play commands: the selected rows of the song list, first and last
    // (-1 when none).
    std::pair<int, int> SelectedSongRows() const;
    // The songs of those rows, in list order; none when no song is selected.
    QStringList SelectedSongs() const;
    // Starts the external player's command with the path as its argument.
    void RunPlayerCommand(const QString& command, const QString& path);
};
