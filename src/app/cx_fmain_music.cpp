// Main window: the Music tab (record panel and song list).
#include "app/cx_fmain.h"

#include "app/Cratebox_str.h"
#include "app/cx_browser_rules.h"
#include "app/cx_foldertree.h"
#include "app/cx_record_panel.h"
#include "app/cx_song_list.h"
#include "framework/qv_Component.h"
#include "framework/qv_application.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {
template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Restores a flag when the scope ends, also when an error leaves it.
class TFlagRestorer {
public:
    TFlagRestorer(bool& flag, bool value) : m_flag(flag), m_value(value) {}
    ~TFlagRestorer() { m_flag = m_value; }
    TFlagRestorer(const TFlagRestorer&) = delete;
    TFlagRestorer& operator=(const TFlagRestorer&) = delete;

private:
    bool& m_flag;
    bool m_value;
};

// Enter in the tag list acts as "Add Tag".
class TEnterFilter : public QObject {
public:
    TEnterFilter(QObject* parent, std::function<void()> onEnter)
        : QObject(parent), m_onEnter(std::move(onEnter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                RunGuarded(m_onEnter);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
};

TqvLabel* RecordNameLabel(QWidget* parent, const char* name) {
    auto* label = Named(new TqvLabel(parent), name);
    label->SetAlignment(Qt::AlignHCenter);
    label->SetLayout(tlCenter);
    label->SetWordWrap(true);
    label->SetShadow(true);
    label->SetShadowX(1);
    label->SetShadowY(1);
    label->SetBorderStyle(lbsRaise);
    label->SetBorderWidth(1);
    // Folder names are shown as they are: "&" is no accelerator here.
    label->SetShowAccelChar(false);
    QFont font = label->font();
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(9);
    font.setBold(true);
    label->setFont(font);
    label->setMinimumHeight(34);
    return label;
}
} // namespace

void TFrmCrateboxMain::BuildMusicTab() {
    auto* page = new QGridLayout(tsMusic);
    page->setContentsMargins(6, 6, 6, 6);
    page->setHorizontalSpacing(8);
    page->setVerticalSpacing(6);

    // Left: the record information.
    _pnMusicInfo = Named(new QWidget(tsMusic), "_pnMusicInfo");
    _pnMusicInfo->setFixedWidth(202);
    _pnMusicInfo->setMinimumHeight(415);
    auto* info = new QVBoxLayout(_pnMusicInfo);
    info->setContentsMargins(0, 0, 0, 0);
    info->setSpacing(5);
    auto* playRow = new QHBoxLayout;
    btPlayDir = Named(new QPushButton(QStringLiteral("Play record"), _pnMusicInfo), "btPlayDir");
    btEnqueue = Named(new QPushButton(QStringLiteral("Enqueue record"), _pnMusicInfo), "btEnqueue");
    btPlayDir->setEnabled(false);
    btEnqueue->setEnabled(false);
    playRow->addWidget(btPlayDir);
    playRow->addWidget(btEnqueue);
    info->addLayout(playRow);
    _lbAuteur = RecordNameLabel(_pnMusicInfo, "_lbAuteur");
    _lbDisque = RecordNameLabel(_pnMusicInfo, "_lbDisque");
    info->addWidget(_lbAuteur);
    info->addWidget(_lbDisque);
    auto* values = new QGridLayout;
    values->setHorizontalSpacing(6);
    lbRelease = Named(new QLabel(QStringLiteral("Release"), _pnMusicInfo), "lbRelease");
    edRecordRelease = Named(new QLineEdit(_pnMusicInfo), "edRecordRelease");
    lbToDisk = Named(new QLabel(QStringLiteral("Rip"), _pnMusicInfo), "lbToDisk");
    edRecordRip = Named(new QLineEdit(_pnMusicInfo), "edRecordRip");
    lbRelease->setBuddy(edRecordRelease);
    lbToDisk->setBuddy(edRecordRip);
    values->addWidget(lbRelease, 0, 0);
    values->addWidget(edRecordRelease, 0, 1);
    values->addWidget(lbToDisk, 1, 0);
    values->addWidget(edRecordRip, 1, 1);
    info->addLayout(values);
    auto* markRow = new QHBoxLayout;
    _sbBookmarkIt =
        Named(new QPushButton(QStringLiteral("Bookmark it"), _pnMusicInfo), "_sbBookmarkIt");
    _sbBookmarkIt->setEnabled(false);
    _sbBookmarkIt->setProperty("Tag", 0);
    markRow->addWidget(_sbBookmarkIt);
    btShowLike =
        Named(new QPushButton(QStringLiteral("Show neighbours"), _pnMusicInfo), "btShowLike");
    btShowLike->setEnabled(false);
    markRow->addWidget(btShowLike);
    info->addLayout(markRow);
    pnImage = Named(new QFrame(_pnMusicInfo), "pnImage");
    static_cast<QFrame*>(pnImage)->setFrameShape(QFrame::StyledPanel);
    pnImage->setFixedSize(198, 198);
    pnImage->setToolTip(QStringLiteral("Look for an image ? Double click here"));
    pnImage->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pnImage, &QWidget::customContextMenuRequested, this, Guarded([this](const QPoint& pos) {
                if (PopupMenuImage && !PopupMenuImage->isEmpty())
                    PopupMenuImage->popup(pnImage->mapToGlobal(pos));
            }));
    ImageFolder = Named(new TqvImage(pnImage), "ImageFolder");
    ImageFolder->SaveSettings = false; // the cover is chosen by the record shown
    ImageFolder->setGeometry(6, 6, 186, 186);
    ImageFolder->SetStretch(smBoth);
    ImageFolder->SetCenter(true);
    ImageFolder->hide();
    info->addWidget(pnImage, 0, Qt::AlignHCenter);
    info->addStretch(1);
    page->addWidget(_pnMusicInfo, 0, 0);

