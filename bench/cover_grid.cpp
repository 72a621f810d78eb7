// First paint of a 1280 x 800 Records tab over 200 records whose covers are
// 1200 x 1200 JPEGs, against decoding the same visible covers at full size
// with Qt's JPEG reader and drawing them stretched; then the repaint after
// scrolling away and back, when the covers come from memory.  The files
// are in the page cache for both sides (one untimed pass first).
//
//   bench_cover_grid [RUNS]   data: $TRALU_BENCH_DATA/cover_grid
#include "app/cx_fmain.h"
#include "app/cx_records_grid.h"
#include "app/cx_records_layout.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int Records = 200, CoverSide = 1200, GridWidth = 1280, GridHeight = 800;

// A cover with some detail, so that its JPEG has a realistic size.
QImage MakeCover(int i) {
    QImage image(CoverSide, CoverSide, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, CoverSide, CoverSide);
    g.setColorAt(0, QColor::fromHsv((i * 37) % 360, 160, 220));
    g.setColorAt(1, QColor::fromHsv((i * 37 + 120) % 360, 200, 90));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 120), 6));
    for (int k = 0; k < 40; ++k)
        p.drawEllipse(QPoint((k * 97 + i * 13) % CoverSide, (k * 61 + i * 29) % CoverSide),
                      40 + k * 7, 40 + k * 5);
    QFont font = p.font();
    font.setPixelSize(120);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Record %1").arg(i));
    return image;
}

// The collection: Artist/NNN - Record/Folder.jpg, made once.
QString Generate(const QString& data) {
    const QString artist = data + QStringLiteral("/cover_grid/Artist");
    const QString done = data + QStringLiteral("/cover_grid/.generated");
    if (QFile::exists(done))
        return artist;
    std::printf("generating %d covers of %d x %d...\n", Records, CoverSide, CoverSide);
    std::fflush(stdout);
    for (int i = 0; i < Records; ++i) {
        const QString folder =
            QStringLiteral("%1/%2 - Record").arg(artist).arg(i, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        if (!MakeCover(i).save(folder + QStringLiteral("/Folder.jpg"), "JPEG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            std::exit(1);
        }
    }
    QFile marker(done);
    marker.open(QIODevice::WriteOnly);
    return artist;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The cover paths of the cells visible at the top of the grid.
QStringList VisibleCovers(const TRecordsGrid& grid, const QStringList& entries) {
    QStringList covers;
    const int rows = (GridHeight + RecordCellSize - 1) / RecordCellSize;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < grid.ColumnCount(); ++column) {
            const int i = RecordCellIndex(column, row, grid.ColumnCount());
            if (i < entries.size())
                covers << RecordEntryCover(entries.at(i));
        }
    return covers;
}

// What drawing each visible cell costs when every cover is read at full
// size by Qt and drawn stretched into its square.
double Baseline(const QStringList& covers) {
    QImage canvas(GridWidth, GridHeight, QImage::Format_RGB32);
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&canvas);
    int x = 0;
    for (const QString& path : covers) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "baseline cannot read %s\n", qPrintable(path));
            std::exit(1);
        }
        painter.drawImage(
            QRect((x++ % 10) * RecordCellSize, 0, RecordPictureSize, RecordPictureSize), image);
    }
    painter.end();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TqvApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
    const QString data = qEnvironmentVariable("TRALU_BENCH_DATA", QDir::tempPath());
    if (qEnvironmentVariableIsEmpty("TRALU_SETTINGS"))
        qputenv("TRALU_SETTINGS", (data + QStringLiteral("/cover_grid/user.reg")).toUtf8());
    const QString artist = Generate(data);
    UseStandardErrorSink();

    qv_str::AppendFrameworkTexts();
    TqvContexte contexte;
    TqvLanguage language;
    TFrmCrateboxMain window;
    window.show();
    QApplication::processEvents();
    TRecordsGrid* grid = window.DrawGridRecord;
    // Make the grid's client area 1280 x 800.
    const QSize extra = window.size() - grid->viewport()->size();
    window.resize(QSize(GridWidth, GridHeight) + extra);
    QApplication::processEvents();
    window.PageControl->setCurrentWidget(window.tsRecords);
    window.PathOverride = artist;
    window.RefreshRecordsGrid(true);
    QApplication::processEvents();
    std::printf("grid client %d x %d, %d columns, %d rows, %lld records\n",
                grid->viewport()->width(), grid->viewport()->height(), grid->ColumnCount(),
                grid->RowCount(), static_cast<long long>(window.RecordEntries.size()));
    if (grid->viewport()->size() != QSize(GridWidth, GridHeight) ||
        window.RecordEntries.size() != Records) {
        std::fprintf(stderr, "unexpected grid or collection\n");
        return 1;
    }
    const QStringList covers = VisibleCovers(*grid, window.RecordEntries);
    std::printf("%lld covers visible\n", static_cast<long long>(covers.size()));

    // Untimed pass of each: files in the page cache, code paths warmed.
    Baseline(covers);
    window.CoverCache.Clear();
    grid->viewport()->repaint();

    std::vector<double> first, baseline, warm;
    for (int run = 0; run < runs; ++run) {
        window.CoverCache.Clear();
        grid->verticalScrollBar()->setValue(0);
        const int decodedBefore = window.CoverCache.DecodeCount();
        QElapsedTimer timer;
        timer.start();
        grid->viewport()->repaint();
        first.push_back(timer.nsecsElapsed() / 1e6);
        const int decoded = window.CoverCache.DecodeCount() - decodedBefore;

        // Scroll to the end and back: the top covers come from memory.
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        grid->viewport()->repaint();
        grid->verticalScrollBar()->setValue(0);
        const int before = window.CoverCache.DecodeCount();
        timer.restart();
        grid->viewport()->repaint();
        warm.push_back(timer.nsecsElapsed() / 1e6);
        if (window.CoverCache.DecodeCount() != before) {
            std::fprintf(stderr, "the warm repaint decoded covers again\n");
            return 1;
        }

        baseline.push_back(Baseline(covers));
        std::printf("run %d  first paint %7.1f ms (%d covers)  full-size Qt %7.1f ms  warm "
                    "repaint %6.2f ms\n",
                    run + 1, first.back(), decoded, baseline.back(), warm.back());
        std::fflush(stdout);
    }
    const double f = Median(first), b = Median(baseline), w = Median(warm);
    std::printf("RESULT first_paint_ms=%.1f baseline_ms=%.1f ratio=%.3f warm_repaint_ms=%.2f "
                "warm_ratio=%.3f covers=%lld runs=%d\n",
                f, b, f / b, w, w / f, static_cast<long long>(covers.size()), runs);
    return 0;
}
