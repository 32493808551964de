// The sample drawings against the sample project store: every terminal of the store is drawn
// on its panel's layout, on the plate of its face, and every support drawing loads; ezdxf
// audits every drawing the generator writes.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "SampleProject.h"
#include "services/attributes.h"
#include "services/maker.h"
#include "services/project.h"
#include "services/supportfiles.h"
#include "services/symbols.h"
#include "services/termlist.h"
#include "support/FileSupport.h"

namespace {

namespace fs = std::filesystem;

/// "<panel>|<tag>|<terminal>" of every terminal of one list in the store.
std::multiset<std::string> StoreTerminals(const fs::path& project, zelko::TermListKind kind,
                                          std::map<std::string, std::string>* faces = nullptr) {
    std::multiset<std::string> out;
    zelko::TermList* list = zelko::TermListInit(kind);
    EXPECT_TRUE(zelko::TermListOpen(list, project.string()));
    EXPECT_TRUE(zelko::TermListLoad(list, zelko::kTermVariantCurrent));
    zelko::TermItems* items = zelko::TermListItems(list);
    for (int i = 0; i < zelko::TermItemsCount(items); ++i) {
        const zelko::Term* t = zelko::TermItemsAt(items, i);
        const std::string key = std::string(zelko::TermPanelNo(t)) + "|" +
                                zelko::TermComponentTag(t) + "|" + zelko::TermTerminalNo(t);
        out.insert(key);
        if (faces != nullptr) {
            (*faces)[key] = zelko::TermFaceText(t);
        }
    }
    zelko::TermItemsFree(items);
    zelko::TermListClose(list);
    zelko::TermListFree(list);
    return out;
}

std::string Attr(zelko::SymAttrs* attrs, const std::string& tag) {
    char* value = nullptr;
    std::string text = zelko::SymAttr(attrs, tag, value) ? value : "";
    zelko::SymTextFree(value);
    return text;
}

/// What the layouts draw, keyed like StoreTerminals, by symbol type; and the plate each
/// terminal's symbol stands on.
struct Drawn {
    std::multiset<std::string> ban;
    std::multiset<std::string> term;
    std::map<std::string, std::string> plate;
};

// Reads a panel drawing (the panel number of its title, two plates) or a development drawing
// (its first title's panel number, two plates per panel, every symbol tagged with the plate
// it lies on as "WP_PLATENAME").
void ReadLayout(const fs::path& file, const std::string& panelNo, Drawn& drawn,
                std::size_t plateCount = 2, bool development = false) {
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(file.c_str()), Acad::eOk) << db.lastError();
    std::string titlePanelNo;
    EXPECT_NE(zelko::ProjPanelNoOfDrawing(&db, titlePanelNo), 0) << file;
    EXPECT_EQ(titlePanelNo, panelNo);
    std::vector<std::pair<std::string, AcDbExtents>> plates;
    std::vector<AcDbObjectId> refs;
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        ASSERT_EQ(it->getEntity(entity), Acad::eOk);
        if (auto* ref = AcDbBlockReference::cast(entity)) {
            refs.push_back(ref->objectId());
        } else if (resbuf* plate = entity->xData("ORVAZelko_WpPlate"); plate != nullptr) {
            AcDbExtents extents;
            entity->getGeomExtents(extents);
            plates.emplace_back(plate->rbnext->resval.rstring, extents);
            acutRelRb(plate);
        }
        entity->close();
    }
    delete it;
    space->close();
    EXPECT_EQ(plates.size(), plateCount) << file;
    for (AcDbObjectId id : refs) {
        zelko::SymAttrs* attrs = nullptr;
        if (!zelko::SymAttrsOpen(id, "BAN_NO,NAME,PIN#*", attrs)) {
            continue;  // the title block
        }
        const std::string type = zelko::SymTypeName(zelko::SymAttrsHandle(attrs));
        AcDbBlockReference* ref = nullptr;
        ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
        const AcGePoint3d at = ref->position();
        ref->close();
        std::string plateName;
        for (const auto& [name, box] : plates) {
            if (box.minPoint().x < at.x && at.x < box.maxPoint().x && box.minPoint().y < at.y &&
                at.y < box.maxPoint().y) {
                plateName = name;
                break;
            }
        }
        if (development) {
            char* tagged = nullptr;
            EXPECT_NE(zelko::AttrGetText(id, "WP_PLATENAME", tagged), 0);
            EXPECT_EQ(std::string(tagged != nullptr ? tagged : ""), plateName) << file;
            zelko::AttrFreeValue(tagged);
        }
        for (int n = 1; !Attr(attrs, "PIN" + std::to_string(n)).empty(); ++n) {
            const std::string key = Attr(attrs, "BAN_NO") + "|" + Attr(attrs, "NAME") + "|" +
                                    Attr(attrs, "PIN" + std::to_string(n));
            (type == "BAN" ? drawn.ban : drawn.term).insert(key);
            drawn.plate[key] = plateName;
        }
        zelko::SymAttrsClose(attrs);
    }
}

