#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zandro {

class MsrBuffer;

// What a filler decides for one drop-down list; the widget layer applies it.
struct ComboFill {
    bool enabled = false;
    bool refill = false;  // false: leave the items as they are
    std::vector<std::string> items;
};

struct A64Lists {
    ComboFill multiplier, voltage;
    bool buttonEnabled = false;
};

struct K7Lists {
    ComboFill multiplier, voltage;
    bool buttonEnabled = false;
    bool stopGrantEnabled = false;
};

struct IntelLists {
    ComboFill multiplier, voltage;
    bool buttonEnabled = false;
};

// "Fill the lists" (NaplnitKomba): the multipliers and voltages the user may choose. With user
// protection on, only what the processor reports as allowed; with it off, every entry and every
// control enabled.
A64Lists A64_NaplnitKomba(MsrBuffer& msr, bool userProtection, bool halfMultipliers);
K7Lists K7_NaplnitKomba(MsrBuffer& msr, bool userProtection);
IntelLists PMobile_NaplnitKomba(MsrBuffer& msr, bool userProtection);
IntelLists NetBurst_NaplnitKomba(MsrBuffer& msr, bool userProtection);

// What a box shows once `later` was applied after `earlier`: a fill that does not refill keeps the
// earlier items.
ComboFill followedBy(const ComboFill& earlier, const ComboFill& later);
// The same for a family's lists, so that any number of fills in a row can wait as one.
template <class Lists>
Lists followedBy(const std::optional<Lists>& earlier, Lists later) {
    if (earlier) {
        later.multiplier = followedBy(earlier->multiplier, later.multiplier);
        later.voltage = followedBy(earlier->voltage, later.voltage);
    }
    return later;
}

// The items the boxes hold when the window is created, before the first fill.
std::vector<std::string> K7_InitialMultiplierItems();        // the 32 K7 multipliers
std::vector<std::string> K7_InitialVoltageItems();           // the 30 K7 voltages, no "off"
std::vector<std::string> NetBurst_InitialMultiplierItems();  // "3x" .. "25x"
std::vector<std::string> PMobile_InitialVoltageItems();      // "1.708V" .. "0.700V"

}  // namespace zandro
