#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "GuiFixture.h"
#include "app/IniFile.h"
#include "app/SettingsStore.h"
#include "app/TfrmSettings.h"

namespace zandro {
namespace {

using test::GuiRig;

TfrmSettings* openSettings(GuiRig& rig) {
    rig.act(QStringLiteral("click:sbtnConfiguration"));
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<TfrmSettings*>(top); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

TEST(ConfigurationWindowTest, ShowsTheFlagsAndStoresThemOnOk) {
    GuiRig rig("athlon64", QStringLiteral("[Settings]\nuser_protection=0\n"));
    ASSERT_TRUE(rig.start());
    TfrmSettings* dialog = openSettings(rig);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Configuration"));
    EXPECT_FALSE(dialog->Config_User_protectionCheckBox->isChecked());
    EXPECT_FALSE(dialog->Config_RealPriorityCheckBox->isChecked());
    EXPECT_FALSE(dialog->Config_HalfMultisCheckBox->isChecked());
    rig.act(QStringLiteral("click:Config_User_protectionCheckBox"));
    rig.act(QStringLiteral("click:Config_HalfMultisCheckBox"));
    rig.takeTrace();
    rig.act(QStringLiteral("click:btnOK"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(rig.window->flags().UserProtection);
    EXPECT_TRUE(rig.window->flags().HalfMultipliers);
    EXPECT_FALSE(rig.window->flags().RealTimePriority);
    const QString ini = rig.configText();
    EXPECT_TRUE(ini.contains(QLatin1String("user_protection=1")));
    EXPECT_TRUE(ini.contains(QLatin1String("HalfMultis=1")));
    EXPECT_TRUE(ini.contains(QLatin1String("RealPriority=0")));
    // OK ends in a refresh of the lists and the page.
    EXPECT_FALSE(rig.takeTrace().filter(QStringLiteral("rdmsr c0010042")).isEmpty());
}

TEST(ConfigurationWindowTest, TabBringsItsSheetsToTheFront) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    TfrmSettings* dialog = openSettings(rig);
    ASSERT_NE(dialog, nullptr);
    auto* pages = dialog->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (const char* sheet : {"TabSheet2", "TabSheet1"}) {
        rig.act(QStringLiteral("tab:") + QLatin1String(sheet));
        EXPECT_EQ(pages->currentWidget()->objectName(), QLatin1String(sheet));
    }
}

TEST(ConfigurationWindowTest, OkWithUnchangedBoxesStillRewritesAndRefreshes) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    ASSERT_NE(openSettings(rig), nullptr);
    rig.takeTrace();
    rig.act(QStringLiteral("click:btnOK"));
    const QString ini = rig.configText();
    EXPECT_TRUE(
        ini.contains(QLatin1String("[Settings]\nuser_protection=1\nRealPriority=0\nHalfMultis=0")));
    EXPECT_FALSE(rig.takeTrace().isEmpty());
}

TEST(ConfigurationWindowTest, ClosingWithoutOkChangesNothing) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    TfrmSettings* dialog = openSettings(rig);
    ASSERT_NE(dialog, nullptr);
    rig.act(QStringLiteral("click:Config_User_protectionCheckBox"));
    dialog->close();
    EXPECT_TRUE(rig.window->flags().UserProtection);
    EXPECT_FALSE(rig.configText().contains(QLatin1String("user_protection")));
}

TEST(ConfigurationWindowTest, LayoutAndTexts) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    TfrmSettings* dialog = openSettings(rig);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->size(), QSize(287, 277));
    EXPECT_EQ(dialog->btnOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(dialog->btnOK->geometry(), QRect(0, 250, 286, 25));
    EXPECT_EQ(dialog->BitBtn1->text(), QStringLiteral("Save Current Configuration"));
    EXPECT_EQ(dialog->Config_HalfMultisCheckBox->text(), QStringLiteral("Allow .5x multipliers"));
    dialog->close();
}

// Two instances on one config.ini, and the user's editor beside them: whoever writes last must
// not take back what the others wrote meanwhile.
TEST(ConfigurationWindowTest, ClosingKeepsWhatOthersWroteMeanwhile) {
    GuiRig first("athlon64");
    ASSERT_TRUE(first.start());
    TfrmMSR second(first.sim.platform, first.sim.msr,
                   TfrmMSR::Startup{{}, QString::fromStdString(first.dir.file("zandro"))});
    Automation secondActions(second);
    ASSERT_TRUE(second.FormCreate());
    QString why;
    ASSERT_TRUE(secondActions.run(QStringLiteral("click:sbtnConfiguration"), &why));
    ASSERT_TRUE(secondActions.run(QStringLiteral("click:Config_User_protectionCheckBox"), &why));
    ASSERT_TRUE(secondActions.run(QStringLiteral("click:btnOK"), &why));
    ASSERT_TRUE(first.configText().contains(QLatin1String("user_protection=0")));
    test::writeFile(first.configPath().toStdString(),
                    first.configText().toStdString() + "[Mine]\nnote=kept\n");

    first.window->close();
    const QString ini = first.configText();
    EXPECT_TRUE(ini.contains(QLatin1String("user_protection=0")));
    EXPECT_TRUE(ini.contains(QLatin1String("[Mine]\nnote=kept")));
    EXPECT_TRUE(ini.contains(QLatin1String("FIDSystemBusCycles=1000")));
}

TEST(IniFileTest, KeepsUnknownLinesAndUpdatesInPlace) {
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("config.ini"));
    test::writeFile(path.toStdString(),
                    "; a comment\n[mainwindow]\npositionleft=5\njunk line\n\n[Other]\nx=1\n");
    IniFile ini(path);
    ini.load();
    EXPECT_EQ(ini.value(QStringLiteral("MainWindow"), QStringLiteral("PositionLeft")),
              QStringLiteral("5"));
    EXPECT_FALSE(ini.value(QStringLiteral("MainWindow"), QStringLiteral("x")).has_value());
    ini.setValue(QStringLiteral("MainWindow"), QStringLiteral("PositionLeft"), QStringLiteral("7"));
    ini.setValue(QStringLiteral("MainWindow"), QStringLiteral("PositionTop"), QStringLiteral("8"));
    ini.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v=w"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(test::readFile(path.toStdString()),
              "; a comment\n[mainwindow]\nPositionLeft=7\njunk "
              "line\nPositionTop=8\n\n[Other]\nx=1\n\n[New]\nk=v=w\n");
    IniFile again(path);
    again.load();
    EXPECT_EQ(again.value(QStringLiteral("new"), QStringLiteral("K")), QStringLiteral("v=w"));
}

