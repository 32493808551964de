// Geometry classes, entity transformations and extents, nested references included.

#include <gtest/gtest.h>

#include <cmath>

#include "ArxTestSupport.h"
#include "support/FileSupport.h"

using namespace arxtest;

namespace {

const double kPi = std::acos(-1.0);

void ExpectPoint(const AcGePoint3d& p, double x, double y, double z = 0) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
    EXPECT_NEAR(p.z, z, 1e-9);
}

void ExpectExtents(const AcDbExtents& e, double x0, double y0, double x1, double y1) {
    EXPECT_NEAR(e.minPoint().x, x0, 1e-9);
    EXPECT_NEAR(e.minPoint().y, y0, 1e-9);
    EXPECT_NEAR(e.maxPoint().x, x1, 1e-9);
    EXPECT_NEAR(e.maxPoint().y, y1, 1e-9);
}

AcDbObjectId Append(AcDbDatabase& db, AcDbEntity* entity, AcDbObjectId space = AcDbObjectId()) {
    Opened<AcDbBlockTableRecord> block(space.isNull() ? db.modelSpaceId() : space, AcDb::kForWrite);
    AcDbObjectId id;
    EXPECT_EQ(block->appendAcDbEntity(id, entity), Acad::eOk);
    entity->close();
    return id;
}

AcDbObjectId NewBlock(AcDbDatabase& db, const char* name) {
    Opened<AcDbBlockTable> blocks(db.blockTableId(), AcDb::kForWrite);
    auto* record = new AcDbBlockTableRecord;
    record->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(blocks->add(id, record), Acad::eOk);
    record->close();
    return id;
}

}  // namespace

TEST(ArxGeometry, VectorsAndPerpendicular) {
    AcGeVector3d z = AcGeVector3d::kZAxis;
    // The object X axis of the world plane is world X.
    EXPECT_TRUE(z.perpVector().isEqualTo(AcGeVector3d::kXAxis));
    // The arbitrary axis rule: a normal near Z uses world Y, others world Z.
    AcGeVector3d n(1, 0, 0);
    EXPECT_TRUE(n.perpVector().isEqualTo(AcGeVector3d(0, 1, 0)));
    AcGeVector3d m = AcGeVector3d(0.001, 0, 1).normal();
    EXPECT_NEAR(m.perpVector().dotProduct(m), 0, 1e-12);
    EXPECT_NEAR(m.perpVector().length(), 1, 1e-12);
    EXPECT_NEAR(n.crossProduct(AcGeVector3d::kYAxis).z, 1, 1e-12);
    AcGeVector3d r = AcGeVector3d::kXAxis;
    r.rotateBy(kPi / 2, AcGeVector3d::kZAxis);
    EXPECT_TRUE(r.isEqualTo(AcGeVector3d::kYAxis, AcGeTol()));
    EXPECT_NEAR(AcGeVector3d::kXAxis.angleTo(AcGeVector3d(-1, 0, 0)), kPi, 1e-12);
}

TEST(ArxGeometry, MatricesCompose) {
    AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)) *
                     AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    ExpectPoint(t * AcGePoint3d(1, 0, 0), 10, 1);
    ExpectPoint(t.inverse() * (t * AcGePoint3d(3, 4, 5)), 3, 4, 5);
    EXPECT_NEAR(AcGeMatrix3d::scaling(2).det(), 8, 1e-12);
    EXPECT_TRUE(t.isUniScaledOrtho());
    EXPECT_FALSE(AcGeMatrix3d::scaling(AcGeScale3d(1, 2, 1)).isUniScaledOrtho());
    AcGeMatrix3d mirror =
        AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(5, 0, 0), AcGeVector3d::kXAxis));
    ExpectPoint(mirror * AcGePoint3d(7, 1, 0), 3, 1);
    EXPECT_LT(mirror.det(), 0);
    AcGePoint3d p(1, 0, 0);
    p.rotateBy(kPi, AcGeVector3d::kZAxis, AcGePoint3d(2, 0, 0));
    ExpectPoint(p, 3, 0);
    AcGeMatrix3d toPlane = AcGeMatrix3d::worldToPlane(AcGeVector3d(0, 0, -1));
    ExpectPoint(
        AcGeMatrix3d::planeToWorld(AcGeVector3d(0, 0, -1)) * (toPlane * AcGePoint3d(1, 2, 3)), 1, 2,
        3);
}

