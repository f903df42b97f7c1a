#include <gtest/gtest.h>
#include <QComboBox>
#include <QRadioButton>

#include "PageTestSupport.h"
#include "families/Pentium4Page.h"
#include "families/StatusPanel.h"
#include "pstates/IntelTransition.h"

namespace zandro {
namespace {

using test::accesses;
using test::enabled;
using test::GuiRig;
using test::panelText;

const QString kUnprotected = QStringLiteral("[Settings]\nuser_protection=0\n");

Pentium4Page* page(GuiRig& rig) {
    return rig.control<Pentium4Page>(QStringLiteral("pgctrlP4"));
}

TEST(Pentium4PageTest, RefreshReadsExactlyThePagesRegisters) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    rig.takeTrace();
    rig.act(QStringLiteral("tab:NetBurst_ErrorChecking"));
    rig.act(QStringLiteral("tab:NetBurst_Information"));
    EXPECT_EQ(accesses(rig.takeTrace()), (QStringList{"r 2c", "r 17", "r 2a", "r 8b", "r 1a1",
                                                      "r 2b", "r 1a0", "r 19a", "r 19d", "r 198"}));
}

TEST(Pentium4PageTest, OldModelsSkipTheRegistersTheyLack) {
    GuiRig rig("pentium4-willamette");
    ASSERT_TRUE(rig.start());
    rig.takeTrace();
    rig.act(QStringLiteral("tab:NetBurst_ErrorChecking"));
    rig.act(QStringLiteral("tab:NetBurst_Information"));
    EXPECT_EQ(accesses(rig.takeTrace()),
              (QStringList{"r 2c", "r 2a", "r 8b", "r 2b", "r 1a0", "r 19a"}));
    for (const char* name :
         {"NetBurst_MaximumMulti", "NetBurst_MinimumMulti", "NetBurst_FrequencyLock",
          "NetBurst_SpeedStepSupport", "NetBurst_ESchip"})
        EXPECT_EQ(panelText(rig, name), QStringLiteral("---")) << name;
    EXPECT_EQ(panelText(rig, "NetBurst_NominalMulti"), QStringLiteral("15x"));
    EXPECT_EQ(panelText(rig, "NetBurst_ExternalBusFrequency"), QStringLiteral("100 MHz"));
    EXPECT_EQ(panelText(rig, "NetBurst_PrescottPowerClass"), QStringLiteral("N/A"));
    EXPECT_FALSE(enabled(rig, "NetBurst_CurrentVoltage"));
}

struct FrequencyIdCase {
    const char* profile;
    uint32_t value;
    const char* bus;
    const char* nominal;
    const char* minimum;
};

TEST(Pentium4PageTest, FrequencyIdDecoding) {
    const FrequencyIdCase cases[] = {
        {"pentium4-willamette", 0x00000800, "100 MHz", "8x", nullptr},
        {"pentium4-willamette", 0x00000000, "100 MHz", "16x", nullptr},
        {"pentium4-willamette", 0x00200700, "Unknown", "23x", nullptr},
        {"pentium4-northwood", 0x0F02020F, "200 MHz", "15x", "13x"},
        {"pentium4-northwood", 0x0F03020F, "166 MHz", "15x", "13x"},
        {"pentium4-northwood", 0x0F050F0A, "Unknown", "15x", "-5x"},
    };
    for (const FrequencyIdCase& c : cases) {
        GuiRig rig(c.profile);
        rig.sim.setReg(0x2C, c.value);
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(panelText(rig, "NetBurst_ExternalBusFrequency"), QLatin1String(c.bus)) << c.value;
        EXPECT_EQ(panelText(rig, "NetBurst_NominalMulti"), QLatin1String(c.nominal)) << c.value;
        if (c.minimum) {
            EXPECT_EQ(panelText(rig, "NetBurst_MinimumMulti"), QLatin1String(c.minimum)) << c.value;
        }
    }
}

struct OptionCase {
    const char* button;
    uint32_t index;
    uint32_t bit;
    bool sets;
    const char* panel;
    const char* text;
};

TEST(Pentium4PageTest, EveryOptionWritesItsBitAndShowsTheRegister) {
    const OptionCase cases[] = {
        {"NetBurst_DataErrorCheckingDIS", 0x2B, 1, true, "NetBurst_DataErrorChecking", "Disabled"},
        {"NetBurst_DataErrorCheckingEN", 0x2B, 1, false, "NetBurst_DataErrorChecking", "Enabled"},
        {"NetBurst_ResponseErrorCheckingDIS", 0x2B, 2, true, "NetBurst_ResponseErrorChecking",
         "Disabled"},
        {"NetBurst_ResponseErrorCheckingEN", 0x2B, 2, false, "NetBurst_ResponseErrorChecking",
         "Enabled"},
        {"NetBurst_AdressErrorCheckingDIS", 0x2B, 3, true, "NetBurst_AdressRequestErrorChecking",
         "Disabled"},
        {"NetBurst_AdressErrorCheckingEN", 0x2B, 3, false, "NetBurst_AdressRequestErrorChecking",
         "Enabled"},
        {"NetBurst_FastStringEN", 0x1A0, 0, true, "NetBurst_FastString", "Enabled"},
        {"NetBurst_x87FPUEN", 0x1A0, 2, true, "NetBurst_x87FPU", "Enabled"},
        {"NetBurst_x87FPUDIS", 0x1A0, 2, false, "NetBurst_x87FPU", "Disabled"},
        {"NetBurst_L3cacheDIS", 0x1A0, 6, true, "NetBurst_L3Cache", "Disabled"},
        {"NetBurst_L3cacheEN", 0x1A0, 6, false, "NetBurst_L3Cache", "Enabled"},
        {"NetBurst_PerfMonitorDIS", 0x1A0, 7, false, "NetBurst_PerfMonitoring", "Disabled"},
        {"NetBurst_PerfMonitorEN", 0x1A0, 7, true, "NetBurst_PerfMonitoring", "Enabled"},
        {"NetBurst_PrefetchDIS", 0x1A0, 9, true, "NetBurst_PrefetchQueue", "Disabled"},
        {"NetBurst_PrefetchEN", 0x1A0, 9, false, "NetBurst_PrefetchQueue", "Enabled"},
        {"NetBurst_CacheLine1", 0x1A0, 19, true, "NetBurst_CacheLine", "1 cache line"},
        {"NetBurst_CacheLine2", 0x1A0, 19, false, "NetBurst_CacheLine", "2 cache lines"},
        {"NetBurst_L1shared", 0x1A0, 24, true, "NetBurst_L1context", "Shared"},
        {"NetBurst_L1adaptive", 0x1A0, 24, false, "NetBurst_L1context", "Adaptive"},
        {"NetBurst_MonitorMwaitEN", 0x1A0, 18, true, "NetBurst_MonitorMwait", "Supported"},
        {"NetBurst_MonitorMwaitDIS", 0x1A0, 18, false, "NetBurst_MonitorMwait", "Not Supported"},
        {"NetBurst_CPUIDlimitYES", 0x1A0, 22, true, "NetBurst_CPUIDlimit", "Limited to level 3"},
        {"NetBurst_CPUIDlimitNO", 0x1A0, 22, false, "NetBurst_CPUIDlimit", "Not limited"},
        {"NetBurst_EnhancedSpeedStepDIS", 0x1A0, 16, false, "NetBurst_EnhancedSpeedStep",
         "Disabled"},
        {"NetBurst_EnhancedSpeedStepEN", 0x1A0, 16, true, "NetBurst_EnhancedSpeedStep", "Enabled"},
    };
    // Without protection every group is usable on this Prescott, which has no L3 cache: its
    // panel stays disabled but the bit is still written.
    GuiRig rig("pentium4", kUnprotected);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_Features"));
    rig.takeTrace();
    for (const OptionCase& c : cases) {
        const uint64_t before = rig.sim.reg(c.index);
        rig.act(QStringLiteral("click:") + QLatin1String(c.button));
        const uint64_t mask = uint64_t(1) << c.bit;
        EXPECT_EQ(rig.sim.reg(c.index), c.sets ? (before | mask) : (before & ~mask)) << c.button;
        if (c.bit != 6) {
            EXPECT_EQ(panelText(rig, c.panel), QLatin1String(c.text)) << c.button;
        }
        const QStringList trace = accesses(rig.takeTrace());
        const QString write =
            QStringLiteral("%1 %2").arg(c.index == 0x2B ? "f" : "w").arg(c.index, 0, 16);
        EXPECT_EQ(trace.mid(0, 2), (QStringList{QStringLiteral("r %1").arg(c.index, 0, 16), write}))
            << c.button;
        EXPECT_TRUE(rig.control<QRadioButton>(QLatin1String(c.button))->isChecked());
    }
}

TEST(Pentium4PageTest, FastStringsOffTakesTheL1ContextModeWithIt) {
    GuiRig rig("pentium4-northwood");  // shared L1 context at start
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_Features"));
    EXPECT_EQ(panelText(rig, "NetBurst_L1context"), QStringLiteral("Shared"));
    rig.act(QStringLiteral("click:NetBurst_FastStringDIS"));
    EXPECT_EQ(rig.sim.reg(0x1A0) & 0x01000001u, 0u);
    EXPECT_EQ(panelText(rig, "NetBurst_L1context"), QStringLiteral("Adaptive"));
    EXPECT_EQ(panelText(rig, "NetBurst_FastString"), QStringLiteral("Disabled"));
}

TEST(Pentium4PageTest, FeaturesShowFollowsCapabilitiesAndProtection) {
    GuiRig protectedRig("pentium4-willamette");
    ASSERT_TRUE(protectedRig.start());
    protectedRig.act(QStringLiteral("tab:NetBurst_Features"));
    for (const char* name : {"NetBurst_L3cacheEN", "NetBurst_L1context", "NetBurst_L1shared",
                             "NetBurst_MonitorMwaitDIS", "NetBurst_CPUIDlimitYES"})
        EXPECT_FALSE(enabled(protectedRig, name)) << name;
    EXPECT_EQ(panelText(protectedRig, "NetBurst_L1context"), QStringLiteral("---"));

    GuiRig open("pentium4-willamette", kUnprotected);
    ASSERT_TRUE(open.start());
    open.act(QStringLiteral("tab:NetBurst_Features"));
    EXPECT_TRUE(enabled(open, "NetBurst_L3cacheEN"));
    EXPECT_TRUE(enabled(open, "NetBurst_L3cacheDIS"));
    EXPECT_FALSE(enabled(open, "NetBurst_L3Cache")) << "the refresh disables the panel again";
    EXPECT_TRUE(enabled(open, "NetBurst_CPUIDlimit"));

    GuiRig gallatin("pentium4-gallatin");
    ASSERT_TRUE(gallatin.start());
    gallatin.act(QStringLiteral("tab:NetBurst_Features"));
    EXPECT_TRUE(enabled(gallatin, "NetBurst_L3Cache"));
    EXPECT_EQ(panelText(gallatin, "NetBurst_L3Cache"), QStringLiteral("Enabled"));
}

TEST(Pentium4PageTest, ErrorCheckingShowSwitchesTheSpeedStepButtons) {
    GuiRig rig("pentium4-northwood");  // no EIST
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_Features"));
    EXPECT_TRUE(enabled(rig, "NetBurst_EnhancedSpeedStepEN")) << "the Features tab leaves them";
    rig.act(QStringLiteral("tab:NetBurst_ErrorChecking"));
    EXPECT_FALSE(enabled(rig, "NetBurst_EnhancedSpeedStepEN"));
    EXPECT_FALSE(enabled(rig, "NetBurst_EnhancedSpeedStepDIS"));
    EXPECT_EQ(panelText(rig, "NetBurst_EnhancedSpeedStep"), QStringLiteral("Not Supported"));
}

TEST(Pentium4PageTest, ThermalShowDisablesDutyCyclesTheModelCannotRun) {
    struct Case {
        const char* profile;
        bool has25;
        bool has12;
        bool hasTm2;
    };
    for (const Case& c :
         {Case{"pentium4-willamette", false, false, false},
          Case{"pentium4-northwood", true, false, false},
          Case{"pentium4-gallatin", true, true, false}, Case{"pentium4", true, true, true}}) {
        GuiRig rig(c.profile);
        ASSERT_TRUE(rig.start());
        rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
        EXPECT_EQ(enabled(rig, "NetBurst_OnDemandDuty25"), c.has25) << c.profile;
        EXPECT_EQ(enabled(rig, "NetBurst_OnDemandDuty12"), c.has12) << c.profile;
        for (const char* name : {"NetBurst_ThermalMonitor2EN", "NetBurst_TM2targetMultiplier",
                                 "NetBurst_TM2MultiplierCombo", "NetBurst_SetNewTM2target"})
            EXPECT_EQ(enabled(rig, name), c.hasTm2) << c.profile << " " << name;
    }
    GuiRig open("pentium4-willamette", kUnprotected);
    ASSERT_TRUE(open.start());
    open.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    EXPECT_TRUE(enabled(open, "NetBurst_OnDemandDuty12"));
    EXPECT_TRUE(enabled(open, "NetBurst_SetNewTM2target"));
}

TEST(Pentium4PageTest, ThermalMonitorButtonsFollowTm2Support) {
    GuiRig old("pentium4-northwood");
    old.sim.setReg(0x1A0, old.sim.reg(0x1A0) | (1u << 13));
    ASSERT_TRUE(old.start());
    old.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    old.act(QStringLiteral("click:NetBurst_ThermalMonitorDIS"));
    EXPECT_EQ(panelText(old, "NetBurst_ThermalMonitorStatus"), QStringLiteral("Disabled"));
    old.act(QStringLiteral("click:NetBurst_ThermalMonitor1EN"));
    EXPECT_EQ(old.sim.reg(0x1A0) & 0x2008u, 0x2008u) << "bit 13 untouched without TM2";
    EXPECT_EQ(panelText(old, "NetBurst_ThermalMonitorStatus"),
              QStringLiteral("Thermal Monitor 1 Enabled"));

    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.act(QStringLiteral("click:NetBurst_ThermalMonitor2EN"));
    EXPECT_EQ(rig.sim.reg(0x1A0) & 0x2008u, 0x2000u);
    EXPECT_EQ(panelText(rig, "NetBurst_ThermalMonitorStatus"),
              QStringLiteral("Thermal Monitor 2 Enabled"));
    rig.sim.setReg(0x1A0, rig.sim.reg(0x1A0) | 0x8);
    rig.act(QStringLiteral("tab:NetBurst_Information"));
    EXPECT_EQ(panelText(rig, "NetBurst_ThermalMonitorStatus"),
              QStringLiteral("T.Monitor 1 + T.Monitor 2 Enabled"));
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.act(QStringLiteral("click:NetBurst_ThermalMonitor1EN"));
    EXPECT_EQ(rig.sim.reg(0x1A0) & 0x2008u, 0x8u);
}

TEST(Pentium4PageTest, Tm2TargetSet) {
    GuiRig rig("pentium4");
    rig.sim.setReg(0x19D, 0xABCD0C27);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:NetBurst_SetNewTM2target"));
    EXPECT_FALSE(accesses(rig.takeTrace()).contains(QStringLiteral("w 19d"))) << "no selection";
    rig.act(QStringLiteral("select:NetBurst_TM2MultiplierCombo=7"));  // 10x
    rig.act(QStringLiteral("click:NetBurst_SetNewTM2target"));
    EXPECT_EQ(rig.sim.reg(0x19D), 0x0A27u) << "old voltage kept, bits 31..16 cleared";
    rig.act(QStringLiteral("select:NetBurst_TM2VoltageCombo=13"));  // 1.4375V
    rig.act(QStringLiteral("click:NetBurst_SetNewTM2target"));
    EXPECT_EQ(rig.sim.reg(0x19D), 0x0A2Eu);
    EXPECT_EQ(panelText(rig, "NetBurst_TM2targetVoltage"), QStringLiteral("1.4375V"));
    EXPECT_EQ(panelText(rig, "NetBurst_TM2targetMultiplier"), QStringLiteral("10x"));
}

TEST(Pentium4PageTest, SavedOptionsAndTheirRecords) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_Features"));
    rig.act(QStringLiteral("click:NetBurst_PrefetchDIS"));
    rig.act(QStringLiteral("tab:NetBurst_ThermalMonitor"));
    rig.act(QStringLiteral("click:NetBurst_ThermalMonitor1EN"));
    rig.act(QStringLiteral("click:NetBurst_OnDemandDuty75"));
    std::vector<std::pair<int, int>> saved;
    for (const OptionRecord& r : page(rig)->savedOptions())
        saved.emplace_back(r.code, r.value);
    EXPECT_EQ(saved, (std::vector<std::pair<int, int>>{{234, 1}, {240, 0}, {241, 6}}));

