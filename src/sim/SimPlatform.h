#pragma once

#include <cstdio>
#include <string>

#include "SimMachine.h"
#include "platform/Platform.h"

namespace zandro {

// The Platform backend over a SimMachine. Every event is appended to the trace file when one is
// set, one line per event, in the form that scripts read.
class SimPlatform : public Platform {
public:
    explicit SimPlatform(SimMachine& machine);
    ~SimPlatform() override;

    // Opens (appending) the trace file; false when it cannot be opened.
    bool openTrace(const std::string& path);
    SimMachine& machine() { return m_machine; }
    unsigned boundCpu() const;  // the processor that accesses go to

    int32_t readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) override;
    // The simulated machine boots once for all the runs that share its sim-state.
    std::string bootId() override { return "simulated"; }
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

private:
    void trace(const std::string& line);
    std::string accessLine(const char* kind, uint32_t index) const;
    int32_t write(const char* kind, uint32_t index, uint64_t value);

    SimMachine& m_machine;
    unsigned m_cpu = 0;          // the bound processor, once bound
    uint32_t m_processMask = 0;  // 0 until bound: the whole system mask
    std::FILE* m_trace = nullptr;
};

}  // namespace zandro
