#include "player/cx_lame_header.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

struct TFrameHeader {
    int Version = 0; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    bool Mono = false;
    bool Crc = false;
    int SampleRate = 0;
};

std::optional<TFrameHeader> FrameHeader(const std::uint8_t* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    TFrameHeader h;
    h.Version = (p[1] >> 3) & 3;
    const int layer = (p[1] >> 1) & 3;
    const int bitrate = p[2] >> 4;
    const int rate = (p[2] >> 2) & 3;
    if (h.Version == 1 || layer != 1 || bitrate == 15 || rate == 3)
        return std::nullopt;
    static const int rates[3] = {44100, 48000, 32000};
    h.SampleRate = rates[rate] >> (h.Version == 3 ? 0 : h.Version == 2 ? 1 : 2);
    h.Mono = (p[3] >> 6) == 3;
    h.Crc = (p[1] & 1) == 0;
    return h;
}

} // namespace

std::optional<TMpegGapless> ParseLameHeader(const std::uint8_t* data, std::size_t size) {
    std::size_t pos = 0;
    if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
        const std::size_t tag = (std::size_t(data[6] & 0x7F) << 21) |
                                (std::size_t(data[7] & 0x7F) << 14) |
                                (std::size_t(data[8] & 0x7F) << 7) | std::size_t(data[9] & 0x7F);
        pos = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
    }
    // The first frame: the header must be at the start of the audio, after
    // at most a little junk.
    std::optional<TFrameHeader> header;
    const std::size_t limit = std::min(size, pos + 4096);
    for (; pos + 4 <= limit; ++pos)
        if ((header = FrameHeader(data + pos)))
            break;
    if (!header)
        return std::nullopt;
    std::size_t side = header->Version == 3 ? (header->Mono ? 17 : 32) : (header->Mono ? 9 : 17);
    std::size_t x = pos + 4 + (header->Crc ? 2 : 0) + side;
    if (x + 8 > size)
        return std::nullopt;
    const bool xing = std::equal(data + x, data + x + 4, "Xing");
    const bool info = std::equal(data + x, data + x + 4, "Info");
    if (!xing && !info)
        return std::nullopt;
    const std::uint32_t flags = Be32(data + x + 4);
    std::size_t o = x + 8;
    if (flags & 1)
        o += 4; // frames
    if (flags & 2)
        o += 4; // bytes
    if (flags & 4)
        o += 100; // table of contents
    if (flags & 8)
        o += 4; // quality
    // The LAME extension: a 9-character encoder name, then delay and
    // padding in 12 bits each at offset 21.  A Xing header without it (as
    // some muxers write) carries no gapless information.
    if (o + 24 > size)
        return std::nullopt;
    for (int i = 0; i < 4; ++i)
        if (!std::isalnum(data[o + i]) && data[o + i] != '.')
            return std::nullopt;
    const std::uint32_t v =
        std::uint32_t(data[o + 21]) << 16 | std::uint32_t(data[o + 22]) << 8 | data[o + 23];
    TMpegGapless g;
    g.SampleRate = header->SampleRate;
    g.EncoderDelay = int(v >> 12);
    g.Padding = int(v & 0xFFF);
    return g;
}

std::optional<TMpegGapless> ReadLameHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> head(10);
    in.read(reinterpret_cast<char*>(head.data()), 10);
    if (in.gcount() < 10)
        return std::nullopt;
    std::size_t want = 8192;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3')
        want += 20 + ((std::size_t(head[6] & 0x7F) << 21) | (std::size_t(head[7] & 0x7F) << 14) |
                      (std::size_t(head[8] & 0x7F) << 7) | std::size_t(head[9] & 0x7F));
    head.resize(want);
    in.read(reinterpret_cast<char*>(head.data()) + 10, std::streamsize(want - 10));
    head.resize(10 + std::size_t(in.gcount()));
    return ParseLameHeader(head.data(), head.size());
}

TTrim GaplessTrim(const TMpegGapless& info) {
    TTrim t;
    t.Start = std::uint64_t(info.EncoderDelay) + MpegDecoderDelay;
    t.End = info.Padding > MpegDecoderDelay ? std::uint64_t(info.Padding - MpegDecoderDelay) : 0;
    return t;
}
