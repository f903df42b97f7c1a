#include "A64Page.h"

#include <QComboBox>
#include <QPushButton>

#include "EditBox.h"
#include "Messages.h"
#include "NameString.h"
#include "NameStringEditor.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "config/A64Rows.h"
#include "core/CoreClock.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"
#include "pstates/A64Transition.h"
#include "pstates/CodeTables.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

constexpr uint32_t kManufacturingId = 0xC001001E;

// The seven fields of C0010042h on the info tab.
const std::array<FidVidRow, 7> kFidVidRows = {{
    {" Voltage ", "Current:", "A64_CurrentVoltage", 36, 32, true},
    {" Voltage ", "Startup:", "A64_StartupVoltage", 44, 40, true},
    {" Voltage ", "Maximum:", "A64_MaximumVoltage", 52, 48, true},
    {" Voltage ", "Maximum Ramp:", "A64_RampVoltage", 28, 24, true},
    {" Multiplier ", "Current:", "A64_CurrentMultiplier", 5, 0, false},
    {" Multiplier ", "Startup:", "A64_StartupMultiplier", 13, 8, false},
    {" Multiplier ", "Maximum:", "A64_MaximumMultiplier", 21, 16, false},
}};

// Option codes in a configuration file of the two boxes; the feature rows carry their own.
constexpr uint16_t kMultiplierCode = 40;
constexpr uint16_t kVoltageCode = 41;

const QString kVidRange = QStringLiteral("Please enter a value between 0 and 1000.");
const QString kFidRange = QStringLiteral("Please enter a value between 0 and 1048575.");

}  // namespace

// Connects the transition engine to the page: the report panel and the two boxes.
class A64Page::TransitionUi : public A64TransitionUi {
public:
    explicit TransitionUi(A64Page& page) : m_page(page) {}
    void report(const std::string& text, ReportColour colour) override {
        showTransitionReport(m_page.A64_TransitionReport, QString::fromStdString(text), colour);
    }
    std::string fidStabilizationText() override {
        return m_page.A64_FIDstabilizationCyclesBox->text().toStdString();
    }
    std::string vidStabilizationText() override {
        return m_page.A64_VIDstabilizationCyclesBox->text().toStdString();
    }

private:
    A64Page& m_page;
};

A64Page::A64Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlA64"), FamilyAthlon64, context, parent),
      m_rows(context, [this] { A64_RefreshStatus(); }),
      m_fidVidInfo(kFidVidRows, A64_VidToText, A64_FidToText) {
    if (build == PageBuild::Now)
        ensureBuilt();
}

void A64Page::buildSheets() {
    TabSheet* information =
        addSheet(QStringLiteral("A64_Information"), QStringLiteral("Information"));
    TabSheet* features = addSheet(QStringLiteral("A64_Features"), QStringLiteral("Features"));
    TabSheet* info = addSheet(QStringLiteral("A64_FrequencyVoltageInfo"),
                              QStringLiteral("Frequency && Voltage Info"));
    TabSheet* control = addSheet(QStringLiteral("A64_FrequencyVoltageControl"),
                                 QStringLiteral("Frequency && Voltage Control"));
    buildInformation(information);
    buildFeatures(features);
    m_fidVidInfo.buildRows(info);
    buildFrequencyControl(control);

    information->onShow = [this] { A64_RefreshStatus(); };
    features->onShow = [this] { A64_RefreshStatus(); };
    info->onShow = [this] { A64_RefreshStatus(); };
    makeFrequencyControlTab(control);
}

A64Page::~A64Page() = default;

void A64Page::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    nameEditor = std::make_unique<NameStringEditor>(builder, "A64", context().msr,
                                                    [this] { A64_RefreshStatus(); });
    m_majorMask = builder.status(builder.group(QStringLiteral(" Major Mask Set Revision Number ")),
                                 QStringLiteral("A64_MajorMaskRevision"));
    m_minorMask = builder.status(builder.group(QStringLiteral(" Minor Mask Set Revision Number ")),
                                 QStringLiteral("A64_MinorMaskRevision"));
    m_reticle = builder.status(builder.group(QStringLiteral(" Reticle Site ")),
                               QStringLiteral("A64_ReticleSite"));
    builder.finish();
}

