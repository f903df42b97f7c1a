#include "FamilyRegistry.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "A64Page.h"
#include "K5K6Page.h"
#include "K7Page.h"
#include "Pentium3Page.h"
#include "Pentium4Page.h"
#include "PentiumMPage.h"

namespace zandro {

namespace {

template <class Page>
FamilyPage* makePage(const PageContext& context, QWidget* parent, PageBuild build) {
    return new Page(context, parent, build);
}

// Whether `next` can follow `before`: the next kind, a detector and a page, a button name and a
// place in the list refill that no earlier family has.
constexpr bool canFollow(std::span<const FamilyEntry> before, const FamilyEntry& next) {
    if (size_t(next.kind) != before.size() || !next.button.name)
        return false;
    // The built-in table names its functions; a sanitizing compiler will not compare their
    // addresses at compile time, so only a family added at run time is asked for them.
    if (!std::is_constant_evaluated() && (!next.detect || !next.makePage))
        return false;
    for (const FamilyEntry& earlier : before) {
        if (std::string_view(earlier.button.name) == next.button.name)
            return false;
        if (next.listFillRank != kNoLists && earlier.listFillRank == next.listFillRank)
            return false;
    }
    return true;
}

// Icons: green for AMD parts, blue for Intel parts; no maker's mark. The Athlons' lists are
// refilled before the Intel families'.
constexpr FamilyEntry kBuiltIn[] = {
    {FamilyAthlon64,
     kFamilyNames[FamilyAthlon64],
     IsAthlon64,
     makePage<A64Page>,
     {"K8", "Athlon 64", qRgb(0, 110, 70)},
     {"sbtnAthlon64", 5, "AMD K8 Family:\n - ClawHammer\n - SledgeHammer", 0},
     0},
    {FamilyPentiumM,
     kFamilyNames[FamilyPentiumM],
     IsPentiumM,
     makePage<PentiumMPage>,
     {"P-M", "Pentium M", qRgb(20, 70, 150)},
     {"sbtnPentiumM", 115, "Intel Pentium M Family\n - Banias", 0},
     2},
    {FamilyPentium4,
     kFamilyNames[FamilyPentium4],
     IsPentium4,
     makePage<Pentium4Page>,
     {"P4", "NetBurst", qRgb(35, 90, 170)},
     {"sbtnPentium4", 225,
      "Intel NetBurst Family:\n - Willamette\n - FosterMP\n - Northwood\n - Gallatin\n - Prescott",
      36},
     3},
    {FamilyAthlonK7,
     kFamilyNames[FamilyAthlonK7],
     IsAthlonK7,
     makePage<K7Page>,
     {"K7", "Athlon", qRgb(20, 130, 90)},
     {"sbtnAthlon", 335,
      "AMD K7 Family\n - K7\n - K75\n - Spitfire\n - Thunderbird\n - Palomino\n - Morgan\n"
      " - Thoroughbred\n - Barton",
      164},
     1},
    {FamilyPentium3,
     kFamilyNames[FamilyPentium3],
     IsPentium3,
     makePage<Pentium3Page>,
     {"P6", "Pentium III", qRgb(50, 60, 140)},
     {"sbtnPentium3", 445,
      "Intel P6 Family\n - P6\n - Klamath\n - Deschutes\n - Mendocino\n - Katmai\n - Coppermine\n"
      " - Cascades\n - Tualatin",
      292},
     kNoLists},
    {FamilyK5K6,
     kFamilyNames[FamilyK5K6],
     IsK5K6,
     makePage<K5K6Page>,
     {"K5/K6", "AMD", qRgb(70, 120, 50)},
     {"sbtnK6", 555, "AMD K5 & K6 Families", 292},
     kNoLists},
};

constexpr bool wellOrdered(std::span<const FamilyEntry> families) {
    for (size_t i = 0; i < families.size(); ++i) {
        if (!canFollow(families.first(i), families[i]))
            return false;
    }
    return true;
}

static_assert(std::size(kBuiltIn) == kFamilyCount, "one entry for every family kind");
static_assert(wellOrdered(kBuiltIn), "entry i is of kind i, with its own button and refill place");

}  // namespace

FamilyRegistry FamilyRegistry::builtIn() {
    FamilyRegistry registry;
    registry.m_entries.assign(std::begin(kBuiltIn), std::end(kBuiltIn));
    return registry;
}

bool FamilyRegistry::add(const FamilyEntry& family) {
    if (!canFollow(m_entries, family))
        return false;
    m_entries.push_back(family);
    return true;
}

std::vector<FamilyKind> FamilyRegistry::listFillOrder() const {
    std::vector<const FamilyEntry*> withLists;
    for (const FamilyEntry& family : m_entries) {
        if (family.listFillRank != kNoLists)
            withLists.push_back(&family);
    }
    std::sort(withLists.begin(), withLists.end(), [](const FamilyEntry* a, const FamilyEntry* b) {
        return a->listFillRank < b->listFillRank;
    });
    std::vector<FamilyKind> order;
    for (const FamilyEntry* family : withLists)
        order.push_back(family->kind);
    return order;
}

}  // namespace zandro
