#include "platform/LinuxPlatform.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/SimFixture.h"

namespace zandro {
namespace {

namespace fs = std::filesystem;

// Stand-in device files: per processor a sparse file reaching past the highest register number.
class StandInDevice : public ::testing::Test {
protected:
    void SetUp() override {
        uint32_t process = 0;
        ASSERT_TRUE(platform.affinityMasks(process, system));
        addCpu(0);
        addCpu(1);
    }
    void TearDown() override { platform.setAffinityMask(system); }

    std::string file(unsigned cpu) const { return MsrDevice::path(dir.path(), cpu); }
    void addCpu(unsigned cpu) {
        fs::create_directories(dir.file(std::to_string(cpu)));
        const int fd = ::open(file(cpu).c_str(), O_CREAT | O_RDWR, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(0x100000008)), 0);
        ::close(fd);
    }
    void poke(unsigned cpu, uint32_t index, uint64_t value) {
        const int fd = ::open(file(cpu).c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, &value, 8, off_t(index)), 8);
        ::close(fd);
    }
    uint64_t peek(unsigned cpu, uint32_t index) {
        uint64_t value = 0;
        const int fd = ::open(file(cpu).c_str(), O_RDONLY);
        EXPECT_EQ(::pread(fd, &value, 8, off_t(index)), 8);
        ::close(fd);
        return value;
    }
    uint64_t read(LinuxPlatform& on, uint32_t index) {
        uint32_t eax = 0xDEADBEEF, edx = 0xDEADBEEF;
        EXPECT_EQ(on.readMsr(index, eax, edx), DriverStatus::Ok) << std::hex << index;
        return uint64_t(edx) << 32 | eax;
    }
    bool allowed(unsigned cpu) const { return system & (1u << cpu); }

    test::TempDir dir;
    LinuxPlatform platform{dir.path()};
    uint32_t system = 0;
};

TEST_F(StandInDevice, ReadsAndWritesEightBytesAtTheRegisterNumber) {
    ASSERT_TRUE(allowed(0));
    ASSERT_TRUE(platform.setAffinityMask(1));
    for (uint32_t index : {0x10u, 0x1A0u, 0xC0010042u, 0xFFFFFFF8u}) {
        poke(0, index, 0x0123456789ABCDEFull ^ index);
        EXPECT_EQ(read(platform, index), 0x0123456789ABCDEFull ^ index);
        EXPECT_EQ(platform.writeMsr(index, ~uint64_t(index)), DriverStatus::Ok);
        EXPECT_EQ(peek(0, index), ~uint64_t(index));
        EXPECT_EQ(platform.writeMsrWbinvd(index, uint64_t(index) << 32), DriverStatus::Ok);
        EXPECT_EQ(read(platform, index), uint64_t(index) << 32);
    }
    EXPECT_EQ(peek(0, 0x1A8), 0u);  // neighbours untouched
    EXPECT_EQ(peek(1, 0x1A0), 0u);
}

TEST_F(StandInDevice, AccessesGoToTheBoundProcessorsFile) {
    if (!allowed(0) || !allowed(1))
        GTEST_SKIP() << "needs processors 0 and 1";
    poke(0, 0x10, 100);
    poke(1, 0x10, 101);
    ASSERT_TRUE(platform.setAffinityMask(2));
    EXPECT_EQ(read(platform, 0x10), 101u);
    EXPECT_EQ(platform.writeMsr(0x1A0, 7), DriverStatus::Ok);
    EXPECT_EQ(peek(1, 0x1A0), 7u);
    EXPECT_EQ(peek(0, 0x1A0), 0u);
    ASSERT_TRUE(platform.setAffinityMask(1));
    EXPECT_EQ(read(platform, 0x10), 100u);
    // Unbound: the file of whichever processor the scheduler runs us on.
    ASSERT_TRUE(platform.setAffinityMask(3));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int before = sched_getcpu();
        const uint64_t value = read(platform, 0x10);
        if (before != sched_getcpu())
            continue;
        EXPECT_EQ(value, 100u + before);
        break;
    }
}

