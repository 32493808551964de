// Drawing a generated panel drawing of about 20 MB (about 40,000 entities: block references
// with three attributes and extended data, closed and wide polylines, lines, texts, circles,
// arcs, multi-line texts) to PNG and SVG, 1600 pixels wide, and the whole run of dxf-render
// (reading the file, drawing, writing the PNG). Run from the build tree:
// build/release/bench/render/render_bench.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "arx/acdb.h"
#include "render/Render.h"

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
    fs::path folder = fs::temp_directory_path() / "nivora-render-bench";
    fs::create_directories(folder);
    return folder;
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

int Entities(AcDbDatabase& db) {
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* it = nullptr;
    ms->newIterator(it);
    int n = 0;
    for (; !it->done(); it->step())
        ++n;
    delete it;
    ms->close();
    return n;
}

// The generated drawing, made once and kept in the temporary folder.
const fs::path& Drawing() {
    static const fs::path path = [] {
        fs::path p = Folder() / "panel-20mb.dxf";
        if (fs::exists(p) && fs::file_size(p) > 19'500'000)
            return p;
        AcDbDatabase db;
        AddApp(db, "ORVAZelko_WpPlate");
        AddApp(db, "ZELKOWP2_TANSHIBANGOU");
        AcDbObjectId symbol;
        {
            AcDbBlockTable* blocks = nullptr;
            db.getBlockTable(blocks, AcDb::kForWrite);
            auto* record = new AcDbBlockTableRecord;
            record->setName("RELAY");
            blocks->add(symbol, record);
            record->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
            record->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 10, 0)));
            record->appendAcDbEntity(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 3));
            record->appendAcDbEntity(new AcDbText(AcGePoint3d(1, 8, 0), "RY", AcDbObjectId(), 1.5));
            record->close();
            blocks->close();
        }
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
        auto add = [&](AcDbEntity* entity, int color) {
            entity->setColorIndex(static_cast<Adesk::UInt16>(color));
            ms->appendAcDbEntity(entity);
        };
        for (int i = 0; i < 9000; ++i) {
            const double x = (i % 100) * 20.0;
            const double y = (i / 100) * 20.0;
            auto* ref = new AcDbBlockReference(AcGePoint3d(x, y, 0), symbol);
            ref->setRotation((i % 4) * std::acos(-1.0) / 2);
            add(ref, 1 + i % 7);
            std::string plate = "PLATE-" + std::to_string(i % 12);
            const std::string part = "TB-" + std::to_string(i) + "-RELAY-SOCKET-24VDC-2CO-PLUG-IN";
            resbuf* rb =
                acutBuildList(1001, "ORVAZelko_WpPlate", 1000, plate.c_str(), 1070, i % 7, 1000,
                              part.c_str(), 1000, part.c_str(), 1000, part.c_str(), 1000,
                              part.c_str(), 1000, part.c_str(), 1000, part.c_str(), 1000,
                              part.c_str(), 1000, part.c_str(), 1040, 12.5, 1040, 40.0, 0);
            ref->setXData(rb);
            acutRelRb(rb);
            for (int k = 1; k <= 3; ++k) {
                auto* a = new AcDbAttribute(AcGePoint3d(x + 11, y + 2 * k, 0),
                                            ("X" + std::to_string(i * 3 + k)).c_str(),
                                            ("PIN" + std::to_string(k)).c_str());
                a->setHeight(1.5);
                ref->appendAttribute(a);
                rb = acutBuildList(1001, "ZELKOWP2_TANSHIBANGOU", 1000, std::to_string(k).c_str(),
                                   1000, part.c_str(), 1000, part.c_str(), 1000, part.c_str(), 1000,
                                   part.c_str(), 1070, k, 0);
                a->setXData(rb);
                acutRelRb(rb);
                a->close();
            }
            ref->close();
        }
        for (int i = 0; i < 9000; ++i) {
            auto* pl = new AcDbPolyline;
            const double x = (i % 100) * 20.0;
            const double y = -20 - (i / 100) * 20.0;
            pl->addVertexAt(0, AcGePoint2d(x, y), 0, i % 3 == 0 ? 0.5 : -1, i % 3 == 0 ? 0.5 : -1);
            pl->addVertexAt(1, AcGePoint2d(x + 15, y), i % 5 == 0 ? 0.5 : 0);
            pl->addVertexAt(2, AcGePoint2d(x + 15, y + 12));
            pl->addVertexAt(3, AcGePoint2d(x, y + 12));
            pl->setClosed(true);
            add(pl, 256);
            std::string plate = "PLATE-" + std::to_string(i);
            const std::string duct = plate + "-DUCT-40x60-GREY-SLOTTED";
            resbuf* rb = acutBuildList(1001, "ORVAZelko_WpPlate", 1000, plate.c_str(), 1000,
                                       duct.c_str(), 1000, duct.c_str(), 0);
            pl->setXData(rb);
            acutRelRb(rb);
            pl->close();
        }
        for (int i = 0; i < 14000; ++i) {
            const double x = (i % 140) * 14.0;
            const double y = 1850 + (i / 140) * 3.0;
            auto* line = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 12, y + 2, 0));
            add(line, 3);
            line->close();
        }
        for (int i = 0; i < 4000; ++i) {
            auto* text =
                new AcDbText(AcGePoint3d((i % 40) * 50.0, 2200 + (i / 40) * 4.0, 0),
                             ("W-" + std::to_string(i) + " 端子台").c_str(), AcDbObjectId(), 2.5);
            add(text, 7);
            text->close();
        }
        for (int i = 0; i < 3000; ++i) {
            const AcGePoint3d c((i % 60) * 33.0, -1850 - (i / 60) * 8.0, 0);
            AcDbEntity* e =
                i % 2 == 0 ? static_cast<AcDbEntity*>(new AcDbCircle(c, AcGeVector3d::kZAxis, 3))
                           : new AcDbArc(c, 3, 0, 3);
            add(e, 4);
            e->close();
        }
        for (int i = 0; i < 1000; ++i) {
            auto* mtext = new AcDbMText;
            mtext->setLocation(AcGePoint3d((i % 20) * 100.0, 2600 + (i / 20) * 10.0, 0));
            mtext->setTextHeight(2);
            mtext->setContents(("DUCT " + std::to_string(i) + "\\Pwidth 40").c_str());
            add(mtext, 5);
            mtext->close();
        }
        ms->close();
        db.saveAs(p.c_str());
        return p;
    }();
    return path;
}

