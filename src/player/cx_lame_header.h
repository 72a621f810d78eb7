#pragma once
// The gapless information of an MPEG audio file: the encoder delay and
// padding that a LAME/Xing/Info header in the first frame records, so that
// the samples the encoder added at both ends can be cut after decoding.
// Standard library only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct TMpegGapless {
    int SampleRate = 0;
    int EncoderDelay = 0; // samples the encoder put before the music
    int Padding = 0;      // samples it put after the music
};

// The decoder's own delay, in samples, added to the encoder's at the start.
constexpr int MpegDecoderDelay = 529;

// Reads the header from the bytes of a file's beginning (an ID3v2 tag is
// skipped); nothing when the first frame holds no LAME extension.
std::optional<TMpegGapless> ParseLameHeader(const std::uint8_t* data, std::size_t size);
std::optional<TMpegGapless> ReadLameHeader(const std::string& path);

// Samples to drop at the start and at the end of the decoded stream.
struct TTrim {
    std::uint64_t Start = 0;
    std::uint64_t End = 0;
};
TTrim GaplessTrim(const TMpegGapless& info);