void A64Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    m_rows.build(builder, kA64FeatureRows);
    builder.finish();
}

void A64Page::buildFrequencyControl(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    frequency = addMultiplierGroup(builder, QStringLiteral("A64"));
    connect(frequency.multiplier, &QComboBox::activated, this,
            [this] { A64_ClearTransitionStatus(); });
    connect(frequency.voltage, &QComboBox::activated, this,
            [this] { A64_ClearTransitionStatus(); });
    connect(frequency.set, &QPushButton::clicked, this,
            [this] { A64_InitiateFIDVIDChangeButtonClick(); });

    m_fidVidInfo.buildAdjustments(builder, QStringLiteral("A64"));

    QGroupBox* clock = builder.group(QStringLiteral(" Current Core Clock "));
    A64_CurrentCoreClock = builder.status(clock, QStringLiteral("A64_CurrentCoreClock"), QString());
    A64_TransitionReport = builder.status(clock, QStringLiteral("A64_TransitionReport"), QString());

    QGroupBox* waits = builder.group(QStringLiteral(" Stabilization time settings "));
    A64_FIDstabilizationCyclesBox =
        builder.edit(waits, QStringLiteral("A64_FIDstabilizationCyclesBox"),
                     QStringLiteral("FID system bus cycles (0 - 1048575):"), 7);
    A64_FIDstabilizationCyclesBox->setText(QLatin1String(kKeptTexts[0].initial));
    A64_VIDstabilizationCyclesBox =
        builder.edit(waits, QStringLiteral("A64_VIDstabilizationCyclesBox"),
                     QStringLiteral("VID milliseconds time (0 - 1000):"), 4);
    A64_VIDstabilizationCyclesBox->setText(QLatin1String(kKeptTexts[1].initial));
    for (EditBox* box : {A64_FIDstabilizationCyclesBox, A64_VIDstabilizationCyclesBox})
        box->setDigitsOnly(true);
    A64_FIDstabilizationCyclesBox->onExit = [this] { A64_FIDstabilizationCyclesBoxExit(); };
    A64_VIDstabilizationCyclesBox->onExit = [this] { A64_VIDstabilizationCyclesBoxExit(); };
    builder.finish();
}

void A64Page::A64_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    Platform& platform = context().platform;
    nameEditor->show(ReadNameString(msr));

    msr.Index = kManufacturingId;
    msr.ReadMsr();
    m_majorMask->showRead(msr, QString::number(msr.MsrBits(7, 4)));
    m_minorMask->showRead(msr, QString::number(msr.MsrBits(3, 0)));
    m_reticle->showRead(msr, QString::number(msr.MsrBits(9, 8)));

    // EFER first, then HWCR: each register is read once and all its rows decoded.
    for (uint32_t index : {kA64Efer, kA64Hwcr}) {
        msr.Index = index;
        msr.ReadMsr();
        m_rows.show();
    }

    m_fidVidInfo.refresh(msr, platform, context().flags.UserProtection);
}

void A64Page::fillLists() {
    showOrKeep(m_unbuiltLists,
               A64_NaplnitKomba(context().msr, context().flags.UserProtection,
                                context().flags.HalfMultipliers),
               [this](const A64Lists& lists) {
                   applyListsFill(frequency, lists.multiplier, lists.voltage, lists.buttonEnabled);
               });
}

std::span<const KeptText> A64Page::keptTexts() const {
    return kKeptTexts;
}

void A64Page::A64_ClearTransitionStatus() {
    A64_TransitionReport->setText(QStringLiteral("---"));
}

