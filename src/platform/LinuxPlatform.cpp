#include "LinuxPlatform.h"

#if !defined(__x86_64__) && !defined(__i386__)
#error "the Linux backend executes CPUID and RDTSC: x86 only"
#endif

#include <cpuid.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/types.h>
#include <unistd.h>
#include <x86intrin.h>

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "MsrDriverProbe.h"

namespace zandro {

namespace {

constexpr const char* kKernelDeviceRoot = "/dev/cpu";
constexpr unsigned kMaskBits = 32;

uint32_t maskOf(const cpu_set_t& set) {
    uint32_t mask = 0;
    for (unsigned cpu = 0; cpu < kMaskBits; ++cpu) {
        if (CPU_ISSET(cpu, &set))
            mask |= uint32_t(1) << cpu;
    }
    return mask;
}

cpu_set_t setOf(uint32_t mask) {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (unsigned cpu = 0; cpu < kMaskBits; ++cpu) {
        if (mask & (uint32_t(1) << cpu))
            CPU_SET(cpu, &set);
    }
    return set;
}

// The processors this process may use, taken before main() so that later bindings of the
// process cannot shrink it.
uint32_t allowedAtStart() {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return maskOf(set);
}
const uint32_t g_systemMask = allowedAtStart();

// Every thread of the process, the calling one first: a binding or scheduling class is per
// thread on Linux, and the calling thread is the one whose accesses must land on the processor.
std::vector<pid_t> threadsCallerFirst() {
    const pid_t self = ::gettid();
    std::vector<pid_t> threads{self};
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        const pid_t tid = pid_t(std::atoi(entry.path().filename().c_str()));
        if (tid > 0 && tid != self)
            threads.push_back(tid);
    }
    return threads;
}

// Applies a per-thread setting to every thread; fails only when the calling thread refuses it.
// Other threads are best effort (they may end while we walk the list).
template <typename Apply>
bool applyToAllThreads(Apply apply) {
    const std::vector<pid_t> threads = threadsCallerFirst();
    if (!apply(threads.front()))
        return false;
    for (size_t i = 1; i < threads.size(); ++i)
        apply(threads[i]);
    return true;
}

bool setScheduler(int policy, int priority) {
    const sched_param param{priority};
    return applyToAllThreads(
        [&](pid_t tid) { return ::sched_setscheduler(tid, policy, &param) == 0; });
}

uint64_t clockNs(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

int32_t statusOf(int error) {
    return error == 0 ? DriverStatus::Ok : DriverStatus::Failed;
}

}  // namespace

LinuxPlatform::LinuxPlatform(std::string deviceRoot)
    : m_root(deviceRoot.empty() ? defaultDeviceRoot() : std::move(deviceRoot)), m_device(m_root) {}

LinuxPlatform::~LinuxPlatform() = default;

std::string LinuxPlatform::defaultDeviceRoot() {
    const char* root = std::getenv("ZANDRO_MSR_DEVICE_ROOT");
    return root && *root ? root : kKernelDeviceRoot;
}

bool LinuxPlatform::msrDeviceUsable(const std::string& deviceRoot) {
    const std::string root = deviceRoot.empty() ? defaultDeviceRoot() : deviceRoot;
    return MsrDevice::openError(root, 0, O_RDONLY) == 0;
}

unsigned LinuxPlatform::currentCpu() const {
    if (m_boundCpu >= 0)
        return unsigned(m_boundCpu);
    const int cpu = ::sched_getcpu();
    return cpu >= 0 ? unsigned(cpu) : 0;
}

int32_t LinuxPlatform::readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) {
    uint64_t value = 0;
    const int error = m_device.read(currentCpu(), index, value);
    if (error == 0) {
        eax = uint32_t(value);
        edx = uint32_t(value >> 32);
    }
    return statusOf(error);
}

int32_t LinuxPlatform::writeMsr(uint32_t index, uint64_t value) {
    return statusOf(m_device.write(currentCpu(), index, value));
}

// The msr device offers no write with WBINVD; the plain write is the nearest it has.
int32_t LinuxPlatform::writeMsrWbinvd(uint32_t index, uint64_t value) {
    return writeMsr(index, value);
}

int32_t LinuxPlatform::driverStatus() {
    if (m_root != kKernelDeviceRoot)
        return MsrDriverProbe::deviceFilesStatus(m_root);
    return MsrDriverProbe().kernelDeviceStatus(m_root);
}

CpuidRegs LinuxPlatform::cpuid(uint32_t leaf) {
    CpuidRegs regs;
    __cpuid_count(leaf, 0, regs.eax, regs.ebx, regs.ecx, regs.edx);
    return regs;
}

uint64_t LinuxPlatform::rdtsc() {
    return __rdtsc();
}

bool LinuxPlatform::affinityMasks(uint32_t& processMask, uint32_t& systemMask) {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return false;
    processMask = maskOf(set);
    systemMask = g_systemMask;
    return true;
}

bool LinuxPlatform::setAffinityMask(uint32_t mask) {
    const cpu_set_t set = setOf(mask);
    const bool bound = applyToAllThreads(
        [&](pid_t tid) { return ::sched_setaffinity(tid, sizeof set, &set) == 0; });
    if (!bound)
        return false;
    // One processor: accesses go to its device file, wherever the scheduler reports us.
    m_boundCpu = std::has_single_bit(mask) ? std::countr_zero(mask) : -1;
    return true;
}

uint64_t LinuxPlatform::performanceFrequency() {
    return 1000000000u;
}

uint64_t LinuxPlatform::performanceCounter() {
    return clockNs(CLOCK_MONOTONIC_RAW);
}

void LinuxPlatform::sleepMs(uint32_t ms) {
    timespec left{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

uint64_t LinuxPlatform::tickCountMs() {
    return clockNs(CLOCK_BOOTTIME) / 1000000u;
}

bool LinuxPlatform::setRealTimePriority() {
    return setScheduler(SCHED_FIFO, ::sched_get_priority_max(SCHED_FIFO));
}

void LinuxPlatform::setNormalPriority() {
    setScheduler(SCHED_OTHER, 0);
}

std::string LinuxPlatform::bootId() {
    // A fresh random id each boot; absent on kernels without /proc.
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
}

}  // namespace zandro
