#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SimMachine.h"

namespace zandro {

struct SimProfileInfo {
    std::string name;
    std::string description;
};

// The built-in profiles, in the order `--simulate list` prints them.
std::vector<SimProfileInfo> simProfiles();

// A fresh machine of the named profile (lower case), or nothing for an unknown name.
std::optional<SimMachine> makeSimMachine(std::string_view profile);

}  // namespace zandro
