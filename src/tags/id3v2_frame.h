#pragma once
// The contents of single ID3v2 frames: strings in the four text encodings,
// text frames and comment frames.  Parse functions take the frame data
// (what follows the frame header, with flags already dealt with) and
// render functions give it back, in the form of ID3v2.3.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tags::id3v2 {

// Text encodings of the frames.
enum Encoding : std::uint8_t {
    kLatin1 = 0,  // ISO-8859-1, one zero byte ends a string
    kUtf16 = 1,   // UTF-16 with byte-order mark, two zero bytes end a string
    kUtf16BE = 2, // UTF-16 big-endian without mark (ID3v2.4)
    kUtf8 = 3,    // UTF-8 (ID3v2.4)
};

// Data beyond this many bytes of a text or comment frame is not read: a
// hostile size cannot make a field huge.
inline constexpr std::size_t kMaxTextFrameData = std::size_t(1) << 20;

bool IsKnownEncoding(std::uint8_t encoding);

// One string of `bytes` in `encoding`, up to its terminator or the end.
// `consumed` counts the bytes used, terminator included; `terminated` says
// whether a terminator was found.  UTF-16 follows its byte-order mark
// (little-endian without one); UTF-8 that is not valid is read as
// ISO-8859-1.
struct DecodedString {
    std::string text;
    std::size_t consumed = 0;
    bool terminated = false;
};
DecodedString DecodeString(std::uint8_t encoding, std::string_view bytes);
// Every string of `bytes` in turn (a list of values, or a description and
// a value).
std::vector<DecodedString> DecodeStrings(std::uint8_t encoding, std::string_view bytes);

// ISO-8859-1 when every character fits it, else UTF-16 with byte-order mark.
std::uint8_t ChooseEncoding(std::string_view utf8);
// The encoding a rewritten frame of a tag of `version` (3 or 4) uses for
// `texts`: `wanted` (the encoding the frame had) when that version knows it
// and it holds the texts so that they read back the same, else ISO-8859-1
// when they fit it, else UTF-16 with byte-order mark.
std::uint8_t KeepEncoding(std::uint8_t version, std::uint8_t wanted,
                          const std::vector<std::string_view>& texts);
// `utf8` in `encoding` (UTF-16 starts with the mark FF FE; UTF-16BE has
// none), with a terminator when `terminate`.
std::string EncodeString(std::uint8_t encoding, std::string_view utf8, bool terminate);

// Text frame data: encoding byte, then the text.  Parsing gives the first
// string (empty for an unknown encoding); rendering writes no terminator.
std::string ParseTextFrame(std::string_view data);
std::string RenderTextFrame(std::string_view utf8);
// The values of a text frame (a list in 2.4: strings separated by
// terminators), empty trailing ones left out.
std::vector<std::string> ParseTextValues(std::string_view data);
// A list of values in `encoding`, the last one without terminator.
std::string RenderTextValues(std::uint8_t encoding, const std::vector<std::string>& values);
// Text frame data (of a tag of `version`) with its first value replaced by
// `utf8` and the other values kept, in the frame's encoding when it can
// hold them.
std::string ReplaceFirstTextValue(std::uint8_t version, std::string_view data,
                                  std::string_view utf8);

// Comment frame data: encoding byte, three language letters, description,
// terminator, text.
struct CommentFrame {
    std::string language = "eng";
    std::string description;
    std::string text;
};
bool ParseCommentFrame(std::string_view data, CommentFrame& out);
std::string RenderCommentFrame(const CommentFrame& comment);
std::string RenderCommentFrame(const CommentFrame& comment, std::uint8_t encoding);
// The encoding byte of frame data, or kLatin1 for empty data.
std::uint8_t EncodingOf(std::string_view data);

} // namespace tags::id3v2
