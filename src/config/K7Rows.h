#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kK7Efer = 0xC0000080;
constexpr uint32_t kK7Syscfg = 0xC0010010;
constexpr uint32_t kK7Hwcr = 0xC0010015;
constexpr uint32_t kK7ClockControlIndex = 0xC001001B;

// The one switch of the Low Power Modes tab, C001001Bh bit 19.
inline constexpr std::array<OptionRow, 1> kK7ApicRows = {{
    {323, " APIC bus messages during clock ramp down ", "K7_APICbusMessages", kK7ClockControlIndex,
     19, "Not rejected", "Rejected", setting("K7_APICbusMessagesReject", "Reject", 19),
     clearing("K7_APICbusMessagesNoReject", "Do not reject", 19)},
}};

// The Features tab's switches; SSE is enabled by clearing its disable bit.
inline constexpr std::array<OptionRow, 4> kK7FeatureRows = {{
    {330, " System Call Extension ", "K7_SystemCallExtension", kK7Efer, 0, "Disabled", "Enabled",
     setting("K7_SystemCallExtensionEN", "Enable", 0),
     clearing("K7_SystemCallExtensionDIS", "Disable", 0)},
    {331, " System Data ECC Checking ", "K7_SystemECCchecking", kK7Syscfg, 15, "Disabled",
     "Enabled", setting("K7_SystemECCcheckingEN", "Enable", 15),
     clearing("K7_SystemECCcheckingDIS", "Disable", 15), RowWrite::Flushing},
    {332, " TLB Force Cacheable ", "K7_TLBforceCacheable", kK7Hwcr, 3, "Disabled", "Enabled",
     setting("K7_TLBforceCacheableEN", "Enable", 3),
     clearing("K7_TLBforceCacheableDIS", "Disable", 3)},
    {333, " SSE Instruction Support ", "K7_SSEInstructionSupport", kK7Hwcr, 15, "Enabled",
     "Disabled", clearing("K7_SSEInstructionSupportEN", "Enable", 15),
     setting("K7_SSEInstructionSupportDIS", "Disable", 15), RowWrite::Flushing},
}};

}  // namespace zandro
