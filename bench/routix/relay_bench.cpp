// Collect and the parameter file of 10 000 relay terminals of one panel: the wiring plan and
// the terminal list read, the terminals of the kind filtered and sorted, their symbols looked
// up in the parts database, and "BannaiParam.txt" written (CP932, CR LF) into the temporary
// folder. The project (one panel with 30 000 relay terminals, 10 000 of each kind) is made once
// by the sample-project writer in the temporary folder.
// Run from the build tree: build/release/bench/routix/routix_relay_bench.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "SampleProject.h"
#include "frame/Frame.h"
#include "relay/CyuukeiTerm.h"
#include "services/maker.h"
#include "services/project.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPerKind = 10000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "nivora-relay-bench";
        if (!fs::exists(path / "SAMPLE" / "ZELKOPRJ.sqlite")) {
            sampleproject::Options options;
            options.panels = 1;
            options.relayTerminalsPerPanel = 3 * kPerKind;
            options.previousRevision = false;
            std::string error;
            if (!sampleproject::WriteInstallation(path / "zelko", error) ||
                !sampleproject::WriteProject(path / "SAMPLE", options, error))
                std::abort();
        }
        return path;
    }();
    return folder;
}

void CollectAndWrite10000(benchmark::State& state) {
    const fs::path& folder = Folder();
    zelko::MakerSetInstallFolder(folder / "zelko");
    zelko::ProjOpen((folder / "SAMPLE").string());
    routix::g_b3DMode = false;
    std::string path;
    routix::ParamFilePath("BannaiParam.txt", path);
    std::size_t count = 0;
    for (auto _ : state) {
        std::vector<routix::CCyuukeiTerm> rows;
        if (!routix::CPutCyuukeiTerms().Collect(1, rows, "BANNAI", "/PANEL", "P01", "bench") ||
            !routix::WriteParamFile(path, rows, false))
            state.SkipWithError("Collect or the parameter file failed");
        count = rows.size();
    }
    state.counters["terminals"] = static_cast<double>(count);
    zelko::ProjClose();
}
BENCHMARK(CollectAndWrite10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
