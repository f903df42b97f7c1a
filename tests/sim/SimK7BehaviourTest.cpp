#include <gtest/gtest.h>

#include "SimFixture.h"
#include "sim/SimK7Behaviour.h"

namespace zandro {
namespace {

using test::SimRig;

constexpr uint32_t kControl = 0xC0010041;
constexpr uint32_t kStatus = 0xC0010042;

TEST(SimK7Behaviour, AWriteWithTheChangeBitsShowsAtOnceAfterItsStopGrant) {
    SimRig rig("athlon-mobile");
    const uint64_t before = rig.machine.nowNs();
    const uint64_t control =
        (uint64_t(100000) << 32) | (1u << 20) | (1u << 17) | (1u << 16) | (9u << 8) | 3u;
    ASSERT_TRUE(rig.machine.write(0, kControl, control));
    EXPECT_EQ(rig.reg(kStatus) & 0x1F, 3u);
    EXPECT_EQ((rig.reg(kStatus) >> 32) & 0x1F, 9u);
    EXPECT_EQ(rig.reg(kControl), control);
    // 100000 cycles at 100 MHz: one millisecond in stop grant.
    EXPECT_GE(rig.machine.nowNs() - before, uint64_t(1000000));
    EXPECT_DOUBLE_EQ(rig.machine.behaviour().coreClockMhz(rig.machine, 0), 1250.0);
}

TEST(SimK7Behaviour, OnlyTheFieldsWithTheirChangeBitMove) {
    SimRig rig("athlon-mobile");
    const uint64_t status = rig.reg(kStatus);
    ASSERT_TRUE(rig.machine.write(0, kControl, (1u << 17) | (12u << 8) | 7u));
    EXPECT_EQ(rig.reg(kStatus) & 0x1F, status & 0x1F);
    EXPECT_EQ((rig.reg(kStatus) >> 32) & 0x1F, 12u);
}

TEST(SimK7Behaviour, ADesktopPartKeepsItsMultiplierAndVoltage) {
    SimRig rig("athlon");
    const uint64_t status = rig.reg(kStatus);
    ASSERT_TRUE(rig.machine.write(0, kControl, (1u << 17) | (1u << 16) | (12u << 8) | 3u));
    EXPECT_EQ(rig.reg(kStatus), status);
}

}  // namespace
}  // namespace zandro
