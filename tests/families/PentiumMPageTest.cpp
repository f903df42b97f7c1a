#include <gtest/gtest.h>
#include <QColor>
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>

#include "PageTestSupport.h"
#include "families/PentiumMPage.h"
#include "families/StatusPanel.h"
#include "pstates/IntelTransition.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::matching;
using test::panelText;
using test::readIndexes;
using test::writes;

// The registers of the status routine, in its order; 19Dh only while Thermal Monitor is on.
QStringList refreshReads(bool thermalMonitorOn) {
    QStringList list{"2a", "1a0", "2a", "1a0", "11e", "1a0"};
    if (thermalMonitorOn)
        list << "19d";
    return list << "19a"
                << "198";
}

TEST(PentiumMPageTest, RefreshReadsExactlyThePagesRegisters) {
    GuiRig rig("pentium-m");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:PMobile_Features"));
    EXPECT_EQ(readIndexes(rig.takeTrace()), refreshReads(true));
    rig.sim.setReg(0x1A0, rig.sim.reg(0x1A0) & ~0x8ull);
    rig.act(QStringLiteral("tab:PMobile_L2cache"));
    EXPECT_EQ(readIndexes(rig.takeTrace()), refreshReads(false));
    EXPECT_EQ(panelText(rig, "PMobile_ThermalMonitorStatus"), QStringLiteral("Disabled"));
}

TEST(PentiumMPageTest, InformationAndCacheFields) {
    const struct {
        uint64_t powerOn, l2;
        const char* ratio;
        const char* bus;
        const char* queue;
        const char* presence;
        const char* hardware;
        const char* enabled;
        const char* ecc;
        const char* range;
    } cases[] = {
        {0x45080000, 0x0034272B, "20x", "100 MHz", "8 entry", "Present", "Hardware enabled",
         "Enabled and initialized", "Enabled", "4 GByte"},
        {0x07C42000, 0x00800000, "31x", "133 MHz", "1 entry", "Not Present", "Hardware disabled",
         "Disabled", "Disabled", "512 MByte"},
        {0x00000000, 0x00F00121, "0x", "100 MHz", "8 entry", "Not Present", "Hardware enabled",
         "Enabled and initialized", "Enabled", "64 GByte"},
    };
    for (const auto& c : cases) {
        GuiRig rig("pentium-m");
        rig.sim.setReg(0x2A, c.powerOn);
        rig.sim.setReg(0x11E, c.l2);
        ASSERT_TRUE(rig.start());
        SCOPED_TRACE(c.ratio);
        EXPECT_EQ(panelText(rig, "PMobile_ClockFrequencyRatio"), QLatin1String(c.ratio));
        EXPECT_EQ(panelText(rig, "PMobile_SystemBusFrequency"), QLatin1String(c.bus));
        EXPECT_EQ(panelText(rig, "PMobile_InOrderQueueDepth"), QLatin1String(c.queue));
        EXPECT_EQ(panelText(rig, "PMobile_L2Presence"), QLatin1String(c.presence));
        EXPECT_EQ(panelText(rig, "PMobile_L2Hardware"), QLatin1String(c.hardware));
        EXPECT_EQ(panelText(rig, "PMobile_L2Enabled"), QLatin1String(c.enabled));
        EXPECT_EQ(panelText(rig, "PMobile_ECCChecking"), QLatin1String(c.ecc));
        EXPECT_EQ(panelText(rig, "PMobile_PhysicalAddressRange"), QLatin1String(c.range));
    }
}

struct ClickCase {
    const char* button;
    std::vector<std::pair<uint32_t, uint64_t>> before;
    QStringList expectedWrites;
    const char* panelName;
    const char* panelText;
};

