// Pentium 4 (NetBurst) processors as they report themselves: CPUID leaves of the real parts,
// register contents as the Intel Software Developer's Manual describes them for each model after
// a BIOS set them up.

#include "SimProfileData.h"

namespace zandro {

namespace {

// "GenuineIntel" in EBX, EDX, ECX order.
constexpr uint32_t kGenu = 0x756E6547, kInei = 0x49656E69, kNtel = 0x6C65746E;
constexpr uint64_t kPat = 0x0007040600070406;
constexpr uint64_t kMtrrDefType = 0xC00;
constexpr uint64_t kAllOn = ~uint64_t(0);
constexpr uint32_t kNetBurstFeatures = 0xBFEBFBFF;  // leaf 1 EDX: SSE2, HTT, TM, PBE ...
// 17h: a production part (bit 49 set), platform ID 0.
constexpr uint64_t kProductionPart = highLow(0x00020000, 0x00000000);

// Pentium 4 2.80 GHz (Prescott, model 3, 1 MB L2): 14 x 200 MHz, with Enhanced SpeedStep and
// Thermal Monitor 2 from 12x at 0.8500 V to 14x at 1.4125 V.
constexpr SimLeafRow kPrescottLeaves[] = {
    {0x00000000, 0x00000005, kGenu, kNtel, kInei},
    // SSE3, MONITOR, DS-CPL, EIST, TM2, CNXT-ID
    {0x00000001, 0x00000F34, 0x00010800, 0x00000599, kNetBurstFeatures},
    {0x00000002, 0x605B5001, 0x00000000, 0x00000000, 0x007C7040},
    {0x00000003, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
    {0x00000004, 0x00004121, 0x01C0003F, 0x0000001F, 0x00000000},
    {0x00000005, 0x00000040, 0x00000040, 0x00000000, 0x00000000},
    {0x80000000, 0x80000008, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
    {0x80000005, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
    {0x80000006, 0x00000000, 0x00000000, 0x04008040, 0x00000000},
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
    {0x80000008, 0x00002024, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kPrescottMsrs[] = {
    {0x00000017, kProductionPart},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x00000000},  // 12-entry in-order queue
    {0x0000002B, 0x0000007E},
    // 14x nominal and maximum, 2 steps down to 12x, 200 MHz bus, locked, SpeedStep supported.
    {0x0000002C, 0x0E32020E},
    {0x0000008B, highLow(0x00000017, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00180204},  // 4 banks, 24 extended registers, no MCG_CTL
    {0x0000017A, 0x00000000},
    // Now 14x at VID 2Dh (1.4125 V); lowest 12x at VID 16h (0.8500 V); highest 14x at VID 2Dh.
    {0x00000198, highLow(0x00000E2D, 0x0C160E2D)},
    {0x00000199, 0x00000E2D},
    {0x0000019A, 0x00000000},
    {0x0000019B, 0x00000000},
    {0x0000019C, 0x00000000},
    {0x0000019D, 0x00000C27},  // TM2 target 12x at VID 27h (1.2625 V)
    // Fast strings, TM1, performance monitoring, TM2, EIST, MONITOR.
    {0x000001A0, 0x00052089},
    {0x000001A1, 0x00040000},  // performance power class
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

// Pentium 4 1.80A GHz (Northwood, model 2, 512 KB L2): 18 x 100 MHz, L1 context ID.
constexpr SimLeafRow kNorthwoodLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x00000F24, 0x00010800, 0x00000400, kNetBurstFeatures},
    {0x00000002, 0x665B5001, 0x00000000, 0x00000000, 0x007A7040},
    {0x80000000, 0x80000004, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kNorthwoodMsrs[] = {
    {0x00000017, kProductionPart},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x00000004},  // 1-entry in-order queue
    {0x0000002B, 0x00000000},  // every check on
    {0x0000002C, 0x12100012},  // 18x, 100 MHz bus, locked
    {0x0000008B, highLow(0x0000002E, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000004},
    {0x0000017A, 0x00000000},
    {0x0000019A, 0x00000000},
    {0x0000019C, 0x00000000},
    {0x000001A0, 0x01000289},  // fast strings, TM1, performance monitoring, shared L1 context,
                               // prefetch off
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

// Pentium 4 1.5 GHz (Willamette, model 1, 256 KB L2): 15 x 100 MHz.
constexpr SimLeafRow kWillametteLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x00000F12, 0x00010808, 0x00000000, 0x3FEBFBFF},
    {0x00000002, 0x665B5001, 0x00000000, 0x00000000, 0x00797040},
};

constexpr SimMsrRow kWillametteMsrs[] = {
    {0x00000017, kProductionPart},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x00000000},
    {0x0000002B, 0x00000008},  // address/request checking off
    {0x0000002C, 0x00000F00},  // ratio code 15 (15x), 100 MHz bus
    {0x0000008B, highLow(0x0000000A, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000004},
    {0x0000017A, 0x00000000},
    {0x0000019A, 0x00000016},  // clock modulated to 37.5 %
    {0x0000019C, 0x00000000},
    {0x000001A0, 0x00000085},  // fast strings, x87 compatibility, performance monitoring
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

// Pentium 4 Extreme Edition 3.20 GHz (Gallatin, model 2, 512 KB L2, 2 MB L3): 16 x 200 MHz.
constexpr SimLeafRow kGallatinLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x00000F25, 0x00020800, 0x00000400, kNetBurstFeatures},
    {0x00000002, 0x665B5001, 0x00000000, 0x00000000, 0x257B7040},  // 25h: 2 MB L3
    {0x80000000, 0x80000004, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kGallatinMsrs[] = {
    {0x00000017, kProductionPart},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x00000000},
    {0x0000002B, 0x0000000E},  // every check off
    {0x0000002C, 0x10120010},  // 16x, 200 MHz bus, locked
    {0x0000008B, highLow(0x00000012, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000004},
    {0x0000017A, 0x00000000},
    {0x0000019A, 0x00000000},
    {0x0000019C, 0x00000000},
    {0x000001A0, 0x00000089},  // fast strings, TM1, performance monitoring; L3 on
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

}  // namespace

const SimProfileData kPentium4Profile = {
    "pentium4",
    "Intel Pentium 4 2.80 GHz (Prescott), 2800 MHz",
    kPrescottLeaves,
    kPrescottMsrs,
    "Intel(R) Pentium(R) 4 CPU 2.80GHz",
    SimBrandLayout::RightJustified,
    false,
    4,
    kAllOn,
    2800.0,
    0x1,
    false,
};

const SimProfileData kPentium4NorthwoodProfile = {
    "pentium4-northwood",
    "Intel Pentium 4 1.80A GHz (Northwood), 1800 MHz",
    kNorthwoodLeaves,
    kNorthwoodMsrs,
    "Intel(R) Pentium(R) 4 CPU 1.80GHz",
    SimBrandLayout::RightJustified,
    false,
    4,
    kAllOn,
    1800.0,
    0x1,
    false,
};

const SimProfileData kPentium4WillametteProfile = {
    "pentium4-willamette",
    "Intel Pentium 4 1.5 GHz (Willamette), 1500 MHz",
    kWillametteLeaves,
    kWillametteMsrs,
    nullptr,
    SimBrandLayout::None,
    false,
    4,
    kAllOn,
    1500.0,
    0x1,
    false,
};

const SimProfileData kPentium4GallatinProfile = {
    "pentium4-gallatin",
    "Intel Pentium 4 Extreme Edition 3.20 GHz (Gallatin), 3200 MHz",
    kGallatinLeaves,
    kGallatinMsrs,
    "Intel(R) Pentium(R) 4 CPU 3.20GHz",
    SimBrandLayout::RightJustified,
    false,
    4,
    kAllOn,
    3200.0,
    0x1,
    false,
};

}  // namespace zandro
