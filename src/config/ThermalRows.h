#pragma once

#include "OptionRow.h"

// The radio groups of the Intel "Thermal Monitor" tabs. Their names carry the family prefix
// ("NetBurst", "PMobile") before their own.

namespace zandro {

constexpr uint32_t kClockModulationIndex = 0x19A;
constexpr uint32_t kDutyField = fieldMask(4, 1);

// 19Ah: bit 4 switches modulation on, bits 3..1 hold the duty code 1..7 (n x 12.5 %).
constexpr RowButton dutyButton(const char* name, const char* caption, uint32_t code) {
    return {name, caption, code == 0 ? 0 : bit(4) | (code << 1), kDutyField};
}

// Position in the file = duty code; shown from "Disable" and 87.5 % down.
inline constexpr std::array<RowButton, 8> kDutyButtons = {{
    dutyButton("_OnDemandDutyDIS", "Disable", 0),
    dutyButton("_OnDemandDuty12", "12.5 %", 1),
    dutyButton("_OnDemandDuty25", "25.0 %", 2),
    dutyButton("_OnDemandDuty37", "37.5 %", 3),
    dutyButton("_OnDemandDuty50", "50.0 %", 4),
    dutyButton("_OnDemandDuty62", "62.5 %", 5),
    dutyButton("_OnDemandDuty75", "75.0 %", 6),
    dutyButton("_OnDemandDuty87", "87.5 %", 7),
}};
inline constexpr std::array<uint8_t, 8> kDutyOrder = {0, 7, 6, 5, 4, 3, 2, 1};

// The thermal monitor switch writes fields of two registers (see ThermalMonitorTab): its group
// holds no register or bits. "Disable" is position 1 on the Pentium 4 page, 0 on the Pentium M.
inline constexpr std::array<RowButton, 3> kNetBurstMonitorButtons = {{
    {"_ThermalMonitor1EN", "Enable Thermal Monitor 1"},
    {"_ThermalMonitorDIS", "Disable"},
    {"_ThermalMonitor2EN", "Enable Thermal Monitor 2"},
}};
inline constexpr std::array<uint8_t, 3> kNetBurstMonitorOrder = {1, 0, 2};
inline constexpr std::array<RowButton, 3> kPMobileMonitorButtons = {{
    {"_ThermalMonitorDIS", "Disable"},
    {"_ThermalMonitor1EN", "Enable Thermal Monitor 1"},
    {"_ThermalMonitor2EN", "Enable Thermal Monitor 2"},
}};
inline constexpr std::array<uint8_t, 3> kPMobileMonitorOrder = {0, 1, 2};

constexpr const char* kMonitorCaption = " Slow Down When Overheating Protection ";
constexpr const char* kDutyCaption = " On-Demand Clock Modulation ";

// A family's two groups.
struct ThermalGroups {
    ChoiceGroup monitor;
    ChoiceGroup duty;
};

inline constexpr ThermalGroups kNetBurstThermal = {
    {240, kMonitorCaption, "NetBurst_ThermalMonitorStatus", "NetBurst", 0, RowWrite::Plain,
     kNetBurstMonitorButtons, kNetBurstMonitorOrder},
    {241, kDutyCaption, "NetBurst_OnDemandDuty", "NetBurst", kClockModulationIndex, RowWrite::Plain,
     kDutyButtons, kDutyOrder},
};
inline constexpr ThermalGroups kPMobileThermal = {
    {140, kMonitorCaption, "PMobile_ThermalMonitorStatus", "PMobile", 0, RowWrite::Plain,
     kPMobileMonitorButtons, kPMobileMonitorOrder},
    {141, kDutyCaption, "PMobile_OnDemandDuty", "PMobile", kClockModulationIndex, RowWrite::Plain,
     kDutyButtons, kDutyOrder},
};

}  // namespace zandro
