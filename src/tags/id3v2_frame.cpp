#include "tags/id3v2_frame.h"

#include "tags/tag_text.h"

#include <algorithm>
#include <iterator>

namespace tags::id3v2 {

namespace {

std::uint8_t Byte(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

bool IsUtf16(std::uint8_t encoding) {
    return encoding == kUtf16 || encoding == kUtf16BE;
}

} // namespace

bool IsKnownEncoding(std::uint8_t encoding) {
    return encoding <= kUtf8;
}

DecodedString DecodeString(std::uint8_t encoding, std::string_view bytes) {
    DecodedString out;
    if (!IsKnownEncoding(encoding))
        return out;
    std::string_view body = bytes;
    if (IsUtf16(encoding)) {
        std::size_t i = 0;
        while (i + 1 < bytes.size() && !(bytes[i] == 0 && bytes[i + 1] == 0))
            i += 2;
        if (i + 1 < bytes.size()) {
            body = bytes.substr(0, i);
            out.consumed = i + 2;
            out.terminated = true;
        } else {
            out.consumed = bytes.size();
        }
        bool bigEndian = encoding == kUtf16BE;
        if (body.size() >= 2 && Byte(body, 0) == 0xFF && Byte(body, 1) == 0xFE) {
            bigEndian = false;
            body.remove_prefix(2);
        } else if (body.size() >= 2 && Byte(body, 0) == 0xFE && Byte(body, 1) == 0xFF) {
            bigEndian = true;
            body.remove_prefix(2);
        }
        out.text = Utf16ToUtf8(body, bigEndian);
        return out;
    }
    const std::size_t end = bytes.find('\0');
    if (end != std::string_view::npos) {
        body = bytes.substr(0, end);
        out.consumed = end + 1;
        out.terminated = true;
    } else {
        out.consumed = bytes.size();
    }
    if (encoding == kUtf8 && IsValidUtf8(body)) {
        // A byte-order mark in front of UTF-8 text is no part of the text.
        if (body.substr(0, 3) == "\xEF\xBB\xBF")
            body.remove_prefix(3);
        out.text = std::string(body);
    } else {
        out.text = Latin1ToUtf8(body);
    }
    return out;
}

std::vector<DecodedString> DecodeStrings(std::uint8_t encoding, std::string_view bytes) {
    std::vector<DecodedString> out;
    if (!IsKnownEncoding(encoding))
        return out;
    while (!bytes.empty()) {
        out.push_back(DecodeString(encoding, bytes));
        bytes.remove_prefix(out.back().consumed);
    }
    return out;
}

std::uint8_t ChooseEncoding(std::string_view utf8) {
    return FitsLatin1(utf8) ? kLatin1 : kUtf16;
}

std::string EncodeString(std::uint8_t encoding, std::string_view utf8, bool terminate) {
    if (encoding == kUtf16) {
        std::string out = "\xFF\xFE" + Utf8ToUtf16LE(utf8);
        if (terminate)
            out.append(2, '\0');
        return out;
    }
    std::string out = Utf8ToLatin1(utf8);
    if (terminate)
        out += '\0';
    return out;
}

std::string ParseTextFrame(std::string_view data) {
    if (data.empty())
        return {};
    const std::uint8_t encoding = Byte(data, 0);
    return DecodeString(encoding, data.substr(1, kMaxTextFrameData)).text;
}

std::string RenderTextFrame(std::string_view utf8) {
    const std::uint8_t encoding = ChooseEncoding(utf8);
    return static_cast<char>(encoding) + EncodeString(encoding, utf8, false);
}

bool ParseCommentFrame(std::string_view data, CommentFrame& out) {
    out = CommentFrame{};
    if (data.size() < 4 || !IsKnownEncoding(Byte(data, 0)))
        return false;
    const std::uint8_t encoding = Byte(data, 0);
    out.language = Latin1ToUtf8(data.substr(1, 3));
    std::string_view rest = data.substr(4, kMaxTextFrameData);
    const DecodedString description = DecodeString(encoding, rest);
    out.description = description.text;
    rest.remove_prefix(description.consumed);
    out.text = DecodeString(encoding, rest).text;
    return true;
}

std::string RenderCommentFrame(const CommentFrame& comment) {
    const std::uint8_t encoding =
        ChooseEncoding(comment.description) == kLatin1 && ChooseEncoding(comment.text) == kLatin1
            ? kLatin1
            : kUtf16;
    std::string language = Utf8ToLatin1(comment.language).substr(0, 3);
    language.resize(3, ' ');
    return static_cast<char>(encoding) + language +
           EncodeString(encoding, comment.description, true) +
           EncodeString(encoding, comment.text, false);
}

std::string RenderFrameV23(std::string_view id, std::string_view data, std::uint8_t statusFlags,
                           std::uint8_t formatFlags) {
    std::string out(id.substr(0, 4));
    const auto size = static_cast<std::uint32_t>(data.size());
    out += static_cast<char>(size >> 24);
    out += static_cast<char>(size >> 16);
    out += static_cast<char>(size >> 8);
    out += static_cast<char>(size);
    out += static_cast<char>(statusFlags);
    out += static_cast<char>(formatFlags);
    out += data;
    return out;
}

namespace {

// Re-encodes `count` strings (all when count is 0) from `pos`, each
// terminated except a last one that had none; the bytes after them stay.
void ReencodeStrings(std::string& data, std::size_t pos, std::uint8_t from, std::size_t count) {
    std::string_view rest = std::string_view(data).substr(pos);
    std::string out;
    std::size_t used = 0;
    for (std::size_t n = 0; (count == 0 || n < count) && used < rest.size(); ++n) {
        const DecodedString s = DecodeString(from, rest.substr(used));
        out += EncodeString(kUtf16, s.text, s.terminated);
        used += s.consumed;
        if (!s.terminated)
            break;
    }
    data = data.substr(0, pos) + out + std::string(rest.substr(used));
}

} // namespace

bool ReencodeForV23(std::string_view id, std::string& data) {
    // Only these frames start with an encoding byte; the data of the others
    // is carried as it is.
    static constexpr std::string_view kWithEncoding[] = {"COMM", "USLT", "WXXX", "APIC", "GEOB",
                                                         "SYLT", "USER", "OWNE", "COMR", "IPLS"};
    const bool hasEncoding = (id.size() == 4 && id[0] == 'T') ||
                             std::find(std::begin(kWithEncoding), std::end(kWithEncoding), id) !=
                                 std::end(kWithEncoding);
    if (data.empty() || !hasEncoding)
        return true;
    const std::uint8_t encoding = Byte(data, 0);
    if (encoding != kUtf16BE && encoding != kUtf8)
        return true;
    bool ok = false;
    std::string out = data;
    out[0] = static_cast<char>(kUtf16);
    if (id.size() == 4 && id[0] == 'T') {
        // Text frames: every string of the list; TXXX: description and value.
        ReencodeStrings(out, 1, encoding, 0);
        ok = true;
    } else if (id == "COMM" || id == "USLT") {
        ok = data.size() >= 4;
        if (ok)
            ReencodeStrings(out, 4, encoding, 2);
    } else if (id == "WXXX") {
        // The description only; the address is ISO-8859-1 in every version.
        ReencodeStrings(out, 1, encoding, 1);
        ok = true;
    } else if (id == "APIC") {
        // Encoding, MIME type (ISO-8859-1, zero-terminated), picture type,
        // description, picture data.
        const std::size_t mimeEnd = data.find('\0', 1);
        ok = mimeEnd != std::string::npos && mimeEnd + 1 < data.size();
        if (ok)
            ReencodeStrings(out, mimeEnd + 2, encoding, 1);
    }
    if (ok)
        data = std::move(out);
    return ok;
}

} // namespace tags::id3v2
