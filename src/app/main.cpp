// Program entry: framework first (numbered texts, settings, languages),
// then the application object, the main window and the message loop.
#include "app/cx_fParameters.h"
#include "app/cx_fmain.h"
#include "app/cx_startup.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "platform/termination.h"

#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    TqvApplication app(argc, argv);
    StartupOptions options;
    QString error;
    if (!ParseStartupOptions(QCoreApplication::arguments(), options, error)) {
        std::fprintf(stderr, "tralu: %s\n%s", qPrintable(error), qPrintable(StartupUsage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(StartupUsage()), stdout);
        return 0;
    }

    // Writing the master reads no settings and no language file: the texts
    // are those the windows are designed with.
    QTemporaryDir masterFolder;
    const bool writeMaster = !options.writeCaptionList.isEmpty();
    if (writeMaster)
        qputenv("TRALU_SETTINGS", masterFolder.filePath(QStringLiteral("user.reg")).toUtf8());

    qv_str::AppendFrameworkTexts();
    TqvContexte contexte;
    TqvLanguage language;
    if (writeMaster)
        language.SetFolders(masterFolder.filePath(QStringLiteral("none")),
                            masterFolder.filePath(QStringLiteral("none")));
    QApplication::setApplicationName(QStringLiteral("Tralu"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tralu"));
    InstallShellConfirmation();
    if (!options.screenshot.isEmpty())
        UseStandardErrorSink(); // nothing may wait for a click

    TFrmCrateboxMain window;
    TFrmParameters parameters; // lives for the whole run, hidden between openings
    if (writeMaster) {
        try {
            language.WriteCaptionList(options.writeCaptionList);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tralu: %s\n", e.what());
            return 1;
        }
        return 0;
    }
    InstallTerminationHandler(&window, [&window] { window.close(); });
    if (!options.musicRoot.isEmpty())
        RunGuarded([&] { window.SetMusicRootFolder(options.musicRoot); });
    window.show();
    if (!options.show.isEmpty())
        RunGuarded([&] { window.ShowFolder(options.show); });

    int status = 0;
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(0, &window, [&] {
            status = SaveScreenshot(window, options.screenshot) ? 0 : 1;
            window.close();
        });
    }
    const int loop = QApplication::exec();
    return status != 0 ? status : loop;
}
