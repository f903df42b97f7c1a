#pragma once

#include <cstdint>
#include <memory>

#include "SimMachine.h"

namespace zandro {

// The Pentium III's processor serial number switch: writing 1 into 119h bit 21 turns the serial
// number off until the next reset. From then on CPUID no longer offers it (leaf 1 EDX bit 18,
// leaf 3) and the bit stays set whatever is written.
class SimP6Behaviour : public SimBehaviour {
public:
    static constexpr uint32_t kBbclControl = 0x119;
    static constexpr uint64_t kSerialDisableBit = uint64_t(1) << 21;
    static constexpr uint32_t kSerialFeatureBit = uint32_t(1) << 18;
    static constexpr uint32_t kSerialLeaf = 3;

    // Whether a boot processor is a Pentium III (Intel family 6, model 7, 8, 10 or 11).
    static bool fits(const SimProcessor& processor);

    void afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) override;
    std::shared_ptr<SimBehaviour> clone() const override;
};

}  // namespace zandro
