#include <gtest/gtest.h>
#include <QComboBox>

#include "PageTestSupport.h"
#include "families/Pentium3Page.h"

namespace zandro {
namespace {

using test::ClickCase;
using test::GuiRig;
using test::panelText;
using test::readIndexes;

constexpr uint32_t kEbc = 0x2A;
constexpr uint32_t kSerial = 0x119;
constexpr uint32_t kL2 = 0x11E;
// The ratio text's own read of 2Ah, then 2Ah, 119h and 11Eh.
const QStringList kRefreshReads = {"2a", "2a", "119", "11e"};

QComboBox* latencyList(GuiRig& rig) {
    return rig.control<QComboBox>(QStringLiteral("P6_L2cacheLatencyCombo"));
}

TEST(Pentium3PageTest, RefreshReadsExactlyThePagesRegisters) {
    GuiRig rig("pentium3");
    ASSERT_TRUE(rig.start());
    for (const char* tab :
         {"P6_Features", "P6_L2cache", "P6_L2cacheConfig", "P6_ErrorChecking", "P6_Information"}) {
        rig.act(QStringLiteral("tab:") + QLatin1String(tab));
        EXPECT_EQ(readIndexes(rig.takeTrace()), kRefreshReads) << tab;
    }
}

struct DecodeCase {
    uint32_t index;
    uint64_t value;
    const char* panel;
    const char* text;
};

class Pentium3DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Pentium3DecodeTest, FieldShowsItsText) {
    const DecodeCase& c = GetParam();
    GuiRig rig("pentium3");
    rig.sim.setReg(c.index, c.value);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, c.panel), QLatin1String(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Pentium3DecodeTest,
    ::testing::Values(DecodeCase{kEbc, 0x00000000, "P6_SystemBusFrequency", "66 MHz"},
                      DecodeCase{kEbc, 0x00040000, "P6_SystemBusFrequency", "133 MHz"},
                      DecodeCase{kEbc, 0x00080000, "P6_SystemBusFrequency", "100 MHz"},
                      DecodeCase{kEbc, 0x000C0000, "P6_SystemBusFrequency", "Unknown"},
                      DecodeCase{kEbc, 0x00002000, "P6_InOrderQueueDepth", "1 entry"},
                      DecodeCase{kEbc, 0x00000000, "P6_InOrderQueueDepth", "8 entry"},
                      DecodeCase{kEbc, 0x01000000, "P6_ClockFrequencyRatio", "5.5x"},
                      DecodeCase{kEbc, 0x04000006, "P6_LowPowerMode", "Enabled"},
                      DecodeCase{kEbc, 0x04000004, "P6_DataErrorChecking", "Disabled"},
                      DecodeCase{kEbc, 0x04000004, "P6_ResponseErrorChecking", "Enabled"},
                      DecodeCase{kSerial, 0x00200000, "P6_SerialNumber", "Disabled"},
                      DecodeCase{kSerial, 0x00000000, "P6_SerialNumber", "Enabled"},
                      DecodeCase{kL2, 0x00800000, "P6_L2Hardware", "Hardware enabled"},
                      DecodeCase{kL2, 0x00001800, "P6_NumberOfL2Banks", "3"},
                      DecodeCase{kL2, 0x00000200, "P6_L2Associativity", "2-Way"},
                      DecodeCase{kL2, 0x00000400, "P6_L2Associativity", "4-Way"},
                      DecodeCase{kL2, 0x00000000, "P6_L2Associativity", "Direct Mapped"},
                      DecodeCase{kL2, 0x00600000, "P6_L2PhysicalAddressRange", "32 GByte"},
                      DecodeCase{kL2, 0x00000000, "P6_L2PhysicalAddressRange", "512 MByte"},
                      DecodeCase{kL2, 0x00000100, "P6_L2Enabled", "Enabled and initialized"},
                      DecodeCase{kL2, 0x0000000A, "P6_L2cacheLatency", "5cycle"},
                      DecodeCase{kL2, 0x00000002, "P6_L2cacheLatency", "1cycle"},
                      DecodeCase{kL2, 0x00010000, "P6_CacheSizePerBank", "2 Mbytes"},
                      DecodeCase{kL2, 0x00020000, "P6_CacheSizePerBank", "4 MBytes"},
                      DecodeCase{kL2, 0x00000001, "P6_L2configured", "Enabled"},
                      DecodeCase{kL2, 0x00040000, "P6_L2CacheStateErrorChecking", "Enabled"},
                      DecodeCase{kL2, 0x00000080, "P6_L2CRTNParityChecking", "Enabled"},
                      DecodeCase{kL2, 0x00000040, "P6_L2AddressParityChecking", "Enabled"},
                      DecodeCase{kL2, 0x000000C0, "P6_L2ECCChecking", "Disabled"}));

TEST(Pentium3PageTest, ModelElevenUsesItsOwnRatioColumn) {
    GuiRig rig("pentium3-tualatin");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "P6_ClockFrequencyRatio"), QStringLiteral("9.0x"));
    EXPECT_EQ(panelText(rig, "P6_SerialNumber"), QStringLiteral("Disabled"));
}

