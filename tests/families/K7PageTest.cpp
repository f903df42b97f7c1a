#include <gtest/gtest.h>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "PageTestSupport.h"
#include "families/EditBox.h"
#include "families/K7Page.h"
#include "families/StatusPanel.h"

namespace zandro {
namespace {

using test::enabled;
using test::GuiRig;
using test::panelText;
using test::readIndexes;

constexpr uint32_t kSyscfg = 0xC0010010;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint32_t kClkCtl = 0xC001001B;

// A started rig on a K7 profile whose processor reports the given CPUID leaf 1 model.
std::unique_ptr<GuiRig> startModel(const char* profile, unsigned model,
                                   const QString& ini = QStringLiteral("[MainWindow]\n")) {
    auto rig = std::make_unique<GuiRig>(profile, ini);
    rig->sim.machine.cpu(0).cpuid[1].eax = 0x600 | (model << 4);
    EXPECT_TRUE(rig->start());
    return rig;
}

const char* const kHaltControls[] = {"K7_HLTmulti", "K7_HLTmultiCombo", "K7_HLTmultiSET"};
const char* const kStopGrantControls[] = {"K7_STPCLKmulti", "K7_STPCLKmultiCombo",
                                          "K7_STPCLKmultiSET"};
const char* const kApicControls[] = {"K7_APICbusMessages", "K7_APICbusMessagesReject",
                                     "K7_APICbusMessagesNoReject"};

TEST(K7PageTest, RefreshReadsExactlyThePagesRegisters) {
    GuiRig rig("athlon-mobile");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:K7_Features"));
    EXPECT_EQ(readIndexes(rig.takeTrace()),
              (QStringList{"c0010030", "c0010031", "c0010032", "c0010033", "c0010034", "c0010035",
                           "c0010015", "c001001e", "c0010015", "c0000080", "c0010010", "c0010015",
                           "c001001b", "c0010042"}));
    GuiRig desktop("athlon");
    ASSERT_TRUE(desktop.start());
    desktop.act(QStringLiteral("tab:K7_Features"));
    EXPECT_FALSE(readIndexes(desktop.takeTrace()).contains(QStringLiteral("c0010042")));
}

TEST(K7PageTest, ProtectionFollowsTheModel) {
    struct Case {
        unsigned model;
        bool halt, stopGrant;
        const char* caption;
    };
    for (const Case& c : {Case{1, false, false, " Stop Grant / Halt Clock Divisor "},
                          Case{3, false, true, " Stop Grant / Halt Clock Divisor "},
                          Case{4, false, true, " Stop Grant / Halt Clock Divisor "},
                          Case{5, true, true, " Stop Grant Clock Divisor "}}) {
        auto rig = startModel("athlon-spitfire", c.model);
        rig->act(QStringLiteral("tab:K7_CLKCTL"));
        for (const char* name : kHaltControls)
            EXPECT_EQ(enabled(*rig, name), c.halt) << c.model << name;
        for (const char* name : kApicControls)
            EXPECT_EQ(enabled(*rig, name), c.halt) << c.model << name;
        for (const char* name : kStopGrantControls)
            EXPECT_EQ(enabled(*rig, name), c.stopGrant) << c.model << name;
        auto* group = qobject_cast<QGroupBox*>(
            rig->control<QWidget>(QStringLiteral("K7_STPCLKmulti"))->parentWidget());
        EXPECT_EQ(group->title(), QLatin1String(c.caption)) << c.model;
    }
    // Without protection everything is enabled, the caption the plain one.
    auto open = startModel("athlon-spitfire", 1, QStringLiteral("[Settings]\nuser_protection=0\n"));
    for (const char* name : kHaltControls)
        EXPECT_TRUE(enabled(*open, name)) << name;
}

TEST(K7PageTest, BelowModel6TheHaltPanelIsNeverWritten) {
    GuiRig rig("athlon-thunderbird");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(panelText(rig, "K7_HLTmulti"), QStringLiteral("---"));
    EXPECT_EQ(panelText(rig, "K7_STPCLKmulti"), QStringLiteral("64"));
    EXPECT_EQ(panelText(rig, "K7_CLKtiming"), QStringLiteral("Fast"));
}

TEST(K7PageTest, DivisorAndTimingSetsWriteTheirFields) {
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:K7_CLKCTL"));
    const uint64_t before = rig.sim.reg(kClkCtl);
    rig.act(QStringLiteral("select:K7_STPCLKmultiCombo=4"));  // "128"
    rig.act(QStringLiteral("click:K7_STPCLKmultiSET"));
    EXPECT_EQ(rig.sim.reg(kClkCtl), (before & ~uint64_t(0x4C000)) | 0x40000);
    EXPECT_EQ(panelText(rig, "K7_STPCLKmulti"), QStringLiteral("128"));

    rig.act(QStringLiteral("select:K7_HLTmultiCombo=1"));  // "16"
    rig.act(QStringLiteral("click:K7_HLTmultiSET"));
    EXPECT_EQ(rig.sim.reg(kClkCtl) & 0x4C, 0x4u);
    EXPECT_EQ(panelText(rig, "K7_HLTmulti"), QStringLiteral("16"));

    rig.act(QStringLiteral("select:K7_CLKtimingCombo=3"));  // "Slow"
    rig.act(QStringLiteral("click:K7_CLKtimingSET"));
    EXPECT_EQ(rig.sim.reg(kClkCtl) & 0x33333, 0x33333u);
    EXPECT_EQ(panelText(rig, "K7_CLKtiming"), QStringLiteral("Slow"));

    rig.act(QStringLiteral("select:K7_CLKtimingCombo=-1"));  // no selection: "Ultra Fast"
    rig.act(QStringLiteral("click:K7_CLKtimingSET"));
    EXPECT_EQ(rig.sim.reg(kClkCtl) & 0x33333, 0u);

    rig.act(QStringLiteral("click:K7_APICbusMessagesReject"));
    EXPECT_TRUE(rig.sim.reg(kClkCtl) & (1u << 19));
    EXPECT_EQ(panelText(rig, "K7_APICbusMessages"), QStringLiteral("Rejected"));
    rig.act(QStringLiteral("click:K7_APICbusMessagesNoReject"));
    EXPECT_FALSE(rig.sim.reg(kClkCtl) & (1u << 19));
}

TEST(K7PageTest, UndecodableFieldsLeaveTheirPanels) {
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    // Timing copies 1 and 2 differ; stop grant range 1 with field 3 has no divisor.
    rig.sim.setReg(kClkCtl, 0x20000000 | 0x21 | 0x4C000);
    rig.act(QStringLiteral("tab:K7_CLKCTL"));
    EXPECT_EQ(panelText(rig, "K7_CLKtiming"), QStringLiteral("Normal"));
    EXPECT_EQ(panelText(rig, "K7_STPCLKmulti"), QStringLiteral("512"));
}

TEST(K7PageTest, FeatureButtonsWriteTheirBitsWithTheirWriteKind) {
    struct Case {
        const char* button;
        uint32_t index;
        unsigned bit;
        bool setsBit;
        bool flushing;
        const char* panel;
        const char* shown;
    };
    const Case cases[] = {
        {"K7_SystemCallExtensionDIS", 0xC0000080, 0, false, false, "K7_SystemCallExtension",
         "Disabled"},
        {"K7_SystemCallExtensionEN", 0xC0000080, 0, true, false, "K7_SystemCallExtension",
         "Enabled"},
        {"K7_SystemECCcheckingEN", kSyscfg, 15, true, true, "K7_SystemECCchecking", "Enabled"},
        {"K7_SystemECCcheckingDIS", kSyscfg, 15, false, true, "K7_SystemECCchecking", "Disabled"},
        {"K7_TLBforceCacheableDIS", kHwcr, 3, false, false, "K7_TLBforceCacheable", "Disabled"},
        {"K7_TLBforceCacheableEN", kHwcr, 3, true, false, "K7_TLBforceCacheable", "Enabled"},
        {"K7_SSEInstructionSupportDIS", kHwcr, 15, true, true, "K7_SSEInstructionSupport",
         "Disabled"},
        {"K7_SSEInstructionSupportEN", kHwcr, 15, false, true, "K7_SSEInstructionSupport",
         "Enabled"},
    };
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("tab:K7_Features"));
    for (const Case& c : cases) {
        rig.takeTrace();
        const uint64_t before = rig.sim.reg(c.index);
        rig.act(QStringLiteral("click:%1").arg(QLatin1String(c.button)));
        const uint64_t mask = uint64_t(1) << c.bit;
        EXPECT_EQ(rig.sim.reg(c.index), c.setsBit ? before | mask : before & ~mask) << c.button;
        const QString kind = c.flushing ? QStringLiteral("wrmsr-wbinvd") : QStringLiteral("wrmsr");
        const QString write = QStringLiteral("0 %1 %2 ").arg(kind).arg(c.index, 0, 16);
        EXPECT_EQ(rig.takeTrace().filter(write).size(), 1) << c.button;
        EXPECT_EQ(panelText(rig, c.panel), QLatin1String(c.shown)) << c.button;
        EXPECT_TRUE(rig.control<QRadioButton>(QLatin1String(c.button))->isChecked());
    }
}

TEST(K7PageTest, NameStringWriteShowsTheNewName) {
    GuiRig rig("athlon-spitfire");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("text:K7_NameStringEditBox=AMD Duron 700"));
    EXPECT_EQ(rig.control<QLabel>(QStringLiteral("K7_CharsLeftLabel"))->text(),
              QStringLiteral("35 chars left"));
    rig.act(QStringLiteral("click:K7_NameStringWrite"));
    EXPECT_EQ(panelText(rig, "K7_NameString"), QStringLiteral("AMD Duron 700"));
}

