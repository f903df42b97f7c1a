#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "TransitionSupport.h"

namespace zandro {

class MsrBuffer;

// What the transition needs from the page: its report panel and the two stabilization boxes,
// whose texts are read each time a step needs them.
class A64TransitionUi {
public:
    virtual ~A64TransitionUi() = default;
    virtual void report(const std::string& text, ReportColour colour) = 0;
    virtual std::string fidStabilizationText() = 0;  // system bus cycles, 0..1048575
    virtual std::string vidStabilizationText() = 0;  // milliseconds, 0..1000
};

// Drives an Athlon 64 to a new FID and VID through C0010041h, in small steps with waits.
class A64Transition {
public:
    A64Transition(MsrBuffer& msr, A64TransitionUi& ui, bool realTimePriority);

    using FidVid = AmdFidVid;
    using Targets = AmdTargets;

    // The selected combo texts as targets; a text that matches no entry keeps the current code.
    static Targets targetsFromTexts(std::string_view multiplierText, std::string_view voltageText,
                                    FidVid current);

    // One read of C0010042h, as the click starts with; nothing, after the refusal text, when it
    // cannot be read.
    std::optional<FidVid> readCurrent();

    // Read C0010042h in the middle of building a control value: the buffer is put back. Nothing
    // when the read fails.
    std::optional<uint8_t> currentFid();
    std::optional<uint8_t> currentVid();

    // True when the target was reached.
    bool A64_VidStep(uint8_t targetVid);
    bool A64_PStateTransition(uint8_t targetFid, uint8_t targetVid);

    // Runs the routine the change needs (or none) and shows the final text.
    enum class Outcome { NothingToDo, Completed, Failed };
    Outcome changeTo(uint8_t targetFid, uint8_t targetVid);
    Outcome changeFrom(FidVid current, uint8_t targetFid, uint8_t targetVid);

private:
    std::optional<uint64_t> readStatus();  // C0010042h, the buffer put back
    bool writeVidStep(uint8_t newVid, uint32_t waitMs);
    bool writeFid(uint8_t newFid, uint32_t stopGrantCount);
    bool leaveLowRange(uint8_t portal, uint32_t stopGrantCount);
    bool stepTowardsPortal(uint8_t portal, uint32_t stopGrantCount);
    bool waitWhilePending();
    // Polls C0010042h until no change is pending; false when one stays pending too long or the
    // register cannot be read.
    bool settledStatus(uint64_t& status);
    bool fail();

    MsrBuffer& m_msr;
    A64TransitionUi& m_ui;
    bool m_realTimePriority;
};

}  // namespace zandro
