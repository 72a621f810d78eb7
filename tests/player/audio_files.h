#pragma once
// Songs for the player's tests: a continuous tone cut into WAV files, MP3
// files encoded from them, and the samples of a 32-bit float WAV file.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tralu::test {

constexpr int ToneRate = 44100;
constexpr double ToneHz = 441.0;

// The tone's value at sample n of the whole stream, as a 16-bit sample.
inline std::int16_t ToneSample(std::int64_t n) {
    return std::int16_t(std::lround(std::sin(2 * M_PI * ToneHz * double(n) / ToneRate) * 16000));
}

// Writes samples [first, first + count) of the tone as a 16-bit stereo WAV.
inline bool WriteToneWav(const QString& path, std::int64_t first, std::int64_t count) {
    QByteArray data;
    data.reserve(int(count * 4));
    for (std::int64_t n = first; n < first + count; ++n) {
        const std::int16_t s = ToneSample(n);
        for (int c = 0; c < 2; ++c) {
            data.append(char(s & 0xFF));
            data.append(char((s >> 8) & 0xFF));
        }
    }
    auto le32 = [](QByteArray& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [](QByteArray& b, std::uint16_t v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    QByteArray h("RIFF");
    le32(h, std::uint32_t(36 + data.size()));
    h.append("WAVEfmt ");
    le32(h, 16);
    le16(h, 1);
    le16(h, 2);
    le32(h, ToneRate);
    le32(h, ToneRate * 4);
    le16(h, 4);
    le16(h, 16);
    h.append("data");
    le32(h, std::uint32_t(data.size()));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(h + data) == h.size() + data.size();
}

// The first channel of a WAV file written by wavenc in 32-bit float.
inline std::vector<float> ReadFloatWav(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    std::vector<float> out;
    qsizetype pos = 12;
    while (pos + 8 <= all.size()) {
        const QByteArray id = all.mid(pos, 4);
        std::uint32_t size;
        std::memcpy(&size, all.constData() + pos + 4, 4);
        pos += 8;
        if (id == "data") {
            const qsizetype end = std::min<qsizetype>(all.size(), pos + qsizetype(size));
            for (qsizetype p = pos; p + 8 <= end; p += 8) {
                float v;
                std::memcpy(&v, all.constData() + p, 4);
                out.push_back(v);
            }
            break;
        }
        pos += size + (size & 1);
    }
    return out;
}

// Runs a program; true when it exits with 0.
inline bool RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

} // namespace tralu::test
