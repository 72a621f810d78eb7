#include "app/Cratebox_str.h"

#include "framework/qv_str.h"

namespace Cratebox_str {
int SetMusicRoot = -1;
int SelectMusicDirectory = -1;
int CurrentName = -1;
int NewName = -1;
int RenameFiles = -1;
int CannotRemoveTag = -1;
int CannotSaveTag = -1;
int CannotReadTag = -1;
int ParametersCaption = -1;
int Saving = -1;
int CreateNewMusicList = -1;
int DaysLimit = -1;
int InDirectory = -1;
int All = -1;
int BookmarkIt = -1;
int RemoveBookmark = -1;
int ColName = -1;
int ColRecord = -1;
int ColTags = -1;
int ColYear = -1;
int ColRip = -1;
int ColPath = -1;
int ColDistance = -1;

void AppendApplicationTexts() {
    if (SetMusicRoot >= 0)
        return;
    TqvStringList& s = StringList();
    SetMusicRoot = s.Append(QStringLiteral("Set music root"));
    SelectMusicDirectory = s.Append(QStringLiteral("Select music directory"));
    CurrentName = s.Append(QStringLiteral("Current name"));
    NewName = s.Append(QStringLiteral("New name"));
    RenameFiles = s.Append(QStringLiteral("Rename %d files ?"));
    CannotRemoveTag = s.Append(QStringLiteral("Can not remove tag from the file: "));
    CannotSaveTag = s.Append(QStringLiteral("Can not save tag to the file: "));
    CannotReadTag = s.Append(QStringLiteral("Can not read tag from the file: "));
    ParametersCaption = s.Append(QStringLiteral("Tralu Parameters"));
    Saving = s.Append(QStringLiteral("Saving ..."));
    CreateNewMusicList = s.Append(QStringLiteral("Create new music list :"));
    DaysLimit = s.Append(QStringLiteral("  < %d days"));
    InDirectory = s.Append(QStringLiteral("  in directory %s ?"));
    All = s.Append(QStringLiteral("All"));
    BookmarkIt = s.Append(QStringLiteral("Bookmark it"));
    RemoveBookmark = s.Append(QStringLiteral("Remove bookmark"));
    ColName = s.Append(QStringLiteral("Name"));
    ColRecord = s.Append(QStringLiteral("Record"));
    ColTags = s.Append(QStringLiteral("Tags"));
    ColYear = s.Append(QStringLiteral("Year"));
    ColRip = s.Append(QStringLiteral("Rip"));
    ColPath = s.Append(QStringLiteral("Path"));
    ColDistance = s.Append(QStringLiteral("Distance"));
}
} // namespace Cratebox_str
