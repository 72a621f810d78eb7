// The gapless header of MPEG audio from anywhere: reading the first bytes of
// any file never crashes or reads past them, and what it finds fits the
// header's fields (12 bits each) and a real sample rate.
#include "player/cx_lame_header.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto info = ParseLameHeader(data, size);
    if (!info)
        return 0;
    if (info->EncoderDelay < 0 || info->EncoderDelay > 4095 || info->Padding < 0 ||
        info->Padding > 4095)
        std::abort();
    if (info->SampleRate < 8000 || info->SampleRate > 48000)
        std::abort();
    const TTrim trim = GaplessTrim(*info);
    if (trim.Start < std::uint64_t(MpegDecoderDelay) || trim.End > 4095)
        std::abort();
    return 0;
}
