#include <gtest/gtest.h>
#include <QComboBox>
#include <QRegularExpression>

#include "app/ConfigurationRun.h"
#include "config/ConfigFormat.h"
#include "families/PageTestSupport.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::saveConfigurationAs;
using test::writeLines;

// One family's round trip: the clicks made on a fresh machine, what the user does after saving
// (pressing "Set" for the chosen multiplier), and the registers the clicks change.
struct RoundTrip {
    const char* profile;
    std::vector<const char*> actions;
    std::vector<const char*> afterSave;
    std::vector<uint32_t> registers;
};

const std::vector<RoundTrip> kRoundTrips = {
    {"athlon64",
     {"tab:A64_Features", "click:A64_NoExecutePageDIS", "click:A64_SystemCallExtensionDIS",
      "click:A64_MachineCheckRegistersAL", "click:A64_SSEInstructionSupportDIS",
      "tab:A64_FrequencyVoltageControl", "select:A64_MultiplierCombo=1",
      "select:A64_VoltageCombo=1"},
     {"click:A64_InitiateFIDVIDChangeButton"},
     {0xC0000080, 0xC0010015, 0xC0010041, 0xC0010042}},
    {"pentium-m",
     {"tab:PMobile_Features", "click:PMobile_DataErrorCheckingEN",
      "click:PMobile_EnhancedSpeedStepDIS", "tab:PMobile_L2cache", "click:PMobile_L2EnabledDIS",
      "tab:PMobile_ThermalMonitor", "click:PMobile_ThermalMonitorDIS",
      "click:PMobile_OnDemandDuty50", "tab:PMobile_FrequencyVoltageControl",
      "select:PMobile_VoltageCombo=2"},
     {"click:PMobile_InitiateFIDVIDChangeButton"},
     {0x2A, 0x1A0, 0x11E, 0x19A, 0x198, 0x199}},
    {"pentium4",
     {"tab:NetBurst_ErrorChecking", "click:NetBurst_DataErrorCheckingEN", "tab:NetBurst_Features",
      "click:NetBurst_FastStringDIS", "click:NetBurst_PrefetchDIS",
      "click:NetBurst_MonitorMwaitDIS", "tab:NetBurst_ThermalMonitor",
      "click:NetBurst_ThermalMonitor2EN", "click:NetBurst_OnDemandDuty75",
      "tab:NetBurst_FrequencyVoltageControl", "select:NetBurst_VoltageCombo=3"},
     {"click:NetBurst_InitiateFIDVIDChangeButton"},
     {0x2B, 0x1A0, 0x19A, 0x198, 0x199}},
    {"athlon",
     {"tab:K7_CLKCTL", "select:K7_HLTmultiCombo=1", "click:K7_HLTmultiSET",
      "select:K7_STPCLKmultiCombo=4", "click:K7_STPCLKmultiSET", "select:K7_CLKtimingCombo=3",
      "click:K7_CLKtimingSET", "click:K7_APICbusMessagesNoReject", "tab:K7_Features",
      "click:K7_SystemCallExtensionDIS", "click:K7_SystemECCcheckingEN",
      "click:K7_SSEInstructionSupportDIS"},
     {},
     {0xC0000080, 0xC0010010, 0xC0010015, 0xC001001B}},
    {"pentium3",
     {"click:P6_LowPowerModeDIS", "click:P6_ResponseErrorCheckingEN", "tab:P6_L2cacheConfig",
      "select:P6_L2cacheLatencyCombo=4", "click:P6_L2cacheLatencyAPP",
      "click:P6_CacheSizePerBank2048", "click:P6_L2ECCCheckingDIS"},
     {},
     {0x2A, 0x11E}},
    {"k6",
     {"tab:K6_Features", "click:K6_SystemCallExtensionEN", "click:K6_WriteAllocateEN",
      "click:K6_WriteAllocate15to16MBDIS", "text:K6_WriteAllocateLimitBox=100",
      "click:K6_WriteAllocateLimitSET"},
     {},
     {0xC0000080, 0xC0000082}},
    {"k5",
     {"tab:K5_Features", "click:K5_BranchPredictionDIS", "click:K5_WriteAllocateEN",
      "click:K5_ClockSnoopDIS"},
     {},
     {0x83}},
};

