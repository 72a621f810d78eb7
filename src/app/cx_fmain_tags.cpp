// Main window: the Tag infos tab (tag editor, normalizing, tags to file
// names).
#include "app/cx_fmain.h"

#include "app/Cratebox_str.h"
#include "app/cx_record_panel.h"
#include "app/cx_song_list.h"
#include "app/cx_textgrid.h"
#include "framework/qv_application.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "songs/cx_songfiles.h"
#include "songs/cx_songnames.h"
#include "songs/cx_songruns.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Runs run, then finish, also when run raises an error; an error of either
// is raised again afterwards (the first one when both raise).
template <class Run, class Finish> void RunThenFinish(Run&& run, Finish&& finish) {
    std::exception_ptr error;
    try {
        run();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        finish();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    if (error)
        std::rethrow_exception(error);
}

QString FromTag(const std::string& text) {
    return QString::fromStdString(text);
}
std::string ToTag(const QString& text) {
    return text.toStdString();
}

[[noreturn]] void RaiseTagError(int textNumber, const QString& path) {
    throw ETagException(StringList().Get(textNumber) + path);
}

// The edits both groups have, for the fields both tag kinds have.
struct TTagEdits {
    QLineEdit* Title;
    QLineEdit* Artist;
    QLineEdit* Album;
    QLineEdit* Year;
    QLineEdit* Comment;
};

template <class Tag> void ShowTagFields(const Tag& tag, const TTagEdits& edits) {
    edits.Title->setText(FromTag(tag.Title()));
    edits.Artist->setText(FromTag(tag.Artist()));
    edits.Album->setText(FromTag(tag.Album()));
    edits.Year->setText(FromTag(tag.Year()));
    edits.Comment->setText(FromTag(tag.Comment()));
}

template <class Tag> void TakeTagFields(Tag& tag, const TTagEdits& edits, const QLineEdit* track) {
    tag.SetTitle(ToTag(edits.Title->text()));
    tag.SetArtist(ToTag(edits.Artist->text()));
    tag.SetAlbum(ToTag(edits.Album->text()));
    tag.SetYear(ToTag(edits.Year->text()));
    tag.SetComment(ToTag(edits.Comment->text()));
    tag.SetTrack(TrackFromText(track->text()));
}

template <class Tag> void WriteTagOrRaise(Tag& tag, const QString& path) {
    if (!SongFileExists(path) || !tag.WriteTag(LocalPath(path)))
        RaiseTagError(Cratebox_str::CannotSaveTag, path);
}

TTagEdits ID3v1Edits(const TFrmCrateboxMain& w) {
    return {w.ID3V1_TitleEdit, w.ID3V1_ArtistEdit, w.ID3V1_AlbumEdit, w.ID3V1_YearEdit,
            w.ID3V1_CommentEdit};
}

TTagEdits ID3v2Edits(const TFrmCrateboxMain& w) {
    return {w.ID3V2_TitleEdit, w.ID3V2_ArtistEdit, w.ID3V2_AlbumEdit, w.ID3V2_YearEdit,
            w.ID3V2_CommentEdit};
}

QLabel* AddLabel(QGridLayout* grid, QWidget* parent, const QString& name, const QString& caption,
                 int row, int column) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    grid->addWidget(label, row, column);
    return label;
}

// The labelled rows below the version row, the same in both groups; the
// labels are named "lb" + kind + "_Title" and so on.
void PlaceFieldRows(QGridLayout* grid, QWidget* parent, const char* kind, const TTagEdits& edits,
                    QLineEdit* track, QWidget* genre) {
    const auto label = [&](const char* field, int row, int column) {
        AddLabel(grid, parent,
                 QStringLiteral("lb%1_%2").arg(QLatin1String(kind), QLatin1String(field)),
                 QLatin1String(field), row, column);
    };
    const std::pair<const char*, QWidget*> wide[] = {
        {"Title", edits.Title}, {"Artist", edits.Artist}, {"Album", edits.Album}};
    int row = 2;
    for (const auto& [field, widget] : wide) {
        label(field, row, 0);
        grid->addWidget(widget, row++, 1, 1, 3);
    }
    label("Track", 5, 0);
    grid->addWidget(track, 5, 1);
    label("Year", 5, 2);
    grid->addWidget(edits.Year, 5, 3);
    label("Genre", 6, 0);
    grid->addWidget(genre, 6, 1, 1, 3);
    label("Comment", 7, 0);
    grid->addWidget(edits.Comment, 7, 1, 1, 3);
}

