#include <gtest/gtest.h>

#include <QColor>

#include "PageTestSupport.h"
#include "app/TfrmMSR.h"
#include "pstates/CodeTables.h"
#include "pstates/IntelTransition.h"

namespace zandro {
namespace {

using test::GuiRig;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), int(view.size()));
}

// A family's "Set" click on its Frequency & Voltage Control tab, and how it ended.
struct Change {
    Change(const char* profile, const char* prefix, const QString& settings)
        : rig(profile, settings), prefix(QLatin1String(prefix)) {
        EXPECT_TRUE(rig.start());
        rig.act(QStringLiteral("tab:%1_FrequencyVoltageControl").arg(this->prefix));
    }
    void select(const char* combo, int index) {
        rig.act(QStringLiteral("select:%1_%2=%3").arg(prefix, QLatin1String(combo)).arg(index));
    }
    QStringList set() {
        rig.takeTrace();
        rig.act(QStringLiteral("click:%1_InitiateFIDVIDChangeButton").arg(prefix));
        return rig.takeTrace();
    }
    StatusPanel* report() {
        return rig.control<StatusPanel>(prefix + QStringLiteral("_TransitionReport"));
    }
    QColor colour() { return test::reportColour(report()); }

    GuiRig rig;
    QString prefix;
};

const QString kUnprotected = QStringLiteral("[Settings]\nuser_protection=0\n");

