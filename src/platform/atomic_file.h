#pragma once
// Replacing a whole file so that readers see either the old or the new
// content, never a mix, even if the machine stops half-way.

#include <QByteArray>
#include <QString>

// Writes data to a temporary file in the folder of path, flushes it to disk
// and renames it over path.  An existing file keeps its permissions; a
// symbolic link at path stays a link and its target is replaced.  The folder
// must exist.  On failure the old file is untouched, false is returned and
// *error (when given) says why.
bool AtomicWriteFile(const QString& path, const QByteArray& data, QString* error = nullptr);
