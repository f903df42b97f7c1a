#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <set>

#include "core/CoreClock.h"
#include "core/Cpuid.h"
#include "sim/SimProfiles.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

constexpr int kNoFamily = -1;

std::string brandOf(Platform& platform) {
    char text[48];
    for (uint32_t j = 0; j < 3; ++j) {
        const CpuidRegs regs = platform.cpuid(0x80000002 + j);
        std::memcpy(text + 16 * j, &regs.eax, 4);
        std::memcpy(text + 16 * j + 4, &regs.ebx, 4);
        std::memcpy(text + 16 * j + 8, &regs.ecx, 4);
        std::memcpy(text + 16 * j + 12, &regs.edx, 4);
    }
    return std::string(text, 48);
}

TEST(SimProfiles, ListNamesEveryProfileOnceInLowerCase) {
    std::set<std::string> names;
    for (const SimProfileInfo& info : simProfiles()) {
        EXPECT_TRUE(names.insert(info.name).second) << info.name << " twice";
        for (char c : info.name)
            EXPECT_FALSE(std::isupper(static_cast<unsigned char>(c))) << info.name;
        EXPECT_FALSE(info.description.empty());
        const auto machine = makeSimMachine(info.name);
        ASSERT_TRUE(machine) << info.name;
        EXPECT_EQ(machine->profileName, info.name);
        EXPECT_EQ(machine->description, info.description);
    }
    for (const char* required :
         {"athlon64", "pentium-m", "pentium4", "athlon", "pentium3", "k6", "k5", "unknown"}) {
        EXPECT_EQ(names.count(required), 1u) << required;
    }
    EXPECT_FALSE(makeSimMachine("Athlon64"));
    EXPECT_FALSE(makeSimMachine("athlon65"));
    EXPECT_FALSE(makeSimMachine(""));
}

TEST(SimProfiles, EachProfileIsRecognisedByExactlyItsFamilyDetector) {
    const struct {
        const char* profile;
        int family;
    } cases[] = {
        {"athlon64", FamilyAthlon64},
        {"athlon64-x2", FamilyAthlon64},
        {"opteron", FamilyAthlon64},
        {"pentium-m", FamilyPentiumM},
        {"pentium-m-banias", FamilyPentiumM},
        {"pentium4", FamilyPentium4},
        {"athlon", FamilyAthlonK7},
        {"pentium3", FamilyPentium3},
        {"k6", FamilyK5K6},
        {"k5", FamilyK5K6},
        {"unknown", kNoFamily},
    };
    bool (*const detectors[kFamilyCount])(Platform&) = {IsAthlon64, IsPentiumM, IsPentium4,
                                                        IsAthlonK7, IsPentium3, IsK5K6};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        SimRig rig(c.profile);
        for (int kind = 0; kind < kFamilyCount; ++kind) {
            EXPECT_EQ(detectors[kind](rig.platform), kind == c.family) << "detector " << kind;
        }
    }
}

TEST(SimProfiles, IdentityFieldsThatThePagesTestAreThoseOfTheRealParts) {
    SimRig pentium4("pentium4");
    EXPECT_EQ(ReadCpuid(pentium4.platform).model, 3) << "model 3: its frequency controls apply";
    SimRig banias("pentium-m-banias");
    EXPECT_EQ(ReadCpuid(banias.platform).model, 9);
    SimRig dothan("pentium-m");
    EXPECT_EQ(ReadCpuid(dothan.platform).model, 13);
    SimRig unknown("unknown");
    EXPECT_GT(ReadCpuid(unknown.platform).family, 15) << "a family no page was made for";
    SimRig k5("k5");
    EXPECT_GE(ReadCpuid(k5.platform).stepping, 4);
}

TEST(SimProfiles, OnlyTheProfilesWithPowerNowReportFidAndVidControl) {
    for (const SimProfileInfo& info : simProfiles()) {
        SimRig rig(info.name);
        const bool hasLeaf = rig.platform.cpuid(0x80000000).eax >= 0x80000007;
        const uint32_t edx = hasLeaf ? rig.platform.cpuid(0x80000007).edx : 0;
        const bool expected =
            info.name == "athlon64" || info.name == "athlon64-x2" || info.name == "athlon-mobile";
        EXPECT_EQ((edx & 0x6) == 0x6, expected) << info.name;
        EXPECT_EQ((edx & 0x6) == 0, !expected) << info.name;
    }
}

TEST(SimProfiles, MeasuredClockIsTheProfilesClockOnEveryProcessor) {
    for (const SimProfileInfo& info : simProfiles()) {
        SimRig rig(info.name);
        for (const auto& entry : rig.machine.cpus) {
            SCOPED_TRACE(info.name + " processor " + std::to_string(entry.first));
            ASSERT_TRUE(rig.platform.setAffinityMask(uint32_t(1) << entry.first));
            EXPECT_EQ(MeasureCoreClock(rig.platform), std::lround(rig.machine.baseClockMhz));
        }
    }
}

TEST(SimProfiles, ProcessorsOfTheMaskExistWithTheirOwnApic) {
    for (const SimProfileInfo& info : simProfiles()) {
        SCOPED_TRACE(info.name);
        SimRig rig(info.name);
        std::set<uint32_t> apicIds;
        for (unsigned n = 0; n < 32; ++n) {
            const bool present = rig.machine.affinity & (uint32_t(1) << n);
            ASSERT_EQ(rig.machine.cpus.count(n), present ? 1u : 0u) << n;
            if (!present)
                continue;
            const SimProcessor& processor = rig.machine.cpus.at(n);
            EXPECT_EQ(processor.msrs.count(SimMachine::kTimeStampCounter), 1u);
            apicIds.insert(processor.cpuid.at(1).ebx >> 24);
            const auto apic = processor.msrs.find(0x1B);
            if (apic != processor.msrs.end()) {
                EXPECT_EQ((apic->second >> 8) & 1, n == 0 ? 1u : 0u) << "bootstrap processor";
            }
        }
        EXPECT_EQ(apicIds.size(), size_t(__builtin_popcount(rig.machine.affinity)));
    }
    EXPECT_EQ(makeSimMachine("athlon64")->affinity, 1u);
    EXPECT_EQ(makeSimMachine("athlon64-x2")->affinity, 3u);
}

TEST(SimProfiles, BrandStringEndsInNulAndAmdNameRegistersHoldIt) {
    for (const SimProfileInfo& info : simProfiles()) {
        SCOPED_TRACE(info.name);
        SimRig rig(info.name);
        if (rig.platform.cpuid(0x80000000).eax < 0x80000004)
            continue;
        const std::string brand = brandOf(rig.platform);
        EXPECT_EQ(brand[47], '\0');
        EXPECT_NE(brand.find_first_not_of(std::string(" \0", 2)), std::string::npos);
        if (!rig.machine.cpus[0].msrs.count(0xC0010030))
            continue;
        std::string registers;
        for (uint32_t k = 0; k < 6; ++k) {
            const uint64_t value = rig.reg(0xC0010030 + k);
            registers.append(reinterpret_cast<const char*>(&value), 8);
        }
        EXPECT_EQ(registers, brand);
    }
    SimRig pentiumM("pentium-m-banias");
    const std::string brand = brandOf(pentiumM.platform);
    EXPECT_EQ(brand.find_first_not_of(' '),
              47 - std::strlen("Intel(R) Pentium(R) M processor 1600MHz"))
        << "Intel right-justifies its brand string";
}

}  // namespace
}  // namespace zandro::test
