#include "K7ClockControl.h"

namespace zandro {

namespace {

constexpr unsigned kHaltRangeBit = 6, kHaltFieldShift = 2;
constexpr unsigned kStopGrantRangeBit = 18, kStopGrantFieldShift = 14;
constexpr int kItemsPerRange = 4;  // items 0-3 in range 0, 4-6 in range 1
constexpr std::array<unsigned, 5> kTimingShifts = {0, 4, 8, 12, 16};

std::optional<unsigned> decodeDivisor(uint32_t low, unsigned rangeBit, unsigned fieldShift) {
    const unsigned field = (low >> fieldShift) & 3u;
    if (!((low >> rangeBit) & 1u))
        return field;
    if (field == 3)
        return std::nullopt;
    return kItemsPerRange + field;
}

uint32_t divisorBits(int item, unsigned rangeBit, unsigned fieldShift) {
    if (item < 0 || item >= int(kK7DivisorItems.size()))
        return 0;
    const uint32_t range = item >= kItemsPerRange ? 1u : 0u;
    const auto field = uint32_t(item % kItemsPerRange);
    return (range << rangeBit) | (field << fieldShift);
}

}  // namespace

K7ClockControl K7ClockControl::decode(uint32_t low) {
    K7ClockControl clock;
    clock.haltDivisor = decodeDivisor(low, kHaltRangeBit, kHaltFieldShift);
    clock.stopGrantDivisor = decodeDivisor(low, kStopGrantRangeBit, kStopGrantFieldShift);
    const unsigned first = low & 3u;
    bool same = true;
    for (unsigned shift : kTimingShifts)
        same = same && ((low >> shift) & 3u) == first;
    if (same)
        clock.timing = first;
    return clock;
}

uint32_t K7ClockControl::haltDivisorBits(int item) {
    return divisorBits(item, kHaltRangeBit, kHaltFieldShift);
}

uint32_t K7ClockControl::stopGrantDivisorBits(int item) {
    return divisorBits(item, kStopGrantRangeBit, kStopGrantFieldShift);
}

uint32_t K7ClockControl::timingBits(int item) {
    // Items 1-3 go into all five copies; item 0 and anything else leave them 0.
    if (item < 1 || item >= int(kK7TimingItems.size()))
        return 0;
    return uint32_t(item) * 0x11111u;
}

}  // namespace zandro
