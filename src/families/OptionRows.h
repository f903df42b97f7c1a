#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "FamilyPage.h"

class QGroupBox;
class QRadioButton;

namespace zandro {

class MsrBuffer;
class SheetBuilder;
class StatusPanel;

// One on/off option of a page: the register bit it shows and writes, the texts of the bit, its
// two buttons and the configuration-file code of its group.
struct OptionRow {
    const char* caption;
    const char* panel;
    uint32_t index;
    unsigned bit;
    const char* whenClear;
    const char* whenSet;
    const char* onName;
    const char* offName;
    bool onSetsBit;  // the K5 bits disable their feature
    bool flushing;   // written with cache write-back and invalidate
    uint16_t code;
};

// Read-modify-write of the row's bit: set when `set`, clear otherwise.
void writeOptionBit(MsrBuffer& msr, const OptionRow& row, bool set);
// The row's status text for the register value in the buffer.
QString optionText(const MsrBuffer& msr, const OptionRow& row);

// The radio groups of a page as records of a configuration file: the position of the selected
// button, and the handler of the button at a stored position.
class RadioRecords {
public:
    // Adds a button of group `code` at the position the code table gives its name; a click on it
    // runs `handler`.
    void add(uint16_t code, QRadioButton* button, std::function<void()> handler);
    // One record per group with a selected button, in code order.
    std::vector<OptionRecord> saved() const;
    // Runs the handler at the record's position; a position without a button is ignored.
    RecordAction apply(OptionRecord record) const;

private:
    struct Entry {
        QRadioButton* button = nullptr;
        std::function<void()> handler;
    };
    std::map<uint16_t, std::vector<Entry>> m_groups;
};

// Builds the group box of an option row: caption, status panel and its "Enable"/"Disable"
// buttons, whose clicks run `click(true)` and `click(false)`.
StatusPanel* buildOption(SheetBuilder& builder, const OptionRow& row, RadioRecords& records,
                         const std::function<void(bool on)>& click);

// Puts the records in the order of the file's code table.
void sortByCode(std::vector<OptionRecord>& records);

}  // namespace zandro
