#include "SimK7Behaviour.h"

#include <array>

#include "SimK8Behaviour.h"

namespace zandro {

namespace {

constexpr uint32_t kPowerManagementLeaf = 0x80000007;
constexpr uint32_t kMaxExtendedLeaf = 0x80000000;
constexpr uint64_t kFidMask = 0x1F;
constexpr unsigned kVidShift = 32;  // C0010042h bits 36..32; C0010041h has the new VID at 12..8
constexpr uint64_t kVidMask = uint64_t(0x1F) << kVidShift;

// Multipliers in tenths by FID code, as the AMD Athlon processor data sheets list them.
constexpr std::array<uint16_t, 32> kTenths = {
    110, 115, 120, 125, 50,  55,  60,  65,  70,  75,  80,  85,  90,  95,  100, 105,
    30,  190, 40,  200, 130, 135, 140, 210, 150, 220, 160, 165, 170, 180, 230, 240,
};

// CPUID 80000007h EDX bit 1: FID control; bit 2: VID control.
bool reportsControl(SimProcessor& processor, unsigned bit) {
    const auto max = processor.cpuid.find(kMaxExtendedLeaf);
    if (max == processor.cpuid.end() || max->second.eax < kPowerManagementLeaf)
        return false;
    const auto leaf = processor.cpuid.find(kPowerManagementLeaf);
    return leaf != processor.cpuid.end() && ((leaf->second.edx >> bit) & 1u);
}

}  // namespace

unsigned SimK7Behaviour::multiplierTenths(unsigned fid) {
    return kTenths[fid & kFidMask];
}

uint64_t SimK7Behaviour::stopGrantNs(uint64_t control) const {
    const uint64_t cycles = (control >> 32) & 0xFFFFF;
    return uint64_t(double(cycles) * 1000.0 / m_systemBusMhz);
}

void SimK7Behaviour::afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) {
    SimProcessor& processor = machine.cpu(cpu);
    if (index >= SimK8Behaviour::kNameStringFirst && index <= SimK8Behaviour::kNameStringLast) {
        SimK8Behaviour::updateBrandLeaves(processor);
        return;
    }
    if (index != kFidVidControl || !(value & (kFidChangeBit | kVidChangeBit)))
        return;
    const auto status = processor.msrs.find(kFidVidStatus);
    if (status == processor.msrs.end())
        return;
    const bool fid = (value & kFidChangeBit) && reportsControl(processor, 1);
    const bool vid = (value & kVidChangeBit) && reportsControl(processor, 2);
    if (!fid && !vid)
        return;
    // The write returns after the stop grant: the clock passes it at the old core clock.
    machine.advance(stopGrantNs(value));
    if (fid)
        status->second = (status->second & ~kFidMask) | (value & kFidMask);
    if (vid)
        status->second = (status->second & ~kVidMask) | (((value >> 8) & 0x1F) << kVidShift);
}

double SimK7Behaviour::coreClockMhz(const SimMachine& machine, unsigned cpu) const {
    const auto processor = machine.cpus.find(cpu);
    if (processor == machine.cpus.end())
        return machine.baseClockMhz;
    const auto status = processor->second.msrs.find(kFidVidStatus);
    if (status == processor->second.msrs.end())
        return machine.baseClockMhz;
    return m_systemBusMhz * multiplierTenths(unsigned(status->second & kFidMask)) / 10.0;
}

std::shared_ptr<SimBehaviour> SimK7Behaviour::clone() const {
    return std::make_shared<SimK7Behaviour>(*this);
}

}  // namespace zandro
