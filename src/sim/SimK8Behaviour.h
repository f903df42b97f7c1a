#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "SimMachine.h"

namespace zandro {

// The Athlon 64 (K8) processor's FID/VID logic: a write of the FID/VID control register with the
// initiate bit starts one change, the status register shows it pending until it completes, and the
// core (with its time-stamp counter) runs at 200 MHz times the current multiplier. A frequency
// step that the processor cannot make leaves the change pending for good, as the part would hang.
// Writes of the name-string registers show up in CPUID 80000002h-80000004h.
class SimK8Behaviour : public SimBehaviour {
public:
    static constexpr uint32_t kFidVidControl = 0xC0010041;
    static constexpr uint32_t kFidVidStatus = 0xC0010042;
    static constexpr uint32_t kNameStringFirst = 0xC0010030;
    static constexpr uint32_t kNameStringLast = 0xC0010035;
    static constexpr uint64_t kPendingBit = uint64_t(1) << 31;
    static constexpr uint64_t kInitiateBit = uint64_t(1) << 16;
    static constexpr double kSystemBusMhz = 200.0;
    static constexpr uint64_t kVoltageRampNs = 50000;
    static constexpr uint64_t kMinimumStopGrantNs = 1000;

    void afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) override;
    void beforeRead(SimMachine& machine, unsigned cpu, uint32_t index) override;
    void advance(SimMachine& machine, unsigned cpu, uint64_t nowNs) override;
    double coreClockMhz(const SimMachine& machine, unsigned cpu) const override;
    uint64_t nextEventNs(const SimMachine& machine, unsigned cpu) const override;
    std::shared_ptr<SimBehaviour> clone() const override;

    // Whether the processor can go from FID `from` to FID `to` in one change.
    static bool isFidStepAllowed(unsigned from, unsigned to);
    // How long an FID change of this control register value takes to stabilize.
    static uint64_t stopGrantNs(uint64_t control);
    // Copies the 48 bytes of the name-string registers into the processor's CPUID brand leaves.
    static void updateBrandLeaves(SimProcessor& processor);

private:
    enum class Field { None, Fid, Vid };
    struct Change {
        uint64_t dueNs = 0;
        Field field = Field::None;
        unsigned code = 0;
    };

    void initiate(SimMachine& machine, unsigned cpu, uint64_t control);
    void completeIfDue(SimMachine& machine, unsigned cpu);

    std::map<unsigned, Change> m_changes;  // per processor: the change in flight
};

}  // namespace zandro
