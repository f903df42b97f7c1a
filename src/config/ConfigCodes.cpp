#include "ConfigCodes.h"

#include <algorithm>
#include <cstdio>

namespace zandro {

namespace {

using K = OptionKind;

constexpr uint32_t kPowerOn = 0x2A;        // P6 and Pentium M power-on configuration
constexpr uint32_t kErrorDisables = 0x2B;  // Pentium 4: a set bit switches a check off
constexpr uint32_t kK5Hwcr = 0x83;         // K5 hardware configuration
constexpr uint32_t kL2Control = 0x11E;     // P6 and Pentium M level 2 cache control
constexpr uint32_t kClockModulation = 0x19A;
constexpr uint32_t kTm2Control = 0x19D;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint32_t kPerfControl = 0x199;
constexpr uint32_t kEfer = 0xC0000080;
constexpr uint32_t kK6Whcr = 0xC0000082;
constexpr uint32_t kSyscfg = 0xC0010010;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint32_t kFidVidControl = 0xC0010041;
constexpr uint32_t kK7ClockControl = 0xC001001B;

constexpr uint32_t bit(unsigned n) {
    return uint32_t(1) << n;
}
constexpr uint32_t fieldMask(unsigned high, unsigned low) {
    return ((uint32_t(2) << (high - low)) - 1) << low;
}

FieldWrite bitTo(uint32_t index, unsigned n, bool set) {
    return {index, bit(n), set ? bit(n) : 0};
}

// "Enable" and "Disable" of one bit; `enableSets` is false where the bit switches the feature off.
std::vector<OptionChoice> onOff(const std::string& prefix, uint32_t index, unsigned n,
                                bool enableSets, const char* on = "EN", const char* off = "DIS") {
    return {{prefix + on, "Enable", {bitTo(index, n, enableSets)}},
            {prefix + off, "Disable", {bitTo(index, n, !enableSets)}}};
}

// The two buttons of a bit whose captions are not "Enable" and "Disable": the first sets the bit
// when `firstSets`.
std::vector<OptionChoice> twoWay(const char* first, const char* firstText, const char* second,
                                 const char* secondText, uint32_t index, unsigned n,
                                 bool firstSets) {
    return {{first, firstText, {bitTo(index, n, firstSets)}},
            {second, secondText, {bitTo(index, n, !firstSets)}}};
}

// 19Ah: bit 4 switches modulation on, bits 3..1 hold the duty code 1..7.
std::vector<OptionChoice> dutyChoices(const std::string& prefix) {
    static const char* const suffixes[] = {"DIS", "12", "25", "37", "50", "62", "75", "87"};
    static const char* const texts[] = {"Disable", "12.5 %", "25.0 %", "37.5 %",
                                        "50.0 %",  "62.5 %", "75.0 %", "87.5 %"};
    std::vector<OptionChoice> choices;
    for (uint32_t code = 0; code < 8; ++code) {
        const uint32_t value = code == 0 ? 0 : bit(4) | (code << 1);
        choices.push_back({prefix + "_OnDemandDuty" + suffixes[code],
                           texts[code],
                           {{kClockModulation, fieldMask(4, 1), value}}});
    }
    return choices;
}

// C001001Bh divisors: the items "8" .. "512" as a range bit and a 2-bit field, 4 items a range.
std::vector<OptionChoice> divisorItems(unsigned rangeBit, unsigned fieldLow) {
    static const char* const items[] = {"8", "16", "32", "64", "128", "256", "512"};
    std::vector<OptionChoice> choices;
    for (uint32_t item = 0; item < 7; ++item) {
        const uint32_t value = ((item / 4) << rangeBit) | ((item % 4) << fieldLow);
        choices.push_back(
            {"", items[item], {{kK7ClockControl, bit(rangeBit) | (3u << fieldLow), value}}});
    }
    return choices;
}

// C001001Bh clock change timing: one 2-bit value in five copies.
std::vector<OptionChoice> timingItems() {
    static const char* const items[] = {"Ultra Fast", "Fast", "Normal", "Slow"};
    std::vector<OptionChoice> choices;
    for (uint32_t item = 0; item < 4; ++item)
        choices.push_back({"", items[item], {{kK7ClockControl, 0x33333u, item * 0x11111u}}});
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

// 11Eh bits 17..13: one bit per size.
std::vector<OptionChoice> cacheSizeChoices() {
    static const char* const sizes[][2] = {{"256", "256 kBytes"},
                                           {"512", "512 kBytes"},
                                           {"1024", "1 MByte"},
                                           {"2048", "2 Mbytes"},
                                           {"4096", "4 MBytes"}};
    std::vector<OptionChoice> choices;
    for (unsigned i = 0; i < 5; ++i)
        choices.push_back({std::string("P6_CacheSizePerBank") + sizes[i][0],
                           sizes[i][1],
                           {{kL2Control, fieldMask(17, 13), bit(13 + i)}}});
    return choices;
}

// The Pentium M chooses the monitor in 19Dh bit 16 and switches it on in 1A0h bit 3; "Disable"
// is position 0.
std::vector<OptionChoice> pentiumMMonitor() {
    return {{"PMobile_ThermalMonitorDIS", "Disable", {bitTo(kMiscEnable, 3, false)}},
            {"PMobile_ThermalMonitor1EN",
             "Enable Thermal Monitor 1",
             {bitTo(kTm2Control, 16, false), bitTo(kMiscEnable, 3, true)}},
            {"PMobile_ThermalMonitor2EN",
             "Enable Thermal Monitor 2",
             {bitTo(kTm2Control, 16, true), bitTo(kMiscEnable, 3, true)}}};
}

// The Pentium 4 switches both monitors in 1A0h (bit 3 and bit 13); bit 13 is left alone where
// the processor lacks Thermal Monitor 2, except by its own button. "Disable" is position 1.
std::vector<OptionChoice> pentium4Monitor() {
    const FieldWrite tm2Off = {kMiscEnable, bit(13), 0, true};
    return {{"NetBurst_ThermalMonitor1EN",
             "Enable Thermal Monitor 1",
             {bitTo(kMiscEnable, 3, true), tm2Off}},
            {"NetBurst_ThermalMonitorDIS", "Disable", {bitTo(kMiscEnable, 3, false), tm2Off}},
            {"NetBurst_ThermalMonitor2EN",
             "Enable Thermal Monitor 2",
             {{kMiscEnable, bit(3) | bit(13), bit(13)}}}};
}

// The hidden bus frequency buttons write nothing; 200 MHz comes before 166 MHz.
std::vector<OptionChoice> busChoices() {
    return {{"NetBurst_100MHz", "100 MHz", {}},
            {"NetBurst_133MHz", "133 MHz", {}},
            {"NetBurst_200MHz", "200 MHz", {}},
            {"NetBurst_166MHz", "166 MHz", {}}};
}

OptionCode radio(uint16_t code, FamilyKind family, const char* caption,
                 std::vector<OptionChoice> choices) {
    return {code, family, K::Radio, caption, nullptr, std::move(choices)};
}

OptionCode fixedList(uint16_t code, FamilyKind family, OptionKind kind, const char* caption,
                     const char* control, std::vector<OptionChoice> items, int noItem) {
    return {code, family, kind, caption, control, std::move(items), noItem};
}

OptionCode changeList(uint16_t code, FamilyKind family, const char* control, const char* list,
                      uint32_t index) {
    return {code, family, K::List, " Multiplier adjustments ", control, {}, -1, list, index};
}

std::vector<OptionCode> buildCodes() {
    const FamilyKind a64 = FamilyAthlon64, pm = FamilyPentiumM, p4 = FamilyPentium4,
                     k7 = FamilyAthlonK7, p6 = FamilyPentium3, k6 = FamilyK5K6;
    return {
        radio(20, a64, " No-Execute Page ", onOff("A64_NoExecutePage", kEfer, 11, true)),
        // Long mode shows bit 10 (active) but switches bit 8 (enable).
        radio(21, a64, " AMD64 Long Mode ", onOff("A64_AMD64LongMode", kEfer, 8, true)),
        radio(22, a64, " System Call Extension ", onOff("A64_SystemCallExtension", kEfer, 0, true)),
        radio(23, a64, " Machine Check Registers ",
              twoWay("A64_MachineCheckRegistersAL", "Allow", "A64_MachineCheckRegistersDIS",
                     "Disallow", kHwcr, 18, true)),
        radio(24, a64, " SSE Instructions Support ",
              onOff("A64_SSEInstructionSupport", kHwcr, 15, false)),
        changeList(40, a64, "A64_MultiplierCombo", "multiplier", kFidVidControl),
        changeList(41, a64, "A64_VoltageCombo", "voltage", kFidVidControl),

        radio(120, pm, " Data Error Checking ",
              onOff("PMobile_DataErrorChecking", kPowerOn, 1, true)),
        radio(121, pm, " Response Error Checking ",
              onOff("PMobile_ResponseErrorChecking", kPowerOn, 2, true)),
        radio(122, pm, " Enhanced Intel SpeedStep technology ",
              onOff("PMobile_EnhancedSpeedStep", kMiscEnable, 16, true)),
        radio(130, pm, " L2 Enabled ", onOff("PMobile_L2Enabled", kL2Control, 8, true)),
        radio(140, pm, " Slow Down When Overheating Protection ", pentiumMMonitor()),
        radio(141, pm, " On-Demand Clock Modulation ", dutyChoices("PMobile")),
        changeList(150, pm, "PMobile_MultiplierCombo", "multiplier", kPerfControl),
        changeList(151, pm, "PMobile_VoltageCombo", "voltage", kPerfControl),

        radio(210, p4, " System Bus Frequency (Factory Settings) ", busChoices()),
        radio(220, p4, " Data Error Checking ",
              onOff("NetBurst_DataErrorChecking", kErrorDisables, 1, false)),
        radio(221, p4, " Response Error Checking ",
              onOff("NetBurst_ResponseErrorChecking", kErrorDisables, 2, false)),
        radio(222, p4, " Adress/Request Error Checking ",
              onOff("NetBurst_AdressErrorChecking", kErrorDisables, 3, false)),
        // Switching fast strings off takes the L1 context mode bit with it.
        radio(230, p4, " Fast Strings ",
              {{"NetBurst_FastStringEN", "Enable", {bitTo(kMiscEnable, 0, true)}},
               {"NetBurst_FastStringDIS", "Disable", {{kMiscEnable, bit(0) | bit(24), 0}}}}),
        radio(231, p4, " x87 FPU OP-code Compatibility Mode ",
              onOff("NetBurst_x87FPU", kMiscEnable, 2, true)),
        radio(232, p4, " Third-Level Cache ", onOff("NetBurst_L3cache", kMiscEnable, 6, false)),
        radio(233, p4, " Performance Monitoring ",
              onOff("NetBurst_PerfMonitor", kMiscEnable, 7, true)),
        radio(234, p4, " Hardware Data Prefetch ",
              onOff("NetBurst_Prefetch", kMiscEnable, 9, false)),
        radio(235, p4, " Adjacent Cache Line Prefetch ",
              twoWay("NetBurst_CacheLine1", "1 cache line", "NetBurst_CacheLine2", "2 cache lines",
                     kMiscEnable, 19, true)),
        radio(236, p4, " L1 Data Cache Context Mode ",
              twoWay("NetBurst_L1shared", "Shared", "NetBurst_L1adaptive", "Adaptive", kMiscEnable,
                     24, true)),
        radio(237, p4, " MONITOR and MWAIT Instructions Support ",
              onOff("NetBurst_MonitorMwait", kMiscEnable, 18, true)),
        radio(238, p4, " Limit CPUID Supported Standard Level",
              twoWay("NetBurst_CPUIDlimitYES", "Limit to 3", "NetBurst_CPUIDlimitNO", "No limit",
                     kMiscEnable, 22, true)),
        radio(239, p4, " Enhanced Intel SpeedStep technology ",
              onOff("NetBurst_EnhancedSpeedStep", kMiscEnable, 16, true)),
        radio(240, p4, " Slow Down When Overheating Protection ", pentium4Monitor()),
        radio(241, p4, " On-Demand Clock Modulation ", dutyChoices("NetBurst")),
        changeList(250, p4, "NetBurst_MultiplierCombo", "multiplier", kPerfControl),
        changeList(251, p4, "NetBurst_VoltageCombo", "voltage", kPerfControl),

        // "Set" with no item selected leaves the fields 0: divisor 8, timing "Ultra Fast".
        fixedList(320, k7, K::AlwaysList, " Halt Disconnect Clock Divisor ", "K7_HLTmultiCombo",
                  divisorItems(6, 2), 0),
        fixedList(321, k7, K::AlwaysList, " Stop Grant Clock Divisor ", "K7_STPCLKmultiCombo",
                  divisorItems(18, 14), 0),
        fixedList(322, k7, K::AlwaysList, " Clock Change Timing ", "K7_CLKtimingCombo",
                  timingItems(), 0),
        radio(323, k7, " APIC bus messages during clock ramp down ",
              twoWay("K7_APICbusMessagesReject", "Reject", "K7_APICbusMessagesNoReject",
                     "Do not reject", kK7ClockControl, 19, true)),
        radio(330, k7, " System Call Extension ", onOff("K7_SystemCallExtension", kEfer, 0, true)),
        radio(331, k7, " System Data ECC Checking ",
              onOff("K7_SystemECCchecking", kSyscfg, 15, true)),
        radio(332, k7, " TLB Force Cacheable ", onOff("K7_TLBforceCacheable", kHwcr, 3, true)),
        radio(333, k7, " SSE Instruction Support ",
              onOff("K7_SSEInstructionSupport", kHwcr, 15, false)),
        changeList(350, k7, "K7_MultiplierCombo", "multiplier", kFidVidControl),
        changeList(351, k7, "K7_VoltageCombo", "voltage", kFidVidControl),

        radio(420, p6, " Data Error Checking ", onOff("P6_DataErrorChecking", kPowerOn, 1, true)),
        radio(421, p6, " Response Error Checking ",
              onOff("P6_ResponseErrorChecking", kPowerOn, 2, true)),
        radio(422, p6, " Low Power Mode Enable ", onOff("P6_LowPowerMode", kPowerOn, 26, true)),
        radio(440, p6, " L2 Enabled ", onOff("P6_L2Enabled", kL2Control, 8, true)),
        // "Apply" with no latency selected writes nothing.
        fixedList(441, p6, K::List, " L2 cache Latency ", "P6_L2cacheLatencyCombo", latencyItems(),
                  -1),
        radio(442, p6, " Cache size per bank ", cacheSizeChoices()),
        radio(443, p6, " L2 Configured ", onOff("P6_L2configured", kL2Control, 0, true)),
        radio(450, p6, " Cache State Error Checking enable ",
              onOff("P6_L2CacheStateErrorChecking", kL2Control, 18, true)),
        radio(451, p6, " CRTN Parity Checking ",
              onOff("P6_L2CRTNParityChecking", kL2Control, 7, true)),
        radio(452, p6, " Address Parity Checking ",
              onOff("P6_L2AddressParityChecking", kL2Control, 6, true)),
        radio(453, p6, " ECC Checking ", onOff("P6_L2ECCChecking", kL2Control, 5, true)),

        // The K5 bits switch their feature off.
        radio(510, k6, " Level 1 Data Cache ", onOff("K5_L1DataCache", kK5Hwcr, 7, false)),
        radio(511, k6, " Level 1 Instruction Cache ",
              onOff("K5_L1InstructionCache", kK5Hwcr, 6, false)),
        radio(512, k6, " Branch Prediction ", onOff("K5_BranchPrediction", kK5Hwcr, 5, false)),
        radio(513, k6, " Write Allocate ", onOff("K5_WriteAllocate", kK5Hwcr, 4, false)),
        radio(514, k6, " Clocks Snooping on Halt and Stop Grant ",
              onOff("K5_ClockSnoop", kK5Hwcr, 0, false)),
        radio(520, k6, " Write Cacheability Detection ",
              onOff("K6_WriteAllocate", kK6Whcr, 8, true)),
        radio(521, k6, " Write Allocate in 15 to 16 MByte Range ",
              onOff("K6_WriteAllocate15to16MB", kK6Whcr, 0, true)),
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
        radio(523, k6, " System Call Extensions ", onOff("K6_SystemCallExtension", kEfer, 0, true)),
    };
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
