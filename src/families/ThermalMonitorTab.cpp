#include "ThermalMonitorTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "OptionRows.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "TM_BlinkLabel.h"
#include "core/MsrBuffer.h"
#include "core/NetBurstCapabilities.h"

namespace zandro {

const QColor ThermalMonitorTab::kGreen(0, 128, 0);
const QColor ThermalMonitorTab::kRed(255, 0, 0);

namespace {

constexpr uint32_t kTm1Bit = 1u << 3;
constexpr uint32_t kNetBurstTm2Bit = 1u << 13;
constexpr uint32_t kPMobileTm2Select = 1u << 16;

}  // namespace

ThermalMonitorTab::ThermalMonitorTab(SheetBuilder& builder, ThermalFamily family,
                                     const PageContext& context, std::function<void()> refresh,
                                     QObject* parent)
    : QObject(parent),
      m_family(family),
      m_groups(family == ThermalFamily::NetBurst ? kNetBurstThermal : kPMobileThermal),
      m_context(context),
      m_refresh(std::move(refresh)) {
    setObjectName(name("_ThermalMonitorTab"));
    buildMonitorGroup(builder);
    buildOverheatGroup(builder);
    buildDutyGroup(builder);
}

QString ThermalMonitorTab::name(const char* suffix) const {
    return (m_family == ThermalFamily::NetBurst ? QStringLiteral("NetBurst")
                                                : QStringLiteral("PMobile")) +
           QLatin1String(suffix);
}

QString ThermalMonitorTab::buttonName(const ChoiceGroup& group, size_t position) {
    return QLatin1String(group.prefix) + QLatin1String(group.buttons[position].name);
}

void ThermalMonitorTab::buildMonitorGroup(SheetBuilder& builder) {
    const ChoiceGroup& monitor = m_groups.monitor;
    QGroupBox* group = builder.group(QString::fromLatin1(monitor.caption));
    ThermalMonitorStatus = builder.status(group, QString::fromLatin1(monitor.panel));
    for (size_t shown = 0; shown < monitorButtons.size(); ++shown) {
        const size_t position = monitor.shown[shown];
        builder.endRow(group);  // one above the other
        monitorButtons[shown] =
            builder.radio(group, buttonName(monitor, position),
                          QString::fromLatin1(monitor.buttons[position].caption));
        connect(monitorButtons[shown], &QRadioButton::clicked, this,
                [this, shown] { monitorClick(shown); });
    }
}

void ThermalMonitorTab::monitorClick(size_t shown) {
    if (shown == 0)
        ThermalMonitorDISClick();
    else if (shown == 1)
        ThermalMonitor1ENClick();
    else
        ThermalMonitor2ENClick();
}

void ThermalMonitorTab::buildOverheatGroup(SheetBuilder& builder) {
    QGroupBox* group = builder.group(QStringLiteral(" Overheating Status "));
    OverheatOccured = builder.status(group, name("_OverheatOccured"),
                                     QStringLiteral("Overheat occured since last check:"));
    Temperature =
        builder.status(group, name("_Temperature"), QStringLiteral("Current temperature:"));
    if (m_family == ThermalFamily::PMobile)
        Temperature->setText(QString());
    Temperature->setColour(kGreen);

    // The blinking "Too High" covers the panel while the sensor reports too hot.
    TemperatureBlink = new TM_BlinkLabel(Temperature);
    TemperatureBlink->setObjectName(QStringLiteral("lbl") + name("_Temperature"));
    TemperatureBlink->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    auto* layout = new QVBoxLayout(Temperature);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TemperatureBlink);
    TemperatureBlink->setBlink(true);
    TemperatureBlink->setVisible(false);

    NewOverheatCheck =
        builder.button(group, name("_NewOverheatCheck"), QStringLiteral("New overheat check"));
    connect(NewOverheatCheck, &QPushButton::clicked, this, [this] { NewOverheatCheckClick(); });
}

void ThermalMonitorTab::buildDutyGroup(SheetBuilder& builder) {
    const ChoiceGroup& duty = m_groups.duty;
    QGroupBox* group = builder.group(QString::fromLatin1(duty.caption));
    OnDemandDuty = builder.status(group, QString::fromLatin1(duty.panel));
    // Three buttons to a row, below the status; nothing follows them in the group.
    auto* rows = new QWidget;
    auto* layout = new QGridLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    int place = 0;
    for (const uint8_t code : duty.shown) {
        auto* button = new QRadioButton(QString::fromLatin1(duty.buttons[code].caption), rows);
        button->setObjectName(buttonName(duty, code));
        layout->addWidget(button, place / 3, place % 3);
        ++place;
        dutyButtons[code] = button;
        connect(button, &QRadioButton::clicked, this, [this, code] { OnDemandDutyClick(code); });
    }
    auto* grid = static_cast<QGridLayout*>(group->layout());
    grid->addWidget(rows, grid->rowCount(), 0, 1, grid->columnCount());
}

void ThermalMonitorTab::addRecords(RadioRecords& records) {
    for (size_t shown = 0; shown < monitorButtons.size(); ++shown)
        records.add(m_groups.monitor.code, m_groups.monitor.shown[shown], monitorButtons[shown],
                    [this, shown] { monitorClick(shown); });
    for (size_t code = 0; code < dutyButtons.size(); ++code)
        records.add(m_groups.duty.code, code, dutyButtons[code],
                    [this, code] { OnDemandDutyClick(int(code)); });
}