// Saves what was clicked, applies the file on a fresh machine of the same profile, and compares.
// Every listed register must have been changed by the clicks, or the row would prove nothing.
TEST(ConfigurationRunTest, SavedOptionsComeBackOnAFreshMachine) {
    for (const RoundTrip& trip : kRoundTrips) {
        SCOPED_TRACE(trip.profile);
        GuiRig clicked(trip.profile);
        ASSERT_TRUE(clicked.start());
        for (const char* action : trip.actions)
            clicked.act(QLatin1String(action));
        const std::string path = clicked.dir.file("saved.msr");
        saveConfigurationAs(clicked, path);
        for (const char* action : trip.afterSave)
            clicked.act(QLatin1String(action));

        GuiRig applied(trip.profile, QStringLiteral("[Settings]\n"),
                       {QString::fromStdString(path)});
        test::SimRig fresh(trip.profile);
        ASSERT_TRUE(applied.start());
        EXPECT_TRUE(applied.window->configurationApplied())
            << applied.messages.texts().join('|').toStdString();
        EXPECT_EQ(applied.window->configurationWriteFailures(), 0);
        for (uint32_t index : trip.registers) {
            EXPECT_NE(clicked.sim.reg(index), fresh.reg(index)) << std::hex << index;
            EXPECT_EQ(applied.sim.reg(index), clicked.sim.reg(index)) << std::hex << index;
        }
    }
}

TEST(ConfigurationRunTest, AFileSavedRightAfterStartHoldsNoButtonRecords) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    const std::string path = rig.dir.file("plain");
    saveConfigurationAs(rig, path);
    const ConfigContents contents = parseConfiguration(test::readFile(path + ".msr"));
    EXPECT_EQ(contents.damage, ConfigDamage::None);
    for (const ConfigRecord& record : contents.records)
        EXPECT_TRUE(record.code == 40 || record.code == 41) << record.code;
    EXPECT_EQ(contents.header.identity.family, 15);
    EXPECT_EQ(contents.header.nameText().substr(0, 10), "AMD Athlon");
}

TEST(ConfigurationRunTest, SaveFailuresAndCancelWriteNothing) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    saveConfigurationAs(rig, "");
    saveConfigurationAs(rig, rig.dir.file("missing/a.msr"));
    EXPECT_EQ(rig.messages.texts(), QStringList{QStringLiteral("Could not create file.")});
}

// A file for the simulated Athlon 64 with the given records.
std::string a64File(GuiRig& rig, std::vector<ConfigRecord> records, uint16_t version = 90,
                    uint8_t family = 0) {
    ConfigHeader header;
    header.version = version;
    header.identity = ReadCpuid(rig.sim.platform);
    if (family != 0)
        header.identity.family = family;
    header.nameField = makeNameField(header.identity, "Saved Name");
    return serializeConfiguration(header, records);
}

struct ApplyCase {
    const char* what;
    std::string bytes;
    QStringList arguments;  // after the file
    uint32_t affinity;
    bool applied;
    QStringList messages;
};

TEST(ConfigurationRunTest, ApplyingChecksFileProcessorAndIdentity) {
    GuiRig probe("athlon64");
    const std::string good = a64File(probe, {{20, 1}});
    const std::string other = a64File(probe, {{20, 1}}, 90, 6);
    const QString identity = QStringLiteral(
        "Processor number %1 is of different type than processor configuration file was created "
        "on.\n\rDisable user protection or generate new configuration file.");
    const QString all =
        QStringLiteral("Unknown error occured while changing MSR settings on all processors!");
    const std::vector<ApplyCase> cases = {
        {"one processor", good, {"1"}, 3, true, {}},
        {"absent processor", good, {"3"}, 3, false, {"Selected processor is not present!"}},
        {"all processors", good, {"32", "NOCLOSE"}, 3, true, {}},
        {"header only", good.substr(0, 81), {}, 1, true, {}},
        {"version 86", a64File(probe, {{20, 1}}, 86), {}, 1, true, {}},
        {"other processor", other, {}, 3, false, {identity.arg(0), identity.arg(1), all}},
        {"version 91",
         a64File(probe, {}, 91),
         {},
         1,
         false,
         {"\"%1\" was created by ZANDRO version 0.91.\n\rCurrent version requires files "
          "created by versions 0.86 up to version0.9."}},
        {"cut record", good + "\x14", {}, 3, false, {"Could not read from file \"%1\"!."}},
        {"not ours",
         "\x19" + std::string(90, 'x'),
         {},
         1,
         false,
         {"\"%1\" is not valid ZANDRO configuration file!"}},
    };
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const QString path = QString::fromStdString(dir.file("f.msr"));
        test::writeFile(path.toStdString(), c.bytes);
        GuiRig rig("athlon64", QStringLiteral("[Settings]\n"), QStringList{path} + c.arguments);
        rig.sim.machine.affinity = c.affinity;
        rig.sim.machine.fillProcessors();
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(rig.window->configurationApplied(), c.applied);
        QStringList expected;
        for (const QString& text : c.messages)
            expected << QString(text).replace(QStringLiteral("%1"), path);
        EXPECT_EQ(rig.messages.texts(), expected);
    }
}

