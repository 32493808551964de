// Drawings pass through a read and a save unharmed; what the database writes, ezdxf reads back
// with the same content; text keeps its encoding.

#include <gtest/gtest.h>

#include <cmath>

#include "ArxTestSupport.h"
#include "support/FileSupport.h"

using namespace arxtest;

namespace {

std::string RoundTrip(const std::filesystem::path& in, const std::filesystem::path& out) {
    auto db = Read(in);
    EXPECT_EQ(db->saveAs(out.c_str()), Acad::eOk) << db->lastError();
    return testsupport::ReadBytes(out);
}

}  // namespace

// Every fixture, read and saved without changes, comes out byte for byte as it went in.
TEST(ArxRoundTrip, UnchangedDrawingsAreTheSame) {
    testsupport::TempDir dir;
    for (const char* name : {"layers", "blocks", "polylines", "groups", "unmodelled",
                             "unmodelled2000", "cp932", "utf8", "insertion"}) {
        SCOPED_TRACE(name);
        std::filesystem::path in = dir.path() / (std::string(name) + ".dxf");
        MakeFixture(name, in);
        std::string out = RoundTrip(in, dir.path() / (std::string(name) + ".out.dxf"));
        EXPECT_TRUE(out == testsupport::ReadBytes(in)) << "the saved drawing differs";
    }
}

// A drawing full of what the database does not model loses nothing when it is changed: ezdxf
// sees the same entities, objects, extended data and header.
TEST(ArxRoundTrip, UnmodelledContentSurvivesChanges) {
    testsupport::TempDir dir;
    std::filesystem::path in = dir.path() / "unmodelled.dxf";
    MakeFixture("unmodelled", in);
    std::string before = Dump(in);
    auto db = Read(in);
    // A change: a new line in model space.
    AcDbObjectId newId;
    {
        Opened<AcDbBlockTableRecord> ms(db->modelSpaceId(), AcDb::kForWrite);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(7, 7, 0));
        ASSERT_EQ(ms->appendAcDbEntity(newId, line), Acad::eOk);
        line->close();
    }
    std::filesystem::path out = dir.path() / "out.dxf";
    ASSERT_EQ(db->saveAs(out.c_str()), Acad::eOk);
    EXPECT_EQ(Audit(out).substr(0, 9), "errors=0\n") << Audit(out);
    std::string after = Dump(out);
    // Everything of before is in after, except the handle seed, which moved past the new line.
    std::vector<std::string> missing;
    std::size_t start = 0;
    while (start < before.size()) {
        std::size_t end = before.find('\n', start);
        std::string line = before.substr(start, end - start);
        start = end + 1;
        if (line.rfind("header $HANDSEED", 0) == 0)
            continue;
        if (after.find(line + "\n") == std::string::npos)
            missing.push_back(line);
    }
    for (const std::string& line : missing) {
        std::string handle = line.substr(0, line.find(' ') + 1);
        std::size_t at = after.find("\n" + handle);
        ADD_FAILURE() << "lost: " << line << "\nnow: "
                      << (at == std::string::npos
                              ? "nothing"
                              : after.substr(at + 1, after.find('\n', at + 1) - at - 1));
    }
    EXPECT_NE(after.find(newId.handle().text() + " LINE"), std::string::npos);
}

TEST(ArxEncoding, CodePage932IsReadAndWrittenInItsOwnEncoding) {
    testsupport::TempDir dir;
    std::filesystem::path in = dir.path() / "cp932.dxf";
    MakeFixture("cp932", in);
    auto db = Read(in);
    EXPECT_EQ(db->acadVersion(), "AC1018");
    EXPECT_EQ(db->textEncoding(), "CP932");
    Opened<AcDbText> first(NthOfType(*db, "TEXT"), AcDb::kForWrite);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(), "端子台");
    EXPECT_EQ(first->layerName(), "配線");
    Opened<AcDbText> second(NthOfType(*db, "TEXT", 1), AcDb::kForWrite);
    EXPECT_EQ(second->text(), "記号 ✓ mark");  // \U+2713 in the file

    // Changed text is written in CP932; what CP932 lacks becomes \U+XXXX.
    ASSERT_EQ(first->setTextString("新しい端子 ✓"), Acad::eOk);
    ASSERT_EQ(first->setLayer("配線"), Acad::eOk);
    first->close();
    std::filesystem::path out = dir.path() / "out.dxf";
    ASSERT_EQ(db->saveAs(out.c_str()), Acad::eOk);
    std::string bytes = testsupport::ReadBytes(out);
    EXPECT_NE(bytes.find("\x90\x56\x82\xb5\x82\xa2\x92\x5b\x8e\x71 \\U+2713"), std::string::npos);
    EXPECT_EQ(Query(out, "encoding"), "cp932\nAC1018\n");
    std::string texts = Query(out, "texts");
    // ezdxf leaves the escapes as they are, in its own fixture and in ours alike.
    EXPECT_EQ(texts, "配線|新しい端子 \\U+2713\n0|記号 \\U+2713 mark\n");
}

