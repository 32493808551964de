// The development drawing of one row end to end: cadhost started, ROUTIX23 loaded with the
// project open, entry point 1000 answered (the row ticked, "Not Blockage" as the argument,
// the existing drawing overwritten), the row of 10 panels with 3 drawings of 300 symbols each
// placed, tagged, exploded or not, and saved, cadhost ended. The project is the sample written
// with --panels 10, its panels put into one row with generated drawings by
// tests/routix/drawings/development_drawings.py, kept in the temporary folder.
// Run from the build tree: build/release/bench/routix/routix_development_bench.

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
        const fs::path path = fs::temp_directory_path() / "nivora-development-bench";
        if (!fs::exists(path / "out" / "SAMPLE" / "DWG" / "PANEL" / "BENCH_P10_3.dwg")) {
            fs::remove_all(path);
            fs::create_directories(path);
            Run({SAMPLE_PROJECT_PROGRAM, (path / "out").string(), "--panels", "10"});
            Run({"/usr/bin/python3", DEVELOPMENT_DRAWINGS, "bench",
                 (path / "out" / "SAMPLE").string()});
        }
        return path;
    }();
    return folder;
}

void DevelopmentDrawingOfARow(benchmark::State& state) {
    const fs::path& folder = Folder();
    const fs::path project = folder / "out" / "SAMPLE";
    const bool explode = state.range(0) != 0;
    std::ofstream(folder / "run.scr") << "ordinal 1000\n"
                                      << "> check 234 " << (explode ? 1 : 0) << "\n"
                                      << "> OK\n> YES\n";
    setenv("ZELKO_HOME", (folder / "out" / "zelko").c_str(), 1);
    setenv("ZELKO_SETTINGS", (folder / "settings.sqlite").c_str(), 1);
    setenv("TMPDIR", (folder.string() + "/").c_str(), 1);
    const std::vector<std::string> args = {CADHOST_PATH,
                                           "--plugin",
                                           ROUTIX23_PATH,
                                           "--project",
                                           project.string(),
                                           "--script",
                                           (folder / "run.scr").string(),
                                           (project / "DWG" / "PANEL" / "P01.dwg").string()};
    for (auto _ : state) {
        if (Run(args) != 0) {
            state.SkipWithError("cadhost failed");
            break;
        }
    }
    state.counters["symbols"] = 10 * 3 * 300;
}
BENCHMARK(DevelopmentDrawingOfARow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
