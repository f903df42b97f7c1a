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

// One option code of the configuration file: the option, its choices and what it writes.
struct OptionCode {
    uint16_t code;
    FamilyKind family;
    OptionKind kind;
    const char* caption;  // the group box caption, blanks included
    // Radio: the button captions in value order; lists: the fixed items (none when the page
    // fills the list on the processor).
    std::vector<const char*> choices;
    const char* writes;  // register and bits
};

// Every code, in the table order of the file format (family by family).
const std::vector<OptionCode>& optionCodes();
const OptionCode* findOptionCode(uint16_t code);

// The text a record's value stands for: the button caption, the list item, or the number.
std::string choiceText(const OptionCode& option, uint8_t value);

// The "what it does" column of one record: caption, choice, register and bits, or "skipped".
std::string describeRecord(const ConfigRecord& record);

// The lines of the describe printout, or empty with *message set when the file is damaged
// (the message that applying it would show). Lines end with a line feed.
std::vector<std::string> describeConfiguration(const std::string& bytes,
                                               const std::string& quotedPath, std::string* message);

// The one-line form of a text: line feeds as \n, carriage returns as \r.
std::string escapedLine(const std::string& text);

}  // namespace zandro