TEST(PentiumMPageTest, EveryOptionButtonWritesItsBitsAndShowsTheResult) {
    const std::vector<ClickCase> cases = {
        {"PMobile_DataErrorCheckingEN",
         {{0x2A, 0x45080000}},
         {"wrmsr-wbinvd 2a 0000000045080002"},
         "PMobile_DataErrorChecking",
         "Enabled"},
        {"PMobile_DataErrorCheckingDIS",
         {{0x2A, 0x45080006}},
         {"wrmsr-wbinvd 2a 0000000045080004"},
         "PMobile_DataErrorChecking",
         "Disabled"},
        {"PMobile_ResponseErrorCheckingEN",
         {{0x2A, 0x45080000}},
         {"wrmsr-wbinvd 2a 0000000045080004"},
         "PMobile_ResponseErrorChecking",
         "Enabled"},
        {"PMobile_ResponseErrorCheckingDIS",
         {{0x2A, 0x45080006}},
         {"wrmsr-wbinvd 2a 0000000045080002"},
         "PMobile_ResponseErrorChecking",
         "Disabled"},
        {"PMobile_EnhancedSpeedStepEN",
         {{0x1A0, 0x1488}},
         {"wrmsr 1a0 0000000000011488"},
         "PMobile_EnhancedSpeedStep",
         "Enabled"},
        {"PMobile_EnhancedSpeedStepDIS",
         {{0x1A0, 0x11488}},
         {"wrmsr 1a0 0000000000001488"},
         "PMobile_EnhancedSpeedStep",
         "Disabled"},
        {"PMobile_L2EnabledEN",
         {{0x11E, 0x0034262B}},
         {"wrmsr-wbinvd 11e 000000000034272b"},
         "PMobile_L2Enabled",
         "Enabled and initialized"},
        {"PMobile_L2EnabledDIS",
         {{0x11E, 0x0034272B}},
         {"wrmsr-wbinvd 11e 000000000034262b"},
         "PMobile_L2Enabled",
         "Disabled"},
        {"PMobile_ThermalMonitorDIS",
         {{0x1A0, 0x11488}},
         {"wrmsr 1a0 0000000000011480"},
         "PMobile_ThermalMonitorStatus",
         "Disabled"},
        {"PMobile_ThermalMonitor1EN",
         {{0x1A0, 0x11480}, {0x19D, 0x10612}},
         {"wrmsr 19d 0000000000000612", "wrmsr 1a0 0000000000011488"},
         "PMobile_ThermalMonitorStatus",
         "Thermal Monitor 1 Enabled"},
        {"PMobile_ThermalMonitor2EN",
         {{0x1A0, 0x11480}, {0x19D, 0x612}},
         {"wrmsr 19d 0000000000010612", "wrmsr 1a0 0000000000011488"},
         "PMobile_ThermalMonitorStatus",
         "Thermal Monitor 2 Enabled"},
        // Bit 0 and the bits above 4 stay as read.
        {"PMobile_OnDemandDutyDIS",
         {{0x19A, 0x3F}},
         {"wrmsr 19a 0000000000000021"},
         "PMobile_OnDemandDuty",
         "Disabled"},
        {"PMobile_OnDemandDuty12",
         {{0x19A, 0x21}},
         {"wrmsr 19a 0000000000000033"},
         "PMobile_OnDemandDuty",
         "12.5% of performance"},
        {"PMobile_OnDemandDuty25",
         {{0x19A, 0x0}},
         {"wrmsr 19a 0000000000000014"},
         "PMobile_OnDemandDuty",
         "25.0% of performance"},
        {"PMobile_OnDemandDuty37",
         {{0x19A, 0x1E}},
         {"wrmsr 19a 0000000000000016"},
         "PMobile_OnDemandDuty",
         "37.5% of performance"},
        {"PMobile_OnDemandDuty50",
         {{0x19A, 0x0}},
         {"wrmsr 19a 0000000000000018"},
         "PMobile_OnDemandDuty",
         "50.0% of performance"},
        {"PMobile_OnDemandDuty62",
         {{0x19A, 0x0}},
         {"wrmsr 19a 000000000000001a"},
         "PMobile_OnDemandDuty",
         "62.5% of performance"},
        {"PMobile_OnDemandDuty75",
         {{0x19A, 0x0}},
         {"wrmsr 19a 000000000000001c"},
         "PMobile_OnDemandDuty",
         "75.0% of performance"},
        {"PMobile_OnDemandDuty87",
         {{0x19A, 0x0}},
         {"wrmsr 19a 000000000000001e"},
         "PMobile_OnDemandDuty",
         "87.5% of performance"},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.button);
        GuiRig rig("pentium-m");
        for (const auto& [index, value] : c.before)
            rig.sim.setReg(index, value);
        ASSERT_TRUE(rig.start());
        rig.takeTrace();
        rig.act(QStringLiteral("click:") + QLatin1String(c.button));
        const QStringList trace = rig.takeTrace();
        EXPECT_EQ(writes(trace), c.expectedWrites);
        // The status routine follows the last write.
        qsizetype lastWrite = trace.size();
        while (lastWrite > 0 && !trace[lastWrite - 1].contains(QStringLiteral(" wrmsr")))
            --lastWrite;
        const QStringList after = readIndexes(trace.mid(lastWrite));
        EXPECT_EQ(after, refreshReads(after.contains("19d")));
        EXPECT_EQ(panelText(rig, c.panelName), QLatin1String(c.panelText));
        EXPECT_TRUE(rig.control<QRadioButton>(QLatin1String(c.button))->isChecked());
    }
}

