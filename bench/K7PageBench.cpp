// Costs of the Athlon (K7) page on a simulated mobile Athlon: its status routine, and a
// multiplier/voltage change apart from the stop grants (the simulated clock makes them free).
#include <benchmark/benchmark.h>

#include <QComboBox>

#include "BenchRig.h"
#include "families/K7Page.h"

namespace {

using namespace zandro;

struct K7Rig : bench::WindowRig {
    K7Rig() : WindowRig("athlon-mobile") {
        window->FormCreate();
        page = static_cast<K7Page*>(window->page(FamilyAthlonK7));
    }
    K7Page* page = nullptr;
};

void BM_K7RefreshStatus(benchmark::State& state) {
    K7Rig rig;
    for (auto _ : state)
        rig.page->K7_RefreshStatus();
}
BENCHMARK(BM_K7RefreshStatus)->Unit(benchmark::kMicrosecond);

// 12.0x at 1.450 V to 10.0x at 1.350 V and back: three writes each way.
void BM_K7FidVidChange(benchmark::State& state) {
    K7Rig rig;
    QComboBox* multiplier = rig.page->frequency.multiplier;
    QComboBox* voltage = rig.page->frequency.voltage;
    const int low = multiplier->findText(QStringLiteral("10.0x"));
    const int high = multiplier->findText(QStringLiteral("12.0x"));
    const int lowVolt = voltage->findText(QStringLiteral("1.350V"));
    const int highVolt = voltage->findText(QStringLiteral("1.450V"));
    bool down = true;
    for (auto _ : state) {
        multiplier->setCurrentIndex(down ? low : high);
        voltage->setCurrentIndex(down ? lowVolt : highVolt);
        rig.page->K7_InitiateFIDVIDChangeButtonClick();
        down = !down;
    }
}
BENCHMARK(BM_K7FidVidChange)->Unit(benchmark::kMicrosecond);

}  // namespace
