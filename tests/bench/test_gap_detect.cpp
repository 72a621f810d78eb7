// The join detector of the gap benchmark: recordings built from a known
// signal with joins that are exact, padded with silence or noise, short of
// samples, and with a song missing.

#include "gap_detect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr std::int64_t Gap37 = 1632; // 37 ms

// A tone with band-limited noise on it, like the benchmark's songs.
std::vector<float> Signal(std::int64_t count) {
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0.0f, 0.35f);
    std::vector<float> out;
    float lp = 0;
    for (std::int64_t n = 0; n < count; ++n) {
        lp += 0.43f * (noise(rng) - lp);
        out.push_back(0.3f * std::sin(float(2 * M_PI * 441.0 * double(n) / Rate)) + lp);
    }
    return out;
}

// What happens after each song in the recording.
struct TAfter {
    std::int64_t Gap = 0;  // samples of silence (or of faint noise) added
    bool Noise = false;    // the gap holds faint noise instead of zeros
    std::int64_t Drop = 0; // samples of the song's end that are not heard
    bool Lost = false;     // the song is not heard at all
    std::int64_t Cut = 0;  // samples from the song's middle not heard
    std::int64_t Skip = 0; // samples of the song\'s beginning not heard
};

struct TFixture {
    std::vector<float> Reference, Recording;
    std::vector<std::int64_t> Lengths{6001, 5333, 7001, 6500, 5900, 6100};
    gap::TOptions Options;

    explicit TFixture(const std::vector<TAfter>& after, float volume = 1.0f) {
        Options.Window = 512;
        Options.Near = 1000;
        Options.Far = 20000;
        std::int64_t total = 0;
        for (std::int64_t l : Lengths)
            total += l;
        Reference = Signal(total);
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> faint(-1e-3f, 1e-3f);
        Recording.assign(700, 0.0f);
        std::int64_t at = 0;
        for (std::size_t k = 0; k < Lengths.size(); ++k) {
            const TAfter& a = after[k];
            const std::int64_t middle = at + Lengths[k] / 2;
            for (std::int64_t n = at + a.Skip; !a.Lost && n < at + Lengths[k] - a.Drop; ++n)
                if (n < middle || n >= middle + a.Cut)
                    Recording.push_back(Reference[n] * volume + faint(rng) * 0.01f);
            for (std::int64_t n = 0; n < a.Gap; ++n)
                Recording.push_back(a.Noise ? faint(rng) : 0.0f);
            at += Lengths[k];
        }
        Recording.resize(Recording.size() + 3000, 0.0f);
    }

    gap::TReport Measure() const {
        return gap::MeasureJoins(Reference, Lengths, Recording, Options);
    }
};

