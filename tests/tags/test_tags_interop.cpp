// Tags written here must read the same in other programs, and tags other
// programs write must read the same here: TagLib on both sides, GStreamer's
// tag muxer as a writer.

#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/privateframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

using namespace tagtest;

namespace {

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}
TagLib::String TL(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

// Runs a program (looked up in PATH) and returns its exit status, or -1
// when it cannot start or does not end within the time limit.
int RunProgram(const std::vector<std::string>& args, int seconds = 60) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool HaveGstElements(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (RunProgram({"gst-inspect-1.0", "--exists", name}) != 0)
            return false;
    return true;
}

struct Fields {
    std::string title, artist, album, year;
    int track;
    std::string genre;
    int genreIndex;
    std::string comment;
};

const std::vector<Fields> kFieldSets = {
    {"Title", "Artist", "Album", "1999", 7, "Rock", 17, "Nice"},
    {"Caf\xC3\xA9", "M\xC3\xB6tley Cr\xC3\xBC\x65", "\xC3\x91\x61nd\xC3\xBA", "2004", 12, "Jazz", 8,
     "\xC3\xA9t\xC3\xA9"},
    {"\xCE\xA9mega", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "emoji \xF0\x9F\x98\x80", "2010", 1,
     "Tr\xC3\xA8s \xCE\xB1", 255, "\xE3\x82\xB3\xE3\x83\xA1"},
};

TEST(TagInterop, TagLibReadsWhatTraluWrites) {
    for (const Fields& f : kFieldSets) {
        SCOPED_TRACE(f.title);
        const std::string path = NewDir("interop_out") + "/song.mp3";
        WriteFile(path, Audio(4000));
        TID3v2 v2;
        v2.SetTitle(f.title);
        v2.SetArtist(f.artist);
        v2.SetAlbum(f.album);
        v2.SetYear(f.year);
        v2.SetTrack(static_cast<std::uint8_t>(f.track));
        v2.SetGenre(f.genre);
        v2.SetComment(f.comment);
        ASSERT_TRUE(v2.WriteTag(path));
        TID3v1 v1;
        v1.SetTitle(f.title);
        v1.SetArtist(f.artist);
        v1.SetAlbum(f.album);
        v1.SetYear(f.year);
        v1.SetTrack(static_cast<std::uint8_t>(f.track));
        v1.SetGenreIndex(static_cast<std::uint8_t>(f.genreIndex));
        v1.SetComment(f.comment);
        ASSERT_TRUE(v1.WriteTag(path));

        TagLib::MPEG::File file(path.c_str(), false);
        ASSERT_TRUE(file.hasID3v2Tag());
        TagLib::ID3v2::Tag* t2 = file.ID3v2Tag();
        EXPECT_EQ(t2->header()->majorVersion(), 3u);
        EXPECT_EQ(Utf8(t2->title()), f.title);
        EXPECT_EQ(Utf8(t2->artist()), f.artist);
        EXPECT_EQ(Utf8(t2->album()), f.album);
        EXPECT_EQ(t2->year(), static_cast<unsigned>(std::stoi(f.year)));
        EXPECT_EQ(t2->track(), static_cast<unsigned>(f.track));
        EXPECT_EQ(Utf8(t2->genre()), f.genre);
        EXPECT_EQ(Utf8(t2->comment()), f.comment);

        ASSERT_TRUE(file.hasID3v1Tag());
        TagLib::ID3v1::Tag* t1 = file.ID3v1Tag();
        // What the object holds is what the block says (ISO-8859-1, "?"
        // for the rest, 30 characters).
        EXPECT_EQ(Utf8(t1->title()), v1.Title());
        EXPECT_EQ(Utf8(t1->artist()), v1.Artist());
        EXPECT_EQ(Utf8(t1->comment()), v1.Comment());
        EXPECT_EQ(t1->year(), static_cast<unsigned>(std::stoi(f.year)));
        EXPECT_EQ(t1->track(), static_cast<unsigned>(f.track));
        EXPECT_EQ(t1->genreNumber(), static_cast<unsigned>(f.genreIndex));
    }
}

TEST(TagInterop, TraluReadsAndKeepsWhatTagLibWrote) {
    const std::string picture = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 0xFF,
                                       0x00, 0xFF, 0xE9, 0xFF, 0xD9});
    for (const TagLib::ID3v2::Version version : {TagLib::ID3v2::v3, TagLib::ID3v2::v4}) {
        for (const Fields& f : kFieldSets) {
            SCOPED_TRACE(std::to_string(version) + " " + f.title);
            const std::string path = NewDir("interop_in") + "/song.mp3";
            const std::string audio = Audio(6000);
            WriteFile(path, audio);
            {
                TagLib::MPEG::File file(path.c_str(), false);
                TagLib::ID3v2::Tag* t = file.ID3v2Tag(true);
                t->setTitle(TL(f.title));
                t->setArtist(TL(f.artist));
                t->setAlbum(TL(f.album));
                t->setYear(static_cast<unsigned>(std::stoi(f.year)));
                t->setTrack(static_cast<unsigned>(f.track));
                t->setGenre(TL(f.genre));
                t->setComment(TL(f.comment));
                auto* apic = new TagLib::ID3v2::AttachedPictureFrame;
                apic->setTextEncoding(version == TagLib::ID3v2::v4 ? TagLib::String::UTF8
                                                                   : TagLib::String::UTF16);
                apic->setMimeType("image/jpeg");
                apic->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
                apic->setDescription(TL("Front " + f.title));
                apic->setPicture(
                    TagLib::ByteVector(picture.data(), static_cast<unsigned>(picture.size())));
                t->addFrame(apic); // the tag owns its frames
                auto* txxx = new TagLib::ID3v2::UserTextIdentificationFrame(
                    version == TagLib::ID3v2::v4 ? TagLib::String::UTF8 : TagLib::String::UTF16);
                txxx->setDescription(TL("MOOD"));
                txxx->setText(TL("calm " + f.artist));
                t->addFrame(txxx);
                ASSERT_TRUE(
                    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, version));
            }
            TID3v2 tag;
            ASSERT_TRUE(tag.ReadTag(path));
            EXPECT_EQ(tag.Version(), static_cast<int>(version));
            EXPECT_EQ(tag.Title(), f.title);
            EXPECT_EQ(tag.Artist(), f.artist);
            EXPECT_EQ(tag.Album(), f.album);
            EXPECT_EQ(tag.Year(), f.year);
            EXPECT_EQ(tag.Track(), f.track);
            EXPECT_EQ(tag.Genre(), f.genre);
            EXPECT_EQ(tag.Comment(), f.comment);

            const std::string newTitle = "Nouveau \xCE\xA9 " + f.title;
            tag.SetTitle(newTitle);
            ASSERT_TRUE(tag.WriteTag(path));
            const std::string written = ReadFile(path);
            ASSERT_GE(written.size(), audio.size());
            EXPECT_EQ(written.substr(written.size() - audio.size()), audio);

            TagLib::MPEG::File file(path.c_str(), false);
            ASSERT_TRUE(file.hasID3v2Tag());
            TagLib::ID3v2::Tag* t = file.ID3v2Tag();
            EXPECT_EQ(t->header()->majorVersion(), static_cast<unsigned>(version));
            EXPECT_EQ(Utf8(t->title()), newTitle);
            EXPECT_EQ(Utf8(t->artist()), f.artist);
            EXPECT_EQ(Utf8(t->comment()), f.comment);
            EXPECT_EQ(t->year(), static_cast<unsigned>(std::stoi(f.year)));
            const auto pictures = t->frameList("APIC");
            ASSERT_EQ(pictures.size(), 1u);
            const auto* apic =
                dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
            ASSERT_NE(apic, nullptr);
            EXPECT_EQ(Utf8(apic->description()), "Front " + f.title);
            EXPECT_EQ(std::string(apic->picture().data(), apic->picture().size()), picture);
            const auto* txxx = TagLib::ID3v2::UserTextIdentificationFrame::find(t, "MOOD");
            ASSERT_NE(txxx, nullptr);
            ASSERT_FALSE(txxx->fieldList().isEmpty());
            EXPECT_EQ(Utf8(txxx->fieldList().back()), "calm " + f.artist);
        }
    }
}

