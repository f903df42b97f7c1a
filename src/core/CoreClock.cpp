#include "CoreClock.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/Platform.h"

namespace zandro {

uint16_t coreClockFromSamples(uint64_t tscTicks, uint64_t counterTicks, uint64_t counterFrequency) {
    if (counterTicks == 0 || counterFrequency == 0)
        return 0;
    const double elapsedUs = double(counterTicks) / double(counterFrequency) * 1000000.0;
    const double mhz = std::nearbyint(double(tscTicks) / elapsedUs);  // default mode: ties to even
    if (!(mhz >= 0))
        return 0;
    return mhz > std::numeric_limits<uint16_t>::max() ? std::numeric_limits<uint16_t>::max()
                                                      : uint16_t(mhz);
}

uint16_t MeasureCoreClock(Platform& platform) {
    const uint64_t frequency = platform.performanceFrequency();
    // Both ends read the time-stamp counter first, the performance counter second.
    const uint64_t t1 = platform.rdtsc();
    const uint64_t q1 = platform.performanceCounter();
    platform.sleepMs(25);
    const uint64_t t2 = platform.rdtsc();
    const uint64_t q2 = platform.performanceCounter();
    return coreClockFromSamples(t2 - t1, q2 - q1, frequency);
}

}  // namespace zandro
