// A writer killed at any moment of WriteTag never leaves a damaged file:
// under its name there is always the complete old or the complete new file.

#include "tags/id3v2.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

using namespace tagtest;

namespace {

// Removes the temporary files a killed writer left behind.
int RemoveLeftovers(const std::string& dir, const std::string& keep) {
    int removed = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != ".." && name != keep) {
                ::unlink((dir + "/" + name).c_str());
                ++removed;
            }
        }
        ::closedir(d);
    }
    return removed;
}

std::string Rendered(const std::string& title) {
    TID3v2 tag;
    tag.SetTitle(title);
    std::string out;
    tag.RenderTag("", out);
    return out;
}

TEST(TagCrashSafety, KilledWritersLeaveTheOldOrTheNewFile) {
    const std::string dir = NewDir("crash");
    const std::string name = "song.mp3";
    const std::string path = dir + "/" + name;
    const std::string audio = Audio(20 << 20);
    std::string current = Rendered("Start") + audio;
    WriteFile(path, current);

    // How long one write takes here, to spread the kills over it.
    TID3v2 timing;
    timing.SetTitle("Timing");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(timing.WriteTag(path));
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    current = Rendered("Timing") + audio;
    ASSERT_EQ(ReadFile(path), current);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> delay(0, std::max<long>(1000, micros * 3 / 2));
    int sawOld = 0;
    int sawNew = 0;
    for (int i = 0; i < 50; ++i) {
        const std::string title = "Title " + std::to_string(i);
        const std::string next = Rendered(title) + audio;
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TID3v2 tag;
            tag.SetTitle(title);
            ::_exit(tag.WriteTag(path) ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);

        const std::string now = ReadFile(path);
        if (now == next) {
            ++sawNew;
            current = next;
        } else {
            ASSERT_EQ(now.size(), current.size()) << "round " << i;
            ASSERT_TRUE(now == current) << "round " << i << ": neither the old nor the new file";
            ++sawOld;
        }
        RemoveLeftovers(dir, name);
    }
    // The kills are spread so that both outcomes happen.
    std::printf("old file kept %d times, new file in place %d times\n", sawOld, sawNew);
    EXPECT_GT(sawOld + sawNew, 0);
}

} // namespace