// The one text of frame `id`, or its values joined by "|".
std::string FrameText(TagLib::ID3v2::Tag* t, const char* id) {
    const auto frames = t->frameList(id);
    if (frames.isEmpty())
        return "(missing)";
    const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    if (!text)
        return Utf8(frames.front()->toString());
    std::string out;
    for (const TagLib::String& value : text->fieldList())
        out += (out.empty() ? "" : "|") + Utf8(value);
    return out;
}

std::string PictureOf(TagLib::ID3v2::Tag* t, std::string* mime = nullptr) {
    const auto pictures = t->frameList("APIC");
    if (pictures.size() != 1)
        return "(" + std::to_string(pictures.size()) + " pictures)";
    const auto* apic = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    if (!apic)
        return "(not a picture)";
    if (mime)
        *mime = Utf8(apic->mimeType());
    return std::string(apic->picture().data(), apic->picture().size());
}

// Tags of versions 2.4 and 2.2, built here byte by byte, rewritten for a
// comment: TagLib finds every frame of them.
TEST(TagInterop, TagLibReadsRewritten24And22Tags) {
    const std::string picture = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 0xFF,
                                       0x00, 0xFF, 0xE9, 0xFF, 0xD9});
    const auto unsynced = [](std::string_view bytes) {
        std::string out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out += bytes[i];
            const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
            if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0))
                out += '\0';
        }
        return out;
    };
    const std::string audio = Audio(6000);
    {
        SCOPED_TRACE("2.4");
        const std::string tag24 =
            Tag(4, F24("TIT2", "\x03Title \xCE\xA9") +
                       F24("TPE1", std::string("\x03"
                                               "A1\0A2",
                                               6)) +
                       F24("TCON", std::string("\x03Rock\0Pop", 9)) +
                       F24("TDRC", Latin1("2001-05-06")) + F24("TRCK", Latin1("03/12")) +
                       F24("TSOP", Latin1("Sort")) + F24("TDRL", Latin1("2002")) +
                       F24("TDOR", Latin1("1999")) + F24("TSST", Latin1("Part")) +
                       F24("TMOO", Latin1("Calm")) +
                       F24("APIC",
                           unsynced(std::string("\x03image/jpeg\0\x03"
                                                "Front\0",
                                                19) +
                                    picture),
                           0, 0x02) +
                       F24("PRIV", unsynced(std::string("owner\0", 6) + picture), 0, 0x02));
        const std::string path = NewDir("interop_24") + "/song.mp3";
        WriteFile(path, tag24 + audio);
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(path));
        tag.SetComment("C");
        ASSERT_TRUE(tag.WriteTag(path));
        TagLib::MPEG::File file(path.c_str(), false);
        ASSERT_TRUE(file.hasID3v2Tag());
        TagLib::ID3v2::Tag* t = file.ID3v2Tag();
        EXPECT_EQ(t->header()->majorVersion(), 4u);
        EXPECT_EQ(Utf8(t->title()), "Title \xCE\xA9");
        EXPECT_EQ(FrameText(t, "TPE1"), "A1|A2");
        EXPECT_EQ(FrameText(t, "TCON"), "Rock|Pop");
        EXPECT_EQ(FrameText(t, "TDRC"), "2001-05-06");
        EXPECT_EQ(FrameText(t, "TRCK"), "03/12");
        EXPECT_EQ(FrameText(t, "TSOP"), "Sort");
        EXPECT_EQ(FrameText(t, "TDRL"), "2002");
        EXPECT_EQ(FrameText(t, "TDOR"), "1999");
        EXPECT_EQ(FrameText(t, "TSST"), "Part");
        EXPECT_EQ(FrameText(t, "TMOO"), "Calm");
        EXPECT_EQ(Utf8(t->comment()), "C");
        EXPECT_EQ(PictureOf(t), picture);
        const auto privs = t->frameList("PRIV");
        ASSERT_EQ(privs.size(), 1u);
        const auto* priv = dynamic_cast<const TagLib::ID3v2::PrivateFrame*>(privs.front());
        ASSERT_NE(priv, nullptr);
        EXPECT_EQ(std::string(priv->data().data(), priv->data().size()), picture);
        EXPECT_EQ(ReadFile(path).substr(ReadFile(path).size() - audio.size()), audio);
    }
    {
        SCOPED_TRACE("2.2");
        const std::string tag22 =
            Tag(2, F22("TT2", Latin1("Title")) + F22("TP1", Latin1("Artist")) +
                       F22("TAL", Latin1("Album")) + F22("TRK", Latin1("3/12")) +
                       F22("TYE", Latin1("1999")) + F22("TCO", Latin1("(17)(18)")) +
                       F22("PIC", std::string("\0JPG\x03"
                                              "Front\0",
                                              11) +
                                      picture) +
                       F22("COM", std::string("\0eng\0old", 8)) +
                       F22("ULT", std::string("\0eng\0words", 10)) +
                       F22("TXX", std::string("\0MOOD\0calm", 10)));
        const std::string path = NewDir("interop_22") + "/song.mp3";
        WriteFile(path, tag22 + audio);
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(path));
        EXPECT_EQ(tag.Genre(), "Rock");
        tag.SetComment("C");
        ASSERT_TRUE(tag.WriteTag(path));
        TagLib::MPEG::File file(path.c_str(), false);
        ASSERT_TRUE(file.hasID3v2Tag());
        TagLib::ID3v2::Tag* t = file.ID3v2Tag();
        EXPECT_EQ(t->header()->majorVersion(), 3u);
        EXPECT_EQ(Utf8(t->title()), "Title");
        EXPECT_EQ(Utf8(t->artist()), "Artist");
        EXPECT_EQ(Utf8(t->album()), "Album");
        EXPECT_EQ(FrameText(t, "TRCK"), "3/12");
        EXPECT_EQ(t->year(), 1999u);
        EXPECT_EQ(Utf8(t->genre()).rfind("Rock", 0), 0u) << Utf8(t->genre());
        EXPECT_EQ(Utf8(t->comment()), "C");
        std::string mime;
        EXPECT_EQ(PictureOf(t, &mime), picture);
        EXPECT_EQ(mime, "image/jpeg");
        const auto lyrics = t->frameList("USLT");
        ASSERT_EQ(lyrics.size(), 1u);
        EXPECT_EQ(Utf8(lyrics.front()->toString()), "words");
        const auto* txxx = TagLib::ID3v2::UserTextIdentificationFrame::find(t, "MOOD");
        ASSERT_NE(txxx, nullptr);
        EXPECT_EQ(Utf8(txxx->fieldList().back()), "calm");
        EXPECT_EQ(ReadFile(path).substr(ReadFile(path).size() - audio.size()), audio);
    }
}

