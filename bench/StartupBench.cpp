// Start-up of the whole program to its report, against the floor of a bare Qt window: both run as
// whole processes in turns, floor then program, so that a machine whose speed drifts slows both
// alike. The label gives the median of the pairs' time ratios and the peak memory above the floor.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
};

// Wall time from start to reaped end, and the largest the process grew, with its output dropped.
Run runProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Run run;
    int status = 0;
    struct rusage usage {};
    if (spawned != 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMiB = double(usage.ru_maxrss) / 1024.0;
    return run;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// A copy of the program in a folder of its own, with a config.ini so that the first-run question
// does not end the run and the build tree's own settings stay untouched.
std::string programCopy() {
    const std::filesystem::path folder = "/tmp/zandro-bench-startup";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(ZANDRO_PROGRAM, folder / "zandro",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "config.ini") << "[MainWindow]\nPositionLeft=0\nPositionTop=0\n";
    return (folder / "zandro").string();
}

void BM_StartupToReportAgainstFloor(benchmark::State& state) {
    const std::vector<std::string> floor{ZANDRO_QT_FLOOR};
    const std::vector<std::string> program{programCopy(), "--simulate",   "athlon64",
                                           "--headless",  "--assume-yes", "--report"};
    // Once each before counting: the page cache, and config.ini as the program leaves it.
    runProcess(floor);
    runProcess(program);
    std::vector<double> ratios, floorTimes, programTimes, floorPeaks, programPeaks;
    for (auto _ : state) {
        const Run base = runProcess(floor);
        const Run run = runProcess(program);
        if (base.seconds <= 0 || run.seconds <= 0) {
            state.SkipWithError("the program or the floor did not end with status 0");
            return;
        }
        state.SetIterationTime(run.seconds);
        ratios.push_back(run.seconds / base.seconds);
        floorTimes.push_back(base.seconds * 1e3);
        programTimes.push_back(run.seconds * 1e3);
        floorPeaks.push_back(base.peakMiB);
        programPeaks.push_back(run.peakMiB);
    }
    const double ratio = median(ratios);
    const double extraMiB = median(programPeaks) - median(floorPeaks);
    state.counters["ratio"] = ratio;
    state.counters["floor_ms"] = median(floorTimes);
    state.counters["program_ms"] = median(programTimes);
    state.counters["extra_MiB"] = extraMiB;
    char label[96];
    std::snprintf(label, sizeof label, "program/floor %.2fx (median of pairs), peak +%.1f MiB",
                  ratio, extraMiB);
    state.SetLabel(label);
}
BENCHMARK(BM_StartupToReportAgainstFloor)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

}  // namespace