    Pentium4Page* p = page(rig);
    EXPECT_EQ(p->applyRecord({240, 1}), RecordAction::Applied);  // "Disable" on this page
    EXPECT_EQ(rig.sim.reg(0x1A0) & 0x2008u, 0u);
    EXPECT_EQ(p->applyRecord({241, 3}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(0x19A) & 0x1Eu, 0x16u);
    rig.takeTrace();
    EXPECT_EQ(p->applyRecord({210, 2}), RecordAction::Applied);
    EXPECT_EQ(p->applyRecord({231, 5}), RecordAction::Applied);  // no such button: ignored
    EXPECT_TRUE(accesses(rig.takeTrace()).isEmpty());
    EXPECT_FALSE(rig.control<QRadioButton>(QStringLiteral("NetBurst_200MHz"))->isChecked());
    EXPECT_EQ(p->applyRecord({250, 1}), RecordAction::TransitionRequested);
    EXPECT_EQ(p->frequency.multiplier->currentIndex(), 1);
    EXPECT_EQ(p->applyRecord({140, 0}), RecordAction::NotMine);
}

TEST(Pentium4PageTest, SetStepsDownAndRefreshesThePanels) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_FrequencyVoltageControl"));
    rig.act(QStringLiteral("select:NetBurst_MultiplierCombo=0"));  // 12x
    rig.act(QStringLiteral("click:NetBurst_InitiateFIDVIDChangeButton"));
    EXPECT_EQ(panelText(rig, "NetBurst_CurrentMultiplier"), QStringLiteral("12x"));
    EXPECT_EQ(panelText(rig, "NetBurst_TransitionReport"), QStringLiteral("Transition finished"));
    EXPECT_TRUE(panelText(rig, "NetBurst_CurrentCoreClock").endsWith(QStringLiteral(" MHz")));
}

TEST(Pentium4PageTest, AVoltageCodeThatSwitchesTheRegulatorOffStepsNothing) {
    GuiRig rig("pentium4");
    rig.sim.setReg(0x198, 0x00000E2D'0C160E20ull);  // current VID 32: VR output off
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:NetBurst_FrequencyVoltageControl"));
    rig.act(QStringLiteral("select:NetBurst_VoltageCombo=3"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:NetBurst_InitiateFIDVIDChangeButton"));
    EXPECT_FALSE(accesses(rig.takeTrace()).contains(QStringLiteral("w 199")));
    EXPECT_EQ(panelText(rig, "NetBurst_TransitionReport"),
              QString::fromUtf8(kIntelVrOffText.data(), int(kIntelVrOffText.size())));
}

}  // namespace
}  // namespace zandro
