#pragma once

#include <cstdint>
#include <memory>

#include "SimMachine.h"

namespace zandro {

// The Athlon (K7) processor's FID/VID logic. A write of the FID/VID control register C0010041h
// with the FID change bit (16) or the VID change bit (17) takes effect during the write: the part
// sits in stop grant for the stop-grant count (bits 51..32) of system bus cycles, so the clock
// moves on by that much, and the status register C0010042h shows the new current FID and VID when
// the write returns. Only a part whose CPUID 80000007h EDX reports FID (bit 1) or VID (bit 2)
// control takes that change; a desktop part keeps its multiplier and voltage. The control register
// keeps what was written. The core (and its time-stamp counter) runs at the system bus clock times
// the current multiplier. Writes of the name-string registers show up in CPUID 80000002h-80000004h.
class SimK7Behaviour : public SimBehaviour {
public:
    static constexpr uint32_t kFidVidControl = 0xC0010041;
    static constexpr uint32_t kFidVidStatus = 0xC0010042;
    static constexpr uint64_t kFidChangeBit = uint64_t(1) << 16;
    static constexpr uint64_t kVidChangeBit = uint64_t(1) << 17;

    explicit SimK7Behaviour(double systemBusMhz) : m_systemBusMhz(systemBusMhz) {}

    void afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) override;
    double coreClockMhz(const SimMachine& machine, unsigned cpu) const override;
    std::shared_ptr<SimBehaviour> clone() const override;

    // The multiplier of a K7 FID code in tenths (FID 25 counts as 22.0x).
    static unsigned multiplierTenths(unsigned fid);
    // How long the stop grant of this control register value lasts.
    uint64_t stopGrantNs(uint64_t control) const;

private:
    double m_systemBusMhz;
};

}  // namespace zandro
