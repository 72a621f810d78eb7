#include "tags/tag_io.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace tags {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::Close() {
    if (fd_ < 0)
        return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

bool OpenRegular(const std::string& path, int flags, UniqueFd& fd, struct stat& st) {
    fd.Reset();
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    // O_NONBLOCK: opening a pipe by mistake must not wait for a writer.
    UniqueFd opened(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!opened.Valid())
        return false;
    if (::fstat(opened.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fl = ::fcntl(opened.Get(), F_GETFL);
    if (fl == -1 || ::fcntl(opened.Get(), F_SETFL, fl & ~O_NONBLOCK) == -1)
        return false;
    fd = std::move(opened);
    return true;
}

bool ReadUpTo(int fd, std::int64_t offset, std::size_t size, std::string& out) {
    out.assign(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return true;
}

bool ReadAt(int fd, std::int64_t offset, std::size_t size, std::string& out) {
    return ReadUpTo(fd, offset, size, out) && out.size() == size;
}

bool WriteAt(int fd, std::int64_t offset, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool MakeOwnerWritable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (st.st_mode & S_IWUSR)
        return true;
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

namespace {

bool CopyLoop(int in, std::int64_t inOffset, int out, std::int64_t outOffset) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), inOffset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!WriteAt(out, outOffset, std::string_view(buffer.data(), static_cast<size_t>(n))))
            return false;
        inOffset += n;
        outOffset += n;
    }
}

} // namespace

bool CopyToEnd(int in, std::int64_t inOffset, int out, std::int64_t outOffset, bool kernelCopy) {
    if (!kernelCopy)
        return CopyLoop(in, inOffset, out, outOffset);
    // In steps, each handed to the disk as soon as it is copied, so that
    // the final flush has little left to wait for.
    constexpr std::size_t kStep = std::size_t(8) << 20;
    loff_t inPos = inOffset;
    loff_t outPos = outOffset;
    bool copiedAny = false;
    for (;;) {
        const loff_t stepStart = outPos;
        const ssize_t n = ::copy_file_range(in, &inPos, out, &outPos, kStep, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // The kernel cannot copy between these two files: copy by hand,
            // from where the kernel stopped.
            if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                (errno == EINVAL && !copiedAny))
                return CopyLoop(in, inPos, out, outPos);
            return false;
        }
        if (n == 0)
            return true;
        copiedAny = true;
        ::sync_file_range(out, stepStart, n, SYNC_FILE_RANGE_WRITE);
    }
}

bool ResolveFile(const std::string& path, std::string& resolved) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return false;
    resolved = real.get();
    return true;
}

namespace {

// A name for the temporary file beside `target`: hidden, recognisable, and
// short enough for any file-name length limit.
std::string TemporaryTemplate(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.size() > 40) {
        std::size_t cut = 40;
        // Never cut a UTF-8 character in two.
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    return (folder.empty() ? std::string() : folder) + "/." + base + ".tralu-XXXXXX";
}

} // namespace

bool ReplaceFileContent(const std::string& target, int source, const struct stat& st,
                        std::string_view head, std::int64_t keepFrom) {
    std::string tmpName = TemporaryTemplate(target);
    UniqueFd tmp(::mkstemp(tmpName.data()));
    if (!tmp.Valid())
        return false;
    const auto fail = [&] {
        tmp.Reset();
        ::unlink(tmpName.c_str());
        return false;
    };
    // Same owner when we may set it (root, or a group we belong to); the
    // permission bits always.  The owner must be set first: changing it
    // clears the set-user-id bits.
    if (::fchown(tmp.Get(), st.st_uid, st.st_gid) != 0)
        (void)!::fchown(tmp.Get(), static_cast<uid_t>(-1), st.st_gid);
    if (::fchmod(tmp.Get(), st.st_mode & 07777) != 0)
        return fail();
    if (!WriteAt(tmp.Get(), 0, head))
        return fail();
    if (!CopyToEnd(source, keepFrom, tmp.Get(), static_cast<std::int64_t>(head.size())))
        return fail();
    if (::fsync(tmp.Get()) != 0 || !tmp.Close())
        return fail();
    if (::rename(tmpName.c_str(), target.c_str()) != 0)
        return fail();
    // Make the rename itself durable; a failure here changes nothing for
    // the caller, the file is already in place.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get());
    return true;
}

} // namespace tags
