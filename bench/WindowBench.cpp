// Costs of the main window on the simulated machine: start-up, a full refresh, the Athlon 64
// page's status routine and a P-state transition apart from its waits.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>

#include "BenchRig.h"
#include "families/A64Page.h"

namespace {

using namespace zandro;

// A simulated Athlon 64 with its main window.
struct Rig : bench::WindowRig {
    Rig() : WindowRig("athlon64") {}
};

void BM_StartupToFirstEventLoopTurn(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig;
        rig.window->FormCreate();
        rig.window->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(rig.window->visiblePage());
    }
}
BENCHMARK(BM_StartupToFirstEventLoopTurn)->Unit(benchmark::kMillisecond);

void BM_RefreshAll(benchmark::State& state) {
    Rig rig;
    rig.window->FormCreate();
    for (auto _ : state)
        rig.window->RefreshAll();
}
BENCHMARK(BM_RefreshAll)->Unit(benchmark::kMicrosecond);

void BM_A64RefreshStatus(benchmark::State& state) {
    Rig rig;
    rig.window->FormCreate();
    auto* page = static_cast<A64Page*>(rig.window->page(FamilyAthlon64));
    for (auto _ : state)
        page->A64_RefreshStatus();
}
BENCHMARK(BM_A64RefreshStatus)->Unit(benchmark::kMicrosecond);

// 9x at 1.500 V to 5x at 1.400 V and back; the simulated clock makes every wait free, so the
// time measured is the program's own work.
void BM_A64Transition(benchmark::State& state) {
    Rig rig;
    rig.window->FormCreate();
    auto* page = static_cast<A64Page*>(rig.window->page(FamilyAthlon64));
    const int low = page->frequency.multiplier->findText(QStringLiteral("5.0x"));
    const int high = page->frequency.multiplier->findText(QStringLiteral("9.0x"));
    const int lowVolt = page->frequency.voltage->findText(QStringLiteral("1.400V"));
    const int highVolt = page->frequency.voltage->findText(QStringLiteral("1.500V"));
    bool down = true;
    for (auto _ : state) {
        page->frequency.multiplier->setCurrentIndex(down ? low : high);
        page->frequency.voltage->setCurrentIndex(down ? lowVolt : highVolt);
        page->A64_InitiateFIDVIDChangeButtonClick();
        down = !down;
    }
}
BENCHMARK(BM_A64Transition)->Unit(benchmark::kMicrosecond);

}  // namespace
