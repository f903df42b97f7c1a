#include "MsrDevice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zandro {

namespace {

constexpr unsigned kMaxProcessors = 4096;  // beyond any machine this program can select

// Opens a processor's file; a folder in its place is refused, since reads of it would fail
// with a less telling error later.
int openFile(const std::string& path, int flags, int& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = EISDIR;
        return -1;
    }
    error = 0;
    return fd;
}

}  // namespace

MsrDevice::MsrDevice(std::string root) : m_root(std::move(root)) {}

MsrDevice::~MsrDevice() {
    for (int fd : m_descriptors) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::string MsrDevice::path(const std::string& root, unsigned cpu) {
    return root + "/" + std::to_string(cpu) + "/msr";
}

int MsrDevice::openError(const std::string& root, unsigned cpu, int flags) {
    int error = 0;
    const int fd = openFile(path(root, cpu), flags, error);
    if (fd >= 0)
        ::close(fd);
    return error;
}

int MsrDevice::descriptor(unsigned cpu, int& error) {
    if (cpu >= kMaxProcessors) {
        error = ENXIO;
        return -1;
    }
    if (cpu >= m_descriptors.size())
        m_descriptors.resize(cpu + 1, -1);
    int& fd = m_descriptors[cpu];
    if (fd >= 0) {
        error = 0;
        return fd;
    }
    // A device that only its group may read still serves reads; writes then fail with EBADF.
    fd = openFile(path(m_root, cpu), O_RDWR, error);
    if (fd < 0 && (error == EACCES || error == EROFS))
        fd = openFile(path(m_root, cpu), O_RDONLY, error);
    return fd;
}

int MsrDevice::read(unsigned cpu, uint32_t index, uint64_t& value) {
    int error = 0;
    const int fd = descriptor(cpu, error);
    if (fd < 0)
        return error;
    uint64_t buffer = 0;
    const ssize_t count = ::pread(fd, &buffer, sizeof buffer, off_t(index));
    if (count < 0)
        return errno;
    if (count != sizeof buffer)
        return EIO;  // short read: past the end of a stand-in file
    value = buffer;
    return 0;
}

int MsrDevice::write(unsigned cpu, uint32_t index, uint64_t value) {
    int error = 0;
    const int fd = descriptor(cpu, error);
    if (fd < 0)
        return error;
    const ssize_t count = ::pwrite(fd, &value, sizeof value, off_t(index));
    if (count < 0)
        return errno;
    return count == sizeof value ? 0 : EIO;
}

}  // namespace zandro
