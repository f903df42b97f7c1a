#include "SimProfiles.h"

#include <array>
#include <cstring>
#include <memory>

#include "SimIntelBehaviour.h"
#include "SimK8Behaviour.h"
#include "SimP6Behaviour.h"
#include "SimProfileData.h"

namespace zandro {

namespace {

constexpr uint32_t kApicBase = 0x1B;
constexpr uint64_t kBootstrapBit = uint64_t(1) << 8;  // 1Bh bit 8
constexpr uint32_t kFirstBrandLeaf = 0x80000002;
constexpr uint32_t kFirstNameRegister = 0xC0010030;
constexpr uint32_t kFirstMachineCheckBank = 0x400;
constexpr size_t kBrandBytes = 48;

// In the order `--simulate list` shows them: the family pages' order, then the stranger.
constexpr std::array kProfiles = {
    &kAthlon64Profile,          &kAthlon64X2Profile,         &kOpteronProfile,
    &kPentiumMDothanProfile,    &kPentiumMProfile,           &kPentium4Profile,
    &kPentium4NorthwoodProfile, &kPentium4WillametteProfile, &kPentium4GallatinProfile,
    &kAthlonProfile,            &kAthlonMobileProfile,       &kAthlonThunderbirdProfile,
    &kAthlonSpitfireProfile,    &kPentium3Profile,           &kPentium3TualatinProfile,
    &kPentium3KatmaiProfile,    &kK6Profile,                 &kK63Profile,
    &kK5Profile,                &kK5EarlyProfile,            &kUnknownProfile,
};

using BrandBytes = std::array<uint8_t, kBrandBytes>;

// The 47 visible bytes and the closing NUL, laid out as the maker's processors do.
BrandBytes brandBytes(const char* text, SimBrandLayout layout) {
    BrandBytes bytes{};
    const size_t length = std::min(std::strlen(text), kBrandBytes - 1);
    size_t start = 0;
    if (layout == SimBrandLayout::RightJustified) {
        start = kBrandBytes - 1 - length;
        std::memset(bytes.data(), ' ', start);
    } else if (layout == SimBrandLayout::BlankPadded) {
        std::memset(bytes.data(), ' ', kBrandBytes - 1);
    }
    std::memcpy(bytes.data() + start, text, length);
    return bytes;
}

uint32_t word(const BrandBytes& bytes, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);  // little endian, as the registers take it
    return value;
}

void addBrand(const SimProfileData& spec, SimProcessor& processor) {
    if (spec.brandLayout == SimBrandLayout::None)
        return;
    const BrandBytes bytes = brandBytes(spec.brand, spec.brandLayout);
    for (uint32_t j = 0; j < 3; ++j) {
        processor.cpuid[kFirstBrandLeaf + j] =
            CpuidRegs{word(bytes, 16 * j), word(bytes, 16 * j + 4), word(bytes, 16 * j + 8),
                      word(bytes, 16 * j + 12)};
    }
    if (!spec.nameStringRegisters)
        return;
    // The BIOS writes the brand into the name-string registers, from which CPUID reports it.
    for (uint32_t k = 0; k < 6; ++k) {
        processor.msrs[kFirstNameRegister + k] =
            (uint64_t(word(bytes, 8 * k + 4)) << 32) | word(bytes, 8 * k);
    }
}

void addMachineCheckBanks(const SimProfileData& spec, SimProcessor& processor) {
    for (uint32_t bank = 0; bank < spec.machineCheckBanks; ++bank) {
        processor.msrs[kFirstMachineCheckBank + 4 * bank] = spec.machineCheckControl;  // MCi_CTL
        processor.msrs[kFirstMachineCheckBank + 4 * bank + 1] = 0;                     // MCi_STATUS
    }
}

SimProcessor bootProcessor(const SimProfileData& spec, uint64_t uptimeMs) {
    SimProcessor processor;
    for (const SimLeafRow& row : spec.leaves) {
        processor.cpuid[row.leaf] = CpuidRegs{row.eax, row.ebx, row.ecx, row.edx};
    }
    for (const SimMsrRow& row : spec.msrs)
        processor.msrs[row.index] = row.value;
    addBrand(spec, processor);
    addMachineCheckBanks(spec, processor);
    // The time-stamp counter has counted at the core clock since the machine was switched on.
    processor.msrs[SimMachine::kTimeStampCounter] =
        uint64_t(double(uptimeMs) * 1000.0 * spec.clockMhz);
    return processor;
}

// Another processor of the same machine: its own APIC ID, and not the bootstrap processor.
SimProcessor applicationProcessor(const SimProcessor& boot, unsigned n) {
    SimProcessor processor = boot;
    const auto apic = processor.msrs.find(kApicBase);
    if (apic != processor.msrs.end())
        apic->second &= ~kBootstrapBit;
    const auto leaf1 = processor.cpuid.find(1);
    if (leaf1 != processor.cpuid.end()) {
        leaf1->second.ebx = (leaf1->second.ebx & 0x00FFFFFF) | (uint32_t(n) << 24);  // APIC ID
    }
    return processor;
}

SimMachine buildMachine(const SimProfileData& spec) {
    SimMachine machine;
    machine.profileName = spec.name;
    machine.description = spec.description;
    machine.baseClockMhz = spec.clockMhz;
    machine.affinity = spec.affinity;
    const SimProcessor boot = bootProcessor(spec, machine.uptimeMs);
    for (unsigned n = 0; n < 32; ++n) {
        if (!(spec.affinity & (uint32_t(1) << n)))
            continue;
        machine.cpus[n] = n == 0 ? boot : applicationProcessor(boot, n);
    }
    if (spec.k8)
        machine.setBehaviour(std::make_shared<SimK8Behaviour>());
    else if (SimIntelBehaviour::fits(boot))
        machine.setBehaviour(std::make_shared<SimIntelBehaviour>());
    else if (auto k7 = k7BehaviourFor(spec))
        machine.setBehaviour(std::move(k7));
    else if (SimP6Behaviour::fits(boot))
        machine.setBehaviour(std::make_shared<SimP6Behaviour>());
    return machine;
}

}  // namespace

std::vector<SimProfileInfo> simProfiles() {
    std::vector<SimProfileInfo> list;
    for (const SimProfileData* spec : kProfiles)
        list.push_back({spec->name, spec->description});
    return list;
}

std::optional<SimMachine> makeSimMachine(std::string_view profile) {
    for (const SimProfileData* spec : kProfiles) {
        if (profile == spec->name)
            return buildMachine(*spec);
    }
    return std::nullopt;
}

}  // namespace zandro
