#include "SimK8Behaviour.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace zandro {

namespace {

constexpr uint32_t kFirstBrandLeaf = 0x80000002;

// C0010041h / C0010042h bits 5..0: FID; C0010041h bits 12..8: new VID; C0010042h bits 36..32:
// current VID; C0010041h bits 51..32: stop-grant count in system bus cycles.
unsigned fidOf(uint64_t value) {
    return unsigned(value & 0x3F);
}
unsigned newVidOf(uint64_t control) {
    return unsigned((control >> 8) & 0x1F);
}
unsigned currentVidOf(uint64_t status) {
    return unsigned((status >> 32) & 0x1F);
}
uint64_t stopGrantCountOf(uint64_t control) {
    return (control >> 32) & 0xFFFFF;
}

// The FID that leaves the low range (below 8) towards either portal: the step-5 table of the
// transition procedure. Only FIDs 2..7 have a second, shorter exit.
std::array<int, 2> lowRangeExits(unsigned fid) {
    const int longExit = int(2 * fid + 10);
    const int shortExit = fid >= 2 ? int(2 * fid + 6) : -1;
    return {longExit, shortExit};
}

unsigned portalOf(unsigned lowFid) {
    return 8 + 2 * lowFid;
}

// A jump between a low FID and a high FID close to its portal, either way.
bool isPortalJump(unsigned low, unsigned high) {
    return low < 8 && high >= 8 && std::abs(int(high) - int(portalOf(low))) <= 2;
}

}  // namespace

bool SimK8Behaviour::isFidStepAllowed(unsigned from, unsigned to) {
    if (std::abs(int(to) - int(from)) <= 2)
        return true;
    if (from < 8) {
        const auto exits = lowRangeExits(from);
        if (int(to) == exits[0] || int(to) == exits[1])
            return true;
    }
    return isPortalJump(from, to) || isPortalJump(to, from);
}

uint64_t SimK8Behaviour::stopGrantNs(uint64_t control) {
    const uint64_t cycleNs = uint64_t(1000.0 / kSystemBusMhz);
    return std::max(kMinimumStopGrantNs, stopGrantCountOf(control) * cycleNs);
}

void SimK8Behaviour::updateBrandLeaves(SimProcessor& processor) {
    // Word w of the 48-byte string is half w % 2 of register C0010030h + w / 2; leaf
    // 80000002h + j holds words 4j..4j+3 in EAX, EBX, ECX, EDX.
    std::array<uint32_t, 12> words{};
    for (unsigned w = 0; w < words.size(); ++w) {
        const auto reg = processor.msrs.find(kNameStringFirst + w / 2);
        const uint64_t value = reg == processor.msrs.end() ? 0 : reg->second;
        words[w] = uint32_t(w % 2 == 0 ? value : value >> 32);
    }
    for (unsigned j = 0; j < 3; ++j) {
        processor.cpuid[kFirstBrandLeaf + j] =
            CpuidRegs{words[4 * j], words[4 * j + 1], words[4 * j + 2], words[4 * j + 3]};
    }
}

void SimK8Behaviour::afterWrite(SimMachine& machine, unsigned cpu, uint32_t index, uint64_t value) {
    if (index >= kNameStringFirst && index <= kNameStringLast) {
        updateBrandLeaves(machine.cpu(cpu));
    } else if (index == kFidVidControl && (value & kInitiateBit)) {
        initiate(machine, cpu, value);
    }
}

void SimK8Behaviour::initiate(SimMachine& machine, unsigned cpu, uint64_t control) {
    auto& msrs = machine.cpu(cpu).msrs;
    const auto status = msrs.find(kFidVidStatus);
    // A request while a change is in flight is dropped, as the part does.
    if (status == msrs.end() || (status->second & kPendingBit))
        return;
    status->second |= kPendingBit;

    Change change;
    if (fidOf(control) != fidOf(status->second)) {
        // A step the part cannot take never completes: the pending bit stays set.
        if (!isFidStepAllowed(fidOf(status->second), fidOf(control)))
            return;
        change = {machine.nowNs() + stopGrantNs(control), Field::Fid, fidOf(control)};
    } else if (newVidOf(control) != currentVidOf(status->second)) {
        change = {machine.nowNs() + kVoltageRampNs, Field::Vid, newVidOf(control)};
    } else {
        change = {machine.nowNs() + kVoltageRampNs, Field::None, 0};
    }
    m_changes[cpu] = change;
}

void SimK8Behaviour::completeIfDue(SimMachine& machine, unsigned cpu) {
    const auto found = m_changes.find(cpu);
    if (found == m_changes.end() || found->second.dueNs > machine.nowNs())
        return;
    const Change change = found->second;
    m_changes.erase(found);

    auto& msrs = machine.cpu(cpu).msrs;
    const auto status = msrs.find(kFidVidStatus);
    if (status == msrs.end())
        return;
    uint64_t value = status->second & ~kPendingBit;
    if (change.field == Field::Fid)
        value = (value & ~uint64_t(0x3F)) | change.code;
    if (change.field == Field::Vid) {
        value = (value & ~(uint64_t(0x1F) << 32)) | (uint64_t(change.code) << 32);
    }
    status->second = value;
}

void SimK8Behaviour::beforeRead(SimMachine& machine, unsigned cpu, uint32_t index) {
    if (index == kFidVidStatus)
        completeIfDue(machine, cpu);
}

void SimK8Behaviour::advance(SimMachine& machine, unsigned cpu, uint64_t) {
    completeIfDue(machine, cpu);
}

double SimK8Behaviour::coreClockMhz(const SimMachine& machine, unsigned cpu) const {
    const auto processor = machine.cpus.find(cpu);
    if (processor == machine.cpus.end())
        return machine.baseClockMhz;
    const auto status = processor->second.msrs.find(kFidVidStatus);
    if (status == processor->second.msrs.end())
        return machine.baseClockMhz;
    // Multiplier = 4 + FID / 2, in half steps.
    return kSystemBusMhz * (4.0 + fidOf(status->second) / 2.0);
}

uint64_t SimK8Behaviour::nextEventNs(const SimMachine&, unsigned cpu) const {
    const auto found = m_changes.find(cpu);
    return found == m_changes.end() ? std::numeric_limits<uint64_t>::max() : found->second.dueNs;
}

std::shared_ptr<SimBehaviour> SimK8Behaviour::clone() const {
    return std::make_shared<SimK8Behaviour>(*this);
}

}  // namespace zandro