TEST(SampleDrawings, EveryTerminalOfTheStoreIsDrawnOnItsPlate) {
    testsupport::TempDir dir;
    sampleproject::Options options;
    options.panels = 2;
    std::string error;
    ASSERT_TRUE(sampleproject::WriteInstallation(dir.path() / "zelko", error)) << error;
    ASSERT_TRUE(sampleproject::WriteProject(dir.path() / "SAMPLE", options, error)) << error;
    const int handles = zelko::MakerLiveHandles();

    Drawn drawn;
    for (int p = 1; p <= options.panels; ++p) {
        ReadLayout(dir.path() / "SAMPLE" / "DWG" / sampleproject::PanelDrawing(p),
                   sampleproject::PanelNo(p), drawn);
    }
    // The development drawing of the row holds the same symbols, tagged with their panel and
    // plate.
    Drawn developed;
    ReadLayout(dir.path() / "SAMPLE" / "DWG" / "LAYOUT" / "LAYOUT_ROW1.dwg", "P1", developed,
               2 * options.panels, true);
    EXPECT_EQ(developed.ban, drawn.ban);
    EXPECT_EQ(developed.term, drawn.term);
    EXPECT_EQ(developed.plate, drawn.plate);
    std::map<std::string, std::string> faces;
    const fs::path project = dir.path() / "SAMPLE";
    EXPECT_EQ(drawn.ban, StoreTerminals(project, zelko::TermListKind::Components, &faces));
    std::multiset<std::string> term =
        StoreTerminals(project, zelko::TermListKind::TerminalBlocks, &faces);
    term.merge(StoreTerminals(project, zelko::TermListKind::RelayTerminals, &faces));
    EXPECT_EQ(drawn.term, term);
    for (const auto& [key, face] : faces) {
        EXPECT_EQ(drawn.plate[key], face == "表面" ? "PL1" : "PL2") << key;
    }
    EXPECT_EQ(zelko::MakerLiveHandles(), handles);

    // Every support drawing loads as its block.
    ASSERT_TRUE(zelko::MakerSetInstallFolder(dir.path() / "zelko"));
    AcDbDatabase target;
    for (const char* key : {"WAKUBASE", "CMARK_DUCT", "WireDirection", "TubeDirection",
                            "WireDirectionN", "TubeDirectionN"}) {
        std::string path;
        ASSERT_NE(zelko::MarkFilePath(key, path), 0) << key;
        AcDbObjectId block;
        EXPECT_NE(zelko::SymLoadBlockFile(&target, key, path, block), 0) << zelko::MakerLastError();
    }

    // ezdxf reads every drawing without a fault.
    std::string command =
        "/usr/bin/python3 -c \"import ezdxf,sys\n"
        "for f in sys.argv[1:]:\n"
        "    a = ezdxf.readfile(f).audit()\n"
        "    print(f, len(a.errors), len(a.fixes))\" ";
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".dwg" || ext == ".dxf") {
            command += " '" + entry.path().string() + "'";
            ++files;
        }
    }
    // panel drawings (mounting plates and door of each panel), development drawing, 3D layout
    // drawing, schematic, support drawings, symbol library
    EXPECT_EQ(files, 2 * 2 + 1 + 1 + 1 + 6 + 6);
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(::pclose(pipe), 0) << out;
    int lines = 0;
    for (std::size_t at = 0; (at = out.find('\n', at)) != std::string::npos; ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, files) << out;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        EXPECT_TRUE(out.substr(start, end - start).ends_with(" 0 0")) << out.substr(start, end);
    }
}

/// "<panel>|<tag>|<terminal>" of the store's component and terminal-block records under a
/// drawing name, with the face of each.
std::map<std::string, std::string> RecordsOfDrawing(const fs::path& project,
                                                    const std::string& drawing) {
    std::map<std::string, std::string> out;
    for (auto kind : {zelko::TermListKind::Components, zelko::TermListKind::TerminalBlocks}) {
        zelko::TermList* list = zelko::TermListInit(kind);
        EXPECT_TRUE(zelko::TermListOpen(list, project.string()));
        EXPECT_TRUE(zelko::TermListLoad(list, zelko::kTermVariantCurrent));
        zelko::TermItems* items = zelko::TermListItems(list);
        for (int i = 0; i < zelko::TermItemsCount(items); ++i) {
            const zelko::Term* t = zelko::TermItemsAt(items, i);
            if (drawing == zelko::TermDrawingName(t)) {
                out[std::string(zelko::TermPanelNo(t)) + "|" + zelko::TermComponentTag(t) + "|" +
                    zelko::TermTerminalNo(t)] = zelko::TermFaceText(t);
            }
        }
        zelko::TermItemsFree(items);
        zelko::TermListClose(list);
        zelko::TermListFree(list);
    }
    return out;
}

