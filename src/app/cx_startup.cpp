#include "app/cx_startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

bool ParseStartupOptions(const QStringList& arguments, StartupOptions& options, QString& error) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        const auto value = [&](QString& target) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            target = arguments.at(++i);
            return true;
        };
        if (arg == QLatin1String("--music-root")) {
            if (!value(options.musicRoot))
                return false;
        } else if (arg == QLatin1String("--show")) {
            if (!value(options.show))
                return false;
        } else if (arg == QLatin1String("--screenshot")) {
            if (!value(options.screenshot))
                return false;
        } else if (arg == QLatin1String("--write-caption-list")) {
            if (!value(options.writeCaptionList))
                return false;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.help = true;
        } else {
            error = QStringLiteral("unknown argument \"%1\"").arg(arg);
            return false;
        }
    }
    return true;
}

QString StartupUsage() {
    return QStringLiteral("Usage: tralu [--music-root DIR] [--show FOLDER] [--screenshot FILE]\n"
                          "  --music-root DIR   use DIR as the music root\n"
                          "  --show FOLDER      open FOLDER: a record on the Music tab, other\n"
                          "                     folders on the Records tab\n"
                          "  --screenshot FILE  save the main window as PNG once shown, then "
                          "close\n"
                          "       tralu --write-caption-list FILE\n"
                          "  --write-caption-list FILE  write the English caption list of the\n"
                          "                     windows as designed (the master of the language\n"
                          "                     files) and end\n");
}

bool SaveScreenshot(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QDir().mkpath(QFileInfo(absolute).absolutePath());
    // Fast zlib level: the picture is taken at start-up and the default
    // level costs more than showing the window.
    QImageWriter writer(absolute, "png");
    writer.setQuality(80);
    if (!writer.write(window.grab().toImage())) {
        std::fprintf(stderr, "tralu: cannot save the screenshot to %s\n", qPrintable(absolute));
        return false;
    }
    std::printf("%s\n", qPrintable(absolute));
    std::fflush(stdout);
    return true;
}
