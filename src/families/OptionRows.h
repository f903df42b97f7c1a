#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <utility>
#include <vector>

#include "FamilyPage.h"
#include "PageContext.h"
#include "config/OptionRow.h"

class QRadioButton;

namespace zandro {

class MsrBuffer;
class SheetBuilder;
class StatusPanel;

// Read-modify-write of a button's bits in register `index`.
void writeButton(MsrBuffer& msr, uint32_t index, const RowButton& button, RowWrite write);

// The radio groups of a page as records of a configuration file: the position of the selected
// button, and the handler of the button at a stored position.
class RadioRecords {
public:
    void add(uint16_t code, size_t position, QRadioButton* button, std::function<void()> handler);
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

// The controls built for an option row.
struct RowControls {
    StatusPanel* panel = nullptr;
    std::array<QRadioButton*, 2> buttons{};
};

// The option rows and choice groups of one page: builds their group boxes, shows the rows'
// status, writes their clicks (each followed by the page's status routine, `refresh`) and keeps
// their buttons for configuration files.
class OptionRows {
public:
    OptionRows(const PageContext& context, std::function<void()> refresh);
    OptionRows(const OptionRows&) = delete;  // its buttons' handlers hold it
    OptionRows& operator=(const OptionRows&) = delete;

    // Each row's group box: caption, status panel and its two buttons.
    void build(SheetBuilder& builder, std::span<const OptionRow> rows);
    // The group box of a choice group: caption, status panel and its buttons in the order shown;
    // the panel, and the buttons in file order.
    std::pair<StatusPanel*, std::vector<QRadioButton*>> build(SheetBuilder& builder,
                                                              const ChoiceGroup& group);

    // Shows the status of the built rows of the register the buffer holds, each where it is
    // usable. With `switchUsable` the panel and buttons of a row with a need are enabled where it
    // is usable and disabled elsewhere.
    void show(bool switchUsable = false) const;
    void show(const OptionRow& row) const;
    // Enables or disables the panel and buttons of every row with a need, as it is usable.
    void enableUsable() const;
    bool usable(const OptionRow& row) const;
    // The controls of a row that was built; a row that was not is a programming error.
    const RowControls& controls(const OptionRow& row) const;
    void setUsable(const OptionRow& row, bool usable) const;

    void click(const OptionRow& row, size_t position) const;
    void choose(const ChoiceGroup& group, size_t position) const;

    RadioRecords& records() { return m_records; }
    std::vector<OptionRecord> saved() const { return m_records.saved(); }
    RecordAction apply(OptionRecord record) const { return m_records.apply(record); }

private:
    PageContext m_context;
    std::function<void()> m_refresh;
    std::vector<std::pair<const OptionRow*, RowControls>> m_rows;
    RadioRecords m_records;
};

// Puts the records in the order of the file's code table.
void sortByCode(std::vector<OptionRecord>& records);

}  // namespace zandro
