#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace zandro {

struct SimLeafRow {
    uint32_t leaf;
    uint32_t eax, ebx, ecx, edx;
};

struct SimMsrRow {
    uint32_t index;
    uint64_t value;
};

// A register value written as its EDX:EAX halves, the way the manuals print them.
constexpr uint64_t highLow(uint32_t high, uint32_t low) {
    return (uint64_t(high) << 32) | low;
}

// How the brand text fills the 48 bytes of CPUID 80000002h-80000004h (the last byte is NUL).
enum class SimBrandLayout {
    None,            // the processor has no brand string
    Left,            // AMD up to K8: the text, then NUL bytes
    RightJustified,  // Intel: blanks, then the text
    BlankPadded,     // current AMD: the text, then blanks
};

// The data of one built-in profile: what its processors report and hold at power-on. Leaves and
// registers are those of processor 0; the other processors differ only in their APIC identity.
struct SimProfileData {
    const char* name;
    const char* description;
    std::span<const SimLeafRow> leaves;
    std::span<const SimMsrRow> msrs;
    const char* brand;
    SimBrandLayout brandLayout;
    bool nameStringRegisters;      // AMD K7/K8 and later keep the brand in C0010030h-C0010035h
    unsigned machineCheckBanks;    // MCi_CTL / MCi_STATUS pairs from 400h
    uint64_t machineCheckControl;  // what the system left in each MCi_CTL
    double clockMhz;
    uint32_t affinity;
    bool k8;  // FID/VID behaviour of the Athlon 64
};

extern const SimProfileData kAthlon64Profile;
extern const SimProfileData kAthlon64X2Profile;
extern const SimProfileData kOpteronProfile;
extern const SimProfileData kAthlonProfile;
extern const SimProfileData kAthlonMobileProfile;
extern const SimProfileData kAthlonThunderbirdProfile;
extern const SimProfileData kAthlonSpitfireProfile;
extern const SimProfileData kK6Profile;
extern const SimProfileData kK5Profile;
extern const SimProfileData kUnknownProfile;
extern const SimProfileData kPentiumMProfile;
extern const SimProfileData kPentiumMDothanProfile;
extern const SimProfileData kPentium4Profile;
extern const SimProfileData kPentium4NorthwoodProfile;
extern const SimProfileData kPentium4WillametteProfile;
extern const SimProfileData kPentium4GallatinProfile;
extern const SimProfileData kPentium3Profile;
extern const SimProfileData kPentium3TualatinProfile;
extern const SimProfileData kPentium3KatmaiProfile;
extern const SimProfileData kK63Profile;
extern const SimProfileData kK5EarlyProfile;

class SimBehaviour;

// The FID/VID behaviour of an Athlon (K7) profile at its system bus clock; null for the others.
std::shared_ptr<SimBehaviour> k7BehaviourFor(const SimProfileData& spec);

}  // namespace zandro
