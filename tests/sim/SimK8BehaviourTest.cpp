#include <gtest/gtest.h>

#include <cstring>

#include "core/CoreClock.h"
#include "sim/SimK8Behaviour.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

constexpr uint32_t kControl = SimK8Behaviour::kFidVidControl;
constexpr uint32_t kStatus = SimK8Behaviour::kFidVidStatus;
constexpr uint64_t kPending = SimK8Behaviour::kPendingBit;

unsigned fidOf(uint64_t status) {
    return unsigned(status & 0x3F);
}
unsigned vidOf(uint64_t status) {
    return unsigned((status >> 32) & 0x1F);
}

// A control value as the transition code writes it: stop-grant count, new VID and FID, initiate.
uint64_t request(unsigned fid, unsigned vid, uint64_t stopGrantCycles = 1000) {
    return (stopGrantCycles << 32) | SimK8Behaviour::kInitiateBit | (uint64_t(vid) << 8) | fid;
}

// Polls the status register as the program does, and returns the time the change took.
uint64_t waitWhilePending(SimRig& rig, uint64_t startNs) {
    uint32_t eax = 0, edx = 0;
    for (int i = 0; i < 1000; ++i) {
        rig.platform.readMsr(kStatus, eax, edx);
        if (!(eax & kPending))
            return rig.machine.nowNs() - startNs;
    }
    ADD_FAILURE() << "still pending";
    return 0;
}

TEST(SimK8Behaviour, FidStepsThatThePartCanTake) {
    const struct {
        unsigned from, to;
    } allowed[] = {
        {10, 12}, {12, 10}, {10, 11}, {14, 14}, {0, 10}, {1, 12}, {2, 14}, {2, 10}, {7, 24},
        {7, 20},  {12, 2},  {2, 12},  {18, 6},  {6, 22}, {0, 8},  {9, 0},  {0, 2},  {1, 0},
    };
    for (const auto& step : allowed) {
        EXPECT_TRUE(SimK8Behaviour::isFidStepAllowed(step.from, step.to))
            << step.from << " -> " << step.to;
    }
    const struct {
        unsigned from, to;
    } refused[] = {
        {10, 13}, {10, 14}, {14, 10}, {0, 12}, {0, 11}, {1, 13}, {2, 6}, {12, 4},
        {4, 12},  {11, 0},  {7, 26},  {24, 2}, {3, 7},  {42, 8}, {0, 4}, {0, 6},
    };
    for (const auto& step : refused) {
        EXPECT_FALSE(SimK8Behaviour::isFidStepAllowed(step.from, step.to))
            << step.from << " -> " << step.to;
    }
}

TEST(SimK8Behaviour, FidChangeCompletesAfterTheStopGrantTime) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    ASSERT_EQ(rig.platform.writeMsr(kControl, request(fidOf(status) + 2, vidOf(status), 2000)),
              DriverStatus::Ok);
    const uint64_t start = rig.machine.nowNs();
    EXPECT_TRUE(rig.reg(kStatus) & kPending);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status)) << "not before the time is up";
    const uint64_t took = waitWhilePending(rig, start);
    EXPECT_GE(took, 2000u * 5);  // 2000 cycles of the 200 MHz bus
    EXPECT_LE(took, 2000u * 5 + SimMachine::kAccessCostNs);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status) + 2);
    EXPECT_EQ(vidOf(rig.reg(kStatus)), vidOf(status));
}

TEST(SimK8Behaviour, ZeroStopGrantCountStillTakesAMicrosecond) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status) - 1, vidOf(status), 0));
    rig.machine.advance(SimK8Behaviour::kMinimumStopGrantNs - 1);
    EXPECT_TRUE(rig.reg(kStatus) & kPending);
    rig.machine.advance(1);
    EXPECT_FALSE(rig.reg(kStatus) & kPending);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status) - 1);
}

TEST(SimK8Behaviour, VoltageChangeTakesTheRampTimeAndKeepsTheMultiplier) {
    SimRig rig("athlon64-x2");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status), vidOf(status) + 1));
    const uint64_t start = rig.machine.nowNs();
    const uint64_t took = waitWhilePending(rig, start);
    EXPECT_GE(took, SimK8Behaviour::kVoltageRampNs);
    EXPECT_LE(took, SimK8Behaviour::kVoltageRampNs + SimMachine::kAccessCostNs);
    EXPECT_EQ(vidOf(rig.reg(kStatus)), vidOf(status) + 1);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status));
}

TEST(SimK8Behaviour, RequestWithoutChangeOnlyBlinksThePendingBit) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status) + 2, 0) & ~SimK8Behaviour::kInitiateBit);
    EXPECT_EQ(rig.reg(kStatus), status) << "without the initiate bit nothing starts";
    rig.platform.writeMsr(kControl, request(fidOf(status), vidOf(status)));
    EXPECT_TRUE(rig.reg(kStatus) & kPending);
    rig.machine.advance(SimK8Behaviour::kVoltageRampNs);
    EXPECT_EQ(rig.reg(kStatus), status);
}

