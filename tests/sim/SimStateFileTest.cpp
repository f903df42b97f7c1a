#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "sim/SimProfiles.h"
#include "sim/SimStateFile.h"
#include "support/SimFixture.h"

namespace zandro::test {
namespace {

// Everything the grammar can express; the sub-tick remainder of the counters is not part of it.
void expectSameState(const SimMachine& actual, const SimMachine& expected) {
    EXPECT_EQ(actual.tickCountMs(), expected.tickCountMs());
    EXPECT_EQ(actual.driverStatus, expected.driverStatus);
    EXPECT_EQ(actual.affinity, expected.affinity);
    ASSERT_EQ(actual.cpus.size(), expected.cpus.size());
    for (const auto& [n, want] : expected.cpus) {
        SCOPED_TRACE("processor " + std::to_string(n));
        const SimProcessor& got = actual.cpus.at(n);
        EXPECT_EQ(got.cpuid, want.cpuid);
        EXPECT_EQ(got.msrs, want.msrs);
        EXPECT_EQ(got.failRead, want.failRead);
        EXPECT_EQ(got.failWrite, want.failWrite);
        EXPECT_EQ(got.failBind, want.failBind);
    }
}

SimMachine profile(const std::string& name) {
    auto machine = makeSimMachine(name);
    if (!machine)
        throw std::runtime_error("no profile " + name);
    return *machine;
}

TEST(SimStateFile, FormattedStateRebuildsEveryProfileFromNothing) {
    for (const SimProfileInfo& info : simProfiles()) {
        SCOPED_TRACE(info.name);
        SimMachine original = profile(info.name);
        original.driverStatus = DriverStatus::NotRunning;
        original.cpu(0).failRead.insert(0x10);
        original.cpu(0).failWrite.insert(0xC0010015);
        original.cpu(0).failBind = true;
        original.advance(1234567890);

        SimMachine rebuilt;  // no registers, no leaves: the text alone must carry the machine
        const SimStateResult result = parseSimState(formatSimState(original), "x", rebuilt);
        ASSERT_TRUE(result.ok) << result.error;
        expectSameState(rebuilt, original);
    }
}

TEST(SimStateFile, FormatWritesFixedWidthHex) {
    const std::string text = formatSimState(profile("athlon64-x2"));
    const std::regex leaf("^\\d+ cpuid [0-9a-f]{8}( [0-9a-f]{8}){4}$");
    const std::regex msr("^\\d+ msr [0-9a-f]{8} [0-9a-f]{16}$");
    std::istringstream lines(text);
    int leaves = 0, msrs = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" cpuid ") != std::string::npos) {
            EXPECT_TRUE(std::regex_match(line, leaf)) << line;
            ++leaves;
        } else if (line.find(" msr ") != std::string::npos) {
            EXPECT_TRUE(std::regex_match(line, msr)) << line;
            ++msrs;
        }
    }
    EXPECT_GT(leaves, 0);
    EXPECT_GT(msrs, 0);
    EXPECT_NE(text.find("\naffinity 00000003\n"), std::string::npos);
}

TEST(SimStateFile, EveryStatementKindInEveryNumberSpelling) {
    SimMachine machine = profile("athlon64");
    const std::string text =
        "# a comment line\r\n"
        "\n"
        "uptime 90000   # trailing comment\n"
        "driver-status -7\n"
        "\taffinity 0X3\n"
        "0 cpuid 80000007 0x0 0X0 0 0000000F\n"
        "1 msr 0xc0010042 0x0000000000000001\n"
        "0 msr C0010015 DEADBEEFcafef00d\n"
        "0 fail-read 10\n"
        "1 fail-write 0x1b\n"
        "1 fail-bind\n";
    const SimStateResult result = parseSimState(text, "state.txt", machine);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(machine.uptimeMs, 90000u);
    EXPECT_EQ(machine.driverStatus, -7);
    EXPECT_EQ(machine.affinity, 3u);
    EXPECT_EQ(machine.cpus[0].cpuid[0x80000007], (CpuidRegs{0, 0, 0, 0xF}));
    EXPECT_EQ(machine.cpus[1].msrs[0xC0010042], 1u);
    EXPECT_EQ(machine.cpus[0].msrs[0xC0010015], 0xDEADBEEFCAFEF00Du);
    EXPECT_EQ(machine.cpus[0].failRead, std::set<uint32_t>{0x10});
    EXPECT_EQ(machine.cpus[1].failWrite, std::set<uint32_t>{0x1B});
    EXPECT_TRUE(machine.cpus[1].failBind);
    EXPECT_FALSE(machine.cpus[0].failBind);
}