TEST(K7PageTest, StopGrantBoxTakesDigitsAndChecksItsRangeOnExit) {
    GuiRig rig("athlon-mobile");
    ASSERT_TRUE(rig.start());
    auto* box = rig.control<EditBox>(QStringLiteral("K7_StopGrantCyclesBox"));
    rig.act(QStringLiteral("text:K7_StopGrantCyclesBox=12a-3"));
    EXPECT_EQ(box->text(), QStringLiteral("123"));
    const QString warning = QStringLiteral("Please enter a value between 0 and 1048575.");
    for (const char* text : {"0", "1048575"}) {
        rig.act(QStringLiteral("text:K7_StopGrantCyclesBox=%1").arg(QLatin1String(text)));
        rig.act(QStringLiteral("leave:K7_StopGrantCyclesBox"));
    }
    EXPECT_TRUE(rig.messages.texts().isEmpty());
    for (const char* text : {"1048576", ""}) {
        rig.act(QStringLiteral("text:K7_StopGrantCyclesBox=%1").arg(QLatin1String(text)));
        rig.act(QStringLiteral("leave:K7_StopGrantCyclesBox"));
        EXPECT_EQ(box->text(), QLatin1String(text));  // the text stays
    }
    EXPECT_EQ(rig.messages.texts(), (QStringList{warning, warning}));
}

