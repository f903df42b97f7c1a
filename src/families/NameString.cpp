#include "NameString.h"

#include <array>

#include "core/MsrBuffer.h"

namespace zandro {

std::string ReadNameString(MsrBuffer& msr) {
    std::string text(kNameStringLength, '\0');
    for (unsigned k = 0; k < 6; ++k) {
        msr.Index = kNameStringFirstRegister + k;
        msr.ReadMsr();
        const uint64_t value = msr.value();
        for (unsigned b = 0; b < 8; ++b)
            text[8 * k + b] = char((value >> (8 * b)) & 0xFF);
    }
    return text;
}

void WriteNameString(MsrBuffer& msr, const std::string& text) {
    std::array<unsigned char, kNameStringLength> bytes{};
    for (size_t i = 0; i < text.size() && i < kNameStringLength; ++i)
        bytes[i] = static_cast<unsigned char>(text[i]);
    for (unsigned k = 0; k < 6; ++k) {
        uint64_t value = 0;
        for (unsigned b = 0; b < 8; ++b)
            value |= uint64_t(bytes[8 * k + b]) << (8 * b);
        msr.Index = kNameStringFirstRegister + k;
        msr.setValue(value);
        msr.WriteMsr();
    }
}

std::string visibleNameString(const std::string& raw) {
    const std::string cut = raw.substr(0, kNameStringLength);
    return cut.substr(0, cut.find('\0'));
}

std::string charsLeftText(int length) {
    if (length == 47)
        return "1 char left";
    return std::to_string(int(kNameStringLength) - length) + " chars left";
}

}  // namespace zandro
