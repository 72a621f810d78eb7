#include "tags/tag_io.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace tagtest;

namespace {

// The kernel copy (in steps) and the copy by hand give the same bytes, from
// any offset to any offset, across step boundaries.
TEST(TagIo, CopiesTheRestOfAFile) {
    const std::string source = Audio((17 << 20) + 5);
    const std::string dir = NewDir("copy");
    const std::string from = dir + "/from";
    WriteFile(from, source);
    struct Case {
        std::int64_t inOffset;
        std::int64_t outOffset;
    } cases[] = {{0, 0}, {7, 0}, {0, 13}, {static_cast<std::int64_t>(source.size()), 3}};
    for (bool kernel : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(kernel) + " " + std::to_string(c.inOffset) + " " +
                         std::to_string(c.outOffset));
            const std::string to = dir + "/to";
            WriteFile(to, std::string(static_cast<std::size_t>(c.outOffset), 'h'));
            tags::UniqueFd in(::open(from.c_str(), O_RDONLY));
            tags::UniqueFd out(::open(to.c_str(), O_RDWR));
            ASSERT_TRUE(in.Valid() && out.Valid());
            ASSERT_TRUE(tags::CopyToEnd(in.Get(), c.inOffset, out.Get(), c.outOffset, kernel));
            EXPECT_TRUE(ReadFile(to) == std::string(static_cast<std::size_t>(c.outOffset), 'h') +
                                            source.substr(static_cast<std::size_t>(c.inOffset)));
        }
    }
}

TEST(TagIo, OpensOnlyRegularFiles) {
    const std::string dir = NewDir("open");
    const std::string fifo = dir + "/pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    tags::UniqueFd fd;
    struct stat st {};
    EXPECT_FALSE(tags::OpenRegular(fifo, O_RDONLY, fd, st)); // and does not wait for a writer
    EXPECT_FALSE(tags::OpenRegular(dir, O_RDONLY, fd, st));
    EXPECT_FALSE(tags::OpenRegular("", O_RDONLY, fd, st));
    EXPECT_FALSE(tags::OpenRegular(std::string("a\0b", 3), O_RDONLY, fd, st));
    WriteFile(dir + "/x.mp3", "x");
    EXPECT_TRUE(tags::OpenRegular(dir + "/x.mp3", O_RDONLY, fd, st));
    EXPECT_EQ(st.st_size, 1);
}

} // namespace
