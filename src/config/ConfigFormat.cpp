#include "ConfigFormat.h"

#include <algorithm>

namespace zandro {

const std::string& configMagic() {
    static const std::string magic = std::string(1, '\x19') + "ZANDRO Configuration File";
    return magic;
}

std::string ConfigHeader::nameText() const {
    if (nameField.empty())
        return {};
    const size_t length =
        std::min({size_t(uint8_t(nameField[0])), kNameFieldTextMax, nameField.size() - 1});
    return nameField.substr(1, length);
}

bool hasNameStringRegisters(const CpuIdentity& id) {
    return id.vendorCode == 1 && ((id.family == 6 && id.model >= 2) || id.family > 6);
}

std::string makeNameField(const CpuIdentity& id, const std::string& rawNameString) {
    std::string field(1, char(kNameFieldTextMax));
    if (hasNameStringRegisters(id)) {
        std::string raw = rawNameString.substr(0, kNameFieldTextMax);
        raw.resize(kNameFieldTextMax, '\0');
        return field + raw;
    }
    return field + std::string(kNameFieldTextMax, '-');
}

namespace {

void putWord(std::string& out, uint16_t word) {
    out.push_back(char(word & 0xFF));
    out.push_back(char(word >> 8));
}

uint16_t wordAt(const std::string& bytes, size_t offset) {
    return uint16_t(uint8_t(bytes[offset]) | (uint16_t(uint8_t(bytes[offset + 1])) << 8));
}

}  // namespace

std::string serializeConfiguration(const ConfigHeader& header,
                                   const std::vector<ConfigRecord>& records) {
    std::string out = configMagic();
    putWord(out, header.version);
    out.push_back(char(header.identity.vendorCode));
    out.push_back(char(header.identity.family));
    out.push_back(char(header.identity.model));
    out.push_back(char(header.identity.stepping));
    std::string name = header.nameField;
    name.resize(kNameFieldSize, '\0');
    out += name;
    for (const ConfigRecord& record : records) {
        putWord(out, record.code);
        out.push_back(char(record.value));
    }
    return out;
}

ConfigContents parseConfiguration(const std::string& bytes) {
    ConfigContents contents;
    if (bytes.size() > kLargestFile) {
        contents.damage = ConfigDamage::Unreadable;
        return contents;
    }
    // The magic and the version are read together: a file too short for them cannot be read.
    if (bytes.size() < kIdentityOffset) {
        contents.damage = ConfigDamage::Unreadable;
        return contents;
    }
    if (bytes.compare(0, kMagicSize, configMagic()) != 0) {
        contents.damage = ConfigDamage::BadMagic;
        return contents;
    }
    contents.header.version = wordAt(bytes, kVersionOffset);
    if (contents.header.version < kOldestReadVersion ||
        contents.header.version > kNewestReadVersion) {
        contents.damage = ConfigDamage::BadVersion;
        return contents;
    }
    if (bytes.size() < kHeaderSize) {
        contents.damage = ConfigDamage::Unreadable;
        return contents;
    }
    CpuIdentity& id = contents.header.identity;
    id.vendorCode = uint8_t(bytes[kIdentityOffset]);
    id.family = uint8_t(bytes[kIdentityOffset + 1]);
    id.model = uint8_t(bytes[kIdentityOffset + 2]);
    id.stepping = uint8_t(bytes[kIdentityOffset + 3]);
    contents.header.nameField = bytes.substr(kNameFieldOffset, kNameFieldSize);
    contents.headerRead = true;

    size_t at = kHeaderSize;
    contents.records.reserve((bytes.size() - kHeaderSize) / kRecordSize);
    for (; at + kRecordSize <= bytes.size(); at += kRecordSize)
        contents.records.push_back({wordAt(bytes, at), uint8_t(bytes[at + 2])});
    if (at != bytes.size())
        contents.damage = ConfigDamage::Unreadable;
    return contents;
}

std::string versionText(uint16_t version) {
    std::string text = std::to_string(version / 100);
    const unsigned hundredths = version % 100;
    if (hundredths != 0) {
        text += '.';
        text += char('0' + hundredths / 10);
        if (hundredths % 10 != 0)
            text += char('0' + hundredths % 10);
    }
    return text;
}

std::string badMagicMessage(const std::string& quotedPath) {
    return quotedPath + " is not valid ZANDRO configuration file!";
}

std::string badVersionMessage(const std::string& quotedPath, uint16_t version) {
    return quotedPath + " was created by ZANDRO version " + versionText(version) + "." + "\n\r" +
           "Current version requires files created by versions " + "0.86" + " up to version" +
           "0.9" + ".";
}

std::string readErrorMessage(const std::string& quotedPath) {
    return "Could not read from file " + quotedPath + "!.";
}

std::string damageMessage(ConfigDamage damage, const std::string& quotedPath, uint16_t version) {
    switch (damage) {
        case ConfigDamage::BadMagic:
            return badMagicMessage(quotedPath);
        case ConfigDamage::BadVersion:
            return badVersionMessage(quotedPath, version);
        case ConfigDamage::Unreadable:
            return readErrorMessage(quotedPath);
        case ConfigDamage::None:
            break;
    }
    return {};
}

}  // namespace zandro
