#include <gtest/gtest.h>
#include <QApplication>
#include <QFocusEvent>

#include "GuiFixture.h"
#include "families/EditBox.h"

namespace zandro {
namespace {

using test::GuiRig;

const QString kBadBoxes = QStringLiteral(
    "[MainWindow]\nPositionLeft=1\nPositionTop=1\n"
    "[A64]\nFIDSystemBusCycles=2000000\nVIDMillisecondsTime=5000\n");
const QString kVidWarning = QStringLiteral("Please enter a value between 0 and 1000.");
const QString kFidWarning = QStringLiteral("Please enter a value between 0 and 1048575.");

class ExitCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<GuiRig>("athlon64", kBadBoxes);
        ASSERT_TRUE(rig->start());
        rig->window->activateWindow();
        QApplication::setActiveWindow(rig->window.get());
        rig->act(QStringLiteral("tab:A64_FrequencyVoltageControl"));
        fid = rig->control<EditBox>(QStringLiteral("A64_FIDstabilizationCyclesBox"));
        vid = rig->control<EditBox>(QStringLiteral("A64_VIDstabilizationCyclesBox"));
    }
    std::unique_ptr<GuiRig> rig;
    EditBox* fid = nullptr;
    EditBox* vid = nullptr;
};

// Each check puts the focus back into its box, which takes it from the other bad box: that must
// not start the other box's check, or the two would call each other without end.
TEST_F(ExitCheckTest, TwoBadBoxesLeftInTurnWarnOncePerExit) {
    rig->act(QStringLiteral("leave:A64_VIDstabilizationCyclesBox"));
    rig->act(QStringLiteral("leave:A64_FIDstabilizationCyclesBox"));
    EXPECT_EQ(rig->messages.texts(), (QStringList{kVidWarning, kFidWarning}));

    // The last check left the focus in the FID box; the user clicks into the VID box: one
    // warning, and the focus goes back where it was.
    ASSERT_EQ(QApplication::focusWidget(), fid);
    rig->messages.shown.clear();
    vid->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(rig->messages.texts(), QStringList{kFidWarning});
    EXPECT_EQ(QApplication::focusWidget(), fid);
    EXPECT_EQ(vid->text(), QStringLiteral("5000"));  // the text is kept
}

TEST_F(ExitCheckTest, LosingActivationOrClosingIsNotLeavingTheBox) {
    vid->setFocus(Qt::MouseFocusReason);
    rig->messages.shown.clear();
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(vid, &deactivated);
    EXPECT_TRUE(rig->messages.texts().isEmpty());

    rig->window->close();
    EXPECT_TRUE(rig->messages.texts().isEmpty());
    // The box texts still reach config.ini as typed.
    EXPECT_TRUE(rig->configText().contains(QStringLiteral("VIDMillisecondsTime=5000")));
}

}  // namespace
}  // namespace zandro
