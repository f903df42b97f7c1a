#include "TransitionSupport.h"

#include <charconv>

#include "CodeTables.h"
#include "platform/Platform.h"

namespace zandro {

uint64_t elapsedMs(Platform& platform, uint64_t since) {
    const uint64_t frequency = platform.performanceFrequency();
    if (frequency == 0)
        return 0;
    return (platform.performanceCounter() - since) * 1000 / frequency;
}

std::optional<uint32_t> boxNumber(const std::string& text, uint32_t max) {
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value > max)
        return std::nullopt;
    return value;
}

StallWatch::StallWatch(Platform& platform, uint8_t value)
    : m_platform(platform), m_value(value), m_since(platform.performanceCounter()) {}

bool StallWatch::stalled(uint8_t value, uint64_t limitMs) {
    if (value != m_value) {
        m_value = value;
        m_since = m_platform.performanceCounter();
        return false;
    }
    return elapsedMs(m_platform, m_since) > limitMs;
}

RealTimeScope::RealTimeScope(Platform& platform, bool enabled)
    : m_platform(platform), m_enabled(enabled) {
    if (m_enabled)
        m_platform.setRealTimePriority();
}

RealTimeScope::~RealTimeScope() {
    if (m_enabled)
        m_platform.setNormalPriority();
}

AmdTargets amdTargetsFromTexts(std::string_view multiplierText, std::string_view voltageText,
                               AmdFidVid current, AmdTextToCode toFid, AmdTextToCode toVid) {
    AmdTargets targets{current.fid, current.vid, IsOffVoltageText(voltageText)};
    if (const auto fid = toFid(multiplierText))
        targets.fid = *fid;
    if (const auto vid = toVid(voltageText))
        targets.vid = *vid;
    return targets;
}

}  // namespace zandro