// The 3D layout drawing of P1 holds a symbol for every component and terminal-block record the
// store keeps under its name, on the face of the record: WP_PLATENAME "PL1" on the front,
// "PL2" with REVERSE "1" on the back, each with one 3D pin offset per terminal. Its plate
// outlines are the two faces of one plate: facing +Z at z = 0 (drawn along the world's Y axis
// first: a plate angle of 90 degrees) and facing -Z at z = -3, over the same box. The store
// does not list the drawing, so the development drawings do not take it in.
TEST(SampleDrawings, TheThreeDimensionalLayoutHoldsTheRecordsOfItsName) {
    testsupport::TempDir dir;
    sampleproject::Options options;
    options.panels = 2;
    std::string error;
    ASSERT_TRUE(sampleproject::WriteProject(dir.path() / "SAMPLE", options, error)) << error;
    const fs::path project = dir.path() / "SAMPLE";
    const std::map<std::string, std::string> records = RecordsOfDrawing(project, "LAYOUT_P01");
    ASSERT_EQ(records.size(), 6u * 6 + 12 + 4) << "the components, TB1 and TB2 of P1";
    EXPECT_TRUE(RecordsOfDrawing(project, "LAYOUT_P02").size() > 0u);

    AcDbDatabase db(false, true);
    const fs::path file = project / "DWG" / "LAYOUT" / "LAYOUT_P01.dwg";
    ASSERT_EQ(db.readDwgFile(file.c_str()), Acad::eOk) << db.lastError();
    std::map<std::string, std::string> drawn;  // key as the records' -> face
    std::vector<std::string> plates;
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        ASSERT_EQ(it->getEntity(entity), Acad::eOk);
        if (auto* outline = AcDbPolyline::cast(entity)) {
            resbuf* plate = entity->xData("ORVAZelko_WpPlate");
            ASSERT_NE(plate, nullptr);
            AcGePoint3d first, second;
            outline->getPointAt(0, first);
            outline->getPointAt(1, second);
            AcDbExtents box;
            outline->getGeomExtents(box);
            char line[160];
            std::snprintf(line, sizeof line, "%s n=%g first=%g,%g,%g along=%g,%g box=%g,%g-%g,%g",
                          plate->rbnext->resval.rstring, outline->normal().z, first.x, first.y,
                          first.z, second.x - first.x, second.y - first.y, box.minPoint().x,
                          box.minPoint().y, box.maxPoint().x, box.maxPoint().y);
            plates.push_back(line);
            acutRelRb(plate);
        } else if (auto* ref = AcDbBlockReference::cast(entity)) {
            zelko::SymAttrs* attrs = nullptr;
            if (zelko::SymAttrsOpen(ref, "", attrs)) {
                const std::string plate = Attr(attrs, "WP_PLATENAME");
                const bool back = plate == "PL2";
                EXPECT_EQ(Attr(attrs, "REVERSE"), back ? "1" : "") << Attr(attrs, "NAME");
                EXPECT_NEAR(ref->position().z, back ? -3 : 0, 1e-9) << Attr(attrs, "NAME");
                int pins = 0;
                for (int n = 1; !Attr(attrs, "PIN" + std::to_string(n)).empty(); ++n) {
                    drawn[Attr(attrs, "BAN_NO") + "|" + Attr(attrs, "NAME") + "|" +
                          Attr(attrs, "PIN" + std::to_string(n))] = back ? "裏面" : "表面";
                    ++pins;
                }
                int offsets = 0;
                if (resbuf* data = entity->xData("ZELKO_3D_PIN_OFS")) {
                    for (const resbuf* item = data->rbnext; item != nullptr; item = item->rbnext)
                        offsets += item->restype == 1010 ? 1 : 0;
                    acutRelRb(data);
                }
                EXPECT_EQ(offsets, pins) << Attr(attrs, "NAME");
                zelko::SymAttrsClose(attrs);
            }
        }
        entity->close();
    }
    delete it;
    space->close();
    EXPECT_EQ(drawn, records);
    EXPECT_EQ(plates,
              (std::vector<std::string>{"PL1 n=1 first=600,0,0 along=0,800 box=0,0-600,800",
                                        "PL2 n=-1 first=600,0,-3 along=-600,0 box=0,0-600,800"}));

    ASSERT_TRUE(zelko::ProjOpen(project.string())) << zelko::MakerLastError();
    int count = 0;
    zelko::ProjDrawings* list = zelko::ProjDrawingList(2, count);
    for (int i = 0; i < count; ++i)
        EXPECT_FALSE(zelko::ProjDrawingAt(list, i).starts_with("LAYOUT")) << i;
    EXPECT_EQ(count, 2 * options.panels);  // the mounting plates and the door of each panel
    zelko::ProjDrawingListFree(list);
    zelko::ProjClose();
}

}  // namespace