TEST(SimK8Behaviour, RequestWhilePendingIsDropped) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status) + 2, vidOf(status), 100000));
    rig.platform.writeMsr(kControl, request(fidOf(status) + 2, vidOf(status) + 3));
    rig.machine.advance(10000000);
    EXPECT_FALSE(rig.reg(kStatus) & kPending);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status) + 2);
    EXPECT_EQ(vidOf(rig.reg(kStatus)), vidOf(status)) << "the second request was ignored";
}

TEST(SimK8Behaviour, RefusedFidStepHangsForGood) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status) + 6, vidOf(status)));
    rig.machine.advance(uint64_t(1000) * 1000000);
    rig.platform.writeMsr(kControl, request(fidOf(status), vidOf(status) + 1));
    rig.machine.advance(1000000);
    EXPECT_EQ(rig.reg(kStatus), status | kPending);
}

TEST(SimK8Behaviour, TimeStampCounterFollowsTheNewMultiplierFromItsMoment) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    const double before = 200.0 * (4 + fidOf(status) / 2.0);
    EXPECT_EQ(MeasureCoreClock(rig.platform), uint16_t(before));

    rig.platform.writeMsr(kControl, request(fidOf(status) + 2, vidOf(status), 1000));  // 5 us
    const uint64_t tsc = rig.platform.rdtsc();
    rig.machine.advance(10000);
    const double after = before + 200.0;
    EXPECT_EQ(rig.platform.rdtsc() - tsc, uint64_t(5 * before + 5 * after))
        << "5 us at the old clock, then 5 us at the new one";
    EXPECT_EQ(MeasureCoreClock(rig.platform), uint16_t(after));
}

TEST(SimK8Behaviour, EachProcessorChangesOnItsOwn) {
    SimRig rig("athlon64-x2");
    const uint64_t status = rig.reg(kStatus, 1);
    ASSERT_TRUE(rig.platform.setAffinityMask(0x2));
    rig.platform.writeMsr(kControl, request(fidOf(status) - 2, vidOf(status)));
    rig.machine.advance(1000000);
    EXPECT_EQ(fidOf(rig.reg(kStatus, 1)), fidOf(status) - 2);
    EXPECT_EQ(rig.reg(kStatus, 0), status);
}

TEST(SimK8Behaviour, CopiedMachineCarriesItsOwnChangeInFlight) {
    SimRig rig("athlon64");
    const uint64_t status = rig.reg(kStatus);
    rig.platform.writeMsr(kControl, request(fidOf(status) + 1, vidOf(status)));
    SimMachine copy = rig.machine;
    copy.advance(1000000);
    EXPECT_EQ(fidOf(copy.cpu(0).msrs.at(kStatus)), fidOf(status) + 1);
    EXPECT_TRUE(rig.reg(kStatus) & kPending) << "the original's clock has not moved";
    rig.machine.advance(1000000);
    EXPECT_EQ(fidOf(rig.reg(kStatus)), fidOf(status) + 1);
}

TEST(SimK8Behaviour, NameStringRegistersFeedTheBrandLeaves) {
    SimRig rig("athlon64");
    char name[48] = "Simulated Athlon 64 with a name of 47 letters!!";
    for (uint32_t k = 0; k < 6; ++k) {
        uint64_t value = 0;
        std::memcpy(&value, name + 8 * k, 8);
        rig.platform.writeMsr(SimK8Behaviour::kNameStringFirst + k, value);
    }
    char brand[48];
    for (uint32_t j = 0; j < 3; ++j) {
        const CpuidRegs regs = rig.platform.cpuid(0x80000002 + j);
        std::memcpy(brand + 16 * j, &regs.eax, 4);
        std::memcpy(brand + 16 * j + 4, &regs.ebx, 4);
        std::memcpy(brand + 16 * j + 8, &regs.ecx, 4);
        std::memcpy(brand + 16 * j + 12, &regs.edx, 4);
    }
    EXPECT_EQ(std::string(brand, 48), std::string(name, 48));

    rig.platform.writeMsr(SimK8Behaviour::kNameStringFirst + 1, 0x0000000044434241);  // "ABCD"
    EXPECT_EQ(rig.platform.cpuid(0x80000002).ecx, 0x44434241u) << "bytes 8..11";
    EXPECT_EQ(rig.platform.cpuid(0x80000002).edx, 0u) << "bytes 12..15";
    EXPECT_EQ(rig.platform.cpuid(0x80000002).eax,
              rig.reg(SimK8Behaviour::kNameStringFirst) & 0xFFFFFFFF);
}

}  // namespace
}  // namespace zandro::test
