// The "Frequency && Voltage Control" tab of the Athlon (K7) page: the multiplier and voltage
// change, its report and the stop-grant box.

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "EditBox.h"
#include "K7Page.h"
#include "Messages.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/CoreClock.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"
#include "pstates/K7Transition.h"
#include "pstates/ListFillers.h"

namespace zandro {

namespace {

const QString kStopGrantRange = QStringLiteral("Please enter a value between 0 and 1048575.");

// Marks a change in flight for as long as it runs.
class InFlight {
public:
    explicit InFlight(bool& flag) : m_flag(flag) { m_flag = true; }
    ~InFlight() { m_flag = false; }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    bool& m_flag;
};

}  // namespace

// Connects the change engine to the page: the report panel and the stop-grant box.
class K7Page::TransitionUi : public K7TransitionUi {
public:
    explicit TransitionUi(K7Page& page) : m_page(page) {}
    void report(const std::string& text, ReportColour colour) override {
        showTransitionReport(m_page.K7_TransitionReport, QString::fromStdString(text), colour);
    }
    std::string stopGrantText() override {
        return m_page.K7_StopGrantCyclesBox->text().toStdString();
    }

private:
    K7Page& m_page;
};

void K7Page::buildFrequencyControl(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_fidVidInfo.buildAdjustments(builder, QStringLiteral("K7"));

    frequency = addMultiplierGroup(builder, QStringLiteral("K7"));
    setInitialItems(frequency.multiplier, K7_InitialMultiplierItems());
    setInitialItems(frequency.voltage, K7_InitialVoltageItems());
    connect(frequency.multiplier, &QComboBox::activated, this,
            [this] { K7_ClearTransitionStatus(); });
    connect(frequency.voltage, &QComboBox::activated, this, [this] { K7_ClearTransitionStatus(); });
    connect(frequency.set, &QPushButton::clicked, this,
            [this] { K7_InitiateFIDVIDChangeButtonClick(); });

    K7_CurrentCoreClock = addCoreClockGroup(builder, QStringLiteral("K7"));
    auto* clock = qobject_cast<QGroupBox*>(K7_CurrentCoreClock->parentWidget());
    K7_TransitionReport = builder.status(clock, QStringLiteral("K7_TransitionReport"), QString());

    QGroupBox* cycles =
        builder.group(QStringLiteral(" Number of system bus FID/VID stabilization cycles "));
    K7_StopGrantCyclesBox = builder.edit(cycles, QStringLiteral("K7_StopGrantCyclesBox"),
                                         QStringLiteral("Select 0 - 1048575:"), 7);
    K7_StopGrantCyclesBox->setText(QLatin1String(kKeptTexts[0].initial));
    K7_StopGrantCyclesBox->setDigitsOnly(true);
    K7_StopGrantCyclesBox->onExit = [this] { K7_StopGrantCyclesBoxExit(); };
    builder.finish();
}

void K7Page::K7_ClearTransitionStatus() {
    K7_TransitionReport->setText(QStringLiteral("---"));
}

bool K7Page::K7_StopGrantCyclesBoxExit() {
    if (K7Transition::stopGrantCount(K7_StopGrantCyclesBox->text().toStdString()))
        return true;
    Messages::show(this, MsgKind::Warning, kStopGrantRange);
    K7_StopGrantCyclesBox->setFocus();
    return false;
}

void K7Page::showCoreClock() {
    showMeasuredCoreClock(K7_CurrentCoreClock, context().platform);
}

bool K7Page::K7_InitiateFIDVIDChangeButtonClick() {
    // A click that arrives while a change runs (from a nested event loop) starts nothing.
    if (m_changing)
        return false;
    const InFlight inFlight(m_changing);
    TransitionUi ui(*this);
    K7Transition transition(context().msr, ui);
    const auto current = transition.readCurrent();
    bool completed = false;
    if (current) {
        K7Transition::Targets targets = K7Transition::targetsFromTexts(
            selectedText(frequency.multiplier), selectedText(frequency.voltage), *current);
        bool go = true;
        if (targets.voltageOff) {
            go = confirmOffVoltage(this);
            targets.vid = kAmdOffVid;
        }
        const auto routine = K7Transition::routineFor(*current, targets.fid, targets.vid);
        // Every write carries the stop-grant count: a box without a usable number is refused
        // before the first write rather than half-way through the change.
        if (go && routine != K7Transition::Routine::None)
            go = K7_StopGrantCyclesBoxExit();
        if (go)
            completed = transition.run(routine, targets.fid, targets.vid);
    }
    showCoreClock();
    return completed;
}

bool K7Page::restoreOperatingPoint(uint64_t control, uint64_t status) {
    TransitionUi ui(*this);
    K7Transition transition(context().msr, ui);
    const auto current = transition.readCurrent();
    if (!current)
        return false;
    const AmdFidVid point = amdOperatingPoint(status);
    return transition.run(K7Transition::routineFor(*current, point.fid, point.vid), point.fid,
                          point.vid) &&
           putBackIdleControl(context().msr, kAmdPStateRegisters, control, k7ControlIdle);
}

std::optional<uint64_t> K7Page::aimedStatus() {
    const std::optional<uint64_t> status = readRegister(context().msr, kAmdPStateRegisters.status);
    if (!status)
        return std::nullopt;
    K7Transition::Targets targets =
        K7Transition::targetsFromTexts(selectedText(frequency.multiplier),
                                       selectedText(frequency.voltage), amdOperatingPoint(*status));
    if (targets.voltageOff)
        targets.vid = kAmdOffVid;
    return withAmdOperatingPoint(*status, {targets.fid, targets.vid});
}

}  // namespace zandro
