// The Athlon (K7) page's part of an .msr configuration file: what it saves and how it applies it.

#include <QComboBox>

#include "K7Page.h"

namespace zandro {

namespace {

constexpr uint16_t kHaltDivisorCode = 320;
constexpr uint16_t kStopGrantDivisorCode = 321;
constexpr uint16_t kTimingCode = 322;
constexpr uint16_t kMultiplierCode = 350;
constexpr uint16_t kVoltageCode = 351;
constexpr uint8_t kNoItem = 255;

uint8_t itemOrNone(const QComboBox* box) {
    return box->currentIndex() < 0 ? kNoItem : uint8_t(box->currentIndex());
}

}  // namespace

std::vector<OptionRecord> K7Page::savedOptions() const {
    // The clock-control boxes are saved always, 255 standing for no selection; the radio groups
    // follow in code order, the APIC group (323) first.
    std::vector<OptionRecord> records = {
        {kHaltDivisorCode, itemOrNone(K7_HLTmultiCombo)},
        {kStopGrantDivisorCode, itemOrNone(K7_STPCLKmultiCombo)},
        {kTimingCode, itemOrNone(K7_CLKtimingCombo)},
    };
    for (const OptionRecord& feature : m_rows.saved())
        records.push_back(feature);
    for (const auto& [code, box] : {std::pair{kMultiplierCode, frequency.multiplier},
                                    std::pair{kVoltageCode, frequency.voltage}}) {
        if (box->currentIndex() >= 0)
            records.push_back({code, uint8_t(box->currentIndex())});
    }
    return records;
}

RecordAction K7Page::applyRecord(OptionRecord record) {
    // An index the box does not have leaves it without a selection.
    const auto choose = [&record](QComboBox* box) {
        box->setCurrentIndex(record.value < box->count() ? int(record.value) : -1);
    };
    switch (record.code) {
        case kHaltDivisorCode:
            choose(K7_HLTmultiCombo);
            K7_HLTmultiSETClick();
            return RecordAction::Applied;
        case kStopGrantDivisorCode:
            choose(K7_STPCLKmultiCombo);
            K7_STPCLKmultiSETClick();
            return RecordAction::Applied;
        case kTimingCode:
            choose(K7_CLKtimingCombo);
            K7_CLKtimingSETClick();
            return RecordAction::Applied;
        case kMultiplierCode:
            choose(frequency.multiplier);
            return RecordAction::TransitionRequested;
        case kVoltageCode:
            choose(frequency.voltage);
            return RecordAction::TransitionRequested;
        default:
            break;
    }
    return m_rows.apply(record);
}

}  // namespace zandro
