#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zandro::test {

// A register map with scripted behaviour that records every event, for the code tables and the
// transition engine. Time is virtual: each register access costs 1 us and sleeps advance it.
class FakePlatform : public Platform {
public:
    struct Write {
        uint32_t index;
        uint64_t value;
    };

    std::map<uint32_t, uint64_t> regs;
    std::map<uint32_t, CpuidRegs> leaves;
    std::set<uint32_t> failWrite;
    std::vector<Write> writes;       // successful writes, in order
    std::vector<std::string> trace;  // "rdmsr C0010042", "wrmsr C0010041 ...", "sleep 50", ...
    uint64_t nowNs = 0;
    uint64_t accessNs = 1000;  // cost of one register access
    bool realTime = false;
    // Runs after every successful write, as the processor's response to it.
    std::function<void(FakePlatform&, uint32_t, uint64_t)> onWrite;
    // Runs before every read, for registers that change by themselves.
    std::function<void(FakePlatform&, uint32_t)> onRead;
    // Runs at every sleep, before time moves on; may throw to test clean-up.
    std::function<void(uint32_t)> onSleep;

    int32_t readMsr(uint32_t index, uint32_t& eax, uint32_t& edx) override {
        nowNs += accessNs;
        trace.push_back("rdmsr " + hex(index));
        if (onRead)
            onRead(*this, index);
        const auto found = regs.find(index);
        if (found == regs.end())
            return DriverStatus::Failed;
        eax = uint32_t(found->second);
        edx = uint32_t(found->second >> 32);
        return DriverStatus::Ok;
    }

    int32_t writeMsr(uint32_t index, uint64_t value) override {
        return write(index, value, "wrmsr");
    }
    int32_t writeMsrWbinvd(uint32_t index, uint64_t value) override {
        return write(index, value, "wrmsr-wbinvd");
    }
    int32_t driverStatus() override { return DriverStatus::Ok; }

    CpuidRegs cpuid(uint32_t leaf) override {
        const auto found = leaves.find(leaf);
        return found == leaves.end() ? CpuidRegs{} : found->second;
    }
    uint64_t rdtsc() override { return nowNs; }
    bool affinityMasks(uint32_t& processMask, uint32_t& systemMask) override {
        processMask = systemMask = 1;
        return true;
    }
    bool setAffinityMask(uint32_t) override { return true; }

    uint64_t performanceFrequency() override { return 1000000000; }
    uint64_t performanceCounter() override { return nowNs; }
    void sleepMs(uint32_t ms) override {
        trace.push_back("sleep " + std::to_string(ms));
        if (onSleep)
            onSleep(ms);
        nowNs += uint64_t(ms) * 1000000;
    }
    uint64_t tickCountMs() override { return nowNs / 1000000; }

    bool setRealTimePriority() override {
        trace.push_back("priority realtime");
        realTime = true;
        return true;
    }
    void setNormalPriority() override {
        trace.push_back("priority normal");
        realTime = false;
    }

    // CPUID leaf 1 with the given family (below 15), model and stepping, and a vendor.
    void setIdentity(const char vendor[13], unsigned family, unsigned model, unsigned stepping) {
        CpuidRegs leaf0;
        leaf0.ebx = word(vendor);
        leaf0.edx = word(vendor + 4);
        leaf0.ecx = word(vendor + 8);
        leaves[0] = leaf0;
        leaves[1].eax = (family << 8) | (model << 4) | stepping;
    }

    // CPUID 80000007h power management bits; maxExtended below 80000007h hides them.
    void setPowerManagement(bool fid, bool vid, uint32_t maxExtended = 0x80000008) {
        leaves[0x80000000].eax = maxExtended;
        leaves[0x80000007].edx = (fid ? 2u : 0u) | (vid ? 4u : 0u);
    }

    size_t count(const std::string& event) const {
        size_t n = 0;
        for (const std::string& line : trace)
            n += line.rfind(event, 0) == 0;
        return n;
    }

    static std::string hex(uint32_t index) {
        char text[16];
        std::snprintf(text, sizeof text, "%X", index);
        return text;
    }

private:
    static uint32_t word(const char* text) {
        return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 |
               uint32_t(uint8_t(text[2])) << 16 | uint32_t(uint8_t(text[3])) << 24;
    }

    int32_t write(uint32_t index, uint64_t value, const char* kind) {
        nowNs += accessNs;
        char text[48];
        std::snprintf(text, sizeof text, "%s %X %016llX", kind, index, (unsigned long long)value);
        if (failWrite.count(index)) {
            trace.push_back(std::string(text) + " FAIL");
            return DriverStatus::Failed;
        }
        trace.push_back(text);
        regs[index] = value;
        writes.push_back({index, value});
        if (onWrite)
            onWrite(*this, index, value);
        return DriverStatus::Ok;
    }
};

}  // namespace zandro::test
