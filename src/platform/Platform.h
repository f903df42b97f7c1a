#pragma once

#include <cstdint>
#include <string>

namespace zandro {

struct CpuidRegs {
    uint32_t eax = 0;
    uint32_t ebx = 0;
    uint32_t ecx = 0;
    uint32_t edx = 0;
    bool operator==(const CpuidRegs&) const = default;
};

// Statuses of the MSR driver's four operations. Any value other than these is usable.
namespace DriverStatus {
constexpr int32_t Ok = 0;
constexpr int32_t Failed = -1;  // any other error
constexpr int32_t NotRunning = -2;
constexpr int32_t UnsupportedOs = -3;
constexpr int32_t NotRegistered = -7;
}  // namespace DriverStatus

// Everything the program needs from the machine. One backend talks to the real hardware through
// the kernel's msr device; the other is the simulated machine. Nothing above this interface knows
// which one it has.
class Platform {
public:
    virtual ~Platform() = default;

    // The MSR driver: register accesses on the processor the process runs on. Status 0 is success.
    virtual int32_t readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) = 0;
    virtual int32_t writeMsr(uint32_t index, uint64_t value) = 0;
    virtual int32_t writeMsrWbinvd(uint32_t index, uint64_t value) = 0;
    virtual int32_t driverStatus() = 0;

    // Processor instructions, executed on the processor the process runs on.
    virtual CpuidRegs cpuid(uint32_t leaf) = 0;
    virtual uint64_t rdtsc() = 0;

    // Affinity masks, bit n = processor n, processors 0..31 only.
    virtual bool affinityMasks(uint32_t& processMask, uint32_t& systemMask) = 0;
    virtual bool setAffinityMask(uint32_t mask) = 0;

    // Timing: a monotonic high-resolution counter, sleeping, and milliseconds since boot.
    virtual uint64_t performanceFrequency() = 0;
    virtual uint64_t performanceCounter() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
    virtual uint64_t tickCountMs() = 0;

    // Process priority; raising may fail without harm.
    virtual bool setRealTimePriority() = 0;
    virtual void setNormalPriority() = 0;

    // Names the current boot, so that a record kept from an earlier boot is known as stale;
    // empty where the system does not say.
    virtual std::string bootId() { return {}; }
};

}  // namespace zandro