TEST(ArxEncoding, Release2007AndLaterAreUtf8) {
    testsupport::TempDir dir;
    std::filesystem::path in = dir.path() / "utf8.dxf";
    MakeFixture("utf8", in);
    auto db = Read(in);
    EXPECT_EQ(db->textEncoding(), "UTF-8");
    Opened<AcDbText> text(NthOfType(*db, "TEXT"), AcDb::kForWrite);
    EXPECT_EQ(text->text(), "端子台 ✓");
    text->setTextString("αβγ 端子");
    text->close();
    std::filesystem::path out = dir.path() / "out.dxf";
    ASSERT_EQ(db->saveAs(out.c_str()), Acad::eOk);
    EXPECT_NE(testsupport::ReadBytes(out).find("αβγ 端子"), std::string::npos);
    EXPECT_EQ(Query(out, "texts"), "配線|αβγ 端子\n");
}

TEST(ArxEncoding, EscapesInOlderFiles) {
    // A release 2000 drawing in ANSI_1252 with \U+ and \M+ escapes.
    std::string dxf =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1252\n"
        "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
        "0\nTEXT\n5\n10\n8\n0\n10\n0\n20\n0\n30\n0\n40\n1\n1\nCaf\xe9 \\U+7AEF\\U+5B50 \\M+1925B\n"
        "0\nENDSEC\n0\nEOF\n";
    auto db = ReadText(dxf);
    Opened<AcDbText> text(NthOfType(*db, "TEXT"), AcDb::kForRead);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text(), "Café 端子 端");
    // Unchanged, the bytes stay.
    EXPECT_NE(db->dxfText().find("Caf\xe9 \\U+7AEF\\U+5B50 \\M+1925B"), std::string::npos);
}

