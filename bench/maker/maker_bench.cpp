// Run: build/<tree>/bench/maker/maker_bench
//
// BM_LoadTerminalLists: open and load all three terminal lists of a generated project with 200
// panels and 100,000 terminals (500 per panel: 300 of components, 150 of terminal blocks, 50
// relay terminals) from its SQLite store, and take their item lists.
// BM_OpenPlan: read the wiring plan (panels, plates, rows) of the same project.
// BM_SortTerminalNumbers: sort 100,000 terminal numbers with NaturalCompare; BM_SortBytewise
// sorts the same texts by plain byte order, as the reference.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "SampleProject.h"
#include "services/numtext.h"
#include "services/termlist.h"
#include "services/wiringplan.h"

namespace {

/// The generated project, in a folder of its own that is removed afterwards.
class LargeProject {
public:
    LargeProject()
        : m_folder(std::filesystem::temp_directory_path() /
                   ("maker-bench-" + std::to_string(::getpid()))) {
        sampleproject::Options options;
        options.panels = 200;
        options.componentsPerPanel = 50;
        options.blockTerminalsPerPanel = 150;
        options.relayTerminalsPerPanel = 50;
        options.previousRevision = false;
        std::string error;
        m_ok = sampleproject::WriteProject(m_folder, options, error);
        m_terminals = options.panels * sampleproject::TerminalsPerPanel(options);
    }
    ~LargeProject() {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    LargeProject(const LargeProject&) = delete;
    LargeProject& operator=(const LargeProject&) = delete;

    bool ok() const { return m_ok; }
    int terminals() const { return m_terminals; }
    std::string folder() const { return m_folder.string(); }

    static const LargeProject& Get() {
        static LargeProject project;
        return project;
    }

private:
    std::filesystem::path m_folder;
    bool m_ok = false;
    int m_terminals = 0;
};

void BM_LoadTerminalLists(benchmark::State& state) {
    const LargeProject& project = LargeProject::Get();
    if (!project.ok()) {
        state.SkipWithError("the project could not be written");
        return;
    }
    const std::string folder = project.folder();
    for (auto _ : state) {
        int loaded = 0;
        for (auto kind : {zelko::TermListKind::Components, zelko::TermListKind::TerminalBlocks,
                          zelko::TermListKind::RelayTerminals}) {
            zelko::TermList* list = zelko::TermListInit(kind);
            if (zelko::TermListOpen(list, folder) &&
                zelko::TermListLoad(list, zelko::kTermVariantCurrent)) {
                zelko::TermItems* items = zelko::TermListItems(list);
                loaded += zelko::TermItemsCount(items);
                zelko::TermItemsFree(items);
            }
            zelko::TermListFree(list);
        }
        if (loaded != project.terminals()) {
            state.SkipWithError("not every terminal was loaded");
            return;
        }
        benchmark::DoNotOptimize(loaded);
    }
    state.counters["terminals"] = project.terminals();
}
BENCHMARK(BM_LoadTerminalLists)->Unit(benchmark::kMillisecond);

void BM_OpenPlan(benchmark::State& state) {
    const LargeProject& project = LargeProject::Get();
    if (!project.ok()) {
        state.SkipWithError("the project could not be written");
        return;
    }
    for (auto _ : state) {
        zelko::WpData* plan = zelko::WpDataInit();
        if (!zelko::WpDataOpen(plan, project.folder()) ||
            zelko::WpPanelCount(zelko::WpPanelListOf(plan)) != 200) {
            state.SkipWithError("the plan could not be read");
        }
        zelko::WpDataFree(plan);
    }
}
BENCHMARK(BM_OpenPlan)->Unit(benchmark::kMillisecond);

/// 100,000 terminal numbers as panels carry them: plain numbers, numbers with leading zeros,
/// letters with numbers, and connector pins, in random order.
std::vector<std::string> TerminalNumbers() {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> number(0, 999);
    std::uniform_int_distribution<int> form(0, 4);
    std::vector<std::string> numbers;
    numbers.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        const std::string n = std::to_string(number(random));
        switch (form(random)) {
            case 0:
                numbers.push_back(n);
                break;
            case 1:
                numbers.push_back("0" + n);
                break;
            case 2:
                numbers.push_back("A" + n);
                break;
            case 3:
                numbers.push_back("TB" + std::to_string(number(random) % 20) + "-" + n);
                break;
            default:
                numbers.push_back("CN1:" + n);
                break;
        }
    }
    return numbers;
}

void BM_SortTerminalNumbers(benchmark::State& state) {
    const std::vector<std::string> numbers = TerminalNumbers();
    for (auto _ : state) {
        std::vector<std::string> sorted = numbers;
        std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
            return zelko::NaturalCompare(a, b) < 0;
        });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.counters["texts"] = static_cast<double>(numbers.size());
}
BENCHMARK(BM_SortTerminalNumbers)->Unit(benchmark::kMillisecond);

void BM_SortBytewise(benchmark::State& state) {
    const std::vector<std::string> numbers = TerminalNumbers();
    for (auto _ : state) {
        std::vector<std::string> sorted = numbers;
        std::sort(sorted.begin(), sorted.end());
        benchmark::DoNotOptimize(sorted.data());
    }
    state.counters["texts"] = static_cast<double>(numbers.size());
}
BENCHMARK(BM_SortBytewise)->Unit(benchmark::kMillisecond);

}  // namespace
