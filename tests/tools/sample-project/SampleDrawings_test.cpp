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
    // panels, development drawing, schematic, support drawings, symbol library
    EXPECT_EQ(files, 2 + 1 + 1 + 6 + 6);
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

}  // namespace
