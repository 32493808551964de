// The symbol and attribute services on drawings that ezdxf writes, and what they write read
// back by ezdxf.

#include "services/symbols.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "services/attributes.h"
#include "services/maker.h"
#include "services/project.h"
#include "support/FileSupport.h"

namespace {

namespace fs = std::filesystem;

/// Runs symbol_drawings.py; its standard output.
std::string Python(const std::string& command, const fs::path& file) {
    const std::string line =
        "/usr/bin/python3 '" SYMBOL_DRAWINGS "' " + command + " '" + file.string() + "' 2>&1";
    std::string out;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << line;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(::pclose(pipe), 0) << out;
    return out;
}

std::vector<AcDbObjectId> OfType(AcDbDatabase& db, std::string_view type) {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        if (id.dxfType() == type) {
            ids.push_back(id);
        }
    }
    delete it;
    space->close();
    return ids;
}

/// The text of a service, released at once; "<none>" when it answered false.
template <class Call>
std::string Text(Call call, void (*release)(char*&)) {
    char* value = nullptr;
    const bool found = call(value);
    std::string text = found && value != nullptr ? value : "<none>";
    release(value);
    return text;
}

class SymbolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_handles = zelko::MakerLiveHandles();
        Python("layout", layout());
        ASSERT_EQ(m_db.readDwgFile(layout().c_str()), Acad::eOk) << m_db.lastError();
        m_refs = OfType(m_db, "INSERT");
        ASSERT_EQ(m_refs.size(), 4u);
    }
    void TearDown() override {
        EXPECT_EQ(zelko::MakerLiveHandles(), m_handles) << "a handle or text was not released";
    }
    fs::path layout() const { return m_dir.path() / "LAYOUT_P01.dxf"; }

    testsupport::TempDir m_dir;
    AcDbDatabase m_db{false, true};
    std::vector<AcDbObjectId> m_refs;  // CB-3P (BAN), TB-10 (TERM), PLAIN, CB-3P marked PNL
    int m_handles = 0;
};

TEST_F(SymbolsTest, TypeComesFromTheReferenceElseItsDefinition) {
    const struct {
        std::size_t ref;
        const char* type;
    } cases[] = {{0, "BAN"}, {1, "TERM"}, {3, "PNL"}};
    for (const auto& c : cases) {
        zelko::SymInfo* info = zelko::SymInfoOpen(m_refs[c.ref]);
        ASSERT_NE(info, nullptr) << c.type;
        EXPECT_STREQ(zelko::SymTypeName(info), c.type);
        zelko::SymInfoFree(info);
    }
    EXPECT_EQ(zelko::SymInfoOpen(m_refs[2]), nullptr);  // a block without the symbol data
    EXPECT_EQ(zelko::SymInfoOpen(OfType(m_db, "LINE").at(0)), nullptr);
    zelko::SymAttrs* attrs = nullptr;
    EXPECT_FALSE(zelko::SymAttrsOpen(m_refs[2], "", attrs));
    EXPECT_EQ(attrs, nullptr);
    // Nothing stays open: the reference can be opened for write again.
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, m_refs[0], AcDb::kForWrite), Acad::eOk);
    ref->close();
}

TEST_F(SymbolsTest, AttributeViewKeepsTheTagsOfItsFilter) {
    zelko::SymAttrs* attrs = nullptr;
    ASSERT_TRUE(zelko::SymAttrsOpen(m_refs[0], "BAN_NO,INST_NO,NAME*,OP_NAME,PIN#*", attrs));
    EXPECT_STREQ(zelko::SymTypeName(zelko::SymAttrsHandle(attrs)), "BAN");
    auto attr = [&](const char* tag) {
        return Text([&](char*& v) { return zelko::SymAttr(attrs, tag, v); }, zelko::SymTextFree);
    };
    EXPECT_EQ(Text([&](char*& v) { return zelko::SymName(attrs, v); }, zelko::SymTextFree), "CB");
    EXPECT_EQ(Text([&](char*& v) { return zelko::SymPanelNo(attrs, v); }, zelko::SymTextFree),
              "P1");
    EXPECT_EQ(Text([&](char*& v) { return zelko::SymUnit(attrs, v); }, zelko::SymTextFree), "U1");
    EXPECT_EQ(attr("name2"), "1");
    EXPECT_EQ(attr("PIN2"), " 2 ");
    EXPECT_EQ(attr("PINX"), "<none>");  // "PIN#*" wants a digit after PIN
    EXPECT_EQ(attr("SPEC"), "<none>");  // outside the filter
    EXPECT_EQ(attr("OP_NAME"), "<none>");
    zelko::SymAttrsClose(attrs);

    ASSERT_TRUE(zelko::SymAttrsOpen(m_refs[0], "~PIN*", attrs));  // every tag but the PINs
    EXPECT_EQ(attr("SPEC"), "AC200V");
    EXPECT_EQ(attr("PIN1"), "<none>");
    zelko::SymAttrsClose(attrs);
}