TEST(Pentium3PageTest, CacheSizeWithTwoBitsKeepsThePanelsText) {
    GuiRig rig("pentium3");
    rig.sim.setReg(kL2, 0x00004000);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "P6_CacheSizePerBank"), QStringLiteral("512 kBytes"));
    rig.sim.setReg(kL2, 0x00006000);
    rig.act(QStringLiteral("tab:P6_L2cacheConfig"));
    EXPECT_EQ(panelText(rig, "P6_CacheSizePerBank"), QStringLiteral("512 kBytes"));
}

TEST(Pentium3PageTest, LatencyListFollowsTheRegisterOnlyUntilTheUserPicks) {
    GuiRig rig("pentium3");
    rig.sim.setReg(kL2, 0x0000000A);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(latencyList(rig)->currentText(), QStringLiteral("5 cycles"));
    EXPECT_EQ(latencyList(rig)->count(), 16);
    EXPECT_EQ(latencyList(rig)->itemText(0), QStringLiteral("0 cycle"));
    EXPECT_EQ(latencyList(rig)->itemText(1), QStringLiteral("1 cycle"));
    rig.act(QStringLiteral("select:P6_L2cacheLatencyCombo=2"));
    rig.sim.setReg(kL2, 0x00000006);
    rig.act(QStringLiteral("tab:P6_L2cacheConfig"));
    EXPECT_EQ(latencyList(rig)->currentText(), QStringLiteral("2 cycles"));
    EXPECT_EQ(panelText(rig, "P6_L2cacheLatency"), QStringLiteral("3cycle"));
}