    // Right: the songs.
    auto* songs = new QVBoxLayout;
    songs->setSpacing(5);
    auto* songRow = new QHBoxLayout;
    btPlaySong = Named(new QPushButton(QStringLiteral("Play song"), tsMusic), "btPlaySong");
    btEnqueueSong =
        Named(new QPushButton(QStringLiteral("Enqueue song"), tsMusic), "btEnqueueSong");
    btPlaySong->setEnabled(false);
    btEnqueueSong->setEnabled(false);
    songRow->addWidget(btPlaySong);
    songRow->addWidget(btEnqueueSong);
    songRow->addStretch(1);
    songs->addLayout(songRow);
    DrawGridMusic = Named(new QTableView(tsMusic), "DrawGridMusic");
    SongListModel = new TSongListModel(DrawGridMusic);
    DrawGridMusic->setModel(SongListModel);
    DrawGridMusic->setItemDelegate(
        new TSongNameDelegate([this] { return Updating; }, DrawGridMusic));
    DrawGridMusic->horizontalHeader()->hide();
    DrawGridMusic->verticalHeader()->hide();
    DrawGridMusic->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DrawGridMusic->verticalHeader()->setDefaultSectionSize(18);
    DrawGridMusic->horizontalHeader()->setStretchLastSection(true);
    DrawGridMusic->setShowGrid(false);
    DrawGridMusic->setSelectionBehavior(QAbstractItemView::SelectRows);
    DrawGridMusic->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DrawGridMusic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrawGridMusic->setAlternatingRowColors(true);
    DrawGridMusic->setWordWrap(false);
    DrawGridMusic->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DrawGridMusic, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& pos) {
                if (PopupMenuPlay && !PopupMenuPlay->isEmpty())
                    PopupMenuPlay->popup(DrawGridMusic->viewport()->mapToGlobal(pos));
            }));
    songs->addWidget(DrawGridMusic, 1);
    page->addLayout(songs, 0, 1);

    // Bottom: the tag string and the tags to add.
    auto* tagRow = new QHBoxLayout;
    Label1 = Named(new QLabel(QStringLiteral("Tags"), tsMusic), "Label1");
    edTags = Named(new QLineEdit(tsMusic), "edTags");
    Label1->setBuddy(edTags);
    cbTagsList = Named(new QComboBox(tsMusic), "cbTagsList");
    cbTagsList->setEditable(false);
    cbTagsList->setMaxVisibleItems(12);
    cbTagsList->setMinimumContentsLength(10);
    cbTagsList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    BtAddTag = Named(new QPushButton(QStringLiteral("Add Tag"), tsMusic), "BtAddTag");
    btSameTag = Named(new QPushButton(QStringLiteral("Same tag to all"), tsMusic), "btSameTag");
    tagRow->addWidget(Label1);
    tagRow->addWidget(edTags, 1);
    tagRow->addWidget(cbTagsList);
    tagRow->addWidget(BtAddTag);
    tagRow->addWidget(btSameTag);
    page->addLayout(tagRow, 1, 0, 1, 2);
    page->setColumnStretch(1, 1);
    page->setRowStretch(0, 1);

    for (QLineEdit* edit : {edRecordRelease, edRecordRip, edTags})
        connect(edit, &QLineEdit::textChanged, this,
                Guarded([this](const QString&) { edRecordChange(); }));
    connect(BtAddTag, &QPushButton::clicked, this, Guarded([this](bool) { BtAddTagClick(); }));
    connect(btPlayDir, &QPushButton::clicked, this, Guarded([this](bool) { btPlayDirClick(); }));
    connect(btEnqueue, &QPushButton::clicked, this, Guarded([this](bool) { btEnqueueClick(); }));
    connect(btPlaySong, &QPushButton::clicked, this, Guarded([this](bool) { cmPlayClick(); }));
    connect(btEnqueueSong, &QPushButton::clicked, this,
            Guarded([this](bool) { cmEnqueueClick(); }));
    connect(DrawGridMusic, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { DrawGridMusicDblClick(); }));
    connect(btSameTag, &QPushButton::clicked, this, Guarded([this](bool) { btSameTagClick(); }));
    cbTagsList->installEventFilter(new TEnterFilter(cbTagsList, [this] { BtAddTagClick(); }));
    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int) {
                if (PageControl->currentWidget() == tsMusic)
                    tsMusicShow();
            }));
    ClearRecordPanel();
}

