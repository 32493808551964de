// The layout key file end to end: cadhost started, ROUTIX23 loaded, entry point 1006 answered
// with a folder of 100 generated layout drawings of 300 symbols each (components with six
// terminals and a wire direction, terminal blocks of ten terminals with ten directions, on two
// plates), every drawing read, extracted and written to the key file, cadhost ended. Beside
// it, the time ezdxf (/usr/bin/python3) needs only to read the same drawings. The drawings are
// made once by tests/routix/extract/layout_drawings.py and kept in the temporary folder.
// Run from the build tree: build/release/bench/routix/routix_bench.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kDrawings = 100;
constexpr int kSymbols = 300;

int Run(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "nivora-routix-bench";
        if (!fs::exists(path / ("LAYOUT_" + std::to_string(kDrawings) + ".dwg"))) {
            fs::create_directories(path);
            Run({"/usr/bin/python3", LAYOUT_DRAWINGS, "bench", path.string(),
                 std::to_string(kDrawings), std::to_string(kSymbols)});
        }
        std::ofstream(path / "run.scr") << "ordinal 1006\n> " << path.string() << "\n";
        return path;
    }();
    return folder;
}

void LayoutKeyFileEndToEnd(benchmark::State& state) {
    const fs::path& folder = Folder();
    for (auto _ : state) {
        fs::remove(folder / "LayoutKey2D.txt");
        if (Run({CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--script",
                 (folder / "run.scr").string()}) != 0) {
            state.SkipWithError("cadhost failed");
            return;
        }
    }
    std::size_t lines = 0;
    std::ifstream key(folder / "LayoutKey2D.txt", std::ios::binary);
    for (std::string line; std::getline(key, line);)
        ++lines;
    state.counters["drawings"] = kDrawings;
    state.counters["symbols"] = kDrawings * kSymbols;
    state.counters["rows"] = static_cast<double>(lines > 0 ? lines - 1 : 0);
}
BENCHMARK(LayoutKeyFileEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void EzdxfReadOnly(benchmark::State& state) {
    const fs::path& folder = Folder();
    for (auto _ : state) {
        if (Run({"/usr/bin/python3", LAYOUT_DRAWINGS, "read", folder.string()}) != 0) {
            state.SkipWithError("ezdxf is not installed for /usr/bin/python3");
            return;
        }
    }
}
BENCHMARK(EzdxfReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
