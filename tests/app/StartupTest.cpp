#include <gtest/gtest.h>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "GuiFixture.h"
#include "app/FamilyIconColumn.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

using test::GuiRig;

const QString kFirstRun = QStringLiteral(
    "THIS PROGRAM IS FOR POWER USERS ONLY.\n\rSOME SETTINGS MAY CAUSE YOUR SYSTEM TO "
    "FAIL!\n\r\n\rYOU USE THIS PROGRAM AT YOUR OWN RISK!!!\n\rDO YOU WANT TO CONTINUE?");

TEST(StartupTest, FirstRunDeclinedWritesNothing) {
    GuiRig rig("athlon64", QString());
    EXPECT_FALSE(rig.start());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Warning);
    EXPECT_EQ(rig.messages.shown[0].text, kFirstRun);
    EXPECT_FALSE(QFile::exists(rig.configPath()));
}

TEST(StartupTest, FirstRunAcceptedCreatesTheSettingsFile) {
    GuiRig rig("athlon64", QString());
    rig.messages.answers.push_back(MsgAnswer::Yes);
    ASSERT_TRUE(rig.start());
    const QString ini = rig.configText();
    EXPECT_TRUE(ini.contains(QLatin1String("[MainWindow]")));
    EXPECT_TRUE(ini.contains(QLatin1String("PositionLeft=")));
    EXPECT_TRUE(ini.contains(QLatin1String("PositionTop=")));
    // A second start does not ask again.
    GuiRig again("athlon64", QString());
    test::writeFile(again.dir.file("config.ini"), ini.toStdString());
    ASSERT_TRUE(again.start());
    EXPECT_TRUE(again.messages.shown.empty());
}

TEST(StartupTest, StoredPositionIsUsed) {
    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=100\nPositionTop=50\n"));
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->pos(), QPoint(100, 50));
}

TEST(StartupTest, UnusablePositionFallsBackAndStartupRunsToItsEnd) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"[MainWindow]\nPositionLeft=abc\nPositionTop=10\n", "PositionLeft=abc"},
        {"[MainWindow]\nPositionLeft=90000\nPositionTop=90000\n", "PositionLeft=90000"}};
    for (const auto& [ini, kept] : cases) {
        GuiRig rig("athlon64", QString::fromLatin1(ini));
        ASSERT_TRUE(rig.start());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(rig.window->pos())) << ini;
        // The later steps ran: the page is shown and the processor list filled.
        EXPECT_EQ(rig.window->visiblePage()->objectName(), QStringLiteral("pgctrlA64"));
        EXPECT_EQ(rig.window->CPUSelect_Combo->count(), 1);
        // The stored text is kept as it was until the window closes.
        EXPECT_TRUE(rig.configText().contains(QLatin1String(kept)));
    }
}

TEST(StartupTest, GarbledSettingsGiveDefaultsAndLoseNothing) {
    const QString junk = QStringLiteral(
        "\x01\x02 not an ini file\n[Settings\nuser_protection=zero\nRealPriority=0x\n"
        "[A64]\n=orphan\nFIDSystemBusCycles\n");
    GuiRig rig("athlon64", junk);
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(rig.window->flags().UserProtection);
    EXPECT_FALSE(rig.window->flags().RealTimePriority);
    EXPECT_FALSE(rig.window->flags().HalfMultipliers);
    rig.window->close();
    const QString after = rig.configText();
    for (const QString& line : junk.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_TRUE(after.contains(line)) << line.toStdString();
    EXPECT_TRUE(after.contains(QLatin1String("FIDSystemBusCycles=1000")));
}

TEST(StartupTest, HexadecimalAndZeroBooleans) {
    GuiRig rig("athlon64", QStringLiteral("[Settings]\nuser_protection=0\nHalfMultis=0x1\n"
                                          "RealPriority=0X0\n"));
    ASSERT_TRUE(rig.start());
    EXPECT_FALSE(rig.window->flags().UserProtection);
    EXPECT_TRUE(rig.window->flags().HalfMultipliers);
    EXPECT_FALSE(rig.window->flags().RealTimePriority);
}

TEST(StartupTest, EarlyAfterBootTheStartWaitsFiveSeconds) {
    GuiRig early("athlon64");
    early.sim.machine.uptimeMs = 20000;
    ASSERT_TRUE(early.window->FormCreate());
    EXPECT_TRUE(early.takeTrace().contains(QStringLiteral("sleep 5000")));

    GuiRig later("athlon64");
    later.sim.machine.uptimeMs = 100000;
    ASSERT_TRUE(later.window->FormCreate());
    EXPECT_FALSE(later.takeTrace().contains(QStringLiteral("sleep 5000")));
}

TEST(StartupTest, DriverStatusMessages) {
    const std::vector<std::pair<int32_t, QString>> cases = {
        {-7, QStringLiteral("Driver not registered")},
        {-3, QStringLiteral("Incompatible operating system")},
        {-2, QStringLiteral("Driver not running")},
        {-1, QStringLiteral("Unknown error occured")},
    };
    for (const auto& [status, text] : cases) {
        GuiRig rig("athlon64");
        rig.sim.machine.driverStatus = status;
        ASSERT_TRUE(rig.start());
        ASSERT_FALSE(rig.messages.shown.empty());
        EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Plain);
        EXPECT_EQ(rig.messages.shown[0].text, text);
        // The start-up goes on regardless.
        EXPECT_NE(rig.window->visiblePage(), nullptr);
    }
    for (int32_t status : {0, 1, 42}) {
        GuiRig rig("athlon64");
        rig.sim.machine.driverStatus = status;
        ASSERT_TRUE(rig.start());
        EXPECT_TRUE(rig.messages.shown.empty()) << status;
    }
}

