// Main window: the parameters dialog.
#include "app/cx_fParameters.h"
#include "app/cx_fmain.h"

#include <QComboBox>
#include <QTabWidget>

void TFrmCrateboxMain::cmParametersClick() {
    TFrmParameters* dialog = FrmParameters;
    if (!dialog) {
        OwnParameters = std::make_unique<TFrmParameters>();
        dialog = OwnParameters.get();
    }
    dialog->pcParams->setCurrentIndex(0);

    TParameterValues values;
    values.PlaySong = PlaySong;
    values.UseInternalPlayer = UseInternalPlayer;
    values.EnqueueSong = EnqueueSong;
    values.SearchImage = SearchImage;
    values.MusicExt = MusicExtensions;
    values.NewDays = NewDays;
    values.NewMusicDir = NewMusicDir;
    values.BookmarkDir = BookmarkDir;
    values.NewsUpdateOnStart = NewsUpdateOnStart;
    values.UseDirDate = UseDirDate;
    for (int i = 0; i < cbTagsList->count(); ++i)
        values.TagsList << cbTagsList->itemText(i);
    dialog->Fill(values);

    if (dialog->exec() != QDialog::Accepted)
        return;
    const TParameterValues v = dialog->Values();
    UseDirDate = v.UseDirDate;
    UseInternalPlayer = v.UseInternalPlayer;
    PageControl->setTabVisible(tiPlayer, UseInternalPlayer);
    UpdateMediaControls();
    NewsUpdateOnStart = v.NewsUpdateOnStart;
    NewMusicDir = v.NewMusicDir;
    BookmarkDir = v.BookmarkDir;
    NewDays = v.NewDays;
    PlaySong = v.PlaySong;
    EnqueueSong = v.EnqueueSong;
    SearchImage = v.SearchImage;
    MusicExtensions = v.MusicExt;
    cbTagsList->clear();
    cbTagsList->addItems(v.TagsList);
    FillTagFilters();
    Contexte->WriteStrings(v.TagsList, QStringLiteral("TagsList"));
}
