#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include "PageTestSupport.h"
#include "families/EditBox.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::fidVidStatus;
using test::GuiRig;

constexpr uint32_t kStatus = 0xC0010042;

struct ControlWrite {
    unsigned fid, vid, stopGrant;
    bool initiate;
};

std::vector<ControlWrite> controlWrites(const QStringList& trace) {
    std::vector<ControlWrite> writes;
    static const QRegularExpression write(QStringLiteral("^0 wrmsr c0010041 ([0-9a-f]{16})$"));
    for (const QString& line : trace) {
        const auto m = write.match(line);
        if (!m.hasMatch())
            continue;
        const uint64_t v = m.captured(1).toULongLong(nullptr, 16);
        writes.push_back({unsigned(v & 0x3F), unsigned((v >> 8) & 0x1F), unsigned(v >> 32),
                          ((v >> 16) & 1) != 0});
    }
    return writes;
}

// Consecutive repeats folded: a request written again while the last one is still settling.
std::vector<unsigned> distinct(const std::vector<unsigned>& values) {
    std::vector<unsigned> list;
    for (unsigned v : values)
        if (list.empty() || list.back() != v)
            list.push_back(v);
    return list;
}

std::vector<unsigned> fids(const std::vector<ControlWrite>& writes) {
    std::vector<unsigned> list;
    for (const ControlWrite& w : writes)
        list.push_back(w.fid);
    return list;
}

std::vector<unsigned> vids(const std::vector<ControlWrite>& writes) {
    std::vector<unsigned> list;
    for (const ControlWrite& w : writes)
        list.push_back(w.vid);
    return list;
}

class A64TransitionPageTest : public ::testing::Test {
protected:
    void startWith(uint64_t status, const QString& ini = QStringLiteral(
                                        "[MainWindow]\nPositionLeft=1\nPositionTop=1\n")) {
        rig = std::make_unique<GuiRig>("athlon64", ini);
        rig->sim.setReg(kStatus, status);
        rig->sim.setReg(0xC0010041, uint64_t(1000) << 32 | (status & 0x3F));
        ASSERT_TRUE(rig->start());
        rig->act(QStringLiteral("tab:A64_FrequencyVoltageControl"));
        rig->takeTrace();
    }
    void choose(const char* combo, const QString& text) { test::chooseText(*rig, combo, text); }
    QString report() {
        return rig->control<StatusPanel>(QStringLiteral("A64_TransitionReport"))->text();
    }
    QColor reportColour() {
        return test::reportColour(
            rig->control<StatusPanel>(QStringLiteral("A64_TransitionReport")));
    }
    uint64_t status() { return rig->sim.reg(kStatus); }

    std::unique_ptr<GuiRig> rig;
};

