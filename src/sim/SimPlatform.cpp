#include "SimPlatform.h"

#include <cinttypes>
#include <string>

namespace zandro {

namespace {

constexpr uint64_t kNsPerMs = 1000000;

// Lowest set bit, or -1 for an empty mask.
int lowestBit(uint32_t mask) {
    return mask == 0 ? -1 : __builtin_ctz(mask);
}

std::string hexValue(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

std::string hexIndex(uint32_t index) {
    char text[9];
    std::snprintf(text, sizeof text, "%" PRIx32, index);
    return text;
}

}  // namespace

SimPlatform::SimPlatform(SimMachine& machine) : m_machine(machine) {
    m_machine.fillProcessors();
}

SimPlatform::~SimPlatform() {
    if (m_trace)
        std::fclose(m_trace);
}

bool SimPlatform::openTrace(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file)
        return false;
    if (m_trace)
        std::fclose(m_trace);
    m_trace = file;
    return true;
}

unsigned SimPlatform::boundCpu() const {
    if (m_processMask != 0)
        return m_cpu;
    // Not bound yet: the scheduler would run us anywhere; the lowest processor stands for that.
    const int lowest = lowestBit(m_machine.affinity);
    return lowest < 0 ? 0 : unsigned(lowest);
}

void SimPlatform::trace(const std::string& line) {
    if (!m_trace)
        return;
    // One flush per line: the trace is read after the program ends, and a crash must not lose it.
    std::fputs(line.c_str(), m_trace);
    std::fputc('\n', m_trace);
    std::fflush(m_trace);
}

std::string SimPlatform::accessLine(const char* kind, uint32_t index) const {
    return std::to_string(boundCpu()) + ' ' + kind + ' ' + hexIndex(index);
}

int32_t SimPlatform::readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) {
    uint64_t value = 0;
    const bool ok = m_machine.read(boundCpu(), index, value);
    eax = uint32_t(value);
    edx = uint32_t(value >> 32);
    trace(accessLine("rdmsr", index) + (ok ? ' ' + hexValue(value) : std::string(" FAIL")));
    return ok ? DriverStatus::Ok : DriverStatus::Failed;
}

int32_t SimPlatform::write(const char* kind, uint32_t index, uint64_t value) {
    const bool ok = m_machine.write(boundCpu(), index, value);
    trace(accessLine(kind, index) + ' ' + hexValue(value) + (ok ? "" : " FAIL"));
    return ok ? DriverStatus::Ok : DriverStatus::Failed;
}

int32_t SimPlatform::writeMsr(uint32_t index, uint64_t value) {
    return write("wrmsr", index, value);
}

int32_t SimPlatform::writeMsrWbinvd(uint32_t index, uint64_t value) {
    // Caches are not simulated: the flushing write is the plain write under another name.
    return write("wrmsr-wbinvd", index, value);
}

int32_t SimPlatform::driverStatus() {
    return m_machine.driverStatus;
}

CpuidRegs SimPlatform::cpuid(uint32_t leaf) {
    const auto processor = m_machine.cpus.find(boundCpu());
    if (processor == m_machine.cpus.end())
        return {};
    const auto found = processor->second.cpuid.find(leaf);
    return found == processor->second.cpuid.end() ? CpuidRegs{} : found->second;
}

uint64_t SimPlatform::rdtsc() {
    const auto processor = m_machine.cpus.find(boundCpu());
    if (processor == m_machine.cpus.end())
        return 0;
    const auto tsc = processor->second.msrs.find(SimMachine::kTimeStampCounter);
    return tsc == processor->second.msrs.end() ? 0 : tsc->second;
}

bool SimPlatform::affinityMasks(uint32_t& processMask, uint32_t& systemMask) {
    systemMask = m_machine.affinity;
    processMask = m_processMask != 0 ? m_processMask : systemMask;
    return true;
}

bool SimPlatform::setAffinityMask(uint32_t mask) {
    m_machine.fillProcessors();
    const uint32_t present = mask & m_machine.affinity;
    const int chosen = lowestBit(present);
    if (chosen < 0 || m_machine.cpu(unsigned(chosen)).failBind) {
        const int named = chosen >= 0 ? chosen : lowestBit(mask);
        trace("bind " + std::to_string(named < 0 ? 0 : named) + " FAIL");
        return false;
    }
    m_cpu = unsigned(chosen);
    m_processMask = present;
    trace("bind " + std::to_string(chosen));
    return true;
}

uint64_t SimPlatform::performanceFrequency() {
    return 1000000000;  // the counter counts simulated nanoseconds
}

uint64_t SimPlatform::performanceCounter() {
    return m_machine.nowNs();
}

void SimPlatform::sleepMs(uint32_t ms) {
    trace("sleep " + std::to_string(ms));
    m_machine.advance(uint64_t(ms) * kNsPerMs);
}

uint64_t SimPlatform::tickCountMs() {
    return m_machine.tickCountMs();
}

bool SimPlatform::setRealTimePriority() {
    trace("priority realtime");
    return true;
}

void SimPlatform::setNormalPriority() {
    trace("priority normal");
}

}  // namespace zandro
