#include <gtest/gtest.h>

#include <sstream>

#include "A64TransitionTestSupport.h"
#include "support/SimFixture.h"

namespace zandro {
namespace {

using test::RecordingUi;
using Outcome = A64Transition::Outcome;

constexpr uint32_t kControl = 0xC0010041;
constexpr uint32_t kStatus = 0xC0010042;
constexpr uint64_t kPending = 1ull << 31;

// The simulated Athlon 64, put at a known FID/VID with its trace in a temporary file.
struct SimAthlon64 {
    test::SimRig rig{"athlon64"};
    test::TempDir dir;
    RecordingUi ui;

    SimAthlon64(unsigned fid, unsigned vid, unsigned maxVid, uint64_t extraStatus = 0,
                bool traced = true) {
        rig.setReg(kStatus,
                   fid | 28ull << 16 | uint64_t(vid) << 32 | uint64_t(maxVid) << 48 | extraStatus);
        rig.setReg(kControl, fid | vid << 8);
        const bool opened = !traced || rig.platform.openTrace(dir.file("trace"));
        EXPECT_TRUE(opened);
    }

    Outcome change(unsigned fid, unsigned vid, bool realTime = false) {
        A64Transition transition(rig.msr, ui, realTime);
        return transition.changeTo(uint8_t(fid), uint8_t(vid));
    }

    std::vector<std::string> lines() const {
        std::istringstream text(test::readFile(dir.file("trace")));
        std::vector<std::string> result;
        for (std::string line; std::getline(text, line);)
            result.push_back(line);
        return result;
    }

    // Events other than reads, with control writes shown by the FID and VID they ask for.
    std::vector<std::string> events() const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            if (line.find(" rdmsr ") != std::string::npos)
                continue;
            const size_t write = line.find(" wrmsr c0010041 ");
            if (write == std::string::npos) {
                result.push_back(line);
                continue;
            }
            const uint64_t value = std::stoull(line.substr(write + 16, 16), nullptr, 16);
            result.push_back("fid " + std::to_string(value & 0x3F) + " vid " +
                             std::to_string((value >> 8) & 0x1F) +
                             (line.ends_with("FAIL") ? " FAIL" : ""));
        }
        return result;
    }

    // The FIDs asked for, repeats of a request the processor dropped while busy folded.
    std::vector<int> fids() const {
        std::vector<int> result;
        for (const std::string& event : events()) {
            if (event.rfind("fid ", 0) != 0)
                continue;
            const int fid = std::stoi(event.substr(4));
            if (result.empty() || result.back() != fid)
                result.push_back(fid);
        }
        return result;
    }
};

TEST(A64TransitionSim, MultiplierChangesTakeOnlyStepsThePartAccepts) {
    struct Case {
        unsigned fromFid, fromVid, maxVid, toFid, toVid;
        std::vector<int> fids;
    };
    const Case cases[] = {
        {12, 8, 4, 2, 8, {12, 2}},
        {0, 4, 4, 16, 4, {10, 12, 14, 16}},
        {4, 3, 3, 6, 3, {18, 6}},
        {28, 2, 2, 8, 2, {26, 24, 22, 20, 18, 16, 14, 12, 10, 8}},
    };
    for (const Case& c : cases) {
        SimAthlon64 cpu(c.fromFid, c.fromVid, c.maxVid);
        EXPECT_EQ(cpu.change(c.toFid, c.toVid), Outcome::Completed) << c.fromFid << "->" << c.toFid;
        EXPECT_EQ(cpu.fids(), c.fids) << c.fromFid << "->" << c.toFid;
        const uint64_t status = cpu.rig.reg(kStatus);
        EXPECT_EQ(status & 0x3F, c.toFid);
        EXPECT_EQ((status >> 32) & 0x1F, c.toVid);
        EXPECT_EQ(status & kPending, 0u);
        EXPECT_EQ(cpu.ui.last(),
                  std::pair(std::string("Transition Completed"), ReportColour::Success));
    }
}

TEST(A64TransitionSim, VoltageStepsAtRealTimePriority) {
    SimAthlon64 cpu(12, 2, 0);
    EXPECT_EQ(cpu.change(12, 6, true), Outcome::Completed);
    std::vector<std::string> expected;
    for (int vid = 3; vid <= 6; ++vid) {
        const std::string write = "fid 12 vid " + std::to_string(vid);
        expected.insert(expected.end(),
                        {"priority realtime", write, "sleep 50", "priority normal"});
    }
    EXPECT_EQ(cpu.events(), expected);
}

TEST(A64TransitionSim, HungChangeFailsWithinTheBound) {
    // A change in flight that never completes: the part drops every further request.
    SimAthlon64 cpu(12, 2, 2, kPending, false);
    const uint64_t start = cpu.rig.machine.nowNs();
    EXPECT_EQ(cpu.change(16, 2), Outcome::Failed);
    const double elapsedMs = (cpu.rig.machine.nowNs() - start) / 1e6;
    EXPECT_GE(elapsedMs, 1000.0);
    EXPECT_LT(elapsedMs, 1100.0);
    const auto texts = cpu.ui.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Unknown transition error");
    EXPECT_EQ(cpu.ui.last(),
              std::pair(std::string("Unknown Transition Error"), ReportColour::Failure));
}

TEST(A64TransitionSim, FailingWriteLeavesNormalPriority) {
    SimAthlon64 cpu(12, 2, 0);
    cpu.rig.machine.cpu(0).failWrite.insert(kControl);
    EXPECT_EQ(cpu.change(12, 4, true), Outcome::Failed);
    std::vector<std::string> priorities;
    for (const std::string& event : cpu.events()) {
        if (event.rfind("priority", 0) == 0)
            priorities.push_back(event);
    }
    ASSERT_FALSE(priorities.empty());
    for (size_t i = 0; i < priorities.size(); ++i) {
        EXPECT_EQ(priorities[i], i % 2 ? "priority normal" : "priority realtime");
    }
    EXPECT_EQ(priorities.back(), "priority normal");
    EXPECT_EQ(cpu.ui.last(),
              std::pair(std::string("Unknown Transition Error"), ReportColour::Failure));
}

}  // namespace
}  // namespace zandro
