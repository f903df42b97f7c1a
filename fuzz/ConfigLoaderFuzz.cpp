// Feeds arbitrary bytes to the configuration file reader and the describe printout, and checks
// that a file read without damage is written back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/ConfigCodes.h"
#include "config/ConfigFormat.h"

using namespace zandro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ConfigContents contents = parseConfiguration(bytes);
    if (contents.headerRead && contents.records.size() > (size - kHeaderSize) / kRecordSize)
        std::abort();
    if (contents.damage == ConfigDamage::None &&
        serializeConfiguration(contents.header, contents.records) != bytes)
        std::abort();
    if (contents.headerRead && contents.header.nameText().size() > kNameFieldTextMax)
        std::abort();
    std::string message;
    const auto lines = describeConfiguration(bytes, "\"fuzz.msr\"", &message);
    if (lines.empty() == message.empty())
        std::abort();
    for (const ConfigRecord& record : contents.records)
        (void)describeRecord(record);
    return 0;
}
