// Applying a configuration file of 100 records on a machine of 32 simulated processors, apart
// from the waits that the records ask for (the simulated machine's sleeps do not wait).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "BenchRig.h"
#include "app/ConfigurationRun.h"
#include "config/ConfigFormat.h"

namespace {

using namespace zandro;

const char* const kFolder = "/tmp/zandro-bench-config";

// The five feature switches of the Athlon 64 over and over, and the multiplier and voltage
// boxes every tenth record.
std::string hundredRecords(Platform& platform) {
    ConfigHeader header;
    header.identity = ReadCpuid(platform);
    header.nameField = makeNameField(header.identity, "AMD Athlon(tm) 64");
    std::vector<ConfigRecord> records;
    for (int i = 0; i < 100; ++i) {
        if (i % 10 == 9)
            records.push_back({uint16_t(i % 20 == 9 ? 40 : 41), 0});
        else
            records.push_back({uint16_t(20 + i % 5), uint8_t(i / 5 % 2)});
    }
    return serializeConfiguration(header, records);
}

void BM_ApplyHundredRecordsOn32Processors(benchmark::State& state) {
    bench::WindowRig rig("athlon64");
    rig.machine.affinity = 0xFFFFFFFF;
    rig.machine.fillProcessors();
    std::filesystem::create_directories(kFolder);
    const std::string path = std::string(kFolder) + "/hundred.msr";
    std::ofstream(path, std::ios::binary) << hundredRecords(rig.platform);
    rig.window->FormCreate();
    for (auto _ : state) {
        ConfigurationRun run(*rig.window, {QString::fromStdString(path)});
        if (!run.RunTime_Set())
            state.SkipWithError("the file was not applied");
    }
}
BENCHMARK(BM_ApplyHundredRecordsOn32Processors)->Unit(benchmark::kMillisecond);

}  // namespace
