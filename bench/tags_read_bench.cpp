// tag_read: reads both tags of 5,000 small MP3 files with Tralu's tag
// objects and with TagLib, in the same run; ratio = Tralu / TagLib.
// The files are made under the build folder on the first run.

#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 5000;
constexpr int kRounds = 5;

std::string DataFolder() {
    return std::string(TRALU_BINARY_DIR) + "/bench-data/tag_read";
}

// A frame header's worth of MPEG audio and some filler, like a short song.
std::string FakeAudio(int seed) {
    std::string audio(6000, '\0');
    for (std::size_t i = 0; i < audio.size(); ++i)
        audio[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(seed)) & 0x7F);
    audio[0] = static_cast<char>(0xFF);
    audio[1] = static_cast<char>(0xFB);
    return audio;
}

bool MakeFiles(std::vector<std::string>& paths) {
    const std::string dir = DataFolder();
    ::mkdir((std::string(TRALU_BINARY_DIR) + "/bench-data").c_str(), 0755);
    ::mkdir(dir.c_str(), 0755);
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = dir + "/" + std::to_string(i) + " - Song.mp3";
        paths.push_back(path);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            continue;
        {
            std::ofstream out(path, std::ios::binary);
            const std::string audio = FakeAudio(i);
            out.write(audio.data(), static_cast<std::streamsize>(audio.size()));
        }
        TID3v2 v2;
        v2.SetTitle("Song number " + std::to_string(i));
        v2.SetArtist(i % 3 ? "Some Artist" : "Caf\xC3\xA9 \xCE\xA9");
        v2.SetAlbum("Album " + std::to_string(i / 12));
        v2.SetTrack(static_cast<std::uint8_t>(i % 12 + 1));
        v2.SetYear("1999");
        v2.SetGenre("Rock");
        v2.SetComment("Generated for the benchmark");
        TID3v1 v1;
        v1.SetTitle(v2.Title());
        v1.SetArtist(v2.Artist());
        v1.SetAlbum(v2.Album());
        v1.SetYear("1999");
        v1.SetTrack(v2.Track());
        v1.SetGenreIndex(17);
        if (!v2.WriteTag(path) || !v1.WriteTag(path))
            return false;
    }
    return true;
}

double Millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main() {
    std::vector<std::string> paths;
    if (!MakeFiles(paths)) {
        std::fprintf(stderr, "cannot make the files under %s\n", DataFolder().c_str());
        return 1;
    }
    std::printf("tag_read: %d files in %s\n", kFiles, DataFolder().c_str());
    double bestTralu = 1e100;
    double bestTagLib = 1e100;
    std::size_t checksum = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        TID3v1 v1;
        TID3v2 v2;
        for (const std::string& path : paths) {
            v1.ReadTag(path);
            v2.ReadTag(path);
            checksum += v1.Title().size() + v2.Title().size() + v2.Track();
        }
        const double tralu = Millis(std::chrono::steady_clock::now() - start);

        start = std::chrono::steady_clock::now();
        for (const std::string& path : paths) {
            TagLib::MPEG::File file(path.c_str(), false);
            if (TagLib::ID3v1::Tag* t = file.ID3v1Tag())
                checksum += t->title().size();
            if (TagLib::ID3v2::Tag* t = file.ID3v2Tag())
                checksum += t->title().size() + t->track();
        }
        const double taglib = Millis(std::chrono::steady_clock::now() - start);
        std::printf("round %d: tralu %.1f ms, taglib %.1f ms\n", round + 1, tralu, taglib);
        std::fflush(stdout);
        bestTralu = std::min(bestTralu, tralu);
        bestTagLib = std::min(bestTagLib, taglib);
    }
    std::printf("checksum %zu\n", checksum);
    std::printf("RESULT tralu_ms=%.1f taglib_ms=%.1f ratio=%.2f\n", bestTralu, bestTagLib,
                bestTralu / bestTagLib);
    return 0;
}
