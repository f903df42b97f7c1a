#pragma once

#include <string>

namespace zandro {

// Reading and writing .msr files on disk.

struct FileRead {
    bool ok = false;
    std::string bytes;
    std::string error;  // why the file could not be read (system error text)
};

// Reads the whole file while holding a shared advisory lock on it, so that a writer that locks
// (such as the save below) cannot change it half-way. A directory, an unreadable file or a file
// larger than the largest configuration file fails with a reason; such a file is never read
// whole.
FileRead readConfigurationFile(const std::string& path);

enum class FileWrite { Ok, CannotCreate, CannotWrite };

// Writes the file through a temporary file beside it, renamed over it when every byte is on
// disk, so that a failed save leaves the old file as it was. An existing file's permissions are
// kept, except that the owner may write it afterwards.
FileWrite writeConfigurationFile(const std::string& path, const std::string& bytes);

}  // namespace zandro
