// The processing job end to end in the binary protocol: the machine simulator on a
// pseudo-terminal answers at once, and the job runs wire after wire as an operator would. The
// counters give the wires per minute, the program's own processor time per wire (user and system
// time of this process) and the share of the wall time spent waiting on the line.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QProcess>
#include <cstdlib>
#include <filesystem>

#include "MachineLink.h"
#include "ProcessingJob.h"
#include "UserDataPath.h"
#include "UserStore.h"
#include "WireSheet.h"

namespace {

using namespace kablos;

class Quiet : public Messenger {
public:
    MsgAnswer MsgBox(std::string_view, MsgButtons, MsgIcon, std::string_view) override {
        return MsgAnswer::Ok;
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

OpenedSet ManyWires(int count) {
    OpenedSet set;
    set.grid.header = {"No", "長さ", "電線番号", "From", "To", "From端末種別", "To端末種別"};
    for (int i = 0; i < count; ++i) {
        set.grid.rows.push_back({std::to_string(i + 1), std::to_string(300 + i % 700) + ".5",
                                 "W" + std::to_string(i), "A-1", "B-2", i % 2 ? "R1.25-4" : "M",
                                 "2-4"});
        set.grid.green.push_back(false);
        set.procEndFlg.push_back(0);
    }
    set.cursor = 0;
    set.wireSize = "1.25";
    return set;
}

void BM_BinaryWire(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "kablos_bench";
    static char* argv[] = {name, nullptr};
    // One application object for the whole benchmark program (the dry run's may be first).
    if (QCoreApplication::instance() == nullptr)
        static QCoreApplication app(argc, argv);

    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("kablos-job-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    QProcess machine;
    machine.start(QStringLiteral(MACHINE_SIM_PATH), {"--protocol", "binary"});
    if (!machine.waitForReadyRead(5000)) {
        state.SkipWithError("the machine simulator did not start");
        return;
    }
    const std::string device = machine.readLine().trimmed().toStdString();
    (void)UserStore::SetPortDevice(1, device);

    Quiet messenger;
    Session session(messenger, UserDataPath, KABLOS_SAMPLES_DIR);
    if (!session.Start("", {})) {
        state.SkipWithError("no settings");
        return;
    }
    session.setProtocol(ProtocolKind::Binary);
    SerialPort port;
    (void)port.setCommPort(1);
    QtEventPump pump;
    QuietLinkView view;
    MachineLink link(session, port, pump, view);
    WireSheet sheet;
    ProcessingJob job(session, link, pump, sheet);
    link.TogglePort();

    const OpenedSet wires = ManyWires(1000);
    sheet.Load(wires);
    std::int64_t done = 0;
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!sheet.CurrentWireRow() || sheet.done(*sheet.CurrentWireRow()))
            sheet.Load(wires);
        job.Start();
        done += job.completed() ? 1 : 0;
    }
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double wiresRun = static_cast<double>(state.iterations());
    state.counters["wires_per_min"] = wiresRun * 60 / wall;
    state.counters["cpu_ms_per_wire"] = cpu * 1000 / wiresRun;
    state.counters["waiting_share"] = 1 - cpu / wall;
    state.counters["completed"] = static_cast<double>(done);

    link.HangUp();
    machine.kill();
    machine.waitForFinished();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}
BENCHMARK(BM_BinaryWire)->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
