#include "Cpuid.h"

#include <array>
#include <cstring>

#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr std::array<const char*, 6> kVendorStrings = {
    "AuthenticAMD", "GenuineIntel", "CentaurHauls", "CyrixInstead", "RiseRiseRise", "GenuineTMx86",
};

std::string vendorString(Platform& platform) {
    const CpuidRegs leaf0 = platform.cpuid(0);
    char text[12];
    std::memcpy(text, &leaf0.ebx, 4);
    std::memcpy(text + 4, &leaf0.edx, 4);
    std::memcpy(text + 8, &leaf0.ecx, 4);
    return std::string(text, 12);
}

}  // namespace

uint8_t VendorCode(const std::string& vendor) {
    uint8_t code = 0;
    for (size_t i = 0; i < kVendorStrings.size(); ++i) {
        if (vendor == kVendorStrings[i])
            code = uint8_t(i + 1);
    }
    return code;
}

CpuIdentity ReadCpuid(Platform& platform) {
    CpuIdentity id;
    id.vendorCode = VendorCode(vendorString(platform));
    const uint32_t eax = platform.cpuid(1).eax;
    const uint8_t stepping = eax & 0xF;
    const uint8_t model = (eax >> 4) & 0xF;
    const uint8_t family = (eax >> 8) & 0xF;
    const uint8_t extModel = (eax >> 16) & 0xF;
    const uint8_t extFamily = (eax >> 20) & 0xFF;
    id.family = family == 15 ? uint8_t(family + extFamily) : family;
    // The extended model counts only when the base model is 15, not when the family is.
    id.model = model == 15 ? uint8_t(model + 16 * extModel) : model;
    id.stepping = stepping;
    id.extendedModel = extModel;
    return id;
}

bool familyMatches(FamilyKind kind, const CpuIdentity& id) {
    const bool amd = id.vendorCode == 1;
    const bool intel = id.vendorCode == 2;
    const bool mobileModel = id.model == 9 || id.model == 13;
    // Every Intel part since the Core is family 6 too: the P6 and Pentium M parts are the ones
    // with no extended model and a model below 14.
    const bool p6Era = id.extendedModel == 0 && id.model < 14;
    switch (kind) {
        case FamilyAthlon64:
            return amd && id.family == 15;
        case FamilyPentiumM:
            return intel && id.family == 6 && p6Era && mobileModel;
        case FamilyPentium4:
            return intel && id.family == 15;
        case FamilyAthlonK7:
            return amd && id.family == 6;
        case FamilyPentium3:
            return intel && id.family == 6 && p6Era && !mobileModel;
        case FamilyK5K6:
            return amd && id.family == 5;
    }
    return false;
}

bool isFamilyDetected(Platform& platform, FamilyKind kind) {
    return familyMatches(kind, ReadCpuid(platform));
}

std::string unmatchedProcessorText(Platform& platform) {
    const uint32_t eax = platform.cpuid(1).eax;
    const unsigned family = (eax >> 8) & 0xF;
    unsigned model = (eax >> 4) & 0xF;
    if (family == 6 || family == 15)
        model += ((eax >> 16) & 0xF) << 4;
    const CpuIdentity id = ReadCpuid(platform);
    std::string vendor = vendorString(platform);
    // Only printable characters reach the window.
    for (char& c : vendor) {
        if (c < 0x20 || c > 0x7E)
            c = '?';
    }
    return "No family page fits this processor: " + vendor + ", family " +
           std::to_string(id.family) + ", model " + std::to_string(model) + ", stepping " +
           std::to_string(id.stepping) + ".";
}

bool IsAthlon64(Platform& p) {
    return isFamilyDetected(p, FamilyAthlon64);
}
bool IsPentiumM(Platform& p) {
    return isFamilyDetected(p, FamilyPentiumM);
}
bool IsPentium4(Platform& p) {
    return isFamilyDetected(p, FamilyPentium4);
}
bool IsAthlonK7(Platform& p) {
    return isFamilyDetected(p, FamilyAthlonK7);
}
bool IsPentium3(Platform& p) {
    return isFamilyDetected(p, FamilyPentium3);
}
bool IsK5K6(Platform& p) {
    return isFamilyDetected(p, FamilyK5K6);
}

}  // namespace zandro
