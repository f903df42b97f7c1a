#include <gtest/gtest.h>
#include <algorithm>

#include "families/FamilyRegistry.h"

namespace zandro {
namespace {

FamilyPage* noPage(const PageContext&, QWidget*, PageBuild) {
    return nullptr;
}

bool never(Platform&) {
    return false;
}

FamilyEntry seventh(FamilyKind kind, const char* button, int listFillRank) {
    const FamilyButton place = {button, 665, "", 0};
    return {kind, "Seventh", never, noPage, {"7", "Seventh", 0}, place, listFillRank};
}

struct Addition {
    const char* what;
    FamilyEntry family;
    bool added;
};

class FamilyRegistryAddTest : public ::testing::TestWithParam<Addition> {};

TEST_P(FamilyRegistryAddTest, TakesOnlyAFamilyWithItsOwnKindButtonAndRefillPlace) {
    FamilyRegistry families = FamilyRegistry::builtIn();
    EXPECT_EQ(families.add(GetParam().family), GetParam().added);
    EXPECT_EQ(families.size(), GetParam().added ? 7u : 6u);
}

INSTANTIATE_TEST_SUITE_P(
    Additions, FamilyRegistryAddTest,
    ::testing::Values(
        Addition{"next kind", seventh(FamilyKind(6), "sbtnSeventh", kNoLists), true},
        Addition{"own refill place", seventh(FamilyKind(6), "sbtnSeventh", 4), true},
        Addition{"kind taken", seventh(FamilyK5K6, "sbtnSeventh", kNoLists), false},
        Addition{"kind skipped", seventh(FamilyKind(7), "sbtnSeventh", kNoLists), false},
        Addition{"button taken", seventh(FamilyKind(6), "sbtnK6", kNoLists), false},
        Addition{"refill place taken", seventh(FamilyKind(6), "sbtnSeventh", 1), false}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(FamilyRegistryTest, ListsAreRefilledAthlonsFirst) {
    EXPECT_EQ(
        FamilyRegistry::builtIn().listFillOrder(),
        (std::vector<FamilyKind>{FamilyAthlon64, FamilyAthlonK7, FamilyPentiumM, FamilyPentium4}));
}

}  // namespace
}  // namespace zandro
