#include <gtest/gtest.h>
#include <QScrollBar>
#include <QToolButton>

#include "GuiFixture.h"
#include "app/FamilyIconColumn.h"
#include "core/MsrBuffer.h"
#include "families/FamilyRegistry.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::GuiRig;

// A family the program is not built with, added the way any new one is: a page for the simulated
// Ryzen that shows its hardware configuration register.
constexpr FamilyKind kZen = FamilyKind(kFamilyCount);
constexpr uint32_t kHwcr = 0xC0010015;

class ZenPage : public FamilyPage {
public:
    ZenPage(const PageContext& context, QWidget* parent, PageBuild build)
        : FamilyPage(QStringLiteral("pgctrlZen"), kZen, context, parent) {
        if (build == PageBuild::Now)
            ensureBuilt();
    }

    void refreshStatus() override {
        MsrBuffer& msr = context().msr;
        msr.Index = kHwcr;
        msr.ReadMsr();
        m_hwcr->showRead(msr, QStringLiteral("%1").arg(msr.Low, 8, 16, QLatin1Char('0')));
    }

protected:
    void buildSheets() override {
        TabSheet* sheet = addSheet(QStringLiteral("Zen_Information"), QStringLiteral("Zen"));
        m_hwcr = new StatusPanel(QStringLiteral("Zen_Hwcr"), sheet);
    }

private:
    StatusPanel* m_hwcr = nullptr;
};

bool isZen(Platform& platform) {
    const CpuIdentity id = ReadCpuid(platform);
    return id.vendorCode == 1 && id.family >= 0x17;
}

FamilyPage* makeZenPage(const PageContext& context, QWidget* parent, PageBuild build) {
    return new ZenPage(context, parent, build);
}

FamilyRegistry withZen() {
    FamilyRegistry families = FamilyRegistry::builtIn();
    EXPECT_TRUE(families.add({kZen,
                              "Zen",
                              isZen,
                              makeZenPage,
                              {"Zen", "Ryzen", qRgb(0, 90, 60)},
                              {"sbtnZen", 665, "AMD Zen Family", 300},
                              kNoLists}));
    return families;
}

const QString kNoProtection = QStringLiteral("[Settings]\nuser_protection=0\n");

TEST(SeventhFamilyTest, StartUpDetectsItAndReportsItsPage) {
    GuiRig rig("unknown", QStringLiteral("[MainWindow]\n"), {}, withZen());
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->familyKind(), kZen);
    EXPECT_TRUE(rig.window->Ikony_ScrollBox->button(kZen)->isChecked());
    EXPECT_EQ(rig.window->Ikony_ScrollBox->verticalScrollBar()->value(), 300);
    EXPECT_EQ(rig.report(), QStringLiteral("page\tpgctrlZen\nCPUSelect_Combo\tcombo\t0\t0:0\n"
                                           "Zen_Hwcr\tpanel\t1\t09000011\n"));
}

TEST(SeventhFamilyTest, ItsButtonSelectsItsPage) {
    GuiRig rig("athlon64", kNoProtection, {}, withZen());
    ASSERT_TRUE(rig.start());
    auto* button = rig.control<QToolButton>(QStringLiteral("sbtnZen"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry().top(), 665);
    rig.act(QStringLiteral("click:sbtnZen"));
    EXPECT_EQ(rig.window->visiblePage(), rig.window->page(kZen));
    EXPECT_EQ(rig.window->page(FamilyAthlon64)->isVisible(), false);
}

TEST(SeventhFamilyTest, ItsPageRefreshes) {
    GuiRig rig("unknown", QStringLiteral("[MainWindow]\n"), {}, withZen());
    ASSERT_TRUE(rig.start());
    rig.sim.setReg(kHwcr, 0x0A000010);
    rig.window->RefreshAll();
    EXPECT_EQ(rig.control<StatusPanel>(QStringLiteral("Zen_Hwcr"))->text(),
              QStringLiteral("0a000010"));
}

TEST(SeventhFamilyTest, TheSixKeepTheirPagesBesideIt) {
    const std::vector<std::pair<const char*, const char*>> pages = {
        {"athlon64", "pgctrlA64"}, {"pentium-m", "pgctrlPentiumM"}, {"pentium4", "pgctrlP4"},
        {"athlon", "pgctrlK7"},    {"pentium3", "pgctrlIPIII"},     {"k6", "pgctrlK6"}};
    for (const auto& [profile, name] : pages) {
        GuiRig rig(profile, QStringLiteral("[MainWindow]\n"), {}, withZen());
        ASSERT_TRUE(rig.start());
        ASSERT_NE(rig.window->visiblePage(), nullptr) << profile;
        EXPECT_EQ(rig.window->visiblePage()->objectName(), QLatin1String(name));
    }
}

}  // namespace
}  // namespace zandro
