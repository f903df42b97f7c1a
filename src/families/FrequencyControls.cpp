#include "FrequencyControls.h"

#include <QColor>
#include <QComboBox>
#include <QPushButton>

#include "Messages.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/CoreClock.h"
#include "pstates/IntelTransition.h"
#include "pstates/ListFillers.h"
#include "pstates/OperatingPoint.h"

namespace zandro {

FrequencyControls addMultiplierGroup(SheetBuilder& builder, const QString& prefix) {
    QGroupBox* group = builder.group(QStringLiteral(" Multiplier adjustments "));
    FrequencyControls controls;
    controls.multiplier = builder.combo(group, prefix + QStringLiteral("_MultiplierCombo"),
                                        QStringLiteral("Change Multiplier to: "));
    controls.voltage = builder.combo(group, prefix + QStringLiteral("_VoltageCombo"),
                                     QStringLiteral("at a Voltage of: "));
    controls.set = builder.button(group, prefix + QStringLiteral("_InitiateFIDVIDChangeButton"),
                                  QStringLiteral("Set"));
    return controls;
}

std::string selectedText(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentText().left(10).toStdString();
}

void showMeasuredCoreClock(StatusPanel* panel, Platform& platform) {
    panel->setText(QString::number(MeasureCoreClock(platform)) + QStringLiteral(" MHz"));
}

bool confirmOffVoltage(QWidget* parent) {
    static const QString warning = QStringLiteral(
        "WARNING: The chosen value may result in unexpected behavior and can damage you "
        "hardware.\n\rVoltage identification of 11111b (off) may confuse motherboard voltage "
        "regulator and put high\n\rvoltage to the CPU causing it to be permanently "
        "damaged.\n\r\n\rAre you sure you want to do this?");
    return Messages::show(parent, MsgKind::Warning, warning, MsgButtons::YesNo) == MsgAnswer::Yes;
}

StatusPanel* addCoreClockGroup(SheetBuilder& builder, const QString& prefix) {
    QGroupBox* group = builder.group(QStringLiteral(" Current Core Clock "));
    return builder.status(group, prefix + QStringLiteral("_CurrentCoreClock"), QString());
}

void showTransitionReport(StatusPanel* panel, const QString& text, ReportColour colour) {
    const ReportRgb rgb = reportRgb(colour);
    panel->setText(text);
    panel->setColour(QColor(rgb.red, rgb.green, rgb.blue));
}

void applyComboFill(QComboBox* box, const ComboFill& fill) {
    box->setEnabled(fill.enabled);
    if (!fill.refill)
        return;
    box->clear();
    for (const std::string& item : fill.items)
        box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(-1);
}

void applyListsFill(const FrequencyControls& controls, const ComboFill& multiplier,
                    const ComboFill& voltage, bool setEnabled) {
    applyComboFill(controls.multiplier, multiplier);
    applyComboFill(controls.voltage, voltage);
    controls.set->setEnabled(setEnabled);
}

void setInitialItems(QComboBox* box, const std::vector<std::string>& items) {
    for (const std::string& item : items)
        box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(-1);
}

bool changeIntelOperatingPoint(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family,
                               const FrequencyControls& controls) {
    IntelTransition transition(msr, ui, family);
    const auto current = transition.readCurrent();
    if (!current)
        return false;
    // A code without a place in the voltage table is refused by the engine before any write,
    // with its reason in the report panel.
    const IntelTransition::RatioVid target = IntelTransition::targetsFromTexts(
        family, selectedText(controls.multiplier), selectedText(controls.voltage), *current);
    return transition.changeFrom(*current, target) != IntelTransition::Outcome::Failed;
}

bool restoreIntelOperatingPoint(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family,
                                uint64_t control, uint64_t status) {
    IntelTransition transition(msr, ui, family);
    const auto current = transition.readCurrent();
    if (!current)
        return false;
    // 198h bits 15..8: ratio, 7..0: VID.
    const IntelTransition::RatioVid target{uint8_t(status >> 8), uint8_t(status)};
    return transition.changeFrom(*current, target) != IntelTransition::Outcome::Failed &&
           putBackIdleControl(msr, kIntelPStateRegisters, control, intelControlIdle);
}

std::optional<uint64_t> aimedIntelStatus(MsrBuffer& msr, IntelFamily family,
                                         const FrequencyControls& controls) {
    const std::optional<uint64_t> status = readRegister(msr, kIntelPStateRegisters.status);
    if (!status)
        return std::nullopt;
    const IntelTransition::RatioVid current{uint8_t(*status >> 8), uint8_t(*status)};
    const IntelTransition::RatioVid target = IntelTransition::targetsFromTexts(
        family, selectedText(controls.multiplier), selectedText(controls.voltage), current);
    return withIntelOperatingPoint(*status, target.ratio, target.vid);
}

}  // namespace zandro
