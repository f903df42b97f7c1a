// How close MeasureCoreClock comes to the kernel's own calibration of the time-stamp counter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/CoreClock.h"
#include "platform/LinuxPlatform.h"

namespace {

std::string commandOutput(const char* command) {
    std::string text;
    if (std::FILE* pipe = ::popen(command, "r")) {
        char chunk[4096];
        size_t count = 0;
        while ((count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            text.append(chunk, count);
        ::pclose(pipe);
    }
    return text;
}

// The MHz figure following the last occurrence of marker in the log, 0 when there is none.
double lastFigureAfter(const std::string& log, const std::string& marker) {
    const size_t at = log.rfind(marker);
    if (at == std::string::npos)
        return 0;
    std::istringstream figure(log.substr(at + marker.size(), 32));
    double mhz = 0;
    return figure >> mhz ? mhz : 0;
}

// The kernel's TSC frequency: its refined calibration when it made one, else the figure it
// detected at boot ("tsc: Detected 2596.100 MHz processor"). 0 when no kernel log is readable.
double kernelTscMhz() {
    const std::string sources[] = {
        commandOutput("dmesg 2>/dev/null"),
        commandOutput("journalctl -k -b --no-pager -q 2>/dev/null"),
        (std::ostringstream() << std::ifstream("/var/log/kern.log").rdbuf()).str(),
    };
    for (const std::string& log : sources) {
        if (double mhz = lastFigureAfter(log, "tsc: Refined TSC clocksource calibration: ")) {
            return mhz;
        }
        if (double mhz = lastFigureAfter(log, "tsc: Detected "))
            return mhz;
    }
    return 0;
}

void BM_MeasureCoreClock(benchmark::State& state) {
    zandro::LinuxPlatform platform;
    uint32_t processMask = 0, systemMask = 0;
    platform.affinityMasks(processMask, systemMask);
    platform.setAffinityMask(1);  // as the program runs after listing the processors
    double sum = 0, worst = 0;
    int64_t count = 0;
    const double kernel = kernelTscMhz();
    for (auto _ : state) {
        const uint16_t mhz = zandro::MeasureCoreClock(platform);
        benchmark::DoNotOptimize(mhz);
        sum += mhz;
        ++count;
        if (kernel > 0)
            worst = std::max(worst, std::fabs(mhz - kernel) / kernel * 100);
    }
    platform.setAffinityMask(processMask);
    if (count == 0)
        return;
    const double measured = sum / double(count);
    state.counters["measured_MHz"] = measured;
    if (kernel > 0) {
        state.counters["kernel_tsc_MHz"] = kernel;
        state.counters["error_pct"] = (measured - kernel) / kernel * 100;
        state.counters["worst_error_pct"] = worst;
    }
}
BENCHMARK(BM_MeasureCoreClock)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