// A status register that cannot be read gives no starting point: the change writes nothing at
// all and ends in red, on every family that has one.
TEST(TransitionEndingsTest, UnreadStatusRefusesTheChangeBeforeAnyWrite) {
    const struct {
        const char* profile;
        const char* prefix;
        uint32_t status;
        int multiplier;
    } cases[] = {
        {"athlon64", "A64", 0xC0010042, 0},
        {"athlon-mobile", "K7", 0xC0010042, 0},
        {"pentium-m", "PMobile", 0x198, 7},
        {"pentium4", "NetBurst", 0x198, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        Change change(c.profile, c.prefix, kUnprotected);
        change.select("MultiplierCombo", c.multiplier);
        change.select("VoltageCombo", 0);
        change.rig.sim.machine.cpu(0).failRead.insert(c.status);
        const QStringList trace = change.set();
        EXPECT_TRUE(test::writeLines(trace).isEmpty()) << trace.join('\n').toStdString();
        EXPECT_TRUE(change.report()->text().startsWith(QLatin1String("Nothing changed")))
            << change.report()->text().toStdString();
        EXPECT_EQ(change.colour(), kRed);
    }
}

// A ratio the processor does not take ends the change in red at once: no voltage step follows
// at the old ratio, and nothing calls it finished.
TEST(TransitionEndingsTest, RefusedMultiplierEndsInRedWithNoStepAfterIt) {
    const struct {
        const char* profile;
        const char* prefix;
        int multiplier;
        const char* currentPanel;
        const char* current;
    } cases[] = {
        {"pentium-m", "PMobile", 7, "PMobile_CurrentMultiplier", "20x"},
        {"pentium4", "NetBurst", 0, "NetBurst_CurrentMultiplier", "14x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        Change change(c.profile, c.prefix, QStringLiteral("[Settings]\n"));
        change.select("MultiplierCombo", c.multiplier);
        change.rig.sim.machine.cpu(0).failWrite.insert(0x199);
        const QStringList writes = test::writeLines(change.set());
        EXPECT_EQ(writes.size(), 1) << writes.join('\n').toStdString();
        EXPECT_EQ(change.report()->text(), text(kIntelRatioRefusedText));
        EXPECT_EQ(change.colour(), kRed);
        EXPECT_EQ(test::panelText(change.rig, c.currentPanel), QLatin1String(c.current));
    }
}

// A voltage-only change says that it arrived; a refused one says that it did not.
TEST(TransitionEndingsTest, VoltageOnlyChangeEndsWithNewVoltageSetOrTheFailure) {
    for (const auto& [profile, prefix] :
         {std::pair("pentium-m", "PMobile"), std::pair("pentium4", "NetBurst")}) {
        for (const bool refused : {false, true}) {
            SCOPED_TRACE(std::string(profile) + (refused ? " refused" : " accepted"));
            Change change(profile, prefix, QStringLiteral("[Settings]\n"));
            change.select("VoltageCombo", 3);
            if (refused)
                change.rig.sim.machine.cpu(0).failWrite.insert(0x199);
            const QStringList writes = test::writeLines(change.set());
            if (refused) {
                EXPECT_EQ(writes.size(), 1);
                EXPECT_EQ(change.report()->text(), text(kIntelVidRefusedText));
                EXPECT_EQ(change.colour(), kRed);
            } else {
                EXPECT_EQ(writes.size(), 3);
                EXPECT_EQ(change.report()->text(), QStringLiteral("New voltage set"));
                EXPECT_EQ(change.colour(), kGreen);
            }
        }
    }
}

// The K7 change holds no priority of its own, whatever the setting says.
TEST(TransitionEndingsTest, K7ChangeLeavesThePriorityAlone) {
    Change change("athlon-mobile", "K7", QStringLiteral("[Settings]\nRealPriority=1\n"));
    change.select("MultiplierCombo", 0);
    const QStringList trace = change.set();
    EXPECT_FALSE(test::writeLines(trace).isEmpty());
    EXPECT_TRUE(trace.filter(QStringLiteral("priority")).isEmpty());
}

// The two "Maximum" panels show the highest operating point of 198h (bits 47..40 and 39..32),
// not the lowest one (31..24 and 23..16).
TEST(TransitionEndingsTest, Pentium4MaximumPanelsReadTheHighestFields) {
    Change change("pentium4", "NetBurst", QStringLiteral("[Settings]\n"));
    change.rig.sim.setReg(0x198, 0x00000F3A0C160E2Dull);  // high 15x / 3Ah, low 12x / 16h
    change.rig.act(QStringLiteral("tab:NetBurst_Information"));
    change.rig.act(QStringLiteral("tab:NetBurst_FrequencyVoltageControl"));
    EXPECT_EQ(test::panelText(change.rig, "NetBurst_MaximumMultiplier"), QStringLiteral("15x"));
    EXPECT_EQ(test::panelText(change.rig, "NetBurst_MaximumVoltage"),
              QString::fromStdString(NetBurst_VidToText(0x3A)));
    EXPECT_EQ(test::panelText(change.rig, "NetBurst_CurrentMultiplier"), QStringLiteral("14x"));
}

// Without a family page for the processor, the empty page area says what was found, and the
// report carries that line.
TEST(TransitionEndingsTest, AProcessorWithoutAPageIsNamedInThePageArea) {
    GuiRig rig("pentium3");
    rig.sim.machine.cpu(0).cpuid[1].eax = 0x000C06F2;
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window->visiblePage(), nullptr);
    EXPECT_TRUE(rig.report().contains(QStringLiteral(
        "\nlblNoFamilyPage\tlabel\t1\tNo family page fits this processor: GenuineIntel, family 6, "
        "model 207, stepping 2.\n")))
        << rig.report().toStdString();
}

// The blinking "Too High" labels sit inside their panels; the report lists them after them.
TEST(TransitionEndingsTest, ReportListsTheBlinkingLabelsAfterTheirPanels) {
    for (const auto& [profile, prefix] :
         {std::pair("pentium-m", "PMobile"), std::pair("pentium4", "NetBurst")}) {
        GuiRig rig(profile);
        ASSERT_TRUE(rig.start());
        rig.act(QStringLiteral("tab:%1_ThermalMonitor").arg(QLatin1String(prefix)));
        const QStringList lines = rig.report().split(QLatin1Char('\n'));
        const auto panel = lines.indexOf(QRegularExpression(
            QStringLiteral("%1_Temperature\tpanel\t.*").arg(QLatin1String(prefix))));
        ASSERT_GE(panel, 0) << profile;
        ASSERT_LT(panel + 1, lines.size());
        EXPECT_TRUE(lines[panel + 1].startsWith(
            QStringLiteral("lbl%1_Temperature\tlabel\t").arg(QLatin1String(prefix))))
            << lines[panel + 1].toStdString();
    }
}

}  // namespace
}  // namespace zandro
