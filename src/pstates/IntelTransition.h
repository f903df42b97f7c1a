#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "TransitionSupport.h"

namespace zandro {

class MsrBuffer;

// What the Intel transition needs from its page: the report panel.
class IntelTransitionUi {
public:
    virtual ~IntelTransitionUi() = default;
    virtual void report(const std::string& text, ReportColour colour) = 0;
};

// The two ways of stepping an Intel core voltage: the Pentium M VID counts up with the voltage,
// the Pentium 4 VID walks along the NetBurst ladder.
enum class IntelFamily { PentiumM, NetBurst };

// The failure texts of the Intel transitions, each in red in place of "Transition finished".
inline constexpr std::string_view kIntelVidNotReachedText =
    "Transition failed: the processor did not reach the requested voltage";
inline constexpr std::string_view kIntelStillChangingText =
    "Transition failed: the processor is still busy with an earlier change";
inline constexpr std::string_view kIntelVrOffText =
    "Nothing changed: a voltage code reads as VR output off";
inline constexpr std::string_view kIntelOffTableText =
    "Nothing changed: a voltage code is not on the voltage table";
inline constexpr std::string_view kIntelStatusUnreadText =
    "Nothing changed: 198h could not be read";
inline constexpr std::string_view kIntelStatusLostText =
    "Transition failed: 198h could not be read";
inline constexpr std::string_view kIntelRatioRefusedText =
    "Transition failed: the processor refused the new multiplier";
inline constexpr std::string_view kIntelVidRefusedText =
    "Transition failed: the processor refused the new voltage";

// Drives a Pentium M or a Pentium 4 to a new ratio and VID through 199h, one voltage step at a
// time at real-time priority, watching 198h after each step.
class IntelTransition {
public:
    // How long one voltage step, or an earlier change still in flight, may take.
    static constexpr uint64_t kStepLimitMs = 1000;
    static constexpr uint64_t kInFlightLimitMs = 100;
    // As many voltage steps as there are codes: one more means the VID goes astray.
    static constexpr unsigned kMaxVidSteps = 64;
    // The Pentium M VID table: 0.700 V + 16 mV a code, codes 0..63.
    static constexpr uint8_t kPMobileTopVid = 63;

    IntelTransition(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family);

    struct RatioVid {
        uint8_t ratio = 0;
        uint8_t vid = 0;
        bool operator==(const RatioVid&) const = default;
    };

    // The selected combo texts as targets; a text that matches no entry keeps the current code.
    static RatioVid targetsFromTexts(IntelFamily family, std::string_view multiplierText,
                                     std::string_view voltageText, RatioVid current);

    // One read of 198h, as the click starts with; nothing, after the refusal text, when 198h
    // cannot be read.
    std::optional<RatioVid> readCurrent();

    // Each is true when the processor reached the target; false after the failure text.
    bool PMobile_VidStep(uint8_t targetVid);
    bool NetBurst_VidStep(uint8_t targetVid);
    bool PMobile_Transition(uint8_t targetRatio, uint8_t targetVid);
    bool NetBurst_Transition(uint8_t targetRatio, uint8_t targetVid);

    // Runs what the change needs: the transition for a new ratio, the VID step for a new VID
    // alone, or nothing.
    enum class Outcome { NothingToDo, Completed, Failed };
    Outcome changeFrom(RatioVid current, RatioVid target);

private:
    std::optional<uint64_t> readStatus();  // 198h, the buffer put back
    std::optional<uint8_t> currentVid();
    // Nothing when the code has a place in the family's voltage table, else the refusal text.
    std::optional<std::string_view> offTable(uint8_t vid) const;
    bool vidStep(uint8_t targetVid);
    bool confirmRatio(uint8_t targetRatio);
    bool transition(uint8_t targetRatio, uint8_t targetVid);
    bool nextVid(uint8_t current, uint8_t target, uint8_t& next) const;
    bool stepOnce(uint8_t nextVid);
    bool waitUntilSettled();
    bool fail(std::string_view text);

    MsrBuffer& m_msr;
    IntelTransitionUi& m_ui;
    IntelFamily m_family;
};

}  // namespace zandro
