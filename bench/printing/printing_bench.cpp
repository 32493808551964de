// Filling the sample template with the wire-processing table of 100,000 wires in 500 data sets
// (200 wires a set: ten pages each, 5,000 pages) and saving the workbook, LibreOffice aside.
// Reports the time, the pages and the process's peak memory (the casting data included).
// Set KABLOS_BENCH_TABLE to a path to keep the saved workbook there.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "printing/ProcessTable.h"
#include "printing/Workbook.h"

namespace {

using namespace kablos;
using namespace kablos::printing;

CastingData Generate(int sets, int wiresPerSet) {
    std::mt19937 random(42);
    const char* crimps[] = {"R", "Y", "1.25-4", "2-4", "P", "NULL"};
    CastingData data;
    for (int s = 0; s < sets; ++s) {
        CastingSet set;
        set.MfgNo = "M" + std::to_string(2300 + s / 50);
        set.DrawingNo = "D-" + std::to_string(s);
        set.PanelNo = "盤" + std::to_string(s % 40);
        set.DeviceUnit = "U" + std::to_string(s % 7);
        set.CircuitClass = s % 2 ? "制御回路" : "主回路";
        set.WireKind = s % 3 ? "KIV" : "IV";
        set.WireSize = s % 3 ? "1.25" : "2";
        set.ColorLabel = s % 10 == 0 ? "-" : "黄色";
        set.SectionKind = s >= sets * 9 / 10 ? 1 : 0;
        set.WireCount = wiresPerSet;
        data.sets.push_back(set);
        for (int w = 1; w <= wiresPerSet; ++w) {
            CastingWire wire;
            wire.SetIndex = s;
            wire.No = std::to_string(w);
            wire.PlaceAddrF = "A" + std::to_string(random() % 90 + 10);
            wire.DeviceNoF = "CB" + std::to_string(random() % 50);
            wire.TermNoF = std::to_string(random() % 24 + 1);
            wire.CrimpF = crimps[random() % 6];
            wire.WireNo = std::to_string(1000 + w);
            wire.PlaceAddrT = "B" + std::to_string(random() % 90 + 10);
            wire.DeviceNoT = "TB" + std::to_string(random() % 50);
            wire.TermNoT = std::to_string(random() % 24 + 1);
            wire.CrimpT = crimps[random() % 6];
            wire.TermColor = w % 5 ? "" : "白";
            wire.SpecialCode = set.ColorLabel == "-" ? "TW1" : "";
            wire.LineColor = set.ColorLabel == "-" ? "赤" : "";
            wire.MeasLen = std::to_string(200 + random() % 3000);
            data.wires.push_back(std::move(wire));
        }
    }
    return data;
}

void BM_FillTable(benchmark::State& state) {
    const CastingData data = Generate(500, 200);
    const char* keep = std::getenv("KABLOS_BENCH_TABLE");
    std::filesystem::path out =
        keep ? std::filesystem::path(keep)
             : std::filesystem::temp_directory_path() / "kablos-bench-table.xlsx";
    int pages = 0;
    double fillSeconds = 0;
    double saveSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::string why;
        std::unique_ptr<Workbook> book = Workbook::Open(KABLOS_SAMPLE_TEMPLATE, &why);
        if (!book) {
            state.SkipWithError(why.c_str());
            return;
        }
        TableResult result = FillProcessTable(*book, data, std::chrono::year{2026} / 3 / 4, {});
        auto filled = std::chrono::steady_clock::now();
        if (result.status != TableResult::Status::Done || !book->Save(out, &why)) {
            state.SkipWithError(("fill failed at " + result.lastName + " " + why).c_str());
            return;
        }
        pages = result.pages;
        fillSeconds += std::chrono::duration<double>(filled - start).count();
        saveSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - filled).count();
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["pages"] = pages;
    // Open and fill, and the save (zip and an atomic file replacement), in wall-clock seconds.
    state.counters["fill_s"] = fillSeconds / static_cast<double>(state.iterations());
    state.counters["save_s"] = saveSeconds / static_cast<double>(state.iterations());
    state.counters["wires"] = static_cast<double>(data.wires.size());
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
    if (!keep)
        std::filesystem::remove(out);
}
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
