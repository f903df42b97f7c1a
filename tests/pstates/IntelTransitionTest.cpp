#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"
#include "pstates/IntelTransition.h"
#include "support/SimFixture.h"

namespace zandro {
namespace {

using Outcome = IntelTransition::Outcome;
using RatioVid = IntelTransition::RatioVid;

constexpr uint32_t kStatus = 0x198;
constexpr uint32_t kControl = 0x199;

struct ReportLog : IntelTransitionUi {
    std::vector<std::pair<std::string, ReportColour>> reports;
    void report(const std::string& text, ReportColour colour) override {
        reports.emplace_back(text, colour);
    }
};

// A simulated Intel processor at a known operating point, its trace in a temporary file.
struct SimIntel {
    test::SimRig rig;
    test::TempDir dir;
    ReportLog ui;
    IntelFamily family;

    // limits: lowest ratio, lowest VID, highest ratio, highest (top) VID.
    SimIntel(const char* profile, IntelFamily kind, RatioVid now, uint8_t lowRatio, uint8_t lowVid,
             uint8_t highRatio, uint8_t topVid)
        : rig(profile), family(kind) {
        const uint32_t low =
            uint32_t(lowRatio) << 24 | uint32_t(lowVid) << 16 | uint32_t(now.ratio) << 8 | now.vid;
        const uint32_t high =
            uint32_t(lowRatio) << 24 | uint32_t(lowVid) << 16 | uint32_t(highRatio) << 8 | topVid;
        rig.setReg(kStatus, uint64_t(high) << 32 | low);
        rig.setReg(kControl, low & 0xFFFF);
        EXPECT_TRUE(rig.platform.openTrace(dir.file("trace")));
    }

    Outcome change(RatioVid target) {
        IntelTransition transition(rig.msr, ui, family);
        const auto current = transition.readCurrent();
        return current ? transition.changeFrom(*current, target) : Outcome::Failed;
    }

    std::vector<std::string> lines() const { return test::readLines(dir.file("trace")); }

    // The low halves written to 199h, in order; every write must have a high half of 0.
    std::vector<uint32_t> requests() const {
        std::vector<uint32_t> result;
        for (const std::string& line : lines()) {
            const size_t at = line.find(" wrmsr 199 ");
            if (at == std::string::npos)
                continue;
            const uint64_t value = std::stoull(line.substr(at + 11, 16), nullptr, 16);
            EXPECT_EQ(value >> 16, 0u) << line;
            result.push_back(uint32_t(value));
        }
        return result;
    }

