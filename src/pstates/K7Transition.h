#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "TransitionSupport.h"

namespace zandro {

class MsrBuffer;

// What the change needs from the page: its report panel and the stop-grant box, whose text is
// read at each write.
class K7TransitionUi {
public:
    virtual ~K7TransitionUi() = default;
    virtual void report(const std::string& text, ReportColour colour) = 0;
    virtual std::string stopGrantText() = 0;  // system bus cycles, 0..1048575
};

// Changes an Athlon (K7)'s multiplier and voltage through C0010041h: one write per change, each
// carrying the stop-grant count, the voltage raised to its maximum around a multiplier change.
class K7Transition {
public:
    static constexpr uint32_t kMaxStopGrantCount = 0xFFFFF;  // C0010041h bits 51..32
    // How long a write may take to show in the status register beyond its stop-grant time.
    static constexpr uint64_t kSettleLimitMs = 1000;

    // No priority change: the part holds each write in stop grant until the change is made.
    K7Transition(MsrBuffer& msr, K7TransitionUi& ui);

    using FidVid = AmdFidVid;
    using Targets = AmdTargets;

    // The selected combo texts as targets; a text that matches no entry keeps the current code.
    static Targets targetsFromTexts(std::string_view multiplierText, std::string_view voltageText,
                                    FidVid current);

    // The stop-grant count a box text gives; nothing when the text is no number within range.
    static std::optional<uint32_t> stopGrantCount(const std::string& text);

    // One read of C0010042h, as the click starts with: FID bits 5..0, VID bits 36..32. Nothing,
    // after the refusal text, when it cannot be read.
    std::optional<FidVid> readCurrent();

    // The routine a change from current to the targets runs.
    enum class Routine { None, Voltage, Multiplier };
    static Routine routineFor(FidVid current, uint8_t targetFid, uint8_t targetVid);

    // One voltage write and its check; true when the status register shows the new VID.
    bool K7_SetVoltage(uint8_t targetVid);
    // The multiplier write between a voltage write to the maximum and one to the target.
    bool K7_FidVidTransition(uint8_t targetFid, uint8_t targetVid);
    // Runs the routine; true when there was nothing to do or the target was reached.
    bool run(Routine routine, uint8_t targetFid, uint8_t targetVid);

private:
    std::optional<uint64_t> readStatus();  // C0010042h, the buffer put back
    bool writeAndSettle(uint32_t low, bool flushing, uint64_t fieldMask, uint64_t expected);
    bool fail();

    MsrBuffer& m_msr;
    K7TransitionUi& m_ui;
};

}  // namespace zandro
