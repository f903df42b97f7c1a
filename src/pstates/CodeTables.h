#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zandro {

class MsrBuffer;
class Platform;

// CPUID 80000007h EDX bit 1 (FID control) and bit 2 (VID control); false when the processor's
// largest extended function is below 80000007h.
bool HasFidControl(Platform& platform);
bool HasVidControl(Platform& platform);

// Status texts of the multiplier and voltage codes. A code outside its table gives "Unknown"
// ("unknown" for the Athlon 64 multiplier).
std::string A64_FidToText(uint8_t fid);
std::string A64_VidToText(uint8_t vid);
std::string K7_FidToText(uint8_t fid);
std::string K7_VidToText(uint8_t vid);
std::string PMobile_VidToText(uint8_t vid);
std::string NetBurst_VidToText(uint8_t vid);

// Read their register themselves (C0010015h and 2Ah) and leave the buffer holding it.
std::string K7_ChipsetMultiplierText(MsrBuffer& msr);
std::string P6_ClockRatioText(MsrBuffer& msr);

// The 62 Pentium 4 VIDs that have a voltage, by rising voltage, 12.5 mV apart.
constexpr std::array<uint8_t, 62> kNetBurstVidLadder = {
    53, 22, 54, 23, 55, 24, 56, 25, 57, 26, 58, 27, 59, 28, 60, 29, 61, 30, 62, 31, 63,
    1,  33, 2,  34, 3,  35, 4,  36, 5,  37, 6,  38, 7,  39, 8,  40, 9,  41, 10, 42, 11,
    43, 12, 44, 13, 45, 14, 46, 15, 47, 16, 48, 17, 49, 18, 50, 19, 51, 20, 52, 21};

// The position of a VID on the ladder; nothing for a "VR output off" code or one above 63.
std::optional<size_t> NetBurstLadderPosition(uint8_t vid);

// Pentium 4 VIDs 0 and 32 switch the voltage regulator's output off.
bool NetBurstVidIsOff(uint8_t vid);

// A Pentium 4 VID's voltage in units of 0.1 mV; nothing for "VR output off" or a code above 63.
std::optional<uint32_t> NetBurstVidTenthMillivolts(uint8_t vid);

// The AMD voltage code that switches the core voltage off, chosen only after a warning.
constexpr uint8_t kAmdOffVid = 31;
constexpr std::string_view kOffVoltageText = "off";

// Selected combo texts are compared by their first 10 characters.
std::string_view FirstTenChars(std::string_view text);

// Combo texts back to codes, as the transition handlers read them. Nothing when the text matches
// no entry. The "off" entry is not mapped here: the caller warns first and then uses kAmdOffVid.
std::optional<uint8_t> A64_MultiplierTextToFid(std::string_view text);
std::optional<uint8_t> A64_VoltageTextToVid(std::string_view text);
std::optional<uint8_t> K7_MultiplierTextToFid(std::string_view text);
std::optional<uint8_t> K7_VoltageTextToVid(std::string_view text);
std::optional<uint8_t> PMobile_MultiplierTextToRatio(std::string_view text);
std::optional<uint8_t> PMobile_VoltageTextToVid(std::string_view text);
std::optional<uint8_t> NetBurst_MultiplierTextToRatio(std::string_view text);
std::optional<uint8_t> NetBurst_VoltageTextToVid(std::string_view text);
bool IsOffVoltageText(std::string_view text);

// Combo forms of the multipliers ("4.0x", "12.5x", "6x") and the Pentium 4 voltage step list.
std::string A64_MultiplierComboText(uint8_t fid);
std::string IntelRatioText(unsigned ratio);

// One K7 multiplier: its code, status text, combo text and value in tenths.
struct K7Multiplier {
    uint8_t code;
    const char* statusText;
    const char* comboText;
    uint16_t tenths;
};

// All 32 K7 multipliers by rising value, the order of the K7 multiplier list.
const std::array<K7Multiplier, 32>& K7Multipliers();

// The value of a K7 multiplier code in tenths (code 25 counts as 22.0); 0 for a code above 31.
uint16_t K7_FidTenths(uint8_t fid);

}  // namespace zandro
