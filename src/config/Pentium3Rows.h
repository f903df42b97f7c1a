#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kP6PowerOn = 0x2A;     // EBL_CR_POWERON
constexpr uint32_t kP6L2Control = 0x11E;  // BBL_CR_CTL3, the level 2 cache configuration

// The Features tab's switches.
inline constexpr std::array<OptionRow, 3> kP6FeatureRows = {{
    {420, " Data Error Checking ", "P6_DataErrorChecking", kP6PowerOn, 1, "Disabled", "Enabled",
     setting("P6_DataErrorCheckingEN", "Enable", 1),
     clearing("P6_DataErrorCheckingDIS", "Disable", 1), RowWrite::Flushing},
    {421, " Response Error Checking ", "P6_ResponseErrorChecking", kP6PowerOn, 2, "Disabled",
     "Enabled", setting("P6_ResponseErrorCheckingEN", "Enable", 2),
     clearing("P6_ResponseErrorCheckingDIS", "Disable", 2), RowWrite::Flushing},
    {422, " Low Power Mode Enable ", "P6_LowPowerMode", kP6PowerOn, 26, "Disabled", "Enabled",
     setting("P6_LowPowerModeEN", "Enable", 26), clearing("P6_LowPowerModeDIS", "Disable", 26)},
}};

// The cache configuration tab's switches: the first above the latency and size groups, the second
// below them.
inline constexpr std::array<OptionRow, 2> kP6CacheRows = {{
    {440, " L2 Enabled ", "P6_L2Enabled", kP6L2Control, 8, "Disabled", "Enabled and initialized",
     setting("P6_L2EnabledEN", "Enable", 8), clearing("P6_L2EnabledDIS", "Disable", 8),
     RowWrite::Flushing},
    {443, " L2 Configured ", "P6_L2configured", kP6L2Control, 0, "Disabled", "Enabled",
     setting("P6_L2configuredEN", "Enable", 0), clearing("P6_L2configuredDIS", "Disable", 0),
     RowWrite::Flushing},
}};

// The cache error checking tab.
inline constexpr std::array<OptionRow, 4> kP6ErrorRows = {{
    {450, " Cache State Error Checking enable ", "P6_L2CacheStateErrorChecking", kP6L2Control, 18,
     "Disabled", "Enabled", setting("P6_L2CacheStateErrorCheckingEN", "Enable", 18),
     clearing("P6_L2CacheStateErrorCheckingDIS", "Disable", 18), RowWrite::Flushing},
    {451, " CRTN Parity Checking ", "P6_L2CRTNParityChecking", kP6L2Control, 7, "Disabled",
     "Enabled", setting("P6_L2CRTNParityCheckingEN", "Enable", 7),
     clearing("P6_L2CRTNParityCheckingDIS", "Disable", 7), RowWrite::Flushing},
    {452, " Address Parity Checking ", "P6_L2AddressParityChecking", kP6L2Control, 6, "Disabled",
     "Enabled", setting("P6_L2AddressParityCheckingEN", "Enable", 6),
     clearing("P6_L2AddressParityCheckingDIS", "Disable", 6), RowWrite::Flushing},
    {453, " ECC Checking ", "P6_L2ECCChecking", kP6L2Control, 5, "Disabled", "Enabled",
     setting("P6_L2ECCCheckingEN", "Enable", 5), clearing("P6_L2ECCCheckingDIS", "Disable", 5),
     RowWrite::Flushing},
}};

// 11Eh bits 17..13: one bit per cache size.
constexpr uint32_t kP6CacheSizeField = fieldMask(17, 13);
inline constexpr std::array<RowButton, 5> kP6CacheSizeButtons = {{
    {"256", "256 kBytes", bit(13), kP6CacheSizeField},
    {"512", "512 kBytes", bit(14), kP6CacheSizeField},
    {"1024", "1 MByte", bit(15), kP6CacheSizeField},
    {"2048", "2 Mbytes", bit(16), kP6CacheSizeField},
    {"4096", "4 MBytes", bit(17), kP6CacheSizeField},
}};
inline constexpr std::array<uint8_t, 5> kP6CacheSizeOrder = {0, 1, 2, 3, 4};
inline constexpr ChoiceGroup kP6CacheSizeGroup = {
    442,          " Cache size per bank ", "P6_CacheSizePerBank", "P6_CacheSizePerBank",
    kP6L2Control, RowWrite::Flushing,      kP6CacheSizeButtons,   kP6CacheSizeOrder};

}  // namespace zandro
