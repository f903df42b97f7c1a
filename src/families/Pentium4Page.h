#pragma once

#include <array>
#include <vector>

#include "FamilyPage.h"
#include "FrequencyControls.h"
#include "OptionRows.h"

class QComboBox;
class QPushButton;

namespace zandro {

class StatusPanel;
class ThermalMonitorTab;

// The Pentium 4 (NetBurst) page: information, error checking, features, thermal monitor and
// frequency control.
class Pentium4Page : public FamilyPage {
    Q_OBJECT
public:
    Pentium4Page(const PageContext& context, QWidget* parent = nullptr,
                 PageBuild build = PageBuild::Now);

    void refreshStatus() override { NetBurst_RefreshStatus(); }
    void fillLists() override;
    void NetBurst_RefreshStatus();

    // Tab-show and exit handlers.
    void NetBurst_InformationShow();
    void NetBurst_ErrorCheckingShow();
    void NetBurst_FeaturesShow();
    void NetBurst_ThermalMonitorShow();
    void NetBurst_ThermalMonitorExit();

    void NetBurst_SetNewTM2targetClick();
    bool NetBurst_InitiateFIDVIDChangeButtonClick();  // false when the change was refused or failed

    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;
    bool runTransition() override { return NetBurst_InitiateFIDVIDChangeButtonClick(); }
    std::optional<PStateRegisters> pstateRegisters() const override {
        return kIntelPStateRegisters;
    }
    bool restoreOperatingPoint(uint64_t control, uint64_t status) override;
    std::optional<uint64_t> aimedStatus() override;

    FrequencyControls frequency;
    StatusPanel* NetBurst_CurrentCoreClock = nullptr;
    StatusPanel* NetBurst_TransitionReport = nullptr;
    ThermalMonitorTab* thermalTab = nullptr;
    QComboBox* NetBurst_TM2MultiplierCombo = nullptr;
    QComboBox* NetBurst_TM2VoltageCombo = nullptr;

protected:
    void buildSheets() override;
    StatusPanel* coreClockPanel() const override { return NetBurst_CurrentCoreClock; }

private:
    std::optional<IntelLists> m_unbuiltLists;
    class TransitionUi;

    void buildInformation(TabSheet* sheet);
    void buildErrorChecking(TabSheet* sheet);
    void buildFeatures(TabSheet* sheet);
    void buildThermal(TabSheet* sheet);
    void buildFrequencyControl(TabSheet* sheet);

    void refreshBusAndMultipliers();
    void refreshFeatures();
    void refreshTargetAndPerformance();

    // The bus buttons, the error checking and feature switches and the thermal tab's groups.
    OptionRows m_rows;
    StatusPanel* m_inOrderQueue = nullptr;
    StatusPanel* m_bus = nullptr;
    StatusPanel* m_nominal = nullptr;
    StatusPanel* m_maximum = nullptr;
    StatusPanel* m_minimum = nullptr;
    StatusPanel* m_frequencyLock = nullptr;
    StatusPanel* m_speedStepSupport = nullptr;
    StatusPanel* m_engineeringSample = nullptr;
    StatusPanel* m_powerClass = nullptr;
    StatusPanel* m_microcode = nullptr;
    // 198h: current and maximum multiplier, current and maximum voltage.
    std::array<StatusPanel*, 4> m_performance{};
    StatusPanel* m_tm2Multiplier = nullptr;
    StatusPanel* m_tm2Voltage = nullptr;
    QPushButton* m_setTm2Target = nullptr;
};

}  // namespace zandro
