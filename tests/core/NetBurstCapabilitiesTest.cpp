#include <gtest/gtest.h>

#include <vector>

#include "SimFixture.h"
#include "core/NetBurstCapabilities.h"

namespace zandro::test {
namespace {

// A processor whose leaf 2 answers differently on each execution, as those with a count byte
// above 1 do.
class SequencedLeaf2 : public SimPlatform {
public:
    SequencedLeaf2(SimMachine& machine, std::vector<CpuidRegs> answers)
        : SimPlatform(machine), m_answers(std::move(answers)) {}
    CpuidRegs cpuid(uint32_t leaf) override {
        if (leaf != 2)
            return SimPlatform::cpuid(leaf);
        ++executions;
        return m_answers[std::min(m_answers.size() - 1, size_t(executions - 1))];
    }
    int executions = 0;

private:
    std::vector<CpuidRegs> m_answers;
};

TEST(NetBurstCapabilities, ThirdLevelCacheDescriptors) {
    struct Case {
        CpuidRegs leaf2;
        bool l3;
    };
    const Case cases[] = {
        {{0x665B5001, 0, 0, 0x257B7040}, true},   // 25h in EDX
        {{0x665B5001, 0, 0, 0x007A7040}, false},  // L2 only
        {{0x00002901, 0, 0, 0}, true},            // 29h in EAX byte 1
        {{0x00000022, 0, 0, 0}, false},           // 22h as the count byte is no descriptor
        {{0x665B5001, 0, 0, 0x8D000000u | 0x80000000u}, false},  // EDX bit 31: no descriptors
        {{0x665B5001, 0x00230000, 0, 0}, true},                  // 23h in EBX
    };
    for (const Case& c : cases) {
        SimRig rig("pentium4-northwood");
        rig.machine.cpu(0).cpuid[2] = c.leaf2;
        EXPECT_EQ(HasL3Cache(rig.platform), c.l3) << std::hex << c.leaf2.eax << " " << c.leaf2.edx;
    }
}

TEST(NetBurstCapabilities, NoLeaf2MeansNoThirdLevelCache) {
    SimRig rig("pentium4-gallatin");
    ASSERT_TRUE(HasL3Cache(rig.platform));
    rig.machine.cpu(0).cpuid[0].eax = 1;
    EXPECT_FALSE(HasL3Cache(rig.platform));
}

TEST(NetBurstCapabilities, FurtherExecutionsOfLeaf2AreSearchedToo) {
    SimRig rig("pentium4-northwood");
    SequencedLeaf2 platform(rig.machine, {{0x00000003, 0, 0, 0x007A7040},
                                          {0x00000003, 0, 0, 0x00000040},
                                          {0x00000003, 0, 0, 0x00002900}});
    EXPECT_TRUE(HasL3Cache(platform));
    EXPECT_EQ(platform.executions, 3);
}

TEST(NetBurstCapabilities, ModelsAndClock) {
    SimRig willamette("pentium4-willamette");
    EXPECT_TRUE(IsNetBurstModel01(willamette.platform));
    EXPECT_FALSE(IsNetBurstModel3Up(willamette.platform));
    EXPECT_FALSE(IsSlowNetBurstModel23(willamette.platform));
    SimRig northwood("pentium4-northwood");  // 1800 MHz
    EXPECT_TRUE(IsSlowNetBurstModel23(northwood.platform));
    EXPECT_FALSE(HasTM2(northwood.platform));
    EXPECT_TRUE(HasL1ContextId(northwood.platform));
    SimRig gallatin("pentium4-gallatin");  // 3200 MHz
    EXPECT_FALSE(IsSlowNetBurstModel23(gallatin.platform));
    SimRig prescott("pentium4");
    EXPECT_TRUE(IsNetBurstModel3Up(prescott.platform));
    EXPECT_TRUE(HasTM2(prescott.platform) && HasSSE3(prescott.platform) &&
                HasEIST(prescott.platform));
}

}  // namespace
}  // namespace zandro::test