// What the database makes from nothing, ezdxf reads with the same content and audits clean.
TEST(ArxWrite, NewContentReadsBackInEzdxf) {
    AcDbDatabase db;
    RegisterApp(db, "ORVAZelko_WpDir");
    RegisterApp(db, "DWG_CHECK");
    AcDbObjectId blockId;
    {
        AcDbBlockTable* blocks = nullptr;
        ASSERT_EQ(db.getBlockTable(blocks, AcDb::kForWrite), Acad::eOk);
        auto* block = new AcDbBlockTableRecord;
        block->setName("MARK");
        ASSERT_EQ(blocks->add(blockId, block), Acad::eOk);
        block->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 5, 0)));
        block->close();
        blocks->close();
    }
    Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
    auto* line = new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(3, 4, 0));
    ms->appendAcDbEntity(line);
    line->setColorIndex(3);
    line->close();
    auto* circle = new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2.5);
    ms->appendAcDbEntity(circle);
    circle->close();
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0, 0));
    pl->addVertexAt(1, AcGePoint2d(10, 0), 0.5);
    pl->addVertexAt(2, AcGePoint2d(10, 10));
    pl->setClosed(true);
    ms->appendAcDbEntity(pl);
    resbuf* rb = acutBuildList(1001, "DWG_CHECK", 1000, "", 0);
    EXPECT_EQ(pl->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    pl->close();
    auto* mtext = new AcDbMText;
    mtext->setContents("T12");
    mtext->setTextHeight(4);
    mtext->setColorIndex(2);
    mtext->setBackgroundFill(true);
    mtext->setBackgroundFillColor(AcCmColor(17));
    ms->appendAcDbEntity(mtext);
    mtext->close();
    auto* ref = new AcDbBlockReference(AcGePoint3d(20, 30, 0), blockId);
    ref->setRotation(std::acos(-1.0) / 2);
    AcDbObjectId refId;
    ms->appendAcDbEntity(refId, ref);
    auto* attribute = new AcDbAttribute;
    attribute->setPosition(AcGePoint3d(0, 0, 0));
    ASSERT_EQ(ref->appendAttribute(attribute), Acad::eOk);
    attribute->setDatabaseDefaults();
    attribute->transformBy(ref->blockTransform());
    attribute->setTag("WIREDIRECTION1");
    attribute->setTextString("L");
    rb = acutBuildList(1001, "ORVAZelko_WpDir", 1005, refId.handle().text().c_str(), 1070, 1, 0);
    EXPECT_EQ(attribute->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    attribute->close();
    ref->close();

    testsupport::TempDir dir;
    std::filesystem::path out = dir.path() / "new.dxf";
    ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk);
    std::string audit = Audit(out);
    EXPECT_EQ(audit.substr(0, 9), "errors=0\n") << audit;
    std::string entities = Query(out, "entities");
    std::string handle = refId.handle().text();
    std::string expected =
        "LINE layer=0 (1.0, 2.0, 0.0) (3.0, 4.0, 0.0)\n"
        "CIRCLE layer=0 (5.0, 5.0, 0.0) r=2.5\n"
        "LWPOLYLINE layer=0 closed=1 [(0.0, 0.0, 0.0), (10.0, 0.0, 0.5), (10.0, 10.0, 0.0)] "
        "xdata=[('DWG_CHECK', [(1001, 'DWG_CHECK'), (1000, '')])]\n"
        "MTEXT layer=0 'T12' h=4 color=2 bg=1 bgcolor=17\n"
        "INSERT layer=0 MARK (20.0, 30.0, 0.0) rot=90 [WIREDIRECTION1=L layer=0]\n";
    EXPECT_EQ(entities, expected);

    // And this database reads its own output back.
    auto again = Read(out);
    Opened<AcDbBlockReference> ref2(NthOfType(*again, "INSERT"), AcDb::kForRead);
    AcDbObjectIterator* it = ref2->attributeIterator();
    ASSERT_FALSE(it->done());
    Opened<AcDbAttribute> a(it->objectId(), AcDb::kForRead);
    delete it;
    EXPECT_EQ(a->tagName(), "WIREDIRECTION1");
    EXPECT_EQ(XData(a.get()), "1001:ORVAZelko_WpDir 1005:" + handle + " 1070:1");
    EXPECT_EQ(a->ownerId(), ref2->objectId());
    // The attribute names its reference as owner in the file.
    std::string text = testsupport::ReadBytes(out);
    std::size_t at = text.find("\nATTRIB\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(text.find("\n330\n" + handle + "\n", at), std::string::npos);
    EXPECT_NEAR(a->position().x, 20, 1e-9);
}

TEST(ArxSave, ReplacesTheTargetOnlyWhenComplete) {
    testsupport::TempDir dir;
    std::filesystem::path target = dir.path() / "drawing.dxf";
    testsupport::WriteBytes(target, "old contents");
    AcDbDatabase db;
    {
        testsupport::FileSizeLimit limit(1000);  // the new drawing is larger: the write fails
        EXPECT_EQ(db.saveAs(target.c_str()), Acad::eFileAccessErr);
    }
    EXPECT_NE(db.lastError().find("drawing.dxf"), std::string::npos) << db.lastError();
    EXPECT_EQ(testsupport::ReadBytes(target), "old contents");
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "drawing.dxf");  // no temporary file left
    EXPECT_EQ(db.saveAs(target.c_str(), true), Acad::eOk);
    EXPECT_EQ(testsupport::ReadBytes(dir.path() / "drawing.bak"), "old contents");
    const ACHAR* name = nullptr;
    db.getFilename(name);
    EXPECT_EQ(std::string(name), target.string());
    EXPECT_EQ(db.saveAs((dir.path() / "no-such-folder" / "x.dxf").c_str()), Acad::eFileAccessErr);
}
