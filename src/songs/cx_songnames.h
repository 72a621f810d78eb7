#pragma once
// Rules over song file names shared by the tag editor, the rename tool and
// tralu-cli: titles and tracks from file names, new names from tags, names
// cut at a separator, the keys of the rename list.  Pure functions: no file
// is touched and no widget is used.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A tag that cannot be read or written; its message is a numbered text
// followed by the file's path.
class ETagException : public std::runtime_error {
public:
    explicit ETagException(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// The file's extension from its last dot, dot included; empty without one.
QString FileExtension(const QString& fileName);
// The file name without its extension.
QString FileBaseName(const QString& fileName);
// True for the MPEG audio files (.mp3, .mp2, .mp1, any case): the only
// songs ID3 tags may be written into or removed from; in other formats
// (Ogg, WMA, WAV, APE, Musepack ...) they would break the file.
bool IsMpegAudioFile(const QString& fileName);
// The folder with a separator, then the file name; empty for an empty name.
QString SongPath(const QString& folder, const QString& fileName);

// The title of a song from its file name: the name without its extension,
// through the leading-number rule ("01 - First.mp3" -> "First").
QString TitleFromFileName(const QString& fileName);

// The track number typed into a track edit: 0 when the text is no valid
// integer or is 0 or below, else its low 8 bits.
quint8 TrackFromText(const QString& text);
// True when the text of a track edit is a number above 255, which no tag
// can hold.
bool TrackTextTooLarge(const QString& text);

// The ID3v1 genre list: item 0 is empty, item k is genre k - 1.
inline constexpr int kGenreItemCount = 149;
// The list item for a genre index: index + 1 below 148, else 0.
int GenreItemOfIndex(int genreIndex);
// The genre index for a list item: 255 for item 0 (or any item out of range).
quint8 GenreIndexOfItem(int item);

// The tag fields that "Normalize all tags" derives from names and order.
struct TNormalizedFields {
    QString Title;    // TitleFromFileName of the song
    QString Artist;   // name of the folder holding the record folder
    QString Album;    // the record folder's name, leading number cut
    quint8 Track = 0; // position + 1, low 8 bits
};
TNormalizedFields NormalizedFields(const QString& recordFolder, const QString& fileName, int index);

// A title made fit for a file name: underscores become spaces, the
// characters " * / : < > ? \ | become hyphens, and a non-empty result that
// does not start with a space gets one in front.
QString SanitizeTitle(const QString& title);
// "NN - Title" (at least two digits), without extension.
QString TagFileName(const QString& title, int track);

// The cleaning step of CutFileName: dots and underscores become spaces, a
// space is put in front when missing, and the second character is turned
// to upper case when it is a letter a to z.
QString TidyNamePart(const QString& text);
// The new name of one file of the rename tool: the base name cut after the
// frontCount-th separator and before the endCount-th separator from the
// end, tidied, numbered "NN -" and given back its extension.
QString CutFileName(const QString& fileName, int number, int frontCount, const QString& separator,
                    int endCount);

// One entry of the rename list: "%10.10d %s" with the key and the name.
QString RenameListEntry(quint32 key, const QString& fileName);
// The file name of a rename list entry (from its 12th character on).
QString RenameEntryName(const QString& entry);
// Sorts a list case-insensitively (exact duplicates dropped), as the
// sorted lists of song and rename entries are kept.
void SortNameList(QStringList& list);
