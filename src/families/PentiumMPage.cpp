#include "PentiumMPage.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "ThermalMonitorTab.h"
#include "core/CoreClock.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"
#include "pstates/IntelTransition.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kPowerOn = 0x2A;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint32_t kL2Control = 0x11E;
constexpr uint32_t kPerfStatus = 0x198;

const std::array<OptionRow, PentiumMPage::kOptionCount> kOptions = {{
    {" Data Error Checking ", "PMobile_DataErrorChecking", kPowerOn, 1, "Disabled", "Enabled",
     "PMobile_DataErrorCheckingEN", "PMobile_DataErrorCheckingDIS", true, true, 120},
    {" Response Error Checking ", "PMobile_ResponseErrorChecking", kPowerOn, 2, "Disabled",
     "Enabled", "PMobile_ResponseErrorCheckingEN", "PMobile_ResponseErrorCheckingDIS", true, true,
     121},
    {" Enhanced Intel SpeedStep technology ", "PMobile_EnhancedSpeedStep", kMiscEnable, 16,
     "Disabled", "Enabled", "PMobile_EnhancedSpeedStepEN", "PMobile_EnhancedSpeedStepDIS", true,
     false, 122},
    {" L2 Enabled ", "PMobile_L2Enabled", kL2Control, 8, "Disabled", "Enabled and initialized",
     "PMobile_L2EnabledEN", "PMobile_L2EnabledDIS", true, true, 130},
}};

constexpr uint16_t kThermalMonitorCode = 140;
constexpr uint16_t kOnDemandCode = 141;
constexpr uint16_t kMultiplierCode = 150;
constexpr uint16_t kVoltageCode = 151;

const std::array<const char*, 8> kAddressRanges = {
    "512 MByte", "1 GByte", "2 GByte", "4 GByte", "8 GByte", "16 GByte", "32 GByte", "64 GByte",
};

// Which of the buttons is checked, -1 when none is.
template <size_t N>
int checkedPosition(const std::array<QRadioButton*, N>& buttons) {
    for (size_t i = 0; i < N; ++i) {
        if (buttons[i]->isChecked())
            return int(i);
    }
    return -1;
}

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
    : FamilyPage(QStringLiteral("pgctrlPentiumM"), FamilyPentiumM, context, parent) {
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
    buildOptions(features, DataErrorChecking, EnhancedSpeedStep, false);
    buildOptions(l2, L2Enabled, L2Enabled, true);
    {
        SheetBuilder builder(thermalSheet, true);
        thermal = new ThermalMonitorTab(
            builder, ThermalFamily::PMobile, context(), [this] { PMobile_RefreshStatus(); }, this);
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
    control->onShow = [this] { PMobile_FrequencyVoltageControlShow(); };
    control->onExit = [this] { PMobile_FrequencyVoltageControlExit(); };
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

void PentiumMPage::buildOptions(TabSheet* sheet, int first, int last, bool withL2Status) {
    SheetBuilder builder(sheet, true);
    const auto statusGroup = [&](const char* caption, const char* name) {
        return builder.status(builder.group(QString::fromLatin1(caption)),
                              QString::fromLatin1(name));
    };
    if (withL2Status) {
        m_l2Status[0] = statusGroup(" L2 Presence ", "PMobile_L2Presence");
        m_l2Status[1] = statusGroup(" L2 Hardware ", "PMobile_L2Hardware");
    }
    for (int row = first; row <= last; ++row) {
        m_optionPanels[size_t(row)] = buildOption(builder, kOptions[size_t(row)], m_records,
                                                  [this, row](bool on) { optionClick(row, on); });
    }
    if (withL2Status) {
        m_l2Status[2] = statusGroup(" ECC Checking ", "PMobile_ECCChecking");
        m_l2Status[3] =
            statusGroup(" L2 Physical Address Range Support ", "PMobile_PhysicalAddressRange");
    }
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

void PentiumMPage::showOption(int row) {
    m_optionPanels[size_t(row)]->showRead(context().msr,
                                          optionText(context().msr, kOptions[size_t(row)]));
}

void PentiumMPage::showL2Status() {
    const MsrBuffer& msr = context().msr;
    m_l2Status[0]->showRead(msr, bitText(msr, 23, "Present", "Not Present"));
    m_l2Status[1]->showRead(msr, bitText(msr, 0, "Hardware disabled", "Hardware enabled"));
    showOption(L2Enabled);
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
    readRegister(kPowerOn);
    m_information[0]->showRead(msr, QString::number(msr.MsrBits(26, 22)) + QStringLiteral("x"));
    m_information[1]->showRead(msr, bitText(msr, 18, "100 MHz", "133 MHz"));
    m_information[2]->showRead(msr, bitText(msr, 13, "8 entry", "1 entry"));

    readRegister(kMiscEnable);
    m_perfMonitoring->showRead(msr, bitText(msr, 7, "Disabled", "Enabled"));

    readRegister(kPowerOn);
    showOption(DataErrorChecking);
    showOption(ResponseErrorChecking);

    readRegister(kMiscEnable);
    showOption(EnhancedSpeedStep);

    readRegister(kL2Control);
    showL2Status();

    thermal->refreshPMobileMonitorStatus();
    thermal->refreshClockModulation();

    readRegister(kPerfStatus);
    showFrequencyInfo();
}

void PentiumMPage::optionClick(int row, bool enable) {
    writeOptionBit(context().msr, kOptions[size_t(row)], enable);
    PMobile_RefreshStatus();
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

void PentiumMPage::PMobile_FrequencyVoltageControlShow() {
    context().host.setFrequencyTimer(true);
    PMobile_RefreshStatus();
}

void PentiumMPage::PMobile_FrequencyVoltageControlExit() {
    context().host.setFrequencyTimer(false);
}

std::vector<OptionRecord> PentiumMPage::savedOptions() const {
    std::vector<OptionRecord> records = m_records.saved();
    const auto add = [&](uint16_t code, int position) {
        if (position >= 0)
            records.push_back({code, uint8_t(position)});
    };
    add(kThermalMonitorCode, checkedPosition(thermal->monitorButtons));
    add(kOnDemandCode, checkedPosition(thermal->dutyButtons));
    add(kMultiplierCode, frequency.multiplier->currentIndex());
    add(kVoltageCode, frequency.voltage->currentIndex());
    return records;
}

RecordAction PentiumMPage::applyRecord(OptionRecord record) {
    if (m_records.apply(record) == RecordAction::Applied)
        return RecordAction::Applied;
    switch (record.code) {
        case kThermalMonitorCode:
            // "Disable" is position 0 on this page.
            if (record.value == 0)
                thermal->ThermalMonitorDISClick();
            else if (record.value == 1)
                thermal->ThermalMonitor1ENClick();
            else if (record.value == 2)
                thermal->ThermalMonitor2ENClick();
            return RecordAction::Applied;
        case kOnDemandCode:
            if (record.value < thermal->dutyButtons.size())
                thermal->OnDemandDutyClick(record.value);
            return RecordAction::Applied;
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
