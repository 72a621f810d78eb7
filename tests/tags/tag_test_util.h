#pragma once
// Byte fixtures and file helpers for the tag tests.  The fixtures are built
// here by hand, independently of the code under test.

#include "test_env.h"

#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace tagtest {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

inline std::string Be32(std::uint32_t v) {
    return Bytes({int(v >> 24) & 0xFF, int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF});
}

inline std::string SyncSafe(std::uint32_t v) {
    return Bytes({int(v >> 21) & 0x7F, int(v >> 14) & 0x7F, int(v >> 7) & 0x7F, int(v) & 0x7F});
}

// A tag: header with the given version and flags, then the body.
inline std::string Tag(int version, std::string_view body, int flags = 0) {
    return "ID3" + Bytes({version, 0, flags}) + SyncSafe(static_cast<std::uint32_t>(body.size())) +
           std::string(body);
}

// Frames of the three versions.
inline std::string F22(std::string_view id, std::string_view data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    return std::string(id) + Bytes({int(n >> 16) & 0xFF, int(n >> 8) & 0xFF, int(n) & 0xFF}) +
           std::string(data);
}
inline std::string F23(std::string_view id, std::string_view data, int status = 0, int format = 0) {
    return std::string(id) + Be32(static_cast<std::uint32_t>(data.size())) +
           Bytes({status, format}) + std::string(data);
}
inline std::string F24(std::string_view id, std::string_view data, int status = 0, int format = 0) {
    return std::string(id) + SyncSafe(static_cast<std::uint32_t>(data.size())) +
           Bytes({status, format}) + std::string(data);
}

// Encoding byte 0 and ISO-8859-1 text.
inline std::string Latin1(std::string_view text) {
    return std::string(1, '\0') + std::string(text);
}

// Stand-in audio: bytes that look like nothing else in these tests.
inline std::string Audio(std::size_t size = 1000) {
    std::string out(size, '\0');
    std::uint32_t x = 12345;
    for (char& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(0xF0 | ((x >> 16) & 0x0F)); // never "TAG" or "ID3"
    }
    return out;
}

// An ID3v1 block built from raw slots.
inline std::string V1Block(std::string_view title, std::string_view artist, std::string_view album,
                           std::string_view year, std::string_view comment30, int genre) {
    std::string b(128, '\0');
    b.replace(0, 3, "TAG");
    b.replace(3, title.size(), title);
    b.replace(33, artist.size(), artist);
    b.replace(63, album.size(), album);
    b.replace(93, year.size(), year);
    b.replace(97, comment30.size(), comment30);
    b[127] = static_cast<char>(genre);
    return b;
}

// A fresh folder for one test.
inline std::string NewDir(const std::string& name) {
    static int counter = 0;
    const std::string dir = tralu::test::TestHome() + "/" + name + "_" + std::to_string(++counter);
    ::mkdir(dir.c_str(), 0755);
    return dir;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    if (!f)
        return {};
    std::string out(static_cast<std::size_t>(f.tellg()), '\0');
    f.seekg(0);
    f.read(out.data(), static_cast<std::streamsize>(out.size()));
    return out;
}

inline mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

} // namespace tagtest
