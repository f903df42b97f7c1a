#include "Pentium4Page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "config/Pentium4Rows.h"
#include "core/MsrBuffer.h"
#include "core/NetBurstCapabilities.h"
#include "pstates/CodeTables.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kEngineeringSample = 0x17;
constexpr uint32_t kEbcHardPowerOn = 0x2A;
constexpr uint32_t kEbcFrequencyId = 0x2C;
constexpr uint32_t kMicrocodeSignature = 0x8B;
constexpr uint32_t kPerfStatus = 0x198;
constexpr uint32_t kPlatformFeature = 0x1A1;

// The two feature rows whose status shows only where the processor has them, protection or not.
constexpr size_t kL3Row = rowOf(kNetBurstFeatureRows, 232);
constexpr size_t kSpeedStepRow = rowOf(kNetBurstFeatureRows, 239);

// The 198h panels of the frequency tab.
constexpr std::array<std::pair<const char*, const char*>, 4> kPerformancePanels = {{
    {"NetBurst_CurrentMultiplier", "Current Multiplier:"},
    {"NetBurst_MaximumMultiplier", "Maximum Multiplier:"},
    {"NetBurst_CurrentVoltage", "Current Voltage:"},
    {"NetBurst_MaximumVoltage", "Maximum Voltage:"},
}};

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
    : FamilyPage(QStringLiteral("pgctrlP4"), FamilyPentium4, context, parent),
      m_rows(context, [this] { NetBurst_RefreshStatus(); }) {
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
    makeFrequencyControlTab(control);

    // The panels of the rows the processor may lack stay grey until the Features tab shows; the
    // third-level cache's follows every refresh instead.
    for (const OptionRow& row : kNetBurstFeatureRows) {
        if (row.need != RowNeed::Nothing && &row != &kNetBurstFeatureRows[kL3Row])
            m_rows.controls(row).panel->setEnabled(false);
    }
}

void Pentium4Page::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_inOrderQueue = builder.status(builder.group(QStringLiteral(" In Orded Queue Depth ")),
                                    QStringLiteral("NetBurst_InOrderQueueDepth"));
    const auto [bus, busButtons] = m_rows.build(builder, kNetBurstBusGroup);
    m_bus = bus;
    for (QRadioButton* button : busButtons)
        button->setVisible(false);
    QGroupBox* multipliers = builder.group(QStringLiteral(" Multiplier Information "));
    const auto add = [&](const char* name, const char* label) {
        return builder.status(multipliers, QLatin1String(name), QLatin1String(label));
    };
    m_nominal = add("NetBurst_NominalMulti", "Nominal:");
    m_maximum = add("NetBurst_MaximumMulti", "Maximum:");
    m_minimum = add("NetBurst_MinimumMulti", "Minimum:");
    m_frequencyLock = add("NetBurst_FrequencyLock", "Frequency locked:");
    m_speedStepSupport = add("NetBurst_SpeedStepSupport", "SpeedStep Supported:");
    m_engineeringSample = add("NetBurst_ESchip", "ES:");
    m_powerClass = add("NetBurst_PrescottPowerClass", "FMB specification:");
    m_microcode = builder.status(builder.group(QStringLiteral(" Microcode Update Signature ")),
                                 QStringLiteral("NetBurst_MicrocodeUpdateSignature"));
    builder.finish();
}

void Pentium4Page::buildErrorChecking(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_rows.build(builder, kNetBurstErrorRows);
    builder.finish();
}

void Pentium4Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    m_rows.build(builder, kNetBurstFeatureRows);
    builder.finish();
}

void Pentium4Page::buildFrequencyControl(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    frequency = addMultiplierGroup(builder, QStringLiteral("NetBurst"));
    setInitialItems(frequency.multiplier, NetBurst_InitialMultiplierItems());
    connect(frequency.set, &QPushButton::clicked, this,
            [this] { NetBurst_InitiateFIDVIDChangeButtonClick(); });
    QGroupBox* info = builder.group(QStringLiteral(" Multiplier / Voltage Info: "));
    for (size_t i = 0; i < kPerformancePanels.size(); ++i)
        m_performance[i] = builder.status(info, QLatin1String(kPerformancePanels[i].first),
                                          QLatin1String(kPerformancePanels[i].second));
    NetBurst_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("NetBurst"));
    NetBurst_TransitionReport =
        builder.status(qobject_cast<QGroupBox*>(NetBurst_CurrentCoreClock->parentWidget()),
                       QStringLiteral("NetBurst_TransitionReport"), QString());
    builder.finish();
}

