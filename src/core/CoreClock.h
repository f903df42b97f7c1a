#pragma once

#include <cstdint>

namespace zandro {

class Platform;

// The core clock in MHz: time-stamp ticks over a 25 ms sleep timed by the performance counter.
uint16_t MeasureCoreClock(Platform& platform);

// The same arithmetic on given readings (ticks over elapsed counter counts), rounded half to even.
uint16_t coreClockFromSamples(uint64_t tscTicks, uint64_t counterTicks, uint64_t counterFrequency);

}  // namespace zandro
