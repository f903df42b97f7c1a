// Costs of the Pentium 4 page on the simulated Prescott: its status routine, and one tick of the
// overheat watch.
#include <benchmark/benchmark.h>

#include "BenchRig.h"
#include "families/Pentium4Page.h"

namespace {

using namespace zandro;

struct Pentium4Rig : bench::WindowRig {
    Pentium4Rig() : WindowRig("pentium4") { window->FormCreate(); }
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
