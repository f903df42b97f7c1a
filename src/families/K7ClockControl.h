#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zandro {

// C001001Bh, the K7 clock control register of the low power modes.
constexpr uint32_t kK7ClockControl = 0xC001001B;

// Halt disconnect divisor: range bit 6, field 3..2; stop grant divisor: range bit 18, field
// 15..14; clock change timing: five copies of one 2-bit value at 1..0, 5..4, 9..8, 13..12,
// 17..16. Bit 19, APIC bus messages rejected during clock ramp down, is an option row.
constexpr uint32_t kK7HaltDivisorMask = (1u << 6) | (3u << 2);
constexpr uint32_t kK7StopGrantDivisorMask = (1u << 18) | (3u << 14);
constexpr uint32_t kK7TimingMask = 0x33333;

// The items of the divisor and timing boxes, by index.
constexpr std::array<const char*, 7> kK7DivisorItems = {"8", "16", "32", "64", "128", "256", "512"};
constexpr std::array<const char*, 4> kK7TimingItems = {"Ultra Fast", "Fast", "Normal", "Slow"};

// The low power fields of a C001001Bh value as box item indexes; nothing where the register holds
// an encoding without an item (divisor range 1 with field 3, timing copies that differ).
struct K7ClockControl {
    std::optional<unsigned> haltDivisor;
    std::optional<unsigned> stopGrantDivisor;
    std::optional<unsigned> timing;

    static K7ClockControl decode(uint32_t low);

    // The bits a "Set" writes for a box's item index; an index without an item (none selected,
    // or past the list) gives 0, which is divisor 8 and timing "Ultra Fast".
    static uint32_t haltDivisorBits(int item);
    static uint32_t stopGrantDivisorBits(int item);
    static uint32_t timingBits(int item);
};

}  // namespace zandro
