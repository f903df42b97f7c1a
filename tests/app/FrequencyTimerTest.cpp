#include <gtest/gtest.h>
#include <QTimer>

#include "GuiFixture.h"
#include "core/CoreClock.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::GuiRig;

TEST(FrequencyTimerTest, ControlTabRunsTheTimerAndEveryPanelGetsTheClock) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    EXPECT_FALSE(rig.window->Frequency_timer->isActive());
    rig.act(QStringLiteral("tab:A64_FrequencyVoltageControl"));
    EXPECT_TRUE(rig.window->Frequency_timer->isActive());
    EXPECT_EQ(rig.window->Frequency_timer->interval(), 1500);
    auto* a64 = rig.control<StatusPanel>(QStringLiteral("A64_CurrentCoreClock"));
    EXPECT_EQ(a64->text(), QStringLiteral("---"));

    rig.window->Frequency_timerTimer();
    const QString expected =
        QString::number(MeasureCoreClock(rig.sim.platform)) + QStringLiteral(" MHz");
    for (const char* name : {"A64_CurrentCoreClock", "K7_CurrentCoreClock",
                             "PMobile_CurrentCoreClock", "NetBurst_CurrentCoreClock"})
        EXPECT_EQ(rig.control<StatusPanel>(QLatin1String(name))->text(), expected) << name;

    rig.act(QStringLiteral("tab:A64_Features"));
    EXPECT_FALSE(rig.window->Frequency_timer->isActive());
}

TEST(FrequencyTimerTest, SwitchingFamiliesLeavesTheTimerWithTheNewPage) {
    GuiRig rig("athlon64", QStringLiteral("[Settings]\nuser_protection=0\n"));
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:A64_FrequencyVoltageControl"));
    rig.act(QStringLiteral("click:sbtnPentium3"));
    EXPECT_FALSE(rig.window->Frequency_timer->isActive());
    rig.act(QStringLiteral("click:sbtnAthlon64"));
    // The page comes back on its control tab, so the timer runs again.
    EXPECT_TRUE(rig.window->Frequency_timer->isActive());
}

}  // namespace
}  // namespace zandro
