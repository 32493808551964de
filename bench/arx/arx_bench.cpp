// Reading and saving a generated drawing of about 50 MB: block references with attributes and
// extended data, closed polylines with extended data, lines. Also the peak memory of a read (in
// a child process, against the file size) and, when ezdxf is installed, ezdxf's times for the
// same file. Run from the build tree: build/release/bench/arx/arx_bench.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "arx/acdb.h"

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
    fs::path folder = fs::temp_directory_path() / "nivora-arx-bench";
    fs::create_directories(folder);
    return folder;
}

fs::path Input() {
    return Folder() / "panel-50mb.dxf";
}

void AddApp(AcDbDatabase& db, const char* name) {
    AcDbRegAppTable* apps = nullptr;
    db.getRegAppTable(apps, AcDb::kForWrite);
    auto* app = new AcDbRegAppTableRecord;
    app->setName(name);
    apps->add(app);
    app->close();
    apps->close();
}

// The generated drawing, made once and kept in the temporary folder.
const fs::path& Drawing() {
    static const fs::path path = [] {
        fs::path p = Input();
        if (fs::exists(p) && fs::file_size(p) > 45'000'000)
            return p;
        AcDbDatabase db;
        AddApp(db, "ORVAZelko_WpPlate");
        AddApp(db, "ZELKOWP2_TANSHIBANGOU");
        AddApp(db, "ZELKO_AUTO_GENERATED");
        AcDbObjectId symbol;
        {
            AcDbBlockTable* blocks = nullptr;
            db.getBlockTable(blocks, AcDb::kForWrite);
            auto* record = new AcDbBlockTableRecord;
            record->setName("RELAY");
            blocks->add(symbol, record);
            record->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
            record->appendAcDbEntity(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 3));
            record->close();
            blocks->close();
        }
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
        const int symbols = 34000;
        for (int i = 0; i < symbols; ++i) {
            double x = (i % 200) * 20.0;
            double y = (i / 200) * 20.0;
            auto* ref = new AcDbBlockReference(AcGePoint3d(x, y, 0), symbol);
            ref->setRotation((i % 4) * std::acos(-1.0) / 2);
            ms->appendAcDbEntity(ref);
            std::string plate = "PLATE-" + std::to_string(i % 12);
            resbuf* rb =
                acutBuildList(1001, "ORVAZelko_WpPlate", 1000, plate.c_str(), 1070, i % 7, 0);
            ref->setXData(rb);
            acutRelRb(rb);
            for (int k = 1; k <= 3; ++k) {
                auto* a =
                    new AcDbAttribute(AcGePoint3d(x, y + k, 0), std::to_string(i * 3 + k).c_str(),
                                      ("PIN" + std::to_string(k)).c_str());
                a->setHeight(1.5);
                ref->appendAttribute(a);
                rb = acutBuildList(1001, "ZELKOWP2_TANSHIBANGOU", 1000, std::to_string(k).c_str(),
                                   0);
                a->setXData(rb);
                acutRelRb(rb);
                a->close();
            }
            ref->close();
        }
        for (int i = 0; i < 40000; ++i) {
            auto* pl = new AcDbPolyline;
            double x = (i % 100) * 50.0;
            double y = -(i / 100) * 50.0;
            pl->addVertexAt(0, AcGePoint2d(x, y));
            pl->addVertexAt(1, AcGePoint2d(x + 40, y));
            pl->addVertexAt(2, AcGePoint2d(x + 40, y + 30));
            pl->addVertexAt(3, AcGePoint2d(x, y + 30));
            pl->setClosed(true);
            ms->appendAcDbEntity(pl);
            std::string plate = "PLATE-" + std::to_string(i);
            resbuf* rb = acutBuildList(1001, "ORVAZelko_WpPlate", 1000, plate.c_str(), 0);
            pl->setXData(rb);
            acutRelRb(rb);
            pl->close();
        }
        for (int i = 0; i < 120000; ++i) {
            auto* line =
                new AcDbLine(AcGePoint3d(i * 0.5, 0, 0), AcGePoint3d(i * 0.5, 100 + i % 50, 0));
            ms->appendAcDbEntity(line);
            if (i % 3 == 0) {
                resbuf* rb =
                    acutBuildList(1001, "ZELKO_AUTO_GENERATED", 1000, "ZelkoWPDuctAutoGen", 0);
                line->setXData(rb);
                acutRelRb(rb);
            }
            line->close();
        }
        ms->close();
        db.saveAs(p.c_str());
        return p;
    }();
    return path;
}

void BM_Read(benchmark::State& state) {
    const fs::path& path = Drawing();
    for (auto _ : state) {
        auto db = std::make_unique<AcDbDatabase>(false, true);
        if (db->readDwgFile(path.c_str()) != Acad::eOk)
            state.SkipWithError(db->lastError().c_str());
        benchmark::DoNotOptimize(db->modelSpaceId());
        state.PauseTiming();
        db.reset();  // freeing is not part of the read
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}

void BM_Save(benchmark::State& state) {
    const fs::path& path = Drawing();
    AcDbDatabase db(false, true);
    db.readDwgFile(path.c_str());
    fs::path out = Folder() / "saved.dxf";
    for (auto _ : state) {
        if (db.saveAs(out.c_str()) != Acad::eOk)
            state.SkipWithError(db.lastError().c_str());
    }
    state.counters["file_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}

// The peak memory of a process that reads the drawing (this program started again with
// --peak-read FILE, so that nothing else is in it), against the file's size.
void BM_PeakMemoryOfRead(benchmark::State& state) {
    const fs::path& path = Drawing();
    double ratio = 0;
    double peakMB = 0;
    for (auto _ : state) {
        pid_t child = ::fork();
        if (child == 0) {
            ::execl("/proc/self/exe", "arx_bench", "--peak-read", path.c_str(),
                    static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the reading process failed");
        peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
        ratio = peakMB * 1024 * 1024 / static_cast<double>(fs::file_size(path));
    }
    state.counters["peak_MB"] = peakMB;
    state.counters["peak_over_file"] = ratio;
}

// ezdxf's times for the same file, for comparison (skipped when ezdxf is not there).
void BM_EzdxfReadAndSave(benchmark::State& state) {
    const fs::path& path = Drawing();
    double read = 0;
    double save = 0;
    for (auto _ : state) {
        std::string command = "/usr/bin/python3 '" ARX_EZDXF_BENCH "' '" + path.string() + "' '" +
                              (Folder() / "ezdxf-saved.dxf").string() + "' 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        char line[128];
        while (pipe && std::fgets(line, sizeof line, pipe)) {
            std::sscanf(line, "ezdxf_read_s=%lf", &read);
            std::sscanf(line, "ezdxf_save_s=%lf", &save);
        }
        if (pipe == nullptr || ::pclose(pipe) != 0)
            state.SkipWithError("ezdxf is not available");
    }
    state.counters["ezdxf_read_s"] = read;
    state.counters["ezdxf_save_s"] = save;
}

}  // namespace

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PeakMemoryOfRead)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EzdxfReadAndSave)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak-read") {
        AcDbDatabase db(false, true);
        return db.readDwgFile(argv[2]) == Acad::eOk ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