TEST_F(SymbolsTest, AttributeValuesAndJoinedNames) {
    const AcDbObjectId cb = m_refs[0];
    auto get = [&](int (*fn)(AcDbObjectId, std::string_view, char*&), const char* tag) {
        return Text([&](char*& v) { return fn(cb, tag, v); }, zelko::AttrFreeValue);
    };
    EXPECT_EQ(get(zelko::AttrGetText, "PIN2"), " 2 ");
    EXPECT_EQ(get(zelko::AttrGetValue, "pin2"), "2");
    EXPECT_EQ(get(zelko::AttrGetText, "OP_NAME"), "<none>");
    EXPECT_EQ(Text([&](char*& v) { return zelko::AttrGetPin(cb, 2, v); }, zelko::AttrFreeValue),
              "2");
    EXPECT_EQ(get(zelko::AttrGetJoined, "NAME"), std::string("CB") + zelko::NameSeparator() + "1");
    EXPECT_EQ(get(zelko::AttrGetJoined, "INST_NO"), "U1");
    EXPECT_EQ(get(zelko::AttrGetJoined, "OP_NAME"), "<none>");

    EXPECT_EQ(zelko::AttrSetValue(cb, "inst_no", "  U2 "), 1);
    EXPECT_EQ(zelko::AttrSetText(cb, "PIN2", " 9"), 1);
    EXPECT_EQ(zelko::AttrSetText(cb, "OP_NAME", "(TO)"), 0);  // sets only what exists
    {
        // An attribute another reader holds cannot be changed: zero, text unchanged.
        AcDbBlockReference* ref = nullptr;
        ASSERT_EQ(acdbOpenObject(ref, cb, AcDb::kForRead), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(ref->attributeIterator());
        AcDbAttribute* name = nullptr;
        ASSERT_EQ(acdbOpenObject(name, it->objectId(), AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(zelko::AttrSetText(cb, "NAME", "QF"), 0);
        EXPECT_NE(zelko::MakerLastError().find("'NAME' cannot be changed"), std::string::npos);
        name->close();
        ref->close();
    }
    ASSERT_EQ(m_db.saveAs(layout().c_str()), Acad::eOk);
    EXPECT_NE(Python("inserts", layout()).find("PIN2= 9 PINX=x BAN_NO=P1 INST_NO=U2 "),
              std::string::npos);
}

TEST_F(SymbolsTest, AttributeLayerComesFromTheDefinition) {
    std::string layer;
    EXPECT_TRUE(zelko::SymAttrLayer(m_refs[0], "wiredirection1", layer));
    EXPECT_EQ(layer, "PINLAYER");
    EXPECT_TRUE(zelko::SymAttrLayer(m_refs[0], "NAME", layer));
    EXPECT_EQ(layer, "NAMES");
    EXPECT_FALSE(zelko::SymAttrLayer(m_refs[0], "TUBEDIRECTION1", layer));
    EXPECT_EQ(layer, "");
    EXPECT_FALSE(zelko::SymAttrLayer(OfType(m_db, "LINE").at(0), "NAME", layer));
}

TEST_F(SymbolsTest, PanelNumberComesOnlyFromATitleBlock) {
    std::string panelNo = "x";
    // The symbols carry BAN_NO, but no reference of the block TITLE does.
    EXPECT_EQ(zelko::ProjPanelNoOfDrawing(&m_db, panelNo), 0);
    EXPECT_EQ(panelNo, "");
    EXPECT_EQ(zelko::ProjPanelNoOfDrawing(nullptr, panelNo), 0);
}

TEST_F(SymbolsTest, InsertedBlockCarriesItsAttributesOnANewLayer) {
    AcDbObjectId block;
    ASSERT_EQ(zelko::SymLoadBlockFile(&m_db, "CB-3P", "/nonexistent.dxf", block), 1)
        << "a block the drawing has is not loaded again";
    AcDbObjectId ref;
    ASSERT_EQ(zelko::SymInsertBlock(ref, AcGePoint3d(20, 30, 0), block, &m_db, "WARNING"), 1);
    EXPECT_FALSE(ref.isNull());
    char* pin = nullptr;
    EXPECT_EQ(zelko::AttrGetText(ref, "PIN1", pin), 1);  // the definition's default text
    EXPECT_STREQ(pin, "1");
    zelko::AttrFreeValue(pin);
    ASSERT_EQ(m_db.saveAs(layout().c_str()), Acad::eOk);
    EXPECT_NE(Python("inserts", layout()).find("CB-3P WARNING 20 30 NAME= PIN1=1 WIREDIRECTION1="),
              std::string::npos);
}

TEST_F(SymbolsTest, BlockFileLoadsOnceAndMissingFilesAreNamed) {
    const fs::path markFile = m_dir.path() / "WIREDIRECTION.dxf";
    Python("mark", markFile);
    AcDbObjectId first, second;
    ASSERT_EQ(zelko::SymLoadBlockFile(&m_db, "WIREDIRECTION", markFile.string(), first), 1);
    ASSERT_EQ(zelko::SymLoadBlockFile(&m_db, "WireDirection", markFile.string(), second), 1);
    EXPECT_EQ(first, second);
    AcDbObjectId ref;
    ASSERT_EQ(zelko::SymInsertBlock(ref, AcGePoint3d(0, 0, 0), first, &m_db, "WARNING"), 1);
    AcDbBlockReference* mark = nullptr;
    ASSERT_EQ(acdbOpenObject(mark, ref, AcDb::kForRead), Acad::eOk);
    AcDbExtents extents;
    EXPECT_EQ(mark->getGeomExtents(extents), Acad::eOk);
    mark->close();
    EXPECT_DOUBLE_EQ(extents.minPoint().y, 0);  // based at the drawing's insertion base
    EXPECT_DOUBLE_EQ(extents.maxPoint().y, 10);

    AcDbObjectId none;
    EXPECT_EQ(
        zelko::SymLoadBlockFile(&m_db, "TUBEDIRECTION", (m_dir.path() / "no.dxf").string(), none),
        0);
    EXPECT_TRUE(none.isNull());
    EXPECT_NE(zelko::MakerLastError().find("TUBEDIRECTION"), std::string::npos);
}

TEST_F(SymbolsTest, ExplodeDrawsTheDefinitionWhereTheReferenceShowedIt) {
    ASSERT_EQ(zelko::SymExplode(m_db.modelSpaceId(), m_refs[0]), 1);
    ASSERT_EQ(m_db.saveAs(layout().c_str()), Acad::eOk);
    const std::string entities = Python("entities", layout());
    // Rotated by 90 degrees about (100, 50): the line (0,0)-(10,0) runs up from the position.
    EXPECT_NE(entities.find("LINE 0 100.000,50.000 100.000,60.000"), std::string::npos) << entities;
    EXPECT_NE(entities.find("CIRCLE PINLAYER 95.000,55.000 r=2"), std::string::npos) << entities;
    EXPECT_NE(entities.find("TEXT 0 CB\n"), std::string::npos) << entities;
    EXPECT_EQ(Python("inserts", layout()).find("CB-3P 0 100 50"), std::string::npos)
        << "the exploded reference is gone";
}

// A block holding one entity the explode cannot move (a MESH, after a line and a circle that
// it can) refuses the whole explode and says which: the copies made before it are taken away
// again, no attribute text is drawn, the reference stays. Saved, model space and the blocks
// read back as the drawing was.
TEST(SymExplodeRollback, AnEntityThatCannotBeMovedChangesNothing) {
    const int handles = zelko::MakerLiveHandles();
    testsupport::TempDir dir;
    const fs::path source = dir.path() / "meshed.dxf";
    Python("meshed", source);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(source.c_str()), Acad::eOk) << db.lastError();
    const std::vector<AcDbObjectId> refs = OfType(db, "INSERT");
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(zelko::SymExplode(db.modelSpaceId(), refs[0]), 0);
    EXPECT_NE(zelko::MakerLastError().find("MESH"), std::string::npos) << zelko::MakerLastError();
    EXPECT_EQ(OfType(db, "LINE").size(), 1u);
    EXPECT_TRUE(OfType(db, "CIRCLE").empty());
    EXPECT_TRUE(OfType(db, "MESH").empty());
    EXPECT_TRUE(OfType(db, "TEXT").empty());
    // Nothing stays open: the reference can be opened for write.
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, refs[0], AcDb::kForWrite), Acad::eOk);
    ref->close();
    const fs::path saved = dir.path() / "saved.dxf";
    ASSERT_EQ(db.saveAs(saved.c_str()), Acad::eOk);
    const std::string before = Python("contents", source);
    EXPECT_NE(before.find("BLOCK MESHED\n  LINE PARTS\n  CIRCLE 0\n  MESH PARTS\n"),
              std::string::npos)
        << before;
    EXPECT_EQ(Python("contents", saved), before);
    EXPECT_EQ(zelko::MakerLiveHandles(), handles);
}

}  // namespace
