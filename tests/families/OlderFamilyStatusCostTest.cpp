#include <gtest/gtest.h>

#include <vector>

#include "GuiFixture.h"
#include "core/MsrBuffer.h"
#include "families/K5K6Page.h"
#include "families/Pentium3Page.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace zandro {
namespace {

// The simulated machine, noting every CPUID leaf executed and every register read.
class CountingPlatform : public SimPlatform {
public:
    using SimPlatform::SimPlatform;
    CpuidRegs cpuid(uint32_t leaf) override {
        leaves.push_back(leaf);
        return SimPlatform::cpuid(leaf);
    }
    int32_t readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) override {
        reads.push_back(index);
        return SimPlatform::readMsr(index, eax, edx);
    }
    void clear() {
        leaves.clear();
        reads.clear();
    }
    std::vector<uint32_t> leaves;
    std::vector<uint32_t> reads;
};

class IdleHost : public PageHost {
public:
    void setFrequencyTimer(bool) override {}
    void setOverheatingTimer(bool) override {}
};

template <typename P>
struct CountingRig {
    explicit CountingRig(const char* profile)
        : machine(*makeSimMachine(profile)), platform(machine), msr(platform) {
        test::ensureApplication();
        page = std::make_unique<P>(PageContext{platform, msr, flags, host});
    }
    SimMachine machine;
    CountingPlatform platform;
    MsrBuffer msr;
    AppFlags flags;
    IdleHost host;
    std::unique_ptr<P> page;
};

// One identification (vendor leaf, then leaf 1) per routine that needs model or stepping.
const std::vector<uint32_t> kIdentification = {0, 1};

TEST(OlderFamilyStatusCost, Pentium3RefreshIdentifiesOnceAndReadsFourTimes) {
    CountingRig<Pentium3Page> rig("pentium3-katmai");
    rig.page->P6_RefreshStatus();
    EXPECT_EQ(rig.platform.leaves, kIdentification);
    EXPECT_EQ(rig.platform.reads, (std::vector<uint32_t>{0x2A, 0x2A, 0x119, 0x11E}));
}

TEST(OlderFamilyStatusCost, K5RefreshIdentifiesOnceAndReadsItsRegister) {
    CountingRig<K5K6Page> rig("k5");
    rig.page->K5_RefreshStatus();
    EXPECT_EQ(rig.platform.leaves, kIdentification);
    EXPECT_EQ(rig.platform.reads, std::vector<uint32_t>{0x83});
}

TEST(OlderFamilyStatusCost, K6RefreshReadsTwoRegistersWithoutCpuid) {
    CountingRig<K5K6Page> rig("k6-3");
    rig.page->K6_RefreshStatus();
    EXPECT_TRUE(rig.platform.leaves.empty());
    EXPECT_EQ(rig.platform.reads, (std::vector<uint32_t>{0xC0000082, 0xC0000080}));
}

}  // namespace
}  // namespace zandro