TEST(IniFileTest, CarriageReturnLineEndsAndMissingFile) {
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("config.ini"));
    IniFile missing(path);
    missing.load();
    EXPECT_FALSE(missing.exists());
    EXPECT_FALSE(missing.value(QStringLiteral("A"), QStringLiteral("b")).has_value());
    test::writeFile(path.toStdString(), "[Settings]\r\nHalfMultis=0x1\r\n");
    SettingsStore store(path);
    EXPECT_TRUE(store.readBool(QStringLiteral("Settings"), QStringLiteral("HalfMultis"), false));
    EXPECT_TRUE(store.readBool(QStringLiteral("Settings"), QStringLiteral("Missing"), true));
}

// Closing writes back keys that mostly kept their values; only a change replaces the file.
TEST(IniFileTest, SavingWhatTheFileHoldsLeavesItAlone) {
    test::TempDir dir;
    const std::string path = dir.file("config.ini");
    test::writeFile(path, "[A]\nb=1\n");
    const auto inode = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_ino;
    };
    const ino_t before = inode();
    IniFile ini(QString::fromStdString(path));
    ini.load();
    ini.setValue(QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("1"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(inode(), before);
    ini.setValue(QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("2"));
    ASSERT_TRUE(ini.save());
    EXPECT_NE(inode(), before);
    EXPECT_EQ(test::readFile(path), "[A]\nb=2\n");
}

TEST(SettingsStoreTest, IntegerRule) {
    EXPECT_EQ(SettingsStore::parseInteger(QStringLiteral("0x1F")), 31);
    EXPECT_EQ(SettingsStore::parseInteger(QStringLiteral("0XfF")), 255);
    EXPECT_EQ(SettingsStore::parseInteger(QStringLiteral("-3")), -3);
    EXPECT_EQ(SettingsStore::parseInteger(QStringLiteral(" 12 ")), 12);
    EXPECT_FALSE(SettingsStore::parseInteger(QStringLiteral("")).has_value());
    EXPECT_FALSE(SettingsStore::parseInteger(QStringLiteral("0x")).has_value());
    EXPECT_FALSE(SettingsStore::parseInteger(QStringLiteral("yes")).has_value());
    EXPECT_FALSE(SettingsStore::parseInteger(QStringLiteral("1.5")).has_value());
}

}  // namespace
}  // namespace zandro

namespace zandro {
namespace {

TEST(AboutWindowTest, OpensFromTheTopRowWithItsTexts) {
    test::GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:abtnAbout"));
    QWidget* about = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("TfrmAbout") && top->isVisible())
            about = top;
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about->size(), QSize(286, 205));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("Label6"))->text(),
              QStringLiteral("Version: 0.90"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Idea, programming:"));
    EXPECT_FALSE(about->findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
    about->close();
}

}  // namespace
}  // namespace zandro
