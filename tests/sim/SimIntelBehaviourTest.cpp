#include <gtest/gtest.h>

#include "core/CoreClock.h"
#include "pstates/CodeTables.h"
#include "sim/SimIntelBehaviour.h"
#include "sim/SimStateFile.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

constexpr uint32_t kStatus = SimIntelBehaviour::kPerfStatus;
constexpr uint32_t kControl = SimIntelBehaviour::kPerfControl;
constexpr uint32_t kThermal = SimIntelBehaviour::kThermalStatus;

uint64_t readNow(SimRig& rig, uint32_t index) {
    uint32_t eax = 0, edx = 0;
    EXPECT_EQ(rig.platform.readMsr(index, eax, edx), 0) << std::hex << index;
    return (uint64_t(edx) << 32) | eax;
}

TEST(SimIntelBehaviour, NetBurstRanksFollowTheVoltageLadder) {
    for (size_t position = 0; position < kNetBurstVidLadder.size(); ++position) {
        EXPECT_EQ(SimIntelBehaviour::voltageRank(true, kNetBurstVidLadder[position]), position)
            << "VID " << unsigned(kNetBurstVidLadder[position]);
    }
    EXPECT_FALSE(SimIntelBehaviour::voltageRank(true, 0));
    EXPECT_FALSE(SimIntelBehaviour::voltageRank(true, 32));
    EXPECT_EQ(SimIntelBehaviour::voltageRank(false, 0), 0u) << "Pentium M VID 0 is 0.700 V";
}

TEST(SimIntelBehaviour, RatioMovesAtOnceAndTheVidAfterSettling) {
    SimRig rig("pentium-m");  // 20x at VID 40; limits 6x..20x, VID 18..40
    ASSERT_EQ(rig.platform.writeMsr(kControl, 0x0C20), 0);
    const uint64_t early = readNow(rig, kStatus);
    EXPECT_EQ(early & 0xFFFF, 0x0C28u) << "new ratio, old VID";
    EXPECT_EQ(early >> 16, rig.reg(kStatus) >> 16) << "the limits stay";
    rig.platform.sleepMs(1);
    EXPECT_EQ(readNow(rig, kStatus) & 0xFFFF, 0x0C20u);
    EXPECT_EQ(rig.reg(kControl), 0x0C20u);
}

TEST(SimIntelBehaviour, RequestsOutsideTheLimitsOrWhileSettlingAreRefused) {
    const struct {
        uint64_t request;
        bool accepted;
    } cases[] = {
        {0x0612, true},  {0x1428, true},  {0x0512, false}, {0x1528, false},
        {0x0611, false}, {0x1429, false}, {0x0A1E, true},
    };
    for (const auto& c : cases) {
        SimRig rig("pentium-m");
        rig.platform.writeMsr(kControl, c.request);
        rig.platform.sleepMs(1);
        const uint64_t expected = c.accepted ? c.request : 0x1428;
        EXPECT_EQ(readNow(rig, kStatus) & 0xFFFF, expected) << std::hex << c.request;
        EXPECT_EQ(rig.reg(kControl), expected) << "199h shows the operating point";
    }
    SimRig rig("pentium-m");
    rig.platform.writeMsr(kControl, 0x1420);
    rig.platform.writeMsr(kControl, 0x1418);  // the first VID is still on its way
    rig.platform.sleepMs(1);
    EXPECT_EQ(readNow(rig, kStatus) & 0xFFFF, 0x1420u);
    EXPECT_EQ(rig.reg(kControl), 0x1420u);
}

TEST(SimIntelBehaviour, NetBurstLimitsAreVoltagesNotCodes) {
    SimRig rig("pentium4");
    // Limits 12x..14x, VID 22 (0.8500 V)..VID 45 (1.4125 V); 1.1000 V is VID 1, numerically
    // below the lowest code yet well inside the range.
    rig.setReg(kStatus, 0x0E2D0E2D0C160E2Dull);
    rig.platform.writeMsr(kControl, 0x0C01);
    rig.platform.sleepMs(1);
    EXPECT_EQ(readNow(rig, kStatus) & 0xFFFF, 0x0C01u);
    rig.platform.writeMsr(kControl, 0x0C0E);  // 1.4250 V: above VID 45
    rig.platform.sleepMs(1);
    EXPECT_EQ(readNow(rig, kStatus) & 0xFFFF, 0x0C01u);
}

TEST(SimIntelBehaviour, ThermalLogOnlyClearsAndHeatSetsItAgain) {
    SimRig rig("pentium-m");
    rig.setReg(kThermal, 0x2);
    rig.platform.writeMsr(kThermal, 0x3);  // writing 1 sets nothing, bit 0 is read-only
    EXPECT_EQ(rig.reg(kThermal), 0x2u);
    rig.platform.writeMsr(kThermal, 0x0);
    EXPECT_EQ(rig.reg(kThermal), 0x0u);
    rig.platform.writeMsr(kThermal, 0x2);
    EXPECT_EQ(rig.reg(kThermal), 0x0u) << "the log cannot be set by software";
    rig.setReg(kThermal, 0x3);  // too hot now
    rig.platform.writeMsr(kThermal, 0x0);
    EXPECT_EQ(rig.reg(kThermal), 0x3u);
}

TEST(SimIntelBehaviour, ASimStateSetsBothThermalBits) {
    SimRig rig("pentium-m-banias");
    ASSERT_TRUE(parseSimState("0 msr 19C 3\n", "state", rig.machine).ok);
    EXPECT_EQ(readNow(rig, kThermal), 0x3u);
    rig.platform.writeMsr(kThermal, 0x0);
    EXPECT_EQ(readNow(rig, kThermal), 0x3u) << "still too hot: the log is set again";
    ASSERT_TRUE(parseSimState("0 msr 19C 0\n", "state", rig.machine).ok);
    EXPECT_EQ(readNow(rig, kThermal), 0x0u);
}

TEST(SimIntelBehaviour, TimeStampCounterRate) {
    SimRig dothan("pentium-m");
    EXPECT_EQ(MeasureCoreClock(dothan.platform), 2000);
    dothan.platform.writeMsr(kControl, 0x0C28);
    EXPECT_EQ(MeasureCoreClock(dothan.platform), 1200) << "the Pentium M counts core clocks";
    dothan.setReg(0x2A, dothan.reg(0x2A) | (1u << 18));
    EXPECT_EQ(MeasureCoreClock(dothan.platform), 1600) << "12 x 133 MHz";

    SimRig prescott("pentium4");  // model 3: constant rate at the highest ratio
    prescott.setReg(kStatus, 0x0E2D0E2D0C160E2Dull);
    EXPECT_EQ(MeasureCoreClock(prescott.platform), 2800);
    prescott.platform.writeMsr(kControl, 0x0C2D);
    EXPECT_EQ(MeasureCoreClock(prescott.platform), 2800);
    prescott.machine.cpu(0).cpuid[1].eax = 0xF24;  // model 2 counts core clocks
    EXPECT_EQ(MeasureCoreClock(prescott.platform), 2400);
}

}  // namespace
}  // namespace zandro::test
