#include "SimStateFile.h"

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <sstream>
#include <vector>

#include "platform/RegularFile.h"

namespace zandro {

namespace {

constexpr unsigned kMaxCpu = 31;
constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();
// Far more than the statements of 32 processors with every register of their profile.
constexpr size_t kLargestState = size_t(64) << 20;

struct ParseError {
    std::string reason;
};

std::vector<std::string> tokensOf(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream stream(text);
    std::vector<std::string> tokens;
    for (std::string token; stream >> token;)
        tokens.push_back(token);
    return tokens;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    return unsigned((c | 0x20) - 'a' + 10);
}

// Hexadecimal with or without 0x, any letter case, at most `max`.
uint64_t parseHex(const std::string& token, uint64_t max, const char* what) {
    std::string digits = token;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
    }
    if (digits.empty())
        throw ParseError{std::string(what) + " '" + token + "' is not hexadecimal"};
    uint64_t value = 0;
    for (char c : digits) {
        if (!isHexDigit(c)) {
            throw ParseError{std::string(what) + " '" + token + "' is not hexadecimal"};
        }
        if (value > (max >> 4))
            throw ParseError{std::string(what) + " '" + token + "' is too large"};
        value = (value << 4) | hexDigitValue(c);
        if (value > max)
            throw ParseError{std::string(what) + " '" + token + "' is too large"};
    }
    return value;
}

uint64_t parseDecimal(const std::string& token, uint64_t max, const char* what) {
    if (token.empty())
        throw ParseError{std::string(what) + " is missing"};
    uint64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') {
            throw ParseError{std::string(what) + " '" + token + "' is not a decimal number"};
        }
        const unsigned digit = unsigned(c - '0');
        if (value > (max - digit) / 10) {
            throw ParseError{std::string(what) + " '" + token + "' is too large"};
        }
        value = value * 10 + digit;
    }
    return value;
}

int32_t parseDriverStatus(const std::string& token) {
    const bool negative = !token.empty() && token[0] == '-';
    const std::string digits = negative ? token.substr(1) : token;
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int32_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int32_t>::max());
    const uint64_t magnitude = parseDecimal(digits, limit, "driver status");
    return negative ? int32_t(-int64_t(magnitude)) : int32_t(magnitude);
}

void expectArguments(const std::vector<std::string>& tokens, size_t first, size_t count) {
    const size_t given = tokens.size() - first;
    if (given != count) {
        throw ParseError{"'" + tokens[first - 1] + "' takes " + std::to_string(count) +
                         " argument" + (count == 1 ? "" : "s") + ", not " + std::to_string(given)};
    }
}

void applyGlobal(const std::vector<std::string>& tokens, SimMachine& machine) {
    const std::string& keyword = tokens[0];
    if (keyword == "uptime") {
        expectArguments(tokens, 1, 1);
        machine.uptimeMs = parseDecimal(tokens[1], std::numeric_limits<uint64_t>::max(), "uptime");
    } else if (keyword == "driver-status") {
        expectArguments(tokens, 1, 1);
        machine.driverStatus = parseDriverStatus(tokens[1]);
    } else if (keyword == "affinity") {
        expectArguments(tokens, 1, 1);
        const uint32_t mask = uint32_t(parseHex(tokens[1], kMax32, "affinity mask"));
        if (mask == 0)
            throw ParseError{"affinity mask names no processor"};
        machine.affinity = mask;
        machine.fillProcessors();
    } else {
        throw ParseError{"unknown statement '" + keyword + "'"};
    }
}

