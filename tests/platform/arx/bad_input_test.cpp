// Malformed drawings give a clear error that names the file and the line, never a crash.

#include <gtest/gtest.h>

#include "ArxTestSupport.h"
#include "support/FileSupport.h"

using namespace arxtest;

namespace {

const std::string kHeader = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n";

struct Case {
    const char* name;   // what is wrong
    std::string text;   // the file
    const char* where;  // "test.dxf:LINE"
    const char* says;   // part of the message
};

std::vector<Case> Cases() {
    std::string entities = kHeader + "0\nSECTION\n2\nENTITIES\n";
    return {
        {"empty file", "", "test.dxf:1", "holds no drawing"},
        {"truncated value", entities + "0\nLINE\n8\n0\n10", "test.dxf:19",
         "without its value (truncated file)"},
        {"no EOF", entities + "0\nLINE\n5\n1F\n8\n0\n0\nENDSEC\n", "test.dxf:22",
         "without '0 EOF'"},
        {"section not closed", entities + "0\nLINE\n5\n1F\n", "test.dxf:11",
         "the entities section is not closed"},
        {"text as group code", entities + "0\nLINE\nabc\n0\n0\nENDSEC\n0\nEOF\n", "test.dxf:17",
         "a group code was expected, found 'abc'"},
        {"group code out of range", entities + "0\nLINE\n5000\nx\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:17", "group code 5000 is outside the range"},
        {"negative group code", entities + "0\nLINE\n-7\nx\n0\nENDSEC\n0\nEOF\n", "test.dxf:17",
         "group code -7"},
        {"binary garbage", std::string("\x01\x02\xff\xfe garbage\0\x80\n\x7f", 16), "test.dxf:1",
         "a group code was expected, found '\\x01\\x02\\xFF\\xFE garbage"},
        {"garbage after a section", entities + "0\nENDSEC\n\x89PNG\r\n\x1a\n", "test.dxf:17",
         "a group code was expected, found '\\x89PNG\\x0D'"},
        {"huge line as group code", entities + std::string(20 * 1024 * 1024, '7') + "\nx\n",
         "test.dxf:15", "a group code was expected, found '7777"},
        {"duplicate handle",
         entities + "0\nLINE\n5\n1F\n8\n0\n0\nCIRCLE\n5\n1f\n8\n0\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:21", "handle 1F of the CIRCLE is already used by the LINE at line 15"},
        {"invalid handle", entities + "0\nLINE\n5\nXYZ\n8\n0\n0\nENDSEC\n0\nEOF\n", "test.dxf:15",
         "invalid handle 'XYZ'"},
        {"handle too long", entities + "0\nLINE\n5\n11112222333344445\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:15", "invalid handle"},
        {"zero handle", entities + "0\nLINE\n5\n0\n0\nENDSEC\n0\nEOF\n", "test.dxf:15",
         "invalid handle '0'"},
        {"table not closed",
         kHeader + "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:15", "table LAYER is not closed by '0 ENDTAB'"},
        {"table without name",
         kHeader + "0\nSECTION\n2\nTABLES\n0\nTABLE\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n", "test.dxf:15",
         "a table without its name"},
        {"block not closed",
         kHeader + "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nLINE\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:15", "the block is not closed by '0 ENDBLK'"},
        {"entity outside a block", kHeader + "0\nSECTION\n2\nBLOCKS\n0\nLINE\n0\nENDSEC\n0\nEOF\n",
         "test.dxf:15", "'0 BLOCK' was expected, found '0 LINE'"},
        {"section without name", "0\nSECTION\n0\nENDSEC\n0\nEOF\n", "test.dxf:1",
         "a section without its name"},
        {"stray tag between sections", kHeader + "8\nLAYER0\n0\nEOF\n", "test.dxf:11",
         "'0 SECTION' or '0 EOF' was expected, found '8 LAYER0'"},
        {"two entities sections",
         entities + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n", "test.dxf:17",
         "a second ENTITIES section"},
        {"DWG drawing", std::string("AC1032\0\0\0\0\x1f\x01", 12) + std::string(200, '\x05'),
         "test.dxf:1", "this is a DWG drawing (AC1032); only DXF drawings can be read"},
        {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest", "test.dxf:1",
         "binary DXF"},
    };
}

}  // namespace

TEST(ArxBadInput, ClearErrorsWithFileAndLine) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        AcDbDatabase db(false, true);
        Acad::ErrorStatus es = db.readDxfText(c.text, "test.dxf");
        EXPECT_NE(es, Acad::eOk);
        const std::string& message = db.lastError();
        EXPECT_EQ(message.rfind(std::string(c.where) + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_LT(message.size(), 400u) << "a message shows only the start of a long line";
        // The database stays usable and empty.
        EXPECT_TRUE(db.modelSpaceId().isNull());
        EXPECT_EQ(db.readDxfText(kHeader + "0\nEOF\n", "again.dxf"), Acad::eOk) << db.lastError();
    }
}

TEST(ArxBadInput, FilesAreNamed) {
    testsupport::TempDir dir;
    AcDbDatabase db(false, true);
    std::filesystem::path missing = dir.path() / "missing.dwg";
    EXPECT_EQ(db.readDwgFile(missing.c_str()), Acad::eFileNotFound);
    EXPECT_NE(db.lastError().find("missing.dwg"), std::string::npos);
    std::filesystem::path dwg = dir.path() / "real.dwg";
    testsupport::WriteBytes(dwg, std::string("AC1027\0\0\0\0\0", 11) + std::string(300, '\x01'));
    EXPECT_EQ(db.readDwgFile(dwg.c_str()), Acad::eUnsupportedFileFormat);
    EXPECT_NE(db.lastError().find(dwg.string() + ":1: this is a DWG drawing"), std::string::npos)
        << db.lastError();
    EXPECT_EQ(db.readDwgFile(dir.path().c_str()), Acad::eFileAccessErr);
}

// What can be repaired is, and said.
TEST(ArxBadInput, RepairsAreReported) {
    std::string text = kHeader +
                       "0\nSECTION\n2\nENTITIES\n"
                       "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n"       // no handle
                       "0\nINSERT\n5\n20\n8\n0\n66\n1\n2\nX\n"             // attributes...
                       "0\nATTRIB\n5\n21\n330\n999\n8\n0\n2\nTAG\n1\nV\n"  // wrong owner
                       "0\nENDSEC\n0\nEOF\n";                              // ...no SEQEND
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDxfText(text, "test.dxf"), Acad::eOk) << db.lastError();
    ASSERT_EQ(db.readWarnings().size(), 2u);
    EXPECT_EQ(db.readWarnings()[0],
              "test.dxf:27: the INSERT has no SEQEND after its ATTRIB "
              "entities; one is added");
    EXPECT_NE(db.readWarnings()[1].find("test.dxf:15: the LINE had no handle"), std::string::npos)
        << db.readWarnings()[1];
    AcDbObjectId refId = NthOfType(db, "INSERT");
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    AcDbObjectIterator* it = ref->attributeIterator();
    EXPECT_EQ(it->objectId().handle().text(), "21");
    Opened<AcDbAttribute> a(it->objectId(), AcDb::kForRead);
    EXPECT_EQ(a->ownerId(), refId);
    delete it;
    std::string out = db.dxfText();
    EXPECT_NE(out.find("SEQEND"), std::string::npos);
    auto again = ReadText(out);
    EXPECT_TRUE(again->readWarnings().empty());
}