void Counters(benchmark::State& state, AcDbDatabase& db) {
    state.counters["file_MB"] = static_cast<double>(fs::file_size(Drawing())) / 1e6;
    state.counters["entities"] = Entities(db);
}

void BM_RenderPng(benchmark::State& state) {
    AcDbDatabase db(false, true);
    db.readDwgFile(Drawing().c_str());
    render::Options options;
    for (auto _ : state) {
        std::string bytes;
        const render::Result result = render::Render(db, render::Format::Png, options, bytes);
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(bytes.data());
    }
    Counters(state, db);
}

void BM_RenderSvg(benchmark::State& state) {
    AcDbDatabase db(false, true);
    db.readDwgFile(Drawing().c_str());
    render::Options options;
    for (auto _ : state) {
        std::string bytes;
        const render::Result result = render::Render(db, render::Format::Svg, options, bytes);
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
        state.counters["svg_MB"] = static_cast<double>(bytes.size()) / 1e6;
    }
    Counters(state, db);
}

/// What dxf-render does: read the file, draw, write the PNG.
void BM_ReadRenderWritePng(benchmark::State& state) {
    const fs::path out = Folder() / "panel.png";
    for (auto _ : state) {
        auto db = std::make_unique<AcDbDatabase>(false, true);
        if (db->readDwgFile(Drawing().c_str()) != Acad::eOk)
            state.SkipWithError(db->lastError().c_str());
        const render::Result result = render::RenderToFile(*db, out, render::Options{});
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(fs::file_size(Drawing())) / 1e6;
}

BENCHMARK(BM_RenderPng)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RenderSvg)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadRenderWritePng)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
