#include <gtest/gtest.h>

#include <vector>

#include "sim/SimMachine.h"

namespace zandro {
namespace {

constexpr uint32_t kTsc = SimMachine::kTimeStampCounter;

SimMachine machineWith(uint32_t index, uint64_t value) {
    SimMachine machine;
    machine.cpus[0].msrs[index] = value;
    return machine;
}

TEST(SimMachine, RegisterAbsentFromTheMapFailsToReadAndWrite) {
    SimMachine machine = machineWith(0x1A0, 0x89);
    uint64_t value = 7;
    EXPECT_FALSE(machine.read(0, 0x199, value));
    EXPECT_EQ(value, 7u) << "a failed read delivers nothing";
    EXPECT_FALSE(machine.write(0, 0x199, 1));
    EXPECT_EQ(machine.cpus[0].msrs.count(0x199), 0u) << "a failed write must not create it";
    EXPECT_FALSE(machine.read(1, 0x1A0, value)) << "processor 1 does not exist";
    ASSERT_TRUE(machine.read(0, 0x1A0, value));
    EXPECT_EQ(value, 0x89u);
}

TEST(SimMachine, InjectedFaultsHitOnlyTheirDirectionAndRegister) {
    SimMachine machine = machineWith(0x1A0, 0x89);
    machine.cpus[0].msrs[0x19A] = 0;
    machine.cpus[0].failRead.insert(0x1A0);
    machine.cpus[0].failWrite.insert(0x19A);
    uint64_t value = 0;
    EXPECT_FALSE(machine.read(0, 0x1A0, value));
    EXPECT_TRUE(machine.write(0, 0x1A0, 0x8));
    EXPECT_EQ(machine.cpus[0].msrs[0x1A0], 0x8u) << "fail-read leaves writes working";
    EXPECT_FALSE(machine.write(0, 0x19A, 0x1E));
    EXPECT_EQ(machine.cpus[0].msrs[0x19A], 0u) << "a refused write keeps the old value";
    EXPECT_TRUE(machine.read(0, 0x19A, value));
}

TEST(SimMachine, EveryAccessCostsSimulatedTimeEvenWhenItFails) {
    SimMachine machine = machineWith(0x10, 0);
    uint64_t value = 0;
    machine.read(0, 0x10, value);
    machine.read(0, 0x999, value);
    machine.write(0, 0x10, 0);
    machine.write(0, 0x999, 0);
    EXPECT_EQ(machine.nowNs(), 4 * SimMachine::kAccessCostNs);
}

TEST(SimMachine, TimeStampCounterKeepsTheFractionOfATick) {
    SimMachine machine = machineWith(kTsc, 100);
    machine.cpus[1].cpuid[0] = CpuidRegs{1, 2, 3, 4};  // a processor without the counter
    machine.baseClockMhz = 1000.0 / 3.0;               // one tick every 3 ns
    for (int i = 0; i < 3000; ++i)
        machine.advance(1);
    EXPECT_NEAR(double(machine.cpus[0].msrs[kTsc]), 100.0 + 1000.0, 1.0)
        << "3000 steps of a third of a tick must not lose their fractions";
    machine.advance(3000000);
    EXPECT_NEAR(double(machine.cpus[0].msrs[kTsc]), 100.0 + 1001000.0, 1.0);
    EXPECT_EQ(machine.cpus[1].msrs.count(kTsc), 0u);
}

TEST(SimMachine, MissingProcessorStartsAsCopyOfProcessorZero) {
    SimMachine machine = machineWith(0x1B, 0xFEE00900);
    machine.cpus[0].cpuid[1] = CpuidRegs{0xF48, 0, 0, 0};
    machine.cpus[0].failBind = true;
    machine.cpu(3).msrs[0x1B] = 0xFEE00800;
    EXPECT_EQ(machine.cpus[3].cpuid.at(1).eax, 0xF48u);
    EXPECT_TRUE(machine.cpus[3].failBind);
    EXPECT_EQ(machine.cpus[0].msrs[0x1B], 0xFEE00900u) << "the copy is not shared";

    machine.affinity = 0x5;
    machine.fillProcessors();
    EXPECT_EQ(machine.cpus.count(2), 1u);
    EXPECT_EQ(machine.cpus.count(1), 0u);
    EXPECT_EQ(machine.cpus[3].msrs[0x1B], 0xFEE00800u) << "existing processors stay as they are";
}

// Records what the machine tells its behaviour.
class RecordingBehaviour : public SimBehaviour {
public:
    explicit RecordingBehaviour(std::vector<std::string>& log, uint64_t eventNs)
        : m_log(log), m_eventNs(eventNs) {}
    void afterWrite(SimMachine&, unsigned cpu, uint32_t index, uint64_t value) override {
        m_log.push_back("write " + std::to_string(cpu) + " " + std::to_string(index) + " " +
                        std::to_string(value));
    }
    void beforeRead(SimMachine&, unsigned cpu, uint32_t index) override {
        m_log.push_back("read " + std::to_string(cpu) + " " + std::to_string(index));
    }
    void advance(SimMachine&, unsigned, uint64_t nowNs) override {
        m_log.push_back("advance " + std::to_string(nowNs));
    }
    uint64_t nextEventNs(const SimMachine& machine, unsigned) const override {
        return machine.nowNs() < m_eventNs ? m_eventNs : UINT64_MAX;
    }
    std::shared_ptr<SimBehaviour> clone() const override {
        return std::make_shared<RecordingBehaviour>(*this);
    }

private:
    std::vector<std::string>& m_log;
    uint64_t m_eventNs;
};

TEST(SimMachine, BehaviourSeesSuccessfulAccessesAndStopsTheClockAtItsEvents) {
    std::vector<std::string> log;
    SimMachine machine = machineWith(0x10, 0);
    machine.setBehaviour(std::make_shared<RecordingBehaviour>(log, 1500));
    uint64_t value = 0;
    machine.read(0, 0x10, value);  // the clock reaches 1000
    machine.read(0, 0x77, value);  // absent: no hook; the clock stops at 1500, then 2000
    machine.write(0, 0x10, 42);    // 3000
    machine.write(0, 0x77, 42);    // absent: no hook
    const std::vector<std::string> expected = {
        "advance 1000", "read 0 16",     "advance 1500", "advance 2000",
        "advance 3000", "write 0 16 42", "advance 4000",
    };
    EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace zandro
