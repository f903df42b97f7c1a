#include "SimFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/SimProfiles.h"

namespace zandro::test {

namespace {
SimMachine machineOf(const std::string& profile) {
    auto machine = makeSimMachine(profile);
    if (!machine)
        throw std::runtime_error("no simulated profile " + profile);
    return *machine;
}
}  // namespace

SimRig::SimRig(const std::string& profile)
    : machine(machineOf(profile)), platform(machine), msr(platform) {}

uint64_t SimRig::reg(uint32_t index, unsigned cpu) {
    return machine.cpu(cpu).msrs.at(index);
}

void SimRig::setReg(uint32_t index, uint64_t value, unsigned cpu) {
    machine.cpu(cpu).msrs[index] = value;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zandro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> readLines(const std::string& path) {
    std::istringstream text(readFile(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace zandro::test
