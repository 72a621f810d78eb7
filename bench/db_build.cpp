// Builds the record database of a generated collection of 20,000 record
// folders (letter/artist/record, ten files each, half of them with an
// information file) and compares the walk with `find` listing the same tree
// with two file times per entry.  Warm cache: each is run once untimed.
//
//   bench_db_build [ROOT]   (default: <build>/bench-data/db_build)
#include "records/cx_database.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Letters = 20, ArtistsPerLetter = 100, RecordsPerArtist = 10, FilesPerRecord = 10;

bool WriteSmallFile(const std::string& path, const std::string& data) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    close(fd);
    return ok;
}

// Makes the collection unless a finished one is there already.
bool Generate(const std::string& root) {
    const std::string done = root + "/.generated";
    if (access(done.c_str(), F_OK) == 0)
        return true;
    std::printf("generating %d record folders under %s ...\n",
                Letters * ArtistsPerLetter * RecordsPerArtist, root.c_str());
    std::fflush(stdout);
    QDir().mkpath(QString::fromStdString(root));
    int n = 0;
    for (int l = 0; l < Letters; ++l) {
        const std::string letter = root + "/" + static_cast<char>('A' + l);
        mkdir(letter.c_str(), 0755);
        for (int a = 0; a < ArtistsPerLetter; ++a) {
            const std::string artist = letter + "/Artist " + std::to_string(a);
            mkdir(artist.c_str(), 0755);
            for (int r = 0; r < RecordsPerArtist; ++r, ++n) {
                const int year = 1960 + n % 60;
                const std::string record =
                    artist + "/" + std::to_string(year) + " - Record " + std::to_string(r);
                if (mkdir(record.c_str(), 0755) != 0 && errno != EEXIST)
                    return false;
                for (int f = 1; f <= FilesPerRecord; ++f)
                    if (!WriteSmallFile(record + "/" + std::to_string(f) + " - Song.mp3", "ID3"))
                        return false;
                if (n % 2 == 0 &&
                    !WriteSmallFile(record + "/.Folder.ini",
                                    "[infos]\r\nRelease=" + std::to_string(year) +
                                        "\r\nTags=rock; live; tag" + std::to_string(n % 17) +
                                        "\r\nRip=21/03/2004 18:30:00\r\n"))
                    return false;
            }
        }
    }
    return WriteSmallFile(done, "");
}

template <class F> double Millis(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::string root =
        argc > 1 ? argv[1] : std::string(TRALU_BINARY_DIR) + "/bench-data/db_build";
    if (!Generate(root)) {
        std::fprintf(stderr, "cannot generate the collection under %s\n", root.c_str());
        return 1;
    }
    SetShortDateFormat("dd/MM/yyyy");
    const std::string find = "find '" + root + "' -printf '%p %T@ %C@\\n' > /dev/null";
    const QString qroot = QString::fromStdString(root);

    TRecordStructList db;
    int count = 0;
    auto build = [&] {
        db.BuildFromFolder(qroot);
        count = db.Count();
    };
    auto baseline = [&] {
        if (std::system(find.c_str()) != 0)
            std::fprintf(stderr, "find failed\n");
    };
    baseline(); // warm the cache
    build();
    double bestBuild = 1e18, bestFind = 1e18;
    for (int round = 1; round <= 3; ++round) {
        const double f = Millis(baseline);
        const double b = Millis(build);
        bestFind = std::min(bestFind, f);
        bestBuild = std::min(bestBuild, b);
        std::printf("round %d: build %.1f ms (%d records), find %.1f ms\n", round, b, count, f);
        std::fflush(stdout);
    }
    std::printf("RESULT build_ms=%.1f find_ms=%.1f ratio=%.2f records=%d\n", bestBuild, bestFind,
                bestBuild / bestFind, count);
    return 0;
}
