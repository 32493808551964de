// Run: build/<tree>/bench/tervo/tervo_bench
//
// The project: 200 panels, 167 devices of 6 terminals each per panel, 200,400 wire ends in the
// current revision and 199,200 in the previous one (one device fewer per panel, one wire in
// another colour), generated once into a temporary folder.
//
// BM_ListhostRun: the whole run as a user starts it - listhost loads TERVO10, opens the
// project, and writes the 200 full lists and the 400 difference files (the previous output
// moving into "OLD" each time). Wall time per run; peak_MB is the peak memory of the listhost
// process (its maximum resident set), cpu_s its processor time per run (user and system),
// which the machine's load does not inflate. The maker's services map the project store into
// memory, so the pages of it that were read count in peak_MB; store_MB is its size.
// BM_GatherSortWrite: the same work inside this process, without the program around it
// (peak_MB here includes the generation of the project).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "BackList.h"
#include "BkFiles.h"
#include "SampleProject.h"
#include "services/project.h"
#include "services/wiringplan.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class LargeProject {
public:
    LargeProject()
        : m_folder(fs::temp_directory_path() / ("tervo-bench-" + std::to_string(::getpid()))) {
        sampleproject::Options options;
        options.panels = 200;
        options.componentsPerPanel = 167;
        options.blockTerminalsPerPanel = 0;
        options.singleTerminalsPerPanel = 0;
        options.relayTerminalsPerPanel = 0;
        options.previousRevision = true;
        std::string error;
        m_ok = sampleproject::WriteProject(m_folder / "PRJ", options, error);
        m_wireEnds = options.panels * options.componentsPerPanel * 6;
    }
    ~LargeProject() {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    LargeProject(const LargeProject&) = delete;
    LargeProject& operator=(const LargeProject&) = delete;

    bool ok() const { return m_ok; }
    int wireEnds() const { return m_wireEnds; }
    fs::path project() const { return m_folder / "PRJ"; }
    fs::path folder() const { return m_folder; }

    static const LargeProject& Get() {
        static LargeProject project;
        return project;
    }

private:
    fs::path m_folder;
    bool m_ok = false;
    int m_wireEnds = 0;
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void BM_ListhostRun(benchmark::State& state) {
    const auto& large = LargeProject::Get();
    if (!large.ok()) {
        state.SkipWithError("the project cannot be generated");
        return;
    }
    std::vector<std::string> words{
        LISTHOST_PATH, "--yes", "--panels", "all", large.project().string(), "Tervo"};
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // No machine setting: the project's version decides; the log goes beside the project.
    setenv("ZELKO_REGISTRY", (large.folder() / "none.ini").c_str(), 1);
    setenv("TMPDIR", large.folder().c_str(), 1);
    long peakKb = 0;
    double cpu = 0;
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("listhost cannot be started");
            break;
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        state.SetIterationTime(Seconds(start));
        posix_spawn_file_actions_destroy(&actions);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("listhost failed");
            break;
        }
        peakKb = std::max(peakKb, usage.ru_maxrss);
        cpu += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    state.counters["cpu_s"] =
        cpu / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["wire_ends"] = large.wireEnds();
    std::error_code ec;
    state.counters["store_MB"] =
        static_cast<double>(fs::file_size(large.project() / "ZELKOPRJ.sqlite", ec)) / 1048576.0;
}
BENCHMARK(BM_ListhostRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GatherSortWrite(benchmark::State& state) {
    const auto& large = LargeProject::Get();
    if (!large.ok() || !zelko::ProjOpen(large.project().string())) {
        state.SkipWithError("the project cannot be opened");
        return;
    }
    zelko::WpData* plan = zelko::WpDataInit();
    zelko::WpDataOpen(plan, "");
    const fs::path output = large.project() / "FT_OUTPUT" / "BK";
    tervo::ListRun run;
    run.folder = output;
    run.flags = tervo::kFlagAlways | tervo::kFlagWireKind | tervo::kFlagPlate;
    run.differences = true;
    for (auto _ : state) {
        std::string error;
        if (!tervo::PrepareOutputFolder(output, error) ||
            !tervo::WriteBackLists(plan, run, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    zelko::WpDataFree(plan);
    zelko::ProjClose();
}
BENCHMARK(BM_GatherSortWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
