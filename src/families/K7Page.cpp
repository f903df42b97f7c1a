#include "K7Page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "EditBox.h"
#include "K7ClockControl.h"
#include "NameString.h"
#include "NameStringEditor.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"
#include "pstates/CodeTables.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kEfer = 0xC0000080;
constexpr uint32_t kSyscfg = 0xC0010010;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint32_t kManufacturingId = 0xC001001E;
constexpr uint32_t kFidVidStatus = 0xC0010042;

// One on/off feature: its register and bit, the panel texts, the buttons and the write kind.
struct FeatureRow {
    const char* caption;
    const char* panel;
    uint32_t index;
    unsigned bit;
    const char* whenClear;
    const char* whenSet;
    const char* onName;
    const char* offName;
    bool onSetsBit;  // SSE is enabled by clearing its disable bit
    bool flushing;
};

const std::array<FeatureRow, K7Page::kFeatureCount> kFeatures = {{
    {" System Call Extension ", "K7_SystemCallExtension", kEfer, 0, "Disabled", "Enabled",
     "K7_SystemCallExtensionEN", "K7_SystemCallExtensionDIS", true, false},
    {" System Data ECC Checking ", "K7_SystemECCchecking", kSyscfg, 15, "Disabled", "Enabled",
     "K7_SystemECCcheckingEN", "K7_SystemECCcheckingDIS", true, true},
    {" TLB Force Cacheable ", "K7_TLBforceCacheable", kHwcr, 3, "Disabled", "Enabled",
     "K7_TLBforceCacheableEN", "K7_TLBforceCacheableDIS", true, false},
    {" SSE Instruction Support ", "K7_SSEInstructionSupport", kHwcr, 15, "Enabled", "Disabled",
     "K7_SSEInstructionSupportEN", "K7_SSEInstructionSupportDIS", false, true},
}};

// The six fields of C0010042h on the info tab.
struct FidVidRow {
    const char* group;
    const char* label;
    const char* panel;
    unsigned high;
    unsigned low;
    bool voltage;
};

const std::array<FidVidRow, 6> kFidVidRows = {{
    {" Voltage ", "Current:", "K7_CurrentVoltage", 36, 32, true},
    {" Voltage ", "Startup:", "K7_StartupVoltage", 44, 40, true},
    {" Voltage ", "Maximum:", "K7_MaximumVoltage", 52, 48, true},
    {" Multiplier ", "Current:", "K7_CurrentMultiplier", 4, 0, false},
    {" Multiplier ", "Startup:", "K7_StartupMultiplier", 12, 8, false},
    {" Multiplier ", "Maximum:", "K7_MaximumMultiplier", 20, 16, false},
}};

const QString kNotSupported = QStringLiteral("Not Supported");
const QString kStopGrantCaption = QStringLiteral(" Stop Grant Clock Divisor ");
const QString kStopGrantHaltCaption = QStringLiteral(" Stop Grant / Halt Clock Divisor ");

QStringList toStringList(const auto& texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromLatin1(text));
    return list;
}

}  // namespace

