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
constexpr std::uint8_t kV24DataLength = 0x01;
// v2.3 frame flags.
constexpr std::uint8_t kV23Compression = 0x80;
constexpr std::uint8_t kV23Encryption = 0x40;
constexpr std::uint8_t kV23Grouping = 0x20;

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
        if ((frame.formatFlags & kFrameUnsynchronisation) || (tagFlags & kFlagUnsynchronisation))
            return RemoveUnsynchronisation(data);
        return std::string(data);
    }
    return std::string(data);
}

std::string Unsynchronise(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 64);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF &&
            (i + 1 == bytes.size() || Byte(bytes, i + 1) == 0 || Byte(bytes, i + 1) >= 0xE0))
            out += '\0';
    }
    return out;
}

std::string RenderFrame(std::uint8_t version, std::string_view id, std::string_view data,
                        std::uint8_t statusFlags, std::uint8_t formatFlags) {
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string out(id.substr(0, 4));
    if (version == 4) {
        // Frames never exceed the 28 bits a tag size has.
        EncodeSyncSafe(size & 0x0FFFFFFF, out);
    } else {
        out += static_cast<char>(size >> 24);
        out += static_cast<char>(size >> 16);
        out += static_cast<char>(size >> 8);
        out += static_cast<char>(size);
    }
    out += static_cast<char>(statusFlags);
    out += static_cast<char>(formatFlags);
    out += data;
    return out;
}

namespace {

// ID3v2.2 identifiers and the ID3v2.3 frames with the same layout.  The
// sort-order frames are not in ID3v2.3 itself; iTunes writes them in both
// versions and every reader knows them.  Not here, so dropped: CRM
// (encrypted meta frame) and LNK (links to 2.2 identifiers).
constexpr std::array<std::pair<std::string_view, std::string_view>, 67> kV22Ids = {{
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"EQU", "EQUA"},
    {"ETC", "ETCO"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"},
    {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
    {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"},
    {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"},
    {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"},
    {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSI", "TSIZ"}, {"TSP", "TSOP"},
    {"TSS", "TSSE"}, {"TST", "TSOT"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"},
    {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"},
}};

// The MIME type of a 2.2 picture's three-letter image format.
std::string PictureMimeType(std::string_view format) {
    std::string lower;
    for (char c : format) {
        if (c == '\0' || c == ' ')
            break;
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "-->")
        return lower; // the picture is a link
    if (lower == "jpg")
        return "image/jpeg";
    if (lower.empty())
        return "image/";
    return "image/" + lower;
}

} // namespace

std::optional<Frame> FrameFromV22(const Frame& frame) {
    const auto found = std::find_if(kV22Ids.begin(), kV22Ids.end(),
                                    [&](const auto& entry) { return entry.first == frame.id; });
    if (found == kV22Ids.end())
        return std::nullopt;
    Frame out;
    out.id = std::string(found->second);
    if (frame.id == "PIC") {
        // Encoding, image format (3 letters), picture type, description,
        // data; in 2.3 the format is a MIME type ending in a zero byte.
        if (frame.data.size() < 5)
            return std::nullopt;
        out.data = frame.data.substr(0, 1) + PictureMimeType(frame.data.substr(1, 3)) +
                   std::string(1, '\0') + frame.data.substr(4);
    } else {
        out.data = frame.data;
    }
    out.raw = RenderFrame(3, out.id, out.data);
    return out;
}

TagFrames LoadTagFrames(const Header& header, std::string_view body) {
    TagFrames out;
    if (!header.present || header.version < 2 || header.version > 4)
        return out;
    std::vector<Frame> frames = ParseFrames(header.version, header.flags, body);
    if (header.version == 2) {
        for (const Frame& frame : frames)
            if (std::optional<Frame> mapped = FrameFromV22(frame))
                out.frames.push_back(std::move(*mapped));
        return out;
    }
    out.version = header.version;
    if (header.version == 4) {
        out.flags = header.flags & kFlagUnsynchronisation;
        for (Frame& frame : frames)
            frame.raw = RenderFrame(4, frame.id, frame.data, frame.statusFlags, frame.formatFlags);
    }
    out.frames = std::move(frames);
    return out;
}

} // namespace tags::id3v2