QLineEdit* AddEdit(QWidget* parent, const char* name, int maxLength = -1, bool readOnly = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    if (readOnly) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    return edit;
}

} // namespace

void TFrmCrateboxMain::BuildTagTab() {
    ID3v1Tag = std::make_unique<TID3v1>();
    ID3v2Tag = std::make_unique<TID3v2>();

    auto* column = new QVBoxLayout(tsTag);
    column->setContentsMargins(4, 4, 4, 4);
    DrawGridTags = new QTableView(tsTag);
    DrawGridTags->setObjectName(QStringLiteral("DrawGridTags"));
    TagsGridModel = new TTextGridModel(
        1,
        [this](int row, int) {
            return row < Songs.size() ? SongDisplayName(Songs[row]) : QString();
        },
        {}, DrawGridTags);
    DrawGridTags->setModel(TagsGridModel);
    DrawGridTags->setItemDelegate(new TSongNameDelegate([this] { return Updating; }, DrawGridTags));
    DrawGridTags->horizontalHeader()->hide();
    DrawGridTags->verticalHeader()->hide();
    DrawGridTags->verticalHeader()->setMinimumSectionSize(18);
    DrawGridTags->verticalHeader()->setDefaultSectionSize(18);
    DrawGridTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    DrawGridTags->setSelectionMode(QAbstractItemView::SingleSelection);
    DrawGridTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrawGridTags->setShowGrid(false);
    DrawGridTags->setWordWrap(false);
    column->addWidget(DrawGridTags, 1);
    TagsGridModel->SetRowCount(1);

    _pnid3v1 = new QWidget(tsTag);
    _pnid3v1->setObjectName(QStringLiteral("_pnid3v1"));
    auto* panel = new QVBoxLayout(_pnid3v1);
    panel->setContentsMargins(0, 4, 0, 0);
    auto* groups = new QHBoxLayout();
    panel->addLayout(groups);

    // ID3v1 group (left).
    auto* v1 = new QGridLayout();
    v1->setColumnStretch(1, 1);
    v1->setColumnStretch(3, 1);
    _cbID3V1 = new QCheckBox(QStringLiteral("ID3V1"), _pnid3v1);
    _cbID3V1->setObjectName(QStringLiteral("_cbID3V1"));
    QFont bold = _cbID3V1->font();
    bold.setBold(true);
    _cbID3V1->setFont(bold);
    v1->addWidget(_cbID3V1, 0, 0, 1, 2);
    ID3V1_TagVersionValue = AddEdit(_pnid3v1, "ID3V1_TagVersionValue", -1, true);
    ID3V1_TitleEdit = AddEdit(_pnid3v1, "ID3V1_TitleEdit", 30);
    ID3V1_ArtistEdit = AddEdit(_pnid3v1, "ID3V1_ArtistEdit", 30);
    ID3V1_AlbumEdit = AddEdit(_pnid3v1, "ID3V1_AlbumEdit", 30);
    ID3V1_TrackEdit = AddEdit(_pnid3v1, "ID3V1_TrackEdit", 3);
    ID3V1_YearEdit = AddEdit(_pnid3v1, "ID3V1_YearEdit", 4);
    cbID3v1Genre = new QComboBox(_pnid3v1);
    cbID3v1Genre->setObjectName(QStringLiteral("ID3V1_GenreComboBox"));
    ID3V1_GenreComboBox = cbID3v1Genre;
    ID3V1_CommentEdit = AddEdit(_pnid3v1, "ID3V1_CommentEdit", 30);
    AddLabel(v1, _pnid3v1, QStringLiteral("lbID3V1_TagVersion"), QStringLiteral("Tag version"), 1,
             0);
    v1->addWidget(ID3V1_TagVersionValue, 1, 1, 1, 3);
    PlaceFieldRows(v1, _pnid3v1, "ID3V1", ID3v1Edits(*this), ID3V1_TrackEdit, cbID3v1Genre);
    groups->addLayout(v1, 1);
    groups->addSpacing(12);

    // ID3v2 group (right).
    auto* v2 = new QGridLayout();
    v2->setColumnStretch(1, 1);
    v2->setColumnStretch(3, 1);
    _cbID3V2 = new QCheckBox(QStringLiteral("ID3V2"), _pnid3v1);
    _cbID3V2->setObjectName(QStringLiteral("_cbID3V2"));
    _cbID3V2->setFont(bold);
    v2->addWidget(_cbID3V2, 0, 0, 1, 2);
    ID3V2_TagVersionValue = AddEdit(_pnid3v1, "ID3V2_TagVersionValue", -1, true);
    ID3V2_SizeValue = AddEdit(_pnid3v1, "ID3V2_SizeValue", -1, true);
    ID3V2_TitleEdit = AddEdit(_pnid3v1, "ID3V2_TitleEdit");
    ID3V2_ArtistEdit = AddEdit(_pnid3v1, "ID3V2_ArtistEdit");
    ID3V2_AlbumEdit = AddEdit(_pnid3v1, "ID3V2_AlbumEdit");
    ID3V2_TrackEdit = AddEdit(_pnid3v1, "ID3V2_TrackEdit", 3);
    ID3V2_YearEdit = AddEdit(_pnid3v1, "ID3V2_YearEdit", 4);
    ID3V2_GenreEdit = AddEdit(_pnid3v1, "ID3V2_GenreEdit");
    ID3V2_CommentEdit = AddEdit(_pnid3v1, "ID3V2_CommentEdit");
    AddLabel(v2, _pnid3v1, QStringLiteral("lbID3V2_TagVersion"), QStringLiteral("Tag version"), 1,
             0);
    v2->addWidget(ID3V2_TagVersionValue, 1, 1);
    v2->addWidget(ID3V2_SizeValue, 1, 2, 1, 2);
    PlaceFieldRows(v2, _pnid3v1, "ID3V2", ID3v2Edits(*this), ID3V2_TrackEdit, ID3V2_GenreEdit);
    groups->addLayout(v2, 1);

    auto* buttons = new QHBoxLayout();
    const auto addButton = [&](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, _pnid3v1);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
        return button;
    };
    btSaveTags = addButton("btSaveTags", QStringLiteral("Save current tag"));
    btNormalizeTags = addButton("btNormalizeTags", QStringLiteral("Normalize all tags"));
    btTagToFilename = addButton("btTagToFilename", QStringLiteral("Tags to filenames"));
    buttons->addStretch(1);
    panel->addLayout(buttons);
    column->addWidget(_pnid3v1);

    // The genre list: an empty item, then the genre names in index order.
    cbID3v1Genre->addItem(QString());
    for (std::string_view name : GenreNames)
        cbID3v1Genre->addItem(QString::fromUtf8(name.data(), qsizetype(name.size())));
    cbID3v1Genre->setMaxVisibleItems(20);
    // The longest genre names would make the tab wider than the room
    // beside the tree.
    cbID3v1Genre->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbID3v1Genre->setMinimumContentsLength(8);
    ClearID3v1Group();
    ClearID3v2Group();
    btSaveTags->setEnabled(false);
    btNormalizeTags->setEnabled(false);

    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int index) {
                if (index == tiTag)
                    tsTagShow();
            }));
    // A click on a row, or moving to it with the keyboard.
    connect(DrawGridTags->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded([this](const QItemSelection&, const QItemSelection&) { DrawGridTagsClick(); }));
    connect(_cbID3V1, &QCheckBox::clicked, this, Guarded([this](bool) { _cbID3V1Click(); }));
    connect(_cbID3V2, &QCheckBox::clicked, this, Guarded([this](bool) { _cbID3V2Click(); }));
    connect(btSaveTags, &QPushButton::clicked, this, Guarded([this](bool) { btSaveTagsClick(); }));
    connect(btNormalizeTags, &QPushButton::clicked, this,
            Guarded([this](bool) { btNormalizeTagsClick(); }));
    connect(btTagToFilename, &QPushButton::clicked, this,
            Guarded([this](bool) { btTagToFilenameClick(); }));
}

