#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "core/MsrBuffer.h"
#include "pstates/ListFillers.h"

namespace zandro {
namespace {

using test::FakePlatform;
using Items = std::vector<std::string>;

constexpr uint32_t kStatus = 0xC0010042;

uint64_t amdStatus(unsigned maxFid, unsigned maxVid) {
    return uint64_t(maxFid) << 16 | uint64_t(maxVid) << 48;
}

uint64_t perfStatus(unsigned lowVid, unsigned highVid, unsigned lowRatio, unsigned highRatio) {
    return uint64_t(lowVid) << 16 | uint64_t(lowRatio) << 24 | uint64_t(highVid) << 32 |
           uint64_t(highRatio) << 40;
}

// A machine that allows nothing: no FID/VID control, SpeedStep off, a Pentium 4 of model 2.
struct Machine {
    FakePlatform platform;
    MsrBuffer msr{platform};
    Machine() {
        platform.setPowerManagement(false, false);
        platform.setIdentity("GenuineIntel", 15, 2, 0);
        platform.regs[kStatus] = amdStatus(8, 20);
        platform.regs[0x1A0] = 0;
        platform.regs[0x198] = perfStatus(10, 20, 6, 12);
    }
};

TEST(ListFillers, WithoutProtectionEverythingIsOffered) {
    Machine m;
    const A64Lists a64 = A64_NaplnitKomba(m.msr, false, false);
    const K7Lists k7 = K7_NaplnitKomba(m.msr, false);
    const IntelLists pm = PMobile_NaplnitKomba(m.msr, false);
    const IntelLists p4 = NetBurst_NaplnitKomba(m.msr, false);

    EXPECT_EQ(a64.multiplier.items.size(), 43u);
    EXPECT_EQ(a64.multiplier.items.front(), "4.0x");
    EXPECT_EQ(a64.multiplier.items.back(), "25.0x");
    EXPECT_EQ(a64.voltage.items.size(), 32u);
    EXPECT_EQ(a64.voltage.items.front(), "1.550V");
    EXPECT_EQ(a64.voltage.items.back(), "off");
    EXPECT_EQ(k7.multiplier.items, K7_InitialMultiplierItems());
    EXPECT_EQ(k7.multiplier.items.size(), 32u);
    EXPECT_EQ(k7.voltage.items.size(), 31u);
    EXPECT_EQ(k7.voltage.items.back(), "off");
    for (const IntelLists* lists : {&pm, &p4}) {
        EXPECT_EQ(lists->multiplier.items.size(), 30u);
        EXPECT_EQ(lists->multiplier.items.front(), "1x");
        EXPECT_EQ(lists->multiplier.items.back(), "30x");
        EXPECT_TRUE(lists->buttonEnabled);
    }
    EXPECT_EQ(pm.voltage.items, PMobile_InitialVoltageItems());
    EXPECT_EQ(p4.voltage.items.size(), 62u);
    EXPECT_EQ(p4.voltage.items.front(), "1.6000V");
    EXPECT_EQ(p4.voltage.items[1], "1.5875V");
    EXPECT_EQ(p4.voltage.items.back(), "0.8375V");

    for (const ComboFill* box : {&a64.multiplier, &a64.voltage, &k7.multiplier, &k7.voltage,
                                 &pm.multiplier, &pm.voltage, &p4.multiplier, &p4.voltage}) {
        EXPECT_TRUE(box->enabled);
        EXPECT_TRUE(box->refill);
    }
    EXPECT_TRUE(a64.buttonEnabled);
    EXPECT_TRUE(k7.buttonEnabled);
    EXPECT_TRUE(k7.stopGrantEnabled);
}

TEST(ListFillers, Athlon64MultipliersFollowTheMaximumFid) {
    Machine m;
    m.platform.setPowerManagement(true, true);
    m.platform.regs[kStatus] = amdStatus(14, 0);
    EXPECT_EQ(A64_NaplnitKomba(m.msr, true, false).multiplier.items,
              (Items{"4.0x", "5.0x", "6.0x", "8.0x", "9.0x", "10.0x", "11.0x"}));
    EXPECT_EQ(A64_NaplnitKomba(m.msr, true, true).multiplier.items,
              (Items{"4.0x", "4.5x", "5.0x", "5.5x", "6.0x", "8.0x", "8.5x", "9.0x", "9.5x",
                     "10.0x", "10.5x", "11.0x"}));

    m.platform.regs[kStatus] = amdStatus(12, 0);
    EXPECT_EQ(A64_NaplnitKomba(m.msr, true, false).multiplier.items,
              (Items{"4.0x", "5.0x", "8.0x", "9.0x", "10.0x"}));
    EXPECT_EQ(A64_NaplnitKomba(m.msr, true, true).multiplier.items,
              (Items{"4.0x", "4.5x", "5.0x", "5.5x", "8.0x", "8.5x", "9.0x", "9.5x", "10.0x"}));

    // Below FID 8 even the lowest multiplier is withheld.
    m.platform.regs[kStatus] = amdStatus(7, 0);
    EXPECT_TRUE(A64_NaplnitKomba(m.msr, true, true).multiplier.items.empty());
}

TEST(ListFillers, Athlon64VoltagesStopAtTheMaximum) {
    Machine m;
    m.platform.setPowerManagement(true, true);
    m.platform.regs[kStatus] = amdStatus(14, 6);
    m.platform.trace.clear();
    const A64Lists lists = A64_NaplnitKomba(m.msr, true, false);
    ASSERT_EQ(lists.voltage.items.size(), 25u);
    EXPECT_EQ(lists.voltage.items.front(), "1.400V");
    EXPECT_EQ(lists.voltage.items.back(), "0.800V");
    EXPECT_EQ(m.platform.trace, (Items{"rdmsr C0010042", "rdmsr C0010042"}));
}

TEST(ListFillers, Athlon64WithoutFidControlKeepsTheMultiplierItems) {
    Machine m;
    m.platform.setPowerManagement(false, true);
    m.platform.regs[kStatus] = amdStatus(14, 0);
    m.platform.trace.clear();
    const A64Lists lists = A64_NaplnitKomba(m.msr, true, true);
    EXPECT_FALSE(lists.multiplier.enabled);
    EXPECT_FALSE(lists.multiplier.refill);
    EXPECT_TRUE(lists.voltage.enabled);
    EXPECT_EQ(lists.voltage.items.size(), 31u);
    EXPECT_TRUE(lists.buttonEnabled);
    EXPECT_EQ(m.platform.count("rdmsr"), 1u);

    m.platform.setPowerManagement(false, false);
    m.platform.trace.clear();
    const A64Lists none = A64_NaplnitKomba(m.msr, true, true);
    EXPECT_FALSE(none.voltage.enabled || none.voltage.refill || none.buttonEnabled);
    EXPECT_TRUE(m.platform.trace.empty()) << "nothing allowed, nothing read";
}

TEST(ListFillers, K7ListsFollowTheMaximumMultiplier) {
    Machine m;
    m.platform.setPowerManagement(true, true);
    m.platform.regs[kStatus] = amdStatus(25, 16);
    const K7Lists lists = K7_NaplnitKomba(m.msr, true);
    ASSERT_FALSE(lists.multiplier.items.empty());
    EXPECT_EQ(lists.multiplier.items.back(), "22.0x");
    EXPECT_EQ(lists.multiplier.items.size(), 30u);
    EXPECT_EQ(lists.voltage.items.front(), "1.275V");
    EXPECT_EQ(lists.voltage.items.size(), 15u);
    EXPECT_TRUE(lists.stopGrantEnabled);

    // Code 0 is 11.0x: codes 4..15 (5.0x..10.5x) lie below it although their codes are higher.
    m.platform.regs[kStatus] = amdStatus(0, 0);
    const K7Lists low = K7_NaplnitKomba(m.msr, true);
    EXPECT_EQ(low.multiplier.items.size(), 15u);
    EXPECT_EQ(low.multiplier.items.back(), "11.0x");
    EXPECT_EQ(low.voltage.items, K7_InitialVoltageItems()) << "VID 15 is never offered";

    m.platform.setPowerManagement(false, false);
    const K7Lists none = K7_NaplnitKomba(m.msr, true);
    EXPECT_FALSE(none.multiplier.refill || none.voltage.refill);
    EXPECT_FALSE(none.buttonEnabled || none.stopGrantEnabled);
}

TEST(ListFillers, PentiumMRatiosAndVoltages) {
    Machine m;
    m.platform.regs[0x1A0] = 1u << 16;
    m.platform.regs[0x198] = perfStatus(8, 20, 6, 9);
    IntelLists lists = PMobile_NaplnitKomba(m.msr, true);
    EXPECT_EQ(lists.multiplier.items, (Items{"6x", "7x", "8x", "9x"}));
    ASSERT_EQ(lists.voltage.items.size(), 13u);
    EXPECT_EQ(lists.voltage.items.front(), "1.020V");
    EXPECT_EQ(lists.voltage.items.back(), "0.828V");

    m.platform.regs[0x198] = perfStatus(8, 20, 6, 0);
    EXPECT_TRUE(PMobile_NaplnitKomba(m.msr, true).multiplier.items.empty());
    m.platform.regs[0x198] = perfStatus(8, 20, 10, 9);
    lists = PMobile_NaplnitKomba(m.msr, true);
    EXPECT_TRUE(lists.multiplier.items.empty());
    EXPECT_TRUE(lists.multiplier.refill);

    m.platform.regs[0x1A0] = 0;  // Enhanced SpeedStep disabled
    m.platform.trace.clear();
    lists = PMobile_NaplnitKomba(m.msr, true);
    EXPECT_FALSE(lists.multiplier.enabled || lists.multiplier.refill);
    EXPECT_FALSE(lists.voltage.enabled || lists.voltage.refill);
    EXPECT_FALSE(lists.buttonEnabled);
    EXPECT_EQ(m.platform.trace, (Items{"rdmsr 1A0"}));
}

TEST(ListFillers, Pentium4VoltagesBetweenTheReportedBounds) {
    Machine m;
    m.platform.regs[0x198] = perfStatus(22, 1, 12, 14);
    EXPECT_FALSE(NetBurst_NaplnitKomba(m.msr, true).buttonEnabled) << "model 2";

    m.platform.setIdentity("GenuineIntel", 15, 3, 0);
    IntelLists lists = NetBurst_NaplnitKomba(m.msr, true);
    EXPECT_EQ(lists.multiplier.items, (Items{"12x", "13x", "14x"}));
    ASSERT_EQ(lists.voltage.items.size(), 21u);
    EXPECT_EQ(lists.voltage.items.front(), "1.1000V");
    EXPECT_EQ(lists.voltage.items[1], "1.0875V");
    EXPECT_EQ(lists.voltage.items.back(), "0.8500V");

    for (unsigned highest : {0u, 32u, 64u, 255u}) {
        m.platform.regs[0x198] = perfStatus(22, highest, 12, 14);
        lists = NetBurst_NaplnitKomba(m.msr, true);
        EXPECT_TRUE(lists.voltage.enabled);
        EXPECT_TRUE(lists.voltage.items.empty()) << "highest VID " << highest;
    }
    // A lowest VID of "VR output off" leaves every voltage up to the highest.
    m.platform.regs[0x198] = perfStatus(0, 1, 12, 14);
    EXPECT_EQ(NetBurst_NaplnitKomba(m.msr, true).voltage.items.size(), 22u);
}

TEST(ListFillers, InitialItems) {
    const Items k7 = K7_InitialMultiplierItems();
    ASSERT_EQ(k7.size(), 32u);
    EXPECT_EQ(k7.front(), "3.0x");
    EXPECT_EQ(k7[2], "5.0x");
    EXPECT_EQ(k7.back(), "24.0x");
    const Items k7v = K7_InitialVoltageItems();
    ASSERT_EQ(k7v.size(), 30u);
    EXPECT_EQ(k7v[14], "1.300V");
    EXPECT_EQ(k7v[15], "1.275V");
    const Items p4 = NetBurst_InitialMultiplierItems();
    ASSERT_EQ(p4.size(), 23u);
    EXPECT_EQ(p4.front(), "3x");
    EXPECT_EQ(p4.back(), "25x");
    const Items pm = PMobile_InitialVoltageItems();
    ASSERT_EQ(pm.size(), 64u);
    EXPECT_EQ(pm.front(), "1.708V");
    EXPECT_EQ(pm.back(), "0.700V");
}

// Fills waiting for a page not built yet: the last one decides the state, the last refill the
// items.
TEST(ListFillersTest, FillsInARowLeaveTheLastStateAndTheLastRefillsItems) {
    const ComboFill filled{true, true, {"5.0x", "6.0x"}};
    const ComboFill disabled{false, false, {}};
    const ComboFill refilled{true, true, {"7.0x"}};
    struct Case {
        ComboFill earlier, later;
        ComboFill shown;
    };
    const Case cases[] = {
        {filled, disabled, {false, true, {"5.0x", "6.0x"}}},
        {filled, refilled, refilled},
        {disabled, disabled, disabled},
    };
    for (const Case& c : cases) {
        const ComboFill shown = followedBy(c.earlier, c.later);
        EXPECT_EQ(shown.enabled, c.shown.enabled);
        EXPECT_EQ(shown.refill, c.shown.refill);
        EXPECT_EQ(shown.items, c.shown.items);
    }
    IntelLists later{disabled, refilled, false};
    const IntelLists both = followedBy(std::optional<IntelLists>({filled, filled, true}), later);
    EXPECT_EQ(both.multiplier.items, filled.items);
    EXPECT_EQ(both.voltage.items, refilled.items);
    EXPECT_FALSE(both.buttonEnabled);
}

}  // namespace
}  // namespace zandro
