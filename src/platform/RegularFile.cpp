#include "RegularFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace zandro {

namespace {

// Closes the descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failing close (a full disk on some file systems) is seen.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The kernel follows at most 40 links in one path; a longer chain is a loop.
constexpr int kMaxLinkHops = 40;

FileResult failed(FileFailure failure, const std::string& why) {
    return {failure, why};
}

FileResult failedWithErrno(FileFailure failure, const char* what) {
    return {failure, std::string(what) + ": " + std::strerror(errno)};
}

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a file";
}

FileResult notRegular(mode_t mode) {
    return failed(FileFailure::NotRegular,
                  "not a regular file (" + kindOf(mode) + "), left untouched");
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAllAt(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Reads up to `limit` bytes and one more, so that a longer file shows without reading it all.
// The buffer starts at the size the file was seen to have and grows only if the file did: the
// limits are megabytes, the files mostly a few hundred bytes.
bool readUpTo(int fd, size_t limit, size_t expected, std::string& bytes) {
    const size_t most = limit + 1;
    bytes.assign(std::min(expected, limit) + 1, '\0');
    size_t have = 0;
    while (have < most) {
        if (have == bytes.size())
            bytes.resize(std::min(most, bytes.size() * 2));
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        have += size_t(n);
    }
    bytes.resize(have);
    return true;
}

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool contentAndSize(int fd, const std::string& bytes) {
    return writeAllAt(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// The folder takes no new file (or no file of the owner's): the file itself is written over,
// under an exclusive lock so that readers that lock never see it half written. A write that fails
// half-way puts the old content back as far as the disk lets it.
FileResult rewriteInPlace(const std::string& target, const std::string& bytes, mode_t mode,
                          const std::string& folderWhy) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && (st.st_mode & 07777) != mode)
        ::chmod(target.c_str(), mode);
    const int flags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    int raw = ::open(target.c_str(), O_RDWR | flags);
    if (raw < 0)
        raw = ::open(target.c_str(), O_WRONLY | flags);
    Fd fd(raw);
    if (fd.get() < 0)
        return failedWithErrno(FileFailure::CannotCreate,
                               (folderWhy + "; the file itself").c_str());
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return notRegular(st.st_mode);
    if (::flock(fd.get(), LOCK_EX) != 0)
        return failedWithErrno(FileFailure::CannotWrite, "cannot be locked");
    std::string old;
    const bool haveOld = readUpTo(fd.get(), size_t(st.st_size), size_t(st.st_size), old);
    if (contentAndSize(fd.get(), bytes))
        return fd.close() ? FileResult{}
                          : failedWithErrno(FileFailure::CannotWrite, "cannot be written");
    const int writeErrno = errno;
    if (haveOld)
        contentAndSize(fd.get(), old);
    errno = writeErrno;
    return failedWithErrno(FileFailure::CannotWrite, "cannot be written");
}

}  // namespace

std::string resolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n < 0)
            return current;
        const std::string next(target, size_t(n));
        if (next.empty() || next[0] == '/' || current.find('/') == std::string::npos)
            current = next;
        else
            current = folderOf(current) + "/" + next;
    }
    return current;
}

FileContents readRegularFile(const std::string& path, size_t limit) {
    FileContents contents;
    const std::string target = resolveLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        contents.result = failedWithErrno(
            errno == ENOENT ? FileFailure::Missing : FileFailure::CannotRead, "cannot be opened");
        return contents;
    }
    // A FIFO or a device is never opened: opening one can block or act on the device.
    if (!S_ISREG(st.st_mode)) {
        contents.result = notRegular(st.st_mode);
        return contents;
    }
    const auto tooLarge = [&] {
        contents.result = failed(FileFailure::TooLarge,
                                 "too large (more than " + std::to_string(limit) + " bytes)");
        return contents;
    };
    if (size_t(st.st_size) > limit)
        return tooLarge();
    Fd fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        contents.result = failedWithErrno(FileFailure::CannotRead, "cannot be opened");
        return contents;
    }
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        contents.result = notRegular(st.st_mode);
        return contents;
    }
    if (::flock(fd.get(), LOCK_SH) != 0 ||
        !readUpTo(fd.get(), limit, size_t(st.st_size), contents.bytes)) {
        contents.result = failedWithErrno(FileFailure::CannotRead, "cannot be read");
        return contents;
    }
    if (contents.bytes.size() > limit) {
        contents.bytes.clear();
        return tooLarge();
    }
    return contents;
}

FileResult replaceRegularFile(const std::string& path, const std::string& bytes,
                              const ReplaceOptions& options) {
    const std::string target = resolveLinks(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return failedWithErrno(FileFailure::CannotCreate, "cannot be reached");
    if (exists && !S_ISREG(st.st_mode))
        return notRegular(st.st_mode);
    const mode_t mode = exists ? ((st.st_mode & 07777) | options.addBits) : creationMode();

    // The temporary file sits in the same folder, so the rename replaces the file atomically.
    std::string temporary = folderOf(target) + "/." + nameOf(target) + ".XXXXXX";
    Fd fd((options.makeTemporary ? options.makeTemporary : ::mkstemp)(temporary.data()));
    if (fd.get() < 0) {
        if (!exists)
            return failedWithErrno(FileFailure::CannotCreate, "its folder takes no new file");
        return rewriteInPlace(target, bytes, mode,
                              std::string("its folder takes no new file: ") + std::strerror(errno));
    }
    // Ownership first: changing it clears the set-user and set-group bits that the mode restores.
    if ((exists && ::fchown(fd.get(), st.st_uid, st.st_gid) != 0) ||
        ::fchmod(fd.get(), mode) != 0) {
        const std::string why = std::string("the owner cannot be kept: ") + std::strerror(errno);
        ::unlink(temporary.c_str());
        return rewriteInPlace(target, bytes, mode, why);
    }
    const bool written = writeAllAt(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int writeErrno = errno;
        ::unlink(temporary.c_str());
        errno = writeErrno;
        return failedWithErrno(FileFailure::CannotWrite, "cannot be written");
    }
    return {};
}

}  // namespace zandro
