// Intel processors as they report themselves: CPUID leaves from dumps of the real parts, register
// contents as the Intel Software Developer's Manual describes them after a BIOS set them up.

#include "SimProfileData.h"

namespace zandro {

namespace {

// "GenuineIntel" in EBX, EDX, ECX order.
constexpr uint32_t kGenu = 0x756E6547, kInei = 0x49656E69, kNtel = 0x6C65746E;
constexpr uint64_t kPat = 0x0007040600070406;
constexpr uint64_t kMtrrDefType = 0xC00;
constexpr uint64_t kAllOn = ~uint64_t(0);

// Pentium M 1600 (Banias, 130 nm): 16 x 100 MHz at 1.484 V, 6x at 0.956 V lowest. The BIOS of
// such notebooks leaves the local APIC off, and the part has no PAE.
constexpr SimLeafRow kPentiumMLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x00000695, 0x00000816, 0x00000180, 0xA7E9F9BF},  // EIST and TM2
    {0x00000002, 0x02B3B001, 0x000000F0, 0x00000000, 0x2C04307C},
    {0x80000000, 0x80000004, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000000, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kPentiumMMsrs[] = {
    {0x00000017, highLow(0x00100000, 0x00000000)},  // platform ID 4
    {0x0000001B, 0xFEE00100},                       // bootstrap processor, APIC disabled
    {0x0000002A, 0x44080000},                       // ratio 16, 100 MHz bus, 8-entry queue
    {0x0000008B, highLow(0x00000009, 0x00000000)},  // microcode revision 9
    {0x000000FE, 0x00000508},
    {0x0000011E, 0x0034272B},  // L2 on, ECC on
    {0x00000179, 0x00000005},  // 5 banks, no MCG_CTL
    {0x0000017A, 0x00000000},
    // Highest 16x at VID 49 (1.484 V), lowest 6x at VID 16 (0.956 V); now 16x at VID 49.
    {0x00000198, highLow(0x06101031, 0x06101031)},
    {0x00000199, 0x00001031},
    {0x0000019A, 0x00000000},
    {0x0000019B, 0x00000000},
    {0x0000019C, 0x00000000},
    {0x0000019D, 0x00000610},  // TM2 target 6x, VID 16; TM1 selected
    {0x000001A0, 0x00011488},  // TM1, performance monitoring, EIST enabled
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

}  // namespace

const SimProfileData kPentiumMProfile = {
    "pentium-m-banias",
    "Intel Pentium M 1600 (Banias), 1600 MHz",
    kPentiumMLeaves,
    kPentiumMMsrs,
    "Intel(R) Pentium(R) M processor 1600MHz",
    SimBrandLayout::RightJustified,
    false,
    5,
    kAllOn,
    1600.0,
    0x1,
    false,
};

}  // namespace zandro
