// The Pentium M as the Intel Software Developer's Manual and the part's datasheet describe it
// after a notebook BIOS set it up.

#include "SimProfileData.h"

namespace zandro {

namespace {

// "GenuineIntel" in EBX, EDX, ECX order.
constexpr uint32_t kGenu = 0x756E6547, kInei = 0x49656E69, kNtel = 0x6C65746E;
constexpr uint64_t kPat = 0x0007040600070406;
constexpr uint64_t kMtrrDefType = 0xC00;
constexpr uint64_t kAllOn = ~uint64_t(0);

// Pentium M 755 (Dothan, 90 nm, stepping B1, 2 MB L2): 20 x 100 MHz at 1.340 V, 6x at 0.988 V
// lowest. No PAE is reported by this stepping.
constexpr SimLeafRow kDothanLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x000006D6, 0x00000816, 0x00000180, 0xAFE9F9BF},  // EIST and TM2
    {0x00000002, 0x02B3B001, 0x000000F0, 0x00000000, 0x2C04307D},  // 7Dh: 2 MB L2, 8-way
    {0x80000000, 0x80000004, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
};

// The Pentium M has none of the Pentium 4's 2Bh, 2Ch and 1A1h: reading them faults.
constexpr SimMsrRow kDothanMsrs[] = {
    {0x00000017, highLow(0x00140000, 0x00000000)},  // platform ID 5
    {0x0000001B, 0xFEE00900},                       // bootstrap processor, APIC enabled
    {0x0000002A, 0x45080000},                       // ratio 20, 100 MHz bus, 8-entry queue
    {0x0000008B, highLow(0x00000018, 0x00000000)},  // microcode revision 18h
    {0x000000FE, 0x00000508},
    {0x0000011E, 0x0034272B},  // L2 on, ECC on, 4 GB physical range
    {0x00000179, 0x00000005},  // 5 banks, no MCG_CTL
    {0x0000017A, 0x00000000},
    // Lowest 6x at VID 18 (0.988 V) in bits 31..16 and 63..48, highest 20x at VID 40 (1.340 V)
    // in bits 47..32; now 20x at VID 40.
    {0x00000198, highLow(0x06121428, 0x06121428)},
    {0x00000199, 0x00001428},
    {0x0000019A, 0x00000000},
    {0x0000019B, 0x00000000},
    {0x0000019C, 0x00000000},
    {0x0000019D, 0x00010612},  // TM2 selected, target 6x at VID 18
    {0x000001A0, 0x00011488},  // TM1, performance monitoring, EIST enabled
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

}  // namespace

const SimProfileData kPentiumMDothanProfile = {
    "pentium-m",
    "Intel Pentium M 755 (Dothan), 2000 MHz",
    kDothanLeaves,
    kDothanMsrs,
    "Intel(R) Pentium(R) M processor 2.00GHz",
    SimBrandLayout::RightJustified,
    false,
    5,
    kAllOn,
    2000.0,
    0x1,
    false,
};

}  // namespace zandro