void applyToProcessor(const std::vector<std::string>& tokens, SimMachine& machine) {
    const uint64_t n = parseDecimal(tokens[0], std::numeric_limits<uint64_t>::max(), "processor");
    if (n > kMaxCpu)
        throw ParseError{"processor " + tokens[0] + " is not one of 0..31"};
    if (tokens.size() < 2)
        throw ParseError{"processor " + tokens[0] + " without a statement"};
    const std::string& keyword = tokens[1];
    SimProcessor& processor = machine.cpu(unsigned(n));
    if (keyword == "cpuid") {
        expectArguments(tokens, 2, 5);
        const uint32_t leaf = uint32_t(parseHex(tokens[2], kMax32, "leaf"));
        processor.cpuid[leaf] = CpuidRegs{uint32_t(parseHex(tokens[3], kMax32, "eax")),
                                          uint32_t(parseHex(tokens[4], kMax32, "ebx")),
                                          uint32_t(parseHex(tokens[5], kMax32, "ecx")),
                                          uint32_t(parseHex(tokens[6], kMax32, "edx"))};
    } else if (keyword == "msr") {
        expectArguments(tokens, 2, 2);
        const uint32_t index = uint32_t(parseHex(tokens[2], kMax32, "register"));
        processor.msrs[index] =
            parseHex(tokens[3], std::numeric_limits<uint64_t>::max(), "register value");
    } else if (keyword == "fail-read") {
        expectArguments(tokens, 2, 1);
        processor.failRead.insert(uint32_t(parseHex(tokens[2], kMax32, "register")));
    } else if (keyword == "fail-write") {
        expectArguments(tokens, 2, 1);
        processor.failWrite.insert(uint32_t(parseHex(tokens[2], kMax32, "register")));
    } else if (keyword == "fail-bind") {
        expectArguments(tokens, 2, 0);
        processor.failBind = true;
    } else {
        throw ParseError{"unknown statement '" + keyword + "'"};
    }
}

void applyStatement(const std::vector<std::string>& tokens, SimMachine& machine) {
    const char first = tokens[0][0];
    if (first >= '0' && first <= '9') {
        applyToProcessor(tokens, machine);
    } else {
        applyGlobal(tokens, machine);
    }
}

std::string hex32(uint64_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIx32, uint32_t(value));
    return text;
}

std::string hex64(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

void formatProcessor(unsigned n, const SimProcessor& processor, std::ostringstream& out) {
    const std::string prefix = std::to_string(n) + ' ';
    for (const auto& [leaf, regs] : processor.cpuid) {
        out << prefix << "cpuid " << hex32(leaf) << ' ' << hex32(regs.eax) << ' ' << hex32(regs.ebx)
            << ' ' << hex32(regs.ecx) << ' ' << hex32(regs.edx) << '\n';
    }
    for (const auto& [index, value] : processor.msrs) {
        out << prefix << "msr " << hex32(index) << ' ' << hex64(value) << '\n';
    }
    for (uint32_t index : processor.failRead)
        out << prefix << "fail-read " << hex32(index) << '\n';
    for (uint32_t index : processor.failWrite) {
        out << prefix << "fail-write " << hex32(index) << '\n';
    }
    if (processor.failBind)
        out << prefix << "fail-bind\n";
}

}  // namespace

SimStateResult parseSimState(const std::string& text, const std::string& fileName,
                             SimMachine& machine) {
    std::istringstream lines(text);
    unsigned lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        const std::vector<std::string> tokens = tokensOf(line);
        if (tokens.empty())
            continue;
        try {
            applyStatement(tokens, machine);
        } catch (const ParseError& error) {
            return {false, fileName + ':' + std::to_string(lineNumber) + ": " + error.reason};
        }
    }
    return {};
}

SimStateResult loadSimState(const std::string& path, SimMachine& machine) {
    const FileContents file = readRegularFile(path, kLargestState);
    // Something that is not a regular file is not opened; the save at the end refuses it.
    if (file.result.failure == FileFailure::Missing ||
        file.result.failure == FileFailure::NotRegular)
        return {};
    if (!file.result.ok())
        return {false, path + ": " + file.result.why};
    return parseSimState(file.bytes, path, machine);
}

std::string formatSimState(const SimMachine& machine) {
    std::ostringstream out;
    out << "# simulated machine";
    if (!machine.profileName.empty())
        out << " of profile " << machine.profileName;
    out << '\n';
    // The clock starts again at zero when the file is loaded, so the time gone by moves into
    // the uptime: the tick count goes on where it stopped.
    out << "uptime " << machine.tickCountMs() << '\n';
    out << "driver-status " << machine.driverStatus << '\n';
    out << "affinity " << hex32(machine.affinity) << '\n';
    for (const auto& [n, processor] : machine.cpus) {
        out << '\n';
        formatProcessor(n, processor, out);
    }
    return out.str();
}

bool saveSimState(const std::string& path, const SimMachine& machine, std::string* error) {
    const FileResult saved = replaceRegularFile(path, formatSimState(machine));
    if (!saved.ok() && error)
        *error = path + ": " + saved.why;
    return saved.ok();
}

}  // namespace zandro
