// Costs of the Pentium 4 page on the simulated Prescott: its status routine, and one tick of the
// overheat watch.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/Messages.h"
#include "families/Pentium4Page.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace {

using namespace zandro;

struct Pentium4Rig {
    Pentium4Rig() : machine(*makeSimMachine("pentium4")), platform(machine), msr(platform) {
        if (!QApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "zandro-bench";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);  // lives until exit
            Messages::setHeadless(false);
        }
        std::filesystem::create_directories("/tmp/zandro-bench-p4");
        std::ofstream("/tmp/zandro-bench-p4/config.ini") << "[MainWindow]\nPositionLeft=0\n";
        window = std::make_unique<TfrmMSR>(
            platform, msr, TfrmMSR::Startup{{}, QStringLiteral("/tmp/zandro-bench-p4/zandro")});
        window->FormCreate();
    }
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;
    std::unique_ptr<TfrmMSR> window;
};

void BM_NetBurstRefreshStatus(benchmark::State& state) {
    Pentium4Rig rig;
    auto* page = static_cast<Pentium4Page*>(rig.window->page(FamilyPentium4));
    for (auto _ : state)
        page->NetBurst_RefreshStatus();
}
BENCHMARK(BM_NetBurstRefreshStatus)->Unit(benchmark::kMicrosecond);

void BM_OverheatTimerTick(benchmark::State& state) {
    Pentium4Rig rig;
    for (auto _ : state)
        rig.window->Overheating_timerTimer();
}
BENCHMARK(BM_OverheatTimerTick)->Unit(benchmark::kMicrosecond);

}  // namespace