TEST(GapDetect, MeasuresWhatEachJoinInserts) {
    struct {
        const char* name;
        std::vector<TAfter> after;
        float volume;
        std::vector<std::int64_t> inserted; // -1000000: the join is not found
        int lost;
    } cases[] = {
        {"continuous", std::vector<TAfter>(6), 1.0f, {0, 0, 0, 0, 0}, 0},
        {"continuous at half volume", std::vector<TAfter>(6), 0.5f, {0, 0, 0, 0, 0}, 0},
        {"37 ms of silence at every join",
         std::vector<TAfter>(6, TAfter{Gap37, false, 0, false}),
         1.0f,
         {Gap37, Gap37, Gap37, Gap37, Gap37},
         0},
        {"one exact join, faint noise, a lost song, an end lost, a middle cut",
         {{}, {Gap37, true}, {}, {0, false, 0, true}, {0, false, 10}, {0, false, 0, false, 300}},
         1.0f,
         {0, Gap37, -1000000, -1000000, -10},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TFixture f(c.after, c.volume);
        const gap::TReport r = f.Measure();
        ASSERT_EQ(r.Joins.size(), c.inserted.size());
        EXPECT_EQ(r.Lost, c.lost);
        for (std::size_t k = 0; k < c.inserted.size(); ++k) {
            SCOPED_TRACE(k);
            if (c.inserted[k] == -1000000) {
                EXPECT_FALSE(r.Joins[k].Found);
                continue;
            }
            ASSERT_TRUE(r.Joins[k].Found);
            EXPECT_EQ(r.Joins[k].Inserted, c.inserted[k]);
        }
        // Samples lost at a song's end show at the join, those lost
        // inside it in its length.
        for (std::size_t k = 0; k < r.Songs.size(); ++k) {
            if (!c.after[k].Lost) {
                ASSERT_TRUE(r.Songs[k].Start.Found && r.Songs[k].End.Found) << "song " << k;
                EXPECT_EQ(r.Songs[k].LengthError, -c.after[k].Cut) << "song " << k;
            }
        }
    }
}

TEST(GapDetect, TellsWhenTheFirstOrTheLastSongIsCut) {
    // 100 samples (2.3 ms) missing at the first song's beginning and at the
    // last song's end: no join shows it, the edges do.
    std::vector<TAfter> after(6);
    after[0].Skip = 100;
    after[5].Drop = 100;
    const gap::TReport cut = TFixture(after).Measure();
    const gap::TReport whole = TFixture(std::vector<TAfter>(6)).Measure();
    ASSERT_EQ(cut.Lost, 0);
    ASSERT_EQ(whole.Lost, 0);
    const gap::TOptions o;
    EXPECT_LT(cut.Songs[0].HeadScore, o.MinEdgeScore);
    EXPECT_LT(cut.Songs[5].TailScore, o.MinEdgeScore);
    EXPECT_EQ(cut.Songs[0].HeadQuiet, 100);
    EXPECT_GE(cut.Songs[5].TailQuiet, 100);
    for (const gap::TSongSpan& s : whole.Songs) {
        EXPECT_GT(s.HeadScore, 0.99);
        EXPECT_GT(s.TailScore, 0.99);
        EXPECT_EQ(s.HeadQuiet + s.TailQuiet, 0);
    }
}

TEST(GapDetect, FindsTheFirstSongWhereverItStarts) {
    TFixture f(std::vector<TAfter>(6));
    // Half a second of silence more before the first song.
    f.Recording.insert(f.Recording.begin(), Rate / 2, 0.0f);
    const gap::TReport r = f.Measure();
    ASSERT_TRUE(r.Songs[0].Start.Found);
    EXPECT_EQ(r.Songs[0].Start.At, 700 + Rate / 2);
    EXPECT_GT(r.Songs[0].Start.Score, 0.99);
    EXPECT_EQ(r.Lost, 0);
}

TEST(GapDetect, ReadsTheFirstChannelOfAWavFile) {
    // A stereo file with an odd-sized chunk before its samples.
    std::string wav = "RIFF";
    auto le = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(char((v >> (8 * i)) & 0xFF));
    };
    le(0, 4);
    wav += "WAVEfmt ";
    le(16, 4), le(1, 2), le(2, 2), le(Rate, 4), le(Rate * 4, 4), le(4, 2), le(16, 2);
    wav += "LIST";
    le(3, 4);
    wav += "abc";
    wav.push_back('\0');
    wav += "data";
    le(12, 4);
    for (std::int16_t s : {16384, -1, -32768, 5, 1, 7})
        le(std::uint16_t(s), 2);
    const std::string path = ::testing::TempDir() + "gap_detect.wav";
    std::ofstream(path, std::ios::binary) << wav;
    int rate = 0;
    EXPECT_EQ(gap::ReadWavChannel(path, &rate), (std::vector<float>{0.5f, -1.0f, 1.0f / 32768}));
    EXPECT_EQ(rate, Rate);
    std::ofstream(path, std::ios::binary) << "RIFF\0\0\0\0WAVE";
    EXPECT_THROW(gap::ReadWavChannel(path), std::runtime_error);
    EXPECT_THROW(gap::ReadWavChannel("/nonexistent/song.wav"), std::runtime_error);
}

} // namespace
