#pragma once

#include <QObject>
#include <QRadioButton>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace zandro {

class MsrBuffer;
class StatusPanel;
class TabSheet;

// The Pentium M "Thermal Monitor" tab: Thermal Monitor 1/2 selection, the overheat panels and
// on-demand clock modulation. Every click ends in the page's status routine.
class PentiumMThermal : public QObject {
    Q_OBJECT
public:
    PentiumMThermal(TabSheet* sheet, MsrBuffer& msr, std::function<void()> refresh);

    // Button positions as configuration files store them.
    static constexpr int kMonitorButtons = 3;  // Disable, Thermal Monitor 1, Thermal Monitor 2
    static constexpr int kDutyButtons = 8;     // Disable, 12.5 % ... 87.5 %

    // The status routine's steps: 1A0h (and 19Dh when bit 3 is set), then 19Ah.
    void showThermalMonitorStatus();
    void showOnDemandStatus();

    void PMobile_ThermalMonitorDISClick() { thermalMonitorClick(0); }
    void PMobile_ThermalMonitor1ENClick() { thermalMonitorClick(1); }
    void PMobile_ThermalMonitor2ENClick() { thermalMonitorClick(2); }
    void PMobile_NewOverheatCheckClick();
    void thermalMonitorClick(int position);
    // Position 0 disables; 1..7 is the duty cycle code (n x 12.5 % of performance).
    void onDemandClick(int position);

    // The checked button's position, -1 when none is.
    int checkedThermalMonitor() const;
    int checkedOnDemand() const;

    StatusPanel* PMobile_ThermalMonitorStatus = nullptr;
    StatusPanel* PMobile_OverheatOccured = nullptr;
    StatusPanel* PMobile_Temperature = nullptr;
    QLabel* lblPMobile_Temperature = nullptr;
    StatusPanel* PMobile_OnDemandDuty = nullptr;
    QPushButton* PMobile_NewOverheatCheck = nullptr;
    std::array<QRadioButton*, kMonitorButtons> monitorButtons{};
    std::array<QRadioButton*, kDutyButtons> dutyButtons{};

private:
    MsrBuffer& m_msr;
    std::function<void()> m_refresh;
};

// Which of the buttons is checked, -1 when none is.
template <size_t N>
int checkedPosition(const std::array<QRadioButton*, N>& buttons) {
    for (size_t i = 0; i < N; ++i) {
        if (buttons[i]->isChecked())
            return int(i);
    }
    return -1;
}

}  // namespace zandro
