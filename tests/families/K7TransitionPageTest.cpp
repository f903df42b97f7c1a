#include <gtest/gtest.h>
#include <QColor>
#include <QComboBox>
#include <QRegularExpression>

#include "PageTestSupport.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::fidVidStatus;
using test::GuiRig;

constexpr uint32_t kStatus = 0xC0010042;

struct ControlWrite {
    bool flushing;
    uint64_t value;
    unsigned fid() const { return unsigned(value & 0x1F); }
    unsigned vid() const { return unsigned((value >> 8) & 0x1F); }
};

std::vector<ControlWrite> controlWrites(const QStringList& trace) {
    std::vector<ControlWrite> writes;
    static const QRegularExpression write(
        QStringLiteral("^0 (wrmsr|wrmsr-wbinvd) c0010041 ([0-9a-f]{16})$"));
    for (const QString& line : trace) {
        const auto m = write.match(line);
        if (m.hasMatch())
            writes.push_back({m.captured(1) == QLatin1String("wrmsr-wbinvd"),
                              m.captured(2).toULongLong(nullptr, 16)});
    }
    return writes;
}

// Bits 17 and 20 on every write, bit 16 with the FID.
constexpr uint64_t kVidWrite = (1u << 17) | (1u << 20);
constexpr uint64_t kFidWrite = kVidWrite | (1u << 16);

class K7TransitionPageTest : public ::testing::Test {
protected:
    void startWith(const char* profile, uint64_t status,
                   const QString& ini = QStringLiteral("[MainWindow]\n")) {
        rig = std::make_unique<GuiRig>(profile, ini);
        rig->sim.setReg(kStatus, status);
        ASSERT_TRUE(rig->start());
        rig->act(QStringLiteral("tab:K7_FrequencyVoltageControl"));
        rig->takeTrace();
    }
    void choose(const char* combo, const QString& text) { test::chooseText(*rig, combo, text); }
    StatusPanel* reportPanel() {
        return rig->control<StatusPanel>(QStringLiteral("K7_TransitionReport"));
    }
    QString report() { return reportPanel()->text(); }
    QColor reportColour() { return test::reportColour(reportPanel()); }
    QStringList set() {
        rig->act(QStringLiteral("click:K7_InitiateFIDVIDChangeButton"));
        return rig->takeTrace();
    }
    uint64_t status() { return rig->sim.reg(kStatus); }

    std::unique_ptr<GuiRig> rig;
};

TEST_F(K7TransitionPageTest, SameMultiplierAndVoltageWriteNothingButShowTheClock) {
    startWith("athlon-mobile", fidVidStatus(14, 7, 3, 5));
    choose("K7_MultiplierCombo", QStringLiteral("10.0x"));
    choose("K7_VoltageCombo", QStringLiteral("1.650V"));
    reportPanel()->setText(QStringLiteral("old"));
    // Nothing to write, so the box is not read and not refused.
    rig->act(QStringLiteral("text:K7_StopGrantCyclesBox="));
    EXPECT_TRUE(set().filter(QStringLiteral("wrmsr")).isEmpty());
    EXPECT_EQ(report(), QStringLiteral("old"));
    EXPECT_TRUE(rig->messages.texts().isEmpty());
    EXPECT_EQ(rig->control<StatusPanel>(QStringLiteral("K7_CurrentCoreClock"))->text(),
              QStringLiteral("1000 MHz"));
}

TEST_F(K7TransitionPageTest, VoltageOnlyIsOneWriteWithTheStopGrantCount) {
    startWith("athlon-mobile", fidVidStatus(14, 5, 3, 5));
    choose("K7_VoltageCombo", QStringLiteral("1.600V"));
    const auto writes = controlWrites(set());
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].value, (uint64_t(10000) << 32) | (8u << 8) | kVidWrite);
    EXPECT_FALSE(writes[0].flushing);
    EXPECT_EQ((status() >> 32) & 0x1F, 8u);
    EXPECT_EQ(rig->sim.reg(0xC0010041), writes[0].value);  // reads back what was written
    EXPECT_EQ(report(), QStringLiteral("New voltage set"));
    EXPECT_EQ(reportColour(), QColor(0, 128, 0));
}

TEST_F(K7TransitionPageTest, MultiplierChangeRaisesTheVoltageAroundTheFidWrite) {
    startWith("athlon-mobile", fidVidStatus(14, 7, 3, 5));
    choose("K7_MultiplierCombo", QStringLiteral("12.5x"));
    choose("K7_VoltageCombo", QStringLiteral("1.650V"));
    const uint64_t before = rig->sim.machine.nowNs();
    const auto writes = controlWrites(set());
    ASSERT_EQ(writes.size(), 3u);
    const uint64_t high = uint64_t(10000) << 32;
    EXPECT_EQ(writes[0].value, high | (5u << 8) | kVidWrite);
    EXPECT_EQ(writes[1].value, high | (5u << 8) | 3u | kFidWrite);
    EXPECT_TRUE(writes[1].flushing);
    EXPECT_EQ(writes[2].value, high | (7u << 8) | kVidWrite);
    EXPECT_EQ(status() & 0x1F, 3u);
    EXPECT_EQ((status() >> 32) & 0x1F, 7u);
    EXPECT_EQ(report(), QStringLiteral("Transition finished"));
    EXPECT_EQ(reportColour(), QColor(0, 128, 0));
    EXPECT_EQ(rig->control<StatusPanel>(QStringLiteral("K7_CurrentCoreClock"))->text(),
              QStringLiteral("1250 MHz"));
    // Three stop grants of 10000 cycles at 100 MHz passed on the clock.
    EXPECT_GE(rig->sim.machine.nowNs() - before, uint64_t(3) * 100000);
}

