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

using test::ScopedEnv;

void save(GuiRig& rig, const std::string& path) {
    test::saveConfigurationAs(rig, path);
}

// Saving a configuration file through a link writes the link's target; a FIFO is refused with
// a message naming it and left as it was.
TEST(SavedFileTest, SavingFollowsLinksAndRefusesWhatIsNotAFile) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    test::writeFile(rig.dir.file("real.msr"), "old");
    ASSERT_EQ(::symlink("real.msr", rig.dir.file("boot.msr").c_str()), 0);
    save(rig, rig.dir.file("boot.msr"));
    struct stat st {};
    ASSERT_EQ(::lstat(rig.dir.file("boot.msr").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(test::readFile(rig.dir.file("real.msr")).substr(1, 6), "ZANDRO");

    ASSERT_EQ(::mkfifo(rig.dir.file("pipe.msr").c_str(), 0644), 0);
    save(rig, rig.dir.file("pipe.msr"));
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

}  // namespace
}  // namespace zandro
