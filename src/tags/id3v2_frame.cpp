#include "tags/id3v2_frame.h"

#include "tags/tag_text.h"

#include <utility>

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

std::uint8_t KeepEncoding(std::uint8_t version, std::uint8_t wanted,
                          const std::vector<std::string_view>& texts) {
    bool latin1 = true;
    // Without a mark of their own, UTF-16BE and UTF-8 texts that start with
    // U+FEFF or U+FFFE would lose it to the reader, who takes it for one.
    bool markFirst = false;
    for (std::string_view t : texts) {
        latin1 = latin1 && FitsLatin1(t);
        markFirst =
            markFirst || t.substr(0, 3) == "\xEF\xBB\xBF" || t.substr(0, 3) == "\xEF\xBF\xBE";
    }
    if (wanted == kUtf16 ||
        (version == 4 && !markFirst && (wanted == kUtf16BE || wanted == kUtf8)) ||
        (wanted == kLatin1 && latin1))
        return wanted;
    return latin1 ? kLatin1 : kUtf16;
}

std::string EncodeString(std::uint8_t encoding, std::string_view utf8, bool terminate) {
    if (encoding == kUtf16 || encoding == kUtf16BE) {
        std::string units = Utf8ToUtf16LE(utf8);
        if (encoding == kUtf16BE)
            for (std::size_t i = 0; i + 1 < units.size(); i += 2)
                std::swap(units[i], units[i + 1]);
        std::string out = encoding == kUtf16 ? "\xFF\xFE" + units : units;
        if (terminate)
            out.append(2, '\0');
        return out;
    }
    std::string out = encoding == kUtf8 ? SanitizeUtf8(utf8) : Utf8ToLatin1(utf8);
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

std::vector<std::string> ParseTextValues(std::string_view data) {
    std::vector<std::string> values;
    if (data.empty())
        return values;
    for (DecodedString& s : DecodeStrings(Byte(data, 0), data.substr(1, kMaxTextFrameData)))
        values.push_back(std::move(s.text));
    while (!values.empty() && values.back().empty())
        values.pop_back();
    return values;
}

std::string RenderTextValues(std::uint8_t encoding, const std::vector<std::string>& values) {
    std::string out(1, static_cast<char>(encoding));
    for (std::size_t i = 0; i < values.size(); ++i)
        out += EncodeString(encoding, values[i], i + 1 < values.size());
    return out;
}

std::string ReplaceFirstTextValue(std::uint8_t version, std::string_view data,
                                  std::string_view utf8) {
    std::vector<std::string> values = ParseTextValues(data);
    if (values.empty())
        values.emplace_back();
    values.front() = std::string(utf8);
    return RenderTextValues(KeepEncoding(version, EncodingOf(data), {values.begin(), values.end()}),
                            values);
}

std::uint8_t EncodingOf(std::string_view data) {
    return data.empty() ? std::uint8_t(kLatin1) : Byte(data, 0);
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
    return RenderCommentFrame(comment,
                              KeepEncoding(3, kLatin1, {comment.description, comment.text}));
}

std::string RenderCommentFrame(const CommentFrame& comment, std::uint8_t encoding) {
    std::string language = Utf8ToLatin1(comment.language).substr(0, 3);
    language.resize(3, ' ');
    return static_cast<char>(encoding) + language +
           EncodeString(encoding, comment.description, true) +
           EncodeString(encoding, comment.text, false);
}

} // namespace tags::id3v2