TEST(ArxGeometry, LineSegmentsIntersect) {
    AcGeLineSeg2d a(AcGePoint2d(0, 0), AcGePoint2d(10, 0));
    AcGeLineSeg2d b(AcGePoint2d(5, -5), AcGePoint2d(5, 5));
    AcGePoint2d at;
    ASSERT_TRUE(a.intersectWith(b, at));
    EXPECT_EQ(at, AcGePoint2d(5, 0));
    AcGeLineSeg2d c(AcGePoint2d(11, -5), AcGePoint2d(11, 5));
    EXPECT_FALSE(a.intersectWith(c, at));
    AcGeLineSeg2d parallel(AcGePoint2d(0, 1), AcGePoint2d(10, 1));
    EXPECT_FALSE(a.intersectWith(parallel, at));
    // Touching at an end within the tolerance counts.
    AcGeTol tol;
    tol.setEqualPoint(0.0001);
    AcGeLineSeg2d touching(AcGePoint2d(10.00005, -1), AcGePoint2d(10.00005, 1));
    EXPECT_TRUE(a.intersectWith(touching, at, tol));
    EXPECT_FALSE(a.intersectWith(touching, at));
    EXPECT_TRUE(a.isOn(AcGePoint2d(3, 0.00005), tol));
    EXPECT_FALSE(a.isOn(AcGePoint2d(3, 0.001), tol));
    EXPECT_EQ(a.midPoint(), AcGePoint2d(5, 0));
    EXPECT_EQ(AcGeContext::gTol.equalPoint(), 1e-10);
}

TEST(ArxTransform, LinesCirclesArcsPolylines) {
    AcDbDatabase db;
    AcGeMatrix3d rotate = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    AcGeMatrix3d mirror =
        AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis));

    AcDbObjectId lineId = Append(db, new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)));
    Opened<AcDbLine> line(lineId, AcDb::kForWrite);
    ASSERT_EQ(line->transformBy(rotate), Acad::eOk);
    ExpectPoint(line->startPoint(), 0, 1);
    ExpectPoint(line->endPoint(), 0, 2);

    AcDbObjectId arcId = Append(db, new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, kPi / 2));
    Opened<AcDbArc> arc(arcId, AcDb::kForWrite);
    ASSERT_EQ(arc->transformBy(mirror), Acad::eOk);
    // The quarter from (1,0) to (0,1) mirrored in X runs from (0,1) to (-1,0).
    EXPECT_NEAR(arc->startAngle(), kPi / 2, 1e-9);
    EXPECT_NEAR(arc->endAngle(), kPi, 1e-9);
    AcDbExtents e;
    arc->getGeomExtents(e);
    ExpectExtents(e, -1, 0, 0, 1);
    EXPECT_EQ(arc->transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))),
              Acad::eCannotScaleNonUniformly);

    AcDbObjectId circleId =
        Append(db, new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1));
    Opened<AcDbCircle> circle(circleId, AcDb::kForWrite);
    ASSERT_EQ(circle->transformBy(AcGeMatrix3d::scaling(3)), Acad::eOk);
    ExpectPoint(circle->center(), 3, 3);
    EXPECT_NEAR(circle->radius(), 3, 1e-12);

    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(1, 0), 1);
    pl->addVertexAt(1, AcGePoint2d(3, 0));
    AcDbObjectId plId = Append(db, pl);
    Opened<AcDbPolyline> poly(plId, AcDb::kForWrite);
    ASSERT_EQ(poly->transformBy(mirror), Acad::eOk);
    AcGePoint3d p;
    poly->getPointAt(1, p);
    ExpectPoint(p, -3, 0);
    double bulge = 0;
    poly->getBulgeAt(0, bulge);
    EXPECT_EQ(bulge, -1);
    poly->getGeomExtents(e = AcDbExtents());
    // A half circle below the chord stays below it.
    ExpectExtents(e, -3, -1, -1, 0);
}