    // Every 199h write of a voltage step sits inside one real-time stretch, which ends normal.
    void expectPriorityAroundEachVoltageStep(size_t ratioWrites = 0) const {
        bool realTime = false;
        size_t inside = 0, outside = 0;
        for (const std::string& line : lines()) {
            if (line == "priority realtime") {
                EXPECT_FALSE(realTime);
                realTime = true;
            } else if (line == "priority normal") {
                EXPECT_TRUE(realTime);
                realTime = false;
            } else if (line.find(" wrmsr 199 ") != std::string::npos) {
                ++(realTime ? inside : outside);
            }
        }
        EXPECT_FALSE(realTime) << "normal priority at the end";
        EXPECT_EQ(outside, ratioWrites);
        EXPECT_EQ(inside, requests().size() - ratioWrites);
    }
};

TEST(IntelTransition, PentiumMVoltageAloneStepsOneCodeAtATime) {
    SimIntel cpu("pentium-m", IntelFamily::PentiumM, {6, 20}, 6, 18, 20, 40);
    EXPECT_EQ(cpu.change({6, 25}), Outcome::Completed);
    EXPECT_EQ(cpu.requests(), (std::vector<uint32_t>{0x615, 0x616, 0x617, 0x618, 0x619}));
    cpu.expectPriorityAroundEachVoltageStep();
    EXPECT_EQ(cpu.rig.reg(kStatus) & 0xFFFF, 0x619u);
    ASSERT_FALSE(cpu.ui.reports.empty());
    EXPECT_EQ(cpu.ui.reports.back(),
              std::pair(std::string("New voltage set"), ReportColour::Success));
}

TEST(IntelTransition, PentiumMRatioChangeGoesThroughTheTopVid) {
    SimIntel cpu("pentium-m", IntelFamily::PentiumM, {6, 37}, 6, 18, 13, 40);
    EXPECT_EQ(cpu.change({13, 45}), Outcome::Completed);
    EXPECT_EQ(cpu.requests(), (std::vector<uint32_t>{0x626, 0x627, 0x628, 0xD28}))
        << "the final step has nothing to do: the target VID is capped at the top";
    cpu.expectPriorityAroundEachVoltageStep(1);
    const std::vector<std::pair<std::string, ReportColour>> expected = {
        {"Changing Voltage", ReportColour::InProgress},
        {"Changing Multiplier", ReportColour::InProgress},
        {"Changing Voltage", ReportColour::InProgress},
        {"Transition finished", ReportColour::Success}};
    EXPECT_EQ(cpu.ui.reports, expected);
}

TEST(IntelTransition, NetBurstVoltageWalksTheLadder) {
    SimIntel cpu("pentium4", IntelFamily::NetBurst, {14, 22}, 12, 22, 14, 45);
    EXPECT_EQ(cpu.change({14, 1}), Outcome::Completed);
    std::vector<uint32_t> expected;
    for (size_t position = 2; position <= 21; ++position)
        expected.push_back(0xE00 | kNetBurstVidLadder[position]);
    EXPECT_EQ(cpu.requests(), expected);
    EXPECT_EQ(expected.front(), 0xE36u) << "VID 54 first";
    EXPECT_EQ(expected[1], 0xE17u) << "then VID 23";
    cpu.expectPriorityAroundEachVoltageStep();
}

TEST(IntelTransition, AVidThatNeverArrivesFailsInRedAtNormalPriority) {
    // A target above the top VID: the ratio goes with the top VID, then the part refuses the
    // next step up and the poll gives up on the clock.
    SimIntel cpu("pentium4", IntelFamily::NetBurst, {12, 45}, 12, 22, 14, 45);
    const uint64_t start = cpu.rig.machine.nowNs();
    EXPECT_EQ(cpu.change({14, 14}), Outcome::Failed);
    EXPECT_EQ(cpu.requests(), (std::vector<uint32_t>{0xE2D, 0xE0E}));
    cpu.expectPriorityAroundEachVoltageStep(1);
    EXPECT_EQ(cpu.ui.reports.back(),
              std::pair(std::string(kIntelVidNotReachedText), ReportColour::Failure));
    const uint64_t tookMs = (cpu.rig.machine.nowNs() - start) / 1000000;
    EXPECT_GE(tookMs, IntelTransition::kStepLimitMs);
    EXPECT_LT(tookMs, IntelTransition::kStepLimitMs + 50);
}

TEST(IntelTransition, NetBurstOutputOffCodesWriteNothing) {
    const struct {
        RatioVid now, target;
        uint8_t topVid;
    } cases[] = {
        {{14, 0}, {14, 1}, 45},   // current off, voltage alone
        {{14, 1}, {14, 32}, 45},  // target off, voltage alone
        {{12, 32}, {14, 1}, 45},  // current off, ratio change
        {{12, 1}, {14, 0}, 45},   // target off, ratio change
        {{12, 1}, {14, 1}, 0},    // top VID off, ratio change
    };
    for (const auto& c : cases) {
        SimIntel cpu("pentium4", IntelFamily::NetBurst, c.now, 12, 22, 14, c.topVid);
        EXPECT_EQ(cpu.change(c.target), Outcome::Failed);
        EXPECT_TRUE(cpu.requests().empty()) << int(c.now.vid) << " -> " << int(c.target.vid);
        EXPECT_EQ(cpu.ui.reports.back(),
                  std::pair(std::string(kIntelVrOffText), ReportColour::Failure));
    }
}

// Codes with no place in the family's voltage table are refused before the first write, with
// what they are: VR output off, or simply not on the table.
TEST(IntelTransition, VoltagesOffTheTableWriteNothing) {
    const struct {
        const char* profile;
        IntelFamily family;
        RatioVid now, target;
        uint8_t topVid;
        std::string_view text;
    } cases[] = {
        {"pentium4", IntelFamily::NetBurst, {14, 1}, {14, 0x40}, 45, kIntelOffTableText},
        {"pentium4", IntelFamily::NetBurst, {12, 0x40}, {14, 1}, 45, kIntelOffTableText},
        {"pentium-m", IntelFamily::PentiumM, {6, 21}, {13, 30}, 0xFF, kIntelOffTableText},
        {"pentium-m", IntelFamily::PentiumM, {6, 64}, {6, 30}, 40, kIntelOffTableText},
    };
    for (const auto& c : cases) {
        SimIntel cpu(c.profile, c.family, c.now, 6, 18, 14, c.topVid);
        EXPECT_EQ(cpu.change(c.target), Outcome::Failed);
        EXPECT_TRUE(cpu.requests().empty()) << c.profile << " " << int(c.now.vid);
        EXPECT_EQ(cpu.ui.reports.back(), std::pair(std::string(c.text), ReportColour::Failure));
    }
}

// A ratio outside what the processor accepts does not arrive: the change fails at once, and no
// voltage step follows the refused ratio.
TEST(IntelTransition, RatioTheProcessorRefusesEndsBeforeAnyVoltageStep) {
    const struct {
        const char* profile;
        IntelFamily family;
        RatioVid now, target;
        uint8_t topVid;
    } cases[] = {
        {"pentium-m", IntelFamily::PentiumM, {6, 40}, {30, 20}, 40},
        {"pentium4", IntelFamily::NetBurst, {14, 45}, {30, 22}, 45},
    };
    for (const auto& c : cases) {
        SimIntel cpu(c.profile, c.family, c.now, 6, 18, 14, c.topVid);
        EXPECT_EQ(cpu.change(c.target), Outcome::Failed);
        EXPECT_EQ(cpu.requests(),
                  (std::vector<uint32_t>{uint32_t(c.target.ratio) * 256 + c.topVid}))
            << c.profile;
        EXPECT_EQ(cpu.ui.reports.back(),
                  std::pair(std::string(kIntelRatioRefusedText), ReportColour::Failure));
        EXPECT_EQ(cpu.rig.reg(kStatus) & 0xFFFF, uint32_t(c.now.ratio) * 256 + c.now.vid);
    }
}

// A VID that arrives and then slips back never lets the step finish: the bound ends it after as
// many requests as there are codes, not one more.
TEST(IntelTransition, SlippingVoltageEndsAfterAtMost64Requests) {
    test::FakePlatform platform;
    const uint64_t settled = uint64_t(40) << 32 | 0x0614;  // top VID 40, ratio 6, VID 20
    platform.regs[kStatus] = settled;
    platform.regs[kControl] = settled & 0xFFFF;
    bool arriving = false;
    platform.onWrite = [&](test::FakePlatform& p, uint32_t index, uint64_t value) {
        if (index == kControl) {
            p.regs[kStatus] = (settled & ~uint64_t(0xFF)) | (value & 0xFF);
            arriving = true;
        }
    };
    platform.onRead = [&](test::FakePlatform& p, uint32_t index) {
        if (index == kStatus && !arriving)
            p.regs[kStatus] = settled;
        arriving = false;
    };
    MsrBuffer msr(platform);
    ReportLog ui;
    IntelTransition transition(msr, ui, IntelFamily::PentiumM);
    EXPECT_EQ(transition.changeFrom({6, 20}, {6, 25}), Outcome::Failed);
    size_t requests = 0;
    for (const auto& write : platform.writes)
        requests += write.index == kControl ? 1 : 0;
    EXPECT_EQ(requests, IntelTransition::kMaxVidSteps);
    EXPECT_EQ(ui.reports.back(),
              std::pair(std::string(kIntelVidNotReachedText), ReportColour::Failure));
}

TEST(IntelTransition, NoRequestWhileTheLastOneIsStillSettling) {
    SimIntel cpu("pentium-m", IntelFamily::PentiumM, {6, 20}, 6, 18, 20, 40);
    cpu.rig.platform.writeMsr(kControl, 0x616);  // someone else's request, still on its way
    EXPECT_EQ(cpu.change({6, 18}), Outcome::Completed);
    EXPECT_EQ(cpu.requests(), (std::vector<uint32_t>{0x616, 0x615, 0x614, 0x613, 0x612}))
        << "the engine's first write waits until 198h shows VID 22";
}

TEST(IntelTransition, AStaleRequestThatNothingFollowsIsNoChangeInFlight) {
    SimIntel cpu("pentium-m", IntelFamily::PentiumM, {6, 20}, 6, 18, 20, 40);
    cpu.rig.setReg(kControl, 0x0C33);  // left by someone, never followed
    EXPECT_EQ(cpu.change({6, 21}), Outcome::Completed);
    EXPECT_EQ(cpu.requests(), (std::vector<uint32_t>{0x615}));
}

TEST(IntelTransition, AChangeThatMovesButNeverArrivesStopsBeforeAnyWrite) {
    test::FakePlatform fake;
    fake.regs[kControl] = 0x0630;
    fake.regs[kStatus] = 0x0614;
    // The voltage wanders and never reaches the request in 199h.
    fake.onRead = [](test::FakePlatform& platform, uint32_t index) {
        if (index == kStatus)
            platform.regs[kStatus] ^= 1;
    };
    MsrBuffer msr(fake);
    ReportLog ui;
    IntelTransition transition(msr, ui, IntelFamily::PentiumM);
    EXPECT_EQ(transition.changeFrom({6, 20}, {6, 22}), Outcome::Failed);
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_FALSE(fake.realTime);
    EXPECT_EQ(ui.reports.back(),
              std::pair(std::string(kIntelStillChangingText), ReportColour::Failure));
    EXPECT_LE(fake.nowNs / 1000000, IntelTransition::kInFlightLimitMs + 5);
}

TEST(IntelTransition, SameRatioAndVidWriteNothing) {
    SimIntel cpu("pentium-m", IntelFamily::PentiumM, {6, 20}, 6, 18, 20, 40);
    EXPECT_EQ(cpu.change({6, 20}), Outcome::NothingToDo);
    EXPECT_TRUE(cpu.requests().empty());
    EXPECT_TRUE(cpu.ui.reports.empty());
}

TEST(IntelTransition, TargetsFromComboTexts) {
    const RatioVid now{6, 20};
    EXPECT_EQ(IntelTransition::targetsFromTexts(IntelFamily::PentiumM, "13x", "1.100V", now),
              (RatioVid{13, 25}));
    EXPECT_EQ(IntelTransition::targetsFromTexts(IntelFamily::PentiumM, "", "", now), now);
    EXPECT_EQ(IntelTransition::targetsFromTexts(IntelFamily::PentiumM, "31x", "1.1000V", now), now)
        << "a ratio above 30 and a Pentium 4 text match nothing";
    EXPECT_EQ(IntelTransition::targetsFromTexts(IntelFamily::NetBurst, "30x", "1.4375V", now),
              (RatioVid{30, 0x2E}));
}

}  // namespace
}  // namespace zandro
