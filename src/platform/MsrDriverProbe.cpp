#include "MsrDriverProbe.h"

#include <fcntl.h>
#include <sys/utsname.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>

#include "MsrDevice.h"
#include "Platform.h"

namespace zandro {

namespace {

std::string runningRelease() {
    struct utsname name {};
    return ::uname(&name) == 0 ? name.release : "";
}

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// True for "msr.ko" and its compressed forms (msr.ko.xz, msr.ko.zst, msr.ko.gz) as the last
// component of a module path, the form that modules.dep and modules.builtin use.
bool namesMsrModule(std::string_view modulePath) {
    const size_t slash = modulePath.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
    return name == "msr.ko" || name.starts_with("msr.ko.");
}

// Each line of modules.dep and modules.builtin starts with a module path, ended by ':' in the
// former and by the line end in the latter.
bool listsMsrModule(const std::string& listPath) {
    std::ifstream list(listPath);
    std::string line;
    while (std::getline(list, line)) {
        if (namesMsrModule(std::string_view(line).substr(0, line.find(':'))))
            return true;
    }
    return false;
}

// /proc/devices names the character device "cpu/msr" once the driver has registered it.
bool devicesListMsr(const std::string& devicesPath) {
    std::ifstream devices(devicesPath);
    std::string line;
    while (std::getline(devices, line)) {
        if (line.ends_with(" cpu/msr"))
            return true;
    }
    return false;
}

}  // namespace

MsrDriverProbe::MsrDriverProbe(std::string systemRoot, std::string release)
    : m_systemRoot(std::move(systemRoot)),
      m_release(release.empty() ? runningRelease() : std::move(release)) {}

std::string MsrDriverProbe::under(const std::string& path) const {
    if (m_systemRoot.empty() || m_systemRoot == "/")
        return path;
    return m_systemRoot + path;
}

int32_t MsrDriverProbe::statusForOpenError(int error) {
    switch (error) {
        case 0:
            return DriverStatus::Ok;
        case ENOENT:
        case ENOTDIR:
            return DriverStatus::NotRegistered;
        case EACCES:
        case EPERM:  // not root, or root without CAP_SYS_RAWIO
            return DriverStatus::NotRunning;
        default:
            return DriverStatus::Failed;
    }
}

int32_t MsrDriverProbe::deviceFilesStatus(const std::string& deviceRoot) {
    return statusForOpenError(MsrDevice::openError(deviceRoot, 0, O_RDWR));
}

int32_t MsrDriverProbe::kernelDeviceStatus(const std::string& deviceRoot) const {
    const int32_t status = deviceFilesStatus(deviceRoot);
    if (status == DriverStatus::NotRegistered && !kernelHasMsrDriver()) {
        return DriverStatus::UnsupportedOs;
    }
    // Under lockdown the device opens and reads, but every write is refused.
    if (status == DriverStatus::Ok && lockdownActive())
        return DriverStatus::NotRunning;
    return status;
}

bool MsrDriverProbe::driverLoaded() const {
    // A built-in driver shows in /sys/module too, through its allow_writes parameter.
    return exists(under("/sys/module/msr")) || devicesListMsr(under("/proc/devices"));
}

bool MsrDriverProbe::moduleInstalled() const {
    if (m_release.empty())
        return false;
    const std::string modules = under("/lib/modules/" + m_release);
    if (listsMsrModule(modules + "/modules.dep") || listsMsrModule(modules + "/modules.builtin")) {
        return true;
    }
    // Without depmod's lists, look where the kernel tree puts it.
    const std::string module = modules + "/kernel/arch/x86/kernel/msr.ko";
    for (const char* suffix : {"", ".xz", ".zst", ".gz"}) {
        if (exists(module + suffix))
            return true;
    }
    return false;
}

bool MsrDriverProbe::kernelHasMsrDriver() const {
    return driverLoaded() || moduleInstalled();
}

bool MsrDriverProbe::lockdownActive() const {
    // The file reads like "none [integrity] confidentiality", the mode in force in brackets.
    std::ifstream file(under("/sys/kernel/security/lockdown"));
    std::string modes;
    std::getline(file, modes);
    const size_t open = modes.find('[');
    const size_t close = modes.find(']', open);
    if (open == std::string::npos || close == std::string::npos)
        return false;
    return modes.substr(open + 1, close - open - 1) != "none";
}

}  // namespace zandro
