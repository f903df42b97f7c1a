#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/MsrBuffer.h"
#include "sim/SimMachine.h"
#include "sim/SimPlatform.h"

namespace zandro::test {

// A simulated machine of one profile with its platform and register buffer.
struct SimRig {
    explicit SimRig(const std::string& profile);
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;

    uint64_t reg(uint32_t index, unsigned cpu = 0);
    void setReg(uint32_t index, uint64_t value, unsigned cpu = 0);
};

// A temporary folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
// The file's lines without their line feeds (a trace, for example).
std::vector<std::string> readLines(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

}  // namespace zandro::test
