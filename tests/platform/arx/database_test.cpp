// Reading drawings that ezdxf wrote, and the host's rules for opening, closing and erasing.

#include <gtest/gtest.h>

#include <cmath>

#include "ArxTestSupport.h"
#include "support/FileSupport.h"

using namespace arxtest;

namespace {

struct LayerState {
    bool off, frozen, locked;
    int color;
};

LayerState StateOf(AcDbDatabase& db, const char* name) {
    AcDbLayerTable* table = nullptr;
    EXPECT_EQ(db.getLayerTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* layer = nullptr;
    EXPECT_EQ(table->getAt(name, layer, AcDb::kForRead), Acad::eOk) << name;
    table->close();
    if (layer == nullptr)
        return {};
    LayerState s{layer->isOff(), layer->isFrozen(), layer->isLocked(), layer->color().colorIndex()};
    layer->close();
    return s;
}

}  // namespace

TEST(ArxRead, LayersInEveryState) {
    testsupport::TempDir dir;
    MakeFixture("layers", dir.path() / "layers.dxf");
    auto db = Read(dir.path() / "layers.dxf");
    LayerState plain = StateOf(*db, "PLAIN");
    EXPECT_FALSE(plain.off || plain.frozen || plain.locked);
    EXPECT_EQ(plain.color, 3);
    LayerState off = StateOf(*db, "offlayer");  // names compare case-insensitively
    EXPECT_TRUE(off.off);
    EXPECT_FALSE(off.frozen || off.locked);
    EXPECT_EQ(off.color, 4);
    EXPECT_TRUE(StateOf(*db, "FROZENLAYER").frozen);
    EXPECT_TRUE(StateOf(*db, "LOCKEDLAYER").locked);
    LayerState all = StateOf(*db, "ALLSTATES");
    EXPECT_TRUE(all.off && all.frozen && all.locked);
    EXPECT_EQ(all.color, 40);

    // The iterator sees every layer, "0" first.
    AcDbLayerTable* table = nullptr;
    ASSERT_EQ(db->getSymbolTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableIterator* it = nullptr;
    table->newIterator(it);
    std::vector<std::string> names;
    for (; !it->done(); it->step()) {
        AcDbLayerTableRecord* layer = nullptr;
        ASSERT_EQ(it->getRecord(layer, AcDb::kForRead), Acad::eOk);
        ACHAR* name = nullptr;
        layer->getName(name);
        names.push_back(name);
        acutDelString(name);
        layer->close();
    }
    delete it;
    table->close();
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(names[0], "0");
}

TEST(ArxRead, BlockReferencesWithAttributesAndExtendedData) {
    testsupport::TempDir dir;
    MakeFixture("blocks", dir.path() / "blocks.dxf");
    auto db = Read(dir.path() / "blocks.dxf");
    AcDbObjectId refId = NthOfType(*db, "INSERT");
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    ASSERT_TRUE(ref);
    EXPECT_NEAR(ref->position().x, 100, 1e-12);
    EXPECT_NEAR(ref->position().y, 50, 1e-12);
    EXPECT_NEAR(ref->rotation(), std::acos(-1.0) / 2, 1e-12);
    EXPECT_EQ(XData(ref.get(), "ORVAZelko_WpPlate"), "1001:ORVAZelko_WpPlate 1000:PLATE-A 1070:7");

    Opened<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->name(), "SYMBOL");
    EXPECT_TRUE(block->hasAttributeDefinitions());

    // Attributes belong to the reference they follow, whatever owner handle they carry.
    AcDbObjectIterator* it = ref->attributeIterator();
    std::vector<std::string> seen;
    for (; !it->done(); it->step()) {
        Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
        ASSERT_TRUE(attribute);
        seen.push_back(attribute->tagName() + "=" + attribute->text());
        if (attribute->tagName() == "PIN1") {
            EXPECT_EQ(XData(attribute.get()), "1001:ZELKOWP2_TANSHIBANGOU 1000:12 1010:1.5,2.5,0");
        }
        EXPECT_EQ(attribute->ownerId(), refId);
    }
    delete it;
    EXPECT_EQ(seen, (std::vector<std::string>{"PIN1=T1", "NAME=K1"}));
}

TEST(ArxRead, ClosedPolylinesWithExtendedData) {
    testsupport::TempDir dir;
    MakeFixture("polylines", dir.path() / "polylines.dxf");
    auto db = Read(dir.path() / "polylines.dxf");
    Opened<AcDbPolyline> plate(NthOfType(*db, "LWPOLYLINE"), AcDb::kForRead);
    ASSERT_TRUE(plate);
    EXPECT_EQ(plate->numVerts(), 4u);
    EXPECT_TRUE(plate->isClosed());
    AcGePoint2d p;
    ASSERT_EQ(plate->getPointAt(2, p), Acad::eOk);
    EXPECT_EQ(p, AcGePoint2d(200, 100));
    EXPECT_EQ(plate->getPointAt(4, p), Acad::eInvalidIndex);
    EXPECT_EQ(XData(plate.get(), "orvazelko_wpplate"), "1001:ORVAZelko_WpPlate 1000:PLATE-A");
    EXPECT_EQ(XData(plate.get(), "OTHER"), "");

    Opened<AcDbPolyline> arc(NthOfType(*db, "LWPOLYLINE", 1), AcDb::kForRead);
    double bulge = 0;
    ASSERT_EQ(arc->getBulgeAt(0, bulge), Acad::eOk);
    EXPECT_EQ(bulge, 1);
    AcDbExtents ext;
    ASSERT_EQ(arc->getGeomExtents(ext), Acad::eOk);
    // A half circle of radius 5 below the chord from (0,0) to (10,0) (counter-clockwise).
    EXPECT_NEAR(ext.minPoint().y, -5, 1e-9);
    EXPECT_NEAR(ext.maxPoint().y, 0, 1e-9);
    EXPECT_NEAR(ext.maxPoint().x, 10, 1e-9);
}

TEST(ArxRead, NamedAndAnonymousGroups) {
    testsupport::TempDir dir;
    MakeFixture("groups", dir.path() / "groups.dxf");
    auto db = Read(dir.path() / "groups.dxf");
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(db->getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(groups->numEntries(), 2u);
    AcDbDictionaryIterator* it = groups->newIterator();
    std::vector<std::string> seen;
    for (; !it->done(); it->next()) {
        Opened<AcDbGroup> group(it->objectId(), AcDb::kForRead);
        ASSERT_TRUE(group);
        AcDbObjectIdArray ids;
        group->allEntityIds(ids);
        std::string line = std::string(it->name()) + (group->isAnonymous() ? " anonymous" : "");
        for (const AcDbObjectId& id : ids)
            line += " " + std::string(id.dxfType());
        seen.push_back(line);
        std::string name;
        ASSERT_EQ(group->getName(name), Acad::eOk);
        EXPECT_EQ(name, it->name());
    }
    delete it;
    groups->close();
    EXPECT_EQ(seen, (std::vector<std::string>{"*A1 anonymous LINE LINE", "NAMED CIRCLE"}));
}

TEST(ArxOpen, HostRules) {
    AcDbDatabase db;
    AcDbObjectId lineId;
    {
        Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        ASSERT_EQ(ms->appendAcDbEntity(lineId, line), Acad::eOk);
        // A new entity is open for write until closed.
        EXPECT_TRUE(line->isWriteEnabled());
        AcDbObject* again = nullptr;
        EXPECT_EQ(acdbOpenAcDbObject(again, lineId, AcDb::kForRead), Acad::eWasOpenedForWrite);
        EXPECT_EQ(line->close(), Acad::eOk);
    }
    AcDbLine* reader1 = nullptr;
    AcDbLine* reader2 = nullptr;
    ASSERT_EQ(acdbOpenObject(reader1, lineId, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(reader2, lineId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(reader1, reader2);  // one object, opened twice
    AcDbLine* writer = nullptr;
    EXPECT_EQ(acdbOpenObject(writer, lineId, AcDb::kForWrite), Acad::eWasOpenedForRead);
    EXPECT_EQ(reader1->upgradeOpen(), Acad::eHadMultipleReaders);
    EXPECT_EQ(reader1->setStartPoint(AcGePoint3d(5, 5, 0)), Acad::eNotOpenForWrite);
    reader2->close();
    EXPECT_EQ(reader1->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(reader1->setStartPoint(AcGePoint3d(5, 5, 0)), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(writer, lineId, AcDb::kForWrite), Acad::eWasOpenedForWrite);
    EXPECT_EQ(reader1->downgradeOpen(), Acad::eOk);
    EXPECT_FALSE(reader1->isWriteEnabled());
    reader1->close();
    EXPECT_EQ(reader1->close(), Acad::eNotOpenForRead);

    // The wrong class.
    AcDbCircle* circle = nullptr;
    EXPECT_EQ(acdbOpenObject(circle, lineId, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_EQ(circle, nullptr);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, lineId, AcDb::kForRead), Acad::eOk);  // nothing was left open
    EXPECT_EQ(line->startPoint(), AcGePoint3d(5, 5, 0));
    EXPECT_TRUE(line->isKindOf(AcDbEntity::desc()));
    EXPECT_FALSE(line->isKindOf(AcDbText::desc()));
    line->close();

    // The null id.
    AcDbObject* nothing = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(nothing, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
}

TEST(ArxOpen, EraseAndErasedObjects) {
    AcDbDatabase db;
    AcDbObjectId ids[2];
    {
        Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
        for (auto& id : ids) {
            auto* c = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1);
            ASSERT_EQ(ms->appendAcDbEntity(id, c), Acad::eOk);
            c->close();
        }
    }
    {
        Opened<AcDbCircle> c(ids[0], AcDb::kForRead);
        EXPECT_EQ(c->erase(), Acad::eNotOpenForWrite);
        ASSERT_EQ(c->upgradeOpen(), Acad::eOk);
        EXPECT_EQ(c->erase(), Acad::eOk);
        EXPECT_TRUE(c->isErased());
    }
    EXPECT_TRUE(ids[0].isErased());
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenObject(e, ids[0], AcDb::kForRead), Acad::eWasErased);
    EXPECT_EQ(static_cast<int>(Acad::eWasErased), 87);
    EXPECT_STREQ(acadErrorStatusText(Acad::eWasErased), "eWasErased");
    ASSERT_EQ(acdbOpenObject(e, ids[0], AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(e->erase(), Acad::eWasErased);
    e->close();

    // The iterator passes over erased entities unless asked not to.
    EXPECT_EQ(ModelSpace(db), (std::vector<AcDbObjectId>{ids[1]}));
    Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* it = nullptr;
    ms->newIterator(it, true, false);
    int count = 0;
    for (; !it->done(); it->step(true, false))
        ++count;
    delete it;
    EXPECT_EQ(count, 2);

    // An erased object is not saved.
    std::string text = db.dxfText();
    EXPECT_EQ(text.find("\n" + ids[0].handle().text() + "\n"), std::string::npos);
    EXPECT_NE(text.find("\n" + ids[1].handle().text() + "\n"), std::string::npos);

    // Un-erase.
    ASSERT_EQ(acdbOpenObject(e, ids[0], AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(e->erase(false), Acad::eOk);
    e->close();
    EXPECT_EQ(ModelSpace(db).size(), 2u);
}

TEST(ArxTables, AddLayersAppsAndBlocks) {
    AcDbDatabase db;
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord;
    layer->setName("DUCT");
    EXPECT_EQ(layers->add(layer), Acad::eNotOpenForWrite);
    ASSERT_EQ(layers->upgradeOpen(), Acad::eOk);
    ASSERT_EQ(layers->add(layer), Acad::eOk);
    layer->setColor(AcCmColor(40));
    layer->setIsFrozen(true);
    layer->close();
    auto* duplicate = new AcDbLayerTableRecord;
    duplicate->setName("duct");
    EXPECT_EQ(layers->add(duplicate), Acad::eDuplicateRecordName);
    delete duplicate;
    AcDbObjectId id;
    EXPECT_EQ(layers->getAt("Duct", id), Acad::eOk);
    EXPECT_TRUE(layers->has(id));
    EXPECT_EQ(layers->getAt("NOPE", id), Acad::eKeyNotFound);
    layers->close();

    RegisterApp(db, "ZELKO_DUCT");
    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(apps->has("ZELKO_DUCT"));
    apps->close();

    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(db.getBlockTable(blocks, AcDb::kForWrite), Acad::eOk);
    auto* block = new AcDbBlockTableRecord;
    block->setName("CMARK_DUCT");
    AcDbObjectId blockId;
    ASSERT_EQ(blocks->add(blockId, block), Acad::eOk);
    ASSERT_EQ(
        block->appendAcDbEntity(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 2)),
        Acad::eOk);
    block->close();
    blocks->close();

    // A reference to it, in model space, with the layer set.
    {
        Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
        auto* ref = new AcDbBlockReference(AcGePoint3d(10, 0, 0), blockId);
        // A new entity looks its layer up in the working database.
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        EXPECT_EQ(ref->setLayer("NO SUCH LAYER"), Acad::eKeyNotFound);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        ASSERT_EQ(ms->appendAcDbEntity(ref), Acad::eOk);
        EXPECT_EQ(ref->setLayer("duct"), Acad::eOk);
        EXPECT_EQ(ref->layerName(), "DUCT");
        AcDbExtents ext;
        ASSERT_EQ(ref->getGeomExtents(ext), Acad::eOk);
        EXPECT_NEAR(ext.minPoint().x, 8, 1e-9);
        EXPECT_NEAR(ext.maxPoint().x, 12, 1e-9);
        ref->close();
    }
    testsupport::TempDir dir;
    ASSERT_EQ(db.saveAs((dir.path() / "tables.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(Audit(dir.path() / "tables.dxf").substr(0, 9), "errors=0\n");
    std::string layersSeen = Query(dir.path() / "tables.dxf", "layers");
    EXPECT_NE(layersSeen.find("DUCT off=0 frozen=1 locked=0 color=40"), std::string::npos)
        << layersSeen;
    std::string entities = Query(dir.path() / "tables.dxf", "entities");
    EXPECT_NE(entities.find("INSERT layer=DUCT CMARK_DUCT (10.0, 0.0, 0.0)"), std::string::npos)
        << entities;
}

TEST(ArxXData, SetReplaceAndRemove) {
    AcDbDatabase db;
    RegisterApp(db, "APP1");
    RegisterApp(db, "APP2");
    Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    ASSERT_EQ(ms->appendAcDbEntity(line), Acad::eOk);
    ads_point p = {1, 2, 3};
    resbuf* rb = acutBuildList(1001, "APP1", 1000, "text", 1070, 12, 1071, 70000, 1040, 2.5, 1010,
                               p, 1005, "1F", 0);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(line->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    rb = acutBuildList(1001, "APP2", 1000, "second", 0);
    EXPECT_EQ(line->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    EXPECT_EQ(XData(line),
              "1001:APP1 1000:text 1070:12 1071:70000 1040:2.5 1010:1,2,3 1005:1F "
              "1001:APP2 1000:second");
    // Replacing one application's data keeps the other's.
    rb = acutBuildList(1001, "APP1", 1000, "new", 0);
    EXPECT_EQ(line->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    EXPECT_EQ(XData(line), "1001:APP1 1000:new 1001:APP2 1000:second");
    // An application name alone removes its data.
    rb = acutBuildList(1001, "APP2", 0);
    EXPECT_EQ(line->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    EXPECT_EQ(XData(line), "1001:APP1 1000:new");
    // Unregistered applications are refused.
    rb = acutBuildList(1001, "UNKNOWN_APP", 1000, "x", 0);
    EXPECT_EQ(line->setXData(rb), Acad::eRegappIdNotFound);
    acutRelRb(rb);
    line->close();
}

TEST(ArxResbuf, BuildNewRelease) {
    resbuf* rb = acutNewRb(RTSTR);
    EXPECT_EQ(rb->restype, RTSTR);
    EXPECT_EQ(rb->resval.rstring, nullptr);
    rb->resval.rstring = acutNewString("x");
    EXPECT_EQ(acutRelRb(rb), RTNORM);
    ads_point pt = {1, 2, 3};
    rb = acutBuildList(RTSTR, "_.mirror", RTSHORT, 5, RTREAL, 1.5, RT3DPOINT, pt, RTSTR, "", 0);
    ASSERT_NE(rb, nullptr);
    EXPECT_STREQ(rb->resval.rstring, "_.mirror");
    EXPECT_EQ(rb->rbnext->resval.rint, 5);
    EXPECT_EQ(rb->rbnext->rbnext->resval.rreal, 1.5);
    EXPECT_EQ(rb->rbnext->rbnext->rbnext->resval.rpoint[2], 3);
    EXPECT_STREQ(rb->rbnext->rbnext->rbnext->rbnext->resval.rstring, "");
    EXPECT_EQ(rb->rbnext->rbnext->rbnext->rbnext->rbnext, nullptr);
    acutRelRb(rb);
    EXPECT_EQ(acutBuildList(4711, 1, 0), nullptr);  // an unknown type
}

TEST(ArxGroups, CreateAnonymousGroupAndSave) {
    AcDbDatabase db;
    AcDbObjectIdArray members;
    {
        Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
        for (int i = 0; i < 3; ++i) {
            AcDbObjectId id;
            auto* l = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
            ASSERT_EQ(ms->appendAcDbEntity(id, l), Acad::eOk);
            l->close();
            members.append(id);
        }
    }
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(db.getGroupDictionary(dict, AcDb::kForWrite), Acad::eOk);
    auto* group = new AcDbGroup("pins");
    group->setAnonymous();
    AcDbObjectId groupId;
    ASSERT_EQ(dict->setAt("*", group, groupId), Acad::eOk);
    EXPECT_EQ(group->append(members[0]), Acad::eOk);
    EXPECT_EQ(group->append(members[1]), Acad::eOk);
    EXPECT_EQ(group->append(members[1]), Acad::eAlreadyInGroup);
    EXPECT_EQ(group->numEntries(), 2u);
    std::string name;
    group->getName(name);
    EXPECT_EQ(name, "*A1");
    group->close();
    auto* named = new AcDbGroup("named");
    AcDbObjectId namedId;
    ASSERT_EQ(dict->setAt("NAMED", named, namedId), Acad::eOk);
    named->append(members[2]);
    named->close();
    dict->close();

    // Erasing a member drops it from the saved group.
    {
        Opened<AcDbLine> gone(members[1], AcDb::kForWrite);
        gone->erase();
    }
    testsupport::TempDir dir;
    ASSERT_EQ(db.saveAs((dir.path() / "groups.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(Audit(dir.path() / "groups.dxf").substr(0, 9), "errors=0\n");
    EXPECT_EQ(Query(dir.path() / "groups.dxf", "groups"), "*A1 LINE\nNAMED LINE\n");
}

TEST(ArxSortents, MoveBelow) {
    AcDbDatabase db;
    AcDbObjectIdArray ids;
    Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < 4; ++i) {
        AcDbObjectId id;
        auto* c = new AcDbCircle(AcGePoint3d(i, 0, 0), AcGeVector3d::kZAxis, 1);
        ASSERT_EQ(ms->appendAcDbEntity(id, c), Acad::eOk);
        c->close();
        ids.append(id);
    }
    AcDbSortentsTable* table = nullptr;
    EXPECT_EQ(ms->getSortentsTable(table, AcDb::kForWrite, false), Acad::eKeyNotFound);
    ASSERT_EQ(ms->getSortentsTable(table, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(table->blockId(), db.modelSpaceId());
    AcDbObjectIdArray moving;
    moving.append(ids[3]);
    moving.append(ids[2]);
    ASSERT_EQ(table->moveBelow(moving, ids[1]), Acad::eOk);
    AcDbObjectIdArray order;
    table->getFullDrawOrder(order);
    EXPECT_EQ(order, (AcDbObjectIdArray{ids[0], ids[2], ids[3], ids[1]}));
    table->close();
    // The order survives a save and a read.
    auto again = ReadText(db.dxfText());
    Opened<AcDbBlockTableRecord> ms2(again->modelSpaceId(), AcDb::kForRead);
    AcDbSortentsTable* table2 = nullptr;
    ASSERT_EQ(ms2->getSortentsTable(table2, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray order2;
    table2->getFullDrawOrder(order2);
    table2->close();
    ASSERT_EQ(order2.size(), 4u);
    EXPECT_EQ(order2[1].handle(), ids[2].handle());
    EXPECT_EQ(order2[3].handle(), ids[1].handle());
}

TEST(ArxHost, WorkingDatabaseAndDocument) {
    AcDbDatabase db;
    AcApDocument doc(&db);
    acDocManagerPtr()->setCurDocument(&doc);
    EXPECT_EQ(acDocManagerPtr()->curDocument()->database(), &db);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), &db);
    AcDbDatabase side;
    acdbHostApplicationServices()->setWorkingDatabase(&side);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), &side);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    acDocManagerPtr()->setCurDocument(nullptr);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
    EXPECT_EQ(db.currentSpaceId(), db.modelSpaceId());
    EXPECT_DOUBLE_EQ(db.dimscale(), 1.0);
    ASSERT_EQ(db.setDimscale(10), Acad::eOk);
    EXPECT_DOUBLE_EQ(db.dimscale(), 10.0);

    // Selection-set names and handles lead back to the objects.
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, db.modelSpaceId()), Acad::eOk);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
    EXPECT_EQ(back, db.modelSpaceId());
    AcDbObjectId byHandle;
    ASSERT_EQ(db.getAcDbObjectId(byHandle, false, db.modelSpaceId().handle()), Acad::eOk);
    EXPECT_EQ(byHandle, db.modelSpaceId());
    char buffer[17];
    ASSERT_TRUE(db.modelSpaceId().handle().getIntoAsciiBuffer(buffer));
    EXPECT_EQ(AcDbHandle(buffer), db.modelSpaceId().handle());
}
