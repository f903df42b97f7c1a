// The Pentium 4 page's configuration-file records and its ratio and voltage change.

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "NetBurstOptionRows.h"
#include "Pentium4Page.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "core/CoreClock.h"
#include "pstates/IntelTransition.h"

namespace zandro {

namespace {

constexpr uint16_t kBusCode = 210;
constexpr uint16_t kThermalMonitorCode = 240;
constexpr uint16_t kOnDemandCode = 241;
constexpr uint16_t kMultiplierCode = 250;
constexpr uint16_t kVoltageCode = 251;

// The buttons of one radio group in the order of their file positions.
struct RadioGroup {
    uint16_t code;
    std::vector<const char*> buttons;
};

// Every radio group of the page in the file's code order. "Disable" is position 1 of the
// thermal monitor group on this page.
const std::vector<RadioGroup>& radioGroups() {
    static const std::vector<RadioGroup> groups = [] {
        std::vector<RadioGroup> list;
        RadioGroup bus{kBusCode, {}};
        for (const BusRadio& radio : kBusRadios)
            bus.buttons.push_back(radio.name);
        list.push_back(bus);
        for (const auto* rows : {&kErrorCheckingRows[0], &kFeatureRows[0]}) {
            const size_t count =
                rows == &kErrorCheckingRows[0] ? kErrorCheckingRows.size() : kFeatureRows.size();
            for (size_t i = 0; i < count; ++i)
                list.push_back({rows[i].code, {rows[i].first.name, rows[i].second.name}});
        }
        list.push_back({kThermalMonitorCode,
                        {"NetBurst_ThermalMonitor1EN", "NetBurst_ThermalMonitorDIS",
                         "NetBurst_ThermalMonitor2EN"}});
        list.push_back(
            {kOnDemandCode,
             {"NetBurst_OnDemandDutyDIS", "NetBurst_OnDemandDuty12", "NetBurst_OnDemandDuty25",
              "NetBurst_OnDemandDuty37", "NetBurst_OnDemandDuty50", "NetBurst_OnDemandDuty62",
              "NetBurst_OnDemandDuty75", "NetBurst_OnDemandDuty87"}});
        return list;
    }();
    return groups;
}

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
    std::vector<OptionRecord> records;
    for (const RadioGroup& group : radioGroups()) {
        for (size_t position = 0; position < group.buttons.size(); ++position) {
            if (m_radios.at(QLatin1String(group.buttons[position]))->isChecked()) {
                records.push_back({group.code, uint8_t(position)});
                break;
            }
        }
    }
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
    for (const RadioGroup& group : radioGroups()) {
        if (group.code != record.code)
            continue;
        if (record.value < group.buttons.size())
            clickOption(QLatin1String(group.buttons[record.value]));
        return RecordAction::Applied;
    }
    return RecordAction::NotMine;
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
