#include "K7Transition.h"

#include "CodeTables.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr uint32_t kFidVidControl = 0xC0010041;
constexpr uint32_t kFidVidStatus = 0xC0010042;

// C0010041h low half: new FID 4..0, new VID 12..8, FID change 16, VID change 17, bit 20.
constexpr uint32_t kFidChange = 1u << 16;
constexpr uint32_t kVidChange = 1u << 17;
constexpr uint32_t kBit20 = 1u << 20;
constexpr unsigned kNewVidShift = 8;

// C0010042h: current FID 4..0, current VID 36..32, maximum-voltage VID 52..48.
constexpr uint64_t kCurrentFidMask = 0x1F;
constexpr uint64_t kCurrentVidMask = uint64_t(0x1F) << 32;

uint8_t currentFidOf(uint64_t status) {
    return uint8_t(status & kCurrentFidMask);
}
uint8_t currentVidOf(uint64_t status) {
    return uint8_t((status & kCurrentVidMask) >> 32);
}

// The slowest K7 system bus runs at 100 MHz: 100000 cycles a millisecond.
constexpr uint64_t kCyclesPerMs = 100000;

}  // namespace

K7Transition::K7Transition(MsrBuffer& msr, K7TransitionUi& ui) : m_msr(msr), m_ui(ui) {}

K7Transition::Targets K7Transition::targetsFromTexts(std::string_view multiplierText,
                                                     std::string_view voltageText, FidVid current) {
    return amdTargetsFromTexts(multiplierText, voltageText, current, K7_MultiplierTextToFid,
                               K7_VoltageTextToVid);
}

std::optional<uint32_t> K7Transition::stopGrantCount(const std::string& text) {
    return boxNumber(text, kMaxStopGrantCount);
}

std::optional<K7Transition::FidVid> K7Transition::readCurrent() {
    m_msr.Index = kFidVidStatus;
    if (!m_msr.ReadMsr()) {
        m_ui.report("Nothing changed: C0010042h could not be read", ReportColour::Failure);
        return std::nullopt;
    }
    return FidVid{uint8_t(m_msr.MsrBits(5, 0)), uint8_t(m_msr.MsrBits(36, 32))};
}

K7Transition::Routine K7Transition::routineFor(FidVid current, uint8_t targetFid,
                                               uint8_t targetVid) {
    if (targetFid != current.fid)
        return Routine::Multiplier;
    if (targetVid != current.vid)
        return Routine::Voltage;
    return Routine::None;
}

std::optional<uint64_t> K7Transition::readStatus() {
    const MsrBufferSave save(m_msr);
    m_msr.Index = kFidVidStatus;
    if (!m_msr.ReadMsr())
        return std::nullopt;
    return m_msr.value();
}

bool K7Transition::fail() {
    m_ui.report("Unknown transition error", ReportColour::Failure);
    return false;
}

bool K7Transition::writeAndSettle(uint32_t low, bool flushing, uint64_t fieldMask,
                                  uint64_t expected) {
    // The count is read from the box at each write; a box without a valid number writes nothing.
    const auto count = stopGrantCount(m_ui.stopGrantText());
    if (!count)
        return false;
    Platform& platform = m_msr.platform();
    const uint64_t start = platform.performanceCounter();
    const uint64_t limitMs = *count / kCyclesPerMs + 1 + kSettleLimitMs;

    m_msr.Index = kFidVidControl;
    m_msr.setValue((uint64_t(*count) << 32) | low);
    if (!(flushing ? m_msr.WriteMsrFlushing() : m_msr.WriteMsr()))
        return false;

    // The part holds the write in stop grant until the change is made, so the first read
    // normally shows it; a change that never shows is given up on the clock. A status that
    // cannot be read shows nothing, whatever zeros would match.
    m_msr.Index = kFidVidStatus;
    if (!m_msr.ReadMsr())
        return false;
    while ((m_msr.value() & fieldMask) != expected) {
        if (elapsedMs(platform, start) >= limitMs)
            return false;
        platform.sleepMs(1);
        if (!m_msr.ReadMsr())
            return false;
    }
    return true;
}

bool K7Transition::K7_SetVoltage(uint8_t targetVid) {
    m_ui.report("Changing Voltage", ReportColour::InProgress);
    // Built without reading the register: FID field 0 and FID change clear.
    const uint32_t low = (uint32_t(targetVid & 0x1F) << kNewVidShift) | kVidChange | kBit20;
    if (!writeAndSettle(low, false, kCurrentVidMask, uint64_t(targetVid & 0x1F) << 32))
        return fail();
    m_ui.report("New voltage set", ReportColour::Success);
    return true;
}

bool K7Transition::K7_FidVidTransition(uint8_t targetFid, uint8_t targetVid) {
    // The maximum VID comes from the status register: zeros would mean VID 0, the highest
    // voltage of all, so an unread status changes nothing.
    const auto before = readStatus();
    if (!before)
        return fail();
    const auto maximumVid = uint8_t((*before >> 48) & 0x1F);

    if (currentFidOf(*before) != targetFid) {
        // A multiplier written at a voltage that was not reached could hang the core.
        if (!K7_SetVoltage(maximumVid))
            return false;
        m_ui.report("Changing Multiplier", ReportColour::InProgress);
        const uint32_t low = (targetFid & 0x1F) | (uint32_t(maximumVid) << kNewVidShift) |
                             kFidChange | kVidChange | kBit20;
        if (!writeAndSettle(low, true, kCurrentFidMask, targetFid & 0x1F))
            return fail();
    }
    if (!K7_SetVoltage(targetVid))
        return false;

    const auto status = readStatus();
    if (status && currentVidOf(*status) == targetVid && currentFidOf(*status) == targetFid) {
        m_ui.report("Transition finished", ReportColour::Success);
        return true;
    }
    return fail();
}

bool K7Transition::run(Routine routine, uint8_t targetFid, uint8_t targetVid) {
    switch (routine) {
        case Routine::Multiplier:
            return K7_FidVidTransition(targetFid, targetVid);
        case Routine::Voltage:
            return K7_SetVoltage(targetVid);
        case Routine::None:
            break;
    }
    return true;
}

}  // namespace zandro
