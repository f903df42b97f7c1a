// AMD K5 and K6 processors as they report themselves: CPUID leaves of the real parts, register
// contents as the AMD-K5/K6 data books and BIOS design guides describe them after a BIOS set
// them up.

#include "SimProfileData.h"

namespace zandro {

namespace {

// "AuthenticAMD" in EBX, EDX, ECX order.
constexpr uint32_t kAuth = 0x68747541, kEnti = 0x69746E65, kCamd = 0x444D4163;

// K6-2 333 (model 8, stepping 0): the write handling register in its first layout (WCDE bit 8,
// limit bits 7..1, 15-16 MB bit 0).
constexpr SimLeafRow kK6Leaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000580, 0x00000000, 0x00000000, 0x008001BF},
    {0x80000000, 0x80000005, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000680, 0x00000000, 0x00000000, 0x808009BF},
    {0x80000005, 0x00000000, 0x02800140, 0x20020220, 0x20020220},
};

constexpr SimMsrRow kK6Msrs[] = {
    {0x00000000, 0x00000000},  // machine-check address
    {0x00000001, 0x00000000},  // machine-check type
    {0xC0000080, 0x00000000},  // EFER: system call extension off
    {0xC0000081, 0x00000000},  // STAR
    {0xC0000082, 0x00000021},  // WHCR: write allocate up to 64 MB, 15-16 MB hole allocates too
};

// K6-III 450 (model 9, stepping 1): the write handling register in its second layout (limit bits
// 31..22, 15-16 MB bit 16), so the first layout's bits read as zero; 256 KB on-die L2.
constexpr SimLeafRow kK63Leaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000591, 0x00000000, 0x00000000, 0x008021BF},
    {0x80000000, 0x80000006, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000691, 0x00000000, 0x00000000, 0x808029BF},
    {0x80000005, 0x00000000, 0x02800140, 0x20020220, 0x20020220},
    {0x80000006, 0x00000000, 0x00000000, 0x01004220, 0x00000000},
};

constexpr SimMsrRow kK63Msrs[] = {
    {0x00000000, 0x00000000}, {0x00000001, 0x00000000},
    {0xC0000080, 0x00000002},  // EFER: data prefetch on, system call extension off
    {0xC0000081, 0x00000000},  // STAR
    {0xC0000082, 0x04010000},  // WHCR: write allocate up to 64 MB, 15-16 MB hole allocates too
    {0xC0000085, 0x00000000},  // UWCCR
    {0xC0000087, 0x00000000},  // PSOR
    {0xC0000088, 0x00000000},  // PFIR
    {0xC0000089, 0x00000000},  // L2AAR
};

// K5 PR133 (model 1, stepping 4) at 100 MHz: write allocate exists from this stepping on.
constexpr SimLeafRow kK5Leaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000514, 0x00000000, 0x00000000, 0x000021BF},
    {0x80000000, 0x80000005, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000514, 0x00000000, 0x00000000, 0x000021BF},
    {0x80000005, 0x00000000, 0x04800000, 0x08040120, 0x10040120},
};

constexpr SimMsrRow kK5Msrs[] = {
    {0x00000000, 0x00000000}, {0x00000001, 0x00000000},
    {0x00000083, 0x00000000},  // hardware configuration: every feature on
    {0x00000085, 0x00000000},  // write allocate top-of-memory and control
    {0x00000086, 0x00000000},  // write allocate programmable memory range
};

// K5 PR120 (model 1, stepping 1) at 90 MHz: before write allocate, so bit 4 of 83h is reserved
// and the write allocate registers are absent.
constexpr SimLeafRow kK5EarlyLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000511, 0x00000000, 0x00000000, 0x000021BF},
    {0x80000000, 0x80000005, 0x00000000, 0x00000000, 0x00000000},
    {0x80000001, 0x00000511, 0x00000000, 0x00000000, 0x000021BF},
    {0x80000005, 0x00000000, 0x04800000, 0x08040120, 0x10040120},
};

constexpr SimMsrRow kK5EarlyMsrs[] = {
    {0x00000000, 0x00000000},
    {0x00000001, 0x00000000},
    {0x00000083, 0x00000000},  // hardware configuration: every feature on
};

}  // namespace

const SimProfileData kK6Profile = {
    "k6",
    "AMD K6-2 333 (Chomper), 333 MHz",
    kK6Leaves,
    kK6Msrs,
    "AMD-K6(tm) 3D processor",
    SimBrandLayout::Left,
    false,
    0,
    0,
    333.0,
    0x1,
    false,
};

const SimProfileData kK63Profile = {
    "k6-3",
    "AMD K6-III 450 (Sharptooth), 450 MHz",
    kK63Leaves,
    kK63Msrs,
    "AMD-K6(tm) 3D+ Processor",
    SimBrandLayout::Left,
    false,
    0,
    0,
    450.0,
    0x1,
    false,
};

const SimProfileData kK5Profile = {
    "k5",
    "AMD K5 PR133, 100 MHz",
    kK5Leaves,
    kK5Msrs,
    "AMD-K5(tm) Processor",
    SimBrandLayout::Left,
    false,
    0,
    0,
    100.0,
    0x1,
    false,
};

const SimProfileData kK5EarlyProfile = {
    "k5-early",
    "AMD K5 PR120 (early stepping, no write allocate), 90 MHz",
    kK5EarlyLeaves,
    kK5EarlyMsrs,
    "AMD-K5(tm) Processor",
    SimBrandLayout::Left,
    false,
    0,
    0,
    90.0,
    0x1,
    false,
};

}  // namespace zandro
