#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "sim/SimMachine.h"
#include "sim/SimPlatform.h"

namespace zandro::bench {

// The one QApplication of the benchmarks, on the offscreen platform, looking as the program does.
void ensureApplication();

// A simulated machine of one profile, and a main window on it whose config.ini lives in a folder
// of its own under /tmp. FormCreate is left to the benchmark: start-up is measured too. The
// journal of original values is kept in memory unless a file is named: a benchmark has no business
// with the machine's own journal.
struct WindowRig {
    explicit WindowRig(const char* profile, const QString& journal = QString());
    SimMachine machine;
    SimPlatform platform;
    MsrBuffer msr;
    std::unique_ptr<TfrmMSR> window;
};

}  // namespace zandro::bench