OverheatReading ThermalMonitorTab::readOverheat(MsrBuffer& msr) {
    msr.Index = kThermalStatus;
    const bool read = msr.ReadMsr();
    return {msr.MsrBit(0), msr.MsrBit(1), read};
}

void ThermalMonitorTab::showOverheat(OverheatReading reading) {
    // An unread 19Ch is no healthy "No" and "Normal": neither is known.
    if (!reading.read) {
        TemperatureBlink->setText(QString());
        for (StatusPanel* panel : {OverheatOccured, Temperature}) {
            panel->setText(QStringLiteral("---"));
            panel->setColour(QColor(Qt::black));
        }
        return;
    }
    OverheatOccured->setText(reading.logged ? QStringLiteral("Yes") : QStringLiteral("No"));
    OverheatOccured->setColour(reading.logged ? kRed : kGreen);
    if (reading.hot) {
        Temperature->setText(QString());
        TemperatureBlink->setText(QStringLiteral("Too High"));
    } else {
        TemperatureBlink->setText(QString());
        Temperature->setText(QStringLiteral("Normal"));
    }
}

void ThermalMonitorTab::showNetBurstMonitorStatus(const MsrBuffer& miscEnable, bool hasTM2) {
    const bool tm1 = miscEnable.MsrBit(3);
    const bool tm2 = miscEnable.MsrBit(13) && hasTM2;
    QString text;
    if (tm1 && tm2)
        text = QStringLiteral("T.Monitor 1 + T.Monitor 2 Enabled");
    else if (tm1)
        text = QStringLiteral("Thermal Monitor 1 Enabled");
    else if (tm2)
        text = QStringLiteral("Thermal Monitor 2 Enabled");
    else
        text = QStringLiteral("Disabled");
    ThermalMonitorStatus->showRead(miscEnable, text);
}

void ThermalMonitorTab::refreshPMobileMonitorStatus() {
    MsrBuffer& msr = m_context.msr;
    msr.Index = kMiscEnable;
    msr.ReadMsr();
    if (!msr.MsrBit(3)) {
        ThermalMonitorStatus->showRead(msr, QStringLiteral("Disabled"));
        return;
    }
    msr.Index = kTm2Control;
    msr.ReadMsr();
    ThermalMonitorStatus->showRead(msr, msr.MsrBit(16)
                                            ? QStringLiteral("Thermal Monitor 2 Enabled")
                                            : QStringLiteral("Thermal Monitor 1 Enabled"));
}

void ThermalMonitorTab::refreshClockModulation() {
    MsrBuffer& msr = m_context.msr;
    msr.Index = kClockModulation;
    msr.ReadMsr();
    if (!msr.MsrBit(4)) {
        OnDemandDuty->showRead(msr, QStringLiteral("Disabled"));
        return;
    }
    const auto code = unsigned(msr.MsrBits(3, 1));
    if (code == 0)
        return;  // enabled without a duty cycle: nothing sensible to show
    OnDemandDuty->setText(QStringLiteral("%1% of performance").arg(code * 12.5, 0, 'f', 1));
}

void ThermalMonitorTab::setMonitorBits(bool tm1, bool tm2) {
    MsrBuffer& msr = m_context.msr;
    if (m_family == ThermalFamily::PMobile) {
        // The Pentium M chooses between the two monitors in 19Dh and switches the chosen one in
        // 1A0h bit 3.
        if (tm1 || tm2) {
            msr.Index = kTm2Control;
            msr.ReadMsr();
            msr.Low = tm2 ? (msr.Low | kPMobileTm2Select) : (msr.Low & ~kPMobileTm2Select);
            msr.WriteMsr();
        }
        msr.Index = kMiscEnable;
        msr.ReadMsr();
        msr.Low = (tm1 || tm2) ? (msr.Low | kTm1Bit) : (msr.Low & ~kTm1Bit);
        msr.WriteMsr();
    } else {
        // Bit 13 is touched only on processors that have Thermal Monitor 2, except by its own
        // button.
        const bool touchTm2 = tm2 || HasTM2(m_context.platform);
        msr.Index = kMiscEnable;
        msr.ReadMsr();
        msr.Low = tm1 ? (msr.Low | kTm1Bit) : (msr.Low & ~kTm1Bit);
        if (touchTm2)
            msr.Low = tm2 ? (msr.Low | kNetBurstTm2Bit) : (msr.Low & ~kNetBurstTm2Bit);
        msr.WriteMsr();
    }
    m_refresh();
}

void ThermalMonitorTab::ThermalMonitorDISClick() {
    setMonitorBits(false, false);
}

void ThermalMonitorTab::ThermalMonitor1ENClick() {
    setMonitorBits(true, false);
}

void ThermalMonitorTab::ThermalMonitor2ENClick() {
    setMonitorBits(false, true);
}

void ThermalMonitorTab::OnDemandDutyClick(int code) {
    const ChoiceGroup& duty = m_groups.duty;
    writeButton(m_context.msr, duty.index, duty.buttons[size_t(code)], duty.write);
    m_refresh();
}

void ThermalMonitorTab::NewOverheatCheckClick() {
    MsrBuffer& msr = m_context.msr;
    msr.Index = kThermalStatus;
    msr.ReadMsr();
    msr.Low &= ~2u;
    msr.WriteMsr();
    m_refresh();
}

}  // namespace zandro