TEST(SimStateFile, ProcessorTheProfileLacksStartsAsCopyOfProcessorZero) {
    const SimMachine fresh = profile("athlon64");
    SimMachine machine = fresh;
    ASSERT_TRUE(parseSimState("0 msr 1b 0\n2 msr 1a0 5\n", "s", machine).ok);
    EXPECT_EQ(machine.affinity, 1u) << "naming a processor does not make it present";
    SimProcessor expected = machine.cpus[0];
    expected.msrs[0x1A0] = 5;
    EXPECT_EQ(machine.cpus[2].msrs, expected.msrs);
    EXPECT_EQ(machine.cpus[2].cpuid, fresh.cpus.at(0).cpuid);

    machine = fresh;
    ASSERT_TRUE(parseSimState("affinity 5\n", "s", machine).ok);
    ASSERT_EQ(machine.cpus.count(2), 1u);
    EXPECT_EQ(machine.cpus[2].msrs, fresh.cpus.at(0).msrs);
}

TEST(SimStateFile, ErrorsNameTheFileAndLine) {
    const struct {
        const char* text;
        unsigned line;
    } cases[] = {
        {"frobnicate 1\n", 1},
        {"# ok\nuptime\n", 2},
        {"uptime 12x\n", 1},
        {"uptime 1 2\n", 1},
        {"driver-status seven\n", 1},
        {"driver-status 2147483648\n", 1},
        {"\n\naffinity 0\n", 3},
        {"affinity 1FFFFFFFF\n", 1},
        {"32 msr 10 0\n", 1},
        {"0 msr 10\n", 1},
        {"0 msr 10 0x\n", 1},
        {"0 msr 10 12345678901234567\n", 1},
        {"0 msr 1g 0\n", 1},
        {"0 cpuid 1 2 3 4\n", 1},
        {"0 cpuid 1 2 3 4 100000000\n", 1},
        {"0 fail-bind 1\n", 1},
        {"0 fail-read\n", 1},
        {"0 frob 10\n", 1},
        {"0\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SimMachine machine = profile("k6");
        const SimStateResult result = parseSimState(c.text, "dir/state.txt", machine);
        EXPECT_FALSE(result.ok);
        const std::string prefix = "dir/state.txt:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(result.error.rfind(prefix, 0), 0u) << result.error;
        EXPECT_GT(result.error.size(), prefix.size()) << "the reason is missing";
    }
}

TEST(SimStateFile, SaveAndLoadGoThroughTheFileAtomically) {
    TempDir dir;
    const std::string path = dir.file("machine.state");
    writeFile(path, "old contents\n");
    SimMachine original = profile("pentium-m");
    original.cpu(0).msrs[0x199] = 0x0C26;
    original.cpu(0).failWrite.insert(0x199);
    std::string error;
    ASSERT_TRUE(saveSimState(path, original, &error)) << error;
    EXPECT_EQ(readFile(path), formatSimState(original));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";

    SimMachine loaded = profile("pentium-m");
    const SimStateResult result = loadSimState(path, loaded);
    ASSERT_TRUE(result.ok) << result.error;
    expectSameState(loaded, original);
}

TEST(SimStateFile, SaveIntoAMissingFolderFailsWithAReason) {
    std::string error;
    EXPECT_FALSE(saveSimState("/nonexistent-folder/machine.state", profile("k5"), &error));
    EXPECT_NE(error.find("/nonexistent-folder/machine.state"), std::string::npos) << error;
}

TEST(SimStateFile, MissingFileLoadsNothingAndBadFileStaysAsItWas) {
    TempDir dir;
    SimMachine machine = profile("pentium3");
    const std::string before = formatSimState(machine);
    EXPECT_TRUE(loadSimState(dir.file("absent.state"), machine).ok);
    EXPECT_EQ(formatSimState(machine), before);

    const std::string path = dir.file("bad.state");
    const std::string text = "uptime 5\n0 msr 10 zz\n";
    writeFile(path, text);
    const SimStateResult result = loadSimState(path, machine);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.rfind(path + ":2: ", 0), 0u) << result.error;
    EXPECT_EQ(readFile(path), text);
}

TEST(SimStateFile, UptimeCarriesTheTimeThatPassed) {
    SimMachine machine = profile("k6");
    const uint64_t uptime = machine.uptimeMs;
    machine.advance(uint64_t(7000) * 1000000);
    SimMachine loaded = profile("k6");
    ASSERT_TRUE(parseSimState(formatSimState(machine), "s", loaded).ok);
    EXPECT_EQ(loaded.uptimeMs, uptime + 7000);
}

}  // namespace
}  // namespace zandro::test
