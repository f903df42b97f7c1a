#pragma once

#include <string>

#include "MsrDevice.h"
#include "Platform.h"

namespace zandro {

// The real machine: the kernel msr device /dev/cpu/N/msr (or the folder named by
// ZANDRO_MSR_DEVICE_ROOT), the CPUID and RDTSC instructions, sched affinity and scheduling
// classes, and the monotonic and boot clocks.
class LinuxPlatform : public Platform {
public:
    // deviceRoot empty: ZANDRO_MSR_DEVICE_ROOT when set, else /dev/cpu.
    explicit LinuxPlatform(std::string deviceRoot = {});
    ~LinuxPlatform() override;

    static std::string defaultDeviceRoot();
    // True when the msr device of processor 0 can be opened for reading.
    static bool msrDeviceUsable(const std::string& deviceRoot = {});

    int32_t readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) override;
    std::string bootId() override;
    int32_t writeMsr(uint32_t index, uint64_t value) override;
    int32_t writeMsrWbinvd(uint32_t index, uint64_t value) override;
    int32_t driverStatus() override;
    CpuidRegs cpuid(uint32_t leaf) override;
    uint64_t rdtsc() override;
    bool affinityMasks(uint32_t& processMask, uint32_t& systemMask) override;
    bool setAffinityMask(uint32_t mask) override;
    uint64_t performanceFrequency() override;
    uint64_t performanceCounter() override;
    void sleepMs(uint32_t ms) override;
    uint64_t tickCountMs() override;
    bool setRealTimePriority() override;
    void setNormalPriority() override;

    const std::string& deviceRoot() const { return m_root; }

private:
    unsigned currentCpu() const;

    std::string m_root;
    MsrDevice m_device;
    int m_boundCpu = -1;  // -1: not bound, the scheduler picks
};

}  // namespace zandro
