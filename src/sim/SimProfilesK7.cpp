// AMD Athlon (K7) processors as they report themselves: CPUID leaves from dumps of the real parts,
// register contents after a BIOS set them up (AMD Athlon processor BIOS and Kernel Developer's
// Guide, data sheets of the desktop and mobile parts).

#include <memory>

#include "SimK7Behaviour.h"
#include "SimProfileData.h"

namespace zandro {

namespace {

// "AuthenticAMD" in EBX, EDX, ECX order.
constexpr uint32_t kAuth = 0x68747541, kEnti = 0x69746E65, kCamd = 0x444D4163;
constexpr uint64_t kPat = 0x0007040600070406;  // IA32_PAT at reset
constexpr uint64_t kMtrrDefType = 0xC00;       // MTRRs on, default uncached
constexpr uint64_t kAllOn = ~uint64_t(0);      // MCi_CTL: every error reported

// L1 caches of every K7: 64 KB code and 64 KB data, 2-way, with their TLBs.
constexpr SimLeafRow kK7L1 = {0x80000005, 0x0408FF08, 0xFF20FF10, 0x40020140, 0x40020140};

// Athlon XP 2500+ (Barton, model 10, Socket A): 1833 MHz = 11 x 166 MHz at 1.650 V. A desktop
// part: no FID/VID control, its multiplier and voltage are fixed.
constexpr SimLeafRow kAthlonLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x000006A0, 0x00000000, 0x00000000, 0x0383FBFF},
    {0x80000000, 0x80000008, kAuth, kCamd, kEnti},
    {0x80000001, 0x000007A0, 0x00000000, 0x00000000, 0xC1C3FBFF},
    kK7L1,
    {0x80000006, 0x00000000, 0x41004100, 0x02008140, 0x00000000},  // 512 KB L2
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x00000001},  // temperature sensor only
    {0x80000008, 0x00002022, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kAthlonMsrs[] = {
    {0x0000001B, 0xFEE00900},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000104},  // 4 banks, MCG_CTL present
    {0x0000017A, 0x00000000},
    {0x0000017B, 0x0000000F},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000001},  // EFER: system call extension on
    {0xC0000081, 0x00000000},
    {0xC0010010, 0x00160600},
    {0xC0010015, 0x00031008},  // HWCR: bus multiplier code 0 (11.0x), TLB force cacheable
    {0xC001001B, 0x2006A26A},  // CLK_CTL: both divisors 512, timing "Normal"
    {0xC001001E, 0x00000021},
    {0xC0010041, 0x00000000},
    {0xC0010042, highLow(0x00070707, 0x00000000)},  // VIDs 7 (1.650 V); FIDs 0 (11.0x)
};

// Mobile Athlon 4 1200 (Palomino, model 6): 1200 MHz = 12 x 100 MHz at 1.450 V, with PowerNow!
// (FID and VID control); it starts at 10.0x and 1.350 V until the system raises it.
constexpr SimLeafRow kAthlonMobileLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000662, 0x00000000, 0x00000000, 0x0383FBFF},
    {0x80000000, 0x80000007, kAuth, kCamd, kEnti},
    {0x80000001, 0x00000762, 0x00000000, 0x00000000, 0xC1C3FBFF},
    kK7L1,
    {0x80000006, 0x00000000, 0x41004100, 0x01008140, 0x00000000},  // 256 KB L2
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x00000007},  // TS, FID, VID
};

constexpr SimMsrRow kAthlonMobileMsrs[] = {
    {0x0000001B, 0xFEE00900},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000104},
    {0x0000017A, 0x00000000},
    {0x0000017B, 0x0000000F},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000001},
    {0xC0000081, 0x00000000},
    {0xC0010010, 0x00168600},  // SYSCFG: system data ECC checking on
    {0xC0010015, 0x0E031008},  // HWCR: bus multiplier code 14 (10.0x)
    {0xC001001B, 0x200F3377},  // CLK_CTL: halt 256, stop grant 128, timing "Slow", APIC rejected
    {0xC001001E, 0x00000012},
    {0xC0010041, highLow(0x00002710, 0x00130B02)},  // last request: FID 2, VID 11
    // VIDs: current 11 (1.450 V), startup 13 (1.350 V), maximum 11; FIDs: current 2 (12.0x),
    // startup 14 (10.0x), maximum 2.
    {0xC0010042, highLow(0x000B0D0B, 0x00020E02)},
};

// Athlon 1200 (Thunderbird, model 4, Socket A): 1200 MHz = 9 x 133 MHz. No FID/VID registers.
constexpr SimLeafRow kThunderbirdLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000644, 0x00000000, 0x00000000, 0x0183F9FF},
    {0x80000000, 0x80000006, kAuth, kCamd, kEnti},
    {0x80000001, 0x00000744, 0x00000000, 0x00000000, 0xC1C3F9FF},
    kK7L1,
    {0x80000006, 0x00000000, 0x41004100, 0x01008140, 0x00000000},  // 256 KB L2
};