void TFrmCrateboxMain::tsMusicShow() {
    if (Updating)
        return;
    ShowRecord(true);
    LayoutSongGrid();
}

void TFrmCrateboxMain::CollectFolderFiles(const QString& folder) {
    ForEachFile(AddBackslash(folder) + QStringLiteral("*.*"),
                [this](const QString&, const TFindRecord& find) {
                    switch (ClassifyFolderFile(find.Name, MusicExtensions)) {
                    case TFolderFileKind::Song:
                        AddSortedName(Songs, find.Name);
                        break;
                    case TFolderFileKind::Picture:
                        Pictures.append(find.Name);
                        break;
                    case TFolderFileKind::Other:
                        break;
                    }
                });
}

void TFrmCrateboxMain::ShowRecord(bool force) {
    QWidget* active = PageControl->currentWidget();
    if (!force && active != tsMusic && active != tsTag)
        return;
    Pictures.clear();
    Songs.clear();
    const QString folder = CurrentFolder();
    if (folder.isEmpty()) {
        {
            // Emptying the boxes must not write the former record's file.
            TFlagRestorer restore(RecordEditsLive, RecordEditsLive);
            RecordEditsLive = false;
            ClearRecordPanel();
        }
        SongListModel->SetSongs({});
        ImageFolder->hide();
        RefreshTagsGrid();
        DrawGridTagsClick();
        return;
    }

    CollectFolderFiles(folder);
    SongListModel->SetSongs(Songs);
    // The focused node shows the music-folder icon once its songs are
    // known (not when the folder shown is a record chosen in a list).
    if (TFolderNode* node = FocusedNode();
        node && !Songs.isEmpty() && SameFolder(node->Data.Path, folder))
        SetNodeImageIndex(node, fiMusicFolder);
    DrawGridMusic->viewport()->update();

    // Filling the boxes must not write either; edits are live again
    // afterwards, also when a step fails.
    RecordEditsLive = false;
    TFlagRestorer live(RecordEditsLive, true);
    RecordInfo = std::make_unique<TRecordInfo>(folder);
    ShowCover(folder);
    ShowRecordInfo();
    RefreshTagsGrid();

    const bool bookmarked = PathOverride.isEmpty() && FocusedNodeIsBookmarked();
    _sbBookmarkIt->setText(
        StringList().Get(bookmarked ? Cratebox_str::RemoveBookmark : Cratebox_str::BookmarkIt));
    _sbBookmarkIt->setProperty("Tag", bookmarked ? -1 : 0);

    if (Songs.isEmpty()) {
        ClearRecordPanel();
        DrawGridTagsClick();
        return;
    }
    const QString path = RemoveBackslash(folder);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash > 0 ? path.left(slash) : QString();
    _lbAuteur->SetCaption(parent.mid(parent.lastIndexOf(QLatin1Char('/')) + 1));
    _lbDisque->SetCaption(path.mid(slash + 1));
    for (QWidget* control : std::initializer_list<QWidget*>{
             edRecordRelease, edTags, BtAddTag, btSameTag, cbTagsList, edRecordRip, btPlayDir,
             btEnqueue, btEnqueueSong, btPlaySong, _sbBookmarkIt, btShowLike})
        if (control)
            control->setEnabled(true);
    SetPlayMenuEnabled(true);
    // The selected song's tags last: a tag that cannot be read is reported
    // without leaving the panel half filled.
    DrawGridTagsClick();
}

