#include "CodeTables.h"

#include <cstdio>

#include "core/Cpuid.h"
#include "core/MsrBuffer.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr uint32_t kMsrHwcr = 0xC0010015;
constexpr uint32_t kMsrEbcHardPowerOn = 0x2A;
constexpr uint32_t kCpuidMaxExtended = 0x80000000;
constexpr uint32_t kCpuidPowerManagement = 0x80000007;
constexpr size_t kComboTextLength = 10;

// A run of codes whose voltage moves by a fixed step, in the unit of its table.
struct LinearRange {
    uint8_t first;
    uint8_t last;
    int32_t base;  // voltage of the first code
    int32_t step;  // per code
};

template <size_t N>
std::optional<int32_t> rangeValue(const std::array<LinearRange, N>& ranges, uint8_t code) {
    for (const LinearRange& range : ranges) {
        if (code >= range.first && code <= range.last) {
            return range.base + range.step * (code - range.first);
        }
    }
    return std::nullopt;
}

// Voltages in millivolts; the Pentium 4 table counts in 0.1 mV for its 12.5 mV steps.
constexpr std::array<LinearRange, 1> kA64Vids = {{{0, 30, 1550, -25}}};
constexpr std::array<LinearRange, 2> kK7Vids = {{{0, 14, 2000, -50}, {16, 30, 1275, -25}}};
constexpr std::array<LinearRange, 1> kPMobileVids = {{{0, 63, 700, 16}}};
constexpr std::array<LinearRange, 4> kNetBurstVids = {
    {{1, 21, 11000, 250}, {22, 31, 8500, 250}, {33, 52, 11125, 250}, {53, 63, 8375, 250}}};

constexpr uint8_t kK7ShutdownLow = 15;
constexpr uint8_t kK7ShutdownHigh = 31;
constexpr uint8_t kNetBurstOffLow = 0;
constexpr uint8_t kNetBurstOffHigh = 32;
constexpr uint8_t kA64MaxFid = 42;

constexpr std::array<K7Multiplier, 32> kK7Multipliers = {{
    {16, "3x", "3.0x", 30},      {18, "4x", "4.0x", 40},      {4, "5.0x", "5.0x", 50},
    {5, "5.5x", "5.5x", 55},     {6, "6.0x", "6.0x", 60},     {7, "6.5x", "6.5x", 65},
    {8, "7.0x", "7.0x", 70},     {9, "7.5x", "7.5x", 75},     {10, "8.0x", "8.0x", 80},
    {11, "8.5x", "8.5x", 85},    {12, "9.0x", "9.0x", 90},    {13, "9.5x", "9.5x", 95},
    {14, "10.0x", "10.0x", 100}, {15, "10.5x", "10.5x", 105}, {0, "11.0x", "11.0x", 110},
    {1, "11.5x", "11.5x", 115},  {2, "12.0x", "12.0x", 120},  {3, "12.5x", "12.5x", 125},
    {20, "13.0x", "13.0x", 130}, {21, "13.5x", "13.5x", 135}, {22, "14.0x", "14.0x", 140},
    {24, "15.0x", "15.0x", 150}, {26, "16.0x", "16.0x", 160}, {27, "16.5x", "16.5x", 165},
    {28, "17.0x", "17.0x", 170}, {29, "18.0x", "18.0x", 180}, {17, "19.0x", "19.0x", 190},
    {19, "20.0x", "20.0x", 200}, {23, "21.0x", "21.0x", 210}, {25, "22.0x or 22.5x", "22.0x", 220},
    {30, "23.0x", "23.0x", 230}, {31, "24.0x", "24.0x", 240},
}};

// Code 25 of the chipset multiplier field: 22.0x from model 8 stepping 1 on, 22.5x before.
constexpr uint8_t kK7AmbiguousCode = 25;

