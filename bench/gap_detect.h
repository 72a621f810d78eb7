#pragma once
// Finds the joins between songs in a recording of their playback.
//
// The songs are cut from one continuous signal whose every moment differs
// from every other (a tone with band-limited noise on it).  The first and
// the last samples of each song are looked up in the recording by
// normalized cross-correlation; the distance between where one song's last
// window ends and where the next song's first window begins is what the
// player inserted at that join (positive: silence or other samples added,
// negative: samples lost).  A song whose first window is not found is lost.

#include <cstdint>
#include <string>
#include <vector>

namespace gap {

// One window of the signal looked up in the recording.
struct TMatch {
    bool Found = false;
    std::int64_t At = 0; // first recorded sample of the window
    double Score = 0;    // normalized correlation at At, 1 = identical
};

struct TSongSpan {
    TMatch Start; // the song's first Window samples
    TMatch End;   // the song's last Window samples
    // Recorded length minus the song's own length (samples cut or added
    // inside the song); valid when both windows were found.
    std::int64_t LengthError = 0;
    // Normalized correlation of the song's first and last Edge samples
    // with the recording where the windows put them: low when the very
    // beginning or end of the song is not heard (which the windows alone
    // cannot show for the first and the last song).
    double HeadScore = 0, TailScore = 0;
    // Samples heard as silence at the very beginning and end of the song
    // (where the signal itself is never silent).
    std::int64_t HeadQuiet = 0, TailQuiet = 0;
};

struct TJoin {
    int Song = 0;       // join between song Song and Song + 1 (0-based)
    bool Found = false; // both sides were found
    std::int64_t Inserted = 0;
};

struct TReport {
    std::vector<TSongSpan> Songs;
    std::vector<TJoin> Joins;
    int Lost = 0;
};

struct TOptions {
    int Window = 2048;         // samples per looked-up window
    double MinScore = 0.8;     // below this a window counts as not found
    std::int64_t Near = 4410;  // first search: this far around the prediction
    std::int64_t Far = 176400; // second search when the first finds nothing
    int Edge = 64;             // samples of the songs' edges checked
    double MinEdgeScore = 0.5; // below this an edge counts as not heard
};

// Best normalized correlation of `pattern` in `signal` for first samples
// in [from, to]; Found when the best score reaches minScore.
TMatch FindWindow(const std::vector<float>& signal, const float* pattern, int size,
                  std::int64_t from, std::int64_t to, double minScore);

// Normalized correlation of `size` samples of `a` and `b`; 0 when either
// is silent.
double Similarity(const float* a, const float* b, int size);

// `reference` holds the songs one after the other, `lengths` each song's
// length in samples; `recording` is what was heard (one channel each).
TReport MeasureJoins(const std::vector<float>& reference, const std::vector<std::int64_t>& lengths,
                     const std::vector<float>& recording, const TOptions& options = {});

// Reads the first channel of a 16-bit PCM WAV file, as floats in [-1, 1).
// Throws std::runtime_error with the file name on a file it cannot read.
std::vector<float> ReadWavChannel(const std::string& path, int* rate = nullptr);

// The first channel of raw interleaved 16-bit little-endian samples.
std::vector<float> ReadRawChannel(const std::string& path, int channels);

} // namespace gap
