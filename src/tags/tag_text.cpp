#include "tags/tag_text.h"

#include <cstdint>

namespace tags {

namespace {

// Decodes one UTF-8 sequence at `pos`; returns false (and advances by one
// byte) when the bytes there are not a valid sequence.
bool DecodeOne(std::string_view s, std::size_t& pos, char32_t& out) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t b0 = byte(pos);
    if (b0 < 0x80) {
        out = b0;
        ++pos;
        return true;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + extra >= s.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i <= extra; ++i) {
        const std::uint8_t b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += extra + 1;
    out = cp;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacementChar;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        out += DecodeOne(utf8, pos, cp) ? cp : kReplacementChar;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text)
        AppendUtf8(out, cp);
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp = 0;
        if (!DecodeOne(bytes, pos, cp))
            return false;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return EncodeUtf8(DecodeUtf8(bytes));
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1)
        AppendUtf8(out, static_cast<std::uint8_t>(c));
    return out;
}

bool FitsLatin1(std::string_view utf8) {
    for (char32_t cp : DecodeUtf8(utf8))
        if (cp > 0xFF)
            return false;
    return true;
}

std::string Utf8ToLatin1(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t cp : DecodeUtf8(utf8))
        out += cp <= 0xFF ? static_cast<char>(cp) : replacement;
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto b = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacementChar : char32_t(u));
    }
    return out;
}

std::string Utf8ToUtf16LE(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](char16_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (char32_t cp : DecodeUtf8(utf8)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (cp >> 10)));
            put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string_view TrimRightControl(std::string_view text) {
    while (!text.empty() && static_cast<std::uint8_t>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

std::string_view TrimControl(std::string_view text) {
    text = TrimRightControl(text);
    while (!text.empty() && static_cast<std::uint8_t>(text.front()) <= 32)
        text.remove_prefix(1);
    return text;
}

} // namespace tags
