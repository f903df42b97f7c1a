#include <gtest/gtest.h>

#include <QComboBox>

#include "GuiFixture.h"
#include "app/ConfigurationRun.h"
#include "app/JournalRestore.h"
#include "app/RegisterJournal.h"
#include "core/MsrJournal.h"
#include "sim/SimProfiles.h"

namespace zandro {
namespace {

using test::GuiRig;

constexpr uint32_t kTimeStampCounter = 0x10;  // runs on by itself

std::map<uint32_t, uint64_t> registers(GuiRig& rig) {
    std::map<uint32_t, uint64_t> msrs = rig.sim.machine.cpu(0).msrs;
    msrs.erase(kTimeStampCounter);
    return msrs;
}

// One profile of each family with a transition: an option switched and a new multiplier set.
struct ChangeCase {
    const char* profile;
    const char* option;
    const char* tab;
    const char* prefix;
    uint32_t control;
};
const ChangeCase kChanges[] = {
    {"athlon64", "A64_NoExecutePageDIS", "A64_FrequencyVoltageControl", "A64", 0xC0010041},
    {"athlon-mobile", "K7_SystemCallExtensionDIS", "K7_FrequencyVoltageControl", "K7", 0xC0010041},
    {"pentium-m", "PMobile_DataErrorCheckingDIS", "PMobile_FrequencyVoltageControl", "PMobile",
     0x199},
    {"pentium4", "NetBurst_PrefetchDIS", "NetBurst_FrequencyVoltageControl", "NetBurst", 0x199},
};

int countWrites(const QStringList& trace, uint32_t index) {
    const QString write = QStringLiteral("0 wrmsr %1 ").arg(index, 0, 16);
    int n = 0;
    for (const QString& line : trace)
        n += line.startsWith(write, Qt::CaseInsensitive) ? 1 : 0;
    return n;
}

TEST(JournalRestore, PutsEveryRegisterBackAndStepsTheOperatingPoint) {
    for (const ChangeCase& c : kChanges) {
        SCOPED_TRACE(c.profile);
        GuiRig rig(c.profile);
        ASSERT_TRUE(rig.start());
        const auto before = registers(rig);
        rig.act(QStringLiteral("click:%1").arg(QLatin1String(c.option)));
        rig.act(QStringLiteral("tab:%1").arg(QLatin1String(c.tab)));
        auto* multiplier =
            rig.control<QComboBox>(QLatin1String(c.prefix) + QStringLiteral("_MultiplierCombo"));
        ASSERT_NE(multiplier, nullptr);
        // The lowest multiplier and voltage listed are the farthest from where the profile starts.
        rig.act(QStringLiteral("select:%1=0").arg(multiplier->objectName()));
        auto* voltage =
            rig.control<QComboBox>(QLatin1String(c.prefix) + QStringLiteral("_VoltageCombo"));
        ASSERT_NE(voltage, nullptr);
        // The AMD lists end in "off"; the Intel lists start at the top voltage.
        const int farVoltage = c.control == 0x199 ? voltage->count() - 1 : 0;
        rig.act(QStringLiteral("select:%1=%2").arg(voltage->objectName()).arg(farVoltage));
        rig.act(QStringLiteral("click:%1_InitiateFIDVIDChangeButton").arg(QLatin1String(c.prefix)));
        ASSERT_NE(registers(rig), before);
        rig.takeTrace();

        JournalRestore restore(*rig.window);
        EXPECT_TRUE(restore.restore(JournalRestore::kAllProcessors));
        EXPECT_EQ(registers(rig), before);
        // Stepped back by the family's routine, not by one raw write of the old value.
        EXPECT_GE(countWrites(rig.takeTrace(), c.control), 2);
        EXPECT_TRUE(rig.window->journal()->journal().entries().empty());
    }
}

TEST(JournalRestore, LeavesTheOriginalOnRecordWhenTheRunDiesBeforeTheWrite) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    const uint64_t original = rig.sim.reg(0x1A0);
    MsrBuffer& msr = rig.sim.msr;
    const auto journaling = msr.beforeWrite;
    std::string onDisk;
    uint64_t registerAtCrash = 0;
    // The moment between the journal's write and the register's: what a crash would leave.
    msr.beforeWrite = [&](uint32_t index) {
        journaling(index);
        onDisk = test::readFile(rig.dir.file("journal"));
        registerAtCrash = rig.sim.reg(0x1A0);
    };
    rig.act(QStringLiteral("click:NetBurst_PrefetchDIS"));
    msr.beforeWrite = journaling;
    EXPECT_EQ(registerAtCrash, original);
    const auto parsed = parseJournal(onDisk);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->entries.size(), 1u);
    EXPECT_EQ(parsed->entries[0], (JournalEntry{0, 0x1A0, original}));
}

TEST(JournalRestore, IgnoresAJournalOfAnotherBoot) {
    GuiRig rig("pentium4");
    test::writeFile(rig.dir.file("journal"), journalText("another-boot", {{0, 0x1A0, 0xBAD}}));
    ASSERT_TRUE(rig.start());
    const uint64_t original = rig.sim.reg(0x1A0);
    JournalRestore restore(*rig.window);
    EXPECT_TRUE(restore.plan(JournalRestore::kAllProcessors).isEmpty());
    rig.act(QStringLiteral("click:NetBurst_PrefetchDIS"));
    EXPECT_TRUE(restore.restore(JournalRestore::kAllProcessors));
    EXPECT_EQ(rig.sim.reg(0x1A0), original);
}

