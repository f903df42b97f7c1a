#include "IntelTransition.h"

#include "CodeTables.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr uint32_t kMsrPerfStatus = 0x198;
constexpr uint32_t kMsrPerfControl = 0x199;
constexpr uint32_t kRatioMask = 0xFF00;  // 198h/199h bits 15..8
constexpr uint32_t kVidMask = 0xFF;      // 198h/199h bits 7..0
constexpr uint32_t kPointMask = 0xFFFF;  // ratio and VID together
constexpr unsigned kTopVidShift = 32;    // 198h bits 39..32

uint8_t vidOf(uint64_t status) {
    return uint8_t(status & kVidMask);
}
uint8_t ratioOf(uint64_t status) {
    return uint8_t((status & kRatioMask) >> 8);
}
uint8_t topVidOf(uint64_t status) {
    return uint8_t(status >> kTopVidShift);
}

}  // namespace

IntelTransition::IntelTransition(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family)
    : m_msr(msr), m_ui(ui), m_family(family) {}

IntelTransition::RatioVid IntelTransition::targetsFromTexts(IntelFamily family,
                                                            std::string_view multiplierText,
                                                            std::string_view voltageText,
                                                            RatioVid current) {
    RatioVid target = current;
    if (const auto ratio = PMobile_MultiplierTextToRatio(multiplierText))
        target.ratio = *ratio;
    const auto vid = family == IntelFamily::PentiumM ? PMobile_VoltageTextToVid(voltageText)
                                                     : NetBurst_VoltageTextToVid(voltageText);
    if (vid)
        target.vid = *vid;
    return target;
}

IntelTransition::RatioVid IntelTransition::readCurrent() {
    m_msr.Index = kMsrPerfStatus;
    m_msr.ReadMsr();
    return {ratioOf(m_msr.value()), vidOf(m_msr.value())};
}

uint64_t IntelTransition::readStatus() {
    const MsrBufferSave save(m_msr);
    m_msr.Index = kMsrPerfStatus;
    m_msr.ReadMsr();
    return m_msr.value();
}

uint8_t IntelTransition::currentVid() {
    return vidOf(readStatus());
}

bool IntelTransition::fail(std::string_view text) {
    m_ui.report(std::string(text), ReportColour::Failure);
    return false;
}

bool IntelTransition::nextVid(uint8_t current, uint8_t target, uint8_t& next) const {
    if (m_family == IntelFamily::PentiumM) {
        next = current < target ? current + 1 : current - 1;  // 16 mV a step
        return true;
    }
    const auto here = NetBurstLadderPosition(current);
    const auto there = NetBurstLadderPosition(target);
    if (!here || !there)
        return false;
    next = kNetBurstVidLadder[*here < *there ? *here + 1 : *here - 1];  // 12.5 mV a step
    return true;
}

bool IntelTransition::waitUntilSettled() {
    // There is no busy bit on these parts: a change is in flight while 198h has not reached the
    // request that 199h holds. A request the processor does not follow at all (198h standing
    // still for the whole wait) is no change in flight; one that moves but never arrives is.
    const MsrBufferSave save(m_msr);
    Platform& platform = m_msr.platform();
    const uint64_t start = platform.performanceCounter();
    m_msr.Index = kMsrPerfControl;
    m_msr.ReadMsr();
    const uint32_t request = m_msr.Low & kPointMask;
    const uint32_t first = uint32_t(readStatus()) & kPointMask;
    uint32_t point = first;
    bool moved = false;
    while (point != request) {
        if (elapsedMs(platform, start) >= kInFlightLimitMs)
            return !moved;
        platform.sleepMs(1);
        point = uint32_t(readStatus()) & kPointMask;
        moved = moved || point != first;
    }
    return true;
}

