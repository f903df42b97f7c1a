#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "GuiFixture.h"
#include "app/FileAssociation.h"

namespace zandro {
namespace {

using test::GuiRig;

// Points XDG_DATA_HOME at a temporary folder for one test.
class DataHome {
public:
    DataHome() : m_old(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_dir.path()));
    }
    ~DataHome() {
        if (m_old.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_old);
    }
    QString path() const { return QString::fromStdString(m_dir.path()); }

private:
    test::TempDir m_dir;
    QByteArray m_old;
};

QStringList filesUnder(const QString& root) {
    QStringList files;
    QDir dir(root);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString full = root + QLatin1Char('/') + entry;
        if (QFileInfo(full).isDir())
            files += filesUnder(full);
        else
            files.append(full);
    }
    return files;
}

TEST(FileAssociationTest, InstallRegWritesTheAssociationAndOpensTheWindow) {
    DataHome home;
    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=1\nPositionTop=1\n"),
               {QStringLiteral("installreg")});
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(
        rig.messages.texts(),
        QStringList{QStringLiteral("System registry association of .MSR files was succesful.")});
    EXPECT_EQ(rig.messages.shown[0].kind, MsgKind::Information);
    const AssociationFiles files = associationFiles();
    EXPECT_EQ(files.dataHome, home.path());
    const QString entry =
        QString::fromStdString(test::readFile(files.desktopEntry().toStdString()));
    EXPECT_TRUE(entry.contains(QStringLiteral("Exec=pkexec ") +
                               QString::fromStdString(rig.dir.file("zandro")) +
                               QStringLiteral(" %f 32\n")));
    const QString mime = QString::fromStdString(test::readFile(files.mimePackage().toStdString()));
    EXPECT_TRUE(mime.contains(QLatin1String("<glob pattern=\"*.msr\"/>")));
    EXPECT_TRUE(mime.contains(QLatin1String("<comment>ZANDRO MSR configuration file</comment>")));
    EXPECT_TRUE(QString::fromStdString(test::readFile(files.mimeApps().toStdString()))
                    .contains(QLatin1String("application/x-zandro-msr=zandro-msrfile.desktop")));
    // The window opens normally, and the word is not taken for a configuration file.
    EXPECT_FALSE(rig.window->configurationNamed());
    EXPECT_NE(rig.window->visiblePage(), nullptr);
}

TEST(FileAssociationTest, UninstallRemovesExactlyWhatWasWritten) {
    DataHome home;
    const AssociationFiles files = associationFiles();
    QDir().mkpath(home.path() + QStringLiteral("/applications"));
    test::writeFile(files.mimeApps().toStdString(),
                    "[Default Applications]\ntext/plain=editor.desktop\n");
    const QStringList before = filesUnder(home.path());
    QString error;
    ASSERT_TRUE(writeAssociation(files, QStringLiteral("/opt/zandro/zandro"), &error))
        << error.toStdString();
    EXPECT_TRUE(QFile::exists(files.desktopEntry()));

    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=1\nPositionTop=1\n"),
               {QStringLiteral("UNINSTALLREG")});
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(
        rig.messages.texts(),
        QStringList{QStringLiteral("System registry de-association of .MSR files was succesful.")});
    for (const QString& path : {files.desktopEntry(), files.mimePackage(), files.icon()})
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    EXPECT_EQ(test::readFile(files.mimeApps().toStdString()),
              "[Default Applications]\ntext/plain=editor.desktop\n");
    for (const QString& path : before)
        EXPECT_TRUE(QFile::exists(path));
}

TEST(FileAssociationTest, UninstallTakesOnlyOurEntryOutOfListsThatDesktopToolsRewrote) {
    DataHome home;
    const AssociationFiles files = associationFiles();
    ASSERT_TRUE(writeAssociation(files, QStringLiteral("/opt/zandro/zandro"), nullptr));
    // As a desktop tool leaves the file: our entry with a trailing ';', one beside another
    // program's, and another program's own line for the type.
    test::writeFile(files.mimeApps().toStdString(),
                    "[Default Applications]\n"
                    "application/x-zandro-msr=zandro-msrfile.desktop;\n"
                    "text/plain=editor.desktop\n"
                    "\n[Added Associations]\n"
                    "application/x-zandro-msr=hexedit.desktop;zandro-msrfile.desktop;\n"
                    "\n[Removed Associations]\n"
                    "application/x-zandro-msr=zandro-msrfile.desktop;\n");
    removeAssociation(files);
    EXPECT_EQ(test::readFile(files.mimeApps().toStdString()),
              "[Default Applications]\n"
              "text/plain=editor.desktop\n"
              "\n[Added Associations]\n"
              "application/x-zandro-msr=hexedit.desktop;\n"
              "\n[Removed Associations]\n"
              "application/x-zandro-msr=zandro-msrfile.desktop;\n");
}

