#pragma once

#include <array>
#include <memory>

#include "FamilyPage.h"
#include "FidVidInfo.h"
#include "FrequencyControls.h"
#include "OptionRows.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace zandro {

class EditBox;
class NameStringEditor;
class StatusPanel;

// The Athlon (K7) page: name string and identity, the clock divisors and timing of the low power
// modes, four feature switches, the FID/VID information and the multiplier/voltage change.
class K7Page : public FamilyPage {
    Q_OBJECT
public:
    K7Page(const PageContext& context, QWidget* parent = nullptr, PageBuild build = PageBuild::Now);
    ~K7Page() override;

    void refreshStatus() override { K7_RefreshStatus(); }
    void fillLists() override;
    std::span<const KeptText> keptTexts() const override;
    void K7_RefreshStatus();

    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;
    bool runTransition() override { return K7_InitiateFIDVIDChangeButtonClick(); }
    std::optional<PStateRegisters> pstateRegisters() const override { return kAmdPStateRegisters; }
    bool restoreOperatingPoint(uint64_t control, uint64_t status) override;
    std::optional<uint64_t> aimedStatus() override;

    // Low power modes (C001001Bh).
    void K7_HLTmultiSETClick();
    void K7_STPCLKmultiSETClick();
    void K7_CLKtimingSETClick();

    // Frequency and voltage control.
    bool K7_InitiateFIDVIDChangeButtonClick();  // false when the change was refused or failed
    void K7_ClearTransitionStatus();
    // Range check of the stop-grant box: warns, puts the focus back and answers false when the
    // box holds no number within 0..1048575.
    bool K7_StopGrantCyclesBoxExit();

    FrequencyControls frequency;
    std::unique_ptr<NameStringEditor> nameEditor;
    StatusPanel* K7_CurrentCoreClock = nullptr;
    StatusPanel* K7_TransitionReport = nullptr;
    EditBox* K7_StopGrantCyclesBox = nullptr;
    QComboBox* K7_HLTmultiCombo = nullptr;
    QComboBox* K7_STPCLKmultiCombo = nullptr;
    QComboBox* K7_CLKtimingCombo = nullptr;

protected:
    void buildSheets() override;
    StatusPanel* coreClockPanel() const override { return K7_CurrentCoreClock; }

private:
    // The FID/VID stabilization box, kept in config.ini.
    static constexpr std::array<KeptText, 1> kKeptTexts = {{
        {"Athlon", "FIDVID", "K7_StopGrantCyclesBox", "10000"},
    }};
    std::optional<K7Lists> m_unbuiltLists;
    class TransitionUi;

    // A divisor or timing row of the Low Power Modes tab. Its list shows what the register holds
    // until the user picks an item, which it keeps until "Set" or until the page shows anew.
    struct ClockRow {
        QGroupBox* group = nullptr;
        StatusPanel* panel = nullptr;
        QComboBox* combo = nullptr;
        QPushButton* set = nullptr;
        bool picked = false;
    };

    void buildInformation(TabSheet* sheet);
    void buildLowPowerModes(TabSheet* sheet);
    void buildFeatures(TabSheet* sheet);
    void buildFrequencyControl(TabSheet* sheet);
    ClockRow addClockRow(class SheetBuilder& builder, const QString& caption, const QString& name,
                         const QStringList& items, int preset);
    void enableForModel(uint8_t model);
    void showClockControl(uint8_t model);
    void writeClockControl(uint32_t clear, uint32_t set);
    void setClockRow(ClockRow& row, uint32_t clear, uint32_t set);
    void pageShown() override;
    void showCoreClock();

    ClockRow m_halt, m_stopGrant, m_timing;
    OptionRows m_rows;  // the APIC bus messages switch and the feature switches
    StatusPanel* m_coreMultiplier = nullptr;
    StatusPanel* m_maskRevision = nullptr;
    StatusPanel* m_cpuNumber = nullptr;
    FidVidInfo m_fidVidInfo;
    bool m_changing = false;  // a multiplier/voltage change is in flight
};

}  // namespace zandro