TEST(StartupTest, FailedTimeStampReadIsReported) {
    GuiRig rig("athlon64");
    rig.sim.machine.cpu(0).failRead.insert(0x10);
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Error);
    EXPECT_EQ(rig.messages.shown[0].text,
              QStringLiteral("Error accessing general Model Specific Register 10h (Time Stamp "
                             "Counter)! MSR access is probably\n\rblocked by other application. "
                             "Driver load failure."));
}

TEST(StartupTest, UnknownProcessorLeavesThePageAreaEmpty) {
    GuiRig rig("unknown");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->visiblePage(), nullptr);
    EXPECT_EQ(rig.window->familyKind(), FamilyAthlon64);
    EXPECT_TRUE(rig.window->Ikony_ScrollBox->button(FamilyAthlon64)->isChecked());
    EXPECT_TRUE(
        rig.report().startsWith(QStringLiteral("page\tnone\nCPUSelect_Combo\tcombo\t0\t0:0\n")));
}

TEST(StartupTest, ClosingStoresPositionAndTheThreeTexts) {
    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=120\nPositionTop=80\n"));
    ASSERT_TRUE(rig.start());
    rig.window->move(130, 90);
    rig.window->close();
    const QString ini = rig.configText();
    EXPECT_TRUE(ini.contains(QLatin1String("PositionLeft=130")));
    EXPECT_TRUE(ini.contains(QLatin1String("PositionTop=90")));
    EXPECT_TRUE(
        ini.contains(QLatin1String("[A64]\nFIDSystemBusCycles=1000\nVIDMillisecondsTime=50")));
    EXPECT_TRUE(ini.contains(QLatin1String("[Athlon]\nFIDVID=10000")));
}

TEST(StartupTest, StoredTextsFillTheBoxesAndGoBackUnchecked) {
    GuiRig rig("athlon64", QStringLiteral("[A64]\nFIDSystemBusCycles=2000\nVIDMillisecondsTime=\n"
                                          "[Athlon]\nFIDVID=123\n"));
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("A64_FIDstabilizationCyclesBox"))->text(),
              QStringLiteral("2000"));
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("A64_VIDstabilizationCyclesBox"))->text(),
              QStringLiteral("50"));
    EXPECT_EQ(rig.control<QLineEdit>(QStringLiteral("K7_StopGrantCyclesBox"))->text(),
              QStringLiteral("123"));
    rig.act(QStringLiteral("text:A64_VIDstabilizationCyclesBox=9999"));
    rig.window->close();
    EXPECT_TRUE(rig.configText().contains(QLatin1String("VIDMillisecondsTime=9999")));
}

TEST(StartupTest, UnwritableSettingsFolderDoesNotStopTheProgram) {
    // /proc refuses new files even to root.
    test::SimRig sim("athlon64");
    test::ensureApplication();
    test::MessageRecorder messages;
    messages.answers.push_back(MsgAnswer::Yes);
    TfrmMSR window(sim.platform, sim.msr, {{}, QStringLiteral("/proc/zandro")});
    ASSERT_TRUE(window.FormCreate());
    EXPECT_FALSE(window.settings()->writable());
    EXPECT_EQ(window.visiblePage()->objectName(), QStringLiteral("pgctrlA64"));
    window.close();
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/config.ini")));
}

TEST(StartupTest, MissingConfigurationFileIsReported) {
    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=1\nPositionTop=1\n"),
               {QStringLiteral("/nonexistent/x.msr")});
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(
        rig.messages.texts(),
        QStringList{QStringLiteral("Could not find configuration file \"/nonexistent/x.msr\".")});
    EXPECT_FALSE(rig.window->configurationApplied());
    EXPECT_TRUE(rig.window->configurationNamed());
}

}  // namespace
}  // namespace zandro
