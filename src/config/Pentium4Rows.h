#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kNetBurstErrorDisables = 0x2B;  // a set bit switches a check off
constexpr uint32_t kNetBurstMiscEnable = 0x1A0;

// The Error Checking tab; written with cache flushing.
inline constexpr std::array<OptionRow, 3> kNetBurstErrorRows = {{
    {220, " Data Error Checking ", "NetBurst_DataErrorChecking", kNetBurstErrorDisables, 1,
     "Enabled", "Disabled", clearing("NetBurst_DataErrorCheckingEN", "Enable", 1),
     setting("NetBurst_DataErrorCheckingDIS", "Disable", 1), RowWrite::Flushing},
    {221, " Response Error Checking ", "NetBurst_ResponseErrorChecking", kNetBurstErrorDisables, 2,
     "Enabled", "Disabled", clearing("NetBurst_ResponseErrorCheckingEN", "Enable", 2),
     setting("NetBurst_ResponseErrorCheckingDIS", "Disable", 2), RowWrite::Flushing},
    {222, " Adress/Request Error Checking ", "NetBurst_AdressRequestErrorChecking",
     kNetBurstErrorDisables, 3, "Enabled", "Disabled",
     clearing("NetBurst_AdressErrorCheckingEN", "Enable", 3),
     setting("NetBurst_AdressErrorCheckingDIS", "Disable", 3), RowWrite::Flushing},
}};

// Register 1A0h, top to bottom on the Features tab; the sense of the bit differs per row.
inline constexpr std::array<OptionRow, 10> kNetBurstFeatureRows = {{
    // Switching fast strings off takes the L1 context mode bit with it.
    {230,
     " Fast Strings ",
     "NetBurst_FastString",
     kNetBurstMiscEnable,
     0,
     "Disabled",
     "Enabled",
     setting("NetBurst_FastStringEN", "Enable", 0),
     {"NetBurst_FastStringDIS", "Disable", 0, bit(0) | bit(24)}},
    {231, " x87 FPU OP-code Compatibility Mode ", "NetBurst_x87FPU", kNetBurstMiscEnable, 2,
     "Disabled", "Enabled", setting("NetBurst_x87FPUEN", "Enable", 2),
     clearing("NetBurst_x87FPUDIS", "Disable", 2)},
    {232, " Third-Level Cache ", "NetBurst_L3Cache", kNetBurstMiscEnable, 6, "Enabled", "Disabled",
     clearing("NetBurst_L3cacheEN", "Enable", 6), setting("NetBurst_L3cacheDIS", "Disable", 6),
     RowWrite::Plain, RowNeed::L3Cache},
    {233, " Performance Monitoring ", "NetBurst_PerfMonitoring", kNetBurstMiscEnable, 7, "Disabled",
     "Enabled", setting("NetBurst_PerfMonitorEN", "Enable", 7),
     clearing("NetBurst_PerfMonitorDIS", "Disable", 7)},
    {234, " Hardware Data Prefetch ", "NetBurst_PrefetchQueue", kNetBurstMiscEnable, 9, "Enabled",
     "Disabled", clearing("NetBurst_PrefetchEN", "Enable", 9),
     setting("NetBurst_PrefetchDIS", "Disable", 9)},
    {235, " Adjacent Cache Line Prefetch ", "NetBurst_CacheLine", kNetBurstMiscEnable, 19,
     "2 cache lines", "1 cache line", setting("NetBurst_CacheLine1", "1 cache line", 19),
     clearing("NetBurst_CacheLine2", "2 cache lines", 19)},
    {236, " L1 Data Cache Context Mode ", "NetBurst_L1context", kNetBurstMiscEnable, 24, "Adaptive",
     "Shared", setting("NetBurst_L1shared", "Shared", 24),
     clearing("NetBurst_L1adaptive", "Adaptive", 24), RowWrite::Plain, RowNeed::L1ContextId},
    {237, " MONITOR and MWAIT Instructions Support ", "NetBurst_MonitorMwait", kNetBurstMiscEnable,
     18, "Not Supported", "Supported", setting("NetBurst_MonitorMwaitEN", "Enable", 18),
     clearing("NetBurst_MonitorMwaitDIS", "Disable", 18), RowWrite::Plain, RowNeed::Sse3},
    {238, " Limit CPUID Supported Standard Level", "NetBurst_CPUIDlimit", kNetBurstMiscEnable, 22,
     "Not limited", "Limited to level 3", setting("NetBurst_CPUIDlimitYES", "Limit to 3", 22),
     clearing("NetBurst_CPUIDlimitNO", "No limit", 22), RowWrite::Plain, RowNeed::NetBurstModel3Up},
    {239, " Enhanced Intel SpeedStep technology ", "NetBurst_EnhancedSpeedStep",
     kNetBurstMiscEnable, 16, "Disabled", "Enabled",
     setting("NetBurst_EnhancedSpeedStepEN", "Enable", 16),
     clearing("NetBurst_EnhancedSpeedStepDIS", "Disable", 16)},
}};

// The hidden bus frequency buttons: kept only for the configuration file, they write nothing.
// 200 MHz comes before 166 MHz in the file; they are shown from 100 to 200 MHz.
inline constexpr std::array<RowButton, 4> kNetBurstBusButtons = {{
    {"100MHz", "100 MHz"},
    {"133MHz", "133 MHz"},
    {"200MHz", "200 MHz"},
    {"166MHz", "166 MHz"},
}};
inline constexpr std::array<uint8_t, 4> kNetBurstBusOrder = {0, 1, 3, 2};
inline constexpr ChoiceGroup kNetBurstBusGroup = {210,
                                                  " System Bus Frequency (Factory Settings) ",
                                                  "NetBurst_ExternalBusFrequency",
                                                  "NetBurst_",
                                                  0,
                                                  RowWrite::Plain,
                                                  kNetBurstBusButtons,
                                                  kNetBurstBusOrder};

}  // namespace zandro
