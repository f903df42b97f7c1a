#include "A64Transition.h"

#include <array>

#include "CodeTables.h"
#include "TransitionSupport.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr uint32_t kMsrFidVidControl = 0xC0010041;
constexpr uint32_t kMsrFidVidStatus = 0xC0010042;

// C0010041h low half: new FID 5..0, new VID 12..8, initiate 16.
constexpr uint32_t kNewFidMask = 0x3F;
constexpr uint32_t kNewVidMask = 0x1F00;
constexpr unsigned kNewVidShift = 8;
constexpr uint32_t kInitiate = 1u << 16;
constexpr unsigned kPendingBit = 31;  // C0010042h

// C0010042h bits 5..0: current FID; 36..32: current VID; 31: change pending.
uint8_t fidOf(uint64_t status) {
    return uint8_t(status & 0x3F);
}
uint8_t vidOf(uint64_t status) {
    return uint8_t((status >> 32) & 0x1F);
}
bool isPending(uint64_t status) {
    return (status >> kPendingBit) & 1u;
}

constexpr uint32_t kMaxStopGrantCount = 0xFFFFF;  // bits 51..32
constexpr uint32_t kMaxVidWaitMs = 1000;
constexpr uint64_t kStallLimitMs = 1000;
constexpr uint8_t kLowRangeEnd = 8;  // FIDs 0..7 (4.0x..7.5x) are reached from above only
constexpr uint8_t kFidStep = 2;      // one whole multiplier

// The first step out of the low range, by current FID: the higher FID when the portal is at
// least portalAtLeast, else the lower one.
struct LowRangeExit {
    uint8_t higher;
    uint8_t portalAtLeast;
    uint8_t lower;
};
constexpr std::array<LowRangeExit, kLowRangeEnd> kLowRangeExits = {{
    {10, 0, 10},
    {12, 0, 12},
    {14, 12, 10},
    {16, 14, 12},
    {18, 16, 14},
    {20, 18, 16},
    {22, 20, 18},
    {24, 22, 20},
}};

// The FID from which the last jump to the target is made.
uint8_t portalFid(uint8_t targetFid) {
    return targetFid >= kLowRangeEnd ? targetFid : uint8_t(kLowRangeEnd + 2 * targetFid);
}

unsigned fidDistance(uint8_t a, uint8_t b) {
    return a > b ? a - b : b - a;
}

}  // namespace

A64Transition::A64Transition(MsrBuffer& msr, A64TransitionUi& ui, bool realTimePriority)
    : m_msr(msr), m_ui(ui), m_realTimePriority(realTimePriority) {}

A64Transition::Targets A64Transition::targetsFromTexts(std::string_view multiplierText,
                                                       std::string_view voltageText,
                                                       FidVid current) {
    return amdTargetsFromTexts(multiplierText, voltageText, current, A64_MultiplierTextToFid,
                               A64_VoltageTextToVid);
}

std::optional<A64Transition::FidVid> A64Transition::readCurrent() {
    m_msr.Index = kMsrFidVidStatus;
    if (!m_msr.ReadMsr()) {
        m_ui.report("Nothing changed: C0010042h could not be read", ReportColour::Failure);
        return std::nullopt;
    }
    return FidVid{fidOf(m_msr.value()), vidOf(m_msr.value())};
}

std::optional<uint64_t> A64Transition::readStatus() {
    const MsrBufferSave save(m_msr);
    m_msr.Index = kMsrFidVidStatus;
    if (!m_msr.ReadMsr())
        return std::nullopt;
    return m_msr.value();
}

std::optional<uint8_t> A64Transition::currentFid() {
    const auto status = readStatus();
    return status ? std::optional<uint8_t>(fidOf(*status)) : std::nullopt;
}
std::optional<uint8_t> A64Transition::currentVid() {
    const auto status = readStatus();
    return status ? std::optional<uint8_t>(vidOf(*status)) : std::nullopt;
}

bool A64Transition::fail() {
    m_ui.report("Unknown transition error", ReportColour::Failure);
    return false;
}

bool A64Transition::writeVidStep(uint8_t newVid, uint32_t waitMs) {
    m_msr.ReadMsr();
    m_msr.Low =
        (m_msr.Low & ~kNewVidMask) | ((uint32_t(newVid) << kNewVidShift) & kNewVidMask) | kInitiate;
    const RealTimeScope realTime(m_msr.platform(), m_realTimePriority);
    if (!m_msr.WriteMsr())
        return false;
    // A zero wait means no sleep at all, not a yield.
    if (waitMs > 0)
        m_msr.platform().sleepMs(waitMs);
    return true;
}

bool A64Transition::settledStatus(uint64_t& status) {
    const uint64_t start = m_msr.platform().performanceCounter();
    while (isPending(status)) {
        if (elapsedMs(m_msr.platform(), start) >= kStallLimitMs)
            return false;
        const auto next = readStatus();
        if (!next)
            return false;
        status = *next;
    }
    return true;
}

