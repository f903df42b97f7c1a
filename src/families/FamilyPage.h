#pragma once

#include <QTabWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "PageContext.h"
#include "TabSheet.h"
#include "core/Cpuid.h"
#include "pstates/OperatingPoint.h"

namespace zandro {

// One option record of an .msr configuration file: the option's code and the chosen value.
struct OptionRecord {
    uint16_t code;
    uint8_t value;
};

// What a page did with one record of a configuration file being applied.
enum class RecordAction {
    NotMine,              // the code belongs to no option of this page
    Applied,              // the handler ran (or the value named no button and was ignored)
    TransitionRequested,  // a multiplier or voltage box was set; run this page's transition next
    Refused,              // the page refused the value (its message was shown); nothing written
};

// The page control of one processor family: its tab sheets, their show and exit events, and the
// family's status routine.
class FamilyPage : public QTabWidget {
    Q_OBJECT
public:
    FamilyPage(const QString& name, FamilyKind kind, const PageContext& context,
               QWidget* parent = nullptr);

    FamilyKind kind() const { return m_kind; }
    const std::vector<TabSheet*>& sheets() const { return m_sheets; }

    // Tab rows that do not fit wrap onto further rows (the default); off, they scroll.
    void setTabsWrap(bool wrap);
    bool tabsWrap() const;

    // Shows or hides the page control; showing it shows its active tab sheet.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }

    // The family's status routine: re-reads every register the page shows.
    virtual void refreshStatus() = 0;
    // Refills the multiplier and voltage lists, on the families that have them.
    virtual void fillLists() {}

    // The records a saved configuration file holds for this page, in the file's code order: one
    // per option whose choice the user made (selected radio button, selected list item, number).
    virtual std::vector<OptionRecord> savedOptions() const { return {}; }
    // Acts on one record of a file being applied as the user would: the handler of the button at
    // that position, or the list item chosen and its button's handler; radio buttons stay as
    // they are.
    virtual RecordAction applyRecord(OptionRecord) { return RecordAction::NotMine; }
    // The multiplier/voltage change that a TransitionRequested record asks for (the "Set" click);
    // false when the change was refused or did not complete.
    virtual bool runTransition() { return true; }

    // The registers of the family's multiplier and voltage change; none on families without one.
    virtual std::optional<PStateRegisters> pstateRegisters() const { return std::nullopt; }
    // Steps the processor through the family's own routine to the operating point a recorded
    // status value shows, then writes the recorded control value back where that moves nothing;
    // true when it got there.
    virtual bool restoreOperatingPoint(uint64_t /*control*/, uint64_t /*status*/) { return false; }
    // The status register's value that the "Set" click would aim at with the boxes as they
    // stand; nothing when the status register cannot be read.
    virtual std::optional<uint64_t> aimedStatus() { return std::nullopt; }

protected:
    // The page has just come to the front of the main window (it was hidden before).
    virtual void pageShown() {}
    TabSheet* addSheet(const QString& name, const QString& caption);
    // A "Frequency && Voltage Control" tab: showing it starts the core clock display and
    // refreshes the page, leaving it stops the display.
    void makeFrequencyControlTab(TabSheet* sheet);
    const PageContext& context() const { return m_context; }

private:
    void onCurrentChanged(int index);

    FamilyKind m_kind;
    PageContext m_context;
    std::vector<TabSheet*> m_sheets;
    int m_current = -1;
    bool m_shown = false;
};

}  // namespace zandro
