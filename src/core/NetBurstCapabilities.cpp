#include "NetBurstCapabilities.h"

#include <cstdint>

#include "CoreClock.h"
#include "Cpuid.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

bool leaf1EcxBit(Platform& platform, unsigned bit) {
    return (platform.cpuid(1).ecx >> bit) & 1u;
}

bool isL3Descriptor(uint8_t byte) {
    return byte == 0x22 || byte == 0x23 || byte == 0x25 || byte == 0x29 || byte == 0x8D;
}

// The descriptor bytes of one execution of leaf 2 that name a third-level cache. A register
// with bit 31 set holds no descriptors; the low byte of EAX is the count byte.
bool namesL3(const CpuidRegs& regs) {
    const uint32_t values[4] = {regs.eax, regs.ebx, regs.ecx, regs.edx};
    for (unsigned reg = 0; reg < 4; ++reg) {
        const uint32_t value = values[reg];
        if (value & 0x80000000u)
            continue;
        for (unsigned byte = (reg == 0 ? 1u : 0u); byte < 4; ++byte) {
            if (isL3Descriptor(uint8_t(value >> (8 * byte))))
                return true;
        }
    }
    return false;
}

}  // namespace

bool HasL1ContextId(Platform& platform) {
    return leaf1EcxBit(platform, 10);
}

bool HasTM2(Platform& platform) {
    return leaf1EcxBit(platform, 8);
}

bool HasSSE3(Platform& platform) {
    return leaf1EcxBit(platform, 0);
}

bool HasEIST(Platform& platform) {
    return leaf1EcxBit(platform, 7);
}

bool IsNetBurstModel01(Platform& platform) {
    const CpuIdentity id = ReadCpuid(platform);
    return id.family == 15 && id.model <= 1;
}

bool IsNetBurstModel3Up(Platform& platform) {
    const CpuIdentity id = ReadCpuid(platform);
    return id.family == 15 && id.model >= 3;
}

bool IsSlowNetBurstModel23(Platform& platform) {
    const CpuIdentity id = ReadCpuid(platform);
    if (id.family != 15 || (id.model != 2 && id.model != 3))
        return false;
    return MeasureCoreClock(platform) < 2000;
}

bool HasL3Cache(Platform& platform) {
    if (platform.cpuid(0).eax < 2)
        return false;
    CpuidRegs regs = platform.cpuid(2);
    // The count byte tells how many executions the full list takes; 0 still means one.
    const unsigned executions = regs.eax & 0xFFu;
    bool found = namesL3(regs);
    for (unsigned n = 1; n < executions && !found; ++n) {
        regs = platform.cpuid(2);
        found = namesL3(regs);
    }
    return found;
}

}  // namespace zandro