void TFrmCrateboxMain::tsTagShow() {
    if (Updating)
        return;
    ShowRecord(true); // also sets the rows of DrawGridTags
    LayoutTagsGrid();
    LoadSelectedSongTags(true);
}

void TFrmCrateboxMain::RefreshTagsGrid() {
    // Quietly: the caller loads the tags it wants once the rows are set.
    const QSignalBlocker block(DrawGridTags->selectionModel());
    const int rows = Songs.isEmpty() ? 1 : int(Songs.size());
    const int current = DrawGridTags->currentIndex().row();
    TagsGridModel->SetRowCount(rows);
    if (current < 0 || current >= rows || !DrawGridTags->selectionModel()->hasSelection())
        DrawGridTags->selectionModel()->setCurrentIndex(TagsGridModel->index(0, 0),
                                                        QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    DrawGridTags->viewport()->update();
}

void TFrmCrateboxMain::DrawGridTagsClick() {
    LoadSelectedSongTags(false);
}

void TFrmCrateboxMain::_cbID3V1Click() {
    EnableID3v1Group(_cbID3V1->isChecked());
}

void TFrmCrateboxMain::_cbID3V2Click() {
    EnableID3v2Group(_cbID3V2->isChecked());
}

void TFrmCrateboxMain::ClearID3v1Group() {
    _cbID3V1->setChecked(false);
    for (QLineEdit* edit : {ID3V1_TagVersionValue, ID3V1_TitleEdit, ID3V1_ArtistEdit,
                            ID3V1_AlbumEdit, ID3V1_TrackEdit, ID3V1_YearEdit})
        edit->clear();
    ID3V1_GenreComboBox->setCurrentIndex(0);
    ID3V1_CommentEdit->clear();
    EnableID3v1Group(false);
}

void TFrmCrateboxMain::ClearID3v2Group() {
    _cbID3V2->setChecked(false);
    for (QLineEdit* edit :
         {ID3V2_TagVersionValue, ID3V2_SizeValue, ID3V2_TitleEdit, ID3V2_ArtistEdit,
          ID3V2_AlbumEdit, ID3V2_TrackEdit, ID3V2_YearEdit, ID3V2_GenreEdit, ID3V2_CommentEdit})
        edit->clear();
    EnableID3v2Group(false);
}

void TFrmCrateboxMain::EnableID3v1Group(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ID3V1_TitleEdit, ID3V1_ArtistEdit, ID3V1_AlbumEdit, ID3V1_TrackEdit, ID3V1_YearEdit,
             ID3V1_GenreComboBox, ID3V1_CommentEdit})
        w->setEnabled(on);
}

