#pragma once

#include <string>

namespace zandro {

// Reading and writing .msr files on disk, by the rules of platform/RegularFile.h.

struct FileRead {
    bool ok = false;
    std::string bytes;
    std::string error;  // why the file could not be read
};

// Reads the whole file while holding a shared advisory lock on it, so that a writer that locks
// cannot change it half-way. Anything but a regular file, an unreadable file or a file larger
// than the largest configuration file fails with a reason; such a file is never read whole.
FileRead readConfigurationFile(const std::string& path);

enum class FileWrite { Ok, CannotCreate, CannotWrite, NotRegular };

// Writes the file (a link's target) atomically, keeping its owner, group and mode, except that
// the owner may write it afterwards: saving takes the read-only attribute away.
FileWrite writeConfigurationFile(const std::string& path, const std::string& bytes);

}  // namespace zandro
