#include "PentiumMPage.h"

#include <QComboBox>
#include <QPushButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "pstates/ListFillers.h"

namespace zandro {

PentiumMPage::PentiumMPage(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlPentiumM"), FamilyPentiumM, context, parent) {
    addSheet(QStringLiteral("PMobile_Information"), QStringLiteral("Information"));
    addSheet(QStringLiteral("PMobile_Features"), QStringLiteral("Features"));
    addSheet(QStringLiteral("PMobile_L2cache"), QStringLiteral("Level 2 cache"));
    addSheet(QStringLiteral("PMobile_ThermalMonitor"), QStringLiteral("Thermal Monitor"));
    TabSheet* control = addSheet(QStringLiteral("PMobile_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));

    SheetBuilder builder(control);
    frequency = addMultiplierGroup(builder, QStringLiteral("PMobile"));
    setInitialItems(frequency.voltage, PMobile_InitialVoltageItems());
    PMobile_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("PMobile"));
    builder.finish();

    makeFrequencyControlTab(control);
}

// The statuses of this family are not decoded yet; the page shows its frame only.
void PentiumMPage::refreshStatus() {}

void PentiumMPage::fillLists() {
    const IntelLists lists = PMobile_NaplnitKomba(context().msr, context().flags.UserProtection);
    applyComboFill(frequency.multiplier, lists.multiplier);
    applyComboFill(frequency.voltage, lists.voltage);
    frequency.set->setEnabled(lists.buttonEnabled);
}

}  // namespace zandro