TEST(ArxTransform, TextsAndMText) {
    AcDbDatabase db;
    AcDbObjectId textId =
        Append(db, new AcDbText(AcGePoint3d(1, 0, 0), "ABC", AcDbObjectId(), 2, 0));
    Opened<AcDbText> text(textId, AcDb::kForWrite);
    ASSERT_EQ(text->transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) *
                                AcGeMatrix3d::scaling(2)),
              Acad::eOk);
    ExpectPoint(text->position(), 0, 2);
    EXPECT_NEAR(text->rotation(), kPi / 2, 1e-9);
    EXPECT_NEAR(text->height(), 4, 1e-9);
    EXPECT_FALSE(text->isMirroredInX());
    ASSERT_EQ(text->transformBy(
                  AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis))),
              Acad::eOk);
    EXPECT_TRUE(text->isMirroredInX());
    // Reading up, mirrored about a vertical axis: backwards, still up the page, so its glyphs'
    // x axis (against the rotation when mirrored) keeps pointing up: rotation 270 degrees.
    EXPECT_NEAR(text->rotation(), 3 * kPi / 2, 1e-9);
    ExpectPoint(text->position(), 0, 2);

    auto* mtext = new AcDbMText;
    mtext->setContents("T12");
    mtext->setTextHeight(4);
    mtext->setRotation(-kPi / 2);
    AcDbObjectId mtextId = Append(db, mtext);
    Opened<AcDbMText> m(mtextId, AcDb::kForWrite);
    EXPECT_NEAR(m->rotation(), 3 * kPi / 2, 1e-9);
    AcDbExtents e;
    ASSERT_EQ(m->getGeomExtents(e), Acad::eOk);
    // Top left attachment, turned a quarter clockwise: the text runs down from the location.
    EXPECT_NEAR(e.maxPoint().y, 0, 1e-9);
    EXPECT_LT(e.minPoint().y, -1);
    EXPECT_NEAR(e.maxPoint().x, 0, 1e-9);
    EXPECT_NEAR(e.minPoint().x, -4, 1e-9);
    ASSERT_EQ(m->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 5, 0))), Acad::eOk);
    ExpectPoint(m->location(), 5, 5);
    EXPECT_EQ(m->text(), "T12");
    // Long contents are written in chunks and read back whole.
    std::string longText(600, 'x');
    longText += "端子";
    ASSERT_EQ(m->setContents(longText.c_str()), Acad::eOk);
    EXPECT_EQ(m->text(), longText);
}

TEST(ArxTransform, BlockReferencesAndTheirAttributes) {
    AcDbDatabase db;
    AcDbObjectId blockId = NewBlock(db, "SYM");
    Append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)), blockId);
    auto* ref = new AcDbBlockReference(AcGePoint3d(100, 0, 0), blockId);
    AcDbObjectId refId = Append(db, ref);
    Opened<AcDbBlockReference> r(refId, AcDb::kForWrite);
    auto* attribute = new AcDbAttribute(AcGePoint3d(100, 0, 0), "1", "PIN1");
    AcDbObjectId attId;
    ASSERT_EQ(r->appendAttribute(attId, attribute), Acad::eOk);
    attribute->close();

    // Mirror about x = 0: the host writes a mirror as a negative X scale.
    ASSERT_EQ(r->transformBy(
                  AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis))),
              Acad::eOk);
    ExpectPoint(r->position(), -100, 0);
    EXPECT_NEAR(r->scaleFactors().sx, -1, 1e-12);
    EXPECT_NEAR(r->scaleFactors().sy, 1, 1e-12);
    EXPECT_NEAR(std::fmod(r->rotation(), 2 * kPi), 0, 1e-9);
    AcDbExtents e;
    ASSERT_EQ(r->getGeomExtents(e), Acad::eOk);
    EXPECT_NEAR(e.minPoint().x, -110, 1e-9);
    Opened<AcDbAttribute> a(attId, AcDb::kForRead);
    ExpectPoint(a->position(), -100, 0);

    // Rotation and translation keep positive scales.
    ASSERT_EQ(r->transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis)), Acad::eOk);
    ExpectPoint(r->position(), 0, -100);
    AcGePoint3d end = r->blockTransform() * AcGePoint3d(10, 0, 0);
    ExpectPoint(end, 0, -110);
}

