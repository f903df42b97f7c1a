#include "ConfigCodes.h"

#include <algorithm>

namespace zandro {

namespace {

using K = OptionKind;

const std::vector<const char*> kOnOff = {"Enable", "Disable"};
const std::vector<const char*> kDivisors = {"8", "16", "32", "64", "128", "256", "512"};
const std::vector<const char*> kDuty = {"Disable", "12.5 %", "25.0 %", "37.5 %",
                                        "50.0 %",  "62.5 %", "75.0 %", "87.5 %"};

std::vector<const char*> latencyItems() {
    static const char* const items[] = {"0 cycle",   "1 cycle",   "2 cycles",  "3 cycles",
                                        "4 cycles",  "5 cycles",  "6 cycles",  "7 cycles",
                                        "8 cycles",  "9 cycles",  "10 cycles", "11 cycles",
                                        "12 cycles", "13 cycles", "14 cycles", "15 cycles"};
    return {std::begin(items), std::end(items)};
}

std::vector<OptionCode> buildCodes() {
    const FamilyKind a64 = FamilyAthlon64, pm = FamilyPentiumM, p4 = FamilyPentium4,
                     k7 = FamilyAthlonK7, p6 = FamilyPentium3, k6 = FamilyK5K6;
    return {
        {20, a64, K::Radio, " No-Execute Page ", kOnOff, "C0000080h bit 11"},
        {21, a64, K::Radio, " AMD64 Long Mode ", kOnOff, "C0000080h bit 8"},
        {22, a64, K::Radio, " System Call Extension ", kOnOff, "C0000080h bit 0"},
        {23, a64, K::Radio, " Machine Check Registers ", {"Allow", "Disallow"}, "C0010015h bit 18"},
        {24, a64, K::Radio, " SSE Instructions Support ", kOnOff, "C0010015h bit 15"},
        {40, a64, K::List, " Multiplier adjustments ", {}, "C0010041h FID (multiplier list)"},
        {41, a64, K::List, " Multiplier adjustments ", {}, "C0010041h VID (voltage list)"},

        {120, pm, K::Radio, " Data Error Checking ", kOnOff, "2Ah bit 1"},
        {121, pm, K::Radio, " Response Error Checking ", kOnOff, "2Ah bit 2"},
        {122, pm, K::Radio, " Enhanced Intel SpeedStep technology ", kOnOff, "1A0h bit 16"},
        {130, pm, K::Radio, " L2 Enabled ", kOnOff, "11Eh bit 8"},
        {140,
         pm,
         K::Radio,
         " Slow Down When Overheating Protection ",
         {"Disable", "Enable Thermal Monitor 1", "Enable Thermal Monitor 2"},
         "1A0h bits 3 and 13, 19Dh bit 16"},
        {141, pm, K::Radio, " On-Demand Clock Modulation ", kDuty, "19Ah bits 4..1"},
        {150, pm, K::List, " Multiplier adjustments ", {}, "199h bits 15..8 (multiplier list)"},
        {151, pm, K::List, " Multiplier adjustments ", {}, "199h bits 7..0 (voltage list)"},

        {210,
         p4,
         K::Radio,
         " System Bus Frequency (Factory Settings) ",
         {"100 MHz", "133 MHz", "200 MHz", "166 MHz"},
         "no register"},
        {220, p4, K::Radio, " Data Error Checking ", kOnOff, "2Bh bit 1"},
        {221, p4, K::Radio, " Response Error Checking ", kOnOff, "2Bh bit 2"},
        {222, p4, K::Radio, " Adress/Request Error Checking ", kOnOff, "2Bh bit 3"},
        {230, p4, K::Radio, " Fast Strings ", kOnOff, "1A0h bit 0 (and 24)"},
        {231, p4, K::Radio, " x87 FPU OP-code Compatibility Mode ", kOnOff, "1A0h bit 2"},
        {232, p4, K::Radio, " Third-Level Cache ", kOnOff, "1A0h bit 6"},
        {233, p4, K::Radio, " Performance Monitoring ", kOnOff, "1A0h bit 7"},
        {234, p4, K::Radio, " Hardware Data Prefetch ", kOnOff, "1A0h bit 9"},
        {235,
         p4,
         K::Radio,
         " Adjacent Cache Line Prefetch ",
         {"1 cache line", "2 cache lines"},
         "1A0h bit 19"},
        {236, p4, K::Radio, " L1 Data Cache Context Mode ", {"Shared", "Adaptive"}, "1A0h bit 24"},
        {237, p4, K::Radio, " MONITOR and MWAIT Instructions Support ", kOnOff, "1A0h bit 18"},
        {238,
         p4,
         K::Radio,
         " Limit CPUID Supported Standard Level",
         {"Limit to 3", "No limit"},
         "1A0h bit 22"},
        {239, p4, K::Radio, " Enhanced Intel SpeedStep technology ", kOnOff, "1A0h bit 16"},
        {240,
         p4,
         K::Radio,
         " Slow Down When Overheating Protection ",
         {"Enable Thermal Monitor 1", "Disable", "Enable Thermal Monitor 2"},
         "1A0h bits 3 and 13"},
        {241, p4, K::Radio, " On-Demand Clock Modulation ", kDuty, "19Ah bits 4..1"},
        {250, p4, K::List, " Multiplier adjustments ", {}, "199h bits 15..8 (multiplier list)"},
        {251, p4, K::List, " Multiplier adjustments ", {}, "199h bits 7..0 (voltage list)"},

        {320, k7, K::AlwaysList, " Halt Disconnect Clock Divisor ", kDivisors,
         "C001001Bh bits 3..2 and 6"},
        {321, k7, K::AlwaysList, " Stop Grant Clock Divisor ", kDivisors,
         "C001001Bh bits 15..14 and 18"},
        {322,
         k7,
         K::AlwaysList,
         " Clock Change Timing ",
         {"Ultra Fast", "Fast", "Normal", "Slow"},
         "C001001Bh timing fields"},
        {323,
         k7,
         K::Radio,
         " APIC bus messages during clock ramp down ",
         {"Reject", "Do not reject"},
         "C001001Bh bit 19"},
        {330, k7, K::Radio, " System Call Extension ", kOnOff, "C0000080h bit 0"},
        {331, k7, K::Radio, " System Data ECC Checking ", kOnOff, "C0010010h bit 15"},
        {332, k7, K::Radio, " TLB Force Cacheable ", kOnOff, "C0010015h bit 3"},
        {333, k7, K::Radio, " SSE Instruction Support ", kOnOff, "C0010015h bit 15"},
        {350, k7, K::List, " Multiplier adjustments ", {}, "C0010041h FID (multiplier list)"},
        {351, k7, K::List, " Multiplier adjustments ", {}, "C0010041h VID (voltage list)"},

        {420, p6, K::Radio, " Data Error Checking ", kOnOff, "2Ah bit 1"},
        {421, p6, K::Radio, " Response Error Checking ", kOnOff, "2Ah bit 2"},
        {422, p6, K::Radio, " Low Power Mode Enable ", kOnOff, "2Ah bit 26"},
        {440, p6, K::Radio, " L2 Enabled ", kOnOff, "11Eh bit 8"},
        {441, p6, K::List, " L2 cache Latency ", latencyItems(), "11Eh bits 4..1"},
        {442,
         p6,
         K::Radio,
         " Cache size per bank ",
         {"256 kBytes", "512 kBytes", "1 MByte", "2 Mbytes", "4 MBytes"},
         "11Eh bits 17..13"},
        {443, p6, K::Radio, " L2 Configured ", kOnOff, "11Eh bit 0"},
        {450, p6, K::Radio, " Cache State Error Checking enable ", kOnOff, "11Eh bit 18"},
        {451, p6, K::Radio, " CRTN Parity Checking ", kOnOff, "11Eh bit 7"},
        {452, p6, K::Radio, " Address Parity Checking ", kOnOff, "11Eh bit 6"},
        {453, p6, K::Radio, " ECC Checking ", kOnOff, "11Eh bit 5"},

        {510, k6, K::Radio, " Level 1 Data Cache ", kOnOff, "83h bit 7"},
        {511, k6, K::Radio, " Level 1 Instruction Cache ", kOnOff, "83h bit 6"},
        {512, k6, K::Radio, " Branch Prediction ", kOnOff, "83h bit 5"},
        {513, k6, K::Radio, " Write Allocate ", kOnOff, "83h bit 4"},
        {514, k6, K::Radio, " Clocks Snooping on Halt and Stop Grant ", kOnOff, "83h bit 0"},
        {520, k6, K::Radio, " Write Cacheability Detection ", kOnOff, "C0000082h bit 8"},
        {521, k6, K::Radio, " Write Allocate in 15 to 16 MByte Range ", kOnOff, "C0000082h bit 0"},
        {522, k6, K::Number, " Write Allocate Limit ", {}, "C0000082h bits 7..1"},
        {523, k6, K::Radio, " System Call Extensions ", kOnOff, "C0000080h bit 0"},
    };
}

std::string trimmed(const char* text) {
    std::string s(text);
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
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
    if (option.kind == OptionKind::Number)
        return std::to_string(value);
    if (value < option.choices.size())
        return option.choices[value];
    if (option.kind == OptionKind::Radio)
        return "no button " + std::to_string(value) + " (ignored)";
    if (option.choices.empty())
        return "item " + std::to_string(value) + " of the list as the processor fills it";
    return "item " + std::to_string(value) + " (none: the list is left without a selection)";
}

std::string describeRecord(const ConfigRecord& record) {
    const OptionCode* option = findOptionCode(record.code);
    if (option == nullptr)
        return "skipped";
    return trimmed(option->caption) + ": " + choiceText(*option, record.value) + "; writes " +
           option->writes;
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
    lines.push_back("name\t" + escapedLine(name.substr(0, name.find('\0'))) + "\n");
    for (const ConfigRecord& record : contents.records)
        lines.push_back("record\t" + std::to_string(record.code) + "\t" +
                        std::to_string(record.value) + "\t" + describeRecord(record) + "\n");
    return lines;
}

}  // namespace zandro