constexpr SimMsrRow kThunderbirdMsrs[] = {
    {0x0000001B, 0xFEE00900},   {0x000000FE, 0x00000508}, {0x00000179, 0x00000104},
    {0x0000017A, 0x00000000},   {0x0000017B, 0x0000000F}, {0x00000277, kPat},
    {0x000002FF, kMtrrDefType}, {0xC0000080, 0x00000000}, {0xC0000081, 0x00000000},
    {0xC0010010, 0x00160600},   {0xC0010015, 0x0C039000},  // HWCR: bus multiplier code 12 (9.0x),
                                                           // SSE disable (no SSE)
    {0xC001001B, 0x6001D111},                              // CLK_CTL: stop grant 64, timing "Fast"
    {0xC001001E, 0x00000022},
};

// Duron 700 (Spitfire, model 3, Socket A): 700 MHz = 7 x 100 MHz. No FID/VID registers.
constexpr SimLeafRow kSpitfireLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000631, 0x00000000, 0x00000000, 0x0183F9FF},
    {0x80000000, 0x80000006, kAuth, kCamd, kEnti},
    {0x80000001, 0x00000731, 0x00000000, 0x00000000, 0xC1C3F9FF},
    kK7L1,
    {0x80000006, 0x00000000, 0x41004100, 0x00408140, 0x00000000},  // 64 KB L2
};

constexpr SimMsrRow kSpitfireMsrs[] = {
    {0x0000001B, 0xFEE00900},   {0x000000FE, 0x00000508}, {0x00000179, 0x00000104},
    {0x0000017A, 0x00000000},   {0x0000017B, 0x0000000F}, {0x00000277, kPat},
    {0x000002FF, kMtrrDefType}, {0xC0000080, 0x00000000}, {0xC0000081, 0x00000000},
    {0xC0010010, 0x00160600},   {0xC0010015, 0x08039000},  // HWCR: bus multiplier code 8 (7.0x),
                                                           // SSE disable (no SSE)
    {0xC001001B, 0x2002A222},  // CLK_CTL: stop grant 32, timing "Normal"
    {0xC001001E, 0x00000010},
};

}  // namespace

const SimProfileData kAthlonProfile = {
    "athlon",
    "AMD Athlon XP 2500+ (Barton), 1833 MHz, no FID/VID control",
    kAthlonLeaves,
    kAthlonMsrs,
    "AMD Athlon(tm) XP 2500+",
    SimBrandLayout::Left,
    true,
    4,
    kAllOn,
    1833.3,
    0x1,
    false,
};

const SimProfileData kAthlonMobileProfile = {
    "athlon-mobile",
    "AMD Mobile Athlon 4 1200 (Palomino), 1200 MHz, FID/VID control",
    kAthlonMobileLeaves,
    kAthlonMobileMsrs,
    "Mobile AMD Athlon(tm) 4 Processor",
    SimBrandLayout::Left,
    true,
    4,
    kAllOn,
    1200.0,
    0x1,
    false,
};

const SimProfileData kAthlonThunderbirdProfile = {
    "athlon-thunderbird",
    "AMD Athlon 1200 (Thunderbird), 1200 MHz",
    kThunderbirdLeaves,
    kThunderbirdMsrs,
    "AMD Athlon(tm) Processor",
    SimBrandLayout::Left,
    true,
    4,
    kAllOn,
    1200.0,
    0x1,
    false,
};

const SimProfileData kAthlonSpitfireProfile = {
    "athlon-spitfire",
    "AMD Duron 700 (Spitfire), 700 MHz",
    kSpitfireLeaves,
    kSpitfireMsrs,
    "AMD Duron(tm) Processor",
    SimBrandLayout::Left,
    true,
    4,
    kAllOn,
    700.0,
    0x1,
    false,
};

std::shared_ptr<SimBehaviour> k7BehaviourFor(const SimProfileData& spec) {
    struct Bus {
        const SimProfileData* profile;
        double mhz;
    };
    static const Bus kBuses[] = {
        {&kAthlonProfile, 1833.3 / 11.0},
        {&kAthlonMobileProfile, 100.0},
        {&kAthlonThunderbirdProfile, 1200.0 / 9.0},
        {&kAthlonSpitfireProfile, 100.0},
    };
    for (const Bus& bus : kBuses) {
        if (bus.profile == &spec)
            return std::make_shared<SimK7Behaviour>(bus.mhz);
    }
    return nullptr;
}

}  // namespace zandro
