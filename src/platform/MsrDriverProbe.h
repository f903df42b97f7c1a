#pragma once

#include <cstdint>
#include <string>

namespace zandro {

// Answers the MSR driver's "is registered" question on Linux: tells from the msr device and from
// what the running kernel offers why register access would not work, in the driver's statuses.
class MsrDriverProbe {
public:
    // systemRoot prefixes /sys, /proc and /lib/modules; release is the running kernel's
    // (uname -r) when empty. Both are given only to look at another tree than this machine's.
    explicit MsrDriverProbe(std::string systemRoot = "/", std::string release = {});

    // The kernel's device under deviceRoot (normally /dev/cpu): a missing device is told apart
    // into a kernel without msr support and an msr module that is not loaded.
    int32_t kernelDeviceStatus(const std::string& deviceRoot) const;
    // A folder of stand-in device files: only the files count.
    static int32_t deviceFilesStatus(const std::string& deviceRoot);

    // The status for the errno of opening the device (0: it opened).
    static int32_t statusForOpenError(int error);

    // The msr driver is loaded, built in, or installed as a module of the running kernel.
    bool kernelHasMsrDriver() const;
    // Kernel lockdown is in force: the kernel refuses every register write.
    bool lockdownActive() const;

private:
    bool driverLoaded() const;
    bool moduleInstalled() const;
    std::string under(const std::string& path) const;

    std::string m_systemRoot;
    std::string m_release;
};

}  // namespace zandro
