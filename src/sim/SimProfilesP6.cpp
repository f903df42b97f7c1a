// Intel P6 processors (Pentium III) as they report themselves: CPUID leaves of the real parts,
// register contents as the Intel Software Developer's Manual and the processor's BIOS writer's
// notes describe them after a BIOS set them up.

#include "SimProfileData.h"

namespace zandro {

namespace {

// "GenuineIntel" in EBX, EDX, ECX order.
constexpr uint32_t kGenu = 0x756E6547, kInei = 0x49656E69, kNtel = 0x6C65746E;
constexpr uint64_t kPat = 0x0007040600070406;
constexpr uint64_t kMtrrDefType = 0xC00;
constexpr uint64_t kAllOn = ~uint64_t(0);

// Pentium III 733 (Coppermine, cB0): 5.5 x 133 MHz, processor serial number on, 256 KB on-die L2.
constexpr SimLeafRow kCoppermineLeaves[] = {
    {0x00000000, 0x00000003, kGenu, kNtel, kInei},
    {0x00000001, 0x00000683, 0x00000002, 0x00000000, 0x0387FBFF},
    {0x00000002, 0x03020101, 0x00000000, 0x00000000, 0x0C040882},
    {0x00000003, 0x00000000, 0x00000000, 0x6107FB5A, 0x0000E4CA},
};

constexpr SimMsrRow kCoppermineMsrs[] = {
    {0x00000017, highLow(0x21400000, 0x00000000)},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0xC5140000},  // ratio code 4 (5.5x), 133 MHz bus, low power mode on
    {0x0000008B, highLow(0x00000013, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000119, 0x00000000},  // serial number not disabled
    // L2: configured, ECC and parity checks on, enabled, 1 bank of 256 KB, 64 GB cacheable.
    {0x0000011E, 0x007427E1},
    {0x00000179, 0x00000105},
    {0x0000017A, 0x00000000},
    {0x0000017B, kAllOn},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

// Pentium III 1200 (Tualatin, tA1): 9.0 x 133 MHz, the fifth ratio bit (27) set. The BIOS has
// turned the serial number off, so CPUID no longer offers it (feature bit 18, leaf 3).
constexpr SimLeafRow kTualatinLeaves[] = {
    {0x00000000, 0x00000002, kGenu, kNtel, kInei},
    {0x00000001, 0x000006B1, 0x00000003, 0x00000000, 0x0383BBFF},
    {0x00000002, 0x03020101, 0x00000000, 0x00000000, 0x0C040883},
};

constexpr SimMsrRow kTualatinMsrs[] = {
    {0x00000017, highLow(0x00100000, 0x00000000)},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x08040000},  // ratio code 0 + 16 (9.0x on model 11), 133 MHz bus
    {0x0000008B, highLow(0x00000001, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000119, 0x00200000},  // serial number disabled until reset
    // L2: configured, latency 1, checks on, enabled, 1 bank of 256 KB, 64 GB cacheable.
    {0x0000011E, 0x007427E3},
    {0x00000179, 0x00000105},
    {0x0000017A, 0x00000000},
    {0x0000017B, kAllOn},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

// Pentium III 500 (Katmai, kC0): 5.0 x 100 MHz, 512 KB off-die L2 (4-way, at half clock), which
// caches the first 4 GB only.
constexpr SimLeafRow kKatmaiLeaves[] = {
    {0x00000000, 0x00000003, kGenu, kNtel, kInei},
    {0x00000001, 0x00000673, 0x00000000, 0x00000000, 0x0387FBFF},
    {0x00000002, 0x03020101, 0x00000000, 0x00000000, 0x0C040843},
    {0x00000003, 0x00000000, 0x00000000, 0x3C6C8A5B, 0x00024C9D},
};

constexpr SimMsrRow kKatmaiMsrs[] = {
    {0x00000017, highLow(0x00040000, 0x00000000)},
    {0x0000001B, 0xFEE00900},
    {0x0000002A, 0x00080000},  // ratio code 0 (5.0x), 100 MHz bus, 8-entry queue
    {0x0000008B, highLow(0x00000003, 0x00000000)},
    {0x000000FE, 0x00000508},
    {0x00000119, 0x00000000},
    // L2: configured, latency 3, ECC on, enabled, 4-way, 1 bank of 512 KB, 4 GB cacheable.
    {0x0000011E, 0x00344D27},
    {0x00000179, 0x00000105},
    {0x0000017A, 0x00000000},
    {0x0000017B, kAllOn},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
};

}  // namespace

const SimProfileData kPentium3Profile = {
    "pentium3",
    "Intel Pentium III 733 (Coppermine), 733 MHz",
    kCoppermineLeaves,
    kCoppermineMsrs,
    nullptr,
    SimBrandLayout::None,
    false,
    5,
    kAllOn,
    733.0 + 1.0 / 3.0,
    0x1,
    false,
};

const SimProfileData kPentium3TualatinProfile = {
    "pentium3-tualatin",
    "Intel Pentium III 1200 (Tualatin), 1200 MHz",
    kTualatinLeaves,
    kTualatinMsrs,
    nullptr,
    SimBrandLayout::None,
    false,
    5,
    kAllOn,
    1200.0,
    0x1,
    false,
};

const SimProfileData kPentium3KatmaiProfile = {
    "pentium3-katmai",
    "Intel Pentium III 500 (Katmai), 500 MHz",
    kKatmaiLeaves,
    kKatmaiMsrs,
    nullptr,
    SimBrandLayout::None,
    false,
    5,
    kAllOn,
    500.0,
    0x1,
    false,
};

}  // namespace zandro
