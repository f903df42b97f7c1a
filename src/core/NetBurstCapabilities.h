#pragma once

namespace zandro {

class Platform;

// What the NetBurst (Pentium 4) pages may offer on the processor at hand. Each test runs CPUID
// afresh and leaves the register buffer alone.
bool HasL1ContextId(Platform& platform);  // CPUID 1 ECX bit 10
bool HasTM2(Platform& platform);          // CPUID 1 ECX bit 8
bool HasSSE3(Platform& platform);         // CPUID 1 ECX bit 0 (governs MONITOR/MWAIT too)
bool HasEIST(Platform& platform);         // CPUID 1 ECX bit 7
bool IsNetBurstModel01(Platform& platform);
bool IsNetBurstModel3Up(Platform& platform);
// Family 15 model 2 or 3 running below 2000 MHz; the clock is measured only for those models.
bool IsSlowNetBurstModel23(Platform& platform);
// A third-level cache descriptor (22h, 23h, 25h, 29h, 8Dh) among those of CPUID leaf 2, over as
// many executions of the leaf as its count byte asks for.
bool HasL3Cache(Platform& platform);

}  // namespace zandro
