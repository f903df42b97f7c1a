#include <gtest/gtest.h>

#include "sim/SimP6Behaviour.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

constexpr uint32_t kBbclControl = SimP6Behaviour::kBbclControl;

TEST(SimP6Behaviour, DisablingTheSerialNumberHidesItFromCpuidUntilReset) {
    SimRig rig("pentium3");
    ASSERT_EQ(rig.platform.cpuid(1).edx & SimP6Behaviour::kSerialFeatureBit,
              SimP6Behaviour::kSerialFeatureBit);
    ASSERT_EQ(rig.platform.writeMsr(kBbclControl, SimP6Behaviour::kSerialDisableBit), 0);
    EXPECT_EQ(rig.platform.cpuid(1).edx & SimP6Behaviour::kSerialFeatureBit, 0u);
    EXPECT_EQ(rig.platform.cpuid(0).eax, 2u);
    // Writing 0 afterwards does not bring it back.
    ASSERT_EQ(rig.platform.writeMsr(kBbclControl, 0), 0);
    EXPECT_EQ(rig.reg(kBbclControl), SimP6Behaviour::kSerialDisableBit);
}

TEST(SimP6Behaviour, OtherWritesLeaveTheSerialNumberOn) {
    SimRig rig("pentium3-katmai");
    ASSERT_EQ(rig.platform.writeMsr(kBbclControl, 0), 0);
    ASSERT_EQ(rig.platform.writeMsr(0x11E, 0x00344D27), 0);
    EXPECT_EQ(rig.reg(kBbclControl), 0u);
    EXPECT_EQ(rig.platform.cpuid(0).eax, 3u);
    EXPECT_NE(rig.platform.cpuid(1).edx & SimP6Behaviour::kSerialFeatureBit, 0u);
}

TEST(SimP6Behaviour, OnlyPentiumIIIMachinesGetIt) {
    for (const char* profile : {"pentium3", "pentium3-tualatin", "pentium3-katmai"})
        EXPECT_TRUE(SimP6Behaviour::fits(SimRig(profile).machine.cpu(0))) << profile;
    for (const char* profile : {"pentium-m", "pentium4", "k6", "athlon"})
        EXPECT_FALSE(SimP6Behaviour::fits(SimRig(profile).machine.cpu(0))) << profile;
}

}  // namespace
}  // namespace zandro::test
