#include "gap_detect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gap {

namespace {

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint16_t Le16(const char* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

std::vector<float> FirstChannel(const char* data, std::size_t bytes, int channels) {
    const std::size_t frame = std::size_t(channels) * 2;
    std::vector<float> out;
    out.reserve(bytes / frame);
    for (std::size_t p = 0; p + frame <= bytes; p += frame) {
        std::int16_t s;
        std::memcpy(&s, data + p, 2);
        out.push_back(float(s) / 32768.0f);
    }
    return out;
}

} // namespace

double Similarity(const float* a, const float* b, int size) {
    double ab = 0, aa = 0, bb = 0;
    for (int i = 0; i < size; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TMatch FindWindow(const std::vector<float>& signal, const float* pattern, int size,
                  std::int64_t from, std::int64_t to, double minScore) {
    TMatch best;
    const std::int64_t last = std::int64_t(signal.size()) - size;
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, last);
    if (size <= 0 || from > to)
        return best;
    double patternEnergy = 0;
    for (int i = 0; i < size; ++i)
        patternEnergy += double(pattern[i]) * pattern[i];
    // Energy of the recorded window, slid along one sample at a time.
    double energy = 0;
    for (int i = 0; i < size; ++i)
        energy += double(signal[from + i]) * signal[from + i];
    best.Score = -2;
    for (std::int64_t at = from; at <= to; ++at) {
        if (at > from) {
            const double out = signal[at - 1], in = signal[at + size - 1];
            energy = std::max(0.0, energy - out * out + in * in);
        }
        const float* s = signal.data() + at;
        float d[4] = {0, 0, 0, 0};
        int i = 0;
        for (; i + 4 <= size; i += 4)
            for (int j = 0; j < 4; ++j)
                d[j] += pattern[i + j] * s[i + j];
        for (; i < size; ++i)
            d[0] += pattern[i] * s[i];
        const double dot = double(d[0]) + d[1] + d[2] + d[3];
        const double norm = std::sqrt(patternEnergy * energy);
        const double score = norm > 0 ? dot / norm : 0;
        if (score > best.Score) {
            best.Score = score;
            best.At = at;
        }
    }
    best.Found = best.Score >= minScore;
    return best;
}

TReport MeasureJoins(const std::vector<float>& reference, const std::vector<std::int64_t>& lengths,
                     const std::vector<float>& recording, const TOptions& options) {
    TReport report;
    const int w = options.Window;
    const std::int64_t recorded = std::int64_t(recording.size());
    auto find = [&](std::int64_t refAt, std::int64_t predicted) {
        const float* pattern = reference.data() + refAt;
        TMatch m = FindWindow(recording, pattern, w, predicted - options.Near,
                              predicted + options.Near, options.MinScore);
        if (!m.Found)
            m = FindWindow(recording, pattern, w, predicted - options.Far, predicted + options.Far,
                           options.MinScore);
        return m;
    };
    std::int64_t songStart = 0; // in the reference
    // Where the next song should begin in the recording; the first one
    // near the first sound heard.
    std::int64_t predicted = 0;
    while (predicted < recorded && std::fabs(recording[predicted]) < 1e-3f)
        ++predicted;
    for (std::int64_t length : lengths) {
        TSongSpan span;
        if (length >= w && songStart + length <= std::int64_t(reference.size())) {
            span.Start = find(songStart, predicted);
            const std::int64_t endPredicted =
                (span.Start.Found ? span.Start.At : predicted) + length - w;
            span.End = find(songStart + length - w, endPredicted);
            if (span.Start.Found && span.End.Found)
                span.LengthError = span.End.At + w - span.Start.At - length;
            const int e = std::min<std::int64_t>(options.Edge, w);
            auto quiet = [&](std::int64_t at, std::int64_t step) {
                std::int64_t n = 0;
                while (n < w && at >= 0 && at < recorded && std::fabs(recording[at]) < 1e-4f)
                    ++n, at += step;
                return n;
            };
            if (span.Start.Found) {
                span.HeadQuiet = quiet(span.Start.At, 1);
                span.HeadScore =
                    Similarity(reference.data() + songStart, recording.data() + span.Start.At, e);
            }
            if (span.End.Found) {
                span.TailQuiet = quiet(span.End.At + w - 1, -1);
                span.TailScore = Similarity(reference.data() + songStart + length - e,
                                            recording.data() + span.End.At + w - e, e);
            }
        }
        if (!span.Start.Found)
            ++report.Lost;
        if (span.End.Found) {
            predicted = span.End.At + w;
        } else if (span.Start.Found) {
            predicted = span.Start.At + length;
        }
        report.Songs.push_back(span);
        songStart += length;
    }
    for (std::size_t k = 0; k + 1 < report.Songs.size(); ++k) {
        TJoin join;
        join.Song = int(k);
        const TSongSpan& a = report.Songs[k];
        const TSongSpan& b = report.Songs[k + 1];
        join.Found = a.End.Found && b.Start.Found;
        if (join.Found)
            join.Inserted = b.Start.At - (a.End.At + w);
        report.Joins.push_back(join);
    }
    return report;
}

std::vector<float> ReadWavChannel(const std::string& path, int* rate) {
    const std::vector<char> all = ReadAll(path);
    if (all.size() < 12 || std::memcmp(all.data(), "RIFF", 4) != 0 ||
        std::memcmp(all.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error(path + " is not a WAV file");
    int channels = 0, bits = 0;
    std::size_t pos = 12;
    while (pos + 8 <= all.size()) {
        const char* id = all.data() + pos;
        const std::size_t size = Le32(id + 4);
        const std::size_t body = pos + 8;
        const std::size_t end = std::min(all.size(), body + size);
        if (std::memcmp(id, "fmt ", 4) == 0 && end - body >= 16) {
            if (Le16(all.data() + body) != 1)
                throw std::runtime_error(path + " is not PCM");
            channels = Le16(all.data() + body + 2);
            if (rate)
                *rate = int(Le32(all.data() + body + 4));
            bits = Le16(all.data() + body + 14);
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (channels < 1 || bits != 16)
                throw std::runtime_error(path + " is not 16-bit PCM");
            return FirstChannel(all.data() + body, end - body, channels);
        }
        pos = body + size + (size & 1);
    }
    throw std::runtime_error(path + " holds no samples");
}

std::vector<float> ReadRawChannel(const std::string& path, int channels) {
    const std::vector<char> all = ReadAll(path);
    return FirstChannel(all.data(), all.size(), channels);
}

} // namespace gap
