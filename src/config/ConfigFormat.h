#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Cpuid.h"

namespace zandro {

// The .msr configuration file: an 81-byte header (magic, format version, processor identity,
// name field), then 3-byte option records (code, value) up to the end of the file. Numbers are
// little-endian.
constexpr size_t kMagicSize = 26;
constexpr size_t kVersionOffset = 26;
constexpr size_t kIdentityOffset = 28;
constexpr size_t kNameFieldOffset = 32;
constexpr size_t kNameFieldSize = 49;
constexpr size_t kHeaderSize = 81;
constexpr size_t kRecordSize = 3;
constexpr uint16_t kWrittenVersion = 90;
constexpr uint16_t kOldestReadVersion = 86;
constexpr uint16_t kNewestReadVersion = 90;
constexpr size_t kNameFieldTextMax = 48;
// Larger files are refused as damaged before any record is applied: no saved set of options
// comes near it, and reading it whole must stay cheap.
constexpr size_t kLargestFile = 1 << 20;

// Length byte 25, then the 25 characters.
const std::string& configMagic();

struct ConfigHeader {
    uint16_t version = kWrittenVersion;
    CpuIdentity identity;
    std::string nameField = std::string(kNameFieldSize, '\0');  // length byte and 48 bytes

    // The name field's text: at most 48 characters, whatever its length byte says.
    std::string nameText() const;
};

struct ConfigRecord {
    uint16_t code = 0;
    uint8_t value = 0;
};

// True for the AMD processors that have name-string registers.
bool hasNameStringRegisters(const CpuIdentity& id);

// The name field a saved file gets: the raw 48-byte name string on processors that have one, the
// dash filler ("0" then 48 dashes as it reads) on every other processor.
std::string makeNameField(const CpuIdentity& id, const std::string& rawNameString);

// The bytes of a whole file.
std::string serializeConfiguration(const ConfigHeader& header,
                                   const std::vector<ConfigRecord>& records);

enum class ConfigDamage {
    None,
    BadMagic,
    BadVersion,  // version outside 86..90
    Unreadable,  // ends inside the header or inside a record, or too large to be one
};

// A file read as far as it goes: the header, every whole record, and what is wrong with it.
// With BadMagic or BadVersion no record is read; with Unreadable the records before the damage
// are listed (they are applied before the read error is reported).
struct ConfigContents {
    ConfigDamage damage = ConfigDamage::None;
    bool headerRead = false;
    ConfigHeader header;
    std::vector<ConfigRecord> records;
};

ConfigContents parseConfiguration(const std::string& bytes);

// The messages of a damaged or refused file; quotedPath carries its double quotes.
std::string badMagicMessage(const std::string& quotedPath);
std::string badVersionMessage(const std::string& quotedPath, uint16_t version);
std::string readErrorMessage(const std::string& quotedPath);
std::string damageMessage(ConfigDamage damage, const std::string& quotedPath, uint16_t version);

// The version as it is shown: divided by 100 in shortest decimal form (0.91, 1, 6.55).
std::string versionText(uint16_t version);

}  // namespace zandro