K7Page::K7Page(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlK7"), FamilyAthlonK7, context, parent) {
    TabSheet* information =
        addSheet(QStringLiteral("K7_Information"), QStringLiteral("Information"));
    TabSheet* lowPower = addSheet(QStringLiteral("K7_CLKCTL"), QStringLiteral("Low Power Modes"));
    TabSheet* features = addSheet(QStringLiteral("K7_Features"), QStringLiteral("Features"));
    TabSheet* info = addSheet(QStringLiteral("K7_FrequencyVoltageInfo"),
                              QStringLiteral("Frequency && Voltage Info"));
    TabSheet* control = addSheet(QStringLiteral("K7_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));
    buildInformation(information);
    buildLowPowerModes(lowPower);
    buildFeatures(features);
    buildFrequencyInfo(info);
    buildFrequencyControl(control);

    for (TabSheet* sheet : {information, lowPower, features, info})
        sheet->onShow = [this] { K7_RefreshStatus(); };
    makeFrequencyControlTab(control);
}

K7Page::~K7Page() = default;

void K7Page::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    nameEditor = std::make_unique<NameStringEditor>(builder, "K7", context().msr,
                                                    [this] { K7_RefreshStatus(); });
    m_coreMultiplier = builder.status(
        builder.group(QStringLiteral(" FSB to Core Clock Multiplier (chipset settings) ")),
        QStringLiteral("K7_CoreMultiplier"));
    m_maskRevision =
        builder.status(builder.group(QStringLiteral(" Major / Minor Mask Set Revision Number ")),
                       QStringLiteral("K7_MaskRevision"));
    m_cpuNumber = builder.status(builder.group(QStringLiteral(" CPU Number in MP System ")),
                                 QStringLiteral("K7_CPUnumberInMP"));
    builder.finish();
}

K7Page::ClockRow K7Page::addClockRow(SheetBuilder& builder, const QString& caption,
                                     const QString& name, const QStringList& items, int preset) {
    ClockRow row;
    row.group = builder.group(caption);
    row.panel = builder.status(row.group, name);
    row.combo = builder.combo(row.group, name + QStringLiteral("Combo"), QStringLiteral("Set to:"));
    row.combo->addItems(items);
    row.combo->setCurrentIndex(preset);
    row.set = builder.button(row.group, name + QStringLiteral("SET"), QStringLiteral("Set"));
    return row;
}

void K7Page::buildLowPowerModes(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    const QStringList divisors = toStringList(kK7DivisorItems);
    m_halt = addClockRow(builder, QStringLiteral(" Halt Disconnect Clock Divisor "),
                         QStringLiteral("K7_HLTmulti"), divisors, 0);
    m_stopGrant =
        addClockRow(builder, kStopGrantCaption, QStringLiteral("K7_STPCLKmulti"), divisors, 0);
    m_timing = addClockRow(builder, QStringLiteral(" Clock Change Timing "),
                           QStringLiteral("K7_CLKtiming"), toStringList(kK7TimingItems), 2);
    K7_HLTmultiCombo = m_halt.combo;
    K7_STPCLKmultiCombo = m_stopGrant.combo;
    K7_CLKtimingCombo = m_timing.combo;
    connect(m_halt.set, &QPushButton::clicked, this, [this] { K7_HLTmultiSETClick(); });
    connect(m_stopGrant.set, &QPushButton::clicked, this, [this] { K7_STPCLKmultiSETClick(); });
    connect(m_timing.set, &QPushButton::clicked, this, [this] { K7_CLKtimingSETClick(); });

    QGroupBox* apic = builder.group(QStringLiteral(" APIC bus messages during clock ramp down "));
    m_apicMessages = builder.status(apic, QStringLiteral("K7_APICbusMessages"));
    m_apicButtons[0] =
        builder.radio(apic, QStringLiteral("K7_APICbusMessagesReject"), QStringLiteral("Reject"));
    m_apicButtons[1] = builder.radio(apic, QStringLiteral("K7_APICbusMessagesNoReject"),
                                     QStringLiteral("Do not reject"));
    connect(m_apicButtons[0], &QRadioButton::clicked, this,
            [this] { K7_APICbusMessagesRejectClick(); });
    connect(m_apicButtons[1], &QRadioButton::clicked, this,
            [this] { K7_APICbusMessagesNoRejectClick(); });
    builder.finish();
}

void K7Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    for (int row = 0; row < kFeatureCount; ++row) {
        const FeatureRow& feature = kFeatures[size_t(row)];
        QGroupBox* group = builder.group(QString::fromLatin1(feature.caption));
        m_featurePanels[size_t(row)] = builder.status(group, QString::fromLatin1(feature.panel));
        QRadioButton* on =
            builder.radio(group, QString::fromLatin1(feature.onName), QStringLiteral("Enable"));
        QRadioButton* off =
            builder.radio(group, QString::fromLatin1(feature.offName), QStringLiteral("Disable"));
        m_featureButtons[size_t(row)] = {on, off};
        connect(on, &QRadioButton::clicked, this, [this, row] { featureClick(row, true); });
        connect(off, &QRadioButton::clicked, this, [this, row] { featureClick(row, false); });
    }
    builder.finish();
}

void K7Page::buildFrequencyInfo(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    QGroupBox* group = nullptr;
    QString groupCaption;
    for (size_t i = 0; i < kFidVidRows.size(); ++i) {
        const FidVidRow& row = kFidVidRows[i];
        if (groupCaption != QLatin1String(row.group)) {
            groupCaption = QString::fromLatin1(row.group);
            group = builder.group(groupCaption);
        }
        m_fidVidPanels[i] =
            builder.status(group, QString::fromLatin1(row.panel), QString::fromLatin1(row.label));
    }
    builder.finish();
}

void K7Page::enableForModel(uint8_t model) {
    const bool protection = context().flags.UserProtection;
    // Model 1 has no clock divisors; models up to 4 have only the stop grant one, which then
    // serves the halt state too, and no APIC bus message control.
    const bool noDivisors = model == 1 && protection;
    const bool oldCore = model <= 4 && protection;
    for (QWidget* w :
         {static_cast<QWidget*>(m_stopGrant.panel), static_cast<QWidget*>(m_stopGrant.combo),
          static_cast<QWidget*>(m_stopGrant.set)})
        w->setEnabled(!noDivisors);
    for (QWidget* w :
         {static_cast<QWidget*>(m_halt.panel), static_cast<QWidget*>(m_halt.combo),
          static_cast<QWidget*>(m_halt.set), static_cast<QWidget*>(m_apicMessages),
          static_cast<QWidget*>(m_apicButtons[0]), static_cast<QWidget*>(m_apicButtons[1])})
        w->setEnabled(!noDivisors && !oldCore);
    m_stopGrant.group->setTitle(oldCore ? kStopGrantHaltCaption : kStopGrantCaption);
}

