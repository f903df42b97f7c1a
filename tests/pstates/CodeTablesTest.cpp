#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "FakePlatform.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"

namespace zandro {
namespace {

using test::FakePlatform;

// "1.2345V" in units of 0.1 mV, parsed independently of the code under test.
long tenthMillivolts(const std::string& text) {
    EXPECT_EQ(text.back(), 'V') << text;
    return std::lround(std::strtod(text.c_str(), nullptr) * 10000);
}

TEST(CodeTables, AthlonCodes) {
    EXPECT_EQ(A64_FidToText(0), "4x");
    EXPECT_EQ(A64_FidToText(1), "4.5x");
    EXPECT_EQ(A64_FidToText(16), "12x");
    EXPECT_EQ(A64_FidToText(41), "24.5x");
    EXPECT_EQ(A64_FidToText(42), "25x");
    EXPECT_EQ(A64_FidToText(43), "unknown");
    EXPECT_EQ(A64_FidToText(255), "unknown");

    EXPECT_EQ(A64_VidToText(0), "1.550V");
    EXPECT_EQ(A64_VidToText(1), "1.525V");
    EXPECT_EQ(A64_VidToText(30), "0.800V");
    EXPECT_EQ(A64_VidToText(31), "off");
    EXPECT_EQ(A64_VidToText(32), "Unknown");
}

TEST(CodeTables, K7Codes) {
    const std::map<uint8_t, std::string> expected = {
        {0, "11.0x"},  {1, "11.5x"},  {2, "12.0x"},           {3, "12.5x"},  {4, "5.0x"},
        {5, "5.5x"},   {11, "8.5x"},  {15, "10.5x"},          {16, "3x"},    {17, "19.0x"},
        {18, "4x"},    {19, "20.0x"}, {20, "13.0x"},          {21, "13.5x"}, {22, "14.0x"},
        {23, "21.0x"}, {24, "15.0x"}, {25, "22.0x or 22.5x"}, {26, "16.0x"}, {27, "16.5x"},
        {28, "17.0x"}, {29, "18.0x"}, {30, "23.0x"},          {31, "24.0x"}, {32, "Unknown"},
    };
    for (const auto& [code, text] : expected)
        EXPECT_EQ(K7_FidToText(code), text) << int(code);

    std::set<std::string> texts;
    for (uint8_t code = 0; code < 32; ++code)
        texts.insert(K7_FidToText(code));
    EXPECT_EQ(texts.size(), 32u) << "every K7 code has its own multiplier";

    EXPECT_EQ(K7_VidToText(0), "2.000V");
    EXPECT_EQ(K7_VidToText(14), "1.300V");
    EXPECT_EQ(K7_VidToText(15), "shutdown");
    EXPECT_EQ(K7_VidToText(16), "1.275V");
    EXPECT_EQ(K7_VidToText(30), "0.925V");
    EXPECT_EQ(K7_VidToText(31), "shutdown");
    EXPECT_EQ(K7_VidToText(32), "Unknown");
}

TEST(CodeTables, IntelVoltages) {
    EXPECT_EQ(PMobile_VidToText(0), "0.700V");
    EXPECT_EQ(PMobile_VidToText(8), "0.828V");
    EXPECT_EQ(PMobile_VidToText(63), "1.708V");
    EXPECT_EQ(PMobile_VidToText(64), "Unknown");

    EXPECT_EQ(NetBurst_VidToText(0), "VR output off");
    EXPECT_EQ(NetBurst_VidToText(32), "VR output off");
    EXPECT_EQ(NetBurst_VidToText(1), "1.1000V");
    EXPECT_EQ(NetBurst_VidToText(21), "1.6000V");
    EXPECT_EQ(NetBurst_VidToText(22), "0.8500V");
    EXPECT_EQ(NetBurst_VidToText(31), "1.0750V");
    EXPECT_EQ(NetBurst_VidToText(33), "1.1125V");
    EXPECT_EQ(NetBurst_VidToText(52), "1.5875V");
    EXPECT_EQ(NetBurst_VidToText(53), "0.8375V");
    EXPECT_EQ(NetBurst_VidToText(63), "1.0875V");
    EXPECT_EQ(NetBurst_VidToText(64), "Unknown");
}

TEST(CodeTables, NetBurstLadderRisesByHalfSteps) {
    EXPECT_EQ(NetBurst_VidToText(kNetBurstVidLadder.front()), "0.8375V");
    EXPECT_EQ(NetBurst_VidToText(kNetBurstVidLadder.back()), "1.6000V");
    std::set<uint8_t> codes(kNetBurstVidLadder.begin(), kNetBurstVidLadder.end());
    EXPECT_EQ(codes.size(), 62u);
    EXPECT_EQ(codes.count(0) + codes.count(32), 0u);
    for (size_t i = 1; i < kNetBurstVidLadder.size(); ++i) {
        const long below = tenthMillivolts(NetBurst_VidToText(kNetBurstVidLadder[i - 1]));
        const long above = tenthMillivolts(NetBurst_VidToText(kNetBurstVidLadder[i]));
        EXPECT_EQ(above - below, 125) << "position " << i;
        EXPECT_EQ(NetBurstLadderPosition(kNetBurstVidLadder[i]), i);
    }
    EXPECT_FALSE(NetBurstLadderPosition(32).has_value());
    EXPECT_FALSE(NetBurstLadderPosition(64).has_value());
}

TEST(CodeTables, PowerManagementNeedsTheExtendedLeaf) {
    FakePlatform platform;
    platform.setPowerManagement(true, false);
    EXPECT_TRUE(HasFidControl(platform));
    EXPECT_FALSE(HasVidControl(platform));
    platform.setPowerManagement(false, true);
    EXPECT_FALSE(HasFidControl(platform));
    EXPECT_TRUE(HasVidControl(platform));
    // The bits are there, but the processor does not report leaf 80000007h.
    platform.setPowerManagement(true, true, 0x80000006);
    EXPECT_FALSE(HasFidControl(platform));
    EXPECT_FALSE(HasVidControl(platform));
}

struct RegisterText {
    unsigned model, stepping;
    uint64_t value;
    const char* text;
};

TEST(CodeTables, K7ChipsetMultiplier) {
    const uint64_t code9 = 9ull << 24, code25 = code9 | 1u << 19;
    const RegisterText cases[] = {
        {6, 2, 4ull << 24, "5.0x"},
        {4, 0, code25, "7.5x"},  // bit 19 counts from model 5
        {6, 2, code25, "22.5x"},
        {8, 0, code25, "22.5x"},
        {8, 1, code25, "22.0x"},
        {10, 0, code25, "22.0x"},
        {6, 0, 14ull << 24 | 1u << 19, "23.0x"},
    };
    for (const RegisterText& c : cases) {
        FakePlatform platform;
        platform.setIdentity("AuthenticAMD", 6, c.model, c.stepping);
        platform.regs[0xC0010015] = c.value;
        MsrBuffer msr(platform);
        EXPECT_EQ(K7_ChipsetMultiplierText(msr), c.text) << c.model << "/" << c.stepping;
        EXPECT_EQ(msr.Index, 0xC0010015u);
        EXPECT_EQ(msr.value(), c.value);
    }
}

TEST(CodeTables, P6ClockRatio) {
    const uint64_t bit27 = 1ull << 27;
    const RegisterText cases[] = {
        {7, 0, 0, "5.0x"},
        {11, 0, 0, "12.0x"},
        {7, 0, 8ull << 22, "3.5x"},
        {11, 0, 8ull << 22, "16.0x"},
        {11, 0, bit27 | 2ull << 22, "3.5x"},
        {8, 0, bit27 | 2ull << 22, "12.0x"},
        {7, 0, bit27 | 2ull << 22, "4.0x"},
        {10, 2, bit27 | 2ull << 22, "4.0x"},  // stepping 2 ignores bit 27
        {10, 3, bit27 | 2ull << 22, "12.0x"},
        {10, 3, 2ull << 22, "4.0x"},
        {11, 0, bit27 | 15ull << 22, "10.5x"},
        {8, 0, bit27 | 14ull << 22, "1.5x"},
    };
    for (const RegisterText& c : cases) {
        FakePlatform platform;
        platform.setIdentity("GenuineIntel", 6, c.model, c.stepping);
        platform.regs[0x2A] = c.value;
        MsrBuffer msr(platform);
        EXPECT_EQ(P6_ClockRatioText(msr), c.text)
            << "model " << c.model << " stepping " << c.stepping << " value " << c.value;
        EXPECT_EQ(msr.Index, 0x2Au);
    }
}

TEST(CodeTables, ComboTextsMapBackToTheirCodes) {
    for (uint8_t fid = 0; fid <= 42; ++fid) {
        EXPECT_EQ(A64_MultiplierTextToFid(A64_MultiplierComboText(fid)), fid);
    }
    EXPECT_EQ(A64_MultiplierTextToFid("12.0x"), 16);
    EXPECT_EQ(A64_MultiplierTextToFid("4.5x"), 1);
    EXPECT_FALSE(A64_MultiplierTextToFid("12x").has_value());
    EXPECT_FALSE(A64_MultiplierTextToFid("25.5x").has_value());
    for (uint8_t vid = 0; vid <= 30; ++vid) {
        EXPECT_EQ(A64_VoltageTextToVid(A64_VidToText(vid)), vid);
    }
    EXPECT_FALSE(A64_VoltageTextToVid("off").has_value());
    EXPECT_TRUE(IsOffVoltageText("off"));
    EXPECT_FALSE(IsOffVoltageText(""));
    EXPECT_FALSE(A64_VoltageTextToVid("").has_value());

    for (const K7Multiplier& row : K7Multipliers()) {
        EXPECT_EQ(K7_MultiplierTextToFid(row.comboText), row.code);
    }
    EXPECT_EQ(K7_MultiplierTextToFid("3.0x"), 16);
    EXPECT_EQ(K7_MultiplierTextToFid("4.0x"), 18);
    EXPECT_EQ(K7_MultiplierTextToFid("11.0x"), 0);
    EXPECT_EQ(K7_MultiplierTextToFid("22.0x"), 25);
    EXPECT_FALSE(K7_MultiplierTextToFid("22.5x").has_value());
    EXPECT_EQ(K7_VoltageTextToVid("2.000V"), 0);
    EXPECT_EQ(K7_VoltageTextToVid("1.300V"), 14);
    EXPECT_EQ(K7_VoltageTextToVid("1.275V"), 16);
    EXPECT_EQ(K7_VoltageTextToVid("0.925V"), 30);
    EXPECT_FALSE(K7_VoltageTextToVid("shutdown").has_value());

    EXPECT_EQ(PMobile_MultiplierTextToRatio("1x"), 1);
    EXPECT_EQ(NetBurst_MultiplierTextToRatio("30x"), 30);
    EXPECT_FALSE(PMobile_MultiplierTextToRatio("31x").has_value());
    EXPECT_FALSE(NetBurst_MultiplierTextToRatio("0x").has_value());
    for (uint8_t vid = 0; vid <= 63; ++vid) {
        EXPECT_EQ(PMobile_VoltageTextToVid(PMobile_VidToText(vid)), vid);
    }
    for (uint8_t vid : kNetBurstVidLadder) {
        EXPECT_EQ(NetBurst_VoltageTextToVid(NetBurst_VidToText(vid)), vid);
    }
    EXPECT_FALSE(NetBurst_VoltageTextToVid("VR output off").has_value());
    EXPECT_EQ(FirstTenChars("1.550V and more"), "1.550V and");
}

}  // namespace
}  // namespace zandro
