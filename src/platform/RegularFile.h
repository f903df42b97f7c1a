#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace zandro {

// The rules every file the program keeps follows (config.ini, .msr files, the sim-state): links
// are followed to the file they name, only regular files are read or replaced, and a save keeps
// the file's owner, group and mode and never leaves it half written.

enum class FileFailure {
    None,
    Missing,
    NotRegular,
    TooLarge,
    CannotRead,
    CannotCreate,
    CannotWrite
};

struct FileResult {
    FileFailure failure = FileFailure::None;
    std::string why;  // what went wrong, without the path; empty on success

    bool ok() const { return failure == FileFailure::None; }
};

struct FileContents {
    FileResult result;
    std::string bytes;
};

// The file a path names once its symbolic links are followed, the last of them pointing perhaps
// to a file that does not exist yet. A relative link counts from the folder of the link.
std::string resolveLinks(const std::string& path);

// Reads the whole file under a shared advisory lock, so that a writer that locks cannot change it
// half-way. Anything but a regular file is refused before it is opened, as is a file larger than
// `limit` bytes (which is never read whole).
FileContents readRegularFile(const std::string& path, size_t limit);

struct ReplaceOptions {
    // Mode bits added to an existing file's (the .msr writer takes the read-only attribute away).
    mode_t addBits = 0;
    // Creates the temporary file beside the target as mkstemp does; tests put a folder that
    // refuses new files in its place.
    int (*makeTemporary)(char* pattern) = nullptr;
};

// Replaces the content of the file `path` names: through a temporary file renamed over it, or,
// where its folder takes no new file or the temporary file cannot get the owner, by rewriting the
// file in place. A link stays a link; anything but a regular file is refused untouched.
FileResult replaceRegularFile(const std::string& path, const std::string& bytes,
                              const ReplaceOptions& options = {});

}  // namespace zandro
