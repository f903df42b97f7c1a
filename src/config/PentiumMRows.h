#pragma once

#include "OptionRow.h"

namespace zandro {

constexpr uint32_t kPMobilePowerOn = 0x2A;
constexpr uint32_t kPMobileL2Control = 0x11E;
constexpr uint32_t kPMobileMiscEnable = 0x1A0;

// The Features tab's switches.
inline constexpr std::array<OptionRow, 3> kPMobileFeatureRows = {{
    {120, " Data Error Checking ", "PMobile_DataErrorChecking", kPMobilePowerOn, 1, "Disabled",
     "Enabled", setting("PMobile_DataErrorCheckingEN", "Enable", 1),
     clearing("PMobile_DataErrorCheckingDIS", "Disable", 1), RowWrite::Flushing},
    {121, " Response Error Checking ", "PMobile_ResponseErrorChecking", kPMobilePowerOn, 2,
     "Disabled", "Enabled", setting("PMobile_ResponseErrorCheckingEN", "Enable", 2),
     clearing("PMobile_ResponseErrorCheckingDIS", "Disable", 2), RowWrite::Flushing},
    {122, " Enhanced Intel SpeedStep technology ", "PMobile_EnhancedSpeedStep", kPMobileMiscEnable,
     16, "Disabled", "Enabled", setting("PMobile_EnhancedSpeedStepEN", "Enable", 16),
     clearing("PMobile_EnhancedSpeedStepDIS", "Disable", 16)},
}};

// The one switch of the Level 2 cache tab, between its status groups.
inline constexpr std::array<OptionRow, 1> kPMobileL2Rows = {{
    {130, " L2 Enabled ", "PMobile_L2Enabled", kPMobileL2Control, 8, "Disabled",
     "Enabled and initialized", setting("PMobile_L2EnabledEN", "Enable", 8),
     clearing("PMobile_L2EnabledDIS", "Disable", 8), RowWrite::Flushing},
}};

}  // namespace zandro
