#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>

#include "PageTestSupport.h"
#include "app/TfrmMSR.h"
#include "families/TabSheet.h"

namespace zandro {
namespace {

using test::GuiRig;

QString nothingWritten(uint32_t index) {
    return QStringLiteral(
               "Could not read Model Specific Register %1h on processor 0. Nothing was written.")
        .arg(QString::number(index, 16).toUpper());
}

// Trace lines that write the register, plain or flushing.
QStringList writesOf(const QStringList& trace, uint32_t index) {
    return test::writeLines(trace).filter(
        QRegularExpression(QStringLiteral(" wrmsr(-wbinvd)? %1 ").arg(index, 0, 16)));
}

// Brings the tab sheet holding `control` to the front, as a user would before clicking.
void showSheetOf(GuiRig& rig, QWidget* control) {
    if (TabSheet* sheet = test::sheetOf(control))
        rig.act(QStringLiteral("tab:") + sheet->objectName());
}

// A register that read well at the last refresh and fails at the click: the switch must not
// write zeros over fields it never read, must say so, and its panels must not show zeros.
struct UnreadCase {
    const char* profile;
    uint32_t index;
    const char* button;
    const char* choice = nullptr;  // what the user picks before the click, if anything
};

constexpr UnreadCase kUnreadCases[] = {
    {"pentium3", 0x11E, "P6_L2EnabledEN"},
    {"pentium4", 0x1A0, "NetBurst_PrefetchDIS"},
    {"pentium4", 0x19D, "NetBurst_SetNewTM2target", "select:NetBurst_TM2VoltageCombo=2"},
    {"pentium4", 0x19A, "NetBurst_OnDemandDuty50"},
    {"athlon", 0xC001001B, "K7_APICbusMessagesReject"},
    {"athlon", 0xC001001B, "K7_APICbusMessagesNoReject"},
    {"athlon", 0xC0010015, "K7_SSEInstructionSupportDIS"},
    {"athlon64", 0xC0000080, "A64_SystemCallExtensionDIS"},
    {"pentium-m", 0x1A0, "PMobile_EnhancedSpeedStepDIS"},
    {"pentium-m", 0x19C, "PMobile_NewOverheatCheck"},
    {"pentium-m", 0x19D, "PMobile_ThermalMonitor2EN"},
    {"k6", 0xC0000082, "K6_WriteAllocateEN"},
    {"k5", 0x83, "K5_BranchPredictionDIS"},
};

TEST(UnreadRegisterTest, ASwitchWhoseReadFailsWritesNothingSaysSoAndShowsDashes) {
    for (const UnreadCase& c : kUnreadCases) {
        SCOPED_TRACE(std::string(c.profile) + " " + c.button);
        GuiRig rig(c.profile, QStringLiteral("[Settings]\nuser_protection=0\n"));
        ASSERT_TRUE(rig.start());
        auto* button = rig.control<QAbstractButton>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr);
        showSheetOf(rig, button);
        if (c.choice)
            rig.act(QLatin1String(c.choice));
        const uint64_t before = rig.sim.reg(c.index);
        rig.sim.machine.cpu(0).failRead.insert(c.index);
        rig.takeTrace();
        rig.act(QStringLiteral("click:") + QLatin1String(c.button));

        EXPECT_TRUE(writesOf(rig.takeTrace(), c.index).isEmpty());
        EXPECT_EQ(rig.sim.reg(c.index), before);
        ASSERT_FALSE(rig.messages.texts().isEmpty());
        EXPECT_EQ(rig.messages.texts().last(), nothingWritten(c.index));
        // Every panel of the button's group that this register feeds now reads "---".
        bool dashes = false;
        QWidget* group = button->parentWidget();
        while (!qobject_cast<QGroupBox*>(group))
            group = group->parentWidget();
        for (auto* panel : group->findChildren<StatusPanel*>())
            dashes = dashes || panel->text() == QLatin1String("---");
        EXPECT_TRUE(dashes);
    }
}

// A failed read never leaves the previous register's value behind, and a whole new value makes
// the buffer writable again.
TEST(UnreadRegisterTest, TheBufferForgetsAFailedRegisterOnlyAfterAGoodReadOrAWholeValue) {
    test::SimRig sim("pentium4");
    sim.machine.cpu(0).failRead.insert(0x1A0);
    MsrBuffer& msr = sim.msr;
    int refused = 0;
    msr.onUnreadWrite = [&refused](uint32_t) { ++refused; };
    msr.Index = 0x198;
    ASSERT_TRUE(msr.ReadMsr());
    msr.Index = 0x1A0;
    EXPECT_FALSE(msr.ReadMsr());
    EXPECT_EQ(msr.value(), 0u);
    EXPECT_FALSE(msr.holdsRead());
    EXPECT_FALSE(msr.WriteMsr());
    EXPECT_FALSE(msr.WriteMsrFlushing());
    EXPECT_EQ(refused, 2);
    {
        // A read in the middle of the sequence does not lift the refusal.
        const MsrBufferSave save(msr);
        msr.Index = 0x198;
        EXPECT_TRUE(msr.ReadMsr());
    }
    EXPECT_FALSE(msr.WriteMsr());
    msr.setValue(0x1234);
    EXPECT_TRUE(msr.WriteMsr());
    EXPECT_EQ(refused, 3);
}

}  // namespace
}  // namespace zandro
