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
// The 2.4 frame format flag: this frame's data is unsynchronised.
inline constexpr std::uint8_t kFrameUnsynchronisation = 0x02;

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

// Applies unsynchronisation: a zero byte goes after every FF that is
// followed by a zero or by a byte of 0xE0 or more, and after a last FF.
std::string Unsynchronise(std::string_view bytes);

// A whole frame of version 3 (32-bit big-endian size) or 4 (sync-safe
// size): identifier, size, two flag bytes, data.
std::string RenderFrame(std::uint8_t version, std::string_view id, std::string_view data,
                        std::uint8_t statusFlags = 0, std::uint8_t formatFlags = 0);

// An ID3v2.2 frame as the ID3v2.3 frame that stands for it ("TT2" ->
// "TIT2", the same data; "PIC" -> "APIC" with the MIME type of its image
// format), or nothing when ID3v2.3 has no such frame.
std::optional<Frame> FrameFromV22(const Frame& frame);

// The frames of an existing tag in the form its rewrite keeps them.  A 2.4
// tag stays 2.4: its frames as stored (a plain size some writers put there
// becomes sync-safe), `flags` its unsynchronisation flag, which applies to
// every frame.  A 2.3 tag stays 2.3: its frames as stored once the tag's
// unsynchronisation is undone.  A 2.2 tag becomes 2.3 through FrameFromV22;
// frames without a 2.3 counterpart go.  Any other tag gives no frames and
// version 3.  `body` is what follows the header, as declared.
struct TagFrames {
    std::uint8_t version = 3;
    std::uint8_t flags = 0;
    std::vector<Frame> frames;
};
TagFrames LoadTagFrames(const Header& header, std::string_view body);

} // namespace tags::id3v2
