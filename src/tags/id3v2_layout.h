#pragma once
// The layout of an ID3v2 tag: the 10-byte header, the extended header,
// unsynchronisation, and the list of frames of versions 2.2, 2.3 and 2.4.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tags::id3v2 {

inline constexpr std::size_t kHeaderSize = 10;
// Header flags.
inline constexpr std::uint8_t kFlagUnsynchronisation = 0x80;
inline constexpr std::uint8_t kFlagExtendedHeader = 0x40; // compression in 2.2
inline constexpr std::uint8_t kFlagFooter = 0x10;         // 2.4

struct Header {
    bool present = false; // starts with "ID3"
    std::uint8_t version = 0;
    std::uint8_t revision = 0;
    std::uint8_t flags = 0;
    std::uint8_t size[4] = {0, 0, 0, 0}; // as stored
};

// The first 10 bytes of a file; false when there are fewer.
bool ParseHeader(std::string_view bytes, Header& header);
// The whole tag size, header included, from the stored size bytes taken
// whole (8 bits each, as stored); 0 when it reaches past `fileSize`.
std::int64_t TotalTagSize(const Header& header, std::int64_t fileSize);

std::uint32_t DecodeSyncSafe(std::string_view fourBytes);
// False when `value` needs more than 28 bits.
bool EncodeSyncSafe(std::uint32_t value, std::string& out);
// Undoes unsynchronisation: every FF 00 becomes FF.
std::string RemoveUnsynchronisation(std::string_view bytes);

struct Frame {
    std::string id;               // 3 letters in 2.2, else 4
    std::uint8_t statusFlags = 0; // first flag byte (0 in 2.2)
    std::uint8_t formatFlags = 0; // second flag byte (0 in 2.2)
    std::string data;             // as stored after the frame header
    std::string raw;              // frame header and data, as stored
};

// The frames of a tag body (the bytes after the 10-byte header, as many as
// the header declares).  Tag-level unsynchronisation (2.2, 2.3) is undone
// and the extended header skipped first; reading stops at padding, at an
// identifier that is not made of capitals and digits, and at a frame that
// reaches past the body.  2.4 sizes written as plain numbers, as some
// programs do, are recognised.
std::vector<Frame> ParseFrames(std::uint8_t version, std::uint8_t flags, std::string_view body);

// What a frame holds for reading: grouping and data-length bytes removed,
// unsynchronisation undone.  Empty when the frame is compressed or
// encrypted.
std::optional<std::string> FrameContent(std::uint8_t version, std::uint8_t tagFlags,
                                        const Frame& frame);

// The identifier of an ID3v2.2 frame under its later four-letter name, for
// the frames the tag objects read ("TT2" -> "TIT2"); other names unchanged.
std::string CanonicalFrameId(std::string_view id);

bool IsV23FrameId(std::string_view id);

// The frame in ID3v2.3 form, or nothing when it cannot be carried safely:
// 2.3 frames come byte for byte; 2.4 frames when ID3v2.3 knows their
// identifier and they are not compressed, encrypted or unsynchronised
// (sizes re-encoded, flags mapped, UTF-8 and UTF-16BE text re-encoded as
// UTF-16); 2.2 frames never.
std::optional<std::string> ConvertFrameToV23(std::uint8_t version, std::uint8_t tagFlags,
                                             const Frame& frame);

} // namespace tags::id3v2
