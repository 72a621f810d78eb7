#pragma once
// Reading Windows shell link files (".lnk") with liblnk.  Only reading: the
// shortcuts this program writes are symbolic links.

#include <QByteArray>
#include <QString>

struct TLnkFileData {
    QString LocalPath;    // as stored, with backslashes
    QString NetworkPath;  // as stored
    QString RelativePath; // relative to the .lnk file's folder, with backslashes
    QString Arguments;
    QString Description;
    QString WorkingDirectory;
    QString IconLocation;
    qint32 IconIndex = 0;
    quint16 HotKeyValue = 0;
    quint32 ShowWindowValue = 1;
    QByteArray ItemIdList; // the link target identifier (item-ID list) bytes
};

// True when the sizes recorded in a shell link's bytes stay within them:
// header, item-ID list, location information, strings, extra blocks.  liblnk
// trusts those sizes and would allocate whatever a corrupt file claims.
bool LnkLayoutIsSound(const QByteArray& bytes);

// Reads the file; false when it cannot be opened or is not a valid shell
// link (data is then reset).
bool ReadLnkFile(const QString& path, TLnkFileData& data);
