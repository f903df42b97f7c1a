#pragma once

#include <QTabWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "PageContext.h"
#include "TabSheet.h"
#include "ThermalMonitorTab.h"
#include "core/Cpuid.h"
#include "pstates/ListFillers.h"
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

// An edit box whose text config.ini keeps between runs, and the text the box starts with.
struct KeptText {
    const char* section;
    const char* key;
    const char* box;
    const char* initial;
};

class StatusPanel;

// Whether a page builds its sheets as it is created, or the first time it is needed.
enum class PageBuild { Now, WhenNeeded };

// The page control of one processor family: its tab sheets, their show and exit events, and the
// family's status routine. The sheets are built the first time the page is needed, so a page the
// user never picks costs nothing; what it was told before then it shows once built.
class FamilyPage : public QTabWidget {
    Q_OBJECT
public:
    FamilyPage(const QString& name, FamilyKind kind, const PageContext& context,
               QWidget* parent = nullptr);

    FamilyKind kind() const { return m_kind; }
    const std::vector<TabSheet*>& sheets() const { return m_sheets; }

    // Builds the tab sheets and their controls, once.
    void ensureBuilt();
    bool isBuilt() const { return m_built; }

    // Tab rows that do not fit wrap onto further rows (the default); off, they scroll.
    void setTabsWrap(bool wrap);
    bool tabsWrap() const;

    // Shows or hides the page control; showing it shows its active tab sheet.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }

    // The family's status routine: re-reads every register the page shows.
    virtual void refreshStatus() = 0;
    // Refills the multiplier and voltage lists, on the families that have them. The registers are
    // read now, built or not.
    virtual void fillLists() {}

    // The edit boxes whose texts config.ini keeps.
    virtual std::span<const KeptText> keptTexts() const { return {}; }
    QString keptText(const KeptText& kept) const;
    void setKeptText(const KeptText& kept, const QString& text);
    // The core clock the frequency timer measured, on the pages that show it.
    void setCoreClockText(const QString& text);
    // The overheat watch's reading, on the pages with a "Thermal Monitor" tab.
    void showOverheat(const OverheatReading& reading);

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
    // Adds the tab sheets and builds their controls; the first tab added is the one in front.
    virtual void buildSheets() = 0;
    virtual StatusPanel* coreClockPanel() const { return nullptr; }
    // Shows a fill of the lists at once on a built page; keeps it, after any it keeps already,
    // until the page is built otherwise.
    template <class Lists, class Show>
    void showOrKeep(std::optional<Lists>& kept, const Lists& lists, Show show) {
        if (m_built) {
            show(lists);
            return;
        }
        kept = followedBy(kept, lists);
        m_keptLists = [&kept, show] {
            show(*kept);
            kept.reset();
        };
    }
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
    bool m_built = false;
    std::function<void()> m_keptLists;
    std::vector<std::pair<const KeptText*, QString>> m_keptTexts;
    QString m_coreClock;
    std::optional<OverheatReading> m_overheat;
    std::vector<TabSheet*> m_sheets;
    int m_current = -1;
    bool m_shown = false;
};

}  // namespace zandro
