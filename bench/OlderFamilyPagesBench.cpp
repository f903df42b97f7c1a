// One status refresh of the Pentium III page and of the K5/K6 page (both tabs) on the simulated
// machine: the register reads through the driver layer and the panel updates.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchRig.h"
#include "core/MsrBuffer.h"
#include "families/K5K6Page.h"
#include "families/Pentium3Page.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace {

using namespace zandro;

// The pages start no timers on these families.
class IdleHost : public PageHost {
public:
    void setFrequencyTimer(bool) override {}
    void setOverheatingTimer(bool) override {}
};

// A simulated machine of one profile and a page of type P on it.
template <typename P>
struct PageRig {
    explicit PageRig(const char* profile)
        : machine(*makeSimMachine(profile)),
          platform(machine),
          msr(platform),
          page(PageContext{platform, msr, flags, host}) {}
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;
    AppFlags flags;
    IdleHost host;
    P page;
};

void BM_Pentium3PageRefresh(benchmark::State& state) {
    bench::ensureApplication();
    PageRig<Pentium3Page> rig("pentium3");
    for (auto _ : state)
        rig.page.P6_RefreshStatus();
}
BENCHMARK(BM_Pentium3PageRefresh)->Unit(benchmark::kMicrosecond);

void BM_K5K6PageRefresh(benchmark::State& state) {
    bench::ensureApplication();
    PageRig<K5K6Page> rig("k6");
    for (auto _ : state)
        rig.page.refreshStatus();
}
BENCHMARK(BM_K5K6PageRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace
