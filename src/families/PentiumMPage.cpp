#include "PentiumMPage.h"

#include <QComboBox>
#include <QPushButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "config/PentiumMRows.h"
#include "core/CoreClock.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"
#include "pstates/IntelTransition.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kPerfStatus = 0x198;

constexpr uint16_t kMultiplierCode = 150;
constexpr uint16_t kVoltageCode = 151;

const std::array<const char*, 8> kAddressRanges = {
    "512 MByte", "1 GByte", "2 GByte", "4 GByte", "8 GByte", "16 GByte", "32 GByte", "64 GByte",
};

QString bitText(const MsrBuffer& msr, unsigned bit, const char* whenClear, const char* whenSet) {
    return QString::fromLatin1(msr.MsrBit(bit) ? whenSet : whenClear);
}

}  // namespace

// Connects the transition engine to the report panel.
class PentiumMPage::TransitionUi : public IntelTransitionUi {
public:
    explicit TransitionUi(PentiumMPage& page) : m_page(page) {}
    void report(const std::string& text, ReportColour colour) override {
        showTransitionReport(m_page.PMobile_TransitionReport, QString::fromStdString(text), colour);
    }

private:
    PentiumMPage& m_page;
};

PentiumMPage::PentiumMPage(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlPentiumM"), FamilyPentiumM, context, parent),
      m_rows(context, [this] { PMobile_RefreshStatus(); }) {
    if (build == PageBuild::Now)
        ensureBuilt();
}

void PentiumMPage::buildSheets() {
    TabSheet* information =
        addSheet(QStringLiteral("PMobile_Information"), QStringLiteral("Information"));
    TabSheet* features = addSheet(QStringLiteral("PMobile_Features"), QStringLiteral("Features"));
    TabSheet* l2 = addSheet(QStringLiteral("PMobile_L2cache"), QStringLiteral("Level 2 cache"));
    TabSheet* thermalSheet =
        addSheet(QStringLiteral("PMobile_ThermalMonitor"), QStringLiteral("Thermal Monitor"));
    TabSheet* control = addSheet(QStringLiteral("PMobile_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));
    buildInformation(information);
    {
        SheetBuilder builder(features, true);
        m_rows.build(builder, kPMobileFeatureRows);
        builder.finish();
    }
    buildL2(l2);
    {
        SheetBuilder builder(thermalSheet, true);
        thermal = new ThermalMonitorTab(
            builder, ThermalFamily::PMobile, context(), [this] { PMobile_RefreshStatus(); }, this);
        thermal->addRecords(m_rows.records());
        builder.finish();
    }
    buildFrequencyControl(control);

    for (TabSheet* sheet : {information, features, l2})
        sheet->onShow = [this] { PMobile_RefreshStatus(); };
    thermalSheet->onShow = [this] {
        this->context().host.setOverheatingTimer(true);
        PMobile_RefreshStatus();
    };
    thermalSheet->onExit = [this] { this->context().host.setOverheatingTimer(false); };
    makeFrequencyControlTab(control);
}

PentiumMPage::~PentiumMPage() = default;

void PentiumMPage::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    const std::array<std::pair<const char*, const char*>, 3> rows = {{
        {" Clock Frequency Ratio ", "PMobile_ClockFrequencyRatio"},
        {" System Bus Frequency (Factory Settings) ", "PMobile_SystemBusFrequency"},
        {" In Order Queue Depth ", "PMobile_InOrderQueueDepth"},
    }};
    for (size_t i = 0; i < rows.size(); ++i) {
        m_information[i] = builder.status(builder.group(QString::fromLatin1(rows[i].first)),
                                          QString::fromLatin1(rows[i].second));
    }
    m_perfMonitoring = builder.status(builder.group(QStringLiteral(" Performance Monitoring ")),
                                      QStringLiteral("PMobile_PerfMonitoring"));
    builder.finish();
}

void PentiumMPage::buildL2(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    const auto statusGroup = [&](const char* caption, const char* name) {
        return builder.status(builder.group(QString::fromLatin1(caption)),
                              QString::fromLatin1(name));
    };
    m_l2Status[0] = statusGroup(" L2 Presence ", "PMobile_L2Presence");
    m_l2Status[1] = statusGroup(" L2 Hardware ", "PMobile_L2Hardware");
    m_rows.build(builder, kPMobileL2Rows);
    m_l2Status[2] = statusGroup(" ECC Checking ", "PMobile_ECCChecking");
    m_l2Status[3] =
        statusGroup(" L2 Physical Address Range Support ", "PMobile_PhysicalAddressRange");
    builder.finish();
}

void PentiumMPage::buildFrequencyControl(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    QGroupBox* info = builder.group(QStringLiteral(" Multiplier / Voltage Info: "));
    const std::array<std::pair<const char*, const char*>, 4> rows = {{
        {"PMobile_CurrentMultiplier", "Current Multiplier:"},
        {"PMobile_AvailableMultiplier", "Available Multipliers:"},
        {"PMobile_CurrentVoltage", "Current Voltage:"},
        {"PMobile_AvailableVoltage", "Available Voltages:"},
    }};
    for (size_t i = 0; i < rows.size(); ++i) {
        m_frequencyInfo[i] = builder.status(info, QString::fromLatin1(rows[i].first),
                                            QString::fromLatin1(rows[i].second));
    }
    frequency = addMultiplierGroup(builder, QStringLiteral("PMobile"));
    setInitialItems(frequency.voltage, PMobile_InitialVoltageItems());
    connect(frequency.set, &QPushButton::clicked, this,
            [this] { PMobile_InitiateFIDVIDChangeButtonClick(); });
    PMobile_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("PMobile"));
    PMobile_TransitionReport =
        builder.status(qobject_cast<QGroupBox*>(PMobile_CurrentCoreClock->parentWidget()),
                       QStringLiteral("PMobile_TransitionReport"), QString());
    builder.finish();
}

void PentiumMPage::readRegister(uint32_t index) {
    context().msr.Index = index;
    context().msr.ReadMsr();
}

void PentiumMPage::showL2Status() {
    const MsrBuffer& msr = context().msr;
    m_l2Status[0]->showRead(msr, bitText(msr, 23, "Present", "Not Present"));
    m_l2Status[1]->showRead(msr, bitText(msr, 0, "Hardware disabled", "Hardware enabled"));
    m_rows.show();
    m_l2Status[2]->showRead(msr, bitText(msr, 5, "Disabled", "Enabled"));
    m_l2Status[3]->showRead(msr, QString::fromLatin1(kAddressRanges[size_t(msr.MsrBits(22, 20))]));
}

void PentiumMPage::showFrequencyInfo() {
    const MsrBuffer& msr = context().msr;
    const auto vidText = [&](unsigned high, unsigned low) {
        return QString::fromStdString(PMobile_VidToText(uint8_t(msr.MsrBits(high, low))));
    };
    m_frequencyInfo[0]->showRead(msr, QString::number(msr.MsrBits(15, 8)) + QStringLiteral("x"));
    m_frequencyInfo[1]->showRead(msr,
                                 QString::number(msr.MsrBits(31, 24)) + QStringLiteral("x - ") +
                                     QString::number(msr.MsrBits(47, 40)) + QStringLiteral("x"));
    m_frequencyInfo[2]->showRead(msr, vidText(7, 0));
    m_frequencyInfo[3]->showRead(msr, vidText(23, 16) + QStringLiteral(" - ") + vidText(39, 32));
}

void PentiumMPage::PMobile_RefreshStatus() {
    const MsrBuffer& msr = context().msr;
    readRegister(kPMobilePowerOn);
    m_information[0]->showRead(msr, QString::number(msr.MsrBits(26, 22)) + QStringLiteral("x"));
    m_information[1]->showRead(msr, bitText(msr, 18, "100 MHz", "133 MHz"));
    m_information[2]->showRead(msr, bitText(msr, 13, "8 entry", "1 entry"));

    readRegister(kPMobileMiscEnable);
    m_perfMonitoring->showRead(msr, bitText(msr, 7, "Disabled", "Enabled"));

    readRegister(kPMobilePowerOn);
    m_rows.show();

    readRegister(kPMobileMiscEnable);
    m_rows.show();

    readRegister(kPMobileL2Control);
    showL2Status();

    thermal->refreshPMobileMonitorStatus();
    thermal->refreshClockModulation();

    readRegister(kPerfStatus);
    showFrequencyInfo();
}

void PentiumMPage::fillLists() {
    showOrKeep(m_unbuiltLists, PMobile_NaplnitKomba(context().msr, context().flags.UserProtection),
               [this](const IntelLists& lists) {
                   applyListsFill(frequency, lists.multiplier, lists.voltage, lists.buttonEnabled);
               });
}

bool PentiumMPage::PMobile_InitiateFIDVIDChangeButtonClick() {
    TransitionUi ui(*this);
    const bool completed =
        changeIntelOperatingPoint(context().msr, ui, IntelFamily::PentiumM, frequency);
    showMeasuredCoreClock(PMobile_CurrentCoreClock, context().platform);
    PMobile_RefreshStatus();
    return completed;
}


std::vector<OptionRecord> PentiumMPage::savedOptions() const {
    std::vector<OptionRecord> records = m_rows.saved();
    const auto add = [&](uint16_t code, int position) {
        if (position >= 0)
            records.push_back({code, uint8_t(position)});
    };
    add(kMultiplierCode, frequency.multiplier->currentIndex());
    add(kVoltageCode, frequency.voltage->currentIndex());
    return records;
}

RecordAction PentiumMPage::applyRecord(OptionRecord record) {
    if (m_rows.apply(record) == RecordAction::Applied)
        return RecordAction::Applied;
    switch (record.code) {
        case kMultiplierCode:
        case kVoltageCode: {
            QComboBox* box =
                record.code == kMultiplierCode ? frequency.multiplier : frequency.voltage;
            box->setCurrentIndex(record.value < box->count() ? record.value : -1);
            return RecordAction::TransitionRequested;
        }
        default:
            return RecordAction::NotMine;
    }
}

bool PentiumMPage::restoreOperatingPoint(uint64_t control, uint64_t status) {
    TransitionUi ui(*this);
    return restoreIntelOperatingPoint(context().msr, ui, IntelFamily::PentiumM, control, status);
}

std::optional<uint64_t> PentiumMPage::aimedStatus() {
    return aimedIntelStatus(context().msr, IntelFamily::PentiumM, frequency);
}

}  // namespace zandro
