#pragma once

#include <QColor>
#include <QObject>
#include <array>
#include <functional>

#include "PageContext.h"
#include "config/ThermalRows.h"

class QRadioButton;
class QPushButton;
class QGroupBox;

namespace zandro {

class RadioRecords;
class SheetBuilder;
class StatusPanel;
class TM_BlinkLabel;

// The two Intel families whose "Thermal Monitor" tab this class builds; they differ in where the
// Thermal Monitor 2 switch lives.
enum class ThermalFamily { NetBurst, PMobile };

// What the thermal status register 19Ch says: bit 0 too hot now, bit 1 overheated since the log
// was last cleared.
struct OverheatReading {
    bool hot = false;
    bool logged = false;
    bool read = true;  // false: 19Ch could not be read, the two flags mean nothing
};

// The shared part of an Intel "Thermal Monitor" tab: the thermal monitor switch, the overheat
// watch with its blinking label and "New overheat check", and on-demand clock modulation. Names
// carry the family prefix ("NetBurst_" or "PMobile_"). Every click ends in the family's status
// routine, given as `refresh`.
class ThermalMonitorTab : public QObject {
    Q_OBJECT
public:
    static constexpr uint32_t kClockModulation = 0x19A;
    static constexpr uint32_t kThermalStatus = 0x19C;
    static constexpr uint32_t kTm2Control = 0x19D;
    static constexpr uint32_t kMiscEnable = 0x1A0;
    static const QColor kGreen;
    static const QColor kRed;

    // Adds the groups " Slow Down When Overheating Protection ", " Overheating Status " and
    // " On-Demand Clock Modulation " to the sheet being built.
    ThermalMonitorTab(SheetBuilder& builder, ThermalFamily family, const PageContext& context,
                      std::function<void()> refresh, QObject* parent);

    ThermalFamily family() const { return m_family; }

    // The overheat watch: one read of 19Ch, shown on every tab of this kind.
    static OverheatReading readOverheat(MsrBuffer& msr);
    void showOverheat(OverheatReading reading);

    // Status decoding inside the family status routine. NetBurst decodes 1A0h as already read
    // (bit 3, and bit 13 when the processor has Thermal Monitor 2); PMobile reads 1A0h and, when
    // the monitor is on, 19Dh bit 16.
    void showNetBurstMonitorStatus(const MsrBuffer& miscEnable, bool hasTM2);
    void refreshPMobileMonitorStatus();
    // Index 19Ah, read, decode bit 4 and bits 3..1; code 0 with bit 4 set keeps the text.
    void refreshClockModulation();

    // Click actions.
    void ThermalMonitorDISClick();
    void ThermalMonitor1ENClick();
    void ThermalMonitor2ENClick();
    // Duty code 1..7 is n x 12.5 % of performance; 0 switches modulation off.
    void OnDemandDutyClick(int code);
    void NewOverheatCheckClick();

    // Adds the thermal monitor and duty buttons to a page's configuration-file records.
    void addRecords(RadioRecords& records);

    StatusPanel* ThermalMonitorStatus = nullptr;
    StatusPanel* OverheatOccured = nullptr;
    StatusPanel* Temperature = nullptr;
    TM_BlinkLabel* TemperatureBlink = nullptr;
    StatusPanel* OnDemandDuty = nullptr;
    QPushButton* NewOverheatCheck = nullptr;
    // Disable, Thermal Monitor 1, Thermal Monitor 2.
    std::array<QRadioButton*, 3> monitorButtons{};
    // Indexed by duty code: 0 Disable, 1 "12.5 %" .. 7 "87.5 %".
    std::array<QRadioButton*, 8> dutyButtons{};

private:
    QString name(const char* suffix) const;
    static QString buttonName(const ChoiceGroup& group, size_t position);
    // The thermal monitor buttons as shown: Disable, Thermal Monitor 1, Thermal Monitor 2.
    void monitorClick(size_t shown);
    void buildMonitorGroup(SheetBuilder& builder);
    void buildOverheatGroup(SheetBuilder& builder);
    void buildDutyGroup(SheetBuilder& builder);
    void setMonitorBits(bool tm1, bool tm2);

    ThermalFamily m_family;
    const ThermalGroups& m_groups;
    PageContext m_context;
    std::function<void()> m_refresh;
};

}  // namespace zandro
