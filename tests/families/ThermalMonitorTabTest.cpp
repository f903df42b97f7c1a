#include <gtest/gtest.h>
#include <QRadioButton>

#include "PageTestSupport.h"
#include "app/TfrmMSR.h"
#include "families/StatusPanel.h"
#include "families/TM_BlinkLabel.h"
#include "families/ThermalMonitorTab.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::panelText;

TEST(ThermalMonitorTabTest, TimerTickShowsTheSensorOnBothIntelTabs) {
    GuiRig rig("pentium4");
    rig.sim.setReg(0x19C, 0x3);  // too hot now, and logged
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    ASSERT_TRUE(test::fireTimer(rig.window->Overheating_timer));
    for (const char* prefix : {"NetBurst", "PMobile"}) {
        const QString p = QLatin1String(prefix);
        EXPECT_EQ(panelText(rig, p + "_OverheatOccured"), QStringLiteral("Yes")) << prefix;
        EXPECT_EQ(rig.control<StatusPanel>(p + "_OverheatOccured")->colour(),
                  QVariant(ThermalMonitorTab::kRed));
        EXPECT_EQ(panelText(rig, p + "_Temperature"), QString()) << prefix;
        EXPECT_EQ(rig.control<TM_BlinkLabel>("lbl" + p + "_Temperature")->text(),
                  QStringLiteral("Too High"));
    }
    // Cooled down, log cleared by the user: green "No" and a steady "Normal".
    rig.sim.setReg(0x19C, 0x2);
    rig.act(QStringLiteral("click:NetBurst_NewOverheatCheck"));
    EXPECT_EQ(rig.sim.reg(0x19C) & 2u, 0u);
    ASSERT_TRUE(test::fireTimer(rig.window->Overheating_timer));
    EXPECT_EQ(panelText(rig, "NetBurst_OverheatOccured"), QStringLiteral("No"));
    EXPECT_EQ(rig.control<StatusPanel>("NetBurst_OverheatOccured")->colour(),
              QVariant(ThermalMonitorTab::kGreen));
    EXPECT_EQ(panelText(rig, "NetBurst_Temperature"), QStringLiteral("Normal"));
    EXPECT_EQ(rig.control<TM_BlinkLabel>("lblNetBurst_Temperature")->text(), QString());
}

// 19Ch bit 0 is "too hot now", bit 1 "overheated since the last check": each alone, on both Intel
// tabs, and an unreadable register that is neither.
TEST(ThermalMonitorTabTest, EachOverheatBitFeedsItsOwnPanel) {
    const struct {
        uint64_t value;
        bool unreadable;
        const char* occured;
        const char* temperature;
        const char* blink;
    } cases[] = {
        {0x1, false, "No", "", "Too High"},
        {0x2, false, "Yes", "Normal", ""},
        {0x3, true, "---", "---", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        GuiRig rig("pentium4");
        rig.sim.setReg(0x19C, c.value);
        ASSERT_TRUE(rig.start());
        if (c.unreadable)
            rig.sim.machine.cpu(0).failRead.insert(0x19C);
        rig.window->Overheating_timerTimer();
        for (const char* prefix : {"NetBurst", "PMobile"}) {
            const QString p = QLatin1String(prefix);
            EXPECT_EQ(panelText(rig, p + "_OverheatOccured"), QLatin1String(c.occured)) << prefix;
            EXPECT_EQ(panelText(rig, p + "_Temperature"), QLatin1String(c.temperature)) << prefix;
            EXPECT_EQ(rig.control<TM_BlinkLabel>("lbl" + p + "_Temperature")->text(),
                      QLatin1String(c.blink));
        }
    }
}

// On the tab each tick reads 19Ch and shows it; once the tab is left no tick comes, so the panel
// keeps the last reading while the register changes.
TEST(ThermalMonitorTabTest, LeavingTheTabStopsTheWatch) {
    GuiRig rig("pentium4");
    rig.sim.setReg(0x19C, 0x2);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.takeTrace();
    ASSERT_TRUE(test::fireTimer(rig.window->Overheating_timer));
    EXPECT_EQ(test::readIndexes(rig.takeTrace()), QStringList{"19c"});
    EXPECT_EQ(panelText(rig, "NetBurst_OverheatOccured"), QStringLiteral("Yes"));

    rig.act(QStringLiteral("tab:NetBurst_Information"));
    rig.sim.setReg(0x19C, 0x0);
    EXPECT_FALSE(test::fireTimer(rig.window->Overheating_timer));
    EXPECT_EQ(panelText(rig, "NetBurst_OverheatOccured"), QStringLiteral("Yes"));
}

struct DutyCase {
    const char* button;
    uint32_t pattern;
    const char* text;
};

TEST(ThermalMonitorTabTest, DutyButtonsWriteBits4To1AndKeepTheRest) {
    const DutyCase cases[] = {
        {"DIS", 0x00, "Disabled"},
        {"12", 0x12, "12.5% of performance"},
        {"25", 0x14, "25.0% of performance"},
        {"37", 0x16, "37.5% of performance"},
        {"50", 0x18, "50.0% of performance"},
        {"62", 0x1A, "62.5% of performance"},
        {"75", 0x1C, "75.0% of performance"},
        {"87", 0x1E, "87.5% of performance"},
    };
    GuiRig rig("pentium4");
    rig.sim.setReg(0x19A, 0x1'0000'0021ull);  // bit 0, bit 5 and a high bit stay as they are
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    for (const DutyCase& c : cases) {
        rig.act(QStringLiteral("click:NetBurst_OnDemandDuty%1").arg(QLatin1String(c.button)));
        EXPECT_EQ(rig.sim.reg(0x19A), 0x1'0000'0021ull | c.pattern) << c.button;
        EXPECT_EQ(panelText(rig, "NetBurst_OnDemandDuty"), QLatin1String(c.text)) << c.button;
    }
    // The eight buttons are one exclusive group.
    EXPECT_TRUE(rig.control<QRadioButton>(QStringLiteral("NetBurst_OnDemandDuty87"))->isChecked());
    EXPECT_FALSE(rig.control<QRadioButton>(QStringLiteral("NetBurst_OnDemandDuty12"))->isChecked());
}

TEST(ThermalMonitorTabTest, EnabledWithoutDutyCodeKeepsTheText) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.act(QStringLiteral("click:NetBurst_OnDemandDuty50"));
    rig.sim.setReg(0x19A, 0x10);
    rig.act(QStringLiteral("tab:NetBurst_Information"));
    EXPECT_EQ(panelText(rig, "NetBurst_OnDemandDuty"), QStringLiteral("50.0% of performance"));
}

}  // namespace
}  // namespace zandro
