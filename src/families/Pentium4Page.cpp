#include "Pentium4Page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "NetBurstOptionRows.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "core/MsrBuffer.h"
#include "core/NetBurstCapabilities.h"
#include "pstates/CodeTables.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kEngineeringSample = 0x17;
constexpr uint32_t kEbcHardPowerOn = 0x2A;
constexpr uint32_t kEbcSoftPowerOn = 0x2B;
constexpr uint32_t kEbcFrequencyId = 0x2C;
constexpr uint32_t kMicrocodeSignature = 0x8B;
constexpr uint32_t kPerfStatus = 0x198;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint32_t kPlatformFeature = 0x1A1;

// Models 0 and 1 code the nominal ratio in four bits, 8x..15x above 16x..23x.
QString oldNominalMultiplier(unsigned code) {
    return QString::number(code < 8 ? code + 16 : code) + QLatin1Char('x');
}

QString newBusFrequency(unsigned code) {
    static const char* const texts[] = {"100 MHz", "133 MHz", "200 MHz", "166 MHz", "266 MHz"};
    return code < 5 ? QString::fromLatin1(texts[code]) : QStringLiteral("Unknown");
}

QString multiplier(int64_t value) {
    return QString::number(value) + QLatin1Char('x');
}

QString yesNo(bool yes) {
    return yes ? QStringLiteral("Yes") : QStringLiteral("No");
}

}  // namespace

Pentium4Page::Pentium4Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlP4"), FamilyPentium4, context, parent) {
    if (build == PageBuild::Now)
        ensureBuilt();
}

void Pentium4Page::buildSheets() {
    TabSheet* information =
        addSheet(QStringLiteral("NetBurst_Information"), QStringLiteral("Information"));
    TabSheet* errorChecking =
        addSheet(QStringLiteral("NetBurst_ErrorChecking"), QStringLiteral("Error Checking"));
    TabSheet* features = addSheet(QStringLiteral("NetBurst_Features"), QStringLiteral("Features"));
    TabSheet* thermal =
        addSheet(QStringLiteral("NetBurst_ThermalMonitor"), QStringLiteral("Thermal Monitor"));
    TabSheet* control = addSheet(QStringLiteral("NetBurst_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));
    buildInformation(information);
    buildErrorChecking(errorChecking);
    buildFeatures(features);
    buildThermal(thermal);
    buildFrequencyControl(control);

    information->onShow = [this] { NetBurst_InformationShow(); };
    errorChecking->onShow = [this] { NetBurst_ErrorCheckingShow(); };
    features->onShow = [this] { NetBurst_FeaturesShow(); };
    thermal->onShow = [this] { NetBurst_ThermalMonitorShow(); };
    thermal->onExit = [this] { NetBurst_ThermalMonitorExit(); };
    control->onShow = [this] { NetBurst_FrequencyVoltageControlShow(); };
    control->onExit = [this] { NetBurst_FrequencyVoltageControlExit(); };

    for (const char* name : {"NetBurst_L1context", "NetBurst_MonitorMwait", "NetBurst_CPUIDlimit"})
        panel(QLatin1String(name))->setEnabled(false);
}

StatusPanel* Pentium4Page::panel(const QString& name) const {
    return m_panels.at(name);
}

void Pentium4Page::setEnabled(std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names) {
        if (QWidget* w = findChild<QWidget*>(QLatin1String(name)))
            w->setEnabled(enabled);
    }
}

void Pentium4Page::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    const auto add = [&](QGroupBox* group, const char* name, const char* label) {
        m_panels[QLatin1String(name)] =
            builder.status(group, QLatin1String(name), QLatin1String(label));
    };
    add(builder.group(QStringLiteral(" In Orded Queue Depth ")), "NetBurst_InOrderQueueDepth",
        "Status:");
    QGroupBox* bus = builder.group(QStringLiteral(" System Bus Frequency (Factory Settings) "));
    add(bus, "NetBurst_ExternalBusFrequency", "Status:");
    // Kept only for the configuration file, which stores which one the user chose.
    for (size_t position : {0, 1, 3, 2}) {  // shown from 100 to 200 MHz
        const BusRadio& row = kBusRadios[position];
        QRadioButton* radio =
            builder.radio(bus, QLatin1String(row.name), QLatin1String(row.caption));
        radio->setVisible(false);
        m_radios[QLatin1String(row.name)] = radio;
        m_actions[QLatin1String(row.name)] = [] {};
    }
    QGroupBox* multipliers = builder.group(QStringLiteral(" Multiplier Information "));
    add(multipliers, "NetBurst_NominalMulti", "Nominal:");
    add(multipliers, "NetBurst_MaximumMulti", "Maximum:");
    add(multipliers, "NetBurst_MinimumMulti", "Minimum:");
    add(multipliers, "NetBurst_FrequencyLock", "Frequency locked:");
    add(multipliers, "NetBurst_SpeedStepSupport", "SpeedStep Supported:");
    add(multipliers, "NetBurst_ESchip", "ES:");
    add(multipliers, "NetBurst_PrescottPowerClass", "FMB specification:");
    add(builder.group(QStringLiteral(" Microcode Update Signature ")),
        "NetBurst_MicrocodeUpdateSignature", "Status:");
    builder.finish();
}

