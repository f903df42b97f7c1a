#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SimFixture.h"
#include "config/ConfigCodes.h"
#include "config/ConfigFile.h"
#include "config/ConfigFormat.h"

namespace zandro {
namespace {

CpuIdentity athlon64() {
    CpuIdentity id;
    id.vendorCode = 1;
    id.family = 15;
    id.model = 4;
    id.stepping = 8;
    return id;
}

std::string fileWith(std::vector<ConfigRecord> records, uint16_t version = kWrittenVersion) {
    ConfigHeader header;
    header.version = version;
    header.identity = athlon64();
    header.nameField = makeNameField(header.identity, "AMD Athlon");
    return serializeConfiguration(header, records);
}

TEST(ConfigFormatTest, HeaderIsExactly81BytesWithMagicVersionAndIdentity) {
    const std::string bytes = fileWith({});
    ASSERT_EQ(bytes.size(), 81u);
    EXPECT_EQ(bytes.substr(0, 26), std::string("\x19ZANDRO Configuration File"));
    EXPECT_EQ(bytes.substr(26, 6), std::string("\x5A\x00\x01\x0F\x04\x08", 6));
    EXPECT_EQ(bytes[32], char(48));
    EXPECT_EQ(fileWith({{522, 44}, {20, 1}}).substr(81),
              std::string("\x0A\x02\x2C\x14\x00\x01", 6));
}

TEST(ConfigFormatTest, NameFieldHoldsTheNameStringOnlyWhereTheProcessorHasOne) {
    CpuIdentity id;
    id.vendorCode = 1;
    id.family = 6;
    id.model = 1;
    EXPECT_EQ(makeNameField(id, "ignored"), "0" + std::string(48, '-'));
    id.model = 2;
    const std::string field = makeNameField(id, std::string("AMD Athlon\0", 11));
    EXPECT_EQ(field.size(), 49u);
    EXPECT_EQ(field.substr(0, 12), std::string("0AMD Athlon\0", 12));
    EXPECT_EQ(makeNameField(athlon64(), "x").substr(1, 2), std::string("x\0", 2));
    id.vendorCode = 2;
    id.family = 15;
    EXPECT_EQ(makeNameField(id, "Intel"), "0" + std::string(48, '-'));
}

TEST(ConfigFormatTest, LengthByteAbove48ReadsAs48Characters) {
    ConfigHeader header;
    header.nameField = char(200) + std::string(48, 'a');
    EXPECT_EQ(header.nameText(), std::string(48, 'a'));
    header.nameField[0] = char(3);
    EXPECT_EQ(header.nameText(), "aaa");
}

struct Damage {
    const char* what;
    std::string bytes;
    ConfigDamage damage;
    size_t records;
};

TEST(ConfigFormatTest, EveryDamagedFileIsRecognisedAndKeepsOnlyWholeRecords) {
    const std::string good = fileWith({{20, 1}, {21, 0}});
    std::string badMagic = good;
    badMagic[5] = 'x';
    const std::vector<Damage> cases = {
        {"empty", "", ConfigDamage::Unreadable, 0},
        {"inside the magic", good.substr(0, 10), ConfigDamage::Unreadable, 0},
        {"inside the identity", good.substr(0, 30), ConfigDamage::Unreadable, 0},
        {"inside the name field", good.substr(0, 80), ConfigDamage::Unreadable, 0},
        {"wrong magic", badMagic, ConfigDamage::BadMagic, 0},
        {"version 85", fileWith({{20, 1}}, 85), ConfigDamage::BadVersion, 0},
        {"version 91", fileWith({{20, 1}}, 91), ConfigDamage::BadVersion, 0},
        {"version 86", fileWith({{20, 1}}, 86), ConfigDamage::None, 1},
        {"header only", good.substr(0, 81), ConfigDamage::None, 0},
        {"one byte over", good + "\x01", ConfigDamage::Unreadable, 2},
        {"two bytes over", good + "\x01\x02", ConfigDamage::Unreadable, 2},
        {"huge", good + std::string(kLargestFile, '\0'), ConfigDamage::Unreadable, 0},
    };
    for (const Damage& c : cases) {
        const ConfigContents contents = parseConfiguration(c.bytes);
        EXPECT_EQ(contents.damage, c.damage) << c.what;
        EXPECT_EQ(contents.records.size(), c.records) << c.what;
    }
}

TEST(ConfigFormatTest, MessagesOfDamagedFiles) {
    EXPECT_EQ(versionText(91), "0.91");
    EXPECT_EQ(versionText(90), "0.9");
    EXPECT_EQ(versionText(100), "1");
    EXPECT_EQ(versionText(105), "1.05");
    EXPECT_EQ(badVersionMessage("\"a.msr\"", 91),
              "\"a.msr\" was created by ZANDRO version 0.91.\n\rCurrent version requires files "
              "created by versions 0.86 up to version0.9.");
    EXPECT_EQ(readErrorMessage("\"a\""), "Could not read from file \"a\"!.");
    EXPECT_EQ(badMagicMessage("\"a\""), "\"a\" is not valid ZANDRO configuration file!");
}

TEST(ConfigFormatTest, DescribeListsHeaderAndEveryRecord) {
    std::string message;
    const auto lines = describeConfiguration(fileWith({{20, 1}, {999, 3}, {320, 255}, {40, 2}}),
                                             "\"f\"", &message);
    ASSERT_EQ(lines.size(), 7u) << message;
    EXPECT_EQ(lines[0], "version\t90\n");
    EXPECT_EQ(lines[1], "processor\t1 15 4 8\n");
    EXPECT_EQ(lines[2], "name\tAMD Athlon\n");
    EXPECT_EQ(lines[3], "record\t20\t1\tNo-Execute Page: Disable; writes C0000080h bit 11 = 0\n");
    EXPECT_EQ(lines[4], "record\t999\t3\tskipped\n");
    EXPECT_NE(lines[5].find("Halt Disconnect Clock Divisor: no item 255"), std::string::npos);
    EXPECT_NE(lines[6].find("item 2 of the multiplier list"), std::string::npos);
    // The K7 code in an Athlon 64 file is still acted on, where that processor has the register.
    EXPECT_NE(lines[5].find("; an option of the Athlon (K7) page: written only where this "
                            "processor has the register\n"),
              std::string::npos);
    EXPECT_EQ(lines[6].find("an option of the"), std::string::npos);
    EXPECT_TRUE(describeConfiguration(fileWith({}, 91), "\"f\"", &message).empty());
    EXPECT_EQ(message, badVersionMessage("\"f\"", 91));
}

// A name field holding terminal codes is printed as text, never as the codes themselves.
TEST(ConfigFormatTest, DescribeEscapesTheControlCharactersOfTheName) {
    ConfigHeader header;
    header.identity = athlon64();
    header.nameField =
        makeNameField(header.identity, std::string("A\x1b[2J\tB\n\r\x7f\x1f~\xe9", 13));
    std::string message;
    const auto lines = describeConfiguration(serializeConfiguration(header, {}), "\"f\"", &message);
    ASSERT_EQ(lines.size(), 3u) << message;
    EXPECT_EQ(lines[2], "name\tA\\x1B[2J\\x09B\\n\\r\\x7F\\x1F~\xe9\n");
}

TEST(ConfigFormatTest, CodeTableIsInFileOrderWithoutDuplicates) {
    const auto& codes = optionCodes();
    for (size_t i = 1; i < codes.size(); ++i)
        EXPECT_LT(codes[i - 1].code, codes[i].code);
    EXPECT_EQ(choiceText(*findOptionCode(240), 0), "Enable Thermal Monitor 1");
    EXPECT_EQ(choiceText(*findOptionCode(140), 1), "Enable Thermal Monitor 1");
    EXPECT_EQ(choiceText(*findOptionCode(210), 2), "200 MHz");
}

TEST(ConfigFileTest, SavingReplacesAReadOnlyFileWhole) {
    test::TempDir dir;
    const std::string path = dir.file("a.msr");
    test::writeFile(path, "old contents that are longer than the new ones");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(writeConfigurationFile(path, "new"), FileWrite::Ok);
    EXPECT_EQ(test::readFile(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A save replaces the file rather than rewriting it: another name for the old file (a hard
// link, a reader holding it open) keeps the old bytes, whoever runs the test.
TEST(ConfigFileTest, SavingReplacesTheFileSoAHardLinkKeepsTheOldBytes) {
    test::TempDir dir;
    const std::string path = dir.file("a.msr");
    test::writeFile(path, "old");
    ASSERT_EQ(::link(path.c_str(), dir.file("b.msr").c_str()), 0);
    ASSERT_EQ(writeConfigurationFile(path, "new"), FileWrite::Ok);
    EXPECT_EQ(test::readFile(path), "new");
    EXPECT_EQ(test::readFile(dir.file("b.msr")), "old");
}

TEST(ConfigFileTest, FailuresLeaveNothingBehind) {
    test::TempDir dir;
    EXPECT_EQ(writeConfigurationFile(dir.file("missing/a.msr"), "x"), FileWrite::CannotCreate);
    EXPECT_EQ(writeConfigurationFile(dir.path(), "x"), FileWrite::NotRegular);
    EXPECT_FALSE(readConfigurationFile(dir.path()).ok);
    EXPECT_FALSE(readConfigurationFile(dir.file("none")).ok);
    test::writeFile(dir.file("b"), "bytes");
    const FileRead read = readConfigurationFile(dir.file("b"));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.bytes, "bytes");
}

}  // namespace
}  // namespace zandro