TEST(FileAssociationTest, AFailedInstallKeepsTheEarlierAssociation) {
    DataHome home;
    const AssociationFiles files = associationFiles();
    ASSERT_TRUE(writeAssociation(files, QStringLiteral("/opt/zandro/zandro"), nullptr));
    const std::string entry = test::readFile(files.desktopEntry().toStdString());
    const std::string lists = test::readFile(files.mimeApps().toStdString());
    // The icon's place is taken by a folder, so the second install fails part-way.
    QFile::remove(files.icon());
    QDir().mkpath(files.icon());
    QString error;
    EXPECT_FALSE(writeAssociation(files, QStringLiteral("/usr/bin/other"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(test::readFile(files.desktopEntry().toStdString()), entry);
    EXPECT_EQ(test::readFile(files.mimeApps().toStdString()), lists);
    EXPECT_TRUE(QFile::exists(files.mimePackage()));
}

TEST(FileAssociationTest, RemovingANonexistentAssociationStillReportsSuccess) {
    DataHome home;
    GuiRig rig("athlon64", QStringLiteral("[MainWindow]\nPositionLeft=1\nPositionTop=1\n"),
               {QStringLiteral("UnInstallReg")});
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(
        rig.messages.texts(),
        QStringList{QStringLiteral("System registry de-association of .MSR files was succesful.")});
}

TEST(FileAssociationTest, UnwritableDataHomeIsReportedAndLeavesNothing) {
    DataHome home;
    // A file where a folder must go: even root cannot create below it.
    test::writeFile((home.path() + QStringLiteral("/applications")).toStdString(), "x");
    QString error;
    EXPECT_FALSE(
        writeAssociation(associationFiles(), QStringLiteral("/opt/zandro/zandro"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(associationFiles().mimePackage()));
}

// With the database tools at hand, what they built from our files goes with them.
TEST(FileAssociationTest, UninstallLeavesNoDatabaseItMadeBehind) {
    if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
        GTEST_SKIP() << "no update-mime-database or update-desktop-database";
    DataHome home;
    const AssociationFiles files = associationFiles();
    ASSERT_TRUE(writeAssociation(files, QStringLiteral("/opt/zandro/zandro"), nullptr));
    EXPECT_TRUE(QFile::exists(home.path() + QStringLiteral("/mime/mime.cache")));
    EXPECT_TRUE(QFile::exists(home.path() + QStringLiteral("/applications/mimeinfo.cache")));
    removeAssociation(files);
    EXPECT_EQ(filesUnder(home.path()), QStringList());
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // Another program's package and entry stay, with databases built without ours.
    ASSERT_TRUE(writeAssociation(files, QStringLiteral("/opt/zandro/zandro"), nullptr));
    test::writeFile((home.path() + QStringLiteral("/mime/packages/other.xml")).toStdString(),
                    "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/"
                    "standards/shared-mime-info\"><mime-type type=\"text/x-other\">"
                    "<glob pattern=\"*.oth\"/></mime-type></mime-info>\n");
    test::writeFile((home.path() + QStringLiteral("/applications/other.desktop")).toStdString(),
                    "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n"
                    "MimeType=text/x-other;\n");
    removeAssociation(files);
    const QString globs = QString::fromStdString(
        test::readFile((home.path() + QStringLiteral("/mime/globs2")).toStdString()));
    EXPECT_TRUE(globs.contains(QLatin1String("*.oth")));
    EXPECT_FALSE(globs.contains(QLatin1String("*.msr")));
    const QString cache = QString::fromStdString(test::readFile(
        (home.path() + QStringLiteral("/applications/mimeinfo.cache")).toStdString()));
    EXPECT_TRUE(cache.contains(QLatin1String("other.desktop")));
    EXPECT_FALSE(cache.contains(QLatin1String("zandro")));
}

}  // namespace
}  // namespace zandro
