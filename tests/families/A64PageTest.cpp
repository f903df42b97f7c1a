#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include "PageTestSupport.h"
#include "families/A64Page.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::ClickCase;
using test::GuiRig;
using test::panelText;
using test::readIndexes;

constexpr uint32_t kEfer = 0xC0000080;
constexpr uint32_t kHwcr = 0xC0010015;
// The status routine: the name string, the revisions, EFER, HWCR and the FID/VID status.
const QStringList kRefreshReads = {"c0010030", "c0010031", "c0010032", "c0010033", "c0010034",
                                   "c0010035", "c001001e", "c0000080", "c0010015", "c0010042"};

TEST(A64PageTest, RefreshReadsExactlyThePagesRegisters) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:A64_Features"));
    EXPECT_EQ(readIndexes(rig.takeTrace()), kRefreshReads);
}

TEST(A64PageTest, WithoutFidVidControlTheStatusRegisterIsNotRead) {
    GuiRig rig("opteron");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:A64_FrequencyVoltageInfo"));
    EXPECT_FALSE(readIndexes(rig.takeTrace()).contains(QStringLiteral("c0010042")));
    for (const char* name :
         {"A64_CurrentVoltage", "A64_StartupVoltage", "A64_MaximumVoltage", "A64_RampVoltage",
          "A64_CurrentMultiplier", "A64_StartupMultiplier", "A64_MaximumMultiplier",
          "A64_VoltageAdjustments", "A64_FrequencyAdjustments"})
        EXPECT_EQ(panelText(rig, name), QStringLiteral("Not Supported")) << name;
}

TEST(A64PageTest, WithoutProtectionTheFieldsAreShownAnyway) {
    GuiRig rig("opteron", QStringLiteral("[Settings]\nuser_protection=0\n"));
    rig.sim.setReg(0xC0010042, 0x00120A00'000C0A08ull);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "A64_CurrentMultiplier"), QStringLiteral("8x"));
    EXPECT_EQ(panelText(rig, "A64_StartupMultiplier"), QStringLiteral("9x"));
    EXPECT_EQ(panelText(rig, "A64_MaximumMultiplier"), QStringLiteral("10x"));
    EXPECT_EQ(panelText(rig, "A64_CurrentVoltage"), QStringLiteral("1.550V"));
    EXPECT_EQ(panelText(rig, "A64_StartupVoltage"), QStringLiteral("1.300V"));
    EXPECT_EQ(panelText(rig, "A64_MaximumVoltage"), QStringLiteral("1.100V"));
    EXPECT_EQ(panelText(rig, "A64_VoltageAdjustments"), QStringLiteral("Not Supported"));
    EXPECT_EQ(panelText(rig, "A64_FrequencyAdjustments"), QStringLiteral("Not Supported"));
}

TEST(A64PageTest, FieldsOutsideTheTablesReadUnknown) {
    GuiRig rig("athlon64");
    // FID 63 and a ramp VID of 31 ("off").
    rig.sim.setReg(0xC0010042, 0x0002'0202'1F0A'0A3Full);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "A64_CurrentMultiplier"), QStringLiteral("unknown"));
    EXPECT_EQ(panelText(rig, "A64_RampVoltage"), QStringLiteral("off"));
}

TEST(A64PageTest, RevisionsAreDecimal) {
    GuiRig rig("athlon64");
    rig.sim.setReg(0xC001001E, 0x3FF);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "A64_MajorMaskRevision"), QStringLiteral("15"));
    EXPECT_EQ(panelText(rig, "A64_MinorMaskRevision"), QStringLiteral("15"));
    EXPECT_EQ(panelText(rig, "A64_ReticleSite"), QStringLiteral("3"));
}

class A64OptionTest : public ::testing::TestWithParam<ClickCase> {};

// The read-modify-write, then the whole page read again; the clicked button stays selected.
TEST_P(A64OptionTest, ClickWritesOneBitAndShowsTheRegister) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    test::checkClick(rig, "A64_Features", GetParam(), kRefreshReads);
}

