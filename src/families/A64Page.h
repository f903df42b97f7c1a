#pragma once

#include <array>
#include <memory>

#include "FamilyPage.h"
#include "FidVidInfo.h"
#include "FrequencyControls.h"
#include "OptionRows.h"

namespace zandro {

class EditBox;
class NameStringEditor;
class StatusPanel;

// The Athlon 64 page: name string and mask revisions, five feature switches, the FID/VID
// information and the P-state transitions.
class A64Page : public FamilyPage {
    Q_OBJECT
public:
    A64Page(const PageContext& context, QWidget* parent = nullptr,
            PageBuild build = PageBuild::Now);
    ~A64Page() override;

    void refreshStatus() override { A64_RefreshStatus(); }
    void fillLists() override;
    std::span<const KeptText> keptTexts() const override;
    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;
    bool runTransition() override { return A64_InitiateFIDVIDChangeButtonClick(); }
    std::optional<PStateRegisters> pstateRegisters() const override { return kAmdPStateRegisters; }
    bool restoreOperatingPoint(uint64_t control, uint64_t status) override;
    std::optional<uint64_t> aimedStatus() override;
    void A64_RefreshStatus();

    // Frequency and voltage control.
    bool A64_InitiateFIDVIDChangeButtonClick();  // false when the change was refused or failed
    void A64_ClearTransitionStatus();
    bool A64_FIDstabilizationCyclesBoxExit();
    bool A64_VIDstabilizationCyclesBoxExit();

    // Text of the transition report and its colour as red, green, blue.
    StatusPanel* A64_TransitionReport = nullptr;
    StatusPanel* A64_CurrentCoreClock = nullptr;
    EditBox* A64_FIDstabilizationCyclesBox = nullptr;
    EditBox* A64_VIDstabilizationCyclesBox = nullptr;
    FrequencyControls frequency;
    std::unique_ptr<NameStringEditor> nameEditor;

protected:
    void buildSheets() override;
    StatusPanel* coreClockPanel() const override { return A64_CurrentCoreClock; }

private:
    // The two stabilization boxes, kept in config.ini: FID first, then VID.
    static constexpr std::array<KeptText, 2> kKeptTexts = {{
        {"A64", "FIDSystemBusCycles", "A64_FIDstabilizationCyclesBox", "1000"},
        {"A64", "VIDMillisecondsTime", "A64_VIDstabilizationCyclesBox", "50"},
    }};
    std::optional<A64Lists> m_unbuiltLists;
    class TransitionUi;

    void buildInformation(TabSheet* sheet);
    void buildFeatures(TabSheet* sheet);
    void buildFrequencyControl(TabSheet* sheet);
    bool checkBox(EditBox* box, long long upper, const QString& message);
    void showCoreClock();

    OptionRows m_rows;  // the five feature switches
    StatusPanel* m_majorMask = nullptr;
    StatusPanel* m_minorMask = nullptr;
    StatusPanel* m_reticle = nullptr;
    FidVidInfo m_fidVidInfo;
};

}  // namespace zandro