TEST_F(StandInDevice, AbsentFilesAndShortFilesFail) {
    ASSERT_TRUE(platform.setAffinityMask(1));
    fs::remove(file(0));
    uint32_t eax = 0, edx = 0;
    EXPECT_EQ(platform.readMsr(0x10, eax, edx), DriverStatus::Failed);
    EXPECT_EQ(platform.writeMsr(0x10, 1), DriverStatus::Failed);
    fs::create_directory(file(0));  // a folder in place of the file
    EXPECT_EQ(platform.readMsr(0x10, eax, edx), DriverStatus::Failed);
    fs::remove(file(0));
    test::writeFile(file(0), std::string(12, 'x'));  // register 10h lies past the end
    EXPECT_EQ(platform.readMsr(0x10, eax, edx), DriverStatus::Failed);
    EXPECT_EQ(platform.readMsr(0x2, eax, edx), DriverStatus::Ok);  // a failed open is retried
}

TEST_F(StandInDevice, KeepsFilesOpenUntilDestroyed) {
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    const auto before = openFiles();
    {
        LinuxPlatform other(dir.path());
        poke(0, 0x10, 42);
        ASSERT_TRUE(other.setAffinityMask(1));
        EXPECT_EQ(read(other, 0x10), 42u);
        fs::remove_all(dir.file("0"));  // the open descriptor still reads the old file
        EXPECT_EQ(read(other, 0x10), 42u);
        EXPECT_EQ(openFiles(), before + 1);
    }
    EXPECT_EQ(openFiles(), before);
}

TEST_F(StandInDevice, DriverStatusCountsOnlyTheFiles) {
    EXPECT_EQ(platform.driverStatus(), DriverStatus::Ok);
    EXPECT_TRUE(LinuxPlatform::msrDeviceUsable(dir.path()));
    EXPECT_EQ(LinuxPlatform(dir.file("none")).driverStatus(), DriverStatus::NotRegistered);
    fs::remove(file(0));
    EXPECT_EQ(platform.driverStatus(), DriverStatus::NotRegistered);
    EXPECT_FALSE(LinuxPlatform::msrDeviceUsable(dir.path()));
    fs::create_directory(file(0));
    EXPECT_EQ(platform.driverStatus(), DriverStatus::Failed);
    EXPECT_FALSE(LinuxPlatform::msrDeviceUsable(dir.path()));
}

// A device the user may read but not write: reads work, writes fail, the driver is "not running".
TEST_F(StandInDevice, ReadOnlyDeviceIsNotRunning) {
    poke(0, 0x10, 5);
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir.file("0"), fs::perms(0755));
    fs::permissions(file(0), fs::perms(0444));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534)))
            _exit(9);
        LinuxPlatform user(dir.path());
        uint32_t eax = 0, edx = 0;
        int faults = user.driverStatus() != DriverStatus::NotRunning;
        faults |= !LinuxPlatform::msrDeviceUsable(dir.path()) << 1;
        faults |= !user.setAffinityMask(1) << 2;
        faults |= (user.readMsr(0x10, eax, edx) != DriverStatus::Ok || eax != 5) << 3;
        faults |= (user.writeMsr(0x10, 6) != DriverStatus::Failed) << 4;
        _exit(faults);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LinuxPlatformDeviceRoot, EnvironmentNamesTheRoot) {
    ::setenv("ZANDRO_MSR_DEVICE_ROOT", "/somewhere/cpu", 1);
    EXPECT_EQ(LinuxPlatform().deviceRoot(), "/somewhere/cpu");
    EXPECT_EQ(LinuxPlatform("/given").deviceRoot(), "/given");
    ::setenv("ZANDRO_MSR_DEVICE_ROOT", "", 1);
    EXPECT_EQ(LinuxPlatform::defaultDeviceRoot(), "/dev/cpu");
    ::unsetenv("ZANDRO_MSR_DEVICE_ROOT");
    EXPECT_EQ(LinuxPlatform().deviceRoot(), "/dev/cpu");
}

// The live machine: affinity, instructions, clocks and scheduling classes.
class ThisMachine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform.affinityMasks(process, system)); }
    void TearDown() override {
        platform.setAffinityMask(system);
        platform.setNormalPriority();
    }
    LinuxPlatform platform{"/nonexistent"};
    uint32_t process = 0, system = 0;
};

