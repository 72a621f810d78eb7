#pragma once
// The options the parameters dialog edits, and the values it refuses.
// No widgets.

#include <QString>
#include <QStringList>

struct TParameterValues {
    QString PlaySong;
    QString EnqueueSong;
    QString SearchImage;
    QStringList MusicExt;
    int NewDays = 30;
    QString NewMusicDir;
    QString BookmarkDir;
    bool NewsUpdateOnStart = false;
    bool UseDirDate = false;
    bool UseInternalPlayer = false;
    QStringList TagsList;
};

// Why the values cannot work, or empty when they can: a number of days
// outside 1..999; a new-music or bookmark folder name that is empty or
// holds "/" (each is one folder inside the music root); an extension list
// without any extension (no file would count as music).
QString ParametersRefusal(const TParameterValues& values);