int comboIndex(GuiRig& rig, const char* name) {
    return rig.control<QComboBox>(QLatin1String(name))->currentIndex();
}

// The three lists of the Low Power Modes tab start at what C001001Bh holds, each model alike;
// timing copies that differ keep the preset "Normal".
TEST(K7PageTest, ClockListsStartAtWhatTheRegisterHolds) {
    struct Case {
        const char* profile;
        uint32_t clockControl;  // 0: the profile's own
        int halt, stopGrant, timing;
    };
    const Case cases[] = {
        {"athlon", 0, 6, 6, 2},                         // 2006A26Ah: 512, 512, "Normal"
        {"athlon-mobile", 0, 5, 4, 3},                  // 200F3377h: 256, 128, "Slow"
        {"athlon-thunderbird", 0, 0, 3, 1},             // 6001D111h: 8, 64, "Fast"
        {"athlon-spitfire", 0, 0, 2, 2},                // 2002A222h: 8, 32, "Normal"
        {"athlon", 0x20000000 | 0x21 | 0x44, 5, 0, 2},  // timing copies differ
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        GuiRig rig(c.profile);
        if (c.clockControl)
            rig.sim.setReg(kClkCtl, c.clockControl);
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(comboIndex(rig, "K7_HLTmultiCombo"), c.halt);
        EXPECT_EQ(comboIndex(rig, "K7_STPCLKmultiCombo"), c.stopGrant);
        EXPECT_EQ(comboIndex(rig, "K7_CLKtimingCombo"), c.timing);
    }
}

