#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "FamilyPage.h"
#include "FrequencyControls.h"

class QComboBox;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zandro {

class StatusPanel;
class ThermalMonitorTab;
struct NetBurstBitOption;

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
    void NetBurst_FrequencyVoltageControlShow();
    void NetBurst_FrequencyVoltageControlExit();

    void NetBurst_SetNewTM2targetClick();
    bool NetBurst_InitiateFIDVIDChangeButtonClick();  // false when the change was refused or failed

    // Runs the click action of a named option button (error checking, features, thermal,
    // bus frequency); false when the page has no such button.
    bool clickOption(const QString& buttonName);

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
    void addBitOptions(SheetBuilder& builder, const NetBurstBitOption* rows, size_t count);
    void bitOptionClick(const NetBurstBitOption& row, bool first);

    void refreshBusAndMultipliers();
    void refreshFeatures();
    void refreshTargetAndPerformance();
    StatusPanel* panel(const QString& name) const;
    void setEnabled(std::initializer_list<const char*> names, bool enabled);

    // Click actions of every radio button, by name.
    std::map<QString, std::function<void()>> m_actions;
    std::map<QString, QRadioButton*> m_radios;
    std::map<QString, StatusPanel*> m_panels;
};

}  // namespace zandro
