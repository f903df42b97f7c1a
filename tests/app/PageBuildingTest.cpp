#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

using test::GuiRig;

// Stored texts and no user protection, so that every family button shows its page.
const QString kConfig = QStringLiteral(
    "[MainWindow]\nPositionLeft=10\nPositionTop=10\n[Settings]\nuser_protection=0\n"
    "[A64]\nFIDSystemBusCycles=2000\n[Athlon]\nFIDVID=1234\n");

// What a user or a script can see of one run: the machine's trace, the report at the end and the
// settings written on closing.
struct Seen {
    QStringList trace;
    QString report;
    QString config;
};

// `buildAll`: every page built before start-up, as if none were left for later.
Seen run(const char* profile, const QStringList& actions, bool buildAll) {
    GuiRig rig(profile, kConfig);
    if (buildAll) {
        for (int kind = 0; kind < kFamilyCount; ++kind)
            rig.window->page(FamilyKind(kind));
    }
    rig.window->FormCreate();
    rig.window->show();
    for (const QString& action : actions) {
        if (action == QLatin1String("clock"))
            rig.window->Frequency_timerTimer();
        else if (action == QLatin1String("overheat"))
            rig.window->Overheating_timerTimer();
        else
            rig.act(action);
    }
    Seen seen{rig.takeTrace(), rig.report(), QString()};
    rig.window->close();
    seen.config = rig.configText();
    return seen;
}

struct Case {
    const char* profile;
    QStringList actions;
};

class PageBuildingTest : public ::testing::TestWithParam<Case> {};

// A page built when it is first shown comes up as it would have, had it been built at start-up.
TEST_P(PageBuildingTest, APageBuiltLaterLooksAsIfBuiltAtStartUp) {
    const Seen early = run(GetParam().profile, GetParam().actions, true);
    const Seen late = run(GetParam().profile, GetParam().actions, false);
    EXPECT_EQ(late.trace, early.trace);
    EXPECT_EQ(late.report.toStdString(), early.report.toStdString());
    EXPECT_EQ(late.config.toStdString(), early.config.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageBuildingTest,
    ::testing::Values(
        // Lists filled while the page was hidden, a stored text, the clock of the timer.
        Case{"athlon64",
             {"tab:A64_FrequencyVoltageControl", "clock", "click:sbtnAthlon",
              "tab:K7_FrequencyVoltageControl"}},
        // A control named on a page nobody has shown.
        Case{"athlon64", {"select:K7_MultiplierCombo=2", "click:sbtnAthlon"}},
        // The overheat watch of the other Intel family.
        Case{"pentium-m", {"tab:PMobile_ThermalMonitor", "overheat", "click:sbtnPentium4"}},
        // No family detected: the hidden Athlon 64 page is refreshed all the same.
        Case{"unknown", {"click:sbtnK6"}}));

TEST(PageBuildingTest, StartUpBuildsOnlyThePageItShows) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    for (const FamilyPage* page : rig.window->findChildren<FamilyPage*>())
        EXPECT_EQ(page->isBuilt(), page == rig.window->visiblePage())
            << page->objectName().toStdString();
}

}  // namespace
}  // namespace zandro
