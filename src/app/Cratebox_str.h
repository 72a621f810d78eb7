#pragma once
// The application's numbered texts, appended as the first step of creating
// the main window.  Each variable holds the number its text got.

namespace Cratebox_str {
extern int SetMusicRoot;         // 9
extern int SelectMusicDirectory; // 10
extern int CurrentName;          // 11
extern int NewName;              // 12
extern int RenameFiles;          // 13  "Rename %d files ?"
extern int CannotRemoveTag;      // 14
extern int CannotSaveTag;        // 15
extern int CannotReadTag;        // 16
extern int ParametersCaption;    // 17
extern int Saving;               // 18
extern int CreateNewMusicList;   // 19
extern int DaysLimit;            // 20  "  < %d days"
extern int InDirectory;          // 21  "  in directory %s ?"
extern int All;                  // 22
extern int BookmarkIt;           // 23
extern int RemoveBookmark;       // 24
extern int ColName;              // 25
extern int ColRecord;            // 26
extern int ColTags;              // 27
extern int ColYear;              // 28
extern int ColRip;               // 29
extern int ColPath;              // 30
extern int ColDistance;          // 31

// Appends entries 9 to 31 (once per run; a second call does nothing).
void AppendApplicationTexts();
} // namespace Cratebox_str
