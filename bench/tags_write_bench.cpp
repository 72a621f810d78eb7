// tag_write: WriteTag on a 50 MB file against `cp` of the same file, in
// the same run; ratio = WriteTag / cp.  The file is made under the build
// folder.  WriteTag also flushes its copy to disk before renaming it, which
// cp does not; sync_ratio compares it with `cp` followed by `sync` of the
// copy, which does the same work.

#include "tags/id3v2.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t kSize = 50u << 20;
constexpr int kRounds = 5;

int RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main() {
    const std::string dir = std::string(TRALU_BINARY_DIR) + "/bench-data";
    ::mkdir(dir.c_str(), 0755);
    const std::string song = dir + "/tag_write.mp3";
    const std::string copy = dir + "/tag_write_copy.mp3";
    {
        std::string audio(kSize, '\0');
        for (std::size_t i = 0; i < audio.size(); ++i)
            audio[i] = static_cast<char>((i * 2654435761u) >> 13);
        std::ofstream out(song, std::ios::binary | std::ios::trunc);
        out.write(audio.data(), static_cast<std::streamsize>(audio.size()));
    }
    std::printf("tag_write: %zu MB file %s\n", kSize >> 20, song.c_str());
    double bestWrite = 1e100;
    double bestCp = 1e100;
    double bestCpSync = 1e100;
    for (int round = 0; round < kRounds; ++round) {
        TID3v2 tag;
        tag.SetTitle("Round " + std::to_string(round));
        tag.SetArtist("Benchmark");
        auto start = std::chrono::steady_clock::now();
        if (!tag.WriteTag(song)) {
            std::fprintf(stderr, "WriteTag failed\n");
            return 1;
        }
        const double write = Millis(std::chrono::steady_clock::now() - start);

        ::unlink(copy.c_str());
        start = std::chrono::steady_clock::now();
        if (RunProgram({"cp", song, copy}) != 0) {
            std::fprintf(stderr, "cp failed\n");
            return 1;
        }
        const double cp = Millis(std::chrono::steady_clock::now() - start);
        RunProgram({"sync", copy});
        ::unlink(copy.c_str());
        start = std::chrono::steady_clock::now();
        RunProgram({"cp", song, copy});
        RunProgram({"sync", copy});
        const double cpSync = Millis(std::chrono::steady_clock::now() - start);
        std::printf("round %d: WriteTag %.1f ms, cp %.1f ms, cp+sync %.1f ms\n", round + 1, write,
                    cp, cpSync);
        std::fflush(stdout);
        bestWrite = std::min(bestWrite, write);
        bestCp = std::min(bestCp, cp);
        bestCpSync = std::min(bestCpSync, cpSync);
    }
    ::unlink(copy.c_str());
    std::printf("RESULT write_ms=%.1f cp_ms=%.1f cp_sync_ms=%.1f ratio=%.2f sync_ratio=%.2f\n",
                bestWrite, bestCp, bestCpSync, bestWrite / bestCp, bestWrite / bestCpSync);
    return 0;
}
