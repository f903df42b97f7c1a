// Costs of the Athlon (K7) page on a simulated mobile Athlon: its status routine, and a
// multiplier/voltage change apart from the stop grants (the simulated clock makes them free).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/K7Page.h"
#include "families/Messages.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace {

using namespace zandro;

struct K7Rig {
    K7Rig() : machine(*makeSimMachine("athlon-mobile")), platform(machine), msr(platform) {
        if (!QApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "zandro-bench";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);  // lives until exit
            Messages::setHeadless(false);
        }
        std::filesystem::create_directories("/tmp/zandro-bench-k7");
        std::ofstream("/tmp/zandro-bench-k7/config.ini") << "[MainWindow]\n";
        window = std::make_unique<TfrmMSR>(
            platform, msr, TfrmMSR::Startup{{}, QStringLiteral("/tmp/zandro-bench-k7/zandro")});
        window->FormCreate();
        page = static_cast<K7Page*>(window->page(FamilyAthlonK7));
    }
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;
    std::unique_ptr<TfrmMSR> window;
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
