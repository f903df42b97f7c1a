#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zandro {

// The kernel's msr device: one file per processor, <root>/N/msr, where 8 bytes at the offset of
// the register number are the register's value. Files stay open once opened, so that the many
// accesses of one refresh cost one system call each.
class MsrDevice {
public:
    explicit MsrDevice(std::string root);
    ~MsrDevice();
    MsrDevice(const MsrDevice&) = delete;
    MsrDevice& operator=(const MsrDevice&) = delete;

    // 0 on success, else the errno of the failure (EIO: the register does not exist).
    int read(unsigned cpu, uint32_t index, uint64_t& value);
    int write(unsigned cpu, uint32_t index, uint64_t value);

    static std::string path(const std::string& root, unsigned cpu);
    // 0 when the file of that processor opens with the given flags, else the errno of the failure;
    // a folder standing where the file should be is EISDIR.
    static int openError(const std::string& root, unsigned cpu, int flags);

private:
    // The open descriptor of a processor's file, or -1 with error set.
    int descriptor(unsigned cpu, int& error);

    std::string m_root;
    std::vector<int> m_descriptors;  // by processor number; -1 while not open
};

}  // namespace zandro