void K7Page::K7_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    const uint8_t model = ReadCpuid(platform).model;
    enableForModel(model);

    nameEditor->show(ReadNameString(msr));
    m_coreMultiplier->setText(QString::fromStdString(K7_ChipsetMultiplierText(msr)));

    msr.Index = kManufacturingId;
    msr.ReadMsr();
    m_maskRevision->setText(
        QStringLiteral("%1 / %2").arg(msr.MsrBits(7, 4)).arg(msr.MsrBits(3, 0)));

    msr.Index = kHwcr;
    msr.ReadMsr();
    m_cpuNumber->setText(QString::number(msr.MsrBits(31, 28)));

    // EFER, SYSCFG, HWCR: each read once and all its rows decoded.
    for (uint32_t index : {kEfer, kSyscfg, kHwcr}) {
        msr.Index = index;
        msr.ReadMsr();
        for (size_t row = 0; row < kFeatures.size(); ++row) {
            const FeatureRow& feature = kFeatures[row];
            if (feature.index == index)
                m_featurePanels[row]->setText(QString::fromLatin1(
                    msr.MsrBit(feature.bit) ? feature.whenSet : feature.whenClear));
        }
    }

    msr.Index = kK7ClockControl;
    msr.ReadMsr();
    showClockControl(model);

    const bool vid = HasVidControl(platform);
    const bool fid = HasFidControl(platform);
    m_voltageAdjustments->setText(vid ? QStringLiteral("Supported") : kNotSupported);
    m_frequencyAdjustments->setText(fid ? QStringLiteral("Supported") : kNotSupported);
    if (vid || fid || !context().flags.UserProtection) {
        msr.Index = kFidVidStatus;
        msr.ReadMsr();
        for (size_t i = 0; i < kFidVidRows.size(); ++i) {
            const FidVidRow& row = kFidVidRows[i];
            const auto code = uint8_t(msr.MsrBits(row.high, row.low));
            m_fidVidPanels[i]->setText(
                QString::fromStdString(row.voltage ? K7_VidToText(code) : K7_FidToText(code)));
        }
    } else {
        for (StatusPanel* panel : m_fidVidPanels)
            panel->setText(kNotSupported);
    }
}

// Decodes C001001Bh from the buffer; a field with no text leaves its panel as it was.
void K7Page::showClockControl(uint8_t model) {
    const MsrBuffer& msr = context().msr;
    const K7ClockControl clock = K7ClockControl::decode(msr.Low);
    if (model >= 6 && clock.haltDivisor)
        m_halt.panel->setText(QString::fromLatin1(kK7DivisorItems[*clock.haltDivisor]));
    if (clock.stopGrantDivisor)
        m_stopGrant.panel->setText(QString::fromLatin1(kK7DivisorItems[*clock.stopGrantDivisor]));
    if (clock.timing)
        m_timing.panel->setText(QString::fromLatin1(kK7TimingItems[*clock.timing]));
    m_apicMessages->setText(clock.apicRejected ? QStringLiteral("Rejected")
                                               : QStringLiteral("Not rejected"));
}

void K7Page::featureClick(int row, bool enable) {
    const FeatureRow& feature = kFeatures[size_t(row)];
    MsrBuffer& msr = context().msr;
    msr.Index = feature.index;
    msr.ReadMsr();
    const uint32_t mask = uint32_t(1) << feature.bit;
    if (enable == feature.onSetsBit)
        msr.Low |= mask;
    else
        msr.Low &= ~mask;
    if (feature.flushing)
        msr.WriteMsrFlushing();
    else
        msr.WriteMsr();
    K7_RefreshStatus();
}

void K7Page::writeClockControl(uint32_t clear, uint32_t set) {
    MsrBuffer& msr = context().msr;
    msr.Index = kK7ClockControl;
    msr.ReadMsr();
    msr.Low = (msr.Low & ~clear) | set;
    msr.WriteMsr();
    K7_RefreshStatus();
}

void K7Page::K7_APICbusMessagesRejectClick() {
    writeClockControl(kK7ApicRejectBit, kK7ApicRejectBit);
}
void K7Page::K7_APICbusMessagesNoRejectClick() {
    writeClockControl(kK7ApicRejectBit, 0);
}
void K7Page::K7_HLTmultiSETClick() {
    writeClockControl(kK7HaltDivisorMask,
                      K7ClockControl::haltDivisorBits(K7_HLTmultiCombo->currentIndex()));
}
void K7Page::K7_STPCLKmultiSETClick() {
    writeClockControl(kK7StopGrantDivisorMask,
                      K7ClockControl::stopGrantDivisorBits(K7_STPCLKmultiCombo->currentIndex()));
}
void K7Page::K7_CLKtimingSETClick() {
    writeClockControl(kK7TimingMask, K7ClockControl::timingBits(K7_CLKtimingCombo->currentIndex()));
}

void K7Page::fillLists() {
    const K7Lists lists = K7_NaplnitKomba(context().msr, context().flags.UserProtection);
    applyComboFill(frequency.multiplier, lists.multiplier);
    applyComboFill(frequency.voltage, lists.voltage);
    frequency.set->setEnabled(lists.buttonEnabled);
    K7_StopGrantCyclesBox->setEnabled(lists.stopGrantEnabled);
}

}  // namespace zandro