TEST_F(ThisMachine, SystemMaskHoldsTheProcessorWeRunOn) {
    EXPECT_NE(process, 0u);
    EXPECT_EQ(process & ~system, 0u);
    const int cpu = sched_getcpu();
    if (cpu < 32) {
        EXPECT_TRUE(system & (1u << cpu)) << cpu;
    }
}

TEST_F(ThisMachine, BindingMovesEveryThread) {
    if ((system & 3) != 3)
        GTEST_SKIP() << "needs processors 0 and 1";
    std::atomic<pid_t> tid = 0;
    std::atomic<bool> done = false;
    std::thread other([&] {
        tid = gettid();
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (tid == 0)
        std::this_thread::yield();
    ASSERT_TRUE(platform.setAffinityMask(2));
    EXPECT_EQ(sched_getcpu(), 1);
    uint32_t now = 0, all = 0;
    ASSERT_TRUE(platform.affinityMasks(now, all));
    EXPECT_EQ(now, 2u);
    EXPECT_EQ(all, system);  // binding does not shrink the system mask
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(tid, sizeof set, &set), 0);
    EXPECT_TRUE(CPU_ISSET(1, &set) && CPU_COUNT(&set) == 1);
    // Processors that do not exist are refused and the binding stays.
    EXPECT_FALSE(platform.setAffinityMask(0));
    if (!(system & 0x80000000u)) {
        EXPECT_FALSE(platform.setAffinityMask(0x80000000u));
    }
    EXPECT_EQ(sched_getcpu(), 1);
    done = true;
    other.join();
}

TEST_F(ThisMachine, CpuidNamesTheVendorTheKernelReports) {
    const CpuidRegs leaf0 = platform.cpuid(0);
    std::string vendor(12, ' ');
    std::memcpy(vendor.data(), &leaf0.ebx, 4);
    std::memcpy(vendor.data() + 4, &leaf0.edx, 4);
    std::memcpy(vendor.data() + 8, &leaf0.ecx, 4);
    EXPECT_NE(test::readFile("/proc/cpuinfo").find("vendor_id\t: " + vendor + "\n"),
              std::string::npos);
    EXPECT_GE(leaf0.eax, 1u);
    const uint64_t t1 = platform.rdtsc();
    EXPECT_GT(platform.rdtsc(), t1);
}

TEST_F(ThisMachine, ClocksAndSleep) {
    EXPECT_EQ(platform.performanceFrequency(), 1000000000u);
    const uint64_t q1 = platform.performanceCounter();
    const auto start = std::chrono::steady_clock::now();
    platform.sleepMs(20);
    const auto slept = std::chrono::steady_clock::now() - start;
    const uint64_t q2 = platform.performanceCounter();
    EXPECT_GE(slept, std::chrono::milliseconds(20));
    EXPECT_LT(slept, std::chrono::milliseconds(1000));
    EXPECT_GE(q2 - q1, 19900000u);  // the raw clock is not slewed, so allow a little drift
    EXPECT_LT(q2 - q1, 1000000000u);
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    EXPECT_NEAR(double(platform.tickCountMs()), uptime * 1000, 100);
}

TEST_F(ThisMachine, SleepOutlastsSignals) {
    struct sigaction action {};
    action.sa_handler = [](int) {};  // no SA_RESTART: nanosleep returns EINTR
    struct sigaction previous {};
    sigaction(SIGALRM, &action, &previous);
    itimerval timer{{0, 5000}, {0, 5000}};
    setitimer(ITIMER_REAL, &timer, nullptr);
    const auto start = std::chrono::steady_clock::now();
    platform.sleepMs(40);
    const auto slept = std::chrono::steady_clock::now() - start;
    timer = {};
    setitimer(ITIMER_REAL, &timer, nullptr);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(slept, std::chrono::milliseconds(40));
}

TEST_F(ThisMachine, RealTimePriorityAndBack) {
    if (platform.setRealTimePriority()) {
        EXPECT_EQ(sched_getscheduler(0), SCHED_FIFO);
        sched_param param{};
        sched_getparam(0, &param);
        EXPECT_EQ(param.sched_priority, sched_get_priority_max(SCHED_FIFO));
    } else {
        EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
    }
    platform.setNormalPriority();
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
}

}  // namespace
}  // namespace zandro
