#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "support/SimFixture.h"

namespace zandro::test {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST(SimPlatform, TraceAppendsOneLinePerEventInTheContractForm) {
    TempDir dir;
    const std::string log = dir.file("trace.log");
    writeFile(log, "earlier run\n");
    SimRig rig("athlon64-x2");
    ASSERT_TRUE(rig.platform.openTrace(log));
    rig.setReg(0xC0010015, 0x0123456789ABCDEF);
    rig.machine.cpu(1).failWrite.insert(0xC0000080);

    uint32_t eax = 0, edx = 0;
    EXPECT_EQ(rig.platform.readMsr(0xC0010015, eax, edx), DriverStatus::Ok);
    EXPECT_EQ(eax, 0x89ABCDEFu);
    EXPECT_EQ(edx, 0x01234567u);
    EXPECT_EQ(rig.platform.readMsr(0x1A0, eax, edx), DriverStatus::Failed);
    EXPECT_EQ(rig.platform.writeMsr(0x1A0, 1), DriverStatus::Failed);
    EXPECT_EQ(rig.platform.writeMsrWbinvd(0xC0010015, 0x8000), DriverStatus::Ok);
    EXPECT_TRUE(rig.platform.setAffinityMask(0x2));
    EXPECT_EQ(rig.platform.writeMsr(0xC0000080, 0xD01), DriverStatus::Failed);
    EXPECT_FALSE(rig.platform.setAffinityMask(0x20));
    EXPECT_TRUE(rig.platform.setRealTimePriority());
    rig.platform.sleepMs(25);
    rig.platform.setNormalPriority();

    const std::vector<std::string> expected = {
        "earlier run",
        "0 rdmsr c0010015 0123456789abcdef",
        "0 rdmsr 1a0 FAIL",
        "0 wrmsr 1a0 0000000000000001 FAIL",
        "0 wrmsr-wbinvd c0010015 0000000000008000",
        "bind 1",
        "1 wrmsr c0000080 0000000000000d01 FAIL",
        "bind 5 FAIL",
        "priority realtime",
        "sleep 25",
        "priority normal",
    };
    EXPECT_EQ(linesOf(readFile(log)), expected);
    EXPECT_EQ(rig.reg(0xC0010015), 0x8000u);
}

TEST(SimPlatform, TraceThatCannotBeOpenedIsReported) {
    SimRig rig("k5");
    EXPECT_FALSE(rig.platform.openTrace("/nonexistent-folder/trace.log"));
    uint32_t eax = 0, edx = 0;
    EXPECT_EQ(rig.platform.readMsr(0x10, eax, edx), DriverStatus::Ok) << "no trace is no harm";
}

TEST(SimPlatform, AccessesGoToTheBoundProcessor) {
    SimRig rig("athlon64-x2");
    rig.setReg(0xC0010015, 0xAAAA, 0);
    rig.setReg(0xC0010015, 0xBBBB, 1);
    uint32_t eax = 0, edx = 0;
    uint32_t process = 0, system = 0;

    EXPECT_EQ(rig.platform.boundCpu(), 0u) << "unbound: the lowest processor present";
    ASSERT_TRUE(rig.platform.affinityMasks(process, system));
    EXPECT_EQ(process, 0x3u);
    EXPECT_EQ(system, 0x3u);

    ASSERT_TRUE(rig.platform.setAffinityMask(0x2));
    rig.platform.readMsr(0xC0010015, eax, edx);
    EXPECT_EQ(eax, 0xBBBBu);
    EXPECT_EQ(rig.platform.cpuid(1).ebx >> 24, 1u) << "CPUID runs on processor 1 too";
    rig.platform.affinityMasks(process, system);
    EXPECT_EQ(process, 0x2u);
    EXPECT_EQ(system, 0x3u);

    ASSERT_TRUE(rig.platform.setAffinityMask(0xFFFFFFFF)) << "several processors: the lowest runs";
    EXPECT_EQ(rig.platform.boundCpu(), 0u);
    rig.platform.affinityMasks(process, system);
    EXPECT_EQ(process, 0x3u) << "only processors that exist stay in the process mask";
}

TEST(SimPlatform, FailedBindingKeepsThePreviousOne) {
    SimRig rig("athlon64-x2");
    ASSERT_TRUE(rig.platform.setAffinityMask(0x2));
    EXPECT_FALSE(rig.platform.setAffinityMask(0x4)) << "processor 2 is not present";
    EXPECT_FALSE(rig.platform.setAffinityMask(0));
    rig.machine.cpu(0).failBind = true;
    EXPECT_FALSE(rig.platform.setAffinityMask(0x1));
    EXPECT_FALSE(rig.platform.setAffinityMask(0x3)) << "the chosen processor refuses";
    EXPECT_EQ(rig.platform.boundCpu(), 1u);
}

TEST(SimPlatform, UnboundProcessIsOnTheLowestPresentProcessor) {
    SimRig rig("athlon64-x2");
    rig.machine.affinity = 0x6;
    SimPlatform platform(rig.machine);
    EXPECT_EQ(platform.boundCpu(), 1u);
    EXPECT_EQ(rig.machine.cpus.count(2), 1u) << "a processor of the mask exists from the start";
}

TEST(SimPlatform, CpuidAndDriverStatusComeFromTheMachine) {
    SimRig rig("pentium3");
    EXPECT_EQ(rig.platform.cpuid(0x80000000), CpuidRegs{}) << "an absent leaf reads as zeros";
    EXPECT_EQ(rig.platform.cpuid(0).eax, 3u);
    rig.machine.driverStatus = DriverStatus::NotRegistered;
    EXPECT_EQ(rig.platform.driverStatus(), DriverStatus::NotRegistered);
}

TEST(SimPlatform, TimingFollowsTheSimulatedClock) {
    SimRig rig("pentium4");
    rig.machine.uptimeMs = 50000;
    EXPECT_EQ(rig.platform.performanceFrequency(), 1000000000u);
    const uint64_t counter = rig.platform.performanceCounter();
    const uint64_t tsc = rig.platform.rdtsc();
    const uint64_t tick = rig.platform.tickCountMs();
    EXPECT_EQ(tick, 50000u);
    rig.platform.sleepMs(40);
    EXPECT_EQ(rig.platform.performanceCounter() - counter, 40000000u);
    EXPECT_EQ(rig.platform.tickCountMs() - tick, 40u);
    EXPECT_EQ(rig.platform.rdtsc() - tsc, uint64_t(40000 * rig.machine.baseClockMhz));
}

}  // namespace
}  // namespace zandro::test
