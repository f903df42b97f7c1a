#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QTabWidget>

#include "GuiFixture.h"
#include "families/FamilyPage.h"
#include "families/WrappingTabBar.h"

namespace zandro {
namespace {

// A page control of the pages' size with the wrapping bar and five long captions.
struct Pages : QTabWidget {
    WrappingTabBar* bar = new WrappingTabBar(this);
    Pages() {
        setTabBar(bar);
        setFixedSize(306, 375);
        for (const char* caption : {"Information", "Features", "Level 2 Cache Info",
                                    "Level 2 Cache Configuration", "Level 2 Cache Error Checking"})
            addTab(new QWidget, QString::fromLatin1(caption));
        show();
        QApplication::processEvents();
    }
    void clickAt(QPoint pos) {
        QMouseEvent press(QEvent::MouseButtonPress, pos, bar->mapToGlobal(pos), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &press);
    }
};

TEST(WrappingTabBarTest, TabsThatDoNotFitWrapOntoRowsInsideTheWidth) {
    test::ensureApplication();
    Pages pages;
    ASSERT_EQ(pages.bar->rowCount(), 3);
    const int rowHeight = pages.bar->wrappedTabRect(0).height();
    EXPECT_EQ(pages.bar->height(), 3 * rowHeight);
    for (int i = 0; i < pages.count(); ++i) {
        const QRect r = pages.bar->wrappedTabRect(i);
        EXPECT_GE(r.left(), 0);
        EXPECT_LE(r.right(), pages.bar->width() - 1) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(r.intersects(pages.bar->wrappedTabRect(j))) << i << " " << j;
    }
    // Every row reaches the right edge, and the page starts below the last row.
    EXPECT_EQ(pages.bar->wrappedTabRect(2).right(), pages.bar->width() - 1);
    EXPECT_GE(pages.currentWidget()->mapTo(&pages, QPoint(0, 0)).y(), pages.bar->height());
}

TEST(WrappingTabBarTest, TheCurrentRowSitsNextToThePage) {
    test::ensureApplication();
    Pages pages;
    const int bottom = pages.bar->height() - pages.bar->wrappedTabRect(0).height();
    EXPECT_EQ(pages.bar->wrappedTabRect(0).top(), bottom);
    pages.setCurrentIndex(4);
    EXPECT_EQ(pages.bar->wrappedTabRect(4).top(), bottom);
    EXPECT_LT(pages.bar->wrappedTabRect(0).top(), bottom);
}

TEST(WrappingTabBarTest, ClickSelectsTheTabUnderTheMouse) {
    test::ensureApplication();
    Pages pages;
    int changed = 0;
    QObject::connect(&pages, &QTabWidget::currentChanged, [&changed] { ++changed; });
    pages.clickAt(pages.bar->wrappedTabRect(3).center());
    EXPECT_EQ(pages.currentIndex(), 3);
    EXPECT_EQ(changed, 1);
    // The tab moved with its row; a click where it was before picks what is there now.
    const QPoint where = pages.bar->wrappedTabRect(1).center();
    pages.clickAt(where);
    EXPECT_EQ(pages.currentIndex(), 1);
}

TEST(WrappingTabBarTest, WithoutWrappingItIsOneScrollingRow) {
    test::ensureApplication();
    Pages pages;
    pages.bar->setWraps(false);
    QApplication::processEvents();
    EXPECT_EQ(pages.bar->rowCount(), 1);
    EXPECT_TRUE(pages.bar->usesScrollButtons());
    EXPECT_EQ(pages.bar->height(), pages.bar->tabRect(0).height());
}

TEST(WrappingTabBarTest, EveryPageButTheK6PageWraps) {
    test::GuiRig rig("k6");
    ASSERT_TRUE(rig.start());
    const QList<FamilyPage*> pages = rig.window->findChildren<FamilyPage*>();
    ASSERT_EQ(pages.size(), 6);
    for (const FamilyPage* page : pages)
        EXPECT_EQ(page->tabsWrap(), page->objectName() != QLatin1String("pgctrlK6"))
            << page->objectName().toStdString();
}

}  // namespace
}  // namespace zandro
