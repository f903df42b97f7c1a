#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ConfigFormat.h"
#include "core/Cpuid.h"

namespace zandro {

// How an option code's value is read.
enum class OptionKind : uint8_t {
    Radio,       // position of the button in its group
    List,        // item index of a selection box, written when an item is selected
    AlwaysList,  // item index, written always, 255 when nothing is selected
    Number,      // the number typed into an edit box, low 8 bits
};

// Bits of one register that applying a choice writes: those in `mask` become those of `value`,
// the others keep what the register held (a read-modify-write).
struct FieldWrite {
    uint32_t index;
    uint32_t mask;
    uint32_t value;
    bool onlyWithTm2 = false;  // written only where CPUID reports Thermal Monitor 2
};

// One choice of an option: a radio button or a fixed list item, and what applying it writes, in
// the order of the writes (none: applying it writes nothing).
struct OptionChoice {
    std::string control;  // the radio button's name; empty for a list item
    std::string text;     // the button's caption or the item's text
    std::vector<FieldWrite> writes;
};

// One option code of the configuration file: the option, its choices and what applying each
// writes. The family pages own the controls; a test holds these texts and writes to them.
struct OptionCode {
    uint16_t code;
    FamilyKind family;
    OptionKind kind;
    const char* caption;  // the group box caption, blanks included
    const char* control;  // the selection or edit box; null for a radio group
    // Radio: the buttons in value order; fixed lists: the items; lists that the page fills on
    // the processor and numbers have none.
    std::vector<OptionChoice> choices;
    // Lists: the choice whose writes an index past the items gets, the list being left without a
    // selection; -1 when such an index writes nothing.
    int noItem = -1;
    // Lists filled on the processor: which list ("multiplier", "voltage") and the register the
    // multiplier and voltage change writes. Numbers: the field the number goes to, bits h..l.
    const char* list = nullptr;
    uint32_t index = 0;
    unsigned high = 0, low = 0;
    unsigned largest = 0;  // numbers above it are refused
};

// Every code, in the table order of the file format (family by family).
const std::vector<OptionCode>& optionCodes();
const OptionCode* findOptionCode(uint16_t code);

// The text a record's value stands for: the button caption, the list item, or the number.
std::string choiceText(const OptionCode& option, uint8_t value);

// The writes of a record's value, in their order; empty when applying it writes nothing or
// refuses the value, or when the code is the multiplier and voltage change of a list.
std::vector<FieldWrite> recordWrites(const OptionCode& option, uint8_t value);

// One write as describe words it: "writes 1A0h bit 3 = 1, bits 17..13 = 00100", followed by
// " where the processor has Thermal Monitor 2" for a conditional write.
std::string fieldWriteText(const FieldWrite& write);

// The "what it does" column of one record: caption, choice, then "; "-separated clauses, each
// "writes ..." (fieldWriteText), "nothing written" or "refused: <why>"; or "skipped". With the
// file's processor given, an option of another family's page says so in a last clause.
std::string describeRecord(const ConfigRecord& record, const CpuIdentity* fileProcessor = nullptr);

// The lines of the describe printout, or empty with *message set when the file is damaged
// (the message that applying it would show). Lines end with a line feed.
std::vector<std::string> describeConfiguration(const std::string& bytes,
                                               const std::string& quotedPath, std::string* message);

// The one-line form of a text: line feeds as \n, carriage returns as \r.
std::string escapedLine(const std::string& text);
// The same, with every other control character (below 20h, and 7Fh) as \xHH, so that a name
// field cannot drive the terminal.
std::string escapedControls(const std::string& text);

}  // namespace zandro
