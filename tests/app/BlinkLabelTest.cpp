#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QEventLoop>
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
    QEventLoop loop;
    label.OnBlink = [&](TM_BlinkLabel*) {
        if (++flips == 3)
            loop.quit();
    };
    label.setBlinkInterval(20);
    EXPECT_EQ(label.BlinkInterval(), 20);
    QElapsedTimer clock;
    clock.start();
    label.setBlink(true);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // a stopped timer fails, not hangs
    loop.exec();
    EXPECT_EQ(flips, 3);
    // Three flips cannot come sooner than three intervals.
    EXPECT_GE(clock.elapsed(), 55);
}

}  // namespace
}  // namespace zandro
