#include "SimP6Behaviour.h"

namespace zandro {

namespace {

constexpr uint32_t kGenuineIntelEbx = 0x756E6547;  // "Genu"
constexpr uint32_t kP6Family = 6;

}  // namespace

bool SimP6Behaviour::fits(const SimProcessor& processor) {
    const auto leaf0 = processor.cpuid.find(0);
    const auto leaf1 = processor.cpuid.find(1);
    if (leaf0 == processor.cpuid.end() || leaf1 == processor.cpuid.end())
        return false;
    const uint32_t family = (leaf1->second.eax >> 8) & 0xF;
    const uint32_t model = (leaf1->second.eax >> 4) & 0xF;
    // Katmai, Coppermine, Cascades and Tualatin: the P6 parts with a serial number.
    const bool pentium3 = model == 7 || model == 8 || model == 10 || model == 11;
    return leaf0->second.ebx == kGenuineIntelEbx && family == kP6Family && pentium3;
}

void SimP6Behaviour::afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) {
    if (index != kBbclControl)
        return;
    SimProcessor& processor = machine.cpu(cpu);
    CpuidRegs& features = processor.cpuid[1];
    const bool alreadyOff = (features.edx & kSerialFeatureBit) == 0;
    if (!(value & kSerialDisableBit) && !alreadyOff)
        return;
    // Off until reset: the bit cannot be cleared, and CPUID hides the serial number.
    processor.msrs[kBbclControl] |= kSerialDisableBit;
    features.edx &= ~kSerialFeatureBit;
    CpuidRegs& leaf0 = processor.cpuid[0];
    if (leaf0.eax >= kSerialLeaf)
        leaf0.eax = kSerialLeaf - 1;
    processor.cpuid.erase(kSerialLeaf);
}

std::shared_ptr<SimBehaviour> SimP6Behaviour::clone() const {
    return std::make_shared<SimP6Behaviour>(*this);
}

}  // namespace zandro
