// Focusing an artist folder that holds 2,000 record folders (a few songs
// and a cover each): the tree loads the node's children, picks the Records
// tab and lists the records with their covers, against `find DIR
// -maxdepth 2` listing the same folders, in turns in one run, warm cache.
// The first paint of the grid is printed apart (it decodes the visible
// covers).
//
//   bench_focus_large_folder [RUNS]   data: $TRALU_BENCH_DATA/focus_large_folder
#include "app/cx_fmain.h"
#include "app/cx_foldertree.h"
#include "app/cx_records_grid.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTabWidget>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Records = 2000;

void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        Fail(qPrintable(QStringLiteral("cannot write ") + path));
}

// Root/A/Artist/NNNN - Record/{01..03 - Song.mp3, Folder.jpg}, plus a small
// second letter folder to move the focus to between runs; made once.
QString Generate(const QString& data) {
    const QString root = data + QStringLiteral("/focus_large_folder/Music");
    const QString done = data + QStringLiteral("/focus_large_folder/.generated");
    if (QFile::exists(done))
        return root;
    std::printf("generating %d record folders...\n", Records);
    std::fflush(stdout);
    QImage cover(300, 300, QImage::Format_RGB32);
    cover.fill(QColor(40, 90, 160));
    QPainter(&cover).fillRect(60, 60, 180, 180, QColor(220, 120, 40));
    QByteArray jpeg;
    {
        QFile tmp(data + QStringLiteral("/focus_large_folder.jpg"));
        QDir().mkpath(data);
        if (!cover.save(tmp.fileName(), "JPEG", 85) || !tmp.open(QIODevice::ReadOnly))
            Fail("cannot make the cover");
        jpeg = tmp.readAll();
    }
    const QByteArray song =
        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + QByteArray(4096, 'x');
    for (int i = 0; i < Records; ++i) {
        const QString folder =
            QStringLiteral("%1/A/Artist/%2 - Record %2").arg(root).arg(i, 4, 10, QLatin1Char('0'));
        if (!QDir().mkpath(folder))
            Fail("cannot make a record folder");
        for (int s = 1; s <= 3; ++s)
            Write(QStringLiteral("%1/0%2 - Song.mp3").arg(folder).arg(s), song);
        Write(folder + QStringLiteral("/Folder.jpg"), jpeg);
    }
    QDir().mkpath(root + QStringLiteral("/B/Other/Record"));
    Write(done, {});
    return root;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Millis(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// find DIR -maxdepth 2 > /dev/null, start to end.
double Find(const QString& dir) {
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    find.start(QStringLiteral("find"), {dir, QStringLiteral("-maxdepth"), QStringLiteral("2")});
    if (!find.waitForFinished(60000) || find.exitCode() != 0)
        Fail("find failed");
    return Millis(timer);
}

QModelIndex Child(const QAbstractItemModel* model, const QModelIndex& parent, const QString& name) {
    const QModelIndexList found =
        model->match(model->index(0, 0, parent), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (found.isEmpty())
        Fail(qPrintable(QStringLiteral("no node ") + name));
    return found.first();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TqvApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    const QString data = qEnvironmentVariable("TRALU_BENCH_DATA", QDir::tempPath());
    if (qEnvironmentVariableIsEmpty("TRALU_SETTINGS"))
        qputenv("TRALU_SETTINGS", (data + QStringLiteral("/focus_large_folder/user.reg")).toUtf8());
    const QString root = Generate(data);
    const QString artist = root + QStringLiteral("/A/Artist");
    UseStandardErrorSink();

    qv_str::AppendFrameworkTexts();
    TqvContexte contexte;
    TqvLanguage language;
    TFrmCrateboxMain window;
    window.resize(1280, 800);
    window.SetMusicRootFolder(root);
    window.show();
    QApplication::processEvents();
    QTreeView* tree = window.VST;
    const QAbstractItemModel* model = tree->model();
    const QModelIndex letterA = Child(model, {}, QStringLiteral("A"));
    tree->setCurrentIndex(letterA);
    const QModelIndex other = Child(model, {}, QStringLiteral("B"));
    const QModelIndex artistNode = Child(model, letterA, QStringLiteral("Artist"));

    // Untimed pass: the file system caches are warm for both sides.
    Find(artist);
    tree->setCurrentIndex(artistNode);
    QApplication::processEvents();

    std::vector<double> focus, find, paint;
    for (int run = 0; run < runs; ++run) {
        tree->setCurrentIndex(other);
        window.CoverCache.Clear();
        window.PageControl->setCurrentWidget(window.tsRecords);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        tree->setCurrentIndex(artistNode);
        focus.push_back(Millis(timer));
        if (window.CurrentFolder() != artist || window.RecordEntries.size() != Records ||
            window.PageControl->currentWidget() != window.tsRecords ||
            model->rowCount(artistNode) != Records)
            Fail("the focus did not list the artist's records");
        timer.restart();
        window.DrawGridRecord->viewport()->repaint();
        paint.push_back(Millis(timer));
        find.push_back(Find(artist));
        std::printf("run %d  focus %7.2f ms  first grid paint %7.2f ms  find %7.2f ms\n", run + 1,
                    focus.back(), paint.back(), find.back());
        std::fflush(stdout);
    }
    const double f = Median(focus), b = Median(find), p = Median(paint);
    std::printf("RESULT records=%d focus_ms=%.2f find_ms=%.2f ratio=%.2f first_paint_ms=%.2f "
                "runs=%d\n",
                Records, f, b, f / b, p, runs);
    window.close();
    return 0;
}
