#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace zandro {

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

// Milliseconds on the performance counter since `since` (a counter value).
inline uint64_t elapsedMs(Platform& platform, uint64_t since) {
    const uint64_t frequency = platform.performanceFrequency();
    if (frequency == 0)
        return 0;
    return (platform.performanceCounter() - since) * 1000 / frequency;
}

// Real-time priority for one voltage write and its wait; normal again however the scope ends.
class RealTimeScope {
public:
    RealTimeScope(Platform& platform, bool enabled) : m_platform(platform), m_enabled(enabled) {
        if (m_enabled)
            m_platform.setRealTimePriority();
    }
    ~RealTimeScope() {
        if (m_enabled)
            m_platform.setNormalPriority();
    }
    RealTimeScope(const RealTimeScope&) = delete;
    RealTimeScope& operator=(const RealTimeScope&) = delete;

private:
    Platform& m_platform;
    bool m_enabled;
};

}  // namespace zandro
