// AMD processors as they report themselves: CPUID leaves from dumps of the real parts, register
// contents after a BIOS and an operating system set them up (AMD BIOS and Kernel Developer's
// Guides for K7 and K8, AMD-K6/K5 data books).

#include "SimProfileData.h"

namespace zandro {

namespace {

// "AuthenticAMD" in EBX, EDX, ECX order.
constexpr uint32_t kAuth = 0x68747541, kEnti = 0x69746E65, kCamd = 0x444D4163;
constexpr uint64_t kPat = 0x0007040600070406;  // IA32_PAT at reset
constexpr uint64_t kMtrrDefType = 0xC00;       // MTRRs on, default uncached

// Athlon 64 2800+ (ClawHammer, rev C0, Socket 754): 1800 MHz = 9x at 1.500 V.
constexpr SimLeafRow kAthlon64Leaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000F48, 0x00000800, 0x00000000, 0x078BFBFF},
    {0x80000000, 0x80000018, kAuth, kCamd, kEnti},
    {0x80000001, 0x00000F48, 0x00000106, 0x00000000, 0xE1D3FBFF},
    {0x80000005, 0xFF08FF08, 0xFF20FF20, 0x40020140, 0x40020140},
    {0x80000006, 0x00000000, 0x42004200, 0x02008140, 0x00000000},
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x0000000F},  // TS, FID, VID, TTP
    {0x80000008, 0x00003028, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kAthlon64Msrs[] = {
    {0x0000001B, 0xFEE00900},  // APIC at FEE00000h, enabled, bootstrap processor
    {0x0000008B, 0x00000039},  // patch level
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000105},  // 5 banks, MCG_CTL present
    {0x0000017A, 0x00000000},
    {0x0000017B, 0x0000001F},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000800},  // EFER: no-execute on, 32-bit system
    {0xC0010010, 0x00160601},
    {0xC0010015, 0x0A000000},  // HWCR: start FID 0Ah
    {0xC001001E, 0x00000020},
    {0xC0010041, highLow(0x00004E20, 0x0000020A)},  // stop-grant 20000 cycles, VID 2, FID 0Ah
    {0xC0010042, highLow(0x00020202, 0x000A0A0A)},  // VIDs 2 (1.500 V); FIDs 0Ah (9x)
};

// Athlon 64 X2 3800+ (Manchester, rev E4, Socket 939): two cores at 2000 MHz = 10x, 1.350 V,
// maximum 1.400 V, running a 64-bit system.
constexpr SimLeafRow kAthlon64X2Leaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00020FB1, 0x00020800, 0x00000001, 0x178BFBFF},
    {0x80000000, 0x80000018, kAuth, kCamd, kEnti},
    {0x80000001, 0x00020FB1, 0x00000150, 0x00000003, 0xE3D3FBFF},
    {0x80000005, 0xFF08FF08, 0xFF20FF20, 0x40020140, 0x40020140},
    {0x80000006, 0x00000000, 0x42004200, 0x02008140, 0x00000000},
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x0000000F},
    {0x80000008, 0x00003028, 0x00000000, 0x00000001, 0x00000000},
};

constexpr SimMsrRow kAthlon64X2Msrs[] = {
    {0x0000001B, 0xFEE00900},
    {0x0000008B, 0x00000000},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000105},
    {0x0000017A, 0x00000000},
    {0x0000017B, 0x0000001F},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000D01},  // EFER: system call, long mode enabled and active, no-execute
    {0xC0010010, 0x00760601},
    {0xC0010015, 0x0C000040},
    {0xC001001E, 0x00000052},
    {0xC0010041, highLow(0x00004E20, 0x0000080C)},
    // Maximum and ramp VID 6 (1.400 V), current and startup VID 8 (1.350 V); FIDs 0Ch (10x).
    {0xC0010042, highLow(0x00060808, 0x060C0C0C)},
};

