#include "tags/id3v2_layout.h"

#include "tags/id3v2_frame.h"

#include <algorithm>
#include <array>

namespace tags::id3v2 {

namespace {

std::uint8_t Byte(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

std::uint32_t BigEndian(std::string_view s, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | Byte(s, i);
    return v;
}

bool IsIdChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsFrameId(std::string_view id) {
    return !id.empty() && id[0] >= 'A' && id[0] <= 'Z' &&
           std::all_of(id.begin(), id.end(), IsIdChar);
}

// v2.4 frame flags.
constexpr std::uint8_t kV24Grouping = 0x40;
constexpr std::uint8_t kV24Compression = 0x08;
constexpr std::uint8_t kV24Encryption = 0x04;
constexpr std::uint8_t kV24Unsynchronisation = 0x02;
constexpr std::uint8_t kV24DataLength = 0x01;
// v2.3 frame flags.
constexpr std::uint8_t kV23Compression = 0x80;
constexpr std::uint8_t kV23Encryption = 0x40;
constexpr std::uint8_t kV23Grouping = 0x20;

constexpr std::array<std::string_view, 74> kV23Ids = {
    "AENC", "APIC", "COMM", "COMR", "ENCR", "EQUA", "ETCO", "GEOB", "GRID", "IPLS", "LINK",
    "MCDI", "MLLT", "OWNE", "PCNT", "POPM", "POSS", "PRIV", "RBUF", "RVAD", "RVRB", "SYLT",
    "SYTC", "TALB", "TBPM", "TCOM", "TCON", "TCOP", "TDAT", "TDLY", "TENC", "TEXT", "TFLT",
    "TIME", "TIT1", "TIT2", "TIT3", "TKEY", "TLAN", "TLEN", "TMED", "TOAL", "TOFN", "TOLY",
    "TOPE", "TORY", "TOWN", "TPE1", "TPE2", "TPE3", "TPE4", "TPOS", "TPUB", "TRCK", "TRDA",
    "TRSN", "TRSO", "TSIZ", "TSRC", "TSSE", "TXXX", "TYER", "UFID", "USER", "USLT", "WCOM",
    "WCOP", "WOAF", "WOAR", "WOAS", "WORS", "WPAY", "WPUB", "WXXX",
};
static_assert(std::is_sorted(kV23Ids.begin(), kV23Ids.end()));

// Where a 2.4 frame of the given size would end, and whether a frame (or
// padding, or the end of the body) could start there.
bool PlausibleNext(std::string_view body, std::size_t next) {
    if (next == body.size())
        return true;
    if (next > body.size())
        return false;
    if (body[next] == '\0')
        return true;
    return next + 4 <= body.size() && IsFrameId(body.substr(next, 4));
}

} // namespace

bool ParseHeader(std::string_view bytes, Header& header) {
    header = Header{};
    if (bytes.size() < kHeaderSize)
        return false;
    header.present = bytes.substr(0, 3) == "ID3";
    header.version = Byte(bytes, 3);
    header.revision = Byte(bytes, 4);
    header.flags = Byte(bytes, 5);
    for (int i = 0; i < 4; ++i)
        header.size[i] = Byte(bytes, 6 + i);
    return true;
}

std::int64_t TotalTagSize(const Header& header, std::int64_t fileSize) {
    const std::int64_t total =
        (std::int64_t(header.size[0]) << 21) + (std::int64_t(header.size[1]) << 14) +
        (std::int64_t(header.size[2]) << 7) + header.size[3] + std::int64_t(kHeaderSize);
    return fileSize < total ? 0 : total;
}

std::uint32_t DecodeSyncSafe(std::string_view b) {
    return (std::uint32_t(Byte(b, 0) & 0x7F) << 21) | (std::uint32_t(Byte(b, 1) & 0x7F) << 14) |
           (std::uint32_t(Byte(b, 2) & 0x7F) << 7) | std::uint32_t(Byte(b, 3) & 0x7F);
}

bool EncodeSyncSafe(std::uint32_t value, std::string& out) {
    if (value > 0x0FFFFFFF)
        return false;
    out += static_cast<char>((value >> 21) & 0x7F);
    out += static_cast<char>((value >> 14) & 0x7F);
    out += static_cast<char>((value >> 7) & 0x7F);
    out += static_cast<char>(value & 0x7F);
    return true;
}

std::string RemoveUnsynchronisation(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

std::vector<Frame> ParseFrames(std::uint8_t version, std::uint8_t flags, std::string_view input) {
    std::vector<Frame> frames;
    if (version < 2 || version > 4)
        return frames;
    // 2.2 has no compression scheme defined: such a tag cannot be read.
    if (version == 2 && (flags & kFlagExtendedHeader))
        return frames;
    std::string plain;
    std::string_view body = input;
    if (version <= 3 && (flags & kFlagUnsynchronisation)) {
        plain = RemoveUnsynchronisation(input);
        body = plain;
    }
    std::size_t pos = 0;
    if (version >= 3 && (flags & kFlagExtendedHeader)) {
        if (body.size() < 4)
            return frames;
        if (version == 3) {
            // The size does not count its own four bytes.
            const std::uint64_t size = BigEndian(body, 4);
            if (size + 4 > body.size())
                return frames;
            pos = static_cast<std::size_t>(size + 4);
        } else {
            for (int i = 0; i < 4; ++i)
                if (Byte(body, i) & 0x80)
                    return frames;
            const std::uint32_t size = DecodeSyncSafe(body);
            if (size < 6 || size > body.size())
                return frames;
            pos = size;
        }
    }
    const std::size_t idSize = version == 2 ? 3 : 4;
    const std::size_t headerSize = version == 2 ? 6 : 10;
    while (pos + headerSize <= body.size()) {
        const std::string_view id = body.substr(pos, idSize);
        if (!IsFrameId(id))
            break;
        std::uint64_t size = 0;
        const std::string_view sizeBytes = body.substr(pos + idSize, version == 2 ? 3 : 4);
        if (version == 2) {
            size = BigEndian(sizeBytes, 3);
        } else if (version == 3) {
            size = BigEndian(sizeBytes, 4);
        } else {
            const std::uint64_t plainSize = BigEndian(sizeBytes, 4);
            const bool syncSafe = (plainSize & 0x80808080u) == 0;
            size = syncSafe ? DecodeSyncSafe(sizeBytes) : plainSize;
            // Some writers put plain sizes into 2.4 frames; believe the
            // plain size when only it leads to a next frame.
            if (syncSafe && size != plainSize && !PlausibleNext(body, pos + headerSize + size) &&
                PlausibleNext(body, pos + headerSize + plainSize))
                size = plainSize;
        }
        if (size > body.size() - pos - headerSize)
            break;
        Frame frame;
        frame.id = std::string(id);
        if (version > 2) {
            frame.statusFlags = Byte(body, pos + 8);
            frame.formatFlags = Byte(body, pos + 9);
        }
        frame.data = std::string(body.substr(pos + headerSize, size));
        frame.raw = std::string(body.substr(pos, headerSize + size));
        frames.push_back(std::move(frame));
        pos += headerSize + size;
    }
    return frames;
}

std::optional<std::string> FrameContent(std::uint8_t version, std::uint8_t tagFlags,
                                        const Frame& frame) {
    std::string_view data = frame.data;
    if (version == 3) {
        if (frame.formatFlags & (kV23Compression | kV23Encryption))
            return std::nullopt;
        if (frame.formatFlags & kV23Grouping) {
            if (data.empty())
                return std::nullopt;
            data.remove_prefix(1);
        }
        return std::string(data);
    }
    if (version == 4) {
        if (frame.formatFlags & (kV24Compression | kV24Encryption))
            return std::nullopt;
        const std::size_t extra = ((frame.formatFlags & kV24Grouping) ? 1 : 0) +
                                  ((frame.formatFlags & kV24DataLength) ? 4 : 0);
        if (data.size() < extra)
            return std::nullopt;
        data.remove_prefix(extra);
        if ((frame.formatFlags & kV24Unsynchronisation) || (tagFlags & kFlagUnsynchronisation))
            return RemoveUnsynchronisation(data);
        return std::string(data);
    }
    return std::string(data);
}

std::string CanonicalFrameId(std::string_view id) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kV22 = {{
        {"TT2", "TIT2"},
        {"TP1", "TPE1"},
        {"TAL", "TALB"},
        {"TRK", "TRCK"},
        {"TYE", "TYER"},
        {"TCO", "TCON"},
        {"COM", "COMM"},
        {"PIC", "APIC"},
    }};
    for (const auto& [from, to] : kV22)
        if (id == from)
            return std::string(to);
    return std::string(id);
}

bool IsV23FrameId(std::string_view id) {
    return std::binary_search(kV23Ids.begin(), kV23Ids.end(), id);
}

std::optional<std::string> ConvertFrameToV23(std::uint8_t version, std::uint8_t tagFlags,
                                             const Frame& frame) {
    if (version == 3)
        return frame.raw;
    if (version != 4 || !IsV23FrameId(frame.id))
        return std::nullopt;
    if ((frame.formatFlags & (kV24Compression | kV24Encryption | kV24Unsynchronisation)) ||
        (tagFlags & kFlagUnsynchronisation))
        return std::nullopt;
    std::string_view data = frame.data;
    std::string group;
    if (frame.formatFlags & kV24Grouping) {
        if (data.empty())
            return std::nullopt;
        group = std::string(data.substr(0, 1));
        data.remove_prefix(1);
    }
    if (frame.formatFlags & kV24DataLength) {
        if (data.size() < 4)
            return std::nullopt;
        data.remove_prefix(4);
    }
    std::string content(data);
    if (!ReencodeForV23(frame.id, content))
        return std::nullopt;
    // Status flags: tag alter, file alter and read-only move up one bit.
    const auto status = static_cast<std::uint8_t>((frame.statusFlags & 0x70) << 1);
    const std::uint8_t format = group.empty() ? 0 : kV23Grouping;
    return RenderFrameV23(frame.id, group + content, status, format);
}

} // namespace tags::id3v2
