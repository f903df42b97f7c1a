#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "A64TransitionTestSupport.h"
#include "FakePlatform.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"

namespace zandro {
namespace {

using test::FakePlatform;
using test::RecordingUi;
using Outcome = A64Transition::Outcome;
using Steps = std::vector<std::pair<int, int>>;  // (FID, VID) of each control write

constexpr uint32_t kControl = 0xC0010041;
constexpr uint32_t kStatus = 0xC0010042;
constexpr uint64_t kPending = 1ull << 31;
constexpr uint64_t kInitiate = 1ull << 16;
// Bits of the control register the transition must leave alone.
constexpr uint64_t kOtherControlBits = (1ull << 20) | (1ull << 30) | (0x12345ull << 32);

// An Athlon 64 whose FID/VID changes take effect at the write, unless told otherwise.
struct FakeAthlon64 {
    FakePlatform platform;
    MsrBuffer msr{platform};
    RecordingUi ui;
    bool hangFidChanges = false;  // a FID change sets pending and never completes
    bool ignoreVid = false;       // the voltage never follows the request
    bool pendingSticks = false;   // pending stays set after a change
    unsigned slowFidReads = 0;    // a FID change completes only after this many status reads
    unsigned readsLeft = 0;
    uint64_t fidInFlight = 0;

    FakeAthlon64(unsigned fid, unsigned vid, unsigned maxVid = 0, unsigned maxFid = 30) {
        platform.regs[kStatus] =
            fid | uint64_t(maxFid) << 16 | uint64_t(vid) << 32 | uint64_t(maxVid) << 48;
        platform.regs[kControl] = fid | uint64_t(vid) << 8 | kOtherControlBits;
        platform.onWrite = [this](FakePlatform& p, uint32_t index, uint64_t value) {
            if (index == kControl && (value & kInitiate))
                respond(p.regs[kStatus], value);
        };
        platform.onRead = [this](FakePlatform& p, uint32_t index) {
            if (index != kStatus || readsLeft == 0 || --readsLeft > 0)
                return;
            p.regs[kStatus] = (p.regs[kStatus] & ~(0x3Full | kPending)) | fidInFlight;
        };
    }

    void respond(uint64_t& status, uint64_t control) {
        const uint64_t fid = control & 0x3F, vid = (control >> 8) & 0x1F;
        if (status & kPending)
            return;  // requests during a change are dropped
        if (slowFidReads && fid != (status & 0x3F)) {
            status |= kPending;
            readsLeft = slowFidReads;
            fidInFlight = fid;
            return;
        }
        if (hangFidChanges && fid != (status & 0x3F)) {
            status |= kPending;
            return;
        }
        status = (status & ~0x3Full) | fid;
        if (!ignoreVid)
            status = (status & ~(0x1Full << 32)) | vid << 32;
        if (pendingSticks)
            status |= kPending;
    }

    Outcome change(unsigned fid, unsigned vid, bool realTime = false) {
        A64Transition transition(msr, ui, realTime);
        return transition.changeTo(uint8_t(fid), uint8_t(vid));
    }

    Steps steps() const {
        Steps result;
        for (const auto& write : platform.writes) {
            if (write.index == kControl) {
                result.emplace_back(int(write.value & 0x3F), int((write.value >> 8) & 0x1F));
            }
        }
        return result;
    }