TEST_F(A64TransitionPageTest, SameMultiplierAndVoltageWriteNothingButShowTheClock) {
    startWith(fidVidStatus(10, 2, 10, 2));
    choose("A64_MultiplierCombo", QStringLiteral("9.0x"));
    choose("A64_VoltageCombo", QStringLiteral("1.500V"));
    rig->control<StatusPanel>(QStringLiteral("A64_TransitionReport"))
        ->setText(QStringLiteral("old"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList trace = rig->takeTrace();
    EXPECT_TRUE(trace.filter(QStringLiteral("wrmsr")).isEmpty());
    EXPECT_EQ(report(), QStringLiteral("old"));
    EXPECT_EQ(rig->control<StatusPanel>(QStringLiteral("A64_CurrentCoreClock"))->text(),
              QStringLiteral("1800 MHz"));
}

TEST_F(A64TransitionPageTest, VoltageAloneStepsOneCodeAtATimeWithItsWait) {
    startWith(fidVidStatus(10, 2, 10, 2));
    choose("A64_VoltageCombo", QStringLiteral("1.400V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList trace = rig->takeTrace();
    const auto writes = controlWrites(trace);
    EXPECT_EQ(vids(writes), (std::vector<unsigned>{3, 4, 5, 6}));
    for (const ControlWrite& w : writes) {
        EXPECT_TRUE(w.initiate);
        EXPECT_EQ(w.fid, 10u);  // the other bits stay as read
    }
    // Each write is followed by the VID wait.
    // The clock measurement's own 25 ms sleep comes after the transition.
    const QStringList steps =
        trace.filter(QRegularExpression(QStringLiteral("wrmsr c0010041|^sleep (?!25$)")));
    ASSERT_EQ(steps.size(), 8);
    for (int i = 0; i < 8; i += 2)
        EXPECT_EQ(steps[i + 1], QStringLiteral("sleep 50"));
    EXPECT_EQ((status() >> 32) & 0x1F, 6u);
    EXPECT_EQ(report(), QStringLiteral("Transition Completed"));
    EXPECT_EQ(reportColour(), QColor(0, 128, 0));
}

TEST_F(A64TransitionPageTest, DownToALowMultiplierJumpsFromThePortal) {
    // 10.0x (FID 12) at 1.450 V to 5.0x (FID 2) at 1.400 V.
    startWith(fidVidStatus(12, 4, 16, 2));
    choose("A64_MultiplierCombo", QStringLiteral("5.0x"));
    choose("A64_VoltageCombo", QStringLiteral("1.400V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const auto writes = controlWrites(rig->takeTrace());
    // Voltage up to the maximum first, the jump from 12 to 2, then down to the target voltage.
    EXPECT_EQ(distinct(vids(writes)), (std::vector<unsigned>{3, 2, 3, 4, 5, 6}));
    EXPECT_EQ(distinct(fids(writes)), (std::vector<unsigned>{12, 2}));
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[2].fid, 2u);
    EXPECT_EQ(writes[2].vid, 2u);
    EXPECT_EQ(writes[2].stopGrant, 1000u);
    EXPECT_EQ(status() & 0x3F, 2u);
    EXPECT_EQ((status() >> 32) & 0x1F, 6u);
    EXPECT_EQ(report(), QStringLiteral("Transition Completed"));
    EXPECT_EQ(rig->control<StatusPanel>(QStringLiteral("A64_CurrentCoreClock"))->text(),
              QStringLiteral("1000 MHz"));
}

TEST_F(A64TransitionPageTest, UpFromTheLowRangeLeavesItFirst) {
    // 4.0x (FID 0) to 12.0x (FID 16), voltage already at the maximum.
    startWith(fidVidStatus(0, 2, 16, 2));
    choose("A64_MultiplierCombo", QStringLiteral("12.0x"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const auto writes = controlWrites(rig->takeTrace());
    EXPECT_EQ(distinct(fids(writes)), (std::vector<unsigned>{10, 12, 14, 16}));
    EXPECT_EQ(status() & 0x3F, 16u);
    EXPECT_EQ(report(), QStringLiteral("Transition Completed"));
}

TEST_F(A64TransitionPageTest, WithinTheLowRangeGoesOutAndBackIn) {
    // 6.0x (FID 4) to 7.0x (FID 6): portal 20, out to 18, jump to 6.
    startWith(fidVidStatus(4, 2, 20, 2));
    choose("A64_MultiplierCombo", QStringLiteral("7.0x"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const auto writes = controlWrites(rig->takeTrace());
    EXPECT_EQ(distinct(fids(writes)), (std::vector<unsigned>{18, 6}));
    EXPECT_EQ(status() & 0x3F, 6u);
}

TEST_F(A64TransitionPageTest, AHungChangeEndsInTheFailureTextInsteadOfHanging) {
    // A change already pending for good: the processor takes no new request.
    startWith(fidVidStatus(10, 2, 10, 2) | (uint64_t(1) << 31));
    choose("A64_VoltageCombo", QStringLiteral("1.450V"));
    const uint64_t before = rig->sim.machine.nowNs();
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    EXPECT_EQ(report(), QStringLiteral("Unknown Transition Error"));
    EXPECT_EQ(reportColour(), QColor(255, 0, 0));
    // Bounded on the clock: a few seconds of simulated time at most.
    EXPECT_LT(rig->sim.machine.nowNs() - before, uint64_t(5) * 1000 * 1000 * 1000);
}

TEST_F(A64TransitionPageTest, FailingWriteRestoresNormalPriority) {
    startWith(fidVidStatus(10, 2, 10, 2), QStringLiteral("[Settings]\nRealPriority=1\n"));
    rig->sim.machine.cpu(0).failWrite.insert(0xC0010041);
    choose("A64_VoltageCombo", QStringLiteral("1.450V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList priorities = rig->takeTrace().filter(QStringLiteral("priority"));
    ASSERT_FALSE(priorities.isEmpty());
    EXPECT_EQ(priorities.last(), QStringLiteral("priority normal"));
    EXPECT_EQ(report(), QStringLiteral("Unknown Transition Error"));
}

TEST_F(A64TransitionPageTest, RealTimePriorityWrapsEachVoltageWriteAndWait) {
    startWith(fidVidStatus(10, 2, 10, 2), QStringLiteral("[Settings]\nRealPriority=1\n"));
    choose("A64_VoltageCombo", QStringLiteral("1.475V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList events = rig->takeTrace().filter(
        QRegularExpression(QStringLiteral("^priority|wrmsr c0010041|^sleep (?!25$)")));
    ASSERT_EQ(events.size(), 4);
    EXPECT_EQ(events[0], QStringLiteral("priority realtime"));
    EXPECT_TRUE(events[1].contains(QLatin1String("wrmsr c0010041")));
    EXPECT_EQ(events[2], QStringLiteral("sleep 50"));
    EXPECT_EQ(events[3], QStringLiteral("priority normal"));
}

TEST_F(A64TransitionPageTest, OffVoltageNeedsAYes) {
    startWith(fidVidStatus(10, 28, 10, 2), QStringLiteral("[Settings]\nuser_protection=0\n"));
    choose("A64_VoltageCombo", QStringLiteral("off"));
    rig->messages.answers.push_back(MsgAnswer::No);
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    ASSERT_EQ(rig->messages.shown.size(), 1u);
    EXPECT_EQ(rig->messages.shown[0].kind, MsgKind::Warning);
    EXPECT_TRUE(rig->messages.shown[0].text.startsWith(
        QStringLiteral("WARNING: The chosen value may result in unexpected behavior and can damage "
                       "you hardware.\n\r")));
    QStringList trace = rig->takeTrace();
    EXPECT_TRUE(trace.filter(QStringLiteral("wrmsr")).isEmpty());
    EXPECT_EQ(rig->control<StatusPanel>(QStringLiteral("A64_CurrentCoreClock"))->text(),
              QStringLiteral("1800 MHz"));

    rig->messages.answers.push_back(MsgAnswer::Yes);
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    EXPECT_EQ(vids(controlWrites(rig->takeTrace())), (std::vector<unsigned>{29, 30, 31}));
}

TEST_F(A64TransitionPageTest, ZeroWaitMeansNoSleeping) {
    startWith(fidVidStatus(10, 2, 10, 2));
    rig->act(QStringLiteral("text:A64_VIDstabilizationCyclesBox=0"));
    choose("A64_VoltageCombo", QStringLiteral("1.450V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList trace = rig->takeTrace();
    // Exactly one write per step: none is repeated while the last one is still settling.
    EXPECT_EQ(vids(controlWrites(trace)), (std::vector<unsigned>{3, 4}));
    EXPECT_TRUE(trace.filter(QRegularExpression(QStringLiteral("^sleep (?!25$)"))).isEmpty());
}

TEST_F(A64TransitionPageTest, NoRequestIsWrittenWhileTheLastIsPending) {
    startWith(fidVidStatus(10, 2, 10, 2));
    rig->act(QStringLiteral("text:A64_VIDstabilizationCyclesBox=0"));
    choose("A64_MultiplierCombo", QStringLiteral("5.0x"));
    choose("A64_VoltageCombo", QStringLiteral("1.400V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    const QStringList trace = rig->takeTrace();
    static const QRegularExpression status(QStringLiteral("^0 rdmsr c0010042 ([0-9a-f]{16})$"));
    bool pending = false;
    int writes = 0;
    for (const QString& line : trace) {
        if (const auto m = status.match(line); m.hasMatch())
            pending = (m.captured(1).toULongLong(nullptr, 16) >> 31) & 1;
        if (line.startsWith(QLatin1String("0 wrmsr c0010041"))) {
            EXPECT_FALSE(pending) << "write " << writes << ": " << line.toStdString();
            ++writes;
        }
    }
    EXPECT_GT(writes, 0);
    EXPECT_EQ(report(), QStringLiteral("Transition Completed"));
}

TEST_F(A64TransitionPageTest, AnUnusableBoxRefusesOnlyTheChangesThatReadIt) {
    startWith(fidVidStatus(10, 2, 10, 2));
    rig->act(QStringLiteral("text:A64_FIDstabilizationCyclesBox="));
    // A voltage-only change never reads the FID box.
    choose("A64_VoltageCombo", QStringLiteral("1.400V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    EXPECT_TRUE(rig->messages.texts().isEmpty());
    EXPECT_EQ(vids(controlWrites(rig->takeTrace())), (std::vector<unsigned>{3, 4, 5, 6}));
    // A multiplier change does, and is refused before its first write.
    choose("A64_MultiplierCombo", QStringLiteral("8.0x"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    EXPECT_EQ(rig->messages.texts(),
              QStringList{QStringLiteral("Please enter a value between 0 and 1048575.")});
    EXPECT_TRUE(rig->takeTrace().filter(QStringLiteral("wrmsr")).isEmpty());
}

TEST_F(A64TransitionPageTest, BoxChecksAndTheDigitFilter) {
    startWith(fidVidStatus(10, 2, 10, 2));
    rig->act(QStringLiteral("text:A64_VIDstabilizationCyclesBox=1x0-01"));
    auto* vid = rig->control<QLineEdit>(QStringLiteral("A64_VIDstabilizationCyclesBox"));
    EXPECT_EQ(vid->text(), QStringLiteral("1001"));
    rig->act(QStringLiteral("leave:A64_VIDstabilizationCyclesBox"));
    EXPECT_EQ(rig->messages.texts(),
              QStringList{QStringLiteral("Please enter a value between 0 and 1000.")});
    EXPECT_EQ(vid->text(), QStringLiteral("1001"));
    rig->act(QStringLiteral("text:A64_VIDstabilizationCyclesBox=1000"));
    rig->act(QStringLiteral("leave:A64_VIDstabilizationCyclesBox"));
    EXPECT_EQ(rig->messages.shown.size(), 1u);

    rig->act(QStringLiteral("text:A64_FIDstabilizationCyclesBox=1048576"));
    EXPECT_EQ(rig->control<QLineEdit>(QStringLiteral("A64_FIDstabilizationCyclesBox"))->text(),
              QStringLiteral("1048576"));
    rig->act(QStringLiteral("leave:A64_FIDstabilizationCyclesBox"));
    EXPECT_EQ(rig->messages.texts().last(),
              QStringLiteral("Please enter a value between 0 and 1048575."));
    rig->act(QStringLiteral("text:A64_FIDstabilizationCyclesBox=1048575"));
    rig->act(QStringLiteral("leave:A64_FIDstabilizationCyclesBox"));
    EXPECT_EQ(rig->messages.shown.size(), 2u);
}

TEST_F(A64TransitionPageTest, ChoosingAnotherItemClearsTheReport) {
    startWith(fidVidStatus(10, 2, 10, 2));
    choose("A64_VoltageCombo", QStringLiteral("1.475V"));
    rig->act(QStringLiteral("click:A64_InitiateFIDVIDChangeButton"));
    EXPECT_EQ(report(), QStringLiteral("Transition Completed"));
    choose("A64_MultiplierCombo", QStringLiteral("8.0x"));
    EXPECT_EQ(report(), QStringLiteral("---"));
}

TEST_F(A64TransitionPageTest, ListsFollowTheProcessorAndTheSettings) {
    startWith(fidVidStatus(10, 2, 14, 2));
    auto items = [this](const char* name) {
        QStringList list;
        auto* box = rig->control<QComboBox>(QLatin1String(name));
        for (int i = 0; i < box->count(); ++i)
            list.append(box->itemText(i));
        return list;
    };
    EXPECT_EQ(items("A64_MultiplierCombo"),
              (QStringList{"4.0x", "5.0x", "6.0x", "8.0x", "9.0x", "10.0x", "11.0x"}));
    EXPECT_EQ(items("A64_VoltageCombo").first(), QStringLiteral("1.500V"));
    EXPECT_FALSE(items("A64_VoltageCombo").contains(QStringLiteral("off")));

    GuiRig half("athlon64", QStringLiteral("[Settings]\nHalfMultis=1\n"));
    half.sim.setReg(kStatus, fidVidStatus(10, 2, 14, 2));
    ASSERT_TRUE(half.start());
    QStringList list;
    auto* box = half.control<QComboBox>(QStringLiteral("A64_MultiplierCombo"));
    for (int i = 0; i < box->count(); ++i)
        list.append(box->itemText(i));
    EXPECT_EQ(list, (QStringList{"4.0x", "4.5x", "5.0x", "5.5x", "6.0x", "8.0x", "8.5x", "9.0x",
                                 "9.5x", "10.0x", "10.5x", "11.0x"}));
}

}  // namespace
}  // namespace zandro

namespace zandro {
namespace {

TEST(DigitFilterTest, EditingKeysPassAndCharactersOtherThanDigitsDoNot) {
    test::ensureApplication();
    EditBox box(QStringLiteral("box"));
    box.setDigitsOnly(true);
    box.setText(QStringLiteral("123"));
    box.setCursorPosition(0);
    auto press = [&box](int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(&box, &event);
    };
    press(Qt::Key_Delete, QStringLiteral("\x7f"));
    EXPECT_EQ(box.text(), QStringLiteral("23"));
    press(Qt::Key_End, QString());
    press(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(box.text(), QStringLiteral("2"));
    press(Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);  // paste is a character too
    press(Qt::Key_Minus, QStringLiteral("-"));
    press(Qt::Key_7, QStringLiteral("7"));
    EXPECT_EQ(box.text(), QStringLiteral("27"));
}

}  // namespace
}  // namespace zandro
