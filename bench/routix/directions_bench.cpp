// Entry point 1011's routine on a layout drawing of 5,000 terminals (about 1,000 components of
// five terminals, a terminal block, an N-direction and a direction-less component), measured
// in the process (the drawing database and the host's services linked in) with the project
// open. The drawing is opened afresh before each run and not timed. "FirstRun" works on the
// drawing as written, "SecondRun" on one that a run has drawn (its marks erased through their
// data and drawn again). The project is made by tests/routix/directions/direction_project.py
// in the temporary folder; a CAD script is running, so neither the target dialog nor the
// 500-terminal question is asked. "FirstRun3D" is the same in 3D mode (entry point 1032).
// Run from the build tree: build/release/bench/routix/routix_directions_bench.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "directions/DrawDirections.h"
#include "frame/Frame.h"
#include "host/Host.h"
#include "services/maker.h"
#include "services/project.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTerminals = 5000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "nivora-directions-bench";
        if (!fs::exists(path / "PRJ" / "ZELKOPRJ.sqlite")) {
            fs::remove_all(path);
            fs::create_directories(path);
            std::system((std::string("/usr/bin/python3 '") + DIRECTION_PROJECT + "' make '" +
                         path.string() + "' '" + PROJECT_SCHEMA + "' " + std::to_string(kTerminals))
                            .c_str());
        }
        zelko::MakerSetInstallFolder(path / "zelko");
        return path;
    }();
    return folder;
}

std::ostringstream g_console;

bool Open() {
    host::Host& host = host::Host::Instance();
    host.Reset();
    host.SetConsole(&g_console);
    host.SetScriptActive(true);
    g_console.str("");
    return zelko::ProjOpen((Folder() / "PRJ").string()) &&
           host.OpenDocument((Folder() / "PRJ/DWG/LAYOUT/LAYOUT_P01.dwg").string()) == Acad::eOk;
}

void Run(benchmark::State& state, bool again, bool is3D = false) {
    routix::g_b3DMode = is3D;
    for (auto _ : state) {
        state.PauseTiming();
        if (!Open()) {
            state.SkipWithError("the project or the drawing cannot be opened");
            return;
        }
        if (again)
            routix::DrawAllDirections();
        state.ResumeTiming();
        routix::DrawAllDirections();
    }
    routix::g_b3DMode = false;
    state.counters["terminals"] = kTerminals;
    const std::string out = g_console.str();
    state.SetLabel(out.substr(out.rfind('\n') + 1));
    zelko::ProjClose();
    host::Host::Instance().Reset();
}

void FirstRun(benchmark::State& state) {
    Run(state, false);
}
void SecondRun(benchmark::State& state) {
    Run(state, true);
}
// Entry point 1032's routine on the same drawing: the 3D pin offsets, the plate list and a
// plate lookup per terminal.
void FirstRun3D(benchmark::State& state) {
    Run(state, false, true);
}
BENCHMARK(FirstRun)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SecondRun)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FirstRun3D)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
