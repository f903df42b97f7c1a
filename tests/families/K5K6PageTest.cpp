#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>

#include "PageTestSupport.h"
#include "families/K5K6Page.h"

namespace zandro {
namespace {

using test::ClickCase;
using test::GuiRig;
using test::panelText;
using test::readIndexes;

constexpr uint32_t kHwcr = 0x83;
constexpr uint32_t kEfer = 0xC0000080;
constexpr uint32_t kWhcr = 0xC0000082;
const QStringList kK5Reads = {"83"};
const QStringList kK6Reads = {"c0000082", "c0000080"};

K5K6Page* page(GuiRig& rig) {
    return rig.window->findChild<K5K6Page*>(QStringLiteral("pgctrlK6"));
}

QString label(GuiRig& rig) {
    return rig.control<QLabel>(QStringLiteral("K6_WriteAllocateLabel"))->text();
}

QString limitLabel(const char* total) {
    return QStringLiteral("Set limit to                     blocks of 4 MBytes.\n\r\n\rThat is ") +
           QLatin1String(total) + QStringLiteral(" MBytes total.");
}

TEST(K5K6PageTest, EachTabReadsItsRegistersAndAFamilyRefreshReadsBoth) {
    GuiRig rig("k5");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:K6_Features"));
    EXPECT_EQ(readIndexes(rig.takeTrace()), kK6Reads);
    rig.act(QStringLiteral("tab:K5_Features"));
    EXPECT_EQ(readIndexes(rig.takeTrace()), kK5Reads);
    // A K5 lacks the K6 registers, and still gets them read.
    page(rig)->refreshStatus();
    EXPECT_EQ(rig.takeTrace(), (QStringList{"0 rdmsr 83 0000000000000000", "0 rdmsr c0000082 FAIL",
                                            "0 rdmsr c0000080 FAIL"}));
}

TEST(K5K6PageTest, LabelHasItsTextFromTheStart) {
    GuiRig rig("k6");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(label(rig), limitLabel("---"));
    EXPECT_TRUE(rig.report().contains(QStringLiteral("\nK6_WriteAllocateLimitBox\tedit\t1\t\n")));
    EXPECT_EQ(panelText(rig, "K6_WriteAllocateLimit"), QStringLiteral("64MBytes"));
    EXPECT_EQ(panelText(rig, "K6_WriteAllocate15to16MB"), QStringLiteral("Enabled"));
    EXPECT_EQ(panelText(rig, "K6_WriteAllocate"), QStringLiteral("Write Allocate Disabled"));
}

TEST(K5K6PageTest, EarlyK5WithProtectionHidesWriteAllocate) {
    GuiRig rig("k5-early");
    rig.sim.setReg(kHwcr, 0x10);
    ASSERT_TRUE(rig.start());
    for (const char* name : {"K5_WriteAllocate", "K5_WriteAllocateEN", "K5_WriteAllocateDIS"})
        EXPECT_FALSE(rig.control<QWidget>(QLatin1String(name))->isEnabled()) << name;
    EXPECT_EQ(panelText(rig, "K5_WriteAllocate"), QStringLiteral("---"));
    EXPECT_EQ(panelText(rig, "K5_L1DataCache"), QStringLiteral("Enabled"));
    QString why;
    EXPECT_FALSE(rig.tryAct(QStringLiteral("click:K5_WriteAllocateEN"), &why));
}

TEST(K5K6PageTest, WithoutProtectionAnEarlyK5ShowsWriteAllocate) {
    GuiRig rig("k5-early", QStringLiteral("[Settings]\nuser_protection=0\n"));
    rig.sim.setReg(kHwcr, 0x10);
    ASSERT_TRUE(rig.start());
    for (const char* name : {"K5_WriteAllocate", "K5_WriteAllocateEN", "K5_WriteAllocateDIS"})
        EXPECT_TRUE(rig.control<QWidget>(QLatin1String(name))->isEnabled()) << name;
    EXPECT_EQ(panelText(rig, "K5_WriteAllocate"), QStringLiteral("Disabled"));
}

struct TabClick {
    const char* profile;
    const char* tab;
    ClickCase click;
};

class K5K6ClickTest : public ::testing::TestWithParam<TabClick> {};

TEST_P(K5K6ClickTest, ClickWritesOneBitAndShowsTheRegister) {
    const TabClick& c = GetParam();
    GuiRig rig(c.profile);
    ASSERT_TRUE(rig.start());
    const bool k5 = QLatin1String(c.tab) == QLatin1String("K5_Features");
    test::checkClick(rig, c.tab, c.click, k5 ? kK5Reads : kK6Reads);
}

constexpr const char* kWb = "wrmsr-wbinvd";
constexpr const char* kK5 = "K5_Features";
constexpr const char* kK6 = "K6_Features";
INSTANTIATE_TEST_SUITE_P(
    Options, K5K6ClickTest,
    ::testing::Values(
        TabClick{
            "k5", kK5, {"K5_L1DataCacheEN", kHwcr, 0xF1, 0x71, kWb, "K5_L1DataCache", "Enabled"}},
        TabClick{
            "k5", kK5, {"K5_L1DataCacheDIS", kHwcr, 0x00, 0x80, kWb, "K5_L1DataCache", "Disabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_L1InstructionCacheEN", kHwcr, 0xF1, 0xB1, kWb, "K5_L1InstructionCache",
                  "Enabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_L1InstructionCacheDIS", kHwcr, 0x00, 0x40, kWb, "K5_L1InstructionCache",
                  "Disabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_BranchPredictionEN", kHwcr, 0xF1, 0xD1, "wrmsr", "K5_BranchPrediction",
                  "Enabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_BranchPredictionDIS", kHwcr, 0x00, 0x20, "wrmsr", "K5_BranchPrediction",
                  "Disabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_WriteAllocateEN", kHwcr, 0xF1, 0xE1, "wrmsr", "K5_WriteAllocate", "Enabled"}},
        TabClick{
            "k5",
            kK5,
            {"K5_WriteAllocateDIS", kHwcr, 0x00, 0x10, "wrmsr", "K5_WriteAllocate", "Disabled"}},
        // Clock snooping: "Enable" clears bit 0 and nothing else.
        TabClick{"k5",
                 kK5,
                 {"K5_ClockSnoopEN", kHwcr, 0xFFFFFFFF, 0xFFFFFFFE, "wrmsr", "K5_ClockSnoop",
                  "Enabled"}},
        TabClick{"k5",
                 kK5,
                 {"K5_ClockSnoopDIS", kHwcr, 0x00, 0x01, "wrmsr", "K5_ClockSnoop", "Disabled"}},
        TabClick{"k6",
                 kK6,
                 {"K6_WriteAllocateEN", kWhcr, 0x21, 0x121, "wrmsr", "K6_WriteAllocate",
                  "Write Allocate Enabled"}},
        TabClick{"k6",
                 kK6,
                 {"K6_WriteAllocateDIS", kWhcr, 0x121, 0x21, "wrmsr", "K6_WriteAllocate",
                  "Write Allocate Disabled"}},
        TabClick{"k6",
                 kK6,
                 {"K6_WriteAllocate15to16MBEN", kWhcr, 0x20, 0x21, "wrmsr",
                  "K6_WriteAllocate15to16MB", "Enabled"}},
        TabClick{"k6",
                 kK6,
                 {"K6_WriteAllocate15to16MBDIS", kWhcr, 0x21, 0x20, "wrmsr",
                  "K6_WriteAllocate15to16MB", "Disabled"}},
        TabClick{"k6-3",
                 kK6,
                 {"K6_SystemCallExtensionEN", kEfer, 0x2, 0x3, "wrmsr", "K6_SystemCallExtension",
                  "Enabled"}},
        TabClick{"k6-3",
                 kK6,
                 {"K6_SystemCallExtensionDIS", kEfer, 0x3, 0x2, "wrmsr", "K6_SystemCallExtension",
                  "Disabled"}}));

class K5K6LimitTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.sim.setReg(kWhcr, 0x121);
        ASSERT_TRUE(rig.start());
        rig.act(QStringLiteral("tab:K6_Features"));
    }
    GuiRig rig{"k6"};
};

