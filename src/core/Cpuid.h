#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zandro {

class Platform;

// Identity of the processor the process runs on, as this program computes it: the extended
// family is added when the base family is 15, the extended model only when the base model is 15.
struct CpuIdentity {
    uint8_t family = 0;
    uint8_t model = 0;
    uint8_t stepping = 0;
    uint8_t vendorCode = 0;  // 0 unknown, 1 AMD, 2 Intel, 3 Centaur, 4 Cyrix, 5 Rise, 6 Transmeta
    uint8_t extendedModel = 0;  // leaf 1 EAX bits 19..16, as CPUID gives it
};

// The vendor code of a 12-character vendor string (0 for none of the known ones).
uint8_t VendorCode(const std::string& vendorString);

CpuIdentity ReadCpuid(Platform& platform);

// The family page in use. Option codes of configuration files name their page by these values, so
// they never change; a family registered beyond these six takes the next free value.
enum FamilyKind : uint8_t {
    FamilyAthlon64 = 0,
    FamilyPentiumM = 1,
    FamilyPentium4 = 2,
    FamilyAthlonK7 = 3,
    FamilyPentium3 = 4,
    FamilyK5K6 = 5,
};
constexpr int kFamilyCount = 6;

// The families' names, as the configuration file's description words them.
constexpr std::array<const char*, kFamilyCount> kFamilyNames = {
    "Athlon 64", "Pentium M", "Pentium 4", "Athlon (K7)", "Pentium III", "K5 and K6"};

// One detector per family; each runs CPUID afresh. They are mutually exclusive.
bool IsAthlon64(Platform& platform);
bool IsPentiumM(Platform& platform);
bool IsPentium4(Platform& platform);
bool IsAthlonK7(Platform& platform);
bool IsPentium3(Platform& platform);
bool IsK5K6(Platform& platform);

bool familyMatches(FamilyKind kind, const CpuIdentity& id);
bool isFamilyDetected(Platform& platform, FamilyKind kind);

// One line naming the processor that no family page fits: vendor string, family, model (with the
// extended model, as the vendors number their parts) and stepping.
std::string unmatchedProcessorText(Platform& platform);

}  // namespace zandro
