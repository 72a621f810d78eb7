#pragma once
// File access for the tag objects, over POSIX: every path is a byte string,
// so any file name works.  Nothing here raises; failures are `false`.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tags {

// Owns one file descriptor and closes it.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);
    // Closes and reports whether the close succeeded.
    bool Close();

private:
    int fd_ = -1;
};

// Opens an existing regular file (flags: O_RDONLY or O_RDWR).  Fails,
// without blocking, for folders, pipes and devices.  `st` receives the
// file's status.
bool OpenRegular(const std::string& path, int flags, UniqueFd& fd, struct stat& st);

// Reads exactly `size` bytes at `offset`; false on an error or a short read.
bool ReadAt(int fd, std::int64_t offset, std::size_t size, std::string& out);
// Reads up to `size` bytes at `offset` (fewer at the end of the file).
bool ReadUpTo(int fd, std::int64_t offset, std::size_t size, std::string& out);
// Writes all of `data` at `offset`.
bool WriteAt(int fd, std::int64_t offset, std::string_view data);

// Makes the file writable by its owner, changing no other permission bit.
// True when it is (or already was) writable by its owner.
bool MakeOwnerWritable(const std::string& path);

// Copies the bytes of `in` from `inOffset` to its end into `out` at
// `outOffset`, with the kernel's copy (copy_file_range) unless
// `kernelCopy` is false or the kernel cannot copy between these files.
bool CopyToEnd(int in, std::int64_t inOffset, int out, std::int64_t outOffset,
               bool kernelCopy = true);

// The path of the file that `path` names once every symbolic link is
// followed (absolute).  False when it does not exist.
bool ResolveFile(const std::string& path, std::string& resolved);

// Rewrites the regular file `target` (no symbolic link; see ResolveFile) as
// `head` followed by the bytes of `source` (open on that same file, status
// `st`) from `keepFrom` to its end.  The new content goes to a temporary
// file in the same folder that gets the file's owner (when allowed) and
// permissions, is flushed to disk, and replaces the file by one rename: at
// every moment the name holds either the complete old or the complete new
// file.  On failure the temporary file is removed and the file is unchanged.
bool ReplaceFileContent(const std::string& target, int source, const struct stat& st,
                        std::string_view head, std::int64_t keepFrom);

} // namespace tags