void TFrmCrateboxMain::EnableID3v2Group(bool on) {
    for (QLineEdit* edit : {ID3V2_TitleEdit, ID3V2_ArtistEdit, ID3V2_AlbumEdit, ID3V2_TrackEdit,
                            ID3V2_YearEdit, ID3V2_GenreEdit, ID3V2_CommentEdit})
        edit->setEnabled(on);
}

QString TFrmCrateboxMain::SelectedTagSongPath() const {
    int row = 0;
    const QModelIndexList selected = DrawGridTags->selectionModel()->selectedRows();
    if (!selected.isEmpty()) {
        row = selected.constFirst().row();
        for (const QModelIndex& index : selected)
            row = Min(row, index.row());
    } else if (DrawGridTags->currentIndex().isValid()) {
        row = DrawGridTags->currentIndex().row();
    }
    if (row < 0 || row >= Songs.size())
        return QString();
    return SongPath(CurrentFolder(), Songs[row]);
}

void TFrmCrateboxMain::LoadSelectedSongTags(bool forced) {
    ClearID3v1Group();
    ClearID3v2Group();
    btNormalizeTags->setEnabled(false);
    btSaveTags->setEnabled(false);
    if (Songs.isEmpty() || (PageControl->currentWidget() != tsTag && !forced))
        return;
    const QString path = SelectedTagSongPath();
    if (!SongFileExists(path))
        return;
    btNormalizeTags->setEnabled(true);
    // ID3 tags are neither read from nor written to other formats: the
    // groups stay empty and disabled, and the status line says why.
    const bool mpeg = IsMpegAudioFile(path);
    _cbID3V1->setEnabled(mpeg);
    _cbID3V2->setEnabled(mpeg);
    if (!mpeg) {
        SetStatusText(QStringLiteral("ID3 tags are kept in MPEG audio files only"));
        return;
    }
    btSaveTags->setEnabled(true);

    if (!ID3v1Tag->ReadTag(LocalPath(path)))
        RaiseTagError(Cratebox_str::CannotReadTag, path);
    if (ID3v1Tag->HasTag()) {
        _cbID3V1->setChecked(true);
        _cbID3V1Click();
        ID3V1_TagVersionValue->setText(ID3v1Tag->Version() == 1 ? QStringLiteral("1.0")
                                                                : QStringLiteral("1.1"));
        ShowTagFields(*ID3v1Tag, ID3v1Edits(*this));
        ID3V1_TrackEdit->setText(QString::number(ID3v1Tag->Track()));
        ID3V1_GenreComboBox->setCurrentIndex(GenreItemOfIndex(ID3v1Tag->GenreIndex()));
    }

    if (!ID3v2Tag->ReadTag(LocalPath(path)))
        RaiseTagError(Cratebox_str::CannotReadTag, path);
    if (ID3v2Tag->HasTag()) {
        _cbID3V2->setChecked(true);
        _cbID3V2Click();
        ID3V2_TagVersionValue->setText(QStringLiteral("2.%1").arg(ID3v2Tag->Version()));
        ID3V2_SizeValue->setText(QString::number(ID3v2Tag->TagSize()));
        ShowTagFields(*ID3v2Tag, ID3v2Edits(*this));
        ID3V2_GenreEdit->setText(FromTag(ID3v2Tag->Genre()));
        if (ID3v2Tag->Track() != 0)
            ID3V2_TrackEdit->setText(QString::number(ID3v2Tag->Track()));
    }
}

