#include <gtest/gtest.h>
#include <QComboBox>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "GuiFixture.h"
#include "app/FamilyIconColumn.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

using test::GuiRig;

const QString kRefusal = QStringLiteral(
    "Your system does not seem to contain selected CPU and user protection is enabled.\n\rIf you "
    "still want to select this CPU, disable user protection in configuration menu.");

int visiblePages(const TfrmMSR& window) {
    int count = 0;
    for (int kind = 0; kind < kFamilyCount; ++kind)
        count += window.page(FamilyKind(kind))->isVisible() ? 1 : 0;
    return count;
}

struct ProfilePage {
    const char* profile;
    const char* page;
    FamilyKind kind;
    const char* button;
};

class EachFamilyTest : public ::testing::TestWithParam<ProfilePage> {};

TEST_P(EachFamilyTest, StartUpOpensTheDetectedFamilysPage) {
    const ProfilePage& expected = GetParam();
    GuiRig rig(expected.profile);
    ASSERT_TRUE(rig.start());
    FamilyPage* page = rig.window->visiblePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->objectName(), QLatin1String(expected.page));
    EXPECT_EQ(rig.window->familyKind(), expected.kind);
    EXPECT_EQ(page->pos(), QPoint(145, 28));
    EXPECT_EQ(page->size(), QSize(306, 375));
    EXPECT_EQ(visiblePages(*rig.window), 1);
    EXPECT_TRUE(rig.control<QToolButton>(QLatin1String(expected.button))->isChecked());
    EXPECT_TRUE(rig.report().startsWith(QStringLiteral("page\t") + QLatin1String(expected.page)));
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, EachFamilyTest,
    ::testing::Values(ProfilePage{"athlon64", "pgctrlA64", FamilyAthlon64, "sbtnAthlon64"},
                      ProfilePage{"pentium-m", "pgctrlPentiumM", FamilyPentiumM, "sbtnPentiumM"},
                      ProfilePage{"pentium4", "pgctrlP4", FamilyPentium4, "sbtnPentium4"},
                      ProfilePage{"athlon", "pgctrlK7", FamilyAthlonK7, "sbtnAthlon"},
                      ProfilePage{"pentium3", "pgctrlIPIII", FamilyPentium3, "sbtnPentium3"},
                      ProfilePage{"k6", "pgctrlK6", FamilyK5K6, "sbtnK6"},
                      ProfilePage{"k5", "pgctrlK6", FamilyK5K6, "sbtnK6"}));

TEST(FamilySelectionTest, ProtectionRefusesAnotherFamily) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:sbtnPentium4"));
    EXPECT_EQ(rig.messages.texts(), QStringList{kRefusal});
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Error);
    EXPECT_EQ(rig.window->visiblePage()->objectName(), QStringLiteral("pgctrlA64"));
    EXPECT_TRUE(rig.window->Ikony_ScrollBox->button(FamilyAthlon64)->isChecked());
    EXPECT_FALSE(rig.window->Ikony_ScrollBox->button(FamilyPentium4)->isChecked());
    EXPECT_EQ(rig.window->familyKind(), FamilyAthlon64);
}

TEST(FamilySelectionTest, WithoutProtectionAnyFamilyCanBeShown) {
    GuiRig rig("athlon64", QStringLiteral("[Settings]\nuser_protection=0\n"));
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:sbtnPentium4"));
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.window->visiblePage()->objectName(), QStringLiteral("pgctrlP4"));
    EXPECT_EQ(rig.window->familyKind(), FamilyPentium4);
    EXPECT_EQ(visiblePages(*rig.window), 1);
    rig.act(QStringLiteral("click:sbtnK6"));
    EXPECT_EQ(rig.window->visiblePage()->objectName(), QStringLiteral("pgctrlK6"));
    EXPECT_EQ(visiblePages(*rig.window), 1);
}

TEST(FamilySelectionTest, RefusedChoiceOnAnUnknownProcessorKeepsTheKind) {
    GuiRig rig("unknown");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:sbtnPentium3"));
    EXPECT_EQ(rig.messages.texts(), QStringList{kRefusal});
    EXPECT_EQ(rig.window->visiblePage(), nullptr);
    EXPECT_EQ(rig.window->familyKind(), FamilyPentium3);
}

TEST(FamilySelectionTest, IconColumnScrollsToTheDetectedFamily) {
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->Ikony_ScrollBox->verticalScrollBar()->value(), 164);
    GuiRig intel("pentium4");
    ASSERT_TRUE(intel.start());
    EXPECT_EQ(intel.window->Ikony_ScrollBox->verticalScrollBar()->value(), 36);
}

