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

std::optional<IntelTransition::RatioVid> IntelTransition::readCurrent() {
    m_msr.Index = kMsrPerfStatus;
    if (!m_msr.ReadMsr()) {
        fail(kIntelStatusUnreadText);
        return std::nullopt;
    }
    return RatioVid{ratioOf(m_msr.value()), vidOf(m_msr.value())};
}

std::optional<uint64_t> IntelTransition::readStatus() {
    const MsrBufferSave save(m_msr);
    m_msr.Index = kMsrPerfStatus;
    if (!m_msr.ReadMsr())
        return std::nullopt;
    return m_msr.value();
}

std::optional<uint8_t> IntelTransition::currentVid() {
    const auto status = readStatus();
    if (!status)
        return std::nullopt;
    return vidOf(*status);
}

bool IntelTransition::fail(std::string_view text) {
    m_ui.report(std::string(text), ReportColour::Failure);
    return false;
}

std::optional<std::string_view> IntelTransition::offTable(uint8_t vid) const {
    if (m_family == IntelFamily::PentiumM) {
        if (vid <= kPMobileTopVid)
            return std::nullopt;
        return kIntelOffTableText;
    }
    if (NetBurstLadderPosition(vid))
        return std::nullopt;
    return NetBurst_VidToText(vid) == "VR output off" ? kIntelVrOffText : kIntelOffTableText;
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
    // Without the request there is nothing to wait for; the status reads below still decide.
    const uint32_t request = m_msr.ReadMsr() ? m_msr.Low & kPointMask : ~0u;
    auto status = readStatus();
    if (!status)
        return false;
    const uint32_t first = uint32_t(*status) & kPointMask;
    uint32_t point = first;
    bool moved = false;
    while (request != ~0u && point != request) {
        if (elapsedMs(platform, start) >= kInFlightLimitMs)
            return !moved;
        platform.sleepMs(1);
        status = readStatus();
        if (!status)
            return false;
        point = uint32_t(*status) & kPointMask;
        moved = moved || point != first;
    }
    return true;
}

bool IntelTransition::stepOnce(uint8_t next) {
    const auto status = readStatus();
    if (!status)
        return fail(kIntelStatusLostText);

    Platform& platform = m_msr.platform();
    const RealTimeScope realTime(platform, true);
    m_msr.Index = kMsrPerfControl;
    m_msr.setValue((*status & kRatioMask) | next);
    // A refused write moves nothing: waiting a second for it would only hold real time longer.
    if (!m_msr.WriteMsr())
        return fail(kIntelVidRefusedText);
    // Bounded on the clock: a VID that never arrives must not hold the machine at real time.
    const uint64_t start = platform.performanceCounter();
    for (;;) {
        if (elapsedMs(platform, start) >= kStepLimitMs)
            return fail(kIntelVidNotReachedText);
        platform.sleepMs(1);
        const auto vid = currentVid();
        if (!vid)
            return fail(kIntelStatusLostText);
        if (*vid == next)
            return true;
    }
}

bool IntelTransition::vidStep(uint8_t targetVid) {
    if (const auto refusal = offTable(targetVid))
        return fail(*refusal);
    bool reported = false;
    // Each step moves one code closer, so as many steps as there are codes means the VID goes
    // astray.
    for (unsigned steps = 0;; ++steps) {
        if (steps >= kMaxVidSteps)
            return fail(kIntelVidNotReachedText);
        // The next step is worked out from where the processor is once nothing is in flight.
        if (!waitUntilSettled())
            return fail(kIntelStillChangingText);
        const auto current = currentVid();
        if (!current)
            return fail(kIntelStatusLostText);
        // A code without a place in the table gives no direction and no safe next code.
        if (*current != targetVid) {
            if (const auto refusal = offTable(*current))
                return fail(*refusal);
        }
        uint8_t next = *current;
        if (*current != targetVid && !nextVid(*current, targetVid, next))
            return fail(kIntelOffTableText);
        if (!reported) {
            m_ui.report("Changing Voltage", ReportColour::InProgress);
            reported = true;
        }
        if (*current == targetVid)
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

bool IntelTransition::confirmRatio(uint8_t targetRatio) {
    // The processor may refuse a ratio outright; the voltage must not move on at the old one.
    Platform& platform = m_msr.platform();
    const uint64_t start = platform.performanceCounter();
    for (;;) {
        const auto status = readStatus();
        if (!status)
            return fail(kIntelStatusLostText);
        if (ratioOf(*status) == targetRatio)
            return true;
        if (elapsedMs(platform, start) >= kStepLimitMs)
            return fail(kIntelRatioRefusedText);
        platform.sleepMs(1);
    }
}

bool IntelTransition::transition(uint8_t targetRatio, uint8_t targetVid) {
    const auto status = readStatus();
    if (!status)
        return fail(kIntelStatusUnreadText);
    const uint8_t topVid = topVidOf(*status);
    // Every leg must lie in the voltage table before the first write, or none is made.
    for (uint8_t vid : {vidOf(*status), topVid, targetVid}) {
        if (const auto refusal = offTable(vid))
            return fail(*refusal);
    }
    if (!vidStep(topVid))
        return false;

    m_ui.report("Changing Multiplier", ReportColour::InProgress);
    if (!waitUntilSettled())
        return fail(kIntelStillChangingText);
    m_msr.Index = kMsrPerfControl;
    m_msr.setValue(uint32_t(targetRatio) * 256 + topVid);
    if (!m_msr.WriteMsr())
        return fail(kIntelRatioRefusedText);
    if (!confirmRatio(targetRatio))
        return false;

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
        // The step ends only once 198h shows the target, so reaching it is the news.
        reached = vidStep(target.vid);
        if (reached)
            m_ui.report("New voltage set", ReportColour::Success);
    } else {
        return Outcome::NothingToDo;
    }
    return reached ? Outcome::Completed : Outcome::Failed;
}

}  // namespace zandro