void Pentium4Page::addBitOptions(SheetBuilder& builder, const NetBurstBitOption* rows,
                                 size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const NetBurstBitOption& row = rows[i];
        QGroupBox* group = builder.group(QLatin1String(row.caption));
        m_panels[QLatin1String(row.panel)] = builder.status(group, QLatin1String(row.panel));
        for (bool first : {true, false}) {
            const BitButton& button = first ? row.first : row.second;
            QRadioButton* radio =
                builder.radio(group, QLatin1String(button.name), QLatin1String(button.caption));
            m_radios[QLatin1String(button.name)] = radio;
            m_actions[QLatin1String(button.name)] = [this, &row, first] {
                bitOptionClick(row, first);
            };
            connect(radio, &QRadioButton::clicked, this,
                    [this, name = QLatin1String(button.name)] { clickOption(name); });
        }
    }
}

void Pentium4Page::buildErrorChecking(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    addBitOptions(builder, kErrorCheckingRows.data(), kErrorCheckingRows.size());
    builder.finish();
}

void Pentium4Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    addBitOptions(builder, kFeatureRows.data(), kFeatureRows.size());
    builder.finish();
}

void Pentium4Page::buildFrequencyControl(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    frequency = addMultiplierGroup(builder, QStringLiteral("NetBurst"));
    setInitialItems(frequency.multiplier, NetBurst_InitialMultiplierItems());
    connect(frequency.set, &QPushButton::clicked, this,
            [this] { NetBurst_InitiateFIDVIDChangeButtonClick(); });
    QGroupBox* info = builder.group(QStringLiteral(" Multiplier / Voltage Info: "));
    for (const auto& [name, label] : kPerformancePanels)
        m_panels[QLatin1String(name)] =
            builder.status(info, QLatin1String(name), QLatin1String(label));
    NetBurst_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("NetBurst"));
    NetBurst_TransitionReport =
        builder.status(qobject_cast<QGroupBox*>(NetBurst_CurrentCoreClock->parentWidget()),
                       QStringLiteral("NetBurst_TransitionReport"), QString());
    builder.finish();
}

void Pentium4Page::bitOptionClick(const NetBurstBitOption& row, bool first) {
    const BitButton& button = first ? row.first : row.second;
    MsrBuffer& msr = context().msr;
    msr.Index = row.index;
    msr.ReadMsr();
    msr.Low = (msr.Low & ~button.clear) | button.set;
    if (row.flushing)
        msr.WriteMsrFlushing();
    else
        msr.WriteMsr();
    NetBurst_RefreshStatus();
}

bool Pentium4Page::clickOption(const QString& buttonName) {
    const auto action = m_actions.find(buttonName);
    if (action == m_actions.end())
        return false;
    action->second();
    return true;
}

