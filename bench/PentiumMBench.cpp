// Costs of the Pentium M page on the simulated Dothan: its status routine, and one ratio and
// voltage change apart from its waits (the simulated clock sleeps without waiting).
#include <benchmark/benchmark.h>

#include "BenchRig.h"
#include "families/PentiumMPage.h"
#include "pstates/IntelTransition.h"

namespace {

using namespace zandro;

struct NoReport : IntelTransitionUi {
    void report(const std::string&, ReportColour) override {}
};

void BM_PMobileRefreshStatus(benchmark::State& state) {
    bench::WindowRig rig("pentium-m");
    rig.window->FormCreate();
    auto* page = static_cast<PentiumMPage*>(rig.window->page(FamilyPentiumM));
    for (auto _ : state)
        page->PMobile_RefreshStatus();
}
BENCHMARK(BM_PMobileRefreshStatus)->Unit(benchmark::kMicrosecond);

// 20x at 1.340 V down to 12x at 1.180 V and back: 20 voltage steps and two ratio writes.
void BM_PMobileRatioAndVoltageChange(benchmark::State& state) {
    bench::WindowRig rig("pentium-m");
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
