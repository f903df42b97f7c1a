#pragma once

#include <array>

#include "FamilyPage.h"
#include "FrequencyControls.h"
#include "OptionRows.h"

namespace zandro {

class StatusPanel;
class ThermalMonitorTab;

// The Pentium M page: information, features, level 2 cache, thermal monitor and frequency control.
class PentiumMPage : public FamilyPage {
    Q_OBJECT
public:
    PentiumMPage(const PageContext& context, QWidget* parent = nullptr,
                 PageBuild build = PageBuild::Now);
    ~PentiumMPage() override;

    void refreshStatus() override { PMobile_RefreshStatus(); }
    void fillLists() override;
    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;
    bool runTransition() override { return PMobile_InitiateFIDVIDChangeButtonClick(); }
    std::optional<PStateRegisters> pstateRegisters() const override {
        return kIntelPStateRegisters;
    }
    bool restoreOperatingPoint(uint64_t control, uint64_t status) override;
    std::optional<uint64_t> aimedStatus() override;

    // Re-reads every register the page shows and rewrites the panels of all five tabs.
    void PMobile_RefreshStatus();

    // Frequency and voltage control.
    bool PMobile_InitiateFIDVIDChangeButtonClick();  // false when the change was refused or failed

    FrequencyControls frequency;
    StatusPanel* PMobile_CurrentCoreClock = nullptr;
    StatusPanel* PMobile_TransitionReport = nullptr;
    ThermalMonitorTab* thermal = nullptr;  // owned by the page

protected:
    void buildSheets() override;
    StatusPanel* coreClockPanel() const override { return PMobile_CurrentCoreClock; }

private:
    std::optional<IntelLists> m_unbuiltLists;
    class TransitionUi;

    void buildInformation(TabSheet* sheet);
    void buildL2(TabSheet* sheet);
    void buildFrequencyControl(TabSheet* sheet);
    void readRegister(uint32_t index);
    void showL2Status();
    void showFrequencyInfo();

    std::array<StatusPanel*, 3> m_information{};  // ratio, bus, in-order queue
    StatusPanel* m_perfMonitoring = nullptr;
    OptionRows m_rows;                         // the switches and the thermal tab's groups
    std::array<StatusPanel*, 4> m_l2Status{};  // presence, hardware, ECC, address range
    std::array<StatusPanel*, 4> m_frequencyInfo{};
};

}  // namespace zandro
