#include "ListFillers.h"

#include <array>
#include <cstdint>
#include <optional>

#include "CodeTables.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"

namespace zandro {

namespace {

constexpr uint32_t kMsrFidVidStatus = 0xC0010042;
constexpr uint32_t kMsrMiscEnable = 0x1A0;
constexpr uint32_t kMsrPerfStatus = 0x198;

constexpr unsigned kA64FidCount = 43;
constexpr unsigned kAmdVoltageCount = 31;  // VIDs 0..30; 31 is "off"
constexpr unsigned kK7ShutdownVid = 15;
constexpr unsigned kPMobileVidCount = 64;
constexpr unsigned kUnprotectedHighestRatio = 30;

// The maximum FID an Athlon 64 must report before the low multipliers 4.0x..7.5x are offered;
// from FID 8 up the threshold is the FID itself.
constexpr std::array<uint8_t, 8> kA64LowFidThreshold = {8, 8, 10, 12, 14, 16, 18, 20};

uint8_t a64Threshold(uint8_t fid) {
    return fid < kA64LowFidThreshold.size() ? kA64LowFidThreshold[fid] : fid;
}

// The whole register, as the fillers read it: index set, ReadMsr, result not looked at.
void readRegister(MsrBuffer& msr, uint32_t index) {
    msr.Index = index;
    msr.ReadMsr();
}

ComboFill disabledBox() {
    return ComboFill{false, false, {}};
}
ComboFill refilledBox() {
    return ComboFill{true, true, {}};
}

ComboFill a64Multipliers(MsrBuffer& msr, bool userProtection, bool halfMultipliers) {
    ComboFill box = refilledBox();
    readRegister(msr, kMsrFidVidStatus);
    const auto maxFid = uint8_t(msr.MsrBits(21, 16));  // C0010042h bits 21..16: maximum FID
    for (uint8_t fid = 0; fid < kA64FidCount; ++fid) {
        const bool allowed = maxFid >= a64Threshold(fid) && (fid % 2 == 0 || halfMultipliers);
        if (!userProtection || allowed)
            box.items.push_back(A64_MultiplierComboText(fid));
    }
    return box;
}

// The AMD voltage list from the highest voltage down: every VID not above the maximum voltage
// (not below its code), skipping `skip`, then "off" only without protection.
ComboFill amdVoltages(MsrBuffer& msr, bool userProtection, std::string (*textOf)(uint8_t),
                      std::optional<unsigned> skip) {
    ComboFill box = refilledBox();
    readRegister(msr, kMsrFidVidStatus);
    const auto maxVid = uint8_t(msr.MsrBits(52, 48));  // C0010042h bits 52..48: maximum VID
    for (uint8_t vid = 0; vid < kAmdVoltageCount; ++vid) {
        if (skip && vid == *skip)
            continue;
        if (!userProtection || vid >= maxVid)
            box.items.push_back(textOf(vid));
    }
    if (!userProtection)
        box.items.emplace_back(kOffVoltageText);
    return box;
}

ComboFill k7Multipliers(MsrBuffer& msr, bool userProtection) {
    ComboFill box = refilledBox();
    readRegister(msr, kMsrFidVidStatus);
    // C0010042h bits 20..16: maximum FID, compared by value since K7 codes are not ordered.
    const uint16_t maxTenths = K7_FidTenths(uint8_t(msr.MsrBits(20, 16)));
    for (const K7Multiplier& row : K7Multipliers()) {
        if (!userProtection || row.tenths <= maxTenths)
            box.items.emplace_back(row.comboText);
    }
    return box;
}

// 198h fields shared by the Pentium M and Pentium 4 lists.
struct PerfStatusRange {
    uint8_t lowestVid, highestVid, lowestRatio, highestRatio;
};

PerfStatusRange readPerfStatusRange(MsrBuffer& msr) {
    readRegister(msr, kMsrPerfStatus);
    return {uint8_t(msr.MsrBits(23, 16)), uint8_t(msr.MsrBits(39, 32)),
            uint8_t(msr.MsrBits(31, 24)), uint8_t(msr.MsrBits(47, 40))};
}

ComboFill intelRatios(const PerfStatusRange& range) {
    ComboFill box = refilledBox();
    for (unsigned ratio = 1; ratio <= range.highestRatio; ++ratio) {
        if (ratio >= range.lowestRatio)
            box.items.push_back(IntelRatioText(ratio));
    }
    return box;
}

ComboFill pMobileVoltages(const PerfStatusRange& range) {
    ComboFill box = refilledBox();
    for (int vid = kPMobileVidCount - 1; vid >= 0; --vid) {
        if (vid >= range.lowestVid && vid <= range.highestVid) {
            box.items.push_back(PMobile_VidToText(uint8_t(vid)));
        }
    }
    return box;
}

// A bound of the Pentium 4 voltage list in 0.1 mV; "VR output off" counts as 0.0001 V. A code
// above 63 has no voltage at all: nothing, and the list stays empty rather than guess a bound.
std::optional<uint32_t> netBurstBound(uint8_t vid) {
    if (NetBurstVidIsOff(vid))
        return 1;
    return NetBurstVidTenthMillivolts(vid);
}

ComboFill netBurstVoltages(const PerfStatusRange& range, bool userProtection) {
    ComboFill box = refilledBox();
    const auto lowest = netBurstBound(range.lowestVid);
    const auto highest = netBurstBound(range.highestVid);
    for (auto step = kNetBurstVidLadder.rbegin(); step != kNetBurstVidLadder.rend(); ++step) {
        const uint32_t voltage = *NetBurstVidTenthMillivolts(*step);
        const bool inRange = lowest && highest && voltage >= *lowest && voltage <= *highest;
        if (!userProtection || inRange)
            box.items.push_back(NetBurst_VidToText(*step));
    }
    return box;
}

PerfStatusRange unprotectedRange(uint8_t lowestVid, uint8_t highestVid) {
    return {lowestVid, highestVid, 1, kUnprotectedHighestRatio};
}

}  // namespace

A64Lists A64_NaplnitKomba(MsrBuffer& msr, bool userProtection, bool halfMultipliers) {
    const bool fidControl = HasFidControl(msr.platform());
    const bool vidControl = HasVidControl(msr.platform());
    A64Lists lists;
    lists.multiplier = fidControl || !userProtection
                           ? a64Multipliers(msr, userProtection, halfMultipliers)
                           : disabledBox();
    lists.voltage = vidControl || !userProtection
                        ? amdVoltages(msr, userProtection, A64_VidToText, std::nullopt)
                        : disabledBox();
    lists.buttonEnabled = fidControl || vidControl || !userProtection;
    return lists;
}

K7Lists K7_NaplnitKomba(MsrBuffer& msr, bool userProtection) {
    const bool fidControl = HasFidControl(msr.platform());
    const bool vidControl = HasVidControl(msr.platform());
    K7Lists lists;
    lists.multiplier =
        fidControl || !userProtection ? k7Multipliers(msr, userProtection) : disabledBox();
    lists.voltage = vidControl || !userProtection
                        ? amdVoltages(msr, userProtection, K7_VidToText, kK7ShutdownVid)
                        : disabledBox();
    lists.buttonEnabled = fidControl || vidControl || !userProtection;
    lists.stopGrantEnabled = lists.buttonEnabled;
    return lists;
}

IntelLists PMobile_NaplnitKomba(MsrBuffer& msr, bool userProtection) {
    IntelLists lists;
    readRegister(msr, kMsrMiscEnable);
    // 1A0h bit 16: Enhanced SpeedStep enabled.
    if (!msr.MsrBit(16) && userProtection)
        return lists;
    PerfStatusRange range = readPerfStatusRange(msr);
    if (!userProtection)
        range = unprotectedRange(0, kPMobileVidCount - 1);
    lists.multiplier = intelRatios(range);
    lists.voltage = pMobileVoltages(range);
    lists.buttonEnabled = true;
    return lists;
}

IntelLists NetBurst_NaplnitKomba(MsrBuffer& msr, bool userProtection) {
    IntelLists lists;
    const CpuIdentity id = ReadCpuid(msr.platform());
    const bool model3Up = id.family == 15 && id.model >= 3;
    if (!model3Up && userProtection)
        return lists;
    PerfStatusRange range = readPerfStatusRange(msr);
    if (!userProtection)
        range = unprotectedRange(kNetBurstVidLadder.front(), kNetBurstVidLadder.back());
    lists.multiplier = intelRatios(range);
    lists.voltage = netBurstVoltages(range, userProtection);
    lists.buttonEnabled = true;
    return lists;
}

std::vector<std::string> K7_InitialMultiplierItems() {
    std::vector<std::string> items;
    for (const K7Multiplier& row : K7Multipliers())
        items.emplace_back(row.comboText);
    return items;
}

std::vector<std::string> K7_InitialVoltageItems() {
    std::vector<std::string> items;
    for (uint8_t vid = 0; vid < kAmdVoltageCount; ++vid) {
        if (vid != kK7ShutdownVid)
            items.push_back(K7_VidToText(vid));
    }
    return items;
}

std::vector<std::string> NetBurst_InitialMultiplierItems() {
    std::vector<std::string> items;
    for (unsigned ratio = 3; ratio <= 25; ++ratio)
        items.push_back(IntelRatioText(ratio));
    return items;
}

std::vector<std::string> PMobile_InitialVoltageItems() {
    std::vector<std::string> items;
    for (int vid = kPMobileVidCount - 1; vid >= 0; --vid) {
        items.push_back(PMobile_VidToText(uint8_t(vid)));
    }
    return items;
}

ComboFill followedBy(const ComboFill& earlier, const ComboFill& later) {
    ComboFill shown = later;
    if (!later.refill) {
        shown.refill = earlier.refill;
        shown.items = earlier.items;
    }
    return shown;
}

}  // namespace zandro