TEST(Pentium3PageTest, ApplyPutsTheEntryIntoTheLatencyBitsOnly) {
    GuiRig rig("pentium3");
    rig.sim.setReg(kL2, 0xFFFFFFE1);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:P6_L2cacheConfig"));
    rig.act(QStringLiteral("select:P6_L2cacheLatencyCombo=15"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:P6_L2cacheLatencyAPP"));
    EXPECT_EQ(rig.sim.reg(kL2), 0xFFFFFFFFu);
    const QStringList trace = rig.takeTrace();
    ASSERT_GE(trace.size(), 2);
    EXPECT_EQ(trace[1], QStringLiteral("0 wrmsr-wbinvd 11e 00000000ffffffff"));
    EXPECT_EQ(readIndexes(trace.mid(2)), kRefreshReads);
    EXPECT_EQ(panelText(rig, "P6_L2cacheLatency"), QStringLiteral("15cycle"));
}

TEST(Pentium3PageTest, ApplyWithoutALatencyWritesNothing) {
    GuiRig rig("pentium3");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:P6_L2cacheConfig"));
    rig.act(QStringLiteral("select:P6_L2cacheLatencyCombo=-1"));
    const uint64_t before = rig.sim.reg(kL2);
    rig.takeTrace();
    rig.act(QStringLiteral("click:P6_L2cacheLatencyAPP"));
    EXPECT_TRUE(test::writeLines(rig.takeTrace()).isEmpty());
    EXPECT_EQ(rig.sim.reg(kL2), before);
}

TEST(Pentium3PageTest, SerialNumberButtonDisablesTheSerialNumber) {
    GuiRig rig("pentium3");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "P6_SerialNumber"), QStringLiteral("Enabled"));
    const ClickCase c{"P6_SerialNumberDIS", kSerial,   0x00000000, 0x00200000, "wrmsr",
                      "P6_SerialNumber",    "Disabled"};
    test::checkClick(rig, "P6_Features", c, kRefreshReads);
    // Pressing it again leaves the serial number disabled.
    rig.act(QStringLiteral("click:P6_SerialNumberDIS"));
    EXPECT_EQ(rig.sim.reg(kSerial), 0x00200000u);
    EXPECT_EQ(panelText(rig, "P6_SerialNumber"), QStringLiteral("Disabled"));
}

struct TabClick {
    const char* tab;
    ClickCase click;
};

class Pentium3ClickTest : public ::testing::TestWithParam<TabClick> {};

TEST_P(Pentium3ClickTest, ClickWritesItsBitsAndShowsTheRegister) {
    GuiRig rig("pentium3");
    ASSERT_TRUE(rig.start());
    test::checkClick(rig, GetParam().tab, GetParam().click, kRefreshReads);
}

constexpr const char* kWb = "wrmsr-wbinvd";
INSTANTIATE_TEST_SUITE_P(
    Options, Pentium3ClickTest,
    ::testing::Values(
        TabClick{
            "P6_Features",
            {"P6_DataErrorCheckingEN", kEbc, 0x0, 0x2, kWb, "P6_DataErrorChecking", "Enabled"}},
        TabClick{
            "P6_Features",
            {"P6_DataErrorCheckingDIS", kEbc, 0x6, 0x4, kWb, "P6_DataErrorChecking", "Disabled"}},
        TabClick{"P6_Features",
                 {"P6_ResponseErrorCheckingEN", kEbc, 0x2, 0x6, kWb, "P6_ResponseErrorChecking",
                  "Enabled"}},
        TabClick{"P6_Features",
                 {"P6_ResponseErrorCheckingDIS", kEbc, 0x6, 0x2, kWb, "P6_ResponseErrorChecking",
                  "Disabled"}},
        TabClick{"P6_Features",
                 {"P6_LowPowerModeEN", kEbc, 0x00140000, 0x04140000, "wrmsr", "P6_LowPowerMode",
                  "Enabled"}},
        TabClick{"P6_Features",
                 {"P6_LowPowerModeDIS", kEbc, 0x04140000, 0x00140000, "wrmsr", "P6_LowPowerMode",
                  "Disabled"}},
        TabClick{
            "P6_L2cacheConfig",
            {"P6_L2EnabledEN", kL2, 0x1, 0x101, kWb, "P6_L2Enabled", "Enabled and initialized"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_L2EnabledDIS", kL2, 0x101, 0x1, kWb, "P6_L2Enabled", "Disabled"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_L2configuredEN", kL2, 0x100, 0x101, kWb, "P6_L2configured", "Enabled"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_L2configuredDIS", kL2, 0x101, 0x100, kWb, "P6_L2configured", "Disabled"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_CacheSizePerBank256", kL2, 0x3E101, 0x02101, kWb, "P6_CacheSizePerBank",
                  "256 kBytes"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_CacheSizePerBank512", kL2, 0x02101, 0x04101, kWb, "P6_CacheSizePerBank",
                  "512 kBytes"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_CacheSizePerBank1024", kL2, 0x02101, 0x08101, kWb, "P6_CacheSizePerBank",
                  "1 MByte"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_CacheSizePerBank2048", kL2, 0xFFFC2101, 0xFFFD0101, kWb,
                  "P6_CacheSizePerBank", "2 Mbytes"}},
        TabClick{"P6_L2cacheConfig",
                 {"P6_CacheSizePerBank4096", kL2, 0x02101, 0x20101, kWb, "P6_CacheSizePerBank",
                  "4 MBytes"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2CacheStateErrorCheckingEN", kL2, 0x0, 0x40000, kWb,
                  "P6_L2CacheStateErrorChecking", "Enabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2CacheStateErrorCheckingDIS", kL2, 0x400E0, 0xE0, kWb,
                  "P6_L2CacheStateErrorChecking", "Disabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2CRTNParityCheckingEN", kL2, 0x0, 0x80, kWb, "P6_L2CRTNParityChecking",
                  "Enabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2CRTNParityCheckingDIS", kL2, 0xE0, 0x60, kWb, "P6_L2CRTNParityChecking",
                  "Disabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2AddressParityCheckingEN", kL2, 0x0, 0x40, kWb, "P6_L2AddressParityChecking",
                  "Enabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2AddressParityCheckingDIS", kL2, 0xE0, 0xA0, kWb,
                  "P6_L2AddressParityChecking", "Disabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2ECCCheckingEN", kL2, 0x0, 0x20, kWb, "P6_L2ECCChecking", "Enabled"}},
        TabClick{"P6_ErrorChecking",
                 {"P6_L2ECCCheckingDIS", kL2, 0xE0, 0xC0, kWb, "P6_L2ECCChecking", "Disabled"}}));