// The extents of a reference come from its definition's contents (nested references too) and
// its attributes, transformed.
TEST(ArxExtents, NestedReferences) {
    AcDbDatabase db;
    AcDbObjectId inner = NewBlock(db, "INNER");
    Append(db, new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1), inner);
    AcDbObjectId outer = NewBlock(db, "OUTER");
    auto* nested = new AcDbBlockReference(AcGePoint3d(10, 0, 0), inner);
    nested->setScaleFactors(AcGeScale3d(2, 2, 2));
    Append(db, nested, outer);
    Append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 5, 0)), outer);
    {
        Opened<AcDbBlockTableRecord> o(outer, AcDb::kForWrite);
        o->setOrigin(AcGePoint3d(0, 5, 0));  // base point: the reference puts (0,5) at its position
    }
    auto* ref = new AcDbBlockReference(AcGePoint3d(100, 100, 0), outer);
    ref->setRotation(kPi / 2);
    AcDbObjectId refId = Append(db, ref);
    Opened<AcDbBlockReference> r(refId, AcDb::kForWrite);
    AcDbExtents e;
    ASSERT_EQ(r->getGeomExtents(e), Acad::eOk);
    // In block coordinates: circle centre (10,0) radius 2, line (0,0)-(0,5); minus the base
    // (0,5): circle (10,-5), line (0,-5)-(0,0); turned a quarter: circle (105,110) r 2, line
    // (105,100)-(100,100).
    ExpectExtents(e, 100, 100, 107, 112);
    // An attribute far away widens the box.
    auto* attribute = new AcDbAttribute(AcGePoint3d(200, 100, 0), "X", "TAG");
    attribute->setHeight(1);
    ASSERT_EQ(r->appendAttribute(attribute), Acad::eOk);
    attribute->close();
    ASSERT_EQ(r->getGeomExtents(e = AcDbExtents()), Acad::eOk);
    EXPECT_GT(e.maxPoint().x, 200);
    EXPECT_NEAR(e.maxPoint().y, 112, 1e-9);
    // A self-referencing block ends.
    auto* loop = new AcDbBlockReference(AcGePoint3d(0, 0, 0), outer);
    Append(db, loop, outer);
    EXPECT_EQ(r->getGeomExtents(e = AcDbExtents()), Acad::eOk);
}

TEST(ArxExtents, UnmodelledEntitiesThatHaveExtents) {
    testsupport::TempDir dir;
    MakeFixture("unmodelled", dir.path() / "u.dxf");
    auto db = Read(dir.path() / "u.dxf");
    int measured = 0;
    for (const AcDbObjectId& id : ModelSpace(*db)) {
        Opened<AcDbEntity> e(id, AcDb::kForRead);
        AcDbExtents ext;
        Acad::ErrorStatus es = e->getGeomExtents(ext);
        std::string_view type = id.dxfType();
        if (type == "XLINE" || type == "RAY" || type == "HATCH") {
            EXPECT_EQ(es, Acad::eInvalidExtents) << type;
            continue;
        }
        EXPECT_EQ(es, Acad::eOk) << type;
        ++measured;
        if (type == "POINT") {
            ExpectPoint(ext.minPoint(), 1, 2, 3);
        } else if (type == "DIMENSION") {
            EXPECT_NEAR(ext.maxPoint().x, 10, 0.5);
        }
    }
    EXPECT_GE(measured, 10);
}

// Blocks whose references multiply at every level end in bounded time.
TEST(ArxExtents, MultiplyingNestedReferencesEnd) {
    AcDbDatabase db;
    AcDbObjectId below = NewBlock(db, "LEVEL0");
    Append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), below);
    for (int level = 1; level <= 30; ++level) {
        AcDbObjectId block = NewBlock(db, ("LEVEL" + std::to_string(level)).c_str());
        Append(db, new AcDbBlockReference(AcGePoint3d(0, 0, 0), below), block);
        Append(db, new AcDbBlockReference(AcGePoint3d(0, 1, 0), below), block);
        below = block;
    }
    AcDbObjectId refId = Append(db, new AcDbBlockReference(AcGePoint3d(0, 0, 0), below));
    Opened<AcDbBlockReference> ref(refId, AcDb::kForRead);
    AcDbExtents e;
    EXPECT_EQ(ref->getGeomExtents(e), Acad::eOk);
    EXPECT_NEAR(e.minPoint().x, 0, 1e-9);
}
