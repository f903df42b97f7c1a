#include <gtest/gtest.h>
#include <QTimer>

#include "GuiFixture.h"
#include "families/TM_BlinkLabel.h"

namespace zandro {
namespace {

TEST(BlinkLabelTest, NewLabelDoesNotBlink) {
    test::ensureApplication();
    TM_BlinkLabel label;
    EXPECT_FALSE(label.Blink());
    EXPECT_EQ(label.BlinkInterval(), 500);
    EXPECT_FALSE(label.isBlinking());
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.alignment(), Qt::AlignCenter);
}

TEST(BlinkLabelTest, TicksFlipVisibilityAfterNotifying) {
    test::ensureApplication();
    QWidget window;
    TM_BlinkLabel label(&window);
    window.show();
    label.setVisible(false);
    std::vector<bool> hiddenAtNotification;
    label.OnBlink = [&](TM_BlinkLabel* sender) {
        EXPECT_EQ(sender, &label);
        hiddenAtNotification.push_back(sender->isHidden());
    };
    label.setBlink(true);
    EXPECT_TRUE(label.isBlinking());
    EXPECT_TRUE(label.isHidden());  // a blinking label is not forced visible
    label.BlinkTimerTick();
    EXPECT_FALSE(label.isHidden());
    label.BlinkTimerTick();
    EXPECT_TRUE(label.isHidden());
    EXPECT_EQ(hiddenAtNotification, (std::vector<bool>{true, false}));
}

TEST(BlinkLabelTest, StoppingInTheHiddenPhaseShowsTheLabel) {
    test::ensureApplication();
    QWidget window;
    TM_BlinkLabel label(&window);
    label.setBlink(true);
    label.setVisible(false);
    label.setBlink(false);
    EXPECT_FALSE(label.isHidden());
    EXPECT_FALSE(label.isBlinking());
    // Setting the same value again only makes a stopped label visible.
    label.setVisible(false);
    label.setBlink(false);
    EXPECT_FALSE(label.isHidden());
}

TEST(BlinkLabelTest, TheTimerRunsAtTheInterval) {
    test::ensureApplication();
    QWidget window;
    TM_BlinkLabel label(&window);
    window.show();
    int flips = 0;
    label.OnBlink = [&](TM_BlinkLabel*) { ++flips; };
    label.setBlinkInterval(20);
    EXPECT_EQ(label.BlinkInterval(), 20);
    EXPECT_EQ(label.blinkTimer()->interval(), 20);
    EXPECT_FALSE(test::fireTimer(label.blinkTimer()));  // not blinking yet
    label.setBlink(true);
    // Each tick of the running timer is one flip.
    for (int tick = 1; tick <= 3; ++tick) {
        ASSERT_TRUE(test::fireTimer(label.blinkTimer())) << tick;
        EXPECT_EQ(flips, tick);
        EXPECT_EQ(label.isHidden(), tick % 2 == 1) << tick;
    }
}

}  // namespace
}  // namespace zandro