Pentium3Page* page(GuiRig& rig) {
    return rig.window->findChild<Pentium3Page*>(QStringLiteral("pgctrlIPIII"));
}

TEST(Pentium3PageTest, SavedOptionsAreTheUsersChoicesInCodeOrder) {
    GuiRig rig("pentium3");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:P6_L2ECCCheckingDIS"));
    rig.act(QStringLiteral("click:P6_CacheSizePerBank2048"));
    rig.act(QStringLiteral("click:P6_LowPowerModeEN"));
    rig.act(QStringLiteral("select:P6_L2cacheLatencyCombo=4"));
    EXPECT_EQ(test::recordPairs(page(rig)->savedOptions()),
              (std::vector<std::pair<int, int>>{{422, 0}, {441, 4}, {442, 3}, {453, 1}}));
}

TEST(Pentium3PageTest, RecordsRunTheHandlersWithoutSelectingButtons) {
    GuiRig rig("pentium3");
    rig.sim.setReg(kL2, 0x00002101);
    ASSERT_TRUE(rig.start());
    Pentium3Page* p = page(rig);
    EXPECT_EQ(p->applyRecord({442, 4}), RecordAction::Applied);
    EXPECT_EQ(p->applyRecord({441, 7}), RecordAction::Applied);
    EXPECT_EQ(p->applyRecord({440, 1}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(kL2), 0x0002000Fu);
    EXPECT_FALSE(
        rig.control<QAbstractButton>(QStringLiteral("P6_CacheSizePerBank4096"))->isChecked());
    EXPECT_EQ(latencyList(rig)->currentIndex(), 7);
    // A position without a button and an index the list lacks change nothing.
    rig.takeTrace();
    EXPECT_EQ(p->applyRecord({443, 2}), RecordAction::Applied);
    EXPECT_EQ(p->applyRecord({441, 16}), RecordAction::Applied);
    EXPECT_EQ(latencyList(rig)->currentIndex(), -1);
    EXPECT_TRUE(test::writeLines(rig.takeTrace()).isEmpty());
    EXPECT_EQ(p->applyRecord({520, 0}), RecordAction::NotMine);
}

}  // namespace
}  // namespace zandro
