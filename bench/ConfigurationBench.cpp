// Applying a configuration file of 100 records on a machine of 32 simulated processors, apart
// from the waits that the records ask for (the simulated machine's sleeps do not wait).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Appearance.h"
#include "app/ConfigurationRun.h"
#include "app/TfrmMSR.h"
#include "config/ConfigFormat.h"
#include "core/MsrBuffer.h"
#include "families/Messages.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace {

using namespace zandro;

const char* const kFolder = "/tmp/zandro-bench-config";

void startApplication() {
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zandro-bench";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);  // lives until exit
    applyAppearance(*app);
    Messages::setHeadless(false);
}

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
    startApplication();
    SimMachine machine = *makeSimMachine("athlon64");
    machine.affinity = 0xFFFFFFFF;
    machine.fillProcessors();
    SimPlatform platform(machine);
    MsrBuffer msr(platform);
    std::filesystem::create_directories(kFolder);
    std::ofstream(std::string(kFolder) + "/config.ini")
        << "[MainWindow]\nPositionLeft=0\nPositionTop=0\n";
    const std::string path = std::string(kFolder) + "/hundred.msr";
    std::ofstream(path, std::ios::binary) << hundredRecords(platform);
    TfrmMSR window(platform, msr,
                   TfrmMSR::Startup{{}, QString::fromLatin1(kFolder) + QStringLiteral("/zandro")});
    window.FormCreate();
    for (auto _ : state) {
        ConfigurationRun run(window, {QString::fromStdString(path)});
        if (!run.RunTime_Set())
            state.SkipWithError("the file was not applied");
    }
}
BENCHMARK(BM_ApplyHundredRecordsOn32Processors)->Unit(benchmark::kMillisecond);

}  // namespace
