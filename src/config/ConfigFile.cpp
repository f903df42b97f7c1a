#include "ConfigFile.h"

#include <sys/stat.h>

#include "ConfigFormat.h"
#include "platform/RegularFile.h"

namespace zandro {

FileRead readConfigurationFile(const std::string& path) {
    FileContents contents = readRegularFile(path, kLargestFile);
    if (!contents.result.ok())
        return {false, {}, contents.result.why};
    return {true, std::move(contents.bytes), {}};
}

FileWrite writeConfigurationFile(const std::string& path, const std::string& bytes) {
    switch (replaceRegularFile(path, bytes, {.addBits = S_IWUSR}).failure) {
        case FileFailure::None:
            return FileWrite::Ok;
        case FileFailure::NotRegular:
            return FileWrite::NotRegular;
        case FileFailure::CannotWrite:
            return FileWrite::CannotWrite;
        default:
            return FileWrite::CannotCreate;
    }
}

}  // namespace zandro
