#include "SimMachine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zandro {

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

void SimBehaviour::beforeWrite(SimMachine&, unsigned, uint32_t, uint64_t&) {}

void SimBehaviour::afterWrite(SimMachine&, unsigned, uint32_t, uint64_t) {}

void SimBehaviour::beforeRead(SimMachine&, unsigned, uint32_t) {}

void SimBehaviour::advance(SimMachine&, unsigned, uint64_t) {}

double SimBehaviour::coreClockMhz(const SimMachine& machine, unsigned) const {
    return machine.baseClockMhz;
}

uint64_t SimBehaviour::nextEventNs(const SimMachine&, unsigned) const {
    return kNever;
}

std::shared_ptr<SimBehaviour> SimBehaviour::clone() const {
    return std::make_shared<SimBehaviour>(*this);
}

SimMachine::SimMachine() : m_behaviour(std::make_shared<SimBehaviour>()) {}

SimMachine::SimMachine(const SimMachine& other)
    : profileName(other.profileName),
      description(other.description),
      uptimeMs(other.uptimeMs),
      driverStatus(other.driverStatus),
      affinity(other.affinity),
      cpus(other.cpus),
      baseClockMhz(other.baseClockMhz),
      m_nowNs(other.m_nowNs),
      m_behaviour(other.m_behaviour->clone()) {}

SimMachine& SimMachine::operator=(const SimMachine& other) {
    if (this == &other)
        return *this;
    profileName = other.profileName;
    description = other.description;
    uptimeMs = other.uptimeMs;
    driverStatus = other.driverStatus;
    affinity = other.affinity;
    cpus = other.cpus;
    baseClockMhz = other.baseClockMhz;
    m_nowNs = other.m_nowNs;
    m_behaviour = other.m_behaviour->clone();
    return *this;
}

SimMachine::~SimMachine() = default;

void SimMachine::setBehaviour(std::shared_ptr<SimBehaviour> behaviour) {
    m_behaviour = behaviour ? std::move(behaviour) : std::make_shared<SimBehaviour>();
}

SimProcessor& SimMachine::cpu(unsigned n) {
    const auto found = cpus.find(n);
    if (found != cpus.end())
        return found->second;
    SimProcessor copy = cpus[0];
    copy.tscFraction = 0.0;
    return cpus.insert_or_assign(n, std::move(copy)).first->second;
}

void SimMachine::fillProcessors() {
    for (unsigned n = 0; n < 32; ++n) {
        if (affinity & (uint32_t(1) << n))
            cpu(n);
    }
}

uint64_t SimMachine::nextEventNs(uint64_t limitNs) const {
    uint64_t next = limitNs;
    for (const auto& entry : cpus) {
        const uint64_t due = m_behaviour->nextEventNs(*this, entry.first);
        // An event that is already due was handled at its time; never step backwards.
        if (due > m_nowNs && due < next)
            next = due;
    }
    return next;
}

void SimMachine::runTimeStampCounters(uint64_t ns) {
    for (auto& [n, processor] : cpus) {
        const auto tsc = processor.msrs.find(kTimeStampCounter);
        if (tsc == processor.msrs.end())
            continue;
        const double ticks =
            processor.tscFraction + double(ns) * m_behaviour->coreClockMhz(*this, n) / 1000.0;
        const double whole = std::floor(ticks);
        tsc->second += uint64_t(whole);
        processor.tscFraction = ticks - whole;
    }
}

void SimMachine::advance(uint64_t ns) {
    const uint64_t target = m_nowNs + ns;
    // Step from event to event so that a multiplier change takes effect at its exact time.
    while (m_nowNs < target) {
        const uint64_t next = nextEventNs(target);
        runTimeStampCounters(next - m_nowNs);
        m_nowNs = next;
        for (const auto& entry : cpus)
            m_behaviour->advance(*this, entry.first, m_nowNs);
    }
}

bool SimMachine::read(unsigned n, uint32_t index, uint64_t& value) {
    advance(kAccessCostNs);
    const auto found = cpus.find(n);
    if (found == cpus.end())
        return false;
    SimProcessor& processor = found->second;
    if (processor.failRead.count(index) || !processor.msrs.count(index))
        return false;
    m_behaviour->beforeRead(*this, n, index);
    value = processor.msrs.at(index);
    return true;
}

bool SimMachine::write(unsigned n, uint32_t index, uint64_t value) {
    advance(kAccessCostNs);
    const auto found = cpus.find(n);
    if (found == cpus.end())
        return false;
    SimProcessor& processor = found->second;
    if (processor.failWrite.count(index) || !processor.msrs.count(index))
        return false;
    m_behaviour->beforeWrite(*this, n, index, value);
    processor.msrs[index] = value;
    m_behaviour->afterWrite(*this, n, index, value);
    return true;
}

}  // namespace zandro
