#include "ConfigFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ConfigFormat.h"

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
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::string systemError() {
    return std::strerror(errno);
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

FileRead readConfigurationFile(const std::string& path) {
    FileRead result;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        result.error = systemError();
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        result.error = systemError();
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.error = std::strerror(EISDIR);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = "not a regular file";
        return result;
    }
    if (::flock(fd.get(), LOCK_SH) != 0) {
        result.error = systemError();
        return result;
    }
    // One byte more than the largest file tells a too-large file apart without reading it all.
    std::string bytes(kLargestFile + 1, '\0');
    size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = systemError();
            return result;
        }
        if (n == 0)
            break;
        have += size_t(n);
    }
    bytes.resize(have);
    result.bytes = std::move(bytes);
    result.ok = true;
    return result;
}

FileWrite writeConfigurationFile(const std::string& path, const std::string& bytes) {
    mode_t mode = 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return FileWrite::CannotCreate;
        // The read-only attribute is taken away; the other permissions stay.
        mode = (st.st_mode & 07777) | S_IWUSR;
    }
    std::string temporary = path + ".XXXXXX";
    Fd fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return FileWrite::CannotCreate;
    ::fchmod(fd.get(), mode);
    // Readers lock the file they apply; the new file is complete before anyone can open it.
    const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return FileWrite::CannotWrite;
    }
    return FileWrite::Ok;
}

}  // namespace zandro