TEST(PentiumMPageTest, DutyCodeZeroWithTheEnableBitKeepsTheText) {
    GuiRig rig("pentium-m");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:PMobile_OnDemandDuty50"));
    rig.sim.setReg(0x19A, 0x10);
    rig.act(QStringLiteral("tab:PMobile_Features"));
    EXPECT_EQ(panelText(rig, "PMobile_OnDemandDuty"), QStringLiteral("50.0% of performance"));
}

TEST(PentiumMPageTest, NewOverheatCheckClearsTheLogAndTheTabRunsTheTimer) {
    GuiRig rig("pentium-m");
    rig.sim.setReg(0x19C, 0x2);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:PMobile_ThermalMonitor"));
    EXPECT_TRUE(rig.window->Overheating_timer->isActive());
    rig.takeTrace();
    rig.act(QStringLiteral("click:PMobile_NewOverheatCheck"));
    EXPECT_EQ(writes(rig.takeTrace()), QStringList{"wrmsr 19c 0000000000000000"});
    EXPECT_EQ(rig.sim.reg(0x19C), 0u);
    rig.act(QStringLiteral("tab:PMobile_Information"));
    EXPECT_FALSE(rig.window->Overheating_timer->isActive());
}

TEST(PentiumMPageTest, OverheatWatchShowsTheSensorOnThisPage) {
    GuiRig rig("pentium-m");
    rig.sim.setReg(0x19C, 0x3);
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:PMobile_ThermalMonitor"));
    rig.window->Overheating_timerTimer();
    EXPECT_EQ(panelText(rig, "PMobile_OverheatOccured"), QStringLiteral("Yes"));
    EXPECT_EQ(panelText(rig, "PMobile_Temperature"), QString());
    EXPECT_EQ(rig.control<QLabel>("lblPMobile_Temperature")->text(), QStringLiteral("Too High"));
    rig.sim.setReg(0x19C, 0x2);  // cooled down; the log stays until checked
    rig.act(QStringLiteral("click:PMobile_NewOverheatCheck"));
    rig.window->Overheating_timerTimer();
    EXPECT_EQ(panelText(rig, "PMobile_OverheatOccured"), QStringLiteral("No"));
    EXPECT_EQ(panelText(rig, "PMobile_Temperature"), QStringLiteral("Normal"));
    EXPECT_EQ(rig.control<QLabel>("lblPMobile_Temperature")->text(), QString());
}

// Chooses a multiplier and a voltage by their texts and presses "Set".
void setThrough(GuiRig& rig, const QString& multiplier, const QString& voltage) {
    rig.act(QStringLiteral("tab:PMobile_FrequencyVoltageControl"));
    for (const auto& [name, text] :
         {std::pair(QStringLiteral("PMobile_MultiplierCombo"), multiplier),
          std::pair(QStringLiteral("PMobile_VoltageCombo"), voltage)}) {
        const int index = rig.control<QComboBox>(name)->findText(text);
        rig.act(QStringLiteral("select:%1=%2").arg(name).arg(index));
    }
    rig.takeTrace();
    rig.act(QStringLiteral("click:PMobile_InitiateFIDVIDChangeButton"));
}

TEST(PentiumMPageTest, SetStepsTheVoltageThenTheRatioAndRefreshesThePage) {
    GuiRig rig("pentium-m");
    rig.sim.setReg(0x198, 0x0612142806120C26ull);  // 12x at VID 38, top VID 40
    rig.sim.setReg(0x199, 0x0C26);
    ASSERT_TRUE(rig.start());
    setThrough(rig, QStringLiteral("16x"), QStringLiteral("1.100V"));
    const QStringList trace = rig.takeTrace();
    EXPECT_EQ(
        matching(trace, QStringLiteral("^0 wrmsr 199 0{12}([0-9a-f]{4})$")),
        (QStringList{"0c27", "0c28", "1028", "1027", "1026", "1025", "1024", "1023", "1022", "1021",
                     "1020", "101f", "101e", "101d", "101c", "101b", "101a", "1019"}));
    EXPECT_EQ(trace.count(QStringLiteral("priority realtime")), 17);
    EXPECT_EQ(trace.count(QStringLiteral("priority normal")), 17);
    EXPECT_EQ(trace.last().left(8), QStringLiteral("0 rdmsr ")) << "the page refresh comes last";
    EXPECT_TRUE(trace.last().contains(QStringLiteral(" 198 ")));
    EXPECT_EQ(panelText(rig, "PMobile_TransitionReport"), QStringLiteral("Transition finished"));
    EXPECT_EQ(rig.control<StatusPanel>("PMobile_TransitionReport")->colour(),
              QColor(0, 128, 0));
    EXPECT_EQ(panelText(rig, "PMobile_CurrentCoreClock"), QStringLiteral("1600 MHz"));
    EXPECT_EQ(panelText(rig, "PMobile_CurrentMultiplier"), QStringLiteral("16x"));
    EXPECT_EQ(panelText(rig, "PMobile_CurrentVoltage"), QStringLiteral("1.100V"));
}

