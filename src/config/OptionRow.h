#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The option rows of the family pages as plain data: the pages build their controls from them and
// the configuration-file code table derives its radio groups from them, so that every caption,
// button and bit is typed once.

namespace zandro {

constexpr uint32_t bit(unsigned n) {
    return uint32_t(1) << n;
}
constexpr uint32_t fieldMask(unsigned high, unsigned low) {
    return ((uint32_t(2) << (high - low)) - 1) << low;
}

// One radio button: its name, its caption and the bits a click sets and clears in its register.
struct RowButton {
    const char* name;
    const char* caption;
    uint32_t set = 0;
    uint32_t clear = 0;
};

// How a click writes its register back.
enum class RowWrite : uint8_t {
    Plain,
    Flushing,  // with cache write-back and invalidate
};

// What a row needs of the processor to be usable; without user protection it is usable anyway.
enum class RowNeed : uint8_t {
    Nothing,
    L3Cache,
    L1ContextId,
    Sse3,
    NetBurstModel3Up,
    K5WriteAllocate,  // K5 stepping 4 on
};

// A status bit with two buttons: the register it shows and writes, the bit's texts, the buttons
// at file positions 0 and 1, and the configuration-file code of its group.
struct OptionRow {
    uint16_t code;
    const char* caption;
    const char* panel;
    uint32_t index;
    unsigned bit;
    const char* whenClear;
    const char* whenSet;
    RowButton first;
    RowButton second;
    RowWrite write = RowWrite::Plain;
    RowNeed need = RowNeed::Nothing;

    constexpr const RowButton& button(size_t position) const {
        return position == 0 ? first : second;
    }
};

// A button that sets bit n, and one that clears it.
constexpr RowButton setting(const char* name, const char* caption, unsigned n) {
    return {name, caption, bit(n), 0};
}
constexpr RowButton clearing(const char* name, const char* caption, unsigned n) {
    return {name, caption, 0, bit(n)};
}

// A radio group of more than two buttons, each writing its own value into one field.
struct ChoiceGroup {
    uint16_t code;
    const char* caption;
    const char* panel;
    const char* prefix;  // the buttons' names are the prefix followed by their own
    uint32_t index;      // 0: the buttons write nothing
    RowWrite write;
    std::span<const RowButton> buttons;  // in file order
    std::span<const uint8_t> shown;      // the file positions in the order shown
};

// The row of `rows` with file code `code`; a code the table lacks does not compile.
template <size_t N>
consteval size_t rowOf(const std::array<OptionRow, N>& rows, uint16_t code) {
    for (size_t i = 0; i < N; ++i) {
        if (rows[i].code == code)
            return i;
    }
    throw "no row with this code";
}

}  // namespace zandro
