// The database lists with 20,000 records: reading the database file and
// filling the Search list, a click on a tag filter, and computing and
// filling the neighbour list, each against a plain line-by-line read of the
// same file measured in the same run.  Runs the real main window offscreen.
//
//   bench_search_views [RUNS]   (data: $TRALU_BENCH_DATA/search_views)
#include "app/cx_fmain.h"
#include "app/cx_report_model.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "records/cx_database.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Records = 20000;

const char* const kTags[] = {"rock",    "live",  "jazz",    "pop",    "blues",   "soul",   "folk",
                             "metal",   "punk",  "ambient", "techno", "funk",    "reggae", "disco",
                             "country", "latin", "gospel",  "opera",  "chanson", "grunge"};

// Writes the database file unless it is there already.
bool Generate(const QString& root) {
    const QString path = root + QStringLiteral("/.Tralu_DB.data");
    if (QFile::exists(path))
        return true;
    QDir().mkpath(root);
    QByteArray data;
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int i = 0; i < Records; ++i) {
        const QString artist = QStringLiteral("Artist %1").arg(next() % 2000);
        const QString record = QStringLiteral("Record %1").arg(i);
        QStringList tags;
        const int count = int(next() % 5); // 0..4 tags
        for (int t = 0; t < count; ++t)
            tags << QString::fromLatin1(kTags[next() % (t == 0 ? 4 : std::size(kTags))]);
        const int year = 1950 + int(next() % 70);
        const TDateTime rip = 38000 + next() % 5000;
        data += FormatDatabaseLine(artist, record, tags.join(QStringLiteral("; ")), year, rip,
                                   root + "/" + artist.left(8) + "/" + artist + "/" + record)
                    .toUtf8();
        data += "\r\n";
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

template <class F> double Millis(F&& f) {
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.nsecsElapsed() / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The baseline: every line of the file read and decoded, nothing more.
int PlainRead(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    int lines = 0;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine());
        lines += line.isEmpty() ? 0 : 1;
    }
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    TqvApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 9;
    const QString data = qEnvironmentVariable("TRALU_BENCH_DATA", QDir::tempPath());
    const QString root = data + QStringLiteral("/search_views");
    if (!Generate(root)) {
        std::fprintf(stderr, "cannot write the database under %s\n", qPrintable(root));
        return 1;
    }
    const QString file = root + QStringLiteral("/.Tralu_DB.data");

    qv_str::AppendFrameworkTexts();
    TqvContexte contexte;
    TqvLanguage language;
    TFrmCrateboxMain window;
    window.resize(1200, 800);
    window.SetMusicRootFolder(root);
    window.show();
    QApplication::processEvents();
    window.PageControl->setCurrentWidget(window.tsSearch);
    QApplication::processEvents();
    QLineEdit* tags = window.edTags; // no record shown: typing writes nothing
    window.cbTagsFilter->addItems({"rock", "live"});
    window.cbTagsFilter2->addItems({"rock", "live"});
    window.cbTagsFilter->setCurrentText(QStringLiteral("rock"));
    window.cbTagsFilter2->setCurrentText(QStringLiteral("live"));

    std::vector<double> baseline, fill, filter, neighbours;
    int shown = 0, listed = 0;
    for (int i = 0; i < runs; ++i) {
        baseline.push_back(Millis([&] { PlainRead(file); }));
        window.cbApplyFilter->setChecked(false);
        window.cbApplyFilter2->setChecked(false);
        // Reading the file, parsing every line, filling LV and painting it.
        fill.push_back(Millis([&] {
            window.FillSearchList();
            window.LV->viewport()->repaint();
        }));
        window.cbApplyFilter->setChecked(true);
        window.cbApplyFilter2->setChecked(true);
        filter.push_back(Millis([&] {
            window.cbApplyFilterClick();
            window.LV->viewport()->repaint();
        }));
        shown = window.LV->model()->rowCount();
        tags->setText(QStringLiteral("rock; live; jazz"));
        window.PageControl->setCurrentWidget(window.tsSearch);
        neighbours.push_back(Millis([&] {
            window.btShowLikeClick();
            window.LVLike->viewport()->repaint();
        }));
        listed = window.LVLike->model()->rowCount();
        std::printf(
            "run %d  baseline %6.1f ms  fill %6.1f ms  filter %5.1f ms  neighbours %5.1f ms\n",
            i + 1, baseline.back(), fill.back(), filter.back(), neighbours.back());
        std::fflush(stdout);
    }
    const double b = Median(baseline), f = Median(fill), c = Median(filter), n = Median(neighbours);
    std::printf("%d records; %d pass both filters; %d neighbours listed\n",
                window.LV->model()->rowCount() ? int(window.Database->Count()) : 0, shown, listed);
    std::printf("RESULT records=%d baseline_ms=%.1f fill_ms=%.1f fill_ratio=%.2f filter_ms=%.1f "
                "filter_ratio=%.2f neighbours_ms=%.1f neighbours_ratio=%.2f runs=%d\n",
                Records, b, f, f / b, c, c / b, n, n / b, runs);
    window.close();
    return 0;
}