void Pentium4Page::refreshBusAndMultipliers() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    msr.Index = kEbcFrequencyId;
    msr.ReadMsr();
    m_bus->showRead(msr, QStringLiteral("Unknown"));
    if (IsNetBurstModel01(platform)) {
        if (msr.MsrBits(23, 21) == 0)
            m_bus->showRead(msr, QStringLiteral("100 MHz"));
        m_nominal->showRead(msr, oldNominalMultiplier(unsigned(msr.MsrBits(11, 8))));
        return;
    }
    m_bus->showRead(msr, newBusFrequency(unsigned(msr.MsrBits(18, 16))));
    const auto maximum = int64_t(msr.MsrBits(7, 0));
    m_nominal->showRead(msr, multiplier(int64_t(msr.MsrBits(31, 24))));
    m_maximum->showRead(msr, multiplier(maximum));
    m_minimum->showRead(msr, multiplier(maximum - int64_t(msr.MsrBits(15, 8))));
    m_frequencyLock->showRead(msr, yesNo(msr.MsrBit(20)));
    m_speedStepSupport->showRead(msr, yesNo(msr.MsrBit(21)));
    msr.Index = kEngineeringSample;
    msr.ReadMsr();
    m_engineeringSample->showRead(msr, yesNo(!msr.MsrBit(49)));
}

void Pentium4Page::refreshFeatures() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    msr.Index = kNetBurstMiscEnable;
    msr.ReadMsr();
    const bool hasL3 = HasL3Cache(platform);
    const bool hasEist = HasEIST(platform);
    for (const OptionRow& row : kNetBurstFeatureRows) {
        if (&row == &kNetBurstFeatureRows[kL3Row] && !hasL3)
            m_rows.controls(row).panel->setEnabled(false);
        else if (&row == &kNetBurstFeatureRows[kSpeedStepRow] && !hasEist)
            m_rows.controls(row).panel->setText(QStringLiteral("Not Supported"));
        else if (m_rows.usable(row))
            m_rows.show(row);
    }
    thermalTab->showNetBurstMonitorStatus(msr, HasTM2(platform));
}

void Pentium4Page::refreshTargetAndPerformance() {
    MsrBuffer& msr = context().msr;
    const bool read = !context().flags.UserProtection || IsNetBurstModel3Up(context().platform);
    for (StatusPanel* panel : m_performance)
        panel->setEnabled(read);
    if (!read)
        return;
    msr.Index = ThermalMonitorTab::kTm2Control;
    msr.ReadMsr();
    m_tm2Multiplier->showRead(msr, multiplier(int64_t(msr.MsrBits(15, 8))));
    m_tm2Voltage->showRead(msr,
                           QString::fromStdString(NetBurst_VidToText(uint8_t(msr.MsrBits(7, 0)))));
    msr.Index = kPerfStatus;
    msr.ReadMsr();
    const auto vid = [&msr](unsigned high, unsigned low) {
        return QString::fromStdString(NetBurst_VidToText(uint8_t(msr.MsrBits(high, low))));
    };
    m_performance[0]->showRead(msr, multiplier(int64_t(msr.MsrBits(15, 8))));
    // 198h bits 47..40 and 39..32 hold the highest ratio and VID; 31..24 and 23..16 the lowest.
    m_performance[1]->showRead(msr, multiplier(int64_t(msr.MsrBits(47, 40))));
    m_performance[2]->showRead(msr, vid(7, 0));
    m_performance[3]->showRead(msr, vid(39, 32));
}

void Pentium4Page::NetBurst_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    refreshBusAndMultipliers();

    msr.Index = kEbcHardPowerOn;
    msr.ReadMsr();
    m_inOrderQueue->showRead(
        msr, msr.MsrBit(2) ? QStringLiteral("1 entry") : QStringLiteral("12 entry"));

    msr.Index = kMicrocodeSignature;
    msr.ReadMsr();
    m_microcode->showRead(msr, QString::number(msr.High));

    if (!context().flags.UserProtection || IsNetBurstModel3Up(context().platform)) {
        msr.Index = kPlatformFeature;
        msr.ReadMsr();
        m_powerClass->showRead(
            msr, msr.MsrBit(18) ? QStringLiteral("Performance") : QStringLiteral("Mainstream"));
    } else {
        m_powerClass->setText(QStringLiteral("N/A"));
    }

    msr.Index = kNetBurstErrorDisables;
    msr.ReadMsr();
    m_rows.show();

    refreshFeatures();
    thermalTab->refreshClockModulation();
    refreshTargetAndPerformance();
}

void Pentium4Page::NetBurst_InformationShow() {
    NetBurst_RefreshStatus();
}

void Pentium4Page::NetBurst_ErrorCheckingShow() {
    const bool on = !context().flags.UserProtection || HasEIST(context().platform);
    for (QRadioButton* button : m_rows.controls(kNetBurstFeatureRows[kSpeedStepRow]).buttons)
        button->setEnabled(on);
}

void Pentium4Page::NetBurst_FeaturesShow() {
    m_rows.enableUsable();
    NetBurst_RefreshStatus();
}

void Pentium4Page::fillLists() {
    showOrKeep(m_unbuiltLists, NetBurst_NaplnitKomba(context().msr, context().flags.UserProtection),
               [this](const IntelLists& lists) {
                   applyListsFill(frequency, lists.multiplier, lists.voltage, lists.buttonEnabled);
               });
}


}  // namespace zandro