INSTANTIATE_TEST_SUITE_P(
    Features, A64OptionTest,
    ::testing::Values(
        ClickCase{"A64_NoExecutePageEN", kEfer, 0x001, 0x801, "wrmsr", "A64_NoExecutePage",
                  "Enabled"},
        ClickCase{"A64_NoExecutePageDIS", kEfer, 0xD01, 0x501, "wrmsr", "A64_NoExecutePage",
                  "Disabled"},
        // Long mode: the buttons write "enable" (bit 8), the panel shows "active" (bit 10).
        ClickCase{"A64_AMD64LongModeEN", kEfer, 0x001, 0x101, "wrmsr", "A64_AMD64LongMode",
                  "Not active"},
        ClickCase{"A64_AMD64LongModeDIS", kEfer, 0x501, 0x401, "wrmsr", "A64_AMD64LongMode",
                  "Active"},
        ClickCase{"A64_SystemCallExtensionEN", kEfer, 0xD00, 0xD01, "wrmsr",
                  "A64_SystemCallExtension", "Enabled"},
        ClickCase{"A64_SystemCallExtensionDIS", kEfer, 0xD01, 0xD00, "wrmsr",
                  "A64_SystemCallExtension", "Disabled"},
        ClickCase{"A64_MachineCheckRegistersAL", kHwcr, 0x0A000000, 0x0A040000, "wrmsr",
                  "A64_MachineCheckRegisters", "Write Allowed"},
        ClickCase{"A64_MachineCheckRegistersDIS", kHwcr, 0x0A040000, 0x0A000000, "wrmsr",
                  "A64_MachineCheckRegisters", "Write Not Allowed"},
        // SSE: the bit disables, and the write flushes the caches.
        ClickCase{"A64_SSEInstructionSupportEN", kHwcr, 0x12340000'0A008000ull,
                  0x12340000'0A000000ull, "wrmsr-wbinvd", "A64_SSEInstructionSupport", "Enabled"},
        ClickCase{"A64_SSEInstructionSupportDIS", kHwcr, 0x0A000000, 0x0A008000, "wrmsr-wbinvd",
                  "A64_SSEInstructionSupport", "Disabled"}));

TEST(A64PageTest, FailedWriteShowsTheUnchangedRegister) {
    GuiRig rig("athlon64");
    rig.sim.setReg(kEfer, 0xD01);
    rig.sim.machine.cpu(0).failWrite.insert(kEfer);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:A64_NoExecutePageDIS"));
    EXPECT_EQ(rig.sim.reg(kEfer), 0xD01u);
    EXPECT_EQ(panelText(rig, "A64_NoExecutePage"), QStringLiteral("Enabled"));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(A64NameStringTest, WritingTwoCharactersClearsTheRest) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("text:A64_NameStringEditBox=AB"));
    EXPECT_EQ(rig.control<QLabel>(QStringLiteral("A64_CharsLeftLabel"))->text(),
              QStringLiteral("46 chars left"));
    rig.act(QStringLiteral("click:A64_NameStringWrite"));
    EXPECT_EQ(rig.sim.reg(0xC0010030), 0x4241u);
    for (uint32_t r = 0xC0010031; r <= 0xC0010035; ++r)
        EXPECT_EQ(rig.sim.reg(r), 0u);
    EXPECT_EQ(panelText(rig, "A64_NameString"), QStringLiteral("AB"));
    // The processor reports the new name through CPUID as well.
    EXPECT_EQ(rig.sim.platform.cpuid(0x80000002).eax, 0x4241u);
}

TEST(A64NameStringTest, FullNameFillsEveryRegister) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    const QString name = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuv");
    ASSERT_EQ(name.size(), 48);
    rig.act(QStringLiteral("text:A64_NameStringEditBox=") + name.left(47));
    EXPECT_EQ(rig.control<QLabel>(QStringLiteral("A64_CharsLeftLabel"))->text(),
              QStringLiteral("1 char left"));
    rig.act(QStringLiteral("text:A64_NameStringEditBox=") + name + QStringLiteral("xyz"));
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("A64_NameStringEditBox"))->text(), name);
    EXPECT_EQ(rig.control<QLabel>(QStringLiteral("A64_CharsLeftLabel"))->text(),
              QStringLiteral("0 chars left"));
    rig.act(QStringLiteral("click:A64_NameStringWrite"));
    EXPECT_EQ(rig.sim.reg(0xC0010031) & 0xFF, uint64_t('I'));  // character 9
    EXPECT_EQ(rig.sim.reg(0xC0010035) >> 56, uint64_t('v'));
    EXPECT_EQ(panelText(rig, "A64_NameString"), name);
}

TEST(A64NameStringTest, EmptyNameClearsTheRegisters) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("text:A64_NameStringEditBox="));
    EXPECT_EQ(rig.control<QLabel>(QStringLiteral("A64_CharsLeftLabel"))->text(),
              QStringLiteral("48 chars left"));
    rig.act(QStringLiteral("click:A64_NameStringWrite"));
    for (uint32_t r = 0xC0010030; r <= 0xC0010035; ++r)
        EXPECT_EQ(rig.sim.reg(r), 0u);
    EXPECT_EQ(panelText(rig, "A64_NameString"), QString());
}

}  // namespace
}  // namespace zandro