// Opteron 240 HE (SledgeHammer, rev B3): 1400 MHz = 7x, without FID/VID control.
constexpr SimLeafRow kOpteronLeaves[] = {
    {0x00000000, 0x00000001, kAuth, kCamd, kEnti},
    {0x00000001, 0x00000F51, 0x00000881, 0x00000000, 0x078BFBFF},
    {0x80000000, 0x80000018, kAuth, kCamd, kEnti},
    {0x80000001, 0x00000F51, 0x00000000, 0x00000000, 0xE1D3FBFF},
    {0x80000005, 0xFF08FF08, 0xFF20FF20, 0x40020140, 0x40020140},
    {0x80000006, 0x00000000, 0x42004200, 0x04008140, 0x00000000},
    {0x80000007, 0x00000000, 0x00000000, 0x00000000, 0x00000009},  // TS and TTP only
    {0x80000008, 0x00003028, 0x00000000, 0x00000000, 0x00000000},
};

constexpr SimMsrRow kOpteronMsrs[] = {
    {0x0000001B, 0xFEE00900},
    {0x0000008B, 0x00000000},
    {0x000000FE, 0x00000508},
    {0x00000179, 0x00000105},
    {0x0000017A, 0x00000000},
    {0x0000017B, 0x0000001F},
    {0x00000277, kPat},
    {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000D01},
    {0xC0010010, 0x00160601},
    {0xC0010015, 0x06000040},
    {0xC001001E, 0x00000011},
    {0xC0010041, highLow(0x00000000, 0x00000206)},
    {0xC0010042, highLow(0x00020202, 0x00060606)},  // VIDs 2; FIDs 6 (7x)
};

// Ryzen 9 5900X (Zen 3, family 19h): a current processor that none of the pages is made for.
constexpr SimLeafRow kUnknownLeaves[] = {
    {0x00000000, 0x00000010, kAuth, kCamd, kEnti},
    {0x00000001, 0x00A20F10, 0x00180800, 0x7ED8320B, 0x178BFBFF},
    {0x80000000, 0x80000020, kAuth, kCamd, kEnti},
    {0x80000001, 0x00A20F10, 0x20000000, 0x75C237FF, 0x2FD3FBFF},
    {0x80000007, 0x00000000, 0x0000003B, 0x00000000, 0x00006799},
    {0x80000008, 0x00003030, 0x111EF657, 0x0000500B, 0x00010000},
};

constexpr SimMsrRow kUnknownMsrs[] = {
    {0x0000001B, 0xFEE00900}, {0x000000FE, 0x00000508},
    {0x00000179, 0x00000117},  // 23 banks, MCG_CTL present
    {0x0000017A, 0x00000000}, {0x0000017B, 0x007FFFFF},
    {0x00000277, kPat},       {0x000002FF, kMtrrDefType},
    {0xC0000080, 0x00000D01}, {0xC0010015, 0x09000011},
};

constexpr uint64_t kAllOn = ~uint64_t(0);  // MCi_CTL: every error reported

}  // namespace

const SimProfileData kAthlon64Profile = {
    "athlon64",
    "AMD Athlon 64 2800+ (ClawHammer), 1800 MHz, one processor",
    kAthlon64Leaves,
    kAthlon64Msrs,
    "AMD Athlon(tm) 64 Processor 2800+",
    SimBrandLayout::Left,
    true,
    5,
    kAllOn,
    1800.0,
    0x1,
    true,
};

const SimProfileData kAthlon64X2Profile = {
    "athlon64-x2",
    "AMD Athlon 64 X2 3800+ (Manchester), 2000 MHz, two cores",
    kAthlon64X2Leaves,
    kAthlon64X2Msrs,
    "AMD Athlon(tm) 64 X2 Dual Core Processor 3800+",
    SimBrandLayout::Left,
    true,
    5,
    kAllOn,
    2000.0,
    0x3,
    true,
};

const SimProfileData kOpteronProfile = {
    "opteron",
    "AMD Opteron 240 HE (SledgeHammer), 1400 MHz, two processors, no FID/VID control",
    kOpteronLeaves,
    kOpteronMsrs,
    "AMD Opteron(tm) Processor 240 HE",
    SimBrandLayout::Left,
    true,
    5,
    kAllOn,
    1400.0,
    0x3,
    true,
};

const SimProfileData kUnknownProfile = {
    "unknown",
    "AMD Ryzen 9 5900X (Zen 3), 3700 MHz: no page knows it",
    kUnknownLeaves,
    kUnknownMsrs,
    "AMD Ryzen 9 5900X 12-Core Processor",
    SimBrandLayout::BlankPadded,
    true,
    23,
    kAllOn,
    3700.0,
    0x1,
    false,
};

}  // namespace zandro
