// The Pentium 4 page's thermal tab: the shared Intel groups plus the Thermal Monitor 2 target.

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "Pentium4Page.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "core/MsrBuffer.h"
#include "core/NetBurstCapabilities.h"
#include "pstates/CodeTables.h"

namespace zandro {

namespace {

constexpr int kFirstTargetMultiplier = 3;
constexpr int kTargetMultipliers = 23;  // 3x .. 25x
constexpr int kTargetVoltages = 62;     // 1.6000V down to 0.8375V

}  // namespace

void Pentium4Page::buildThermal(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    thermalTab = new ThermalMonitorTab(
        builder, ThermalFamily::NetBurst, context(), [this] { NetBurst_RefreshStatus(); }, this);
    thermalTab->addRecords(m_rows.records());

    QGroupBox* target = builder.group(QStringLiteral(" Thermal Monitor 2 Target "));
    m_tm2Multiplier = builder.status(target, QStringLiteral("NetBurst_TM2targetMultiplier"),
                                     QStringLiteral("Multiplier:"));
    m_tm2Voltage = builder.status(target, QStringLiteral("NetBurst_TM2targetVoltage"),
                                  QStringLiteral("Voltage:"));
    NetBurst_TM2MultiplierCombo =
        builder.combo(target, QStringLiteral("NetBurst_TM2MultiplierCombo"),
                      QStringLiteral("Change Multiplier to: "));
    for (int i = 0; i < kTargetMultipliers; ++i)
        NetBurst_TM2MultiplierCombo->addItem(QString::number(i + kFirstTargetMultiplier) +
                                             QLatin1Char('x'));
    NetBurst_TM2VoltageCombo = builder.combo(target, QStringLiteral("NetBurst_TM2VoltageCombo"),
                                             QStringLiteral("at a Voltage of: "));
    // 1.6000 V down in 12.5 mV steps, counted in tenths of a millivolt to stay exact.
    for (int i = 0; i < kTargetVoltages; ++i) {
        const int tenths = 16000 - 125 * i;
        NetBurst_TM2VoltageCombo->addItem(QStringLiteral("%1.%2V")
                                              .arg(tenths / 10000)
                                              .arg(tenths % 10000, 4, 10, QLatin1Char('0')));
    }
    NetBurst_TM2MultiplierCombo->setCurrentIndex(-1);
    NetBurst_TM2VoltageCombo->setCurrentIndex(-1);
    m_setTm2Target =
        builder.button(target, QStringLiteral("NetBurst_SetNewTM2target"), QStringLiteral("Set"));
    connect(m_setTm2Target, &QPushButton::clicked, this,
            [this] { NetBurst_SetNewTM2targetClick(); });
    builder.finish();
}

void Pentium4Page::NetBurst_ThermalMonitorShow() {
    Platform& platform = context().platform;
    context().host.setOverheatingTimer(true);
    const bool protect = context().flags.UserProtection;
    const bool model01 = protect && IsNetBurstModel01(platform);
    const bool slow12 = protect && (model01 || IsSlowNetBurstModel23(platform));
    thermalTab->dutyButtons[2]->setEnabled(!model01);
    thermalTab->dutyButtons[1]->setEnabled(!slow12);
    const bool tm2 = !protect || HasTM2(platform);
    for (QWidget* control : std::initializer_list<QWidget*>{
             thermalTab->monitorButtons[2], m_tm2Multiplier, m_tm2Voltage,
             NetBurst_TM2MultiplierCombo, NetBurst_TM2VoltageCombo, m_setTm2Target})
        control->setEnabled(tm2);
    NetBurst_RefreshStatus();
}

void Pentium4Page::NetBurst_ThermalMonitorExit() {
    context().host.setOverheatingTimer(false);
}

void Pentium4Page::NetBurst_SetNewTM2targetClick() {
    MsrBuffer& msr = context().msr;
    msr.Index = ThermalMonitorTab::kTm2Control;
    msr.ReadMsr();
    const int multiplier = NetBurst_TM2MultiplierCombo->currentIndex();
    const int voltage = NetBurst_TM2VoltageCombo->currentIndex();
    if (multiplier >= 0)
        msr.Low = (msr.Low & 0xFFu) | (uint32_t(multiplier + kFirstTargetMultiplier) << 8);
    if (voltage >= 0) {
        const std::string text = NetBurst_TM2VoltageCombo->currentText().left(10).toStdString();
        uint32_t code = 0;
        for (uint32_t vid = 0; vid < 64; ++vid) {
            if (NetBurst_VidToText(uint8_t(vid)) == text) {
                code = vid;
                break;
            }
        }
        msr.Low = (msr.Low & 0xFF00u) | code;
    }
    if (multiplier >= 0 || voltage >= 0)
        msr.WriteMsr();
    NetBurst_RefreshStatus();
}

}  // namespace zandro
