// Inserting a drawing into another as a block reference placed by the extents of its visible
// contents, with the steps the plug-in takes: frozen and locked layers' entities erased, off
// layers' kept, the size filter, and the dimension scale.

#include <gtest/gtest.h>

#include "ArxTestSupport.h"
#include "support/FileSupport.h"

using namespace arxtest;

namespace {

struct Layer {
    std::string name;
    bool frozen, locked;
};

// The plug-in's algorithm, written against the database only. Returns the reference's id.
AcDbObjectId InsertDrawing(AcDbDatabase& target, const std::filesystem::path& path,
                           const AcGePoint3d& point, const char* blockName) {
    AcDbDatabase side(false, true);
    if (side.readDwgFile(path.c_str(), AcDbDatabase::kForReadAndReadShare) != Acad::eOk)
        return {};
    // Layer states, then every layer released.
    std::vector<Layer> layers;
    {
        AcDbLayerTable* table = nullptr;
        EXPECT_EQ(side.getLayerTable(table, AcDb::kForRead), Acad::eOk);
        AcDbLayerTableIterator* it = nullptr;
        table->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbLayerTableRecord* layer = nullptr;
            it->getRecord(layer, AcDb::kForWrite);
            layers.push_back({layer->name(), layer->isFrozen(), layer->isLocked()});
            layer->setIsLocked(false);
            layer->setIsFrozen(false);
            layer->setIsOff(false);
            layer->close();
        }
        delete it;
        table->close();
    }
    // Hidden content erased; the box of what is left measured.
    AcDbExtents box;
    {
        AcDbBlockTable* blocks = nullptr;
        EXPECT_EQ(side.getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(blocks->getAt(ACDB_MODEL_SPACE, ms, AcDb::kForRead), Acad::eOk);
        blocks->close();
        AcDbBlockTableRecordIterator* it = nullptr;
        ms->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbEntity* e = nullptr;
            Acad::ErrorStatus es = it->getEntity(e, AcDb::kForWrite);
            if (es == Acad::eWasErased)
                continue;
            EXPECT_EQ(es, Acad::eOk);
            ACHAR* layerName = e->layer();
            for (const Layer& l : layers)
                if (l.name == layerName && (l.frozen || l.locked))
                    e->erase();
            acutDelString(layerName);
            e->close();
        }
        for (it->start(); !it->done(); it->step()) {
            AcDbEntity* e = nullptr;
            if (it->getEntity(e, AcDb::kForRead) != Acad::eOk)
                continue;
            AcDbExtents ext;
            if (e->getGeomExtents(ext) == Acad::eOk) {
                double w = ext.maxPoint().x - ext.minPoint().x;
                double h = ext.maxPoint().y - ext.minPoint().y;
                if (!((w < 0.0001 && h < 0.0001) || w >= 99999 || h >= 99999))
                    box.addExt(ext);
            }
            e->close();
        }
        delete it;
        ms->close();
    }
    if (side.dimscale() >= 0.0001)
        box.transformBy(AcGeMatrix3d::scaling(1.0 / side.dimscale()));
    AcDbObjectId blockId;
    if (target.insert(blockId, blockName, &side, true) != Acad::eOk)
        return {};
    AcGePoint3d at = point;
    if (!box.isEmpty())
        at = AcGePoint3d(point.x - box.minPoint().x, point.y - box.minPoint().y, point.z);
    Opened<AcDbBlockTableRecord> ms(target.modelSpaceId(), AcDb::kForWrite);
    auto* ref = new AcDbBlockReference(at, blockId);
    ref->setLayer("0");
    AcDbObjectId refId;
    EXPECT_EQ(ms->appendAcDbEntity(refId, ref), Acad::eOk);
    ref->close();
    return refId;
}

}  // namespace

