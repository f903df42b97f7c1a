#include "PentiumMThermal.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "TabSheet.h"
#include "core/MsrBuffer.h"

namespace zandro {

namespace {

constexpr uint32_t kClockModulation = 0x19A;
constexpr uint32_t kThermalStatus = 0x19C;
constexpr uint32_t kThermalControl2 = 0x19D;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr unsigned kTm1Bit = 3;        // 1A0h
constexpr unsigned kTm2Select = 16;    // 19Dh
constexpr uint32_t kDutyField = 0x1E;  // 19Ah bits 4..1
constexpr uint32_t kDutyEnable = 0x10;

struct Button {
    const char* name;
    const char* caption;
};

const std::array<Button, PentiumMThermal::kMonitorButtons> kMonitor = {{
    {"PMobile_ThermalMonitorDIS", "Disable"},
    {"PMobile_ThermalMonitor1EN", "Enable Thermal Monitor 1"},
    {"PMobile_ThermalMonitor2EN", "Enable Thermal Monitor 2"},
}};

// By position (0 disable, then code 1..7); laid out in the rows of kDutyRows.
const std::array<Button, PentiumMThermal::kDutyButtons> kDuty = {{
    {"PMobile_OnDemandDutyDIS", "Disable"},
    {"PMobile_OnDemandDuty12", "12.5 %"},
    {"PMobile_OnDemandDuty25", "25.0 %"},
    {"PMobile_OnDemandDuty37", "37.5 %"},
    {"PMobile_OnDemandDuty50", "50.0 %"},
    {"PMobile_OnDemandDuty62", "62.5 %"},
    {"PMobile_OnDemandDuty75", "75.0 %"},
    {"PMobile_OnDemandDuty87", "87.5 %"},
}};
const std::array<std::array<int, 3>, 3> kDutyRows = {{{0, 7, 6}, {5, 4, 3}, {2, 1, -1}}};

const std::array<const char*, 8> kDutyTexts = {
    "",
    "12.5% of performance",
    "25.0% of performance",
    "37.5% of performance",
    "50.0% of performance",
    "62.5% of performance",
    "75.0% of performance",
    "87.5% of performance",
};

}  // namespace

PentiumMThermal::PentiumMThermal(TabSheet* sheet, MsrBuffer& msr, std::function<void()> refresh)
    : QObject(sheet), m_msr(msr), m_refresh(std::move(refresh)) {
    SheetBuilder builder(sheet, true);
    QGroupBox* slowDown = builder.group(QStringLiteral(" Slow Down When Overheating Protection "));
    PMobile_ThermalMonitorStatus =
        builder.status(slowDown, QStringLiteral("PMobile_ThermalMonitorStatus"));
    for (int i = 0; i < kMonitorButtons; ++i) {
        monitorButtons[size_t(i)] =
            builder.radio(slowDown, QString::fromLatin1(kMonitor[size_t(i)].name),
                          QString::fromLatin1(kMonitor[size_t(i)].caption));
        builder.endRow(slowDown);
        connect(monitorButtons[size_t(i)], &QRadioButton::clicked, this,
                [this, i] { thermalMonitorClick(i); });
    }

    QGroupBox* overheat = builder.group(QStringLiteral(" Overheating Status "));
    PMobile_OverheatOccured = builder.status(overheat, QStringLiteral("PMobile_OverheatOccured"),
                                             QStringLiteral("Overheat occured since last check:"));
    PMobile_Temperature = builder.status(overheat, QStringLiteral("PMobile_Temperature"),
                                         QStringLiteral("Current temperature:"));
    PMobile_Temperature->setText(QString());
    PMobile_Temperature->setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(0, 128, 0);"));
    // Shown over the panel while the sensor reports too hot.
    lblPMobile_Temperature = new QLabel(PMobile_Temperature);
    lblPMobile_Temperature->setObjectName(QStringLiteral("lblPMobile_Temperature"));
    lblPMobile_Temperature->setAlignment(Qt::AlignCenter);
    lblPMobile_Temperature->setStyleSheet(
        QStringLiteral("font-weight: bold; color: rgb(255, 0, 0);"));
    auto* fill = new QHBoxLayout(PMobile_Temperature);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(lblPMobile_Temperature);
    lblPMobile_Temperature->hide();
    PMobile_NewOverheatCheck = builder.button(overheat, QStringLiteral("PMobile_NewOverheatCheck"),
                                              QStringLiteral("New overheat check"));
    connect(PMobile_NewOverheatCheck, &QPushButton::clicked, this,
            [this] { PMobile_NewOverheatCheckClick(); });

    QGroupBox* duty = builder.group(QStringLiteral(" On-Demand Clock Modulation "));
    PMobile_OnDemandDuty = builder.status(duty, QStringLiteral("PMobile_OnDemandDuty"));
    for (const auto& row : kDutyRows) {
        for (int position : row) {
            if (position < 0)
                continue;
            const Button& button = kDuty[size_t(position)];
            dutyButtons[size_t(position)] = builder.radio(duty, QString::fromLatin1(button.name),
                                                          QString::fromLatin1(button.caption));
            connect(dutyButtons[size_t(position)], &QRadioButton::clicked, this,
                    [this, position] { onDemandClick(position); });
        }
        builder.endRow(duty);
    }
    builder.finish();
}

void PentiumMThermal::showThermalMonitorStatus() {
    m_msr.Index = kMiscEnable;
    m_msr.ReadMsr();
    if (!m_msr.MsrBit(kTm1Bit)) {
        PMobile_ThermalMonitorStatus->setText(QStringLiteral("Disabled"));
        return;
    }
    m_msr.Index = kThermalControl2;
    m_msr.ReadMsr();
    PMobile_ThermalMonitorStatus->setText(m_msr.MsrBit(kTm2Select)
                                              ? QStringLiteral("Thermal Monitor 2 Enabled")
                                              : QStringLiteral("Thermal Monitor 1 Enabled"));
}

void PentiumMThermal::showOnDemandStatus() {
    m_msr.Index = kClockModulation;
    m_msr.ReadMsr();
    if (!m_msr.MsrBit(4)) {
        PMobile_OnDemandDuty->setText(QStringLiteral("Disabled"));
        return;
    }
    // Code 0 with the enable bit set names no duty cycle: the panel keeps its text.
    const auto code = size_t(m_msr.MsrBits(3, 1));
    if (code != 0)
        PMobile_OnDemandDuty->setText(QString::fromLatin1(kDutyTexts[code]));
}

void PentiumMThermal::PMobile_NewOverheatCheckClick() {
    m_msr.Index = kThermalStatus;
    m_msr.ReadMsr();
    m_msr.Low &= ~uint32_t(2);
    m_msr.WriteMsr();
    m_refresh();
}

void PentiumMThermal::thermalMonitorClick(int position) {
    if (position < 0 || position >= kMonitorButtons)
        return;
    if (position > 0) {
        // Choose the monitor first, then switch it on.
        m_msr.Index = kThermalControl2;
        m_msr.ReadMsr();
        if (position == 2)
            m_msr.Low |= uint32_t(1) << kTm2Select;
        else
            m_msr.Low &= ~(uint32_t(1) << kTm2Select);
        m_msr.WriteMsr();
    }
    m_msr.Index = kMiscEnable;
    m_msr.ReadMsr();
    if (position == 0)
        m_msr.Low &= ~(uint32_t(1) << kTm1Bit);
    else
        m_msr.Low |= uint32_t(1) << kTm1Bit;
    m_msr.WriteMsr();
    m_refresh();
}

void PentiumMThermal::onDemandClick(int position) {
    if (position < 0 || position >= kDutyButtons)
        return;
    m_msr.Index = kClockModulation;
    m_msr.ReadMsr();
    m_msr.Low &= ~kDutyField;
    if (position > 0)
        m_msr.Low |= kDutyEnable | (uint32_t(position) << 1);
    m_msr.WriteMsr();
    m_refresh();
}

int PentiumMThermal::checkedThermalMonitor() const {
    return checkedPosition(monitorButtons);
}

int PentiumMThermal::checkedOnDemand() const {
    return checkedPosition(dutyButtons);
}

}  // namespace zandro
