#include <gtest/gtest.h>
#include <QTabBar>
#include <algorithm>
#include <set>

#include "GuiFixture.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

// Where a control sits on its sheet, for reading order: top to bottom, then left to right.
QPoint at(QWidget* w, QWidget* sheet) {
    return w->mapTo(sheet, QPoint(0, 0));
}

// A profile whose family page shows, and the sheets of it that hold nothing to focus.
struct FocusCase {
    const char* profile;
    std::set<QString> withoutControls;
};

// Pressing Tab from the tab bar visits every control of the sheet in front, top to bottom; every
// sheet but those the case names has controls to visit.
class FocusOrderTest : public ::testing::TestWithParam<FocusCase> {};

TEST_P(FocusOrderTest, TabKeyWalksEachSheetTopToBottom) {
    test::GuiRig rig(GetParam().profile);
    ASSERT_TRUE(rig.start());
    FamilyPage* page = rig.window->visiblePage();
    ASSERT_NE(page, nullptr);
    for (int i = 0; i < page->count(); ++i) {
        page->setCurrentIndex(i);
        QWidget* sheet = page->widget(i);
        SCOPED_TRACE(sheet->objectName().toStdString());
        int reachable = 0;
        for (QWidget* w : sheet->findChildren<QWidget*>())
            reachable += (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() ? 1 : 0;
        std::vector<QWidget*> visited;
        QWidget* w = page->tabBar()->nextInFocusChain();
        for (int guard = 0; guard < 1000 && w != page->tabBar(); ++guard, w = w->nextInFocusChain())
            if (sheet->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
                visited.push_back(w);
        EXPECT_EQ(reachable == 0, GetParam().withoutControls.count(sheet->objectName()) == 1)
            << reachable << " controls";
        EXPECT_EQ(int(visited.size()), reachable);
        for (size_t k = 1; k < visited.size(); ++k) {
            const QPoint a = at(visited[k - 1], sheet), b = at(visited[k], sheet);
            EXPECT_TRUE(a.y() < b.y() || (a.y() == b.y() && a.x() <= b.x()))
                << visited[k - 1]->objectName().toStdString() << " before "
                << visited[k]->objectName().toStdString();
        }
    }
}

// The information sheets of the Pentium M and the Pentium III show status panels only; a
// desktop Athlon has no FID/VID control, so every control on its control sheet is disabled.
INSTANTIATE_TEST_SUITE_P(EveryPage, FocusOrderTest,
                         ::testing::Values(FocusCase{"athlon64", {}},
                                           FocusCase{"pentium-m", {"PMobile_Information"}},
                                           FocusCase{"pentium4", {}},
                                           FocusCase{"athlon-mobile", {}},
                                           FocusCase{"athlon", {"K7_FrequencyVoltageControl"}},
                                           FocusCase{"pentium3", {"P6_Information", "P6_L2cache"}},
                                           FocusCase{"k6", {}}, FocusCase{"k5", {}}),
                         [](const ::testing::TestParamInfo<FocusCase>& info) {
                             std::string name = info.param.profile;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace zandro
