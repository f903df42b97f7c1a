#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kA64Efer = 0xC0000080;
constexpr uint32_t kA64Hwcr = 0xC0010015;

// The Athlon 64 Features tab, top to bottom.
inline constexpr std::array<OptionRow, 5> kA64FeatureRows = {{
    {20, " No-Execute Page ", "A64_NoExecutePage", kA64Efer, 11, "Disabled", "Enabled",
     setting("A64_NoExecutePageEN", "Enable", 11), clearing("A64_NoExecutePageDIS", "Disable", 11)},
    // Long mode shows "active" (bit 10) but switches "enable" (bit 8).
    {21, " AMD64 Long Mode ", "A64_AMD64LongMode", kA64Efer, 10, "Not active", "Active",
     setting("A64_AMD64LongModeEN", "Enable", 8), clearing("A64_AMD64LongModeDIS", "Disable", 8)},
    {22, " System Call Extension ", "A64_SystemCallExtension", kA64Efer, 0, "Disabled", "Enabled",
     setting("A64_SystemCallExtensionEN", "Enable", 0),
     clearing("A64_SystemCallExtensionDIS", "Disable", 0)},
    {23, " Machine Check Registers ", "A64_MachineCheckRegisters", kA64Hwcr, 18,
     "Write Not Allowed", "Write Allowed", setting("A64_MachineCheckRegistersAL", "Allow", 18),
     clearing("A64_MachineCheckRegistersDIS", "Disallow", 18)},
    // SSE is disabled by setting its bit.
    {24, " SSE Instructions Support ", "A64_SSEInstructionSupport", kA64Hwcr, 15, "Enabled",
     "Disabled", clearing("A64_SSEInstructionSupportEN", "Enable", 15),
     setting("A64_SSEInstructionSupportDIS", "Disable", 15), RowWrite::Flushing},
}};

}  // namespace zandro
