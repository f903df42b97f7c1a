#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zandro {

class Platform;

// The report panel's three states: orange, green, red.
enum class ReportColour { InProgress, Success, Failure };

struct ReportRgb {
    uint8_t red, green, blue;
};

constexpr ReportRgb reportRgb(ReportColour colour) {
    switch (colour) {
        case ReportColour::InProgress:
            return {255, 128, 64};
        case ReportColour::Success:
            return {0, 128, 0};
        case ReportColour::Failure:
            return {255, 0, 0};
    }
    return {0, 0, 0};
}

// An AMD FID/VID pair, as C0010042h reports it.
struct AmdFidVid {
    uint8_t fid = 0;
    uint8_t vid = 0;
};

// What an AMD change aims at.
struct AmdTargets {
    uint8_t fid = 0;
    uint8_t vid = 0;
    bool voltageOff = false;  // "off" chosen: the caller warns, then sets vid = kAmdOffVid
};

// The selected combo texts as targets, through the family's text-to-code tables; a text that
// matches no entry keeps the current code.
using AmdTextToCode = std::optional<uint8_t> (*)(std::string_view text);
AmdTargets amdTargetsFromTexts(std::string_view multiplierText, std::string_view voltageText,
                               AmdFidVid current, AmdTextToCode toFid, AmdTextToCode toVid);

// Milliseconds on the performance counter since `since` (0 when the counter has no frequency).
uint64_t elapsedMs(Platform& platform, uint64_t since);

// A stabilization box's text as a number within 0..max; nothing for an empty, non-numeric or too
// large text.
std::optional<uint32_t> boxNumber(const std::string& text, uint32_t max);

// Notices a code that stops moving: the hardware ignored the request or hung in it.
class StallWatch {
public:
    StallWatch(Platform& platform, uint8_t value);
    bool stalled(uint8_t value, uint64_t limitMs);

private:
    Platform& m_platform;
    uint8_t m_value;
    uint64_t m_since;
};

// Real-time priority for one write and its wait; normal again however the scope ends.
class RealTimeScope {
public:
    RealTimeScope(Platform& platform, bool enabled);
    ~RealTimeScope();
    RealTimeScope(const RealTimeScope&) = delete;
    RealTimeScope& operator=(const RealTimeScope&) = delete;

private:
    Platform& m_platform;
    bool m_enabled;
};

}  // namespace zandro