TEST_F(K5K6LimitTest, HighestLimitIsWrittenIntoItsBitsOnly) {
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox=127"));
    EXPECT_EQ(label(rig), limitLabel("508"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:K6_WriteAllocateLimitSET"));
    EXPECT_EQ(rig.sim.reg(kWhcr), 0x1FFu);
    const QStringList trace = rig.takeTrace();
    ASSERT_GE(trace.size(), 2);
    EXPECT_EQ(trace[1], QStringLiteral("0 wrmsr c0000082 00000000000001ff"));
    EXPECT_EQ(readIndexes(trace.mid(2)), kK6Reads);
    EXPECT_EQ(panelText(rig, "K6_WriteAllocateLimit"), QStringLiteral("508MBytes"));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST_F(K5K6LimitTest, LimitAboveTheFieldWarnsAndWritesNothing) {
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox=128"));
    EXPECT_EQ(label(rig), limitLabel("---"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:K6_WriteAllocateLimitSET"));
    EXPECT_TRUE(rig.takeTrace().isEmpty());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Warning);
    EXPECT_EQ(rig.messages.shown[0].text,
              QStringLiteral("Please select a value between 0 and 127."));
}

TEST_F(K5K6LimitTest, ThreeZerosWriteALimitOfZero) {
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox=000"));
    EXPECT_EQ(label(rig), limitLabel("0"));
    rig.act(QStringLiteral("click:K6_WriteAllocateLimitSET"));
    EXPECT_EQ(rig.sim.reg(kWhcr), 0x101u);
    EXPECT_EQ(panelText(rig, "K6_WriteAllocateLimit"), QStringLiteral("0MBytes"));
}

TEST_F(K5K6LimitTest, EmptyBoxIsNotANumberAndWritesNothing) {
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox="));
    rig.takeTrace();
    rig.act(QStringLiteral("click:K6_WriteAllocateLimitSET"));
    EXPECT_TRUE(rig.takeTrace().isEmpty());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Error);
    EXPECT_EQ(rig.messages.shown[0].text, QStringLiteral("'' is not a valid integer value"));
}

TEST_F(K5K6LimitTest, KeyFilterKeepsOnlyDigitsAndThreeOfThem) {
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox=1a-2 34"));
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("K6_WriteAllocateLimitBox"))->text(),
              QStringLiteral("123"));
    EXPECT_EQ(label(rig), limitLabel("492"));
}

TEST_F(K5K6LimitTest, LimitRecordIsSavedModulo256AndAppliedThroughSet) {
    rig.act(QStringLiteral("click:K6_SystemCallExtensionDIS"));
    rig.act(QStringLiteral("text:K6_WriteAllocateLimitBox=300"));
    rig.act(QStringLiteral("tab:K5_Features"));
    rig.act(QStringLiteral("click:K5_BranchPredictionDIS"));
    EXPECT_EQ(test::recordPairs(page(rig)->savedOptions()),
              (std::vector<std::pair<int, int>>{{512, 1}, {522, 44}, {523, 1}}));
    EXPECT_EQ(page(rig)->applyRecord({522, 16}), RecordAction::Applied);
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("K6_WriteAllocateLimitBox"))->text(),
              QStringLiteral("16"));
    EXPECT_EQ(rig.sim.reg(kWhcr), 0x121u);
    EXPECT_EQ(page(rig)->applyRecord({520, 1}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(kWhcr), 0x021u);
    EXPECT_FALSE(rig.control<QAbstractButton>(QStringLiteral("K6_WriteAllocateDIS"))->isChecked());
    EXPECT_EQ(page(rig)->applyRecord({522, 200}), RecordAction::Refused);
    EXPECT_EQ(rig.messages.texts().last(),
              QStringLiteral("Please select a value between 0 and 127."));
    EXPECT_EQ(page(rig)->applyRecord({441, 1}), RecordAction::NotMine);
}

}  // namespace
}  // namespace zandro