TEST(FamilySelectionTest, ButtonsCarryTheirHints) {
    GuiRig rig("athlon64");
    EXPECT_EQ(rig.window->Ikony_ScrollBox->button(FamilyAthlon64)->toolTip(),
              QStringLiteral("AMD K8 Family:\n - ClawHammer\n - SledgeHammer"));
    EXPECT_EQ(rig.window->Ikony_ScrollBox->button(FamilyK5K6)->toolTip(),
              QStringLiteral("AMD K5 & K6 Families"));
    EXPECT_EQ(rig.window->Ikony_ScrollBox->button(FamilyPentium3)->geometry().size(),
              QSize(105, 105));
}

TEST(FamilySelectionTest, EveryPageHasItsTabsInOrder) {
    GuiRig rig("athlon64");
    const std::vector<std::pair<FamilyKind, QStringList>> expected = {
        {FamilyAthlon64,
         {"A64_Information", "A64_Features", "A64_FrequencyVoltageInfo",
          "A64_FrequencyVoltageControl"}},
        {FamilyPentiumM,
         {"PMobile_Information", "PMobile_Features", "PMobile_L2cache", "PMobile_ThermalMonitor",
          "PMobile_FrequencyVoltageControl"}},
        {FamilyPentium4,
         {"NetBurst_Information", "NetBurst_ErrorChecking", "NetBurst_Features",
          "NetBurst_ThermalMonitor", "NetBurst_FrequencyVoltageControl"}},
        {FamilyAthlonK7,
         {"K7_Information", "K7_CLKCTL", "K7_Features", "K7_FrequencyVoltageInfo",
          "K7_FrequencyVoltageControl"}},
        {FamilyPentium3,
         {"P6_Information", "P6_Features", "P6_L2cache", "P6_L2cacheConfig", "P6_ErrorChecking"}},
        {FamilyK5K6, {"K5_Features", "K6_Features"}},
    };
    for (const auto& [kind, names] : expected) {
        FamilyPage* page = rig.window->page(kind);
        ASSERT_EQ(page->count(), names.size());
        EXPECT_EQ(page->currentIndex(), 0);
        for (int i = 0; i < page->count(); ++i)
            EXPECT_EQ(page->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(rig.window->page(FamilyAthlon64)->tabText(3),
              QStringLiteral("Frequency && Voltage Control"));
    EXPECT_EQ(rig.window->page(FamilyK5K6)->tabText(1), QStringLiteral("K6 Processor"));
}

TEST(ProcessorSelectorTest, SingleProcessorListIsDisabled) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->CPUSelect_Combo->count(), 1);
    EXPECT_EQ(rig.window->CPUSelect_Combo->itemText(0), QStringLiteral("0"));
    EXPECT_FALSE(rig.window->CPUSelect_Combo->isEnabled());
    QString why;
    EXPECT_FALSE(rig.tryAct(QStringLiteral("select:CPUSelect_Combo=0"), &why));
    EXPECT_EQ(why, QStringLiteral("control is disabled"));
}

TEST(ProcessorSelectorTest, ChoosingAProcessorBindsAndRefreshes) {
    GuiRig rig("athlon64");
    rig.sim.machine.affinity = 0x5;
    rig.sim.machine.fillProcessors();
    ASSERT_TRUE(rig.start());
    QComboBox* combo = rig.window->CPUSelect_Combo;
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("2"));
    EXPECT_TRUE(combo->isEnabled());
    rig.act(QStringLiteral("select:CPUSelect_Combo=1"));
    const QStringList trace = rig.takeTrace();
    ASSERT_FALSE(trace.isEmpty());
    EXPECT_EQ(trace.first(), QStringLiteral("bind 2"));
    // The page is read again, now on processor 2.
    EXPECT_TRUE(trace.filter(QRegularExpression(QStringLiteral("^2 rdmsr c0000080 "))).size() == 1);
}

TEST(ProcessorSelectorTest, FailedBindingIsReportedAndTheWindowStillRefreshed) {
    GuiRig rig("athlon64");
    rig.sim.machine.affinity = 0x3;
    rig.sim.machine.fillProcessors();
    rig.sim.machine.cpu(1).failBind = true;
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("select:CPUSelect_Combo=1"));
    EXPECT_EQ(
        rig.messages.texts(),
        QStringList{QStringLiteral("Processor could not be changed! Unknown error occured.")});
    const QStringList trace = rig.takeTrace();
    EXPECT_EQ(trace.first(), QStringLiteral("bind 1 FAIL"));
    // Still bound to processor 0, and the page was read there.
    EXPECT_EQ(trace.filter(QRegularExpression(QStringLiteral("^0 rdmsr c0000080 "))).size(), 1);
}

}  // namespace
}  // namespace zandro
