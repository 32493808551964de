// Entry point 1033's routine on a drawing of 2,000 ducts (80 rows of a bar and 24 stems that end
// against it and against the next row's bar, so every stem is lengthened at both ends; 1,920
// junction marks, each shared by a stem below and one above a bar):
// the pairwise extension and junction search are quadratic in the number of ducts. Measured in
// the process (the drawing database and the host's services linked in), the drawing opened
// afresh before each run and not timed. "FirstRun" works on the drawing as ezdxf wrote it,
// "SecondRun" on one that a run has already drawn (its lines and marks replaced). The drawing is
// made by tests/routix/ducts/duct_drawings.py in the temporary folder.
// Run from the build tree: build/release/bench/routix/routix_ducts_bench.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "ducts/WpDuct.h"
#include "host/Host.h"
#include "services/maker.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDucts = 2000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "nivora-ducts-bench";
        fs::create_directories(path);
        const std::string script = std::string("/usr/bin/python3 '") + DUCT_DRAWINGS + "' ";
        if (!fs::exists(path / "ducts.dxf"))
            std::system(
                (script + "bench '" + (path / "ducts.dxf").string() + "' " + std::to_string(kDucts))
                    .c_str());
        if (!fs::exists(path / "SUPPORT" / "CMARK_DUCT.dxf"))
            std::system((script + "support '" + path.string() + "'").c_str());
        zelko::MakerSetInstallFolder(path);
        return path;
    }();
    return folder;
}

std::ostringstream g_console;

bool Open() {
    host::Host& host = host::Host::Instance();
    host.Reset();
    host.SetConsole(&g_console);
    g_console.str("");
    return host.OpenDocument((Folder() / "ducts.dxf").string()) == Acad::eOk;
}

void Run(benchmark::State& state, bool again) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!Open()) {
            state.SkipWithError("the drawing cannot be opened");
            return;
        }
        if (again)
            routix::WpDuctLines();
        state.ResumeTiming();
        routix::WpDuctLines();
    }
    state.counters["ducts"] = kDucts;
    const std::string out = g_console.str();
    state.SetLabel(out.substr(out.rfind('\n') + 1));
    host::Host::Instance().Reset();
}

void FirstRun(benchmark::State& state) {
    Run(state, false);
}
void SecondRun(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(FirstRun)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SecondRun)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
