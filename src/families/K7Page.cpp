#include "K7Page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "EditBox.h"
#include "K7ClockControl.h"
#include "NameString.h"
#include "NameStringEditor.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "config/K7Rows.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"
#include "pstates/CodeTables.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kManufacturingId = 0xC001001E;

// The six fields of C0010042h on the info tab.
const std::array<FidVidRow, 6> kFidVidRows = {{
    {" Voltage ", "Current:", "K7_CurrentVoltage", 36, 32, true},
    {" Voltage ", "Startup:", "K7_StartupVoltage", 44, 40, true},
    {" Voltage ", "Maximum:", "K7_MaximumVoltage", 52, 48, true},
    {" Multiplier ", "Current:", "K7_CurrentMultiplier", 4, 0, false},
    {" Multiplier ", "Startup:", "K7_StartupMultiplier", 12, 8, false},
    {" Multiplier ", "Maximum:", "K7_MaximumMultiplier", 20, 16, false},
}};

const QString kStopGrantCaption = QStringLiteral(" Stop Grant Clock Divisor ");
const QString kStopGrantHaltCaption = QStringLiteral(" Stop Grant / Halt Clock Divisor ");

QStringList toStringList(const auto& texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromLatin1(text));
    return list;
}

}  // namespace

K7Page::K7Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlK7"), FamilyAthlonK7, context, parent),
      m_rows(context, [this] { K7_RefreshStatus(); }),
      m_fidVidInfo(kFidVidRows, K7_VidToText, K7_FidToText) {
    if (build == PageBuild::Now)
        ensureBuilt();
}

void K7Page::buildSheets() {
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
    m_fidVidInfo.buildRows(info);
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
    for (ClockRow* row : {&m_halt, &m_stopGrant, &m_timing})
        connect(row->combo, &QComboBox::activated, this, [row] { row->picked = true; });
    connect(m_halt.set, &QPushButton::clicked, this, [this] { K7_HLTmultiSETClick(); });
    connect(m_stopGrant.set, &QPushButton::clicked, this, [this] { K7_STPCLKmultiSETClick(); });
    connect(m_timing.set, &QPushButton::clicked, this, [this] { K7_CLKtimingSETClick(); });

    m_rows.build(builder, kK7ApicRows);
    builder.finish();
}

void K7Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    m_rows.build(builder, kK7FeatureRows);
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
    for (QWidget* w : {static_cast<QWidget*>(m_halt.panel), static_cast<QWidget*>(m_halt.combo),
                       static_cast<QWidget*>(m_halt.set)})
        w->setEnabled(!noDivisors && !oldCore);
    m_rows.setUsable(kK7ApicRows[0], !noDivisors && !oldCore);
    m_stopGrant.group->setTitle(oldCore ? kStopGrantHaltCaption : kStopGrantCaption);
}

void K7Page::K7_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    const uint8_t model = ReadCpuid(platform).model;
    enableForModel(model);

    nameEditor->show(ReadNameString(msr));
    m_coreMultiplier->showRead(msr, QString::fromStdString(K7_ChipsetMultiplierText(msr)));

    msr.Index = kManufacturingId;
    msr.ReadMsr();
    m_maskRevision->showRead(
        msr, QStringLiteral("%1 / %2").arg(msr.MsrBits(7, 4)).arg(msr.MsrBits(3, 0)));

    msr.Index = kK7Hwcr;
    msr.ReadMsr();
    m_cpuNumber->showRead(msr, QString::number(msr.MsrBits(31, 28)));

    // EFER, SYSCFG, HWCR: each read once and all its rows decoded.
    for (uint32_t index : {kK7Efer, kK7Syscfg, kK7Hwcr}) {
        msr.Index = index;
        msr.ReadMsr();
        m_rows.show();
    }

    msr.Index = kK7ClockControl;
    msr.ReadMsr();
    showClockControl(model);

    m_fidVidInfo.refresh(msr, platform, context().flags.UserProtection);
}

// Decodes C001001Bh from the buffer; a field with no text leaves its panel as it was. The lists
// follow the register too, so that a saved file or an untouched "Set" keeps what it holds.
void K7Page::showClockControl(uint8_t model) {
    const MsrBuffer& msr = context().msr;
    m_rows.show();
    if (!msr.holdsRead()) {
        for (StatusPanel* panel : {m_halt.panel, m_stopGrant.panel, m_timing.panel})
            panel->showRead(msr, QString());
        return;
    }
    const K7ClockControl clock = K7ClockControl::decode(msr.Low);
    for (const auto& [row, item] :
         {std::pair{&m_halt, clock.haltDivisor}, std::pair{&m_stopGrant, clock.stopGrantDivisor},
          std::pair{&m_timing, clock.timing}}) {
        if (item && !row->picked)
            row->combo->setCurrentIndex(int(*item));
    }
    if (model >= 6 && clock.haltDivisor)
        m_halt.panel->setText(QString::fromLatin1(kK7DivisorItems[*clock.haltDivisor]));
    if (clock.stopGrantDivisor)
        m_stopGrant.panel->setText(QString::fromLatin1(kK7DivisorItems[*clock.stopGrantDivisor]));
    if (clock.timing)
        m_timing.panel->setText(QString::fromLatin1(kK7TimingItems[*clock.timing]));
}

void K7Page::writeClockControl(uint32_t clear, uint32_t set) {
    MsrBuffer& msr = context().msr;
    msr.Index = kK7ClockControl;
    msr.ReadMsr();
    msr.Low = (msr.Low & ~clear) | set;
    msr.WriteMsr();
    K7_RefreshStatus();
}

void K7Page::setClockRow(ClockRow& row, uint32_t clear, uint32_t set) {
    row.picked = false;
    writeClockControl(clear, set);
}

void K7Page::pageShown() {
    for (ClockRow* row : {&m_halt, &m_stopGrant, &m_timing})
        row->picked = false;
}

void K7Page::K7_HLTmultiSETClick() {
    setClockRow(m_halt, kK7HaltDivisorMask,
                K7ClockControl::haltDivisorBits(K7_HLTmultiCombo->currentIndex()));
}
void K7Page::K7_STPCLKmultiSETClick() {
    setClockRow(m_stopGrant, kK7StopGrantDivisorMask,
                K7ClockControl::stopGrantDivisorBits(K7_STPCLKmultiCombo->currentIndex()));
}
void K7Page::K7_CLKtimingSETClick() {
    setClockRow(m_timing, kK7TimingMask,
                K7ClockControl::timingBits(K7_CLKtimingCombo->currentIndex()));
}

void K7Page::fillLists() {
    showOrKeep(m_unbuiltLists, K7_NaplnitKomba(context().msr, context().flags.UserProtection),
               [this](const K7Lists& lists) {
                   applyListsFill(frequency, lists.multiplier, lists.voltage, lists.buttonEnabled);
                   K7_StopGrantCyclesBox->setEnabled(lists.stopGrantEnabled);
               });
}

std::span<const KeptText> K7Page::keptTexts() const {
    return kKeptTexts;
}

}  // namespace zandro