void TFrmCrateboxMain::SaveID3v1FromEdits(const QString& path) {
    TakeTagFields(*ID3v1Tag, ID3v1Edits(*this), ID3V1_TrackEdit);
    ID3v1Tag->SetGenreIndex(GenreIndexOfItem(ID3V1_GenreComboBox->currentIndex()));
    WriteTagOrRaise(*ID3v1Tag, path);
}

void TFrmCrateboxMain::SaveID3v2FromEdits(const QString& path) {
    TakeTagFields(*ID3v2Tag, ID3v2Edits(*this), ID3V2_TrackEdit);
    ID3v2Tag->SetGenre(ToTag(ID3V2_GenreEdit->text()));
    WriteTagOrRaise(*ID3v2Tag, path);
    // The tag as written: a 2.2 tag has become 2.3, and the size changed.
    ID3V2_TagVersionValue->setText(QStringLiteral("2.%1").arg(ID3v2Tag->Version()));
    ID3V2_SizeValue->setText(QString::number(ID3v2Tag->TagSize()));
}

void TFrmCrateboxMain::RemoveID3v1(const QString& path) {
    if (SongFileExists(path) && ID3v1Tag->RemoveTag(LocalPath(path)))
        ClearID3v1Group();
}

void TFrmCrateboxMain::RemoveID3v2(const QString& path) {
    if (SongFileExists(path) && ID3v2Tag->RemoveTag(LocalPath(path)))
        ClearID3v2Group();
}

