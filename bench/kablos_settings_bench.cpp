// Loading and saving a large settings file: 200 strip environments of 100 rows each.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "ConsoleMessenger.h"
#include "SettingsFile.h"
#include "UserDataPath.h"

namespace {

using namespace kablos;

struct Fixture {
    Fixture() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kablos-bench-XXXXXX").string();
        root = mkdtemp(pattern.data());
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        file = std::make_unique<SettingsFile>(UserDataPath, root, messenger);
        IniData& data = file->data();
        data.Title = "ベンチマーク";
        data.COMNo = "1";
        data.CutterEnv.assign(100, {"KIV", "1.25", "5", "5", "2.6", "0.5"});
        for (int e = 0; e < 200; ++e) {
            StripEnvironment env{"環境" + std::to_string(e), "1", 0, {}};
            for (int r = 0; r < 100; ++r) {
                env.Rows.push_back({r % 2 ? "R" : "Y", std::to_string(r * 0.25),
                                    std::to_string(r * 0.25 + 1), "6.0", "3.0"});
            }
            data.StripEnv.push_back(std::move(env));
        }
        if (file->WriteIniFile())
            throw std::runtime_error(file->lastError());
    }
    ~Fixture() { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    ConsoleMessenger messenger{std::cerr};
    std::unique_ptr<SettingsFile> file;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadIniFile(benchmark::State& state) {
    SettingsFile& file = *Shared().file;
    for (auto _ : state) {
        if (file.ReadIniFile(true))
            state.SkipWithError(file.lastError().c_str());
        benchmark::DoNotOptimize(file.data().StripEnv.size());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file.userFile())));
}
BENCHMARK(BM_ReadIniFile)->Unit(benchmark::kMillisecond);

void BM_WriteIniFile(benchmark::State& state) {
    SettingsFile& file = *Shared().file;
    for (auto _ : state) {
        if (file.WriteIniFile())
            state.SkipWithError(file.lastError().c_str());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file.userFile())));
}
BENCHMARK(BM_WriteIniFile)->Unit(benchmark::kMillisecond);

}  // namespace