// Pentium III clock ratio texts by code; model 11 has a column of its own.
struct P6Ratio {
    const char* model11;
    const char* other;
};
constexpr std::array<P6Ratio, 32> kP6Ratios = {{
    {"12.0x", "5.0x"}, {"3.5x", "3.0x"},   {"3.5x", "4.0x"},   {"4.0x", "2.0x"},  {"5.5x", "5.5x"},
    {"3.5x", "3.5x"},  {"11.5x", "4.5x"},  {"3.5x", "2.5x"},   {"16.0x", "3.5x"}, {"7.0x", "7.0x"},
    {"8.0x", "8.0x"},  {"6.0x", "6.0x"},   {"4.0x", "2.0x"},   {"7.5x", "7.5x"},  {"3.5x", "1.5x"},
    {"6.5x", "6.5x"},  {"9.0x", "9.0x"},   {"11.0x", "11.0x"}, {"3.5x", "12.0x"}, {"3.5x", "2.0x"},
    {"9.5x", "9.5x"},  {"3.5x", "11.5x"},  {"8.5x", "8.5x"},   {"3.5x", "2.5x"},  {"3.5x", "3.5x"},
    {"3.5x", "7.0x"},  {"13.0x", "8.0x"},  {"10.0x", "10.0x"}, {"14.0x", "2.0x"}, {"3.5x", "7.5x"},
    {"15.0x", "1.5x"}, {"10.5x", "10.5x"},
}};

std::string voltageText(int32_t value, unsigned decimals) {
    const int32_t scale = decimals == 4 ? 10000 : 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%d.%0*dV", int(value / scale), int(decimals),
                  int(value % scale));
    return text;
}

bool powerManagementBit(Platform& platform, unsigned bit) {
    if (platform.cpuid(kCpuidMaxExtended).eax < kCpuidPowerManagement)
        return false;
    return (platform.cpuid(kCpuidPowerManagement).edx >> bit) & 1u;
}

// The code among first..last whose text equals the (cut) selected text.
template <typename TextOf>
std::optional<uint8_t> codeOfText(std::string_view text, unsigned first, unsigned last,
                                  TextOf textOf) {
    const std::string_view cut = FirstTenChars(text);
    for (unsigned code = first; code <= last; ++code) {
        if (textOf(uint8_t(code)) == cut)
            return uint8_t(code);
    }
    return std::nullopt;
}

}  // namespace

bool HasFidControl(Platform& platform) {
    return powerManagementBit(platform, 1);
}
bool HasVidControl(Platform& platform) {
    return powerManagementBit(platform, 2);
}

std::string A64_FidToText(uint8_t fid) {
    if (fid > kA64MaxFid)
        return "unknown";
    const unsigned whole = 4 + fid / 2;
    return std::to_string(whole) + (fid % 2 ? ".5x" : "x");
}

std::string A64_MultiplierComboText(uint8_t fid) {
    return std::to_string(4 + fid / 2) + (fid % 2 ? ".5x" : ".0x");
}

std::string A64_VidToText(uint8_t vid) {
    if (vid == kAmdOffVid)
        return std::string(kOffVoltageText);
    const auto mv = rangeValue(kA64Vids, vid);
    return mv ? voltageText(*mv, 3) : "Unknown";
}

const std::array<K7Multiplier, 32>& K7Multipliers() {
    return kK7Multipliers;
}

std::string K7_FidToText(uint8_t fid) {
    for (const K7Multiplier& row : kK7Multipliers) {
        if (row.code == fid)
            return row.statusText;
    }
    return "Unknown";
}

uint16_t K7_FidTenths(uint8_t fid) {
    for (const K7Multiplier& row : kK7Multipliers) {
        if (row.code == fid)
            return row.tenths;
    }
    return 0;
}

std::string K7_VidToText(uint8_t vid) {
    if (vid == kK7ShutdownLow || vid == kK7ShutdownHigh)
        return "shutdown";
    const auto mv = rangeValue(kK7Vids, vid);
    return mv ? voltageText(*mv, 3) : "Unknown";
}

std::string PMobile_VidToText(uint8_t vid) {
    const auto mv = rangeValue(kPMobileVids, vid);
    return mv ? voltageText(*mv, 3) : "Unknown";
}

std::optional<uint32_t> NetBurstVidTenthMillivolts(uint8_t vid) {
    const auto value = rangeValue(kNetBurstVids, vid);
    if (!value)
        return std::nullopt;
    return uint32_t(*value);
}

bool NetBurstVidIsOff(uint8_t vid) {
    return vid == kNetBurstOffLow || vid == kNetBurstOffHigh;
}

