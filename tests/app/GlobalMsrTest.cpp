#include <gtest/gtest.h>
#include <QComboBox>
#include <QRadioButton>

#include "app/TfrmGlobalMSR.h"
#include "families/PageTestSupport.h"

namespace zandro {
namespace {

using test::accesses;
using test::GuiRig;
using test::writes;

constexpr uint32_t kMcgCap = 0x179;

struct GlobalRig {
    explicit GlobalRig(uint64_t mcgCap, const QString& settings = QStringLiteral("[Settings]\n"),
                       bool mca = true)
        : rig("pentium4", settings) {
        rig.sim.setReg(kMcgCap, mcgCap);
        if (mcgCap & 0x100)  // MCG_CTL present
            rig.sim.setReg(0x17B, 0);
        if (!mca)
            rig.sim.machine.cpu(0).cpuid[1].edx &= ~(1u << 14);
        EXPECT_TRUE(rig.start());
        window = rig.window->SpeedButton1Click();
    }
    QString panel(const char* name) { return test::panelText(window, name); }
    QString banks() {
        QStringList items;
        for (int i = 0; i < window->Global_MCAOneRegisterCombo->count(); ++i)
            items << window->Global_MCAOneRegisterCombo->itemText(i);
        return QString::number(window->Global_MCAOneRegisterCombo->currentIndex()) + ':' +
               items.join('|');
    }
    GuiRig rig;
    TfrmGlobalMSR* window = nullptr;
};

TEST(GlobalMsrTest, BankListFollowsTheCountAndProtection) {
    struct Case {
        uint64_t cap;
        const char* settings;
        const char* list;
        const char* extended;
    } cases[] = {
        {0x0000103, "[Settings]\n", "0:400h|404h|408h", "Not Supported"},
        {0x0000103, "[Settings]\nuser_protection=0\n", "0:400h|404h|408h|40Ch|410h",
         "Not Supported"},
        {0x0180209, "[Settings]\n", "0:400h|404h|408h|40Ch|410h", "24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        GlobalRig g(c.cap, QLatin1String(c.settings));
        g.rig.act(QStringLiteral("tab:Global_MachineCheck"));
        EXPECT_EQ(g.banks(), QLatin1String(c.list));
        EXPECT_EQ(g.panel("Global_ExtendedRegistersCount"), QLatin1String(c.extended));
    }
}

TEST(GlobalMsrTest, WithoutMachineCheckEverySwitchIsOff) {
    GlobalRig g(0x105, QStringLiteral("[Settings]\n"), false);
    g.rig.act(QStringLiteral("tab:Global_MachineCheck"));
    for (const char* name : {"Global_StandardRegistersCount", "Global_ExtendedRegistersCount",
                             "Global_MCAGlobalStatus", "Global_MCAOneRegisterStatus"})
        EXPECT_EQ(g.panel(name), QStringLiteral("N/A")) << name;
    EXPECT_EQ(g.panel("Global_MCAPresence"), QStringLiteral("Not Supported"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             g.window->Global_MCAGlobalEN, g.window->Global_MCAGlobalDIS,
             g.window->Global_MCAOneRegisterCombo, g.window->Global_MCAOneRegisterEN,
             g.window->Global_MCAOneRegisterDIS})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST(GlobalMsrTest, RefreshReadsExactlyItsRegisters) {
    GlobalRig g(0x105);
    g.rig.takeTrace();
    g.rig.act(QStringLiteral("tab:Global_MachineCheck"));
    EXPECT_EQ(accesses(g.rig.takeTrace()),
              (QStringList{"r 179", "r 1b", "r 1b", "r 179", "r 17b", "r 400"}));
    EXPECT_EQ(g.panel("Global_APICBaseAddress"),
              QString::number(g.rig.sim.reg(0x1B) >> 12 & 0xFFFFF));
}

TEST(GlobalMsrTest, SwitchesWriteAllOnesOrZerosAndReopeningResetsTheBank) {
    GlobalRig g(0x105);
    g.rig.act(QStringLiteral("tab:Global_MachineCheck"));
    g.rig.act(QStringLiteral("select:Global_MCAOneRegisterCombo=2"));
    g.rig.takeTrace();
    g.rig.act(QStringLiteral("click:Global_MCAGlobalEN"));
    g.rig.act(QStringLiteral("click:Global_MCAOneRegisterDIS"));
    EXPECT_EQ(writes(g.rig.takeTrace()),
              (QStringList{"wrmsr 17b ffffffffffffffff", "wrmsr 408 0000000000000000"}));
    EXPECT_EQ(g.panel("Global_MCAOneRegisterStatus"), QStringLiteral("Disabled"));
    g.rig.act(QStringLiteral("tab:Global_APIC"));
    g.rig.act(QStringLiteral("tab:Global_MachineCheck"));
    EXPECT_EQ(g.window->Global_MCAOneRegisterCombo->currentIndex(), 0);
}

}  // namespace
}  // namespace zandro
