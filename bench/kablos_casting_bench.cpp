// Reading a large casting data file, opening its largest data set (the wire grid's contents
// and its model), and the dry run of the whole file in both protocols: 100,000 wires in 500
// data sets, about 15 MB of Shift_JIS. Set KABLOS_BENCH_CASTING to a path to keep the generated
// file there (bench/casting_csv.py reads it with Python's csv module for comparison).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>

#include "CastingData.h"
#include "ConsoleMessenger.h"
#include "DryRun.h"
#include "TextGridModel.h"
#include "UserDataPath.h"
#include "WireLists.h"
#include "common/codepage.h"
#include "common/files.h"

namespace {

using namespace kablos;

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string GenerateCasting(int sets, int wires) {
    std::mt19937 random(42);
    std::string text;
    const char* kinds[] = {"IV", "KIV", "HKIV", "VCTF"};
    const char* colours[] = {"黄色", "赤色", "青色", "白色", "黒色", "緑色"};
    const char* crimps[] = {"R", "Y", "1.25-4", "2-4", "P", ""};
    // Sets of different sizes, the largest about ten times the smallest.
    std::vector<int> sizes(static_cast<std::size_t>(sets));
    int total = 0;
    for (int s = 0; s < sets; ++s)
        total += sizes[static_cast<std::size_t>(s)] = 20 + static_cast<int>(random() % 360);
    for (int& size : sizes)
        size = std::max(1, size * wires / total);
    sizes[0] += wires - [&] {
        int sum = 0;
        for (int size : sizes)
            sum += size;
        return sum;
    }();

    int no = 0;
    for (int s = 0; s < sets; ++s) {
        if (s == sets * 9 / 10)
            text += "ジャンパ線\r\n";
        text +=
            "\"製造番号\"\t\"図番\"\t\"盤Ｎｏ\"\t\"装置ユニット\"\t\"回路区分\"\t\"線種類\"\t\"電線"
            "サイズ\"\t\"電線色\"\r\n";
        text += Quote("M" + std::to_string(2300 + s / 50)) + "\t" +
                Quote("D-" + std::to_string(s)) + "\t" + Quote("盤" + std::to_string(s % 40)) +
                "\t" + Quote("U" + std::to_string(s % 7)) + "\t" +
                Quote(s % 2 ? "制御回路" : "主回路") + "\t" + Quote(kinds[s % 4]) + "\t" +
                Quote(s % 3 ? "1.25" : "2") + "\t" + Quote(colours[s % 6]) + "\r\n";
        text +=
            "No\t線番\t器具番号(F)\t配置アドレス(F)\t端子No(F)\t圧着(F)\t器具番号(T)\t配置アドレス("
            "T)\t"
            "端子No(T)\t圧着(T)\t端末色\t特殊\t線色\t測長(mm)\t備考\r\n";
        for (int w = 0; w < sizes[static_cast<std::size_t>(s)]; ++w) {
            ++no;
            const bool twisted = w % 25 == 24;
            text += Quote(std::to_string(w + 1)) + "\t" +
                    Quote("電線-" + std::to_string(s) + "-" + std::to_string(no)) + "\t" +
                    Quote("CB-" + std::to_string(no % 97) + "A") + "\t" +
                    Quote("盤" + std::to_string(s % 40) + "-A" + std::to_string(no % 500) + "-0" +
                          std::to_string(no % 9)) +
                    "\t" + Quote(std::to_string(no % 24 + 1)) + "\t" + Quote(crimps[no % 6]) +
                    "\t" + Quote("TB-" + std::to_string(no % 89) + "B") + "\t" +
                    Quote("盤" + std::to_string(s % 40) + "-B" + std::to_string(no % 300) + "-1" +
                          std::to_string(no % 9)) +
                    "\t" + Quote(std::to_string(no % 48 + 1)) + "\t" + Quote(crimps[(no + 2) % 6]) +
                    "\t" + Quote(colours[no % 6]) + "\t" +
                    Quote(twisted ? "TW" + std::to_string(no % 9) : "") + "\t" +
                    Quote(twisted ? colours[(no + 1) % 6] : "") + "\t" +
                    Quote(std::to_string(200 + static_cast<int>(random() % 3000)) + ".5") + "\t" +
                    Quote(w % 3 == 2 ? "" : "束ね指定あり 端末処理注意 二重確認") + "\r\n";
        }
    }
    return common::ToCodePage(text);
}

const std::filesystem::path& CastingFile() {
    static const std::filesystem::path path = [] {
        const char* keep = std::getenv("KABLOS_BENCH_CASTING");
        std::filesystem::path file =
            keep ? std::filesystem::path(keep)
                 : std::filesystem::temp_directory_path() / "kablos-bench-casting.txt";
        if (common::WriteFileAtomically(file, GenerateCasting(500, 100000)))
            throw std::runtime_error("cannot write");
        return file;
    }();
    return path;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ReadCastingData(benchmark::State& state) {
    const std::filesystem::path& file = CastingFile();
    ConsoleMessenger messenger(std::cerr);
    const long before = PeakKilobytes();
    CastingData data;
    for (auto _ : state) {
        if (!ReadCastingData(file, data, messenger))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data.wires.size());
    }
    state.counters["wires"] = static_cast<double>(data.wires.size());
    state.counters["sets"] = static_cast<double>(data.sets.size());
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(PeakKilobytes()) / 1024.0;
    state.counters["peak_growth_MB"] = static_cast<double>(PeakKilobytes() - before) / 1024.0;
}
BENCHMARK(BM_ReadCastingData)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_OpenLargestSet(benchmark::State& state) {
    ConsoleMessenger messenger(std::cerr);
    CastingData data;
    ReadCastingData(CastingFile(), data, messenger);
    DataSetRows rows = BuildDataSetGrid(data, 1);
    std::size_t largest = 0;
    for (std::size_t i = 0; i < rows.setIndex.size(); ++i) {
        if (data.sets[static_cast<std::size_t>(rows.setIndex[i])].WireCount >
            data.sets[static_cast<std::size_t>(rows.setIndex[largest])].WireCount) {
            largest = i;
        }
    }
    TextGridModel model;
    for (auto _ : state) {
        std::optional<int> set = FindSet(data, rows.grid.rows[largest]);
        std::vector<int> wireIndex;
        TextGrid grid = BuildWireGrid(data, *set, rows.grid.rows[largest][8], &wireIndex);
        benchmark::DoNotOptimize(FirstNotDone(grid.green));
        state.counters["rows"] = static_cast<double>(grid.rows.size());
        model.setGrid(std::move(grid));
    }
}
BENCHMARK(BM_OpenLargestSet)->Unit(benchmark::kMillisecond);

// `kablos --dry-run` of the whole file with the sample settings (remaining wire not tracked, so
// that every wire is sent): the report is counted, not kept.
void BM_DryRun(benchmark::State& state) {
    // The run's timers (Timer1, Timer3) belong to the application's thread.
    static int argc = 1;
    static char name[] = "kablos_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        static QCoreApplication app(argc, argv);
    const std::filesystem::path home = std::filesystem::temp_directory_path() /
                                       ("kablos-dry-run-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "program");
    std::filesystem::copy_file(std::filesystem::path(KABLOS_SAMPLES_DIR) / "KABLOS.ini",
                               home / "program" / "KABLOS.ini",
                               std::filesystem::copy_options::overwrite_existing);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    std::stringstream messages;
    ConsoleMessenger messenger(messages);
    CastingData data;
    ReadCastingData(CastingFile(), data, messenger);
    Session started(messenger, UserDataPath, home / "program");
    if (!started.Start("", {})) {
        state.SkipWithError("cannot start");
        return;
    }
    const auto protocol = state.range(0) == 1 ? ProtocolKind::Binary : ProtocolKind::Ascii;
    std::size_t reportBytes = 0;
    int wires = 0;
    for (auto _ : state) {
        Session session(messenger, UserDataPath, home / "program");
        session.ini() = started.ini();
        session.ini().ZanWLenFlg = 0;
        session.setProtocol(protocol);
        std::ostringstream report;
        const DryRunSummary summary = RunDryRun(session, data, std::nullopt, messages, report);
        reportBytes = report.str().size();
        wires = summary.wires;
        messages.str({});
    }
    state.counters["wires"] = wires;
    state.counters["report_MB"] = static_cast<double>(reportBytes) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(PeakKilobytes()) / 1024.0;
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_DryRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
