#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "GuiFixture.h"
#include "app/SettingsLocation.h"

namespace zandro {
namespace {

// A fake install prefix and a build tree, each holding an executable named zandro.
struct Trees {
    QTemporaryDir dir;
    QString bin() const { return dir.path() + QStringLiteral("/prefix/bin"); }
    QString build() const { return dir.path() + QStringLiteral("/build/src"); }
    Trees() {
        for (const QString& folder : {bin(), build()}) {
            QDir().mkpath(folder);
            QFile exe(folder + QStringLiteral("/zandro"));
            exe.open(QIODevice::WriteOnly);
        }
    }
};

using test::ScopedEnv;

TEST(SettingsLocationTest, AnyOtherCopyKeepsConfigBesideItself) {
    Trees t;
    EXPECT_EQ(SettingsLocation::settingsFile(t.build() + QStringLiteral("/zandro"), t.bin()),
              t.build() + QStringLiteral("/config.ini"));
    // Without a configured install folder every copy counts as portable.
    EXPECT_EQ(SettingsLocation::settingsFile(t.bin() + QStringLiteral("/zandro"), QString()),
              t.bin() + QStringLiteral("/config.ini"));
}

TEST(SettingsLocationTest, InstalledCopyUsesXdgConfigHomeAndCreatesTheFolder) {
    Trees t;
    const QString home = t.dir.path() + QStringLiteral("/xdg");
    ScopedEnv env("XDG_CONFIG_HOME", home);
    const QString file =
        SettingsLocation::settingsFile(t.bin() + QStringLiteral("/zandro"), t.bin());
    EXPECT_EQ(file, home + QStringLiteral("/zandro/config.ini"));
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/zandro")).isDir());
}

TEST(SettingsLocationTest, InstalledCopyFallsBackToDotConfig) {
    Trees t;
    ScopedEnv home("HOME", t.dir.path() + QStringLiteral("/home"));
    for (const QString& value : {QString(), QStringLiteral(""), QStringLiteral("relative/cfg")}) {
        ScopedEnv env("XDG_CONFIG_HOME", value);
        EXPECT_EQ(SettingsLocation::settingsFile(t.bin() + QStringLiteral("/zandro"), t.bin()),
                  QDir::homePath() + QStringLiteral("/.config/zandro/config.ini"))
            << value.toStdString();
    }
}

// Root started by pkexec (HOME=/root) and by the boot unit or the sleep hook (no HOME) finds
// one folder: without HOME the password database names it.
TEST(SettingsLocationTest, WithoutHomeThePasswordDatabaseNamesTheHomeFolder) {
    Trees t;
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    const QString database = QFile::decodeName(entry->pw_dir);
    ScopedEnv xdg("XDG_CONFIG_HOME", QString());
    for (const QString& home : {QString(), QStringLiteral(""), database}) {
        ScopedEnv env("HOME", home);
        EXPECT_EQ(SettingsLocation::homeFolder(), database);
    }
    ScopedEnv other("HOME", t.dir.path());
    EXPECT_EQ(SettingsLocation::homeFolder(), t.dir.path());
}

TEST(SettingsLocationTest, LinksAreResolvedBeforeComparing) {
    Trees t;
    const QString link = t.dir.path() + QStringLiteral("/zandro-link");
    ASSERT_TRUE(QFile::link(t.bin() + QStringLiteral("/zandro"), link));
    EXPECT_TRUE(SettingsLocation::isInstalledCopy(link, t.bin()));
    EXPECT_TRUE(SettingsLocation::isInstalledCopy(t.bin() + QStringLiteral("/zandro"),
                                                  t.bin() + QStringLiteral("/../bin/")));
    EXPECT_FALSE(SettingsLocation::isInstalledCopy(t.build() + QStringLiteral("/zandro"), t.bin()));
    // A prefix that is not installed at all matches nothing.
    EXPECT_FALSE(SettingsLocation::isInstalledCopy(t.build() + QStringLiteral("/zandro"),
                                                   t.dir.path() + QStringLiteral("/nowhere")));
}

// The installed copy is the one whose prefix holds the marker, wherever that prefix is.
TEST(SettingsLocationTest, TheMarkerBesideTheBinFolderMakesTheInstalledCopy) {
    Trees t;
    ASSERT_FALSE(SettingsLocation::installedMarker().isEmpty());
    const QString exe = t.bin() + QStringLiteral("/zandro");
    EXPECT_EQ(SettingsLocation::installBinFolder(exe), QString());
    const QString marker = QDir(t.bin()).filePath(SettingsLocation::installedMarker());
    QDir().mkpath(QFileInfo(marker).absolutePath());
    QFile(marker).open(QIODevice::WriteOnly);
    EXPECT_EQ(SettingsLocation::installBinFolder(exe), QFileInfo(t.bin()).canonicalFilePath());
    EXPECT_EQ(SettingsLocation::installBinFolder(t.build() + QStringLiteral("/zandro")), QString());
    ScopedEnv env("XDG_CONFIG_HOME", t.dir.path() + QStringLiteral("/xdg"));
    EXPECT_EQ(SettingsLocation::settingsFile(exe),
              t.dir.path() + QStringLiteral("/xdg/zandro/config.ini"));
}

}  // namespace
}  // namespace zandro
