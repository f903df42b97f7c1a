#include "platform/MsrDriverProbe.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/MsrDevice.h"
#include "platform/Platform.h"
#include "support/SimFixture.h"

namespace zandro {
namespace {

namespace fs = std::filesystem;

// A made-up system tree (sys, proc, lib/modules) beside a device folder, kernel release "6.1.0-t".
class FakeSystem : public ::testing::Test {
protected:
    void put(const std::string& path, const std::string& text = {}) {
        fs::create_directories(fs::path(dir.path() + path).parent_path());
        test::writeFile(dir.path() + path, text);
    }
    void addDevice() { put("/dev/cpu/0/msr"); }
    int32_t status() const { return probe.kernelDeviceStatus(dir.file("dev/cpu")); }

    test::TempDir dir;
    MsrDriverProbe probe{dir.path(), "6.1.0-t"};
};

TEST_F(FakeSystem, NoDeviceAndNoDriverIsAnIncompatibleSystem) {
    put("/lib/modules/6.1.0-t/modules.dep", "kernel/drivers/x/notmsr.ko:\nkernel/y/msr.kx:\n");
    put("/lib/modules/5.10.0-old/kernel/arch/x86/kernel/msr.ko");  // another kernel's
    put("/proc/devices", "Character devices:\n203 cpu/cpuid\n");
    EXPECT_FALSE(probe.kernelHasMsrDriver());
    EXPECT_EQ(status(), DriverStatus::UnsupportedOs);
}

TEST_F(FakeSystem, DriverThatIsNotLoadedIsNotRegistered) {
    const char* ways[][2] = {
        {"/lib/modules/6.1.0-t/modules.dep", "kernel/arch/x86/kernel/msr.ko.zst: \n"},
        {"/lib/modules/6.1.0-t/modules.builtin", "kernel/a.ko\nkernel/arch/x86/kernel/msr.ko\n"},
        {"/lib/modules/6.1.0-t/kernel/arch/x86/kernel/msr.ko.xz", ""},
        {"/sys/module/msr/parameters/allow_writes", "on\n"},
        {"/proc/devices", "Character devices:\n202 cpu/msr\n203 cpu/cpuid\n"},
    };
    for (const auto& way : ways) {
        fs::remove_all(dir.file("lib"));
        fs::remove_all(dir.file("sys"));
        fs::remove_all(dir.file("proc"));
        put(way[0], way[1]);
        EXPECT_EQ(status(), DriverStatus::NotRegistered) << way[0];
    }
}

TEST_F(FakeSystem, UsableDeviceUnlessLockedDown) {
    addDevice();
    EXPECT_EQ(status(), DriverStatus::Ok);
    put("/sys/kernel/security/lockdown", "[none] integrity confidentiality\n");
    EXPECT_EQ(status(), DriverStatus::Ok);
    put("/sys/kernel/security/lockdown", "none [integrity] confidentiality\n");
    EXPECT_EQ(status(), DriverStatus::NotRunning);
}

TEST_F(FakeSystem, DeviceThatDoesNotOpen) {
    fs::create_directories(dir.file("dev/cpu/0/msr"));
    EXPECT_EQ(status(), DriverStatus::Failed);
    EXPECT_EQ(MsrDevice::openError(dir.file("dev/cpu"), 0, 0), EISDIR);
    EXPECT_EQ(MsrDriverProbe::statusForOpenError(EPERM), DriverStatus::NotRunning);
    EXPECT_EQ(MsrDriverProbe::statusForOpenError(EACCES), DriverStatus::NotRunning);
    EXPECT_EQ(MsrDriverProbe::statusForOpenError(ENXIO), DriverStatus::Failed);  // offline
}

}  // namespace
}  // namespace zandro
