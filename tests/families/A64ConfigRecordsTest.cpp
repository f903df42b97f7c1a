#include <gtest/gtest.h>
#include <QComboBox>
#include <QRadioButton>

#include "PageTestSupport.h"
#include "families/A64Page.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::recordPairs;

A64Page* a64(GuiRig& rig) {
    return static_cast<A64Page*>(rig.window->page(FamilyAthlon64));
}

TEST(A64ConfigRecordsTest, SelectedButtonsAndListItemsAreSavedInCodeOrder) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:A64_Features"));
    rig.act(QStringLiteral("click:A64_SSEInstructionSupportDIS"));
    rig.act(QStringLiteral("click:A64_MachineCheckRegistersAL"));
    rig.act(QStringLiteral("click:A64_NoExecutePageDIS"));
    a64(rig)->frequency.multiplier->setCurrentIndex(-1);
    a64(rig)->frequency.voltage->setCurrentIndex(1);
    EXPECT_EQ(recordPairs(a64(rig)->savedOptions()),
              (std::vector<std::pair<int, int>>{{20, 1}, {23, 0}, {24, 1}, {41, 1}}));
}

TEST(A64ConfigRecordsTest, RecordsActAsTheUserWouldWithoutCheckingButtons) {
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    A64Page* page = a64(rig);
    const uint64_t efer = rig.sim.reg(0xC0000080);
    EXPECT_EQ(page->applyRecord({22, 1}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(0xC0000080), efer & ~uint64_t(1));
    EXPECT_FALSE(
        rig.control<QRadioButton>(QStringLiteral("A64_SystemCallExtensionDIS"))->isChecked());
    rig.takeTrace();
    EXPECT_EQ(page->applyRecord({22, 2}), RecordAction::Applied);
    EXPECT_TRUE(rig.takeTrace().filter(QStringLiteral("wrmsr")).isEmpty());
    EXPECT_EQ(page->applyRecord({120, 0}), RecordAction::NotMine);
    EXPECT_EQ(page->applyRecord({25, 0}), RecordAction::NotMine);

    EXPECT_EQ(page->applyRecord({40, 1}), RecordAction::TransitionRequested);
    EXPECT_EQ(page->frequency.multiplier->currentIndex(), 1);
    EXPECT_EQ(page->applyRecord({41, 250}), RecordAction::TransitionRequested);
    EXPECT_EQ(page->frequency.voltage->currentIndex(), -1);
}

}  // namespace
}  // namespace zandro
