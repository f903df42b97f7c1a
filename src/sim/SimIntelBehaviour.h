#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "SimMachine.h"

namespace zandro {

// Enhanced SpeedStep and thermal status of the Pentium M and the Pentium 4. A write of the
// performance control register (199h) inside the limits that the performance status register
// (198h) reports moves the ratio at once and the VID after a short settling time; a request
// outside those limits, or one made while a VID is still settling, is refused and 199h keeps the
// operating point. The thermal log (19Ch bit 1) can only be cleared, and stays set while the part
// is too hot (bit 0, read-only). The time-stamp counter follows the processor's rule: the core
// clock on the Pentium M and the early Pentium 4, a constant rate from model 3 of the Pentium 4.
class SimIntelBehaviour : public SimBehaviour {
public:
    static constexpr uint32_t kPerfStatus = 0x198;
    static constexpr uint32_t kPerfControl = 0x199;
    static constexpr uint32_t kThermalStatus = 0x19C;
    static constexpr uint64_t kThermalNow = 1;  // 19Ch bit 0
    static constexpr uint64_t kThermalLog = 2;  // 19Ch bit 1
    static constexpr uint64_t kVoltageSettleNs = 100000;

    // An Intel Pentium M (family 6, model 9 or 13) or Pentium 4 (family 15).
    static bool fits(const SimProcessor& processor);

    // Where a VID lies among the voltages the part can be asked for, lowest first: the code itself
    // on the Pentium M, the place on the 12.5 mV ladder on the Pentium 4. Nothing for a Pentium 4
    // code that switches the output off.
    static std::optional<unsigned> voltageRank(bool netBurst, unsigned vid);

    // Whether a 199h request lies within the lowest and highest ratio and VID of a 198h value.
    static bool accepts(bool netBurst, uint64_t status, uint64_t request);

    // The front-side bus clock in MHz from 2Ah (Pentium M) or 2Ch (Pentium 4).
    static double busMhz(const SimProcessor& processor);

    void beforeWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t& value) override;
    void afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) override;
    void beforeRead(SimMachine& machine, unsigned cpu, uint32_t index) override;
    void advance(SimMachine& machine, unsigned cpu, uint64_t nowNs) override;
    double coreClockMhz(const SimMachine& machine, unsigned cpu) const override;
    uint64_t nextEventNs(const SimMachine& machine, unsigned cpu) const override;
    std::shared_ptr<SimBehaviour> clone() const override;

private:
    struct Settling {
        uint64_t dueNs = 0;
        unsigned vid = 0;
    };

    void completeIfDue(SimMachine& machine, unsigned cpu);

    std::map<unsigned, Settling> m_settling;  // per processor: the VID on its way
};

}  // namespace zandro
