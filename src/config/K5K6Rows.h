#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kK5Hwcr = 0x83;        // K5 hardware configuration
constexpr uint32_t kK6Efer = 0xC0000080;  // extended feature enable
constexpr uint32_t kK6Whcr = 0xC0000082;  // K6 write handling control

// The K5 tab: each bit switches its feature off.
inline constexpr std::array<OptionRow, 5> kK5Rows = {{
    {510, " Level 1 Data Cache ", "K5_L1DataCache", kK5Hwcr, 7, "Enabled", "Disabled",
     clearing("K5_L1DataCacheEN", "Enable", 7), setting("K5_L1DataCacheDIS", "Disable", 7),
     RowWrite::Flushing},
    {511, " Level 1 Instruction Cache ", "K5_L1InstructionCache", kK5Hwcr, 6, "Enabled", "Disabled",
     clearing("K5_L1InstructionCacheEN", "Enable", 6),
     setting("K5_L1InstructionCacheDIS", "Disable", 6), RowWrite::Flushing},
    {512, " Branch Prediction ", "K5_BranchPrediction", kK5Hwcr, 5, "Enabled", "Disabled",
     clearing("K5_BranchPredictionEN", "Enable", 5),
     setting("K5_BranchPredictionDIS", "Disable", 5)},
    {513, " Write Allocate ", "K5_WriteAllocate", kK5Hwcr, 4, "Enabled", "Disabled",
     clearing("K5_WriteAllocateEN", "Enable", 4), setting("K5_WriteAllocateDIS", "Disable", 4),
     RowWrite::Plain, RowNeed::K5WriteAllocate},
    {514, " Clocks Snooping on Halt and Stop Grant ", "K5_ClockSnoop", kK5Hwcr, 0, "Enabled",
     "Disabled", clearing("K5_ClockSnoopEN", "Enable", 0),
     setting("K5_ClockSnoopDIS", "Disable", 0)},
}};

// The K6 tab, top to bottom; the write allocate limit sits above the last row.
inline constexpr std::array<OptionRow, 3> kK6Rows = {{
    {520, " Write Cacheability Detection ", "K6_WriteAllocate", kK6Whcr, 8,
     "Write Allocate Disabled", "Write Allocate Enabled",
     setting("K6_WriteAllocateEN", "Enable", 8), clearing("K6_WriteAllocateDIS", "Disable", 8)},
    {521, " Write Allocate in 15 to 16 MByte Range ", "K6_WriteAllocate15to16MB", kK6Whcr, 0,
     "Disabled", "Enabled", setting("K6_WriteAllocate15to16MBEN", "Enable", 0),
     clearing("K6_WriteAllocate15to16MBDIS", "Disable", 0)},
    {523, " System Call Extensions ", "K6_SystemCallExtension", kK6Efer, 0, "Disabled", "Enabled",
     setting("K6_SystemCallExtensionEN", "Enable", 0),
     clearing("K6_SystemCallExtensionDIS", "Disable", 0)},
}};

}  // namespace zandro
