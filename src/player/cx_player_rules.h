#pragma once
// The built-in player's rules that need neither a widget nor a graph.

#include <QString>

#include <cstdint>
#include <functional>

// True when the song is in its last twentieth: duration - position <
// duration / 20, on unsigned values, so a position past the duration never
// counts.
bool PreloadDue(std::uint32_t positionMs, std::uint32_t durationMs);

// The current index after the rows top..bottom of the playlist view were
// deleted, for a playlist of count entries: the selection before the current
// entry (or ending on it) moves it back by the number of rows; a selection
// holding it puts it on the entry before the selection.
int IndexAfterDelete(int current, int top, int bottom);

// The text of a playlist row: the folder two levels up, "/", the folder one
// level up, "/", the file name ("/m/A/Artist/Record/01.mp3" gives
// "Artist/Record/01.mp3", "/x.mp3" gives "//x.mp3").
QString PlaylistRowText(const QString& path);

// One shortening step of the now-playing path; returns false when the path
// cannot get shorter (no drive and no folder part left).
struct TNowPlayingParts {
    QString Drive;
    QString Folder;
    QString Name;
    QString Text() const { return Drive + Folder + Name; }
};
TNowPlayingParts SplitNowPlaying(const QString& path);
bool ShortenNowPlayingStep(TNowPlayingParts& parts);
// The path shortened, one step at a time and only as far as needed, until
// width(text) <= maxWidth or nothing is left to cut.
QString ShortenNowPlaying(const QString& path, int maxWidth,
                          const std::function<int(const QString&)>& width);
