#pragma once

#include <QRgb>
#include <cstddef>
#include <span>
#include <vector>

#include "FamilyPage.h"
#include "core/Cpuid.h"

namespace zandro {

// The picture on a family's button: a chip package with the family's short name.
struct FamilyIconStyle {
    const char* title;
    const char* subtitle;
    QRgb body;
};

// A family's button in the icon column: its name, its top within the column, its hint, and
// where the column scrolls to when start-up detects the family.
struct FamilyButton {
    const char* name;
    int top;
    const char* hint;
    int scrollPosition;
};

// The place of a family without multiplier and voltage lists in RefreshAll's refill.
constexpr int kNoLists = -1;

// Everything the main window knows of one family.
struct FamilyEntry {
    // The family's identity in configuration files and its place in the registry.
    FamilyKind kind;
    const char* name;
    bool (*detect)(Platform& platform);
    // Creates the family's page; `build` says whether its sheets are built at once.
    FamilyPage* (*makePage)(const PageContext& context, QWidget* parent, PageBuild build);
    FamilyIconStyle icon;
    FamilyButton button;
    // Where RefreshAll refills the family's multiplier and voltage lists, lowest first.
    int listFillRank;
};

// The families the main window offers, in the order start-up asks their detectors, the icon
// column lists their buttons and a configuration file's records are offered to their pages.
class FamilyRegistry {
public:
    // The six families the program is made for.
    static FamilyRegistry builtIn();

    // Registers one more family after those there. Refused when its kind is not the next free
    // one, its button's name is taken or it lacks a detector or a page.
    bool add(const FamilyEntry& family);

    std::span<const FamilyEntry> entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    const FamilyEntry& entry(FamilyKind kind) const { return m_entries[size_t(kind)]; }
    // The family selected before any detection has run.
    const FamilyEntry& first() const { return m_entries.front(); }
    // The families with multiplier and voltage lists, in the order RefreshAll refills them.
    std::vector<FamilyKind> listFillOrder() const;

private:
    std::vector<FamilyEntry> m_entries;
};

}  // namespace zandro
