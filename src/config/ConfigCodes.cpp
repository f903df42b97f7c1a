#include "ConfigCodes.h"

#include <algorithm>
#include <cstdio>

#include "A64Rows.h"
#include "K5K6Rows.h"
#include "K7Rows.h"
#include "Pentium3Rows.h"
#include "Pentium4Rows.h"
#include "PentiumMRows.h"
#include "ThermalRows.h"

namespace zandro {

namespace {

using K = OptionKind;

constexpr uint32_t kL2Control = 0x11E;  // P6 level 2 cache control
constexpr uint32_t kTm2Control = 0x19D;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint32_t kPerfControl = 0x199;
constexpr uint32_t kFidVidControl = 0xC0010041;

FieldWrite bitTo(uint32_t index, unsigned n, bool set) {
    return {index, bit(n), set ? bit(n) : 0};
}

// C001001Bh divisors: the items "8" .. "512" as a range bit and a 2-bit field, 4 items a range.
std::vector<OptionChoice> divisorItems(unsigned rangeBit, unsigned fieldLow) {
    static const char* const items[] = {"8", "16", "32", "64", "128", "256", "512"};
    std::vector<OptionChoice> choices;
    for (uint32_t item = 0; item < 7; ++item) {
        const uint32_t value = ((item / 4) << rangeBit) | ((item % 4) << fieldLow);
        choices.push_back(
            {"", items[item], {{kK7ClockControlIndex, bit(rangeBit) | (3u << fieldLow), value}}});
    }
    return choices;
}

// C001001Bh clock change timing: one 2-bit value in five copies.
std::vector<OptionChoice> timingItems() {
    static const char* const items[] = {"Ultra Fast", "Fast", "Normal", "Slow"};
    std::vector<OptionChoice> choices;
    for (uint32_t item = 0; item < 4; ++item)
        choices.push_back({"", items[item], {{kK7ClockControlIndex, 0x33333u, item * 0x11111u}}});
    return choices;
}

// 11Eh bits 4..1: "0 cycle" .. "15 cycles".
std::vector<OptionChoice> latencyItems() {
    std::vector<OptionChoice> choices;
    for (uint32_t cycles = 0; cycles < 16; ++cycles)
        choices.push_back({"",
                           std::to_string(cycles) + (cycles < 2 ? " cycle" : " cycles"),
                           {{kL2Control, fieldMask(4, 1), cycles << 1}}});
    return choices;
}

OptionCode radio(uint16_t code, FamilyKind family, const char* caption,
                 std::vector<OptionChoice> choices) {
    return {code, family, K::Radio, caption, nullptr, std::move(choices)};
}

// A button and the one read-modify-write of its register that a click makes (none at index 0).
OptionChoice buttonChoice(std::string name, const RowButton& button, uint32_t index) {
    std::vector<FieldWrite> writes;
    if (index != 0)
        writes.push_back({index, button.set | button.clear, button.set});
    return {std::move(name), button.caption, std::move(writes)};
}

OptionCode rowCode(FamilyKind family, const OptionRow& row) {
    return radio(row.code, family, row.caption,
                 {buttonChoice(row.first.name, row.first, row.index),
                  buttonChoice(row.second.name, row.second, row.index)});
}

OptionCode groupCode(FamilyKind family, const ChoiceGroup& group) {
    std::vector<OptionChoice> choices;
    for (const RowButton& button : group.buttons)
        choices.push_back(
            buttonChoice(group.prefix + std::string(button.name), button, group.index));
    return radio(group.code, family, group.caption, std::move(choices));
}

// A thermal monitor group: its buttons, each with the writes its position makes.
OptionCode monitorCode(FamilyKind family, const ChoiceGroup& group,
                       std::vector<std::vector<FieldWrite>> writes) {
    OptionCode option = groupCode(family, group);
    for (size_t position = 0; position < writes.size(); ++position)
        option.choices[position].writes = std::move(writes[position]);
    return option;
}

// The Pentium M chooses the monitor in 19Dh bit 16 and switches it on in 1A0h bit 3.
OptionCode pentiumMMonitor() {
    return monitorCode(FamilyPentiumM, kPMobileThermal.monitor,
                       {{bitTo(kMiscEnable, 3, false)},
                        {bitTo(kTm2Control, 16, false), bitTo(kMiscEnable, 3, true)},
                        {bitTo(kTm2Control, 16, true), bitTo(kMiscEnable, 3, true)}});
}

// The Pentium 4 switches both monitors in 1A0h (bit 3 and bit 13); bit 13 is left alone where
// the processor lacks Thermal Monitor 2, except by its own button.
OptionCode pentium4Monitor() {
    const FieldWrite tm2Off = {kMiscEnable, bit(13), 0, true};
    return monitorCode(FamilyPentium4, kNetBurstThermal.monitor,
                       {{bitTo(kMiscEnable, 3, true), tm2Off},
                        {bitTo(kMiscEnable, 3, false), tm2Off},
                        {{kMiscEnable, bit(3) | bit(13), bit(13)}}});
}

OptionCode fixedList(uint16_t code, FamilyKind family, OptionKind kind, const char* caption,
                     const char* control, std::vector<OptionChoice> items, int noItem) {
    return {code, family, kind, caption, control, std::move(items), noItem};
}

OptionCode changeList(uint16_t code, FamilyKind family, const char* control, const char* list,
                      uint32_t index) {
    return {code, family, K::List, " Multiplier adjustments ", control, {}, -1, list, index};
}

// The radio groups come from the pages' row tables; the lists and the number are typed here.
std::vector<OptionCode> buildCodes() {
    const FamilyKind a64 = FamilyAthlon64, pm = FamilyPentiumM, p4 = FamilyPentium4,
                     k7 = FamilyAthlonK7, p6 = FamilyPentium3, k6 = FamilyK5K6;
    std::vector<OptionCode> codes = {
        changeList(40, a64, "A64_MultiplierCombo", "multiplier", kFidVidControl),
        changeList(41, a64, "A64_VoltageCombo", "voltage", kFidVidControl),
        pentiumMMonitor(),
        groupCode(pm, kPMobileThermal.duty),
        changeList(150, pm, "PMobile_MultiplierCombo", "multiplier", kPerfControl),
        changeList(151, pm, "PMobile_VoltageCombo", "voltage", kPerfControl),
        groupCode(p4, kNetBurstBusGroup),
        pentium4Monitor(),
        groupCode(p4, kNetBurstThermal.duty),
        changeList(250, p4, "NetBurst_MultiplierCombo", "multiplier", kPerfControl),
        changeList(251, p4, "NetBurst_VoltageCombo", "voltage", kPerfControl),
        // "Set" with no item selected leaves the fields 0: divisor 8, timing "Ultra Fast".
        fixedList(320, k7, K::AlwaysList, " Halt Disconnect Clock Divisor ", "K7_HLTmultiCombo",
                  divisorItems(6, 2), 0),
        fixedList(321, k7, K::AlwaysList, " Stop Grant Clock Divisor ", "K7_STPCLKmultiCombo",
                  divisorItems(18, 14), 0),
        fixedList(322, k7, K::AlwaysList, " Clock Change Timing ", "K7_CLKtimingCombo",
                  timingItems(), 0),
        changeList(350, k7, "K7_MultiplierCombo", "multiplier", kFidVidControl),
        changeList(351, k7, "K7_VoltageCombo", "voltage", kFidVidControl),
        // "Apply" with no latency selected writes nothing.
        fixedList(441, p6, K::List, " L2 cache Latency ", "P6_L2cacheLatencyCombo", latencyItems(),
                  -1),
        groupCode(p6, kP6CacheSizeGroup),
        // C0000082h bits 7..1: the limit in blocks of 4 MBytes.
        {522,
         k6,
         K::Number,
         " Write Allocate Limit ",
         "K6_WriteAllocateLimitBox",
         {},
         -1,
         nullptr,
         kK6Whcr,
         7,
         1,
         127},
    };
    const auto addRows = [&codes](FamilyKind family, std::span<const OptionRow> rows) {
        for (const OptionRow& row : rows)
            codes.push_back(rowCode(family, row));
    };
    addRows(a64, kA64FeatureRows);
    addRows(pm, kPMobileFeatureRows);
    addRows(pm, kPMobileL2Rows);
    addRows(p4, kNetBurstErrorRows);
    addRows(p4, kNetBurstFeatureRows);
    addRows(k7, kK7ApicRows);
    addRows(k7, kK7FeatureRows);
    addRows(p6, kP6FeatureRows);
    addRows(p6, kP6CacheRows);
    addRows(p6, kP6ErrorRows);
    addRows(k6, kK5Rows);
    addRows(k6, kK6Rows);
    // The file format's table runs family by family in code order.
    std::stable_sort(codes.begin(), codes.end(),
                     [](const OptionCode& a, const OptionCode& b) { return a.code < b.code; });
    return codes;
}

std::string trimmed(const char* text) {
    std::string s(text);
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string hex(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%X", unsigned(value));
    return text;
}

// Bits h..l of `value` in binary, highest first.
std::string binary(uint32_t value, unsigned high, unsigned low) {
    std::string text;
    for (unsigned n = high + 1; n-- > low;)
        text += (value >> n) & 1u ? '1' : '0';
    return text;
}

bool numberRefused(const OptionCode& option, uint8_t value) {
    return option.kind == K::Number && value > option.largest;
}

// The choice whose writes the value gets, or null.
const OptionChoice* chosen(const OptionCode& option, uint8_t value) {
    if (value < option.choices.size())
        return &option.choices[value];
    if (option.kind != K::Radio && option.noItem >= 0)
        return &option.choices[size_t(option.noItem)];
    return nullptr;
}

// Caption, choice and what applying the value does, whatever the processor.
std::string describeOption(const OptionCode& option, uint8_t value) {
    std::string text = trimmed(option.caption) + ": " + choiceText(option, value);
    if (numberRefused(option, value))
        return text + "; refused: not between 0 and " + std::to_string(option.largest);
    if (option.list != nullptr)
        return text + "; " + fieldWriteText({option.index, 0, 0}) +
               " (the multiplier and voltage change)";
    const std::vector<FieldWrite> writes = recordWrites(option, value);
    if (writes.empty())
        return text + "; nothing written";
    for (const FieldWrite& write : writes)
        text += "; " + fieldWriteText(write);
    return text;
}

}  // namespace

const std::vector<OptionCode>& optionCodes() {
    static const std::vector<OptionCode> codes = buildCodes();
    return codes;
}

const OptionCode* findOptionCode(uint16_t code) {
    const auto& codes = optionCodes();
    const auto it = std::find_if(codes.begin(), codes.end(),
                                 [code](const OptionCode& option) { return option.code == code; });
    return it == codes.end() ? nullptr : &*it;
}

std::string choiceText(const OptionCode& option, uint8_t value) {
    if (option.kind == K::Number)
        return std::to_string(value);
    if (value < option.choices.size())
        return option.choices[value].text;
    if (option.kind == K::Radio)
        return "no button " + std::to_string(value);
    if (option.choices.empty())
        return "item " + std::to_string(value) + " of the " + option.list +
               " list as the processor fills it";
    std::string text =
        "no item " + std::to_string(value) + ", the list is left without a selection";
    if (const OptionChoice* fallback = chosen(option, value))
        text += ", as for \"" + fallback->text + "\"";
    return text;
}

std::vector<FieldWrite> recordWrites(const OptionCode& option, uint8_t value) {
    if (option.kind == K::Number) {
        if (numberRefused(option, value))
            return {};
        return {{option.index, fieldMask(option.high, option.low), uint32_t(value) << option.low}};
    }
    const OptionChoice* choice = chosen(option, value);
    return choice == nullptr ? std::vector<FieldWrite>{} : choice->writes;
}

std::string fieldWriteText(const FieldWrite& write) {
    std::string text = "writes " + hex(write.index) + "h";
    const char* separator = " ";
    // Each run of adjacent bits of the mask, highest first.
    for (unsigned n = 32; n-- > 0;) {
        if (!((write.mask >> n) & 1u))
            continue;
        unsigned low = n;
        while (low > 0 && ((write.mask >> (low - 1)) & 1u))
            --low;
        text += separator;
        text += low == n ? "bit " + std::to_string(n)
                         : "bits " + std::to_string(n) + ".." + std::to_string(low);
        text += " = " + binary(write.value, n, low);
        separator = ", ";
        n = low;
    }
    if (write.onlyWithTm2)
        text += " where the processor has Thermal Monitor 2";
    return text;
}

std::string describeRecord(const ConfigRecord& record, const CpuIdentity* fileProcessor) {
    const OptionCode* option = findOptionCode(record.code);
    if (option == nullptr)
        return "skipped";
    std::string text = describeOption(*option, record.value);
    // Every page acts on the record whatever the processor; where it lacks the register the read
    // fails and nothing is written.
    const bool writes = option->list != nullptr || !recordWrites(*option, record.value).empty();
    if (writes && fileProcessor != nullptr && !familyMatches(option->family, *fileProcessor))
        text += std::string("; an option of the ") + kFamilyNames[option->family] +
                " page: written only where this processor has the register";
    return text;
}

std::string escapedLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string escapedControls(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte == 0x7F) && c != '\n' && c != '\r') {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", unsigned(byte));
            out += code;
        } else {
            out += c;
        }
    }
    return escapedLine(out);
}

std::vector<std::string> describeConfiguration(const std::string& bytes,
                                               const std::string& quotedPath,
                                               std::string* message) {
    const ConfigContents contents = parseConfiguration(bytes);
    if (contents.damage != ConfigDamage::None) {
        *message = damageMessage(contents.damage, quotedPath, contents.header.version);
        return {};
    }
    const CpuIdentity& id = contents.header.identity;
    std::vector<std::string> lines;
    lines.push_back("version\t" + std::to_string(contents.header.version) + "\n");
    lines.push_back("processor\t" + std::to_string(id.vendorCode) + " " +
                    std::to_string(id.family) + " " + std::to_string(id.model) + " " +
                    std::to_string(id.stepping) + "\n");
    // The text as the name-string panel would show it: up to the first NUL byte.
    const std::string name = contents.header.nameText();
    lines.push_back("name\t" + escapedControls(name.substr(0, name.find('\0'))) + "\n");
    for (const ConfigRecord& record : contents.records)
        lines.push_back("record\t" + std::to_string(record.code) + "\t" +
                        std::to_string(record.value) + "\t" + describeRecord(record, &id) + "\n");
    return lines;
}

}  // namespace zandro
