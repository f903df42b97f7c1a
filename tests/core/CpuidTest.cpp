#include <gtest/gtest.h>

#include <cstring>

#include "SimFixture.h"
#include "core/CoreClock.h"
#include "core/Cpuid.h"

namespace zandro {
namespace {

// A processor of the given vendor and leaf-1 EAX on top of a simulated machine.
class IdentityTest : public ::testing::Test {
protected:
    void setIdentity(const char* vendor, uint32_t eax) {
        CpuidRegs leaf0{};
        leaf0.eax = 1;
        std::memcpy(&leaf0.ebx, vendor, 4);
        std::memcpy(&leaf0.edx, vendor + 4, 4);
        std::memcpy(&leaf0.ecx, vendor + 8, 4);
        rig.machine.cpu(0).cpuid[0] = leaf0;
        rig.machine.cpu(0).cpuid[1] = CpuidRegs{eax, 0, 0, 0};
    }
    std::vector<bool> detectors() {
        return {IsAthlon64(rig.platform), IsPentiumM(rig.platform), IsPentium4(rig.platform),
                IsAthlonK7(rig.platform), IsPentium3(rig.platform), IsK5K6(rig.platform)};
    }
    test::SimRig rig{"athlon64"};
};

TEST_F(IdentityTest, ExtendedModelCountsOnlyWhenTheBaseModelIs15) {
    setIdentity("AuthenticAMD", 0x00020F70);  // family 15, model 7, extended model 2
    CpuIdentity id = ReadCpuid(rig.platform);
    EXPECT_EQ(id.family, 15);
    EXPECT_EQ(id.model, 7);
    EXPECT_EQ(id.vendorCode, 1);
    EXPECT_EQ(detectors(), (std::vector<bool>{true, false, false, false, false, false}));

    setIdentity("AuthenticAMD", 0x00040FF2);  // base model 15, extended model 4
    id = ReadCpuid(rig.platform);
    EXPECT_EQ(id.model, 0x4F);
    EXPECT_EQ(id.stepping, 2);
}

TEST_F(IdentityTest, LaterAmdFamiliesMatchNoDetector) {
    setIdentity("AuthenticAMD", 0x00100F22);  // family 15 + 1
    EXPECT_EQ(ReadCpuid(rig.platform).family, 16);
    EXPECT_EQ(detectors(), std::vector<bool>(6, false));
}

TEST_F(IdentityTest, IntelFamilySixSplitsByModel) {
    setIdentity("GenuineIntel", 0x000006D8);
    EXPECT_EQ(detectors(), (std::vector<bool>{false, true, false, false, false, false}));
    setIdentity("GenuineIntel", 0x00000695);
    EXPECT_TRUE(IsPentiumM(rig.platform));
    setIdentity("GenuineIntel", 0x00000683);
    EXPECT_EQ(detectors(), (std::vector<bool>{false, false, false, false, true, false}));
    setIdentity("GenuineIntel", 0x00000F29);
    EXPECT_EQ(detectors(), (std::vector<bool>{false, false, true, false, false, false}));
}

// Every Intel part since the Core is family 6 as well: only the P6 and Pentium M parts (no
// extended model, model below 14) get their pages, and the line names what was found.
TEST_F(IdentityTest, LaterIntelFamilySixPartsMatchNoDetector) {
    const struct {
        uint32_t eax;
        const char* line;
    } cases[] = {
        {0x000006E8, "family 6, model 14, stepping 8"},   // Core Duo
        {0x000006FB, "family 6, model 15, stepping 11"},  // Core 2
        {0x00010676, "family 6, model 23, stepping 6"},   // Penryn
        {0x000206A7, "family 6, model 42, stepping 7"},   // Sandy Bridge
        {0x000306D4, "family 6, model 61, stepping 4"},   // Broadwell: base model 13
        {0x000C06F2, "family 6, model 207, stepping 2"},  // a current Xeon
    };
    for (const auto& c : cases) {
        setIdentity("GenuineIntel", c.eax);
        EXPECT_EQ(detectors(), std::vector<bool>(6, false)) << std::hex << c.eax;
        EXPECT_EQ(unmatchedProcessorText(rig.platform),
                  std::string("No family page fits this processor: GenuineIntel, ") + c.line + ".");
    }
    setIdentity("GenuineIntel", 0x000006B1);  // Tualatin, the last P6
    EXPECT_TRUE(IsPentium3(rig.platform));
}

TEST_F(IdentityTest, AmdFamiliesFiveAndSix) {
    setIdentity("AuthenticAMD", 0x00000681);
    EXPECT_EQ(detectors(), (std::vector<bool>{false, false, false, true, false, false}));
    setIdentity("AuthenticAMD", 0x0000058C);
    EXPECT_EQ(detectors(), (std::vector<bool>{false, false, false, false, false, true}));
    // The same family numbers from another vendor are nobody's.
    setIdentity("CyrixInstead", 0x00000681);
    EXPECT_EQ(ReadCpuid(rig.platform).vendorCode, 4);
    EXPECT_EQ(detectors(), std::vector<bool>(6, false));
}

TEST(VendorCodeTest, KnownStringsAndOthers) {
    EXPECT_EQ(VendorCode("AuthenticAMD"), 1);
    EXPECT_EQ(VendorCode("GenuineIntel"), 2);
    EXPECT_EQ(VendorCode("CentaurHauls"), 3);
    EXPECT_EQ(VendorCode("RiseRiseRise"), 5);
    EXPECT_EQ(VendorCode("GenuineTMx86"), 6);
    EXPECT_EQ(VendorCode("HygonGenuine"), 0);
    EXPECT_EQ(VendorCode("AuthenticAM"), 0);
}

TEST(CoreClockTest, TicksOverElapsedTime) {
    // 45,000,000 ticks in 25,000 us is 1800 MHz.
    EXPECT_EQ(coreClockFromSamples(45000000, 25000000, 1000000000), 1800);
    // Rounding to the nearest, ties to even.
    EXPECT_EQ(coreClockFromSamples(45012500, 25000000, 1000000000), 1800);  // 1800.5
    EXPECT_EQ(coreClockFromSamples(45037500, 25000000, 1000000000), 1802);  // 1801.5
    EXPECT_EQ(coreClockFromSamples(45020000, 25000000, 1000000000), 1801);
    // No elapsed time gives no clock rather than a division by zero.
    EXPECT_EQ(coreClockFromSamples(1000, 0, 1000000000), 0);
    EXPECT_EQ(coreClockFromSamples(1000, 10, 0), 0);
}

}  // namespace
}  // namespace zandro
