#pragma once

#include <cstdint>
#include <string>

namespace zandro {

class MsrBuffer;

// The 48-byte AMD processor name string in C0010030h..C0010035h, eight characters a register:
// the low half holds characters 8k+1..8k+4, the high half 8k+5..8k+8, first character lowest.
constexpr unsigned kNameStringLength = 48;
constexpr uint32_t kNameStringFirstRegister = 0xC0010030;

// Always 48 bytes, NUL bytes included; failed reads are not looked at.
std::string ReadNameString(MsrBuffer& msr);
// Writes the first 48 bytes of text, padded with NUL bytes; the old contents are not kept.
void WriteNameString(MsrBuffer& msr, const std::string& text);

// The text a panel shows: up to the first NUL byte.
std::string visibleNameString(const std::string& raw);
// "48 chars left", "1 char left", ...
std::string charsLeftText(int length);

}  // namespace zandro
