#include "SimIntelBehaviour.h"

#include <limits>

namespace zandro {

namespace {

constexpr uint32_t kGenu = 0x756E6547, kInei = 0x49656E69, kNtel = 0x6C65746E;
constexpr uint32_t kPowerOnConfiguration = 0x2A;  // Pentium M: bit 18 bus clock
constexpr uint32_t kFrequencyId = 0x2C;           // Pentium 4: bits 18..16 bus clock

unsigned field(uint64_t value, unsigned highest, unsigned lowest) {
    return unsigned((value >> lowest) & ((uint64_t(1) << (highest - lowest + 1)) - 1));
}

struct Identity {
    unsigned family = 0;
    unsigned model = 0;
    bool intel = false;
};

Identity identityOf(const SimProcessor& processor) {
    Identity id;
    const auto vendor = processor.cpuid.find(0);
    const auto leaf1 = processor.cpuid.find(1);
    if (vendor == processor.cpuid.end() || leaf1 == processor.cpuid.end())
        return id;
    id.intel =
        vendor->second.ebx == kGenu && vendor->second.edx == kInei && vendor->second.ecx == kNtel;
    id.family = field(leaf1->second.eax, 11, 8);
    id.model = field(leaf1->second.eax, 7, 4);
    return id;
}

bool isNetBurst(const SimProcessor& processor) {
    return identityOf(processor).family == 15;
}

uint64_t regOr(const SimProcessor& processor, uint32_t index, uint64_t fallback) {
    const auto found = processor.msrs.find(index);
    return found == processor.msrs.end() ? fallback : found->second;
}

bool inRange(std::optional<unsigned> value, std::optional<unsigned> lowest,
             std::optional<unsigned> highest) {
    return value && lowest && highest && *value >= *lowest && *value <= *highest;
}

}  // namespace

bool SimIntelBehaviour::fits(const SimProcessor& processor) {
    const Identity id = identityOf(processor);
    return id.intel && (id.family == 15 || (id.family == 6 && (id.model == 9 || id.model == 13)));
}

std::optional<unsigned> SimIntelBehaviour::voltageRank(bool netBurst, unsigned vid) {
    if (!netBurst)
        return vid;
    // Pentium 4 VID: bits 4..0 count down in 25 mV steps from two ends of the range, bit 5 adds
    // half a step; 0 and 32 switch the output off. Rank 0 is 0.8375 V, rank 61 is 1.6000 V.
    const unsigned low = vid & 0x1F;
    const unsigned half = (vid >> 5) & 1;
    if (vid > 63 || low == 0)
        return std::nullopt;
    return low + half <= 21 ? 19 + 2 * low + half : 2 * low + half - 43;
}

bool SimIntelBehaviour::accepts(bool netBurst, uint64_t status, uint64_t request) {
    const unsigned ratio = field(request, 15, 8);
    if (ratio < field(status, 31, 24) || ratio > field(status, 47, 40))
        return false;
    // The lowest limit may be an "output off" code on a Pentium 4: it then bounds nothing.
    std::optional<unsigned> lowest = voltageRank(netBurst, field(status, 23, 16));
    if (netBurst && !lowest)
        lowest = 0;
    return inRange(voltageRank(netBurst, field(request, 7, 0)), lowest,
                   voltageRank(netBurst, field(status, 39, 32)));
}

double SimIntelBehaviour::busMhz(const SimProcessor& processor) {
    const Identity id = identityOf(processor);
    if (id.family != 15)
        return field(regOr(processor, kPowerOnConfiguration, 0), 18, 18) ? 400.0 / 3.0 : 100.0;
    const unsigned code = field(regOr(processor, kFrequencyId, 0), 18, 16);
    switch (code) {
        case 0:
            return id.model >= 3 ? 800.0 / 3.0 : 100.0;
        case 1:
            return 400.0 / 3.0;
        case 2:
            return 200.0;
        case 3:
            return 500.0 / 3.0;
        case 4:
            return 1000.0 / 3.0;
        default:
            return 100.0;
    }
}

void SimIntelBehaviour::beforeWrite(SimMachine& machine, unsigned cpu, uint32_t index,
                                    uint64_t& value) {
    SimProcessor& processor = machine.cpu(cpu);
    if (index == kThermalStatus) {
        const uint64_t old = regOr(processor, kThermalStatus, 0);
        // Only the log is writable, and only to 0; heat sets it again at once.
        uint64_t kept = old & ~kThermalLog;
        if ((old & value & kThermalLog) || (old & kThermalNow))
            kept |= kThermalLog;
        value = kept;
        return;
    }
    if (index != kPerfControl)
        return;
    const uint64_t status = regOr(processor, kPerfStatus, 0);
    // A request while the voltage settles is dropped: 199h keeps the one in flight.
    if (m_settling.count(cpu)) {
        value = regOr(processor, kPerfControl, value);
        return;
    }
    // A request outside the limits leaves the part where it is, and 199h shows that point.
    if (!accepts(isNetBurst(processor), status, value))
        value = status & 0xFFFF;
}

void SimIntelBehaviour::afterWrite(SimMachine& machine, unsigned cpu, uint32_t index,
                                   uint64_t value) {
    if (index != kPerfControl)
        return;
    auto& msrs = machine.cpu(cpu).msrs;
    const auto status = msrs.find(kPerfStatus);
    if (status == msrs.end())
        return;
    // The ratio follows at once; the regulator needs its time for the voltage.
    status->second = (status->second & ~uint64_t(0xFF00)) | (value & 0xFF00);
    const unsigned vid = field(value, 7, 0);
    if (vid != field(status->second, 7, 0))
        m_settling[cpu] = {machine.nowNs() + kVoltageSettleNs, vid};
}

void SimIntelBehaviour::completeIfDue(SimMachine& machine, unsigned cpu) {
    const auto found = m_settling.find(cpu);
    if (found == m_settling.end() || found->second.dueNs > machine.nowNs())
        return;
    const unsigned vid = found->second.vid;
    m_settling.erase(found);
    auto& msrs = machine.cpu(cpu).msrs;
    const auto status = msrs.find(kPerfStatus);
    if (status != msrs.end())
        status->second = (status->second & ~uint64_t(0xFF)) | vid;
}

void SimIntelBehaviour::beforeRead(SimMachine& machine, unsigned cpu, uint32_t index) {
    if (index == kPerfStatus)
        completeIfDue(machine, cpu);
}

void SimIntelBehaviour::advance(SimMachine& machine, unsigned cpu, uint64_t) {
    completeIfDue(machine, cpu);
}

double SimIntelBehaviour::coreClockMhz(const SimMachine& machine, unsigned cpu) const {
    const auto found = machine.cpus.find(cpu);
    if (found == machine.cpus.end() || !found->second.msrs.count(kPerfStatus))
        return machine.baseClockMhz;
    const SimProcessor& processor = found->second;
    const uint64_t status = processor.msrs.at(kPerfStatus);
    unsigned ratio = field(status, 15, 8);
    const Identity id = identityOf(processor);
    // From model 3 the Pentium 4 counts at its highest ratio whatever the core runs at.
    if (id.family == 15 && id.model >= 3 && field(status, 47, 40) != 0)
        ratio = field(status, 47, 40);
    return ratio * busMhz(processor);
}

uint64_t SimIntelBehaviour::nextEventNs(const SimMachine&, unsigned cpu) const {
    const auto found = m_settling.find(cpu);
    return found == m_settling.end() ? std::numeric_limits<uint64_t>::max() : found->second.dueNs;
}

std::shared_ptr<SimBehaviour> SimIntelBehaviour::clone() const {
    return std::make_shared<SimIntelBehaviour>(*this);
}

}  // namespace zandro
