#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QRegularExpression>
#include <QTabWidget>

#include "GuiFixture.h"
#include "app/ConfigurationRun.h"
#include "app/SettingsLocation.h"
#include "families/FamilyPage.h"
#include "sim/SimProfiles.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::saveConfigurationAs;

using test::ScopedEnv;

// Saving a configuration file through a link writes the link's target; a FIFO is refused with
// a message naming it and left as it was.
TEST(SavedFileTest, SavingFollowsLinksAndRefusesWhatIsNotAFile) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    test::writeFile(rig.dir.file("real.msr"), "old");
    ASSERT_EQ(::symlink("real.msr", rig.dir.file("boot.msr").c_str()), 0);
    saveConfigurationAs(rig, rig.dir.file("boot.msr"));
    struct stat st {};
    ASSERT_EQ(::lstat(rig.dir.file("boot.msr").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(test::readFile(rig.dir.file("real.msr")).substr(1, 6), "ZANDRO");

    ASSERT_EQ(::mkfifo(rig.dir.file("pipe.msr").c_str(), 0644), 0);
    saveConfigurationAs(rig, rig.dir.file("pipe.msr"));
    ASSERT_EQ(::lstat(rig.dir.file("pipe.msr").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(rig.messages.texts(),
              QStringList{QStringLiteral("Could not create file.\n\r\"%1\" is not a regular file; "
                                         "it was left as it is.")
                              .arg(QString::fromStdString(rig.dir.file("pipe.msr")))});
}

// config.ini through a link reaches the target; one that is a FIFO is reported once and left.
TEST(SavedFileTest, SettingsFollowLinksAndRefuseWhatIsNotAFile) {
    {
        GuiRig rig("athlon64", QString());
        test::writeFile(rig.dir.file("shared.ini"),
                        "[MainWindow]\nPositionLeft=5\nPositionTop=5\n");
        ASSERT_EQ(::symlink("shared.ini", rig.dir.file("config.ini").c_str()), 0);
        ASSERT_TRUE(rig.start());
        rig.window->close();
        struct stat st {};
        ASSERT_EQ(::lstat(rig.dir.file("config.ini").c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_NE(test::readFile(rig.dir.file("shared.ini")).find("FIDSystemBusCycles=1000"),
                  std::string::npos);
    }
    GuiRig rig("athlon64", QString());
    ASSERT_EQ(::mkfifo(rig.dir.file("config.ini").c_str(), 0644), 0);
    ASSERT_TRUE(rig.start());
    rig.window->close();
    struct stat st {};
    ASSERT_EQ(::lstat(rig.dir.file("config.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    const QStringList errors = rig.messages.texts().filter(QStringLiteral("settings"));
    ASSERT_EQ(errors.size(), 1) << rig.messages.texts().join('|').toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("config.ini: not a regular file")))
        << errors[0].toStdString();
}

// The installed copy as the desktop's pkexec starts it (HOME=/root) and as the boot unit and the
// sleep hook start it (no HOME, or an empty one): root's home folder from the password database
// stands in a temporary folder here.
QString s_rootHome;
QString rootHome() {
    return s_rootHome;
}

struct InstalledCopy {
    test::TempDir dir;
    QString bin() const { return QString::fromStdString(dir.file("bin")); }
    InstalledCopy() {
        QDir().mkpath(bin());
        test::writeFile(dir.file("bin/zandro"), "");
        s_rootHome = QString::fromStdString(dir.file("root"));
        SettingsLocation::setPasswordHomeLookup(rootHome);
    }
    ~InstalledCopy() { SettingsLocation::setPasswordHomeLookup(nullptr); }
};

TEST(SavedFileTest, AFileAppliesTheSameWhateverHomeTheProgramIsStartedWith) {
    test::ensureApplication();
    InstalledCopy installed;
    ScopedEnv xdg("XDG_CONFIG_HOME", QString());
    QDir().mkpath(s_rootHome + QStringLiteral("/.config/zandro"));
    test::writeFile(installed.dir.file("root/.config/zandro/config.ini"),
                    "[MainWindow]\nPositionLeft=0\nPositionTop=0\n[Settings]\nHalfMultis=1\n");
    const std::string file = installed.dir.file("x2.msr");
    {
        ScopedEnv home("HOME", s_rootHome);
        test::SimRig sim("athlon64-x2");
        test::MessageRecorder messages;
        TfrmMSR window(sim.platform, sim.msr,
                       {{}, installed.bin() + QStringLiteral("/zandro"), installed.bin()});
        ASSERT_TRUE(window.FormCreate());
        auto* list = window.findChild<QComboBox*>(QStringLiteral("A64_MultiplierCombo"));
        const int fiveX = list->findText(QStringLiteral("5.0x"), Qt::MatchStartsWith);
        ASSERT_GE(fiveX, 0);
        list->setCurrentIndex(fiveX);
        test::SaveAnswer answer(file);
        window.SaveConfiguration();
    }
    for (const QString& home : {QString(), QStringLiteral("")}) {
        SCOPED_TRACE(home.isNull() ? "no HOME" : "empty HOME");
        ScopedEnv env("HOME", home);
        test::SimRig sim("athlon64-x2");
        test::MessageRecorder messages;
        TfrmMSR window(sim.platform, sim.msr,
                       {{QString::fromStdString(file)},
                        installed.bin() + QStringLiteral("/zandro"),
                        installed.bin()});
        ASSERT_TRUE(window.FormCreate()) << "no settings found: the first-run warning came";
        EXPECT_TRUE(window.configurationApplied());
        for (unsigned cpu : {0u, 1u})
            EXPECT_EQ(sim.reg(0xC0010042, cpu) & 0x3F, 2u) << cpu;  // FID 2: 5.0x
    }
}

constexpr uint32_t kTimeStampCounter = 0x10;

// Saved right after start and applied on a fresh machine of the same profile, a file sets every
// register to what the saving machine holds: lists that follow their registers save the state.
TEST(SavedFileTest, AFileSavedUntouchedAppliesTheSameRegistersOnEveryProfile) {
    for (const SimProfileInfo& profile : simProfiles()) {
        if (profile.name == "unknown")
            continue;
        SCOPED_TRACE(profile.name);
        GuiRig saved(profile.name);
        ASSERT_TRUE(saved.start());
        const std::string path = saved.dir.file("untouched.msr");
        saveConfigurationAs(saved, path);
        GuiRig applied(profile.name, QStringLiteral("[Settings]\n"),
                       {QString::fromStdString(path)});
        ASSERT_TRUE(applied.start());
        EXPECT_TRUE(applied.window->configurationApplied());
        for (const auto& [n, processor] : saved.sim.machine.cpus) {
            for (const auto& [index, value] : processor.msrs) {
                if (index == kTimeStampCounter)
                    continue;
                EXPECT_EQ(applied.sim.reg(index, n), value) << n << std::hex << " msr " << index;
            }
        }
    }
}

// One unrelated click on a K7, saved, applied on a fresh machine: C001001Bh stays as it was.
TEST(SavedFileTest, AK7FileKeepsTheClockControlRegister) {
    constexpr uint32_t kClockControl = 0xC001001B;
    for (const char* profile : {"athlon", "athlon-mobile", "athlon-thunderbird"}) {
        SCOPED_TRACE(profile);
        GuiRig saved(profile);
        ASSERT_TRUE(saved.start());
        const uint64_t clockControl = saved.sim.reg(kClockControl);
        saved.act(QStringLiteral("tab:K7_Features"));
        saved.act(QStringLiteral("click:K7_SystemCallExtensionEN"));
        saveConfigurationAs(saved, saved.dir.file("sce.msr"));
        GuiRig applied(profile, QStringLiteral("[Settings]\n"),
                       {QString::fromStdString(saved.dir.file("sce.msr"))});
        ASSERT_TRUE(applied.start());
        EXPECT_EQ(applied.sim.reg(kClockControl), clockControl);
    }
}

// After a file is applied with NOCLOSE the processor box names the processor the process is
// bound to, which the next click writes.
TEST(SavedFileTest, AfterApplyingTheProcessorBoxShowsTheBoundProcessor) {
    GuiRig saved("athlon64-x2");
    ASSERT_TRUE(saved.start());
    saveConfigurationAs(saved, saved.dir.file("x2.msr"));
    for (const char* processor : {"1", "32"}) {
        SCOPED_TRACE(processor);
        GuiRig rig("athlon64-x2", QStringLiteral("[Settings]\n"),
                   {QString::fromStdString(saved.dir.file("x2.msr")), QLatin1String(processor),
                    QStringLiteral("NOCLOSE")});
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(rig.window->CPUSelect_Combo->currentText(), QStringLiteral("1"));
        rig.takeTrace();
        rig.act(QStringLiteral("tab:A64_Features"));
        rig.act(QStringLiteral("click:A64_SystemCallExtensionDIS"));
        EXPECT_FALSE(rig.takeTrace()
                         .filter(QRegularExpression(QStringLiteral("^1 wrmsr c0000080 ")))
                         .isEmpty());
    }
}

}  // namespace
}  // namespace zandro
