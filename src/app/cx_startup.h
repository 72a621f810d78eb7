#pragma once
// The command line of tralu:
//   tralu [--music-root DIR] [--show FOLDER] [--screenshot FILE]
//   tralu --write-caption-list FILE

#include <QString>
#include <QStringList>

class QWidget;

struct StartupOptions {
    QString musicRoot;
    QString screenshot;
    QString show; // a folder to show at start, as "Show Record" would
    // Writes the English master caption list of the windows as designed, then ends.
    QString writeCaptionList;
    bool help = false;
};

// False with a message for an unknown option or a missing value.
bool ParseStartupOptions(const QStringList& arguments, StartupOptions& options, QString& error);
QString StartupUsage();

// Lets pending layout work finish, saves the window as PNG and prints the
// path; false (with a message on standard error) when it cannot be saved.
bool SaveScreenshot(QWidget& window, const QString& path);