void Pentium4Page::refreshBusAndMultipliers() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    msr.Index = kEbcFrequencyId;
    msr.ReadMsr();
    StatusPanel* bus = panel(QStringLiteral("NetBurst_ExternalBusFrequency"));
    bus->showRead(msr, QStringLiteral("Unknown"));
    if (IsNetBurstModel01(platform)) {
        if (msr.MsrBits(23, 21) == 0)
            bus->showRead(msr, QStringLiteral("100 MHz"));
        panel(QStringLiteral("NetBurst_NominalMulti"))
            ->showRead(msr, oldNominalMultiplier(unsigned(msr.MsrBits(11, 8))));
        return;
    }
    bus->showRead(msr, newBusFrequency(unsigned(msr.MsrBits(18, 16))));
    const auto maximum = int64_t(msr.MsrBits(7, 0));
    panel(QStringLiteral("NetBurst_NominalMulti"))
        ->showRead(msr, multiplier(int64_t(msr.MsrBits(31, 24))));
    panel(QStringLiteral("NetBurst_MaximumMulti"))->showRead(msr, multiplier(maximum));
    panel(QStringLiteral("NetBurst_MinimumMulti"))
        ->showRead(msr, multiplier(maximum - int64_t(msr.MsrBits(15, 8))));
    panel(QStringLiteral("NetBurst_FrequencyLock"))->showRead(msr, yesNo(msr.MsrBit(20)));
    panel(QStringLiteral("NetBurst_SpeedStepSupport"))->showRead(msr, yesNo(msr.MsrBit(21)));
    msr.Index = kEngineeringSample;
    msr.ReadMsr();
    panel(QStringLiteral("NetBurst_ESchip"))->showRead(msr, yesNo(!msr.MsrBit(49)));
}

void Pentium4Page::refreshFeatures() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    const bool unprotected = !context().flags.UserProtection;
    msr.Index = kMiscEnable;
    msr.ReadMsr();
    const auto show = [&](size_t row) {
        const NetBurstBitOption& option = kFeatureRows[row];
        panel(QLatin1String(option.panel))
            ->showRead(msr,
                       QLatin1String(msr.MsrBit(option.bit) ? option.whenSet : option.whenClear));
    };
    show(kFastStringRow);
    show(kX87Row);
    if (HasL3Cache(platform))
        show(kL3Row);
    else
        panel(QStringLiteral("NetBurst_L3Cache"))->setEnabled(false);
    show(kPerfMonitorRow);
    show(kPrefetchRow);
    show(kCacheLineRow);
    if (HasL1ContextId(platform) || unprotected)
        show(kL1ContextRow);
    if (HasEIST(platform))
        show(kSpeedStepRow);
    else
        panel(QStringLiteral("NetBurst_EnhancedSpeedStep"))
            ->setText(QStringLiteral("Not Supported"));
    thermalTab->showNetBurstMonitorStatus(msr, HasTM2(platform));
    if (HasSSE3(platform) || unprotected)
        show(kMonitorMwaitRow);
    if (IsNetBurstModel3Up(platform) || unprotected)
        show(kCpuidLimitRow);
}

void Pentium4Page::refreshTargetAndPerformance() {
    MsrBuffer& msr = context().msr;
    const bool read = !context().flags.UserProtection || IsNetBurstModel3Up(context().platform);
    for (const auto& [name, label] : kPerformancePanels)
        panel(QLatin1String(name))->setEnabled(read);
    if (!read)
        return;
    msr.Index = ThermalMonitorTab::kTm2Control;
    msr.ReadMsr();
    panel(QStringLiteral("NetBurst_TM2targetMultiplier"))
        ->showRead(msr, multiplier(int64_t(msr.MsrBits(15, 8))));
    panel(QStringLiteral("NetBurst_TM2targetVoltage"))
        ->showRead(msr, QString::fromStdString(NetBurst_VidToText(uint8_t(msr.MsrBits(7, 0)))));
    msr.Index = kPerfStatus;
    msr.ReadMsr();
    panel(QStringLiteral("NetBurst_CurrentMultiplier"))
        ->showRead(msr, multiplier(int64_t(msr.MsrBits(15, 8))));
    // 198h bits 47..40 and 39..32 hold the highest ratio and VID; 31..24 and 23..16 the lowest.
    panel(QStringLiteral("NetBurst_MaximumMultiplier"))
        ->showRead(msr, multiplier(int64_t(msr.MsrBits(47, 40))));
    panel(QStringLiteral("NetBurst_CurrentVoltage"))
        ->showRead(msr, QString::fromStdString(NetBurst_VidToText(uint8_t(msr.MsrBits(7, 0)))));
    panel(QStringLiteral("NetBurst_MaximumVoltage"))
        ->showRead(msr, QString::fromStdString(NetBurst_VidToText(uint8_t(msr.MsrBits(39, 32)))));
}