TEST(TagInterop, TraluReadsGStreamerTags) {
    if (!HaveGstElements({"audiotestsrc", "taginject", "lamemp3enc", "id3v2mux"}))
        GTEST_SKIP() << "GStreamer elements missing";
    const std::string path = NewDir("interop_gst") + "/gst.mp3";
    const std::string tags = "tags=\"title=\\\"Caf\xC3\xA9 \xCE\xA9 \xC3\xBC\\\","
                             "artist=\\\"The Art ist\\\",album=\\\"Alb um\\\","
                             "track-number=(uint)7,genre=Rock,comment=\\\"Nice one\\\","
                             "date=(date)2004-05-12\"";
    ASSERT_EQ(
        RunProgram({"gst-launch-1.0", "-q", "audiotestsrc", "num-buffers=20", "!", "taginject",
                    tags, "!", "lamemp3enc", "!", "id3v2mux", "!", "filesink", "location=" + path}),
        0);
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(path));
    EXPECT_TRUE(tag.HasTag());
    EXPECT_EQ(tag.Title(), "Caf\xC3\xA9 \xCE\xA9 \xC3\xBC");
    EXPECT_EQ(tag.Artist(), "The Art ist");
    EXPECT_EQ(tag.Album(), "Alb um");
    EXPECT_EQ(tag.Track(), 7);
    EXPECT_EQ(tag.Year(), "2004");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Comment(), "Nice one");

    // Rewritten, the file still decodes from start to end.
    tag.SetTitle("Rewritten");
    ASSERT_TRUE(tag.WriteTag(path));
    TID3v1 v1;
    v1.SetTitle("Rewritten");
    ASSERT_TRUE(v1.WriteTag(path));
    if (HaveGstElements({"filesrc", "decodebin", "fakesink"})) {
        EXPECT_EQ(RunProgram({"gst-launch-1.0", "-q", "filesrc", "location=" + path, "!",
                              "decodebin", "!", "fakesink"}),
                  0);
    }
    TID3v2 back;
    ASSERT_TRUE(back.ReadTag(path));
    EXPECT_EQ(back.Title(), "Rewritten");
    EXPECT_EQ(back.Artist(), "The Art ist");
    EXPECT_EQ(back.Year(), "2004");
}

} // namespace
