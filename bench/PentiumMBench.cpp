// Costs of the Pentium M page on the simulated Dothan: its status routine, and one ratio and
// voltage change apart from its waits (the simulated clock sleeps without waiting).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/Messages.h"
#include "families/PentiumMPage.h"
#include "pstates/IntelTransition.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace {

using namespace zandro;

struct NoReport : IntelTransitionUi {
    void report(const std::string&, ReportColour) override {}
};

struct PentiumMRig {
    PentiumMRig() : machine(*makeSimMachine("pentium-m")), platform(machine), msr(platform) {}
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;
};

void BM_PMobileRefreshStatus(benchmark::State& state) {
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zandro-bench";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until exit
        Messages::setHeadless(false);
    }
    PentiumMRig rig;
    std::filesystem::create_directories("/tmp/zandro-bench-pm");
    std::ofstream("/tmp/zandro-bench-pm/config.ini") << "[MainWindow]\nPositionLeft=0\n";
    TfrmMSR window(rig.platform, rig.msr,
                   TfrmMSR::Startup{{}, QStringLiteral("/tmp/zandro-bench-pm/zandro")});
    window.FormCreate();
    auto* page = static_cast<PentiumMPage*>(window.page(FamilyPentiumM));
    for (auto _ : state)
        page->PMobile_RefreshStatus();
}
BENCHMARK(BM_PMobileRefreshStatus)->Unit(benchmark::kMicrosecond);

// 20x at 1.340 V down to 12x at 1.180 V and back: 20 voltage steps and two ratio writes.
void BM_PMobileRatioAndVoltageChange(benchmark::State& state) {
    PentiumMRig rig;
    NoReport ui;
    IntelTransition transition(rig.msr, ui, IntelFamily::PentiumM);
    for (auto _ : state) {
        transition.PMobile_Transition(12, 30);
        transition.PMobile_Transition(20, 40);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_PMobileRatioAndVoltageChange)->Unit(benchmark::kMicrosecond);

}  // namespace