    double elapsedMs() const { return platform.nowNs / 1e6; }
};

std::string controlWrite(uint64_t value) {
    char text[48];
    std::snprintf(text, sizeof text, "wrmsr C0010041 %016llX", (unsigned long long)value);
    return text;
}

TEST(A64Transition, NothingToChangeWritesNothing) {
    FakeAthlon64 cpu(12, 6);
    cpu.ui.reports.clear();
    EXPECT_EQ(cpu.change(12, 6), Outcome::NothingToDo);
    EXPECT_TRUE(cpu.platform.writes.empty());
    EXPECT_TRUE(cpu.ui.reports.empty());
    EXPECT_EQ(cpu.platform.trace, (std::vector<std::string>{"rdmsr C0010042"}));
}

TEST(A64Transition, VoltageAloneStepsOneCodeAtATime) {
    FakeAthlon64 cpu(12, 2, 0);
    EXPECT_EQ(cpu.change(12, 6), Outcome::Completed);
    // No raise to the maximum (VID 0) first: only the steps 3, 4, 5, 6.
    EXPECT_EQ(cpu.steps(), (Steps{{12, 3}, {12, 4}, {12, 5}, {12, 6}}));
    EXPECT_EQ(cpu.platform.count("sleep 50"), 4u);
    EXPECT_EQ(cpu.ui.texts(),
              (std::vector<std::string>{"Changing Voltage", "Transition Completed"}));
    EXPECT_EQ(cpu.ui.last().second, ReportColour::Success);
    EXPECT_EQ(cpu.platform.count("priority"), 0u) << "real-time priority is off";
}

TEST(A64Transition, ZeroVidWaitDoesNotSleep) {
    FakeAthlon64 cpu(12, 6, 0);
    cpu.ui.vidText = "0";
    EXPECT_EQ(cpu.change(12, 3), Outcome::Completed);
    EXPECT_EQ(cpu.steps(), (Steps{{12, 5}, {12, 4}, {12, 3}}));
    EXPECT_EQ(cpu.platform.count("sleep"), 0u);
}

TEST(A64Transition, MultiplierPathsThroughThePortal) {
    struct Case {
        unsigned fromFid, fromVid, maxVid, toFid, toVid;
        Steps steps;
    };
    const Case cases[] = {
        // 10.0x -> 5.0x: voltage to the maximum, portal 12 reached, one jump, voltage down.
        {12,
         8,
         4,
         2,
         8,
         {{12, 7}, {12, 6}, {12, 5}, {12, 4}, {2, 4}, {2, 5}, {2, 6}, {2, 7}, {2, 8}}},
        // 4.0x -> 12.0x: out of the low range to 10, steps to 12 and 14, jump to 16.
        {0, 4, 4, 16, 4, {{10, 4}, {12, 4}, {14, 4}, {16, 4}}},
        // 6.0x -> 7.0x: portal 20, out of the low range to 18, jump to 6.
        {4, 3, 3, 6, 3, {{18, 3}, {6, 3}}},
        // 7.0x -> 6.5x: portal 18 is below 20, so the low-range step takes the lower FID.
        {6, 3, 3, 5, 3, {{18, 3}, {5, 3}}},
        // 18.0x -> 8.0x: whole steps down to within one multiplier of the target.
        {28,
         2,
         2,
         8,
         2,
         {{26, 2}, {24, 2}, {22, 2}, {20, 2}, {18, 2}, {16, 2}, {14, 2}, {12, 2}, {10, 2}, {8, 2}}},
        // 12.0x -> 12.5x: within one multiplier, a single jump.
        {16, 1, 0, 17, 1, {{16, 0}, {17, 0}, {17, 1}}},
    };
    for (const Case& c : cases) {
        FakeAthlon64 cpu(c.fromFid, c.fromVid, c.maxVid);
        EXPECT_EQ(cpu.change(c.toFid, c.toVid), Outcome::Completed) << c.fromFid << "->" << c.toFid;
        EXPECT_EQ(cpu.steps(), c.steps) << c.fromFid << "->" << c.toFid;
        EXPECT_EQ(cpu.ui.texts().back(), "Transition Completed");
    }
}

TEST(A64Transition, NoStepFromAMultiplierStillChanging) {
    FakeAthlon64 cpu(0, 4, 4);
    cpu.slowFidReads = 3;
    EXPECT_EQ(cpu.change(16, 4), Outcome::Completed);
    EXPECT_EQ(cpu.steps(), (Steps{{10, 4}, {12, 4}, {14, 4}, {16, 4}}));
}

TEST(A64Transition, MultiplierReportsInOrder) {
    FakeAthlon64 cpu(12, 8, 4);
    A64Transition transition(cpu.msr, cpu.ui, false);
    EXPECT_TRUE(transition.A64_PStateTransition(2, 8));
    EXPECT_EQ(cpu.ui.texts(), (std::vector<std::string>{"Changing Voltage", "Changing Multiplier",
                                                        "Multiplier changed", "Changing Voltage",
                                                        "Transition finished"}));
    EXPECT_EQ(cpu.ui.reports[2].second, ReportColour::InProgress);
    EXPECT_EQ(cpu.ui.last().second, ReportColour::Success);
}

TEST(A64Transition, ExactRegisterTraffic) {
    // 6.0x -> 7.0x at the maximum voltage: no voltage writes, two FID writes.
    FakeAthlon64 cpu(4, 3, 3);
    cpu.ui.fidText = "1048575";
    EXPECT_EQ(cpu.change(6, 3), Outcome::Completed);
    const uint64_t keptLow = (kOtherControlBits & 0xFFFFFFFF) | 3u << 8;
    const uint64_t first = 0xFFFFFull << 32 | keptLow | kInitiate | 18;
    const uint64_t second = 0xFFFFFull << 32 | keptLow | kInitiate | 6;
    const std::vector<std::string> expected = {
        "rdmsr C0010042",                       // current FID and VID
        "rdmsr C0010042",                       // maximum VID
        "rdmsr C0010042",                       // voltage already at the maximum
        "rdmsr C0010041",    "rdmsr C0010042",  // control value, current FID 4
        controlWrite(first),                    // out of the low range
        "rdmsr C0010042",                       // 18 is within one multiplier of portal 20
        "rdmsr C0010042",    "rdmsr C0010041", controlWrite(second),  // last jump
        "rdmsr C0010042",                                             // target voltage reached
        "rdmsr C0010042",                                             // pending clear
        "rdmsr C0010042",    "rdmsr C0010042",                        // final VID and FID
        "rdmsr C0010042",                                             // pending, for the final text
    };
    EXPECT_EQ(cpu.platform.trace, expected);
}

TEST(A64Transition, VoltageWritesKeepTheOtherBits) {
    FakeAthlon64 cpu(9, 10, 0);
    EXPECT_EQ(cpu.change(9, 9), Outcome::Completed);
    ASSERT_EQ(cpu.platform.writes.size(), 1u);
    EXPECT_EQ(cpu.platform.writes[0].value, kOtherControlBits | kInitiate | 9u << 8 | 9u);
}

TEST(A64Transition, HungMultiplierChangeFailsWithinTheBound) {
    FakeAthlon64 cpu(12, 2, 2);
    cpu.platform.accessNs = 100000;
    cpu.hangFidChanges = true;
    EXPECT_EQ(cpu.change(16, 2), Outcome::Failed);
    EXPECT_GE(cpu.elapsedMs(), 1000.0);
    EXPECT_LT(cpu.elapsedMs(), 1100.0);
    const auto texts = cpu.ui.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Unknown transition error");
    EXPECT_EQ(cpu.ui.last(),
              std::pair(std::string("Unknown Transition Error"), ReportColour::Failure));
    for (const auto& [fid, vid] : cpu.steps())
        EXPECT_EQ(fid, 14) << "never past the hung step";
}

TEST(A64Transition, PendingThatNeverClearsIsGivenUp) {
    FakeAthlon64 cpu(12, 2, 2);
    cpu.pendingSticks = true;
    EXPECT_EQ(cpu.change(14, 2), Outcome::Failed);
    const size_t sleeps = cpu.platform.count("sleep 1");
    EXPECT_GE(sleeps, 990u);
    EXPECT_LE(sleeps, 1001u);
    EXPECT_EQ(cpu.ui.last().first, "Unknown Transition Error");
}

TEST(A64Transition, PendingLeftSetFailsAlthoughTheVoltageArrived) {
    FakeAthlon64 cpu(12, 2, 0);
    cpu.pendingSticks = true;
    EXPECT_EQ(cpu.change(12, 3), Outcome::Failed);
    EXPECT_EQ(cpu.ui.last(),
              std::pair(std::string("Unknown Transition Error"), ReportColour::Failure));
}

TEST(A64Transition, VoltageThatNeverMovesFailsAfterWaitAndASecond) {
    FakeAthlon64 cpu(12, 2, 0);
    cpu.ignoreVid = true;
    EXPECT_EQ(cpu.change(12, 6, true), Outcome::Failed);
    EXPECT_GT(cpu.elapsedMs(), 1050.0);
    EXPECT_LT(cpu.elapsedMs(), 1150.0);
    EXPECT_FALSE(cpu.platform.realTime);
    for (const auto& [fid, vid] : cpu.steps())
        EXPECT_EQ(vid, 3);
    EXPECT_EQ(cpu.ui.reports.back().first, "Unknown Transition Error");
    EXPECT_EQ(cpu.ui.reports[cpu.ui.reports.size() - 2].first, "Unknown transition error");
}

TEST(A64Transition, ExceptionDuringTheWaitRestoresNormalPriority) {
    FakeAthlon64 cpu(12, 2, 0);
    cpu.platform.onSleep = [](uint32_t) { throw std::runtime_error("interrupted"); };
    EXPECT_THROW(cpu.change(12, 4, true), std::runtime_error);
    EXPECT_FALSE(cpu.platform.realTime);
    EXPECT_EQ(cpu.platform.trace.back(), "priority normal");
}

TEST(A64Transition, BoxWithoutAValidNumberStopsBeforeWriting) {
    for (const char* text : {"", "abc", "1001", "-1", "5 "}) {
        FakeAthlon64 cpu(12, 2, 0);
        cpu.ui.vidText = text;
        EXPECT_EQ(cpu.change(12, 4, true), Outcome::Failed) << '"' << text << '"';
        EXPECT_TRUE(cpu.platform.writes.empty());
        EXPECT_EQ(cpu.platform.count("priority"), 0u);
        EXPECT_EQ(cpu.ui.last().first, "Unknown Transition Error");
    }
    for (const char* text : {"", "1048576", "x"}) {
        FakeAthlon64 cpu(12, 2, 2);
        cpu.ui.fidText = text;
        EXPECT_EQ(cpu.change(16, 2), Outcome::Failed) << '"' << text << '"';
        EXPECT_TRUE(cpu.platform.writes.empty());
    }
    FakeAthlon64 cpu(12, 2, 0);
    cpu.ui.vidText = "1000";
    EXPECT_EQ(cpu.change(12, 3), Outcome::Completed);
    EXPECT_EQ(cpu.platform.count("sleep 1000"), 1u);
}

TEST(A64Transition, CurrentReadsPutTheBufferBack) {
    FakeAthlon64 cpu(21, 7);
    A64Transition transition(cpu.msr, cpu.ui, false);
    cpu.msr.Index = kControl;
    cpu.msr.Low = 0xDEADBEEF;
    cpu.msr.High = 0x01234567;
    EXPECT_EQ(transition.currentFid(), 21);
    EXPECT_EQ(transition.currentVid(), 7);
    EXPECT_EQ(cpu.msr.Index, kControl);
    EXPECT_EQ(cpu.msr.value(), 0x01234567DEADBEEFull);
}

TEST(A64Transition, TargetsFromComboTexts) {
    const A64Transition::FidVid current{12, 6};
    auto targets = A64Transition::targetsFromTexts("12.0x", "1.400V", current);
    EXPECT_EQ(targets.fid, 16);
    EXPECT_EQ(targets.vid, 6);
    EXPECT_FALSE(targets.voltageOff);
    targets = A64Transition::targetsFromTexts("4.5x", "0.800V", current);
    EXPECT_EQ(targets.fid, 1);
    EXPECT_EQ(targets.vid, 30);
    targets = A64Transition::targetsFromTexts("", "", {20, 9});
    EXPECT_EQ(targets.fid, 20);
    EXPECT_EQ(targets.vid, 9);
    targets = A64Transition::targetsFromTexts("25.0x", "off", {20, 9});
    EXPECT_EQ(targets.fid, 42);
    EXPECT_EQ(targets.vid, 9) << "off is applied by the caller after its warning";
    EXPECT_TRUE(targets.voltageOff);
}

}  // namespace
}  // namespace zandro
