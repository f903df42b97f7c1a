#pragma once

#include <QTabWidget>
#include <vector>

#include "PageContext.h"
#include "TabSheet.h"
#include "core/Cpuid.h"

namespace zandro {

// The page control of one processor family: its tab sheets, their show and exit events, and the
// family's status routine.
class FamilyPage : public QTabWidget {
    Q_OBJECT
public:
    FamilyPage(const QString& name, FamilyKind kind, const PageContext& context,
               QWidget* parent = nullptr);

    FamilyKind kind() const { return m_kind; }
    const std::vector<TabSheet*>& sheets() const { return m_sheets; }

    // Shows or hides the page control; showing it shows its active tab sheet.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }

    // The family's status routine: re-reads every register the page shows.
    virtual void refreshStatus() = 0;
    // Refills the multiplier and voltage lists, on the families that have them.
    virtual void fillLists() {}

protected:
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
