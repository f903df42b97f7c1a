#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Platform.h"

namespace zandro {

class SimMachine;

// One simulated processor: its CPUID leaves, its register file and the faults injected into it.
struct SimProcessor {
    std::map<uint32_t, CpuidRegs> cpuid;
    std::map<uint32_t, uint64_t> msrs;  // a register exists when it is in this map
    std::set<uint32_t> failRead;
    std::set<uint32_t> failWrite;
    bool failBind = false;
    double tscFraction = 0.0;  // sub-tick remainder of the time-stamp counter
};

// The dynamic part of a processor family: how its status registers follow its control registers
// and how fast its core runs. A profile picks one; the default is a fixed clock.
class SimBehaviour {
public:
    virtual ~SimBehaviour() = default;
    // Before a write of a register that exists is stored: the value may be changed into what the
    // register keeps (read-only bits, bits that only clear, requests the part refuses).
    virtual void beforeWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t& value);
    // After a successful write of a register that exists; the value is already stored.
    virtual void afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value);
    // Before a register is read (for registers computed on demand).
    virtual void beforeRead(SimMachine& machine, unsigned cpu, uint32_t index);
    // Simulated time moved forward to nowNs.
    virtual void advance(SimMachine& machine, unsigned cpu, uint64_t nowNs);
    // The core clock in MHz; the time-stamp counter runs at it.
    virtual double coreClockMhz(const SimMachine& machine, unsigned cpu) const;
    // The next moment after the present at which advance() changes something on this processor
    // (UINT64_MAX: none). The clock stops there, so the time-stamp counter changes speed exactly.
    virtual uint64_t nextEventNs(const SimMachine& machine, unsigned cpu) const;
    // The behaviour of a copied machine; a behaviour with state of its own must copy that state.
    virtual std::shared_ptr<SimBehaviour> clone() const;
};

// The whole simulated machine. The clock is virtual: sleeping advances it instead of waiting, and
// the time-stamp counters, the performance counter and the tick count follow it.
class SimMachine {
public:
    // Every register access costs this much simulated time, so polling loops see time pass.
    static constexpr uint64_t kAccessCostNs = 1000;
    static constexpr uint32_t kTimeStampCounter = 0x10;

    SimMachine();
    SimMachine(const SimMachine& other);
    SimMachine& operator=(const SimMachine& other);
    ~SimMachine();

    std::string profileName;
    std::string description;
    uint64_t uptimeMs = 600000;  // at the simulated boot + clock 0
    int32_t driverStatus = DriverStatus::Ok;
    uint32_t affinity = 1;  // processors present
    std::map<unsigned, SimProcessor> cpus;
    double baseClockMhz = 1000.0;  // core clock of the default behaviour

    void setBehaviour(std::shared_ptr<SimBehaviour> behaviour);
    SimBehaviour& behaviour() const { return *m_behaviour; }

    // Processor n, created as a copy of processor 0 when the profile lacks it.
    SimProcessor& cpu(unsigned n);

    uint64_t nowNs() const { return m_nowNs; }
    void advance(uint64_t ns);  // moves the clock, the time-stamp counters and the behaviour
    uint64_t tickCountMs() const { return uptimeMs + m_nowNs / 1000000; }

    // Register access as the driver sees it: false when the register is absent or a fault is set.
    bool read(unsigned cpu, uint32_t index, uint64_t& value);
    bool write(unsigned cpu, uint32_t index, uint64_t value);

    // Makes sure every processor of the affinity mask exists (copies of processor 0).
    void fillProcessors();

private:
    uint64_t nextEventNs(uint64_t limitNs) const;
    void runTimeStampCounters(uint64_t ns);

    uint64_t m_nowNs = 0;
    std::shared_ptr<SimBehaviour> m_behaviour;
};

}  // namespace zandro
