#pragma once
// Text conversions for tag fields.  The tag objects hold UTF-8; on disk the
// tags use ISO-8859-1, UTF-16 (with or without byte-order mark) and UTF-8.
// Every function here accepts any bytes: invalid input is replaced, never
// rejected, so a damaged tag still reads.

#include <string>
#include <string_view>

namespace tags {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Code points of UTF-8 text; invalid sequences (and surrogates, over-long
// forms, values above U+10FFFF) give U+FFFD, one per bad byte.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view text);
bool IsValidUtf8(std::string_view bytes);
// The text with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// ISO-8859-1 bytes to UTF-8 (always succeeds).
std::string Latin1ToUtf8(std::string_view latin1);
// True when every character of the UTF-8 text exists in ISO-8859-1.
bool FitsLatin1(std::string_view utf8);
// UTF-8 to ISO-8859-1; characters outside it become `replacement`.
std::string Utf8ToLatin1(std::string_view utf8, char replacement = '?');

// UTF-16 bytes (no byte-order mark) to UTF-8.  An odd last byte is dropped;
// an unpaired surrogate gives U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
// UTF-8 to UTF-16 little-endian bytes, without byte-order mark.
std::string Utf8ToUtf16LE(std::string_view utf8);

// Cuts characters with a code of 32 or below (blanks, zero bytes, control
// characters) from the end, or from both ends.
std::string_view TrimRightControl(std::string_view text);
std::string_view TrimControl(std::string_view text);

} // namespace tags