TEST_F(K7TransitionPageTest, OffAfterYesWritesVid31AndAfterNoNothing) {
    startWith("athlon-mobile", fidVidStatus(14, 7, 3, 5),
              QStringLiteral("[Settings]\nuser_protection=0\n"));
    choose("K7_VoltageCombo", QStringLiteral("off"));
    rig->messages.answers.push_back(MsgAnswer::No);
    EXPECT_TRUE(controlWrites(set()).empty());
    rig->messages.answers.push_back(MsgAnswer::Yes);
    const auto writes = controlWrites(set());
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].vid(), 31u);
    ASSERT_EQ(rig->messages.shown.size(), 2u);
    EXPECT_EQ(rig->messages.shown[0].kind, MsgKind::Warning);
    EXPECT_TRUE(rig->messages.shown[0].text.startsWith(
        QStringLiteral("WARNING: The chosen value may result in unexpected behavior")));
}

TEST_F(K7TransitionPageTest, StopGrantBoxOfZeroWritesAZeroHighHalf) {
    startWith("athlon-mobile", fidVidStatus(14, 5, 3, 5));
    rig->act(QStringLiteral("text:K7_StopGrantCyclesBox=0"));
    choose("K7_VoltageCombo", QStringLiteral("1.700V"));
    const auto writes = controlWrites(set());
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].value >> 32, 0u);
}

TEST_F(K7TransitionPageTest, ABadStopGrantBoxIsRefusedBeforeTheFirstWrite) {
    startWith("athlon-mobile", fidVidStatus(14, 7, 3, 5));
    rig->act(QStringLiteral("text:K7_StopGrantCyclesBox=2000000"));
    choose("K7_MultiplierCombo", QStringLiteral("12.5x"));
    EXPECT_TRUE(controlWrites(set()).empty());
    EXPECT_EQ(rig->messages.texts(),
              QStringList{QStringLiteral("Please enter a value between 0 and 1048575.")});
    EXPECT_EQ(status() & 0x1F, 14u);
}

TEST_F(K7TransitionPageTest, AChangeThatNeverShowsFailsInRedOnTheClock) {
    // A desktop part ignores the request; without protection the user may still try.
    startWith("athlon", fidVidStatus(0, 7, 0, 7),
              QStringLiteral("[Settings]\nuser_protection=0\nRealPriority=1\n"));
    choose("K7_MultiplierCombo", QStringLiteral("12.5x"));
    const uint64_t before = rig->sim.machine.nowNs();
    const QStringList trace = set();
    EXPECT_EQ(report(), QStringLiteral("Unknown transition error"));
    EXPECT_EQ(reportColour(), QColor(255, 0, 0));
    EXPECT_LT(rig->sim.machine.nowNs() - before, uint64_t(3) * 1000 * 1000 * 1000);
    // The voltage is at its maximum already; the multiplier write never showed, so no voltage
    // write followed it.
    const auto writes = controlWrites(trace);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_TRUE(writes[1].flushing);
    // The part holds each write in stop grant: no priority change, whatever the setting.
    EXPECT_TRUE(trace.filter(QStringLiteral("priority")).isEmpty());
}

TEST_F(K7TransitionPageTest, AClickDuringAChangeStartsNothing) {
    startWith("athlon-mobile", fidVidStatus(14, 7, 3, 5),
              QStringLiteral("[Settings]\nuser_protection=0\n"));
    choose("K7_VoltageCombo", QStringLiteral("off"));
    // A nested event loop under the warning lets a second click through.
    bool nested = false;
    Messages::setHandler([&](MsgKind, const QString&, MsgButtons) {
        if (!nested) {
            nested = true;
            rig->act(QStringLiteral("click:K7_InitiateFIDVIDChangeButton"));
        }
        return MsgAnswer::Yes;
    });
    const auto writes = controlWrites(set());
    Messages::setHandler({});
    EXPECT_TRUE(nested);
    EXPECT_EQ(writes.size(), 1u);
}

TEST_F(K7TransitionPageTest, ComboChangeClearsTheReport) {
    startWith("athlon-mobile", fidVidStatus(14, 5, 3, 5));
    choose("K7_VoltageCombo", QStringLiteral("1.600V"));
    set();
    ASSERT_EQ(report(), QStringLiteral("New voltage set"));
    choose("K7_MultiplierCombo", QStringLiteral("11.0x"));
    EXPECT_EQ(report(), QStringLiteral("---"));
}

}  // namespace
}  // namespace zandro