// "Set" beside an untouched list writes back what the register holds.
TEST(K7PageTest, SetBesideAnUntouchedListKeepsTheRegister) {
    for (const char* profile : {"athlon", "athlon-mobile"}) {
        SCOPED_TRACE(profile);
        GuiRig rig(profile);
        ASSERT_TRUE(rig.start());
        rig.act(QStringLiteral("tab:K7_CLKCTL"));
        const uint64_t before = rig.sim.reg(kClkCtl);
        for (const char* set :
             {"click:K7_HLTmultiSET", "click:K7_STPCLKmultiSET", "click:K7_CLKtimingSET"})
            rig.act(QLatin1String(set));
        EXPECT_EQ(rig.sim.reg(kClkCtl), before);
    }
}

// A pick stays through refreshes until its "Set" or until the page shows anew.
TEST(K7PageTest, APickStaysUntilSetOrThePageShowsAnew) {
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    auto* page = rig.control<K7Page>(QStringLiteral("pgctrlK7"));
    rig.act(QStringLiteral("tab:K7_CLKCTL"));
    rig.act(QStringLiteral("select:K7_HLTmultiCombo=3"));
    rig.act(QStringLiteral("select:K7_STPCLKmultiCombo=1"));
    rig.act(QStringLiteral("click:K7_APICbusMessagesReject"));  // refreshes the page
    EXPECT_EQ(comboIndex(rig, "K7_HLTmultiCombo"), 3);
    EXPECT_EQ(comboIndex(rig, "K7_STPCLKmultiCombo"), 1);
    rig.act(QStringLiteral("click:K7_HLTmultiSET"));
    // The register changed under the list that was Set: it follows; the other keeps its pick.
    rig.sim.setReg(kClkCtl, 0x2006A26A);
    page->K7_RefreshStatus();
    EXPECT_EQ(comboIndex(rig, "K7_HLTmultiCombo"), 6);
    EXPECT_EQ(comboIndex(rig, "K7_STPCLKmultiCombo"), 1);
    page->setShown(false);
    page->setShown(true);
    EXPECT_EQ(comboIndex(rig, "K7_STPCLKmultiCombo"), 6);
}

TEST(K7PageTest, RecordsSaveAndApplyAsTheUserWould) {
    GuiRig rig("athlon");
    ASSERT_TRUE(rig.start());
    auto* page = rig.control<K7Page>(QStringLiteral("pgctrlK7"));
    rig.act(QStringLiteral("select:K7_HLTmultiCombo=-1"));
    rig.act(QStringLiteral("click:K7_SystemECCcheckingDIS"));
    rig.act(QStringLiteral("click:K7_APICbusMessagesReject"));
    const std::vector<OptionRecord> saved = page->savedOptions();
    ASSERT_EQ(saved.size(), 5u);
    const std::vector<std::pair<int, int>> expected = {
        {320, 255}, {321, 6}, {322, 2}, {323, 0}, {331, 1}};
    for (size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(saved[i].code, expected[i].first);
        EXPECT_EQ(saved[i].value, expected[i].second);
    }

    // 321: the item is selected and "Set" runs; a radio record runs its handler only.
    EXPECT_EQ(page->applyRecord({321, 6}), RecordAction::Applied);
    EXPECT_EQ(page->K7_STPCLKmultiCombo->currentIndex(), 6);
    EXPECT_EQ(rig.sim.reg(kClkCtl) & 0x4C000, 0x48000u);
    EXPECT_EQ(page->applyRecord({333, 1}), RecordAction::Applied);
    EXPECT_TRUE(rig.sim.reg(kHwcr) & 0x8000);
    EXPECT_FALSE(
        rig.control<QRadioButton>(QStringLiteral("K7_SSEInstructionSupportDIS"))->isChecked());
    // No such item: none selected, "Set" writes "Ultra Fast", and the list then shows it.
    EXPECT_EQ(page->applyRecord({322, 9}), RecordAction::Applied);
    EXPECT_EQ(rig.sim.reg(kClkCtl) & 0x33333, 0u);
    EXPECT_EQ(page->K7_CLKtimingCombo->currentIndex(), 0);
    EXPECT_EQ(page->applyRecord({350, 3}), RecordAction::TransitionRequested);
    EXPECT_EQ(page->frequency.multiplier->currentIndex(), 3);
    EXPECT_EQ(page->applyRecord({340, 0}), RecordAction::NotMine);
}

}  // namespace
}  // namespace zandro