TEST(ConfigurationRunTest, AllProcessorsAreWrittenInAscendingOrder) {
    GuiRig probe("athlon64");
    test::TempDir dir;
    const std::string path = dir.file("f.msr");
    test::writeFile(path, a64File(probe, {{22, 1}}));
    GuiRig rig("athlon64", QStringLiteral("[Settings]\n"), {QString::fromStdString(path), "x"});
    rig.sim.machine.affinity = 0b1101;
    rig.sim.machine.fillProcessors();
    ASSERT_TRUE(rig.start());
    const QStringList trace =
        QString::fromStdString(test::readFile(rig.dir.file("trace.log"))).split(QLatin1Char('\n'));
    const QStringList efer = writeLines(trace).filter(QStringLiteral("wrmsr c0000080"));
    ASSERT_EQ(efer.size(), 3);
    EXPECT_TRUE(efer[0].startsWith(QLatin1String("0 ")));
    EXPECT_TRUE(efer[1].startsWith(QLatin1String("2 ")));
    EXPECT_TRUE(efer[2].startsWith(QLatin1String("3 ")));
}

TEST(ConfigurationRunTest, DamageOrRefusalWritesNothing) {
    GuiRig probe("athlon64");
    for (const std::string& bytes :
         {a64File(probe, {{20, 1}}, 91), a64File(probe, {{20, 1}}, 90, 6),
          a64File(probe, {{20, 1}}).substr(0, 60)}) {
        test::TempDir dir;
        test::writeFile(dir.file("f.msr"), bytes);
        GuiRig rig("athlon64", QStringLiteral("[Settings]\n"),
                   {QString::fromStdString(dir.file("f.msr"))});
        ASSERT_TRUE(rig.start());
        EXPECT_TRUE(writeLines(QString::fromStdString(test::readFile(rig.dir.file("trace.log")))
                                   .split(QLatin1Char('\n')))
                        .isEmpty());
        EXPECT_EQ(test::readFile(dir.file("f.msr")), bytes);
    }
}

TEST(ConfigurationRunTest, WithoutProtectionAnotherProcessorsFileIsApplied) {
    GuiRig probe("athlon64");
    test::TempDir dir;
    test::writeFile(dir.file("f.msr"), a64File(probe, {{22, 1}}, 90, 6));
    GuiRig rig("athlon64", QStringLiteral("[Settings]\nuser_protection=0\n"),
               {QString::fromStdString(dir.file("f.msr"))});
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(rig.window->configurationApplied()) << rig.messages.texts().join('|').toStdString();
    EXPECT_EQ(rig.sim.reg(0xC0000080) & 1, 0u);
}

TEST(ConfigurationRunTest, RefusedWritesAreCounted) {
    GuiRig probe("athlon64");
    test::TempDir dir;
    test::writeFile(dir.file("f.msr"), a64File(probe, {{20, 1}, {23, 0}}));
    GuiRig rig("athlon64", QStringLiteral("[Settings]\n"),
               {QString::fromStdString(dir.file("f.msr"))});
    rig.sim.machine.cpu(0).failWrite.insert(0xC0000080);
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(rig.window->configurationApplied());
    EXPECT_EQ(rig.window->configurationWriteFailures(), 1);
}

}  // namespace
}  // namespace zandro

namespace zandro {
namespace {

// Every transition ends by measuring the new core clock over a 25 ms sleep.
int transitionsIn(const GuiRig& rig) {
    const QStringList trace =
        QString::fromStdString(test::readFile(rig.dir.file("trace.log"))).split(QLatin1Char('\n'));
    return int(trace.filter(QRegularExpression(QStringLiteral("^sleep 25$"))).size());
}

TEST(ConfigurationRunTest, EachMultiplierOrVoltageRecordMakesOneTransition) {
    GuiRig probe("athlon64");
    const std::pair<std::vector<ConfigRecord>, int> cases[] = {
        {{{40, 1}, {41, 1}}, 2},
        {{{20, 1}, {21, 0}, {999, 0}}, 0},
        {{{41, 0}, {22, 1}}, 1},
    };
    for (const auto& [records, transitions] : cases) {
        test::TempDir dir;
        test::writeFile(dir.file("f.msr"), a64File(probe, records));
        GuiRig rig("athlon64", QStringLiteral("[Settings]\n"),
                   {QString::fromStdString(dir.file("f.msr"))});
        ASSERT_TRUE(rig.start());
        EXPECT_TRUE(rig.window->configurationApplied());
        EXPECT_EQ(transitionsIn(rig), transitions) << records.size();
    }
}

}  // namespace
}  // namespace zandro