bool IntelTransition::stepOnce(uint8_t next) {
    m_msr.Index = kMsrPerfStatus;
    m_msr.ReadMsr();
    m_msr.Low = (m_msr.Low & kRatioMask) | next;
    m_msr.High = 0;

    Platform& platform = m_msr.platform();
    const RealTimeScope realTime(platform, true);
    m_msr.Index = kMsrPerfControl;
    m_msr.WriteMsr();
    // Bounded on the clock: a VID that never arrives must not hold the machine at real time.
    const uint64_t start = platform.performanceCounter();
    do {
        if (elapsedMs(platform, start) >= kStepLimitMs)
            return fail(kIntelVidNotReachedText);
        platform.sleepMs(1);
    } while (currentVid() != next);
    return true;
}

bool IntelTransition::vidStep(uint8_t targetVid) {
    bool reported = false;
    // Each step moves one code closer, so more steps than codes means the VID goes astray.
    for (unsigned steps = 0;; ++steps) {
        if (steps > kMaxVidSteps)
            return fail(kIntelVidNotReachedText);
        // The next step is worked out from where the processor is once nothing is in flight.
        if (!waitUntilSettled())
            return fail(kIntelStillChangingText);
        const uint8_t current = currentVid();
        uint8_t next = current;
        // A Pentium 4 code without a place on the ladder gives no direction: write nothing.
        if (current != targetVid && !nextVid(current, targetVid, next))
            return fail(kIntelVrOffText);
        if (!reported) {
            m_ui.report("Changing Voltage", ReportColour::InProgress);
            reported = true;
        }
        if (current == targetVid)
            return true;
        if (!stepOnce(next))
            return false;
    }
}

bool IntelTransition::PMobile_VidStep(uint8_t targetVid) {
    return vidStep(targetVid);
}

bool IntelTransition::NetBurst_VidStep(uint8_t targetVid) {
    return vidStep(targetVid);
}

bool IntelTransition::transition(uint8_t targetRatio, uint8_t targetVid) {
    m_msr.Index = kMsrPerfStatus;
    m_msr.ReadMsr();
    const uint64_t status = m_msr.value();
    const uint8_t topVid = topVidOf(status);
    if (m_family == IntelFamily::NetBurst) {
        // Every leg must lie on the ladder before the first write, or none is made.
        if (!NetBurstLadderPosition(vidOf(status)) || !NetBurstLadderPosition(topVid) ||
            !NetBurstLadderPosition(targetVid))
            return fail(kIntelVrOffText);
    }
    if (!vidStep(topVid))
        return false;

    m_ui.report("Changing Multiplier", ReportColour::InProgress);
    if (!waitUntilSettled())
        return fail(kIntelStillChangingText);
    m_msr.Index = kMsrPerfControl;
    m_msr.Low = uint32_t(targetRatio) * 256 + topVid;
    m_msr.High = 0;
    m_msr.WriteMsr();

    // The Pentium M never goes above its top VID; the Pentium 4 target is taken as chosen.
    uint8_t finalVid = targetVid;
    if (m_family == IntelFamily::PentiumM && finalVid > topVid)
        finalVid = topVid;
    if (!vidStep(finalVid))
        return false;
    m_ui.report("Transition finished", ReportColour::Success);
    return true;
}

bool IntelTransition::PMobile_Transition(uint8_t targetRatio, uint8_t targetVid) {
    return transition(targetRatio, targetVid);
}

bool IntelTransition::NetBurst_Transition(uint8_t targetRatio, uint8_t targetVid) {
    return transition(targetRatio, targetVid);
}

IntelTransition::Outcome IntelTransition::changeFrom(RatioVid current, RatioVid target) {
    bool reached = false;
    if (target.ratio != current.ratio) {
        reached = transition(target.ratio, target.vid);
    } else if (target.vid != current.vid) {
        reached = vidStep(target.vid);
    } else {
        return Outcome::NothingToDo;
    }
    return reached ? Outcome::Completed : Outcome::Failed;
}

}  // namespace zandro
