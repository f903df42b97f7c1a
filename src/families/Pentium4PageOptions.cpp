// The Pentium 4 page's configuration-file records and its ratio and voltage change.

#include <QComboBox>
#include <QPushButton>

#include "Pentium4Page.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "core/CoreClock.h"
#include "pstates/IntelTransition.h"

namespace zandro {

namespace {

constexpr uint16_t kMultiplierCode = 250;
constexpr uint16_t kVoltageCode = 251;

}  // namespace

// Connects the transition engine to the report panel.
class Pentium4Page::TransitionUi : public IntelTransitionUi {
public:
    explicit TransitionUi(Pentium4Page& page) : m_page(page) {}
    void report(const std::string& text, ReportColour colour) override {
        showTransitionReport(m_page.NetBurst_TransitionReport, QString::fromStdString(text),
                             colour);
    }

private:
    Pentium4Page& m_page;
};

std::vector<OptionRecord> Pentium4Page::savedOptions() const {
    std::vector<OptionRecord> records = m_rows.saved();
    if (frequency.multiplier->currentIndex() >= 0)
        records.push_back({kMultiplierCode, uint8_t(frequency.multiplier->currentIndex())});
    if (frequency.voltage->currentIndex() >= 0)
        records.push_back({kVoltageCode, uint8_t(frequency.voltage->currentIndex())});
    return records;
}

RecordAction Pentium4Page::applyRecord(OptionRecord record) {
    if (record.code == kMultiplierCode || record.code == kVoltageCode) {
        QComboBox* box = record.code == kMultiplierCode ? frequency.multiplier : frequency.voltage;
        box->setCurrentIndex(record.value < box->count() ? record.value : -1);
        return RecordAction::TransitionRequested;
    }
    return m_rows.apply(record);
}

bool Pentium4Page::NetBurst_InitiateFIDVIDChangeButtonClick() {
    TransitionUi ui(*this);
    const bool completed =
        changeIntelOperatingPoint(context().msr, ui, IntelFamily::NetBurst, frequency);
    showMeasuredCoreClock(NetBurst_CurrentCoreClock, context().platform);
    NetBurst_RefreshStatus();
    return completed;
}

bool Pentium4Page::restoreOperatingPoint(uint64_t control, uint64_t status) {
    TransitionUi ui(*this);
    return restoreIntelOperatingPoint(context().msr, ui, IntelFamily::NetBurst, control, status);
}

std::optional<uint64_t> Pentium4Page::aimedStatus() {
    return aimedIntelStatus(context().msr, IntelFamily::NetBurst, frequency);
}

}  // namespace zandro