void TFrmCrateboxMain::ShowCover(const QString& folder) {
    ImageFolder->hide();
    const QString cover = PanelCoverPath(folder, Pictures);
    if (cover.isEmpty())
        return;
    // Decoded once at the cheapest scale that still fills the picture
    // control; a cover that cannot be decoded leaves the control hidden and
    // is reported once, while the rest of the panel is still filled in.
    const QImage picture = CoverPicture(cover, ImageFolder->size(), TCoverFit::Reduce);
    if (picture.isNull())
        return;
    ImageFolder->SetPicture(picture);
    ImageFolder->show();
}

void TFrmCrateboxMain::ShowRecordInfo() {
    RecordInfo->Load();
    edRecordRelease->setText(QString::number(RecordInfo->Release));
    edRecordRip->setText(DateToStr(RecordInfo->Rip));
    edTags->setText(RecordInfo->Tags);
}

void TFrmCrateboxMain::ClearRecordPanel() {
    _lbAuteur->SetCaption(QString());
    _lbDisque->SetCaption(QString());
    edRecordRelease->clear();
    edTags->clear();
    edRecordRip->clear();
    for (QWidget* control : std::initializer_list<QWidget*>{
             edRecordRelease, edTags, BtAddTag, btSameTag, cbTagsList, edRecordRip, btPlayDir,
             btEnqueue, btEnqueueSong, btPlaySong, _sbBookmarkIt, btShowLike})
        if (control)
            control->setEnabled(false);
    SetPlayMenuEnabled(false);
}

void TFrmCrateboxMain::SaveRecordEdits() {
    if (!RecordInfo)
        return;
    bool ok = false;
    const int release = edRecordRelease->text().trimmed().toInt(&ok);
    RecordInfo->Release = ok ? release : 0;
    RecordInfo->Tags = edTags->text();
    TDateTime rip = 0;
    RecordInfo->Rip = TryStrToDate(edRecordRip->text(), rip) ? rip : 1.0;
    RecordInfo->Save();
}

void TFrmCrateboxMain::edRecordChange() {
    if (RecordEditsLive)
        SaveRecordEdits();
}

void TFrmCrateboxMain::BtAddTagClick() {
    const QString tags = AddTagToList(edTags->text(), cbTagsList->currentText());
    if (tags != edTags->text())
        edTags->setText(tags); // its change handler writes the file
}

void TFrmCrateboxMain::btSameTagClick() {
    if (MusicRoot.isEmpty() || !QDir(MusicRoot).exists())
        return;
    const QString folder = RemoveBackslash(CurrentFolder());
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    // The records next to this one; never the whole file system.
    if (slash <= 0)
        return;
    TWaitCursor wait;
    TagLeafFolders(folder.left(slash), edTags->text());
}

int TFrmCrateboxMain::TagLeafFolders(const QString& folder, const QString& tags) {
    return ::TagLeafFolders(folder, tags, [this] {
        if (Closing)
            return false;
        QCoreApplication::processEvents();
        return !Closing;
    });
}
