#include <gtest/gtest.h>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTabWidget>
#include <map>
#include <set>

#include "GuiFixture.h"
#include "Screenshots.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

// A picture counts as blank when one colour covers nearly all of it.
bool looksBlank(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    int most = 0;
    for (const auto& [colour, n] : counts)
        most = std::max(most, n);
    return counts.size() < 3 || most > image.width() * image.height() * 98 / 100;
}

QByteArray contentHash(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The files among files whose bytes repeat those of an earlier one, as "copy = original".
QStringList byteCopies(const QStringList& files) {
    std::map<QByteArray, QString> seen;
    QStringList copies;
    for (const QString& file : files) {
        const auto [it, added] = seen.emplace(contentHash(file), file);
        if (!added)
            copies.append(QFileInfo(file).fileName() + " = " + QFileInfo(it->second).fileName());
    }
    return copies;
}

// The tool's pictures, taken once for the tests below.
class ScreenshotsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::ensureApplication();
        s_dir = new test::TempDir;
        s_shots = new std::vector<Screenshot>(
            takeScreenshots(QString::fromStdString(s_dir->path()), &s_notes));
    }
    static void TearDownTestSuite() {
        delete s_shots;
        delete s_dir;
    }
    static std::set<QString> names() {
        std::set<QString> files;
        for (const Screenshot& shot : *s_shots)
            files.insert(QFileInfo(shot.file).fileName());
        return files;
    }
    static test::TempDir* s_dir;
    static std::vector<Screenshot>* s_shots;
    static QStringList s_notes;
};
test::TempDir* ScreenshotsTest::s_dir = nullptr;
std::vector<Screenshot>* ScreenshotsTest::s_shots = nullptr;
QStringList ScreenshotsTest::s_notes;

TEST_F(ScreenshotsTest, EveryTabOfEveryPageAndWindowIsShotAtItsSizeAndNotBlank) {
    EXPECT_EQ(s_notes.join('|').toStdString(), "");
    for (const Screenshot& shot : *s_shots) {
        const QImage image(shot.file);
        ASSERT_FALSE(image.isNull()) << shot.file.toStdString();
        EXPECT_EQ(image.size(), shot.size) << shot.file.toStdString();
        EXPECT_FALSE(looksBlank(image)) << shot.file.toStdString();
    }

    // Every tab sheet of every family page the main window holds, whichever profile shows it.
    const std::set<QString> files = names();
    test::GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    const QList<FamilyPage*> pages = rig.window->findChildren<FamilyPage*>();
    EXPECT_EQ(pages.size(), qsizetype(kFamilyCount));
    for (FamilyPage* page : pages) {
        page->ensureBuilt();  // only the page on screen is built at start-up
        EXPECT_GT(page->count(), 0) << page->objectName().toStdString();
        EXPECT_TRUE(files.count("main-" + page->objectName() + ".png"))
            << page->objectName().toStdString();
        for (int i = 0; i < page->count(); ++i) {
            const QString name =
                page->objectName() + QLatin1Char('-') + page->widget(i)->objectName() + ".png";
            EXPECT_TRUE(files.count(name)) << name.toStdString();
        }
    }
    for (const char* window :
         {"TfrmSettings-TabSheet1.png", "TfrmSettings-TabSheet2.png", "TfrmAbout.png",
          "TfrmGlobalMSR-Global_APIC.png", "TfrmGlobalMSR-Global_MachineCheck.png"})
        EXPECT_TRUE(files.count(QString::fromLatin1(window))) << window;
}

// Each page is shot from a processor that has its registers, after its watches fired: the only
// panel left at "---" is a transition report, which only a multiplier change fills.
TEST_F(ScreenshotsTest, NoPanelShowsAValueNotRead) {
    for (const Screenshot& shot : *s_shots) {
        for (const QString& panel : shot.unreadPanels) {
            if (!panel.endsWith(QLatin1String("_TransitionReport")))
                ADD_FAILURE() << QFileInfo(shot.file).fileName().toStdString() << ": "
                              << panel.toStdString() << " shows ---";
        }
    }
}

TEST_F(ScreenshotsTest, NoPictureIsAByteCopyOfAnother) {
    QStringList files;
    for (const Screenshot& shot : *s_shots)
        files.append(shot.file);
    EXPECT_EQ(byteCopies(files).join('|').toStdString(), "");
}

// docs/screenshots holds what the tool makes, no copies, and each picture is shown by the README
// or a guide.
TEST_F(ScreenshotsTest, TheCommittedScreenshotsAreTheToolsAndEachIsShown) {
    const QDir source(QStringLiteral(ZANDRO_SOURCE_DIR));
    const QDir folder(source.filePath(QStringLiteral("docs/screenshots")));
    QStringList committed = folder.entryList({QStringLiteral("*.png")}, QDir::Files);
    committed.sort();
    QStringList made;
    for (const QString& name : names())
        made.append(name);
    EXPECT_EQ(committed.join(' ').toStdString(), made.join(' ').toStdString())
        << "tools/screenshots.sh makes them again";

    QStringList paths;
    for (const QString& name : committed)
        paths.append(folder.filePath(name));
    EXPECT_EQ(byteCopies(paths).join('|').toStdString(), "");

    QString markdown;
    QFile readme(source.filePath(QStringLiteral("README.md")));
    if (readme.open(QIODevice::ReadOnly))
        markdown += QString::fromUtf8(readme.readAll());
    QDirIterator docs(source.filePath(QStringLiteral("docs")), {QStringLiteral("*.md")},
                      QDir::Files, QDirIterator::Subdirectories);
    while (docs.hasNext()) {
        QFile md(docs.next());
        if (md.open(QIODevice::ReadOnly))
            markdown += QString::fromUtf8(md.readAll());
    }
    for (const QString& name : committed)
        EXPECT_TRUE(markdown.contains(QStringLiteral("screenshots/") + name + QLatin1Char(')')))
            << name.toStdString() << " is shown nowhere";
}

}  // namespace
}  // namespace zandro
