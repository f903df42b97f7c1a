// Applying and checking a configuration file of 100 records on a machine of 32 simulated
// processors, apart from the waits that the records ask for (the simulated machine's sleeps do
// not wait), and what the journal of original values adds to applying it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "BenchRig.h"
#include "app/ConfigurationRun.h"
#include "app/RegisterJournal.h"
#include "config/ConfigFormat.h"

namespace {

using namespace zandro;

const char* const kFolder = "/tmp/zandro-bench-config";

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

// The machine of 32 processors, started, and the file written for it.
struct HundredRecordsRig : bench::WindowRig {
    explicit HundredRecordsRig(const QString& journal = QString())
        : WindowRig("athlon64", journal) {
        machine.affinity = 0xFFFFFFFF;
        machine.fillProcessors();
        std::filesystem::create_directories(kFolder);
        std::ofstream(path, std::ios::binary) << hundredRecords(platform);
        window->FormCreate();
    }
    const std::string path = std::string(kFolder) + "/hundred.msr";
};

bool apply(HundredRecordsRig& rig) {
    ConfigurationRun run(*rig.window, {QString::fromStdString(rig.path)});
    return run.RunTime_Set();
}

void BM_ApplyHundredRecordsOn32Processors(benchmark::State& state) {
    HundredRecordsRig rig;
    rig.msr.beforeWrite = nullptr;  // no journal: what it costs is measured below
    for (auto _ : state) {
        if (!apply(rig))
            state.SkipWithError("the file was not applied");
    }
}
BENCHMARK(BM_ApplyHundredRecordsOn32Processors)->Unit(benchmark::kMillisecond);

// As the boot service applies the file: with the journal in a file on a memory file system, as
// the run folder is, and empty before each run, so that every register goes on record.
void BM_ApplyHundredRecordsOn32ProcessorsJournaled(benchmark::State& state) {
    const std::string journalPath = std::filesystem::is_directory("/dev/shm")
                                        ? "/dev/shm/zandro-bench-journal"
                                        : std::string(kFolder) + "/journal";
    HundredRecordsRig rig(QString::fromStdString(journalPath));
    MsrJournal& journal = rig.window->journal()->journal();
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<JournalEntry> recorded = journal.entries();
        journal.forget(recorded);
        state.ResumeTiming();
        if (!apply(rig))
            state.SkipWithError("the file was not applied");
    }
    state.counters["registers"] = double(journal.entries().size());
    std::filesystem::remove(journalPath);
}
BENCHMARK(BM_ApplyHundredRecordsOn32ProcessorsJournaled)->Unit(benchmark::kMillisecond);

// Sends what the run prints to /dev/null for as long as it lasts: the table of results is the
// benchmark's own output.
class QuietStdout {
public:
    QuietStdout() : m_saved(::dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        if (std::FILE* null = std::fopen("/dev/null", "w")) {
            ::dup2(::fileno(null), STDOUT_FILENO);
            std::fclose(null);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved;
};

// --check of the same file: every record on every processor compared, one line a difference.
void BM_CheckHundredRecordsOn32Processors(benchmark::State& state) {
    HundredRecordsRig rig;
    int differences = 0;
    {
        QuietStdout quiet;
        for (auto _ : state) {
            ConfigurationRun run(*rig.window, {QString::fromStdString(rig.path)},
                                 ConfigurationRun::Mode::Check);
            if (!run.RunTime_Set())
                state.SkipWithError("the file was not checked");
            differences = run.differences();
        }
    }
    state.counters["differences"] = differences;
}
BENCHMARK(BM_CheckHundredRecordsOn32Processors)->Unit(benchmark::kMillisecond);

}  // namespace
