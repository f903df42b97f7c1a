#include <gtest/gtest.h>

#include "core/Cpuid.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

// The identity each P6, K5 and K6 profile stands for, which the pages' rules depend on.
struct Identity {
    const char* profile;
    FamilyKind family;
    uint8_t model;
    uint8_t stepping;
};

class OlderFamilyProfileTest : public ::testing::TestWithParam<Identity> {};

TEST_P(OlderFamilyProfileTest, ReportsItsModelAndSteppingAndSelectsItsPage) {
    const Identity& c = GetParam();
    SimRig rig(c.profile);
    const CpuIdentity id = ReadCpuid(rig.platform);
    EXPECT_EQ(id.model, c.model);
    EXPECT_EQ(id.stepping, c.stepping);
    EXPECT_TRUE(isFamilyDetected(rig.platform, c.family));
}

INSTANTIATE_TEST_SUITE_P(Profiles, OlderFamilyProfileTest,
                         ::testing::Values(Identity{"pentium3", FamilyPentium3, 8, 3},
                                           Identity{"pentium3-tualatin", FamilyPentium3, 11, 1},
                                           Identity{"pentium3-katmai", FamilyPentium3, 7, 3},
                                           Identity{"k6", FamilyK5K6, 8, 0},
                                           Identity{"k6-3", FamilyK5K6, 9, 1},
                                           Identity{"k5", FamilyK5K6, 1, 4},
                                           Identity{"k5-early", FamilyK5K6, 1, 1}));

TEST(OlderFamilyProfiles, DisabledSerialNumberIsGoneFromCpuid) {
    SimRig tualatin("pentium3-tualatin");
    EXPECT_EQ(tualatin.reg(0x119) >> 21 & 1, 1u);
    EXPECT_EQ(tualatin.platform.cpuid(1).edx >> 18 & 1, 0u);
    EXPECT_LT(tualatin.platform.cpuid(0).eax, 3u);
    SimRig coppermine("pentium3");
    EXPECT_EQ(coppermine.reg(0x119) >> 21 & 1, 0u);
    EXPECT_EQ(coppermine.platform.cpuid(1).edx >> 18 & 1, 1u);
}

}  // namespace
}  // namespace zandro::test
