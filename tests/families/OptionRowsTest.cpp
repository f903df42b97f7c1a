// The one path from an option-row table to controls: build, show, click, save and apply.

#include <gtest/gtest.h>

#include <QRadioButton>
#include <QWidget>

#include "GuiFixture.h"
#include "SimFixture.h"
#include "families/OptionRows.h"
#include "families/SheetBuilder.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

constexpr uint32_t kReadable = 0x1A0;  // on the pentium4 profile
constexpr uint32_t kUnreadable = 0x1234;

constexpr std::array<OptionRow, 3> kRows = {{
    {900,
     " Plain ",
     "T_Plain",
     kReadable,
     3,
     "Off",
     "On",
     setting("T_PlainEN", "Enable", 3),
     {"T_PlainDIS", "Disable", 0, bit(3) | bit(5)}},
    {901, " Flushing ", "T_Flushing", kReadable, 7, "Set", "Clear",
     clearing("T_FlushingEN", "Enable", 7), setting("T_FlushingDIS", "Disable", 7),
     RowWrite::Flushing},
    {902, " Unread ", "T_Unread", kUnreadable, 0, "Off", "On", setting("T_UnreadEN", "Enable", 0),
     clearing("T_UnreadDIS", "Disable", 0)},
}};

class IdleHost : public PageHost {
public:
    void setFrequencyTimer(bool) override {}
    void setOverheatingTimer(bool) override {}
};

struct Rig {
    Rig() : sim("pentium4") {
        sim.platform.openTrace(dir.file("trace"));
        SheetBuilder builder(&sheet);
        rows.build(builder, kRows);
        builder.finish();
    }
    // The access kinds of the trace since the last call ("rdmsr", "wrmsr", "wrmsr-wbinvd").
    std::vector<std::string> accesses() {
        std::vector<std::string> kinds;
        const std::vector<std::string> lines = test::readLines(dir.file("trace"));
        for (size_t i = seen; i < lines.size(); ++i) {
            const size_t kind = lines[i].find(' ') + 1;
            kinds.push_back(lines[i].substr(kind, lines[i].find(' ', kind) - kind));
        }
        seen = lines.size();
        return kinds;
    }
    bool application = (test::ensureApplication(), true);
    test::TempDir dir;
    test::SimRig sim;
    AppFlags flags;
    IdleHost host;
    QWidget sheet;
    int refreshes = 0;
    OptionRows rows{PageContext{sim.platform, sim.msr, flags, host}, [this] { ++refreshes; }};
    size_t seen = 0;
};

struct ClickCase {
    size_t row;
    size_t position;
    uint32_t before;
    uint32_t after;
    const char* write;
};

TEST(OptionRowsTest, AClickWritesItsButtonsBitsAndRefreshes) {
    const ClickCase cases[] = {
        {0, 0, 0x00, 0x08, "wrmsr"},
        {0, 1, 0x2F, 0x07, "wrmsr"},
        {1, 0, 0x88, 0x08, "wrmsr-wbinvd"},
        {1, 1, 0x00, 0x80, "wrmsr-wbinvd"},
    };
    Rig rig;
    for (const ClickCase& c : cases) {
        rig.sim.setReg(kReadable, c.before);
        rig.accesses();
        rig.rows.controls(kRows[c.row]).buttons[c.position]->click();
        EXPECT_EQ(rig.sim.reg(kReadable), c.after) << c.row << " " << c.position;
        EXPECT_EQ(rig.accesses(), (std::vector<std::string>{"rdmsr", c.write}));
    }
    EXPECT_EQ(rig.refreshes, 4);
}

TEST(OptionRowsTest, AnUnreadRegisterIsNeitherWrittenNorShown) {
    Rig rig;
    rig.rows.controls(kRows[2]).buttons[0]->click();
    EXPECT_EQ(rig.accesses(), std::vector<std::string>{"rdmsr"});
    rig.sim.msr.Index = kUnreadable;
    rig.sim.msr.ReadMsr();
    rig.rows.show();
    EXPECT_EQ(rig.rows.controls(kRows[2]).panel->text(), QStringLiteral("---"));
    rig.sim.setReg(kReadable, 0x08);
    rig.sim.msr.Index = kReadable;
    rig.sim.msr.ReadMsr();
    rig.rows.show();
    EXPECT_EQ(rig.rows.controls(kRows[0]).panel->text(), QStringLiteral("On"));
    EXPECT_EQ(rig.rows.controls(kRows[1]).panel->text(), QStringLiteral("Set"));
}

TEST(OptionRowsTest, RecordsHoldTheCheckedPositionInCodeOrder) {
    Rig rig;
    rig.rows.controls(kRows[1]).buttons[0]->click();
    rig.rows.controls(kRows[0]).buttons[1]->click();
    std::vector<std::pair<int, int>> saved;
    for (const OptionRecord& record : rig.rows.saved())
        saved.emplace_back(record.code, record.value);
    EXPECT_EQ(saved, (std::vector<std::pair<int, int>>{{900, 1}, {901, 0}}));

    rig.sim.setReg(kReadable, 0);
    EXPECT_EQ(rig.rows.apply({900, 0}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(kReadable), 0x08u);
    rig.accesses();
    EXPECT_EQ(rig.rows.apply({900, 2}), RecordAction::Applied);  // no such button: ignored
    EXPECT_TRUE(rig.accesses().empty());
    EXPECT_EQ(rig.rows.apply({903, 0}), RecordAction::NotMine);
}

}  // namespace
}  // namespace zandro
