#pragma once

#include <array>
#include <cstdint>
#include <utility>

namespace zandro {

// One button of an on/off option: the bits it sets and clears in the option's register.
struct BitButton {
    const char* name;
    const char* caption;
    uint32_t set;
    uint32_t clear;
};

// One on/off option of the Pentium 4 page. The first button is position 0 in configuration
// files, the second position 1.
struct NetBurstBitOption {
    uint16_t code;
    const char* caption;
    const char* panel;
    uint32_t index;
    unsigned bit;
    const char* whenClear;
    const char* whenSet;
    BitButton first;
    BitButton second;
    bool flushing;
};

constexpr uint32_t bit(unsigned n) {
    return uint32_t(1) << n;
}

// Register 2Bh: a set bit switches the check off; written with cache flushing.
inline constexpr std::array<NetBurstBitOption, 3> kErrorCheckingRows = {{
    {220,
     " Data Error Checking ",
     "NetBurst_DataErrorChecking",
     0x2B,
     1,
     "Enabled",
     "Disabled",
     {"NetBurst_DataErrorCheckingEN", "Enable", 0, bit(1)},
     {"NetBurst_DataErrorCheckingDIS", "Disable", bit(1), 0},
     true},
    {221,
     " Response Error Checking ",
     "NetBurst_ResponseErrorChecking",
     0x2B,
     2,
     "Enabled",
     "Disabled",
     {"NetBurst_ResponseErrorCheckingEN", "Enable", 0, bit(2)},
     {"NetBurst_ResponseErrorCheckingDIS", "Disable", bit(2), 0},
     true},
    {222,
     " Adress/Request Error Checking ",
     "NetBurst_AdressRequestErrorChecking",
     0x2B,
     3,
     "Enabled",
     "Disabled",
     {"NetBurst_AdressErrorCheckingEN", "Enable", 0, bit(3)},
     {"NetBurst_AdressErrorCheckingDIS", "Disable", bit(3), 0},
     true},
}};

// Register 1A0h, top to bottom on the Features tab; the sense of the bit differs per row.
inline constexpr std::array<NetBurstBitOption, 10> kFeatureRows = {{
    // Switching fast strings off takes the L1 context mode bit with it.
    {230,
     " Fast Strings ",
     "NetBurst_FastString",
     0x1A0,
     0,
     "Disabled",
     "Enabled",
     {"NetBurst_FastStringEN", "Enable", bit(0), 0},
     {"NetBurst_FastStringDIS", "Disable", 0, bit(0) | bit(24)},
     false},
    {231,
     " x87 FPU OP-code Compatibility Mode ",
     "NetBurst_x87FPU",
     0x1A0,
     2,
     "Disabled",
     "Enabled",
     {"NetBurst_x87FPUEN", "Enable", bit(2), 0},
     {"NetBurst_x87FPUDIS", "Disable", 0, bit(2)},
     false},
    {232,
     " Third-Level Cache ",
     "NetBurst_L3Cache",
     0x1A0,
     6,
     "Enabled",
     "Disabled",
     {"NetBurst_L3cacheEN", "Enable", 0, bit(6)},
     {"NetBurst_L3cacheDIS", "Disable", bit(6), 0},
     false},
    {233,
     " Performance Monitoring ",
     "NetBurst_PerfMonitoring",
     0x1A0,
     7,
     "Disabled",
     "Enabled",
     {"NetBurst_PerfMonitorEN", "Enable", bit(7), 0},
     {"NetBurst_PerfMonitorDIS", "Disable", 0, bit(7)},
     false},
    {234,
     " Hardware Data Prefetch ",
     "NetBurst_PrefetchQueue",
     0x1A0,
     9,
     "Enabled",
     "Disabled",
     {"NetBurst_PrefetchEN", "Enable", 0, bit(9)},
     {"NetBurst_PrefetchDIS", "Disable", bit(9), 0},
     false},
    {235,
     " Adjacent Cache Line Prefetch ",
     "NetBurst_CacheLine",
     0x1A0,
     19,
     "2 cache lines",
     "1 cache line",
     {"NetBurst_CacheLine1", "1 cache line", bit(19), 0},
     {"NetBurst_CacheLine2", "2 cache lines", 0, bit(19)},
     false},
    {236,
     " L1 Data Cache Context Mode ",
     "NetBurst_L1context",
     0x1A0,
     24,
     "Adaptive",
     "Shared",
     {"NetBurst_L1shared", "Shared", bit(24), 0},
     {"NetBurst_L1adaptive", "Adaptive", 0, bit(24)},
     false},
    {237,
     " MONITOR and MWAIT Instructions Support ",
     "NetBurst_MonitorMwait",
     0x1A0,
     18,
     "Not Supported",
     "Supported",
     {"NetBurst_MonitorMwaitEN", "Enable", bit(18), 0},
     {"NetBurst_MonitorMwaitDIS", "Disable", 0, bit(18)},
     false},
    {238,
     " Limit CPUID Supported Standard Level",
     "NetBurst_CPUIDlimit",
     0x1A0,
     22,
     "Not limited",
     "Limited to level 3",
     {"NetBurst_CPUIDlimitYES", "Limit to 3", bit(22), 0},
     {"NetBurst_CPUIDlimitNO", "No limit", 0, bit(22)},
     false},
    {239,
     " Enhanced Intel SpeedStep technology ",
     "NetBurst_EnhancedSpeedStep",
     0x1A0,
     16,
     "Disabled",
     "Enabled",
     {"NetBurst_EnhancedSpeedStepEN", "Enable", bit(16), 0},
     {"NetBurst_EnhancedSpeedStepDIS", "Disable", 0, bit(16)},
     false},
}};

enum : size_t {
    kFastStringRow,
    kX87Row,
    kL3Row,
    kPerfMonitorRow,
    kPrefetchRow,
    kCacheLineRow,
    kL1ContextRow,
    kMonitorMwaitRow,
    kCpuidLimitRow,
    kSpeedStepRow,
};

// The hidden bus frequency buttons, in configuration-file order (200 MHz before 166 MHz).
struct BusRadio {
    const char* name;
    const char* caption;
};
inline constexpr std::array<BusRadio, 4> kBusRadios = {{
    {"NetBurst_100MHz", "100 MHz"},
    {"NetBurst_133MHz", "133 MHz"},
    {"NetBurst_200MHz", "200 MHz"},
    {"NetBurst_166MHz", "166 MHz"},
}};

// The 198h panels of the frequency tab.
inline constexpr std::array<std::pair<const char*, const char*>, 4> kPerformancePanels = {{
    {"NetBurst_CurrentMultiplier", "Current Multiplier:"},
    {"NetBurst_MaximumMultiplier", "Maximum Multiplier:"},
    {"NetBurst_CurrentVoltage", "Current Voltage:"},
    {"NetBurst_MaximumVoltage", "Maximum Voltage:"},
}};

}  // namespace zandro