std::string NetBurst_VidToText(uint8_t vid) {
    if (NetBurstVidIsOff(vid))
        return "VR output off";
    const auto value = NetBurstVidTenthMillivolts(vid);
    return value ? voltageText(int32_t(*value), 4) : "Unknown";
}

std::optional<size_t> NetBurstLadderPosition(uint8_t vid) {
    for (size_t position = 0; position < kNetBurstVidLadder.size(); ++position) {
        if (kNetBurstVidLadder[position] == vid)
            return position;
    }
    return std::nullopt;
}

std::string K7_ChipsetMultiplierText(MsrBuffer& msr) {
    msr.Index = kMsrHwcr;
    msr.ReadMsr();
    const CpuIdentity id = ReadCpuid(msr.platform());
    // C0010015h bits 27..24: multiplier code; bit 19 its fifth bit from model 5 on.
    uint8_t code = uint8_t(msr.MsrBits(27, 24));
    if (id.model > 4 && msr.MsrBit(19))
        code += 16;
    if (code == kK7AmbiguousCode) {
        const bool newer = id.model > 8 || (id.model == 8 && id.stepping >= 1);
        return newer ? "22.0x" : "22.5x";
    }
    return K7_FidToText(code);
}

std::string P6_ClockRatioText(MsrBuffer& msr) {
    msr.Index = kMsrEbcHardPowerOn;
    msr.ReadMsr();
    const CpuIdentity id = ReadCpuid(msr.platform());
    // 2Ah bits 25..22: ratio code; bit 27 is its fifth bit only where the model defines it.
    uint8_t code = uint8_t(msr.MsrBits(25, 22));
    const bool model11 = id.model == 11;
    const bool fifthBitDefined = model11 || id.model == 8 || (id.model == 10 && id.stepping > 2);
    if (fifthBitDefined && msr.MsrBit(27))
        code += 16;
    const P6Ratio& row = kP6Ratios[code];
    return model11 ? row.model11 : row.other;
}

std::string_view FirstTenChars(std::string_view text) {
    return text.substr(0, kComboTextLength);
}

std::string IntelRatioText(unsigned ratio) {
    return std::to_string(ratio) + "x";
}

std::optional<uint8_t> A64_MultiplierTextToFid(std::string_view text) {
    return codeOfText(text, 0, kA64MaxFid, A64_MultiplierComboText);
}

std::optional<uint8_t> A64_VoltageTextToVid(std::string_view text) {
    return codeOfText(text, 0, kAmdOffVid - 1, A64_VidToText);
}

std::optional<uint8_t> K7_MultiplierTextToFid(std::string_view text) {
    const std::string_view cut = FirstTenChars(text);
    for (const K7Multiplier& row : kK7Multipliers) {
        if (cut == row.comboText)
            return row.code;
    }
    return std::nullopt;
}

std::optional<uint8_t> K7_VoltageTextToVid(std::string_view text) {
    // The shutdown code 15 has no list entry, so "shutdown" is not a choice.
    const auto vid = codeOfText(text, 0, kAmdOffVid - 1, K7_VidToText);
    if (vid == kK7ShutdownLow)
        return std::nullopt;
    return vid;
}

std::optional<uint8_t> PMobile_MultiplierTextToRatio(std::string_view text) {
    return codeOfText(text, 1, 30, [](uint8_t ratio) { return IntelRatioText(ratio); });
}

std::optional<uint8_t> PMobile_VoltageTextToVid(std::string_view text) {
    return codeOfText(text, 0, 63, PMobile_VidToText);
}

std::optional<uint8_t> NetBurst_MultiplierTextToRatio(std::string_view text) {
    return PMobile_MultiplierTextToRatio(text);
}

std::optional<uint8_t> NetBurst_VoltageTextToVid(std::string_view text) {
    const std::string_view cut = FirstTenChars(text);
    for (uint8_t vid : kNetBurstVidLadder) {
        if (NetBurst_VidToText(vid) == cut)
            return vid;
    }
    return std::nullopt;
}

bool IsOffVoltageText(std::string_view text) {
    return FirstTenChars(text) == kOffVoltageText;
}

}  // namespace zandro