void TFrmCrateboxMain::btSaveTagsClick() {
    if (Songs.isEmpty())
        return;
    const QString path = SelectedTagSongPath();
    if (!SongFileExists(path))
        return;
    // ID3 tags belong to MPEG audio only: written into (or cut from) an Ogg,
    // WMA, WAV ... file they would break it.
    if (!IsMpegAudioFile(path))
        RaiseTagError(Cratebox_str::CannotSaveTag, path);
    // Both tags hold tracks 1 to 255: a larger number is refused before
    // either tag is written, rather than saved cut.
    for (const auto& [box, edit] :
         {std::pair{_cbID3V1, ID3V1_TrackEdit}, std::pair{_cbID3V2, ID3V2_TrackEdit}})
        if (box->isChecked() && TrackTextTooLarge(edit->text()))
            throw ETagException(StringList().Get(Cratebox_str::CannotSaveTag) + path +
                                QStringLiteral(": track %1 is above 255").arg(edit->text()));
    if (_cbID3V1->isChecked())
        SaveID3v1FromEdits(path);
    else
        RemoveID3v1(path);
    if (_cbID3V2->isChecked())
        SaveID3v2FromEdits(path);
    else
        RemoveID3v2(path);
}

void TFrmCrateboxMain::btNormalizeTagsClick() {
    if (Songs.isEmpty())
        return;
    // Window messages run during the loop and may change the current
    // record: the run keeps to the songs it started with.
    const QStringList songs = Songs;
    const QString folder = CurrentFolder();
    // Year, genre and comment are those the groups show now, for every song.
    TNormalizeOptions options;
    options.V1 = _cbID3V1->isChecked() ? TNormalizeOptions::Write : TNormalizeOptions::Remove;
    options.V2 = _cbID3V2->isChecked() ? TNormalizeOptions::Write : TNormalizeOptions::Remove;
    options.V1Year = ID3V1_YearEdit->text();
    options.V1Genre = GenreIndexOfItem(ID3V1_GenreComboBox->currentIndex());
    options.V1Comment = ID3V1_CommentEdit->text();
    options.V2Year = ID3V2_YearEdit->text();
    options.V2Genre = ID3V2_GenreEdit->text();
    options.V2Comment = ID3V2_CommentEdit->text();
    options.MpegOnly = true; // the other formats of the list keep their bytes
    const TWaitCursor busy;
    btNormalizeTags->setEnabled(false);
    const QString saving = StringList().Get(Cratebox_str::Saving);
    // Shows the song about to be written and lets the status text paint.
    const auto progress = [&](int index, int count) {
        SetStatusText(
            FormatText(QStringLiteral("%s %d/%d - %s"), {saving, index + 1, count, songs[index]}));
        QCoreApplication::processEvents();
        return true;
    };
    // Failed writes keep the songs' tags and are not reported.
    const auto run = [&] {
        NormalizeSongTags(*ID3v1Tag, *ID3v2Tag, folder, songs, options, progress);
    };
    // The button comes back even when the reloaded tags cannot be read.
    RunThenFinish(run, [this] {
        RunThenFinish([this] { LoadSelectedSongTags(false); },
                      [this] { btNormalizeTags->setEnabled(true); });
    });
}

void TFrmCrateboxMain::btTagToFilenameClick() {
    if (Songs.isEmpty())
        return;
    const QStringList songs = Songs;
    const QString folder = CurrentFolder();
    WarnIfRenamesNotJournaled();
    const TWaitCursor busy;
    btTagToFilename->setEnabled(false);
    const auto run = [&] {
        const auto progress = [](int, int) {
            QCoreApplication::processEvents();
            return true;
        };
        // A failed rename keeps the old name and is not reported.
        const TTagRenameRun done =
            RenameSongsFromTags(*ID3v1Tag, *ID3v2Tag, folder, songs, false, progress);
        if (!done.UnreadablePath.isEmpty())
            RaiseTagError(Cratebox_str::CannotReadTag, done.UnreadablePath);
    };
    // The new names show, with the selected song's tags; the button comes
    // back in any case.
    RunThenFinish(run, [this] {
        RunThenFinish([this] { ShowRecord(true); }, [this] { btTagToFilename->setEnabled(true); });
    });
}