bool A64Page::checkBox(EditBox* box, long long upper, const QString& message) {
    bool ok = false;
    const long long value = box->text().toLongLong(&ok);
    if (ok && value >= 0 && value <= upper)
        return true;
    Messages::show(this, MsgKind::Warning, message);
    box->setFocus();
    return false;
}

bool A64Page::A64_VIDstabilizationCyclesBoxExit() {
    return checkBox(A64_VIDstabilizationCyclesBox, 1000, kVidRange);
}

bool A64Page::A64_FIDstabilizationCyclesBoxExit() {
    return checkBox(A64_FIDstabilizationCyclesBox, 0xFFFFF, kFidRange);
}


void A64Page::showCoreClock() {
    showMeasuredCoreClock(A64_CurrentCoreClock, context().platform);
}

bool A64Page::A64_InitiateFIDVIDChangeButtonClick() {
    TransitionUi ui(*this);
    A64Transition transition(context().msr, ui, context().flags.RealTimePriority);
    const auto current = transition.readCurrent();
    bool completed = false;
    if (current) {
        A64Transition::Targets targets = A64Transition::targetsFromTexts(
            selectedText(frequency.multiplier), selectedText(frequency.voltage), *current);
        bool go = true;
        if (targets.voltageOff) {
            go = confirmOffVoltage(this);
            targets.vid = kAmdOffVid;
        }
        // A box that holds no usable number would stop a transition half-way: refuse it up
        // front. Only the boxes that the routine about to run reads: a voltage-only change never
        // reads the FID box.
        if (go && targets.fid != current->fid)
            go = A64_FIDstabilizationCyclesBoxExit() && A64_VIDstabilizationCyclesBoxExit();
        else if (go && targets.vid != current->vid)
            go = A64_VIDstabilizationCyclesBoxExit();
        if (go)
            completed = transition.changeFrom(*current, targets.fid, targets.vid) !=
                        A64Transition::Outcome::Failed;
    }
    showCoreClock();
    return completed;
}

std::vector<OptionRecord> A64Page::savedOptions() const {
    std::vector<OptionRecord> records = m_rows.saved();
    if (frequency.multiplier->currentIndex() >= 0)
        records.push_back({kMultiplierCode, uint8_t(frequency.multiplier->currentIndex())});
    if (frequency.voltage->currentIndex() >= 0)
        records.push_back({kVoltageCode, uint8_t(frequency.voltage->currentIndex())});
    return records;
}

RecordAction A64Page::applyRecord(OptionRecord record) {
    if (m_rows.apply(record) == RecordAction::Applied)
        return RecordAction::Applied;
    QComboBox* box = record.code == kMultiplierCode ? frequency.multiplier
                     : record.code == kVoltageCode  ? frequency.voltage
                                                    : nullptr;
    if (box == nullptr)
        return RecordAction::NotMine;
    // An index the list does not have leaves it without a selection.
    box->setCurrentIndex(record.value < box->count() ? int(record.value) : -1);
    return RecordAction::TransitionRequested;
}

bool A64Page::restoreOperatingPoint(uint64_t control, uint64_t status) {
    TransitionUi ui(*this);
    A64Transition transition(context().msr, ui, context().flags.RealTimePriority);
    const AmdFidVid point = amdOperatingPoint(status);
    return transition.changeTo(point.fid, point.vid) != A64Transition::Outcome::Failed &&
           putBackIdleControl(context().msr, kAmdPStateRegisters, control, a64ControlIdle);
}

std::optional<uint64_t> A64Page::aimedStatus() {
    const std::optional<uint64_t> status = readRegister(context().msr, kAmdPStateRegisters.status);
    if (!status)
        return std::nullopt;
    A64Transition::Targets targets = A64Transition::targetsFromTexts(
        selectedText(frequency.multiplier), selectedText(frequency.voltage),
        amdOperatingPoint(*status));
    if (targets.voltageOff)
        targets.vid = kAmdOffVid;
    return withAmdOperatingPoint(*status, {targets.fid, targets.vid});
}

}  // namespace zandro