TEST(JournalRestore, NeverSetsTheThermalLogAgain) {
    GuiRig rig("pentium4");
    rig.sim.setReg(0x19C, 0x2);  // thermal log set
    ASSERT_TRUE(rig.start());
    rig.window->journal()->journal().record({0, 0x19C, 0x2});
    JournalRestore restore(*rig.window);
    EXPECT_EQ(restore.plan(0),
              QStringList{QStringLiteral("Processor 0: 19Ch = 0000000000000000h")});
}

TEST(JournalRestore, ConfigurationButtonRestoresTheSelectedProcessorOnlyAfterYes) {
    GuiRig rig("pentium4");
    rig.sim.machine.affinity = 0x3;
    rig.sim.machine.fillProcessors();
    ASSERT_TRUE(rig.start());
    const uint64_t original = rig.sim.reg(0x1A0, 1);
    rig.act(QStringLiteral("click:NetBurst_PrefetchDIS"));
    const uint64_t changedOnFirst = rig.sim.reg(0x1A0, 0);
    rig.act(QStringLiteral("select:CPUSelect_Combo=1"));
    rig.act(QStringLiteral("click:NetBurst_PrefetchDIS"));
    ASSERT_NE(rig.sim.reg(0x1A0, 1), original);
    rig.act(QStringLiteral("click:sbtnConfiguration"));
    const MsrJournal& journal = rig.window->journal()->journal();

    struct Press {
        MsgAnswer answer;
        MsgKind asked;
        bool restored;
        size_t entriesLeft;
    };
    // No, then Yes, then a press with nothing left on the second processor.
    const Press presses[] = {{MsgAnswer::No, MsgKind::Warning, false, 2},
                             {MsgAnswer::Yes, MsgKind::Warning, true, 1},
                             {MsgAnswer::Yes, MsgKind::Information, true, 1}};
    for (const Press& press : presses) {
        SCOPED_TRACE(int(press.answer));
        rig.takeTrace();
        rig.messages.shown.clear();
        rig.messages.answers = {press.answer};
        rig.act(QStringLiteral("click:btnRestoreOriginal"));
        ASSERT_FALSE(rig.messages.shown.empty());
        EXPECT_EQ(rig.messages.shown[0].kind, press.asked);
        const QStringList writes = rig.takeTrace().filter(QStringLiteral("wrmsr"));
        EXPECT_EQ(rig.sim.reg(0x1A0, 1) == original, press.restored);
        EXPECT_EQ(rig.sim.reg(0x1A0, 0), changedOnFirst);
        EXPECT_EQ(journal.entries().size(), press.entriesLeft);
        if (press.answer != MsgAnswer::No)
            continue;
        EXPECT_TRUE(writes.isEmpty()) << writes.join(QLatin1Char(' ')).toStdString();
        // Only the selected processor's register is listed.
        EXPECT_EQ(
            rig.messages.shown[0].text,
            QStringLiteral("Write the original values back?\n\r\n\rProcessor 1: 1A0h = %1h")
                .arg(QString::number(original, 16).rightJustified(16, QLatin1Char('0')).toUpper()));
    }
    EXPECT_EQ(journal.entries()[0].cpu, 0);
}

// The option each family's file holds, and another of the same file switched afterwards; the
// K5 has its own tab of the K5/K6 page.
struct CheckCase {
    const char* profilePrefix;
    FamilyKind family;
    const char* saved;
    const char* changedAfter;
};
const CheckCase kChecks[] = {
    {"k5", FamilyK5K6, "K5_BranchPredictionDIS", "K5_BranchPredictionEN"},
    {"", FamilyAthlon64, "A64_NoExecutePageDIS", "A64_NoExecutePageEN"},
    {"", FamilyPentiumM, "PMobile_DataErrorCheckingDIS", "PMobile_DataErrorCheckingEN"},
    {"", FamilyPentium4, "NetBurst_PrefetchDIS", "NetBurst_PrefetchEN"},
    {"", FamilyAthlonK7, "K7_SystemCallExtensionDIS", "K7_SystemCallExtensionEN"},
    {"", FamilyPentium3, "P6_LowPowerModeEN", "P6_LowPowerModeDIS"},
    {"", FamilyK5K6, "K6_SystemCallExtensionDIS", "K6_SystemCallExtensionEN"},
};

int check(GuiRig& rig, const std::string& file) {
    ConfigurationRun run(*rig.window, {QString::fromStdString(file)},
                         ConfigurationRun::Mode::Check);
    EXPECT_TRUE(run.RunTime_Set());
    return run.differences();
}

TEST(CheckConfiguration, IsCleanRightAfterApplyingOnEveryProfile) {
    for (const SimProfileInfo& profile : simProfiles()) {
        SCOPED_TRACE(profile.name);
        GuiRig rig(profile.name);
        ASSERT_TRUE(rig.start());
        const auto c = std::find_if(std::begin(kChecks), std::end(kChecks), [&](const auto& row) {
            return row.family == rig.window->familyKind() &&
                   profile.name.rfind(row.profilePrefix, 0) == 0;
        });
        if (c == std::end(kChecks) || !rig.window->visiblePage())
            continue;
        rig.act(QStringLiteral("click:%1").arg(QLatin1String(c->saved)));
        const std::string file = rig.dir.file("saved.msr");
        test::saveConfigurationAs(rig, file);
        rig.act(QStringLiteral("click:%1").arg(QLatin1String(c->changedAfter)));
        ConfigurationRun apply(*rig.window, {QString::fromStdString(file)});
        ASSERT_TRUE(apply.RunTime_Set());
        EXPECT_EQ(check(rig, file), 0);
        rig.act(QStringLiteral("click:%1").arg(QLatin1String(c->changedAfter)));
        EXPECT_EQ(check(rig, file), 1);
    }
}

}  // namespace
}  // namespace zandro
