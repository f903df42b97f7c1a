#pragma once

#include <string>

#include "SimMachine.h"

namespace zandro {

struct SimStateResult {
    bool ok = true;
    std::string error;  // "<file>:<line>: <why>" when not ok
};

// Applies the statements of a sim-state text on top of the machine. On error the machine may be
// partly changed; the caller gives up on it.
SimStateResult parseSimState(const std::string& text, const std::string& fileName,
                             SimMachine& machine);

// Loads FILE when it exists (a missing file is no error). Something that is not a regular file
// is not opened: the machine stays the profile's, and saving it later is refused.
SimStateResult loadSimState(const std::string& path, SimMachine& machine);

// The whole machine in the sim-state grammar.
std::string formatSimState(const SimMachine& machine);

// Writes the machine to FILE (a link's target), replacing it atomically; anything but a regular
// file is refused untouched.
bool saveSimState(const std::string& path, const SimMachine& machine, std::string* error = nullptr);

}  // namespace zandro
