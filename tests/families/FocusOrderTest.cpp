#include <gtest/gtest.h>
#include <QTabBar>

#include "GuiFixture.h"
#include "families/FamilyPage.h"

namespace zandro {
namespace {

// Where a control sits on its sheet, for reading order: top to bottom, then left to right.
QPoint at(QWidget* w, QWidget* sheet) {
    return w->mapTo(sheet, QPoint(0, 0));
}

// Pressing Tab from the tab bar visits every control of the sheet in front, top to bottom.
class FocusOrderTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FocusOrderTest, TabKeyWalksEachSheetTopToBottom) {
    test::GuiRig rig(GetParam());
    ASSERT_TRUE(rig.start());
    FamilyPage* page = nullptr;
    for (FamilyPage* p : rig.window->findChildren<FamilyPage*>())
        if (p->isShown())
            page = p;
    ASSERT_NE(page, nullptr);
    int walked = 0;
    for (int i = 0; i < page->count(); ++i) {
        page->setCurrentIndex(i);
        QWidget* sheet = page->widget(i);
        int reachable = 0;
        for (QWidget* w : sheet->findChildren<QWidget*>())
            reachable += (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() ? 1 : 0;
        std::vector<QWidget*> visited;
        QWidget* w = page->tabBar()->nextInFocusChain();
        for (int guard = 0; guard < 1000 && w != page->tabBar(); ++guard, w = w->nextInFocusChain())
            if (sheet->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
                visited.push_back(w);
        if (reachable == 0)
            continue;  // a sheet still without controls
        ++walked;
        EXPECT_EQ(int(visited.size()), reachable) << sheet->objectName().toStdString();
        for (size_t k = 1; k < visited.size(); ++k) {
            const QPoint a = at(visited[k - 1], sheet), b = at(visited[k], sheet);
            EXPECT_TRUE(a.y() < b.y() || (a.y() == b.y() && a.x() <= b.x()))
                << sheet->objectName().toStdString() << ": "
                << visited[k - 1]->objectName().toStdString() << " before "
                << visited[k]->objectName().toStdString();
        }
    }
    // The Athlon 64 page always has controls, so the walk is never empty there.
    if (std::string(GetParam()) == "athlon64") {
        EXPECT_EQ(walked, page->count());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPage, FocusOrderTest,
                         ::testing::Values("athlon64", "pentium-m", "pentium4", "athlon",
                                           "pentium3", "k6"));

}  // namespace
}  // namespace zandro
