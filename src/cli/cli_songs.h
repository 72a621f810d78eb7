#pragma once
// What the commands over the songs of one record folder share: the folder
// operand, the list of music extensions, how file names are written.

#include "cli/cli.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace cli {

// True when the arguments ask for help.
bool WantsHelp(const Args& args);

// The record folder operand as an absolute path without "." or ".."
// parts.  A Failure when it names no folder or its path is not valid UTF-8.
QString RecordFolderOperand(const Options& options, const char* command);

// The music extensions of --ext ("mp3,ogg", without dots); "mp3" when
// not given.  A Failure for an empty list.
QStringList ExtensionsOption(const Options& options);

// A file name for an output line: UTF-8, with "\\" for a backslash and
// "\n", "\r", "\t" for a line feed, a carriage return and a tab.
std::string NameText(const QString& name);
// The same for a name as the file system spells it; bytes that are not
// valid UTF-8 are written "\xNN".
std::string RawNameText(const QByteArray& name);

// Writes one line on err for each file of folder that the run would take
// (`taken` tells from the name with its undecodable bytes replaced) but
// leaves alone because its name is not valid UTF-8.
void WarnUndecodableNames(const QString& folder, const std::function<bool(const QString&)>& taken,
                          const char* group, std::ostream& err);

} // namespace cli
