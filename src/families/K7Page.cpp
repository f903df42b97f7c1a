#include "K7Page.h"

#include <QComboBox>
#include <QPushButton>

#include "EditBox.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/MsrBuffer.h"
#include "pstates/ListFillers.h"

namespace zandro {

K7Page::K7Page(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlK7"), FamilyAthlonK7, context, parent) {
    addSheet(QStringLiteral("K7_Information"), QStringLiteral("Information"));
    addSheet(QStringLiteral("K7_CLKCTL"), QStringLiteral("Low Power Modes"));
    addSheet(QStringLiteral("K7_Features"), QStringLiteral("Features"));
    addSheet(QStringLiteral("K7_FrequencyVoltageInfo"),
             QStringLiteral("Frequency && Voltage Info"));
    TabSheet* control = addSheet(QStringLiteral("K7_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));

    SheetBuilder builder(control);
    frequency = addMultiplierGroup(builder, QStringLiteral("K7"));
    setInitialItems(frequency.multiplier, K7_InitialMultiplierItems());
    setInitialItems(frequency.voltage, K7_InitialVoltageItems());
    K7_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("K7"));
    QGroupBox* cycles =
        builder.group(QStringLiteral(" Number of system bus FID/VID stabilization cycles "));
    K7_StopGrantCyclesBox = builder.edit(cycles, QStringLiteral("K7_StopGrantCyclesBox"),
                                         QStringLiteral("Select 0 - 1048575:"), 7);
    K7_StopGrantCyclesBox->setText(QStringLiteral("10000"));
    K7_StopGrantCyclesBox->setDigitsOnly(true);
    builder.finish();

    makeFrequencyControlTab(control);
}

// The statuses of this family are not decoded yet; the page shows its frame only.
void K7Page::refreshStatus() {}

void K7Page::fillLists() {
    const K7Lists lists = K7_NaplnitKomba(context().msr, context().flags.UserProtection);
    applyComboFill(frequency.multiplier, lists.multiplier);
    applyComboFill(frequency.voltage, lists.voltage);
    frequency.set->setEnabled(lists.buttonEnabled);
    K7_StopGrantCyclesBox->setEnabled(lists.stopGrantEnabled);
}

}  // namespace zandro