bool A64Transition::A64_VidStep(uint8_t targetVid) {
    m_ui.report("Changing Voltage", ReportColour::InProgress);
    m_msr.Index = kMsrFidVidControl;
    auto status = readStatus();
    // Steps worked out from a status that was never read would go anywhere.
    if (!status)
        return fail();
    uint8_t current = vidOf(*status);
    StallWatch watch(m_msr.platform(), current);
    uint32_t waitMs = 0;
    while (current != targetVid) {
        // A voltage that stops following the writes fails instead of looping for ever.
        if (watch.stalled(current, waitMs + kStallLimitMs))
            return fail();
        // A box without a valid number at this moment ends the transition before any write.
        const auto wait = boxNumber(m_ui.vidStabilizationText(), kMaxVidWaitMs);
        if (!wait)
            return fail();
        waitMs = *wait;
        // A request written while the last one is still in flight would be lost or repeated.
        if (!settledStatus(*status))
            return fail();
        current = vidOf(*status);
        if (current == targetVid)
            break;
        if (!writeVidStep(current > targetVid ? current - 1 : current + 1, waitMs))
            return fail();
        status = readStatus();
        if (!status)
            return fail();
        current = vidOf(*status);
    }
    return true;
}

bool A64Transition::writeFid(uint8_t newFid, uint32_t stopGrantCount) {
    // The stop-grant count fills the whole high half; other low bits stay as read.
    m_msr.High = stopGrantCount;
    m_msr.Low = (m_msr.Low & ~kNewFidMask) | (newFid & kNewFidMask) | kInitiate;
    return m_msr.WriteMsr();
}

bool A64Transition::leaveLowRange(uint8_t portal, uint32_t stopGrantCount) {
    const auto current = currentFid();
    if (!current)
        return false;
    if (*current >= kLowRangeEnd || fidDistance(*current, portal) <= kFidStep)
        return true;
    const LowRangeExit& exit = kLowRangeExits[*current];
    return writeFid(portal >= exit.portalAtLeast ? exit.higher : exit.lower, stopGrantCount);
}

bool A64Transition::stepTowardsPortal(uint8_t portal, uint32_t stopGrantCount) {
    auto status = readStatus();
    if (!status)
        return false;
    uint8_t current = fidOf(*status);
    StallWatch watch(m_msr.platform(), current);
    while (fidDistance(current, portal) > kFidStep) {
        // The steps have no wait of their own, so a multiplier that never moves is caught here.
        if (watch.stalled(current, kStallLimitMs))
            return false;
        // While a change is pending the FID read is the old one: a step from it would go astray.
        if (!isPending(*status)) {
            m_msr.ReadMsr();
            if (!writeFid(current < portal ? current + kFidStep : current - kFidStep,
                          stopGrantCount))
                return false;
        }
        status = readStatus();
        if (!status)
            return false;
        current = fidOf(*status);
    }
    return true;
}

bool A64Transition::waitWhilePending() {
    m_msr.Index = kMsrFidVidStatus;
    if (!m_msr.ReadMsr())
        return false;
    const uint64_t start = m_msr.platform().performanceCounter();
    while (m_msr.MsrBit(kPendingBit)) {
        // A change that never completes is given up rather than polled for ever.
        if (elapsedMs(m_msr.platform(), start) >= kStallLimitMs)
            return false;
        m_msr.platform().sleepMs(1);
        if (!m_msr.ReadMsr())
            return false;
    }
    return true;
}

bool A64Transition::A64_PStateTransition(uint8_t targetFid, uint8_t targetVid) {
    m_msr.Index = kMsrFidVidStatus;
    if (!m_msr.ReadMsr())
        return fail();
    // C0010042h bits 52..48: the VID of the highest allowed voltage; raise it before any FID step.
    if (!A64_VidStep(uint8_t(m_msr.MsrBits(52, 48))))
        return false;

    m_ui.report("Changing Multiplier", ReportColour::InProgress);
    m_msr.Index = kMsrFidVidControl;
    m_msr.ReadMsr();
    const uint8_t portal = portalFid(targetFid);
    // A box without a valid number ends the transition before any FID write.
    const auto stopGrantCount = boxNumber(m_ui.fidStabilizationText(), kMaxStopGrantCount);
    if (!stopGrantCount)
        return fail();

    if (!leaveLowRange(portal, *stopGrantCount))
        return fail();
    if (!stepTowardsPortal(portal, *stopGrantCount))
        return fail();
    const auto fid = currentFid();
    if (!fid)
        return fail();
    if (*fid != targetFid) {
        m_msr.ReadMsr();
        if (!writeFid(targetFid, *stopGrantCount))
            return fail();
        m_ui.report("Multiplier changed", ReportColour::InProgress);
    }

    if (!A64_VidStep(targetVid))
        return false;
    if (!waitWhilePending())
        return fail();
    if (currentVid() == targetVid && currentFid() == targetFid) {
        m_ui.report("Transition finished", ReportColour::Success);
        return true;
    }
    return fail();
}

A64Transition::Outcome A64Transition::changeTo(uint8_t targetFid, uint8_t targetVid) {
    const auto current = readCurrent();
    if (!current)
        return Outcome::Failed;
    return changeFrom(*current, targetFid, targetVid);
}

A64Transition::Outcome A64Transition::changeFrom(FidVid current, uint8_t targetFid,
                                                 uint8_t targetVid) {
    bool reached = false;
    if (targetFid != current.fid) {
        reached = A64_PStateTransition(targetFid, targetVid);
    } else if (targetVid != current.vid) {
        reached = A64_VidStep(targetVid);
    } else {
        return Outcome::NothingToDo;
    }
    m_msr.Index = kMsrFidVidStatus;
    const bool read = m_msr.ReadMsr();
    // A clear pending bit alone would pass a write that never took effect as a success.
    if (reached && read && !m_msr.MsrBit(kPendingBit)) {
        m_ui.report("Transition Completed", ReportColour::Success);
        return Outcome::Completed;
    }
    m_ui.report("Unknown Transition Error", ReportColour::Failure);
    return Outcome::Failed;
}

}  // namespace zandro
