#include "Pentium4Page.h"

#include <QComboBox>
#include <QPushButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "pstates/ListFillers.h"

namespace zandro {

Pentium4Page::Pentium4Page(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlP4"), FamilyPentium4, context, parent) {
    addSheet(QStringLiteral("NetBurst_Information"), QStringLiteral("Information"));
    addSheet(QStringLiteral("NetBurst_ErrorChecking"), QStringLiteral("Error Checking"));
    addSheet(QStringLiteral("NetBurst_Features"), QStringLiteral("Features"));
    TabSheet* thermal =
        addSheet(QStringLiteral("NetBurst_ThermalMonitor"), QStringLiteral("Thermal Monitor"));
    {
        SheetBuilder thermalBuilder(thermal, true);
        thermalTab = new ThermalMonitorTab(
            thermalBuilder, ThermalFamily::NetBurst, context, [this] { refreshStatus(); }, this);
        thermalBuilder.finish();
    }
    thermal->onShow = [this] { this->context().host.setOverheatingTimer(true); };
    thermal->onExit = [this] { this->context().host.setOverheatingTimer(false); };
    TabSheet* control = addSheet(QStringLiteral("NetBurst_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));

    SheetBuilder builder(control);
    frequency = addMultiplierGroup(builder, QStringLiteral("NetBurst"));
    setInitialItems(frequency.multiplier, NetBurst_InitialMultiplierItems());
    NetBurst_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("NetBurst"));
    builder.finish();

    makeFrequencyControlTab(control);
}

void Pentium4Page::refreshStatus() {
    thermalTab->refreshClockModulation();
}

void Pentium4Page::fillLists() {
    const IntelLists lists = NetBurst_NaplnitKomba(context().msr, context().flags.UserProtection);
    applyComboFill(frequency.multiplier, lists.multiplier);
    applyComboFill(frequency.voltage, lists.voltage);
    frequency.set->setEnabled(lists.buttonEnabled);
}

}  // namespace zandro