void Pentium4Page::NetBurst_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    refreshBusAndMultipliers();

    msr.Index = kEbcHardPowerOn;
    msr.ReadMsr();
    panel(QStringLiteral("NetBurst_InOrderQueueDepth"))
        ->showRead(msr, msr.MsrBit(2) ? QStringLiteral("1 entry") : QStringLiteral("12 entry"));

    msr.Index = kMicrocodeSignature;
    msr.ReadMsr();
    panel(QStringLiteral("NetBurst_MicrocodeUpdateSignature"))
        ->showRead(msr, QString::number(msr.High));

    StatusPanel* powerClass = panel(QStringLiteral("NetBurst_PrescottPowerClass"));
    if (!context().flags.UserProtection || IsNetBurstModel3Up(context().platform)) {
        msr.Index = kPlatformFeature;
        msr.ReadMsr();
        powerClass->showRead(
            msr, msr.MsrBit(18) ? QStringLiteral("Performance") : QStringLiteral("Mainstream"));
    } else {
        powerClass->setText(QStringLiteral("N/A"));
    }

    msr.Index = kEbcSoftPowerOn;
    msr.ReadMsr();
    for (const NetBurstBitOption& row : kErrorCheckingRows) {
        panel(QLatin1String(row.panel))
            ->showRead(msr, QLatin1String(msr.MsrBit(row.bit) ? row.whenSet : row.whenClear));
    }

    refreshFeatures();
    thermalTab->refreshClockModulation();
    refreshTargetAndPerformance();
}

void Pentium4Page::NetBurst_InformationShow() {
    NetBurst_RefreshStatus();
}

void Pentium4Page::NetBurst_ErrorCheckingShow() {
    const bool on = !context().flags.UserProtection || HasEIST(context().platform);
    setEnabled({"NetBurst_EnhancedSpeedStepEN", "NetBurst_EnhancedSpeedStepDIS"}, on);
}

void Pentium4Page::NetBurst_FeaturesShow() {
    Platform& platform = context().platform;
    const bool unprotected = !context().flags.UserProtection;
    setEnabled({"NetBurst_L3Cache", "NetBurst_L3cacheEN", "NetBurst_L3cacheDIS"},
               HasL3Cache(platform) || unprotected);
    setEnabled({"NetBurst_L1context", "NetBurst_L1shared", "NetBurst_L1adaptive"},
               HasL1ContextId(platform) || unprotected);
    setEnabled({"NetBurst_MonitorMwait", "NetBurst_MonitorMwaitEN", "NetBurst_MonitorMwaitDIS"},
               HasSSE3(platform) || unprotected);
    setEnabled({"NetBurst_CPUIDlimit", "NetBurst_CPUIDlimitYES", "NetBurst_CPUIDlimitNO"},
               IsNetBurstModel3Up(platform) || unprotected);
    NetBurst_RefreshStatus();
}

void Pentium4Page::fillLists() {
    showOrKeep(m_unbuiltLists, NetBurst_NaplnitKomba(context().msr, context().flags.UserProtection),
               [this](const IntelLists& lists) {
                   applyListsFill(frequency, lists.multiplier, lists.voltage, lists.buttonEnabled);
               });
}

void Pentium4Page::NetBurst_FrequencyVoltageControlShow() {
    context().host.setFrequencyTimer(true);
    NetBurst_RefreshStatus();
}

void Pentium4Page::NetBurst_FrequencyVoltageControlExit() {
    context().host.setFrequencyTimer(false);
}

}  // namespace zandro