TEST(PentiumMPageTest, SameChoiceWritesNothingButStillMeasuresAndRefreshes) {
    GuiRig rig("pentium-m");
    ASSERT_TRUE(rig.start());
    setThrough(rig, QStringLiteral("20x"), QStringLiteral("1.340V"));
    const QStringList trace = rig.takeTrace();
    EXPECT_TRUE(writes(trace).isEmpty());
    EXPECT_EQ(panelText(rig, "PMobile_CurrentCoreClock"), QStringLiteral("2000 MHz"));
    EXPECT_EQ(readIndexes(trace), QStringList{"198"} + refreshReads(true));
    EXPECT_EQ(panelText(rig, "PMobile_TransitionReport"), QStringLiteral("---"));
}

TEST(PentiumMPageTest, AVoltageThePartRefusesEndsInRedAtNormalPriority) {
    GuiRig rig("pentium-m", QStringLiteral("[Settings]\nuser_protection=0\n"));
    ASSERT_TRUE(rig.start());
    setThrough(rig, QString(), QStringLiteral("1.356V"));  // VID 41: above the top VID 40
    const QStringList trace = rig.takeTrace();
    EXPECT_EQ(trace.count(QStringLiteral("priority realtime")), 1);
    EXPECT_EQ(trace.filter(QStringLiteral("priority")),
              (QStringList{"priority realtime", "priority normal"}));
    EXPECT_EQ(panelText(rig, "PMobile_TransitionReport"), QLatin1String(kIntelVidNotReachedText));
    EXPECT_EQ(rig.control<StatusPanel>("PMobile_TransitionReport")->colour(),
              QColor(255, 0, 0));
    EXPECT_EQ(panelText(rig, "PMobile_CurrentVoltage"), QStringLiteral("1.340V"));
}

TEST(PentiumMPageTest, RecordsOfTheChoicesMadeAndActingOnThem) {
    GuiRig rig("pentium-m");
    ASSERT_TRUE(rig.start());
    auto* page = rig.control<PentiumMPage>(QStringLiteral("pgctrlPentiumM"));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->savedOptions().empty());
    for (const char* button : {"PMobile_L2EnabledDIS", "PMobile_DataErrorCheckingEN",
                               "PMobile_ThermalMonitorDIS", "PMobile_OnDemandDuty37"})
        rig.act(QStringLiteral("click:") + QLatin1String(button));
    rig.act(QStringLiteral("select:PMobile_VoltageCombo=2"));
    std::vector<std::pair<int, int>> saved;
    for (const OptionRecord& r : page->savedOptions())
        saved.emplace_back(r.code, r.value);
    EXPECT_EQ(saved,
              (std::vector<std::pair<int, int>>{{120, 0}, {130, 1}, {140, 0}, {141, 3}, {151, 2}}));

    rig.takeTrace();
    EXPECT_EQ(page->applyRecord({140, 2}), RecordAction::Applied);
    EXPECT_EQ(writes(rig.takeTrace()),
              (QStringList{"wrmsr 19d 0000000000010612", "wrmsr 1a0 0000000000011488"}));
    EXPECT_EQ(page->applyRecord({122, 1}), RecordAction::Applied);
    EXPECT_EQ(writes(rig.takeTrace()), QStringList{"wrmsr 1a0 0000000000001488"});
    EXPECT_EQ(page->applyRecord({141, 8}), RecordAction::Applied);
    EXPECT_EQ(page->applyRecord({121, 2}), RecordAction::Applied);
    EXPECT_TRUE(writes(rig.takeTrace()).isEmpty()) << "a value with no button is ignored";
    EXPECT_FALSE(rig.control<QRadioButton>("PMobile_ThermalMonitor2EN")->isChecked());
    EXPECT_EQ(page->applyRecord({150, 3}), RecordAction::TransitionRequested);
    EXPECT_EQ(rig.control<QComboBox>("PMobile_MultiplierCombo")->currentIndex(), 3);
    EXPECT_EQ(page->applyRecord({151, 200}), RecordAction::TransitionRequested);
    EXPECT_EQ(rig.control<QComboBox>("PMobile_VoltageCombo")->currentIndex(), -1);
    EXPECT_EQ(page->applyRecord({240, 0}), RecordAction::NotMine);
}

}  // namespace
}  // namespace zandro
