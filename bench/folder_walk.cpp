// Folder listings as the tree and the record panel make them: ForEachFile
// over a record-sized-to-large folder of songs, ForEachFolder over a folder
// of artist folders and shortcuts.  The baseline is the plain Qt way of
// reading the same entries with their times (QDirIterator + QFileInfo).
// Data is generated under the build folder.
#include "framework/qv_shortcut.h"
#include "framework/qv_tools.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFiles = 5000;
constexpr int kFolders = 2000;
constexpr int kShortcuts = 200;
constexpr int kRounds = 15;

void Generate(const QString& root) {
    if (QFileInfo::exists(root + QStringLiteral("/done")))
        return;
    QDir().mkpath(root + QStringLiteral("/songs"));
    QDir().mkpath(root + QStringLiteral("/artists"));
    for (int i = 0; i < kFiles; ++i) {
        QFile f(root + QStringLiteral("/songs/%1 - Song number %1.%2")
                           .arg(i)
                           .arg(i % 5 ? QStringLiteral("mp3") : QStringLiteral("jpg")));
        f.open(QIODevice::WriteOnly);
    }
    for (int i = 0; i < kFolders; ++i)
        QDir().mkpath(root + QStringLiteral("/artists/Artist %1").arg(i));
    for (int i = 0; i < kShortcuts; ++i)
        CreateShortcut(root + QStringLiteral("/artists/Artist %1").arg(i),
                       root + QStringLiteral("/artists/Link %1.lnk").arg(i));
    QFile done(root + QStringLiteral("/done"));
    done.open(QIODevice::WriteOnly);
}

double MedianMs(const std::function<int()>& run, int& count) {
    std::vector<double> times;
    for (int r = 0; r < kRounds; ++r) {
        QElapsedTimer t;
        t.start();
        count = run();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    const QString root =
        QStringLiteral(TRALU_BINARY_DIR) + QStringLiteral("/bench-data/folder_walk");
    Generate(root);
    const QString songs = root + QStringLiteral("/songs/");
    const QString artists = root + QStringLiteral("/artists/");

    int n = 0;
    const double files = MedianMs(
        [&] {
            int c = 0;
            ForEachFile(songs + QStringLiteral("*.mp3"), [&](const QString&, const TFindRecord& f) {
                c += f.LastWriteTime.isValid();
            });
            return c;
        },
        n);
    std::printf("ForEachFile *.mp3: %d files, %.2f ms\n", n, files);
    const double filesBase = MedianMs(
        [&] {
            int c = 0;
            QDirIterator it(songs, {QStringLiteral("*.mp3")}, QDir::Files);
            while (it.hasNext()) {
                it.next();
                c += it.fileInfo().lastModified().isValid();
            }
            return c;
        },
        n);
    std::printf("baseline QDirIterator *.mp3: %d files, %.2f ms\n", n, filesBase);

    const double folders = MedianMs(
        [&] {
            int c = 0;
            ForEachFolder(artists + QStringLiteral("*.*"),
                          [&](const QString&, const TFindRecord&, const QString&) { ++c; });
            return c;
        },
        n);
    std::printf("ForEachFolder: %d folders and shortcuts, %.2f ms\n", n, folders);
    const double foldersBase = MedianMs(
        [&] {
            int c = 0;
            QDirIterator it(artists, QDir::Dirs | QDir::NoDotAndDotDot);
            while (it.hasNext()) {
                it.next();
                (void)it.fileInfo().birthTime();
                ++c;
            }
            return c;
        },
        n);
    std::printf("baseline QDirIterator dirs: %d entries, %.2f ms\n", n, foldersBase);

    std::printf("RESULT files_ms=%.2f files_baseline_ms=%.2f files_ratio=%.2f folders_ms=%.2f "
                "folders_baseline_ms=%.2f folders_ratio=%.2f\n",
                files, filesBase, files / filesBase, folders, foldersBase, folders / foldersBase);
    return 0;
}