TEST(ArxInsert, HiddenLayersSizeFilterAndDimensionScale) {
    testsupport::TempDir dir;
    std::filesystem::path source = dir.path() / "TempSymbol.dwg";  // DXF text under a .dwg name
    MakeFixture("insertion", source);
    AcDbDatabase target;
    AcDbObjectId refId = InsertDrawing(target, source, AcGePoint3d(100, 0, 0), "*U");
    ASSERT_FALSE(refId.isNull());
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    // Box of the off layer's line (10,20)-(30,40) and the circle (45..55): (10,20) to (55,55),
    // divided by the dimension scale 10: the minimum is (1,2).
    EXPECT_NEAR(ref->position().x, 99, 1e-9);
    EXPECT_NEAR(ref->position().y, -2, 1e-9);
    Opened<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
    EXPECT_TRUE(block->isAnonymous());
    EXPECT_EQ(block->name().substr(0, 2), "*U");
    AcDbBlockTableRecordIterator* it = nullptr;
    block->newIterator(it);
    std::vector<std::string> contents;
    for (; !it->done(); it->step()) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(it->getEntity(e, AcDb::kForRead), Acad::eOk);
        contents.push_back(std::string(e->dxfType()) + "@" + e->layerName());
        e->close();
    }
    delete it;
    // The frozen and the locked layer's lines are gone; the off layer's line stays.
    EXPECT_EQ(contents, (std::vector<std::string>{"LINE@OFF", "CIRCLE@0", "LINE@0", "POINT@0"}));

    // The layers came along, released; the drawing is valid for ezdxf.
    std::filesystem::path out = dir.path() / "target.dxf";
    ASSERT_EQ(target.saveAs(out.c_str()), Acad::eOk);
    std::string audit = Audit(out);
    EXPECT_EQ(audit.substr(0, 9), "errors=0\n") << audit;
    std::string layers = Query(out, "layers");
    EXPECT_NE(layers.find("OFF off=0 frozen=0 locked=0"), std::string::npos) << layers;
    std::string blocks = Query(out, "blocks");
    EXPECT_NE(blocks.find("*U1 4 CIRCLE LINE LINE POINT"), std::string::npos) << blocks;

    // A second insertion gets the next anonymous name.
    AcDbObjectId second = InsertDrawing(target, source, AcGePoint3d(200, 0, 0), "*U");
    Opened<AcDbBlockReference> ref2(second, AcDb::kForRead);
    Opened<AcDbBlockTableRecord> block2(ref2->blockTableRecord(), AcDb::kForRead);
    EXPECT_EQ(block2->name(), "*U2");
}

TEST(ArxInsert, NothingMeasuredInsertsAtThePoint) {
    testsupport::TempDir dir;
    AcDbDatabase empty;
    ASSERT_EQ(empty.saveAs((dir.path() / "empty.dxf").c_str()), Acad::eOk);
    AcDbDatabase target;
    AcDbObjectId refId =
        InsertDrawing(target, dir.path() / "empty.dxf", AcGePoint3d(5, 6, 7), "*U");
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    EXPECT_EQ(ref->position(), AcGePoint3d(5, 6, 7));
}

TEST(ArxInsert, NamedBlocksMergeAndDeepCopyMapsHandles) {
    testsupport::TempDir dir;
    MakeFixture("blocks", dir.path() / "blocks.dxf");
    auto source = Read(dir.path() / "blocks.dxf");
    AcDbDatabase target;
    AcDbObjectId blockId;
    ASSERT_EQ(target.insert(blockId, "PANEL", source.get()), Acad::eOk);
    // The source's SYMBOL block came along and the references in PANEL use it.
    Opened<AcDbBlockTable> blocks(target.blockTableId(), AcDb::kForRead);
    EXPECT_TRUE(blocks->has("SYMBOL"));
    EXPECT_TRUE(blocks->has("PANEL"));
    Opened<AcDbBlockTableRecord> panel(blockId, AcDb::kForRead);
    AcDbBlockTableRecordIterator* it = nullptr;
    panel->newIterator(it);
    AcDbObjectId refId;
    it->getEntityId(refId);
    delete it;
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->database(), &target);
    EXPECT_EQ(ref->ownerId(), blockId);
    EXPECT_EQ(XData(ref.get(), "ORVAZelko_WpPlate"), "1001:ORVAZelko_WpPlate 1000:PLATE-A 1070:7");
    AcDbObjectIterator* attributes = ref->attributeIterator();
    Opened<AcDbAttribute> pin(attributes->objectId(), AcDb::kForRead);
    delete attributes;
    EXPECT_EQ(pin->text(), "T1");
    EXPECT_EQ(pin->ownerId(), refId);
    Opened<AcDbBlockTableRecord> symbol(ref->blockTableRecord(), AcDb::kForRead);
    EXPECT_EQ(symbol->name(), "SYMBOL");
    // The source can go: the copy owns its data.
    source.reset();
    EXPECT_EQ(pin->tagName(), "PIN1");
    std::filesystem::path out = dir.path() / "out.dxf";
    ASSERT_EQ(target.saveAs(out.c_str()), Acad::eOk);
    std::string audit = Audit(out);
    EXPECT_EQ(audit.substr(0, 9), "errors=0\n") << audit;
    EXPECT_EQ(target.insert(blockId, "X", &target), Acad::eSelfReference);
}
