// Entities: common properties, the modelled entity types, their extents and transformations.

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "model.h"

using namespace arx::detail;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Degrees(double radians) {
    return radians * 180.0 / kPi;
}
double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

Range EntityRange(const AcDbStub& s) {
    return subclassRange(s, "AcDbEntity");
}

AcGeVector3d NormalOf(const AcDbStub& s, Range r) {
    AcGeVector3d n = GetVector(s, r, 210, AcGeVector3d::kZAxis);
    return n.isZeroLength() ? AcGeVector3d::kZAxis : n.normal();
}

void SetNormalTag(AcDbStub& s, Range r, const AcGeVector3d& n) {
    if (n.isEqualTo(AcGeVector3d::kZAxis, AcGeTol()) && findTag(s, r, 210) < 0)
        return;
    SetVector(s, r, 210, n);
}

AcGePoint3d OcsToWcs(const AcGeVector3d& normal, const AcGePoint3d& p) {
    if (normal.isEqualTo(AcGeVector3d::kZAxis, AcGeTol()))
        return p;
    return AcGeMatrix3d::planeToWorld(normal) * p;
}

AcGePoint3d WcsToOcs(const AcGeVector3d& normal, const AcGePoint3d& p) {
    if (normal.isEqualTo(AcGeVector3d::kZAxis, AcGeTol()))
        return p;
    return AcGeMatrix3d::worldToPlane(normal) * p;
}

AcGeVector3d Linear(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    AcGeVector3d r = v;
    return r.transformBy(m);
}

// The image of the object plane with normal `n` under `m`: the new normal (the transformed
// normal direction) and whether `m` mirrors.
AcGeVector3d TransformedNormal(const AcGeMatrix3d& m, const AcGeVector3d& n, bool& mirrored) {
    AcGeVector3d x = n.perpVector();
    AcGeVector3d y = n.crossProduct(x);
    AcGeVector3d mx = Linear(m, x);
    AcGeVector3d my = Linear(m, y);
    AcGeVector3d c = mx.crossProduct(my);
    mirrored = m.det() < 0;
    c = c.normal();
    return mirrored ? -c : c;
}

// Adds the points of an arc of a circle (centre c, axes u and v in world units) from angle a0
// counter-clockwise to a1, exactly: its ends and its extreme points.
void AddArc(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& u, const AcGeVector3d& v,
            double a0, double a1, bool full) {
    auto at = [&](double a) { return c + u * std::cos(a) + v * std::sin(a); };
    if (full) {
        for (int i = 0; i < 3; ++i) {
            double ui = i == 0 ? u.x : i == 1 ? u.y : u.z;
            double vi = i == 0 ? v.x : i == 1 ? v.y : v.z;
            double a = std::atan2(vi, ui);
            ext.addPoint(at(a));
            ext.addPoint(at(a + kPi));
        }
        return;
    }
    double sweep = std::fmod(a1 - a0, 2 * kPi);
    if (sweep < 0)
        sweep += 2 * kPi;
    if (sweep == 0)
        sweep = 2 * kPi;
    ext.addPoint(at(a0));
    ext.addPoint(at(a0 + sweep));
    for (int i = 0; i < 3; ++i) {
        double ui = i == 0 ? u.x : i == 1 ? u.y : u.z;
        double vi = i == 0 ? v.x : i == 1 ? v.y : v.z;
        double a = std::atan2(vi, ui);
        for (double cand : {a, a + kPi}) {
            double d = std::fmod(cand - a0, 2 * kPi);
            if (d < 0)
                d += 2 * kPi;
            if (d <= sweep)
                ext.addPoint(at(cand));
        }
    }
}

// An estimate of a text's width: the drawing's fonts are not at hand.
double TextWidth(std::string_view utf8, double height, double widthFactor) {
    double units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        units += n >= 3 ? 1.0 : 0.7;
        i += n;
    }
    return units * height * (widthFactor > 0 ? widthFactor : 1.0);
}

AcDbStub* BlockRecordOf(const AcDbStub& insert) {
    if (insert.db == nullptr)
        return nullptr;
    std::string name = GetText(insert, dataRange(insert), 2);
    return insert.db->tableRecord("BLOCK_RECORD", name);
}

AcGePoint3d BasePoint(const AcDbStub* record) {
    if (record == nullptr || record->block() == nullptr || record->block()->begin == nullptr)
        return AcGePoint3d::kOrigin;
    return GetPoint(*record->block()->begin, dataRange(*record->block()->begin), 10);
}

// One measurement through nested blocks: the blocks being expanded (a block that contains a
// reference to itself, directly or not, is not expanded again) and a budget of entities, so
// that deeply nested references that multiply end in bounded time.
struct Expansion {
    std::vector<const AcDbStub*> path;
    std::size_t budget = 1'000'000;
    std::unordered_map<std::string_view, const AcDbStub*> records;  // by the reference's name

    const AcDbStub* recordOf(const AcDbStub& insert) {
        std::string_view name = GetRaw(insert, dataRange(insert), 2);
        auto it = records.find(name);
        if (it != records.end())
            return it->second;
        const AcDbStub* record = BlockRecordOf(insert);
        records.emplace(name, record);
        return record;
    }
};

// Block coordinates to world coordinates for a reference to `record`.
AcGeMatrix3d BlockTransform(const AcDbBlockReference& ref, const AcDbStub* record);

// Extents of the entities of a block record under `m`, nested references included.
void BlockExtents(const AcDbStub* record, const AcGeMatrix3d& m, AcDbExtents& ext,
                  Expansion& expansion);

// Extents of any stored entity under `m` (modelled or not).
void StubExtents(AcDbStub* s, const AcGeMatrix3d& m, AcDbExtents& ext, Expansion& expansion) {
    if (s->erased || expansion.budget == 0)
        return;
    --expansion.budget;
    auto* entity = AcDbEntity::cast(ObjectOf(s));
    if (entity == nullptr)
        return;
    if (auto* ref = AcDbBlockReference::cast(entity)) {
        const AcDbStub* record = expansion.recordOf(*s);
        BlockExtents(record, m * BlockTransform(*ref, record), ext, expansion);
        for (AcDbStub* child : s->children())
            StubExtents(child, m, ext, expansion);
        return;
    }
    AcDbExtents one;
    if (entity->extentsUnder(m, one) == Acad::eOk)
        ext.addExt(one);
}

void BlockExtents(const AcDbStub* record, const AcGeMatrix3d& m, AcDbExtents& ext,
                  Expansion& expansion) {
    if (record == nullptr || record->block() == nullptr)
        return;
    if (std::find(expansion.path.begin(), expansion.path.end(), record) != expansion.path.end())
        return;  // a block inside itself
    expansion.path.push_back(record);
    for (AcDbStub* e : record->block()->entities)
        StubExtents(e, m, ext, expansion);
    expansion.path.pop_back();
}

// The transformation of a text-like entity (TEXT, ATTRIB, ATTDEF) in place.
void TransformText(AcDbStub& s, const AcGeMatrix3d& m) {
    Range r = subclassRange(s, "AcDbText");
    AcGeVector3d n = NormalOf(s, r);
    double height = GetReal(s, r, 40, 1);
    double rotation = Radians(GetReal(s, r, 50, 0));
    AcGeMatrix3d toWorld = AcGeMatrix3d::planeToWorld(n);
    AcGeVector3d dir = Linear(toWorld, AcGeVector3d(std::cos(rotation), std::sin(rotation), 0));
    AcGeVector3d up = n.crossProduct(dir);
    bool mirrored = false;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    AcGeVector3d dir2 = Linear(m, dir);
    AcGeVector3d up2 = Linear(m, up);
    double scaleX = dir2.length();
    // Height: the part of the transformed up vector across the transformed direction.
    AcGeVector3d d2 = dir2.normal();
    double scaleY = (up2 - d2 * up2.dotProduct(d2)).length();
    AcGePoint3d p = m * OcsToWcs(n, GetPoint(s, r, 10));
    bool hasAlign = findTag(s, r, 11) >= 0;
    AcGePoint3d a = hasAlign ? m * OcsToWcs(n, GetPoint(s, r, 11)) : AcGePoint3d();
    // A mirror toggles the mirrored-in-X flag, which turns the glyphs' x axis against the
    // rotation's direction: the rotation then follows the image of the reading direction
    // reversed, so a text mirrored about a vertical axis reads backwards at rotation 0 rather
    // than standing on its head at 180 degrees.
    AcGeVector3d dirOcs = Linear(AcGeMatrix3d::worldToPlane(n2), mirrored ? -dir2 : dir2);
    double rot2 = std::atan2(dirOcs.y, dirOcs.x);
    SetPoint(s, r, 10, WcsToOcs(n2, p));
    r = subclassRange(s, "AcDbText");
    if (hasAlign) {
        SetPoint(s, r, 11, WcsToOcs(n2, a));
        r = subclassRange(s, "AcDbText");
    }
    SetReal(s, r, 40, height * scaleY, 10);
    r = subclassRange(s, "AcDbText");
    if (std::fabs(scaleX - scaleY) > 1e-12 * std::max(1.0, scaleY)) {
        double wf = GetReal(s, r, 41, 1.0);
        SetReal(s, r, 41, wf * scaleX / (scaleY > 0 ? scaleY : 1), 40);
        r = subclassRange(s, "AcDbText");
    }
    double deg = Degrees(rot2);
    if (std::fabs(deg) < 1e-12)
        deg = 0;
    if (deg < 0)
        deg += 360;
    if (deg != 0 || findTag(s, r, 50) >= 0) {
        SetReal(s, r, 50, deg, 1);
        r = subclassRange(s, "AcDbText");
    }
    if (mirrored) {
        long long flags = GetInt(s, r, 71, 0) ^ 2;
        SetInt(s, r, 71, flags, 50);
        r = subclassRange(s, "AcDbText");
    }
    SetNormalTag(s, r, n2);
}

std::string TextOf(const AcDbStub& s) {
    return GetText(s, subclassRange(s, "AcDbText"), 1);
}

}  // namespace

// --- AcDbEntity ----------------------------------------------------------------------------------

ACHAR* AcDbEntity::layer() const {
    return acutNewString(layerName().c_str());
}

std::string AcDbEntity::layerName() const {
    std::string name = GetText(*stub(), EntityRange(*stub()), 8);
    return name.empty() ? "0" : name;
}

AcDbObjectId AcDbEntity::layerId() const {
    if (stub()->db == nullptr)
        return {};
    return AcDbObjectId(stub()->db->tableRecord("LAYER", layerName()));
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* name, bool, bool) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    if (name == nullptr || *name == '\0')
        return Acad::eInvalidInput;
    AcDbDatabase* db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (db != nullptr && db->impl().tableRecord("LAYER", name) == nullptr)
        return Acad::eKeyNotFound;
    std::string exact = name;
    if (db != nullptr) {
        AcDbStub* rec = db->impl().tableRecord("LAYER", name);
        exact = db->impl().codec.decode(Trimmed(GetRaw(*rec, dataRange(*rec), 2)));
    }
    SetText(*stub(), EntityRange(*stub()), 8, exact);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId id, bool, bool) {
    AcDbStub* rec = id.stub();
    if (rec == nullptr || rec->type() != "LAYER")
        return Acad::eInvalidLayer;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetRaw(*stub(), EntityRange(*stub()), 8,
           rec->db == stub()->db || stub()->db == nullptr
               ? std::string(Trimmed(GetRaw(*rec, dataRange(*rec), 2)))
               : CodecOf(*stub()).encode(
                     rec->db->codec.decode(Trimmed(GetRaw(*rec, dataRange(*rec), 2)))));
    return Acad::eOk;
}

Adesk::UInt16 AcDbEntity::colorIndex() const {
    long long c = GetInt(*stub(), EntityRange(*stub()), 62, 256);
    return static_cast<Adesk::UInt16>(c < 0 ? -c : c);
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 index, bool) {
    if (index > 257)
        return Acad::eBadColorIndex;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), EntityRange(*stub()), 62, index, 8);
    return Acad::eOk;
}

AcCmColor AcDbEntity::color() const {
    return AcCmColor(colorIndex());
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, bool doSubents) {
    return setColorIndex(color.colorIndex(), doSubents);
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
    if (db == nullptr)
        db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr || assertWriteEnabled() != Acad::eOk)
        return;
    AcDbObjectId layer = db->clayer();
    if (!layer.isNull())
        setLayer(layer);
    std::string_view color = db->impl().headerRaw("$CECOLOR");
    long long c = color.empty() ? 256 : ParseInt(color, 256);
    setColorIndex(static_cast<Adesk::UInt16>(c < 0 || c > 257 ? 256 : c));
}

AcDbObjectId AcDbEntity::blockId() const {
    AcDbStub* owner = stub()->owner;
    while (owner != nullptr && owner->kind == Kind::Entity)
        owner = owner->owner;  // attributes belong to the block of their reference
    return AcDbObjectId(owner);
}

AcDbObjectIdArray AcDbEntity::subEntityIds() const {
    AcDbObjectIdArray ids;
    for (AcDbStub* child : stub()->children())
        ids.push_back(AcDbObjectId(child));
    return ids;
}

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    Acad::ErrorStatus es = extentsUnder(AcGeMatrix3d::kIdentity, extents);
    if (es != Acad::eOk)
        return es;
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

namespace {

constexpr double kTwoPi = 6.283185307179586;

enum class Space { World, Object, Vector };

void SetValueAt(AcDbStub& s, std::size_t i, double value) {
    std::string_view stored = Store(s, FormatReal(value));
    s.tags[i].data = stored.data();
    s.tags[i].size = static_cast<std::uint32_t>(stored.size());
}

// Every point (or vector) of group code `code` in the range: its x at `code`, y at `code` + 10
// and z, when written, at `code` + 20. Object points are in the plane of `n` before and of `n2`
// after.
void TransformCodes(AcDbStub& s, Range r, int code, Space space, const AcGeMatrix3d& m,
                    const AcGeVector3d& n, const AcGeVector3d& n2) {
    for (std::size_t i = r.begin; i < r.end && i < s.tags.size(); ++i) {
        if (s.tags[i].code != code)
            continue;
        const bool hasY = i + 1 < s.tags.size() && s.tags[i + 1].code == code + 10;
        const bool hasZ = hasY && i + 2 < s.tags.size() && s.tags[i + 2].code == code + 20;
        AcGePoint3d p(ParseReal(s.tags[i].value()), hasY ? ParseReal(s.tags[i + 1].value()) : 0,
                      hasZ ? ParseReal(s.tags[i + 2].value()) : 0);
        if (space == Space::World) {
            p = m * p;
        } else if (space == Space::Object) {
            p = WcsToOcs(n2, m * OcsToWcs(n, p));
        } else {
            const AcGeVector3d v = Linear(m, p.asVector());
            p = AcGePoint3d(v.x, v.y, v.z);
        }
        SetValueAt(s, i, p.x);
        if (hasY)
            SetValueAt(s, i + 1, p.y);
        if (hasZ)
            SetValueAt(s, i + 2, p.z);
    }
}

// A hatch, walked through its tags: the boundary paths (polyline vertices and bulges; line,
// arc, ellipse and spline edges), the pattern (angle, scale, line families) and the seed
// points, all in the hatch's object plane. `a` takes object points of the old plane to object
// points of the new one.
void TransformHatch(AcDbStub& s, const AcGeMatrix3d& a, double elevation, bool mirrored) {
    const Range r = subclassRange(s, "AcDbHatch");
    const AcGeVector3d ex = Linear(a, AcGeVector3d::kXAxis);
    const AcGeVector3d ey = Linear(a, AcGeVector3d::kYAxis);
    const double scale = std::sqrt(std::fabs(ex.x * ey.y - ex.y * ey.x));
    auto value = [&](std::size_t i) { return ParseReal(s.tags[i].value()); };
    auto pair = [&](std::size_t i) {
        return i + 1 < r.end && s.tags[i + 1].code == s.tags[i].code + 10;
    };
    auto point = [&](std::size_t i) {
        if (!pair(i))
            return;
        const AcGePoint3d p = a * AcGePoint3d(value(i), value(i + 1), elevation);
        SetValueAt(s, i, p.x);
        SetValueAt(s, i + 1, p.y);
    };
    auto vector = [&](std::size_t i) {
        if (!pair(i))
            return;
        const AcGeVector3d v = Linear(a, AcGeVector3d(value(i), value(i + 1), 0));
        SetValueAt(s, i, v.x);
        SetValueAt(s, i + 1, v.y);
    };
    auto wrap = [](double degrees) {
        degrees = std::fmod(degrees, 360.0);
        return degrees < 0 ? degrees + 360.0 : degrees;
    };
    // The image of a direction given in degrees.
    auto angle = [&](double degrees) {
        const AcGeVector3d v =
            Linear(a, AcGeVector3d(std::cos(Radians(degrees)), std::sin(Radians(degrees)), 0));
        return wrap(Degrees(std::atan2(v.y, v.x)));
    };
    enum class Part { Head, Paths, Pattern, Seeds } part = Part::Head;
    bool polyline = false;
    long long edge = 0;
    std::size_t start = 0;
    for (std::size_t i = r.begin; i < r.end; ++i) {
        const int code = s.tags[i].code;
        if (code == 91 && part == Part::Head) {
            part = Part::Paths;
        } else if (code == 75 && part == Part::Paths) {
            part = Part::Pattern;
        } else if (code == 98) {
            part = Part::Seeds;
        } else if (part == Part::Paths) {
            if (code == 92) {
                polyline = (ParseInt(s.tags[i].value()) & 2) != 0;
                edge = 0;
            } else if (code == 72 && !polyline) {
                edge = ParseInt(s.tags[i].value());
            } else if (code == 10) {
                point(i);
            } else if (code == 11) {
                edge == 3 ? vector(i) : point(i);  // an ellipse's major axis; line ends, fit points
            } else if (code == 12 || code == 13) {
                vector(i);
            } else if (code == 40 && edge == 2) {
                SetValueAt(s, i, value(i) * scale);  // an arc's radius
            } else if (code == 42 && polyline && mirrored) {
                SetValueAt(s, i, -value(i));
            } else if (code == 50) {
                start = i;
            } else if (code == 51 && start != 0 && (edge == 2 || edge == 3)) {
                const double from = value(start);
                const double to = value(i);
                if (edge == 2) {
                    SetValueAt(s, start, angle(mirrored ? to : from));
                    SetValueAt(s, i, angle(mirrored ? from : to));
                } else if (mirrored) {
                    // Ellipse parameters run the other way round under a mirror.
                    SetValueAt(s, start, wrap(-to));
                    SetValueAt(s, i, wrap(-from));
                }
                start = 0;
            }
        } else if (part == Part::Pattern) {
            if (code == 52 || code == 53)
                SetValueAt(s, i, angle(value(i)));
            else if (code == 41)
                SetValueAt(s, i, value(i) * scale);
            else if (code == 43)
                point(i);
            else if (code == 45)
                vector(i);
        } else if (part == Part::Seeds && code == 10) {
            point(i);
        }
    }
}

// The entity types the database reads but does not model as classes, transformed by their
// group codes: points in world or object coordinates, vectors, the normal and, under a mirror,
// the values whose sense it reverses (bulges, ellipse parameters).
Acad::ErrorStatus TransformTagged(AcDbStub& s, const AcGeMatrix3d& m) {
    const std::string_view t = s.type();
    const Range r = dataRange(s);
    const AcGeVector3d n = NormalOf(s, r);
    bool mirrored = false;
    const AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    auto codes = [&](std::initializer_list<int> list, Space space) {
        for (int code : list)
            TransformCodes(s, dataRange(s), code, space, m, n, n2);
    };
    auto normal = [&] {
        if (findTag(s, dataRange(s), 210) >= 0)
            SetVector(s, dataRange(s), 210, n2);
    };
    if (t == "POINT") {
        codes({10}, Space::World);
        normal();
    } else if (t == "3DFACE") {
        codes({10, 11, 12, 13}, Space::World);
    } else if (t == "SOLID" || t == "TRACE") {
        codes({10, 11, 12, 13}, Space::Object);
        normal();
    } else if (t == "RAY" || t == "XLINE") {
        codes({10}, Space::World);
        codes({11}, Space::Vector);
    } else if (t == "SPLINE") {
        codes({10, 11}, Space::World);
        codes({12, 13}, Space::Vector);
        normal();
    } else if (t == "LEADER") {
        codes({10}, Space::World);
        codes({211, 212, 213}, Space::Vector);
        normal();
    } else if (t == "ELLIPSE") {
        const AcGeVector3d major = GetVector(s, r, 11, AcGeVector3d::kXAxis);
        const AcGeVector3d minor = n.crossProduct(major);
        if (std::fabs(Linear(m, major).length() / major.length() -
                      Linear(m, minor).length() / std::max(minor.length(), 1e-300)) > 1e-9)
            return Acad::eCannotScaleNonUniformly;
        codes({10}, Space::World);
        codes({11}, Space::Vector);
        normal();
        if (mirrored) {
            // The image runs the other way round: parameter t becomes -t.
            const double start = GetReal(s, dataRange(s), 41, 0);
            const double end = GetReal(s, dataRange(s), 42, kTwoPi);
            if (std::fabs(end - start - kTwoPi) > 1e-12) {
                auto wrap = [](double a) {
                    a = std::fmod(a, kTwoPi);
                    return a < 0 ? a + kTwoPi : a;
                };
                SetReal(s, dataRange(s), 41, wrap(-end));
                SetReal(s, dataRange(s), 42, wrap(-start));
            }
        }
    } else if (t == "DIMENSION") {
        // The definition points, and the block that draws the dimension, which is its own.
        const std::string name =
            s.db != nullptr ? s.db->codec.decode(Trimmed(GetRaw(s, r, 2))) : "";
        AcDbStub* record = s.db != nullptr ? s.db->tableRecord("BLOCK_RECORD", name) : nullptr;
        if (record == nullptr || record->block() == nullptr || name.empty() || name[0] != '*')
            return Acad::eNotApplicable;
        for (AcDbStub* e : record->block()->entities) {
            if (e->erased)
                continue;
            AcDbEntity* entity = AcDbEntity::cast(ObjectOf(e));
            if (entity == nullptr)
                continue;
            const bool held = e->writer;
            e->writer = true;  // the dimension's write access covers its own block
            const Acad::ErrorStatus es = entity->transformBy(m);
            e->writer = held;
            if (es != Acad::eOk)
                return es;
        }
        codes({10, 13, 14, 15}, Space::World);
        codes({11, 12, 16}, Space::Object);
        if (const long rotation = findTag(s, dataRange(s), 50); rotation >= 0) {
            const double a = Radians(ParseReal(s.tags[static_cast<std::size_t>(rotation)].value()));
            const AcGeVector3d v =
                Linear(AcGeMatrix3d::worldToPlane(n2) * m * AcGeMatrix3d::planeToWorld(n),
                       AcGeVector3d(std::cos(a), std::sin(a), 0));
            double degrees = Degrees(std::atan2(v.y, v.x));
            SetValueAt(s, static_cast<std::size_t>(rotation),
                       degrees < 0 ? degrees + 360 : degrees);
        }
        normal();
    } else if (t == "HATCH") {
        const double elevation = GetPoint(s, subclassRange(s, "AcDbHatch"), 10).z;
        const AcGeMatrix3d a = AcGeMatrix3d::worldToPlane(n2) * m * AcGeMatrix3d::planeToWorld(n);
        TransformHatch(s, a, elevation, mirrored);
        const AcGePoint3d z = a * AcGePoint3d(0, 0, elevation);
        Range h = subclassRange(s, "AcDbHatch");
        if (findTag(s, h, 10) >= 0)
            SetPoint(s, h, 10, AcGePoint3d(0, 0, z.z));
        normal();
    } else if (t == "POLYLINE") {
        const long long flags = GetInt(s, r, 70, 0);
        const bool world = (flags & (8 | 16 | 64)) != 0;  // 3D polyline, mesh, polyface
        codes({10}, world ? Space::World : Space::Object);
        for (AcDbStub* vertex : s.children()) {
            TransformCodes(*vertex, dataRange(*vertex), 10, world ? Space::World : Space::Object, m,
                           n, n2);
            const long bulge = findTag(*vertex, dataRange(*vertex), 42);
            if (mirrored && bulge >= 0)
                SetValueAt(*vertex, static_cast<std::size_t>(bulge),
                           -ParseReal(vertex->tags[static_cast<std::size_t>(bulge)].value()));
        }
        normal();
    } else {
        return Acad::eNotApplicable;
    }
    return Acad::eOk;
}

}  // namespace

// The modelled classes override this; the other types the database reads are transformed by
// their tags, and types it cannot transform (meshes, images, unknown ones) answer
// eNotApplicable and stay as they are.
Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    return TransformTagged(*stub(), m);
}

// Entities the database does not model: the extents of the common ones.
Acad::ErrorStatus AcDbEntity::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    const AcDbStub& s = *stub();
    std::string_view t = s.type();
    Range r = dataRange(s);
    AcGeVector3d n = NormalOf(s, r);
    auto addWcs = [&](const AcGePoint3d& p) { ext.addPoint(m * p); };
    if (t == "POINT") {
        addWcs(GetPoint(s, r, 10));
    } else if (t == "3DFACE") {
        for (int c = 10; c <= 13; ++c)
            if (findTag(s, r, c) >= 0)
                addWcs(GetPoint(s, r, c));
    } else if (t == "SOLID" || t == "TRACE") {
        for (int c = 10; c <= 13; ++c)
            if (findTag(s, r, c) >= 0)
                addWcs(OcsToWcs(n, GetPoint(s, r, c)));
    } else if (t == "ELLIPSE") {
        AcGePoint3d c = GetPoint(s, r, 10);
        AcGeVector3d major = GetVector(s, r, 11, AcGeVector3d::kXAxis);
        double ratio = GetReal(s, r, 40, 1);
        AcGeVector3d minor = n.crossProduct(major).normal() * (major.length() * ratio);
        double a0 = GetReal(s, r, 41, 0);
        double a1 = GetReal(s, r, 42, 2 * kPi);
        bool full = std::fabs(std::fabs(a1 - a0) - 2 * kPi) < 1e-9;
        AddArc(ext, m * c, Linear(m, major), Linear(m, minor), a0, a1, full);
    } else if (t == "SPLINE" || t == "LEADER") {
        int code = 10;
        if (t == "SPLINE" && findTag(s, r, 10) < 0)
            code = 11;
        for (std::size_t i = r.begin; i < r.end; ++i)
            if (s.tags[i].code == code) {
                AcGePoint3d p(ParseReal(s.tags[i].value()), 0, 0);
                if (i + 1 < r.end && s.tags[i + 1].code == code + 10)
                    p.y = ParseReal(s.tags[i + 1].value());
                if (i + 2 < r.end && s.tags[i + 2].code == code + 20)
                    p.z = ParseReal(s.tags[i + 2].value());
                addWcs(p);
            }
    } else if (t == "POLYLINE") {
        long long flags = GetInt(s, r, 70, 0);
        bool is3d = (flags & (8 | 16 | 64)) != 0;
        double elevation = GetPoint(s, r, 10).z;
        for (AcDbStub* v : s.children()) {
            if (v->erased)
                continue;
            AcGePoint3d p = GetPoint(*v, dataRange(*v), 10);
            if (!is3d) {
                p.z = elevation;
                p = OcsToWcs(n, p);
            }
            addWcs(p);
        }
    } else if (t == "DIMENSION") {
        if (s.db != nullptr) {
            std::string name = GetText(s, r, 2);
            Expansion expansion;
            BlockExtents(s.db->tableRecord("BLOCK_RECORD", name), m, ext, expansion);
        }
    } else {
        return Acad::eInvalidExtents;
    }
    return ext.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

// --- lines, circles, arcs ------------------------------------------------------------------------

AcDbLine::AcDbLine() : AcDbLine(AcGePoint3d::kOrigin, AcGePoint3d::kOrigin) {}

AcDbLine::AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end)
    : AcDbEntity("LINE", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}}) {
    setStartPoint(start);
    setEndPoint(end);
}

AcGePoint3d AcDbLine::startPoint() const {
    return GetPoint(*stub(), subclassRange(*stub(), "AcDbLine"), 10);
}

AcGePoint3d AcDbLine::endPoint() const {
    return GetPoint(*stub(), subclassRange(*stub(), "AcDbLine"), 11);
}

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetPoint(*stub(), subclassRange(*stub(), "AcDbLine"), 10, p);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetPoint(*stub(), subclassRange(*stub(), "AcDbLine"), 11, p, true, 10);
    return Acad::eOk;
}

AcGeVector3d AcDbLine::normal() const {
    return NormalOf(*stub(), subclassRange(*stub(), "AcDbLine"));
}

Acad::ErrorStatus AcDbLine::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    ext.addPoint(m * startPoint());
    ext.addPoint(m * endPoint());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGePoint3d a = m * startPoint();
    AcGePoint3d b = m * endPoint();
    AcGeVector3d n = normal();
    setStartPoint(a);
    setEndPoint(b);
    Range r = subclassRange(*stub(), "AcDbLine");
    if (findTag(*stub(), r, 210) >= 0) {
        bool mirrored;
        SetVector(*stub(), r, 210, TransformedNormal(m, n, mirrored));
    }
    return Acad::eOk;
}

namespace {

// Centre, radius and normal live in the AcDbCircle subclass of both circles and arcs; the centre
// is stored in the object plane.
Range CircleRange(const AcDbStub& s) {
    return subclassRange(s, "AcDbCircle");
}

AcGePoint3d CircleCenter(const AcDbStub& s) {
    Range r = CircleRange(s);
    return OcsToWcs(NormalOf(s, r), GetPoint(s, r, 10));
}

void SetCircleCenter(AcDbStub& s, const AcGePoint3d& c) {
    Range r = CircleRange(s);
    SetPoint(s, r, 10, WcsToOcs(NormalOf(s, r), c));
}

double CircleRadius(const AcDbStub& s) {
    return GetReal(s, CircleRange(s), 40, 0);
}

void SetCircleRadius(AcDbStub& s, double radius) {
    SetReal(s, CircleRange(s), 40, radius, 10);
}

AcGeVector3d CircleNormal(const AcDbStub& s) {
    return NormalOf(s, CircleRange(s));
}

// A new normal, the centre kept where it is in the world.
void SetCircleNormal(AcDbStub& s, const AcGeVector3d& n) {
    AcGePoint3d c = CircleCenter(s);
    SetNormalTag(s, CircleRange(s), n.normal());
    SetCircleCenter(s, c);
}

// A new circle's or arc's centre, normal and radius.
void InitCircle(AcDbStub& s, const AcGePoint3d& center, const AcGeVector3d& normal, double radius) {
    SetNormalTag(s, CircleRange(s), normal.normal());
    SetCircleCenter(s, center);
    SetCircleRadius(s, radius);
}

}  // namespace

AcDbCircle::AcDbCircle() : AcDbCircle(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 0) {}

AcDbCircle::AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
    : AcDbEntity("CIRCLE", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbCircle"}}) {
    InitCircle(*stub(), center, normal, radius);
}

AcGePoint3d AcDbCircle::center() const {
    return CircleCenter(*stub());
}

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleCenter(*stub(), c);
    return Acad::eOk;
}

double AcDbCircle::radius() const {
    return CircleRadius(*stub());
}

Acad::ErrorStatus AcDbCircle::setRadius(double radius) {
    if (radius < 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleRadius(*stub(), radius);
    return Acad::eOk;
}

AcGeVector3d AcDbCircle::normal() const {
    return CircleNormal(*stub());
}

Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& n) {
    if (n.isZeroLength())
        return Acad::eInvalidNormal;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleNormal(*stub(), n);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    AcGeVector3d n = normal();
    AcGeVector3d x = n.perpVector() * radius();
    AcGeVector3d y = n.crossProduct(n.perpVector()) * radius();
    AddArc(ext, m * center(), Linear(m, x), Linear(m, y), 0, 2 * kPi, true);
    return Acad::eOk;
}

namespace {

// Checks that `m` scales the plane of normal `n` uniformly; returns the scale.
bool PlaneScale(const AcGeMatrix3d& m, const AcGeVector3d& n, double& scale) {
    AcGeVector3d x = Linear(m, n.perpVector());
    AcGeVector3d y = Linear(m, n.crossProduct(n.perpVector()));
    scale = x.length();
    double tol = 1e-9 * std::max(1.0, scale);
    return std::fabs(y.length() - scale) <= tol && std::fabs(x.dotProduct(y)) <= tol * scale;
}

}  // namespace

Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    double scale;
    AcGeVector3d n = normal();
    if (!PlaneScale(m, n, scale))
        return Acad::eCannotScaleNonUniformly;
    bool mirrored;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    AcGePoint3d c = m * center();
    double r = radius() * scale;
    SetNormalTag(*stub(), subclassRange(*stub(), "AcDbCircle"), n2);
    setCenter(c);
    setRadius(r);
    return Acad::eOk;
}

AcDbArc::AcDbArc() : AcDbArc(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 0, 0, 0) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : AcDbArc(center, AcGeVector3d::kZAxis, radius, startAngle, endAngle) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius,
                 double startAngle, double endAngle)
    : AcDbEntity("ARC", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbCircle"}}) {
    InitCircle(*stub(), center, normal, radius);
    std::string_view marker = Store(*stub(), "AcDbArc");
    stub()->tags.push_back(Tag{100, static_cast<std::uint32_t>(marker.size()), marker.data()});
    setStartAngle(startAngle);
    setEndAngle(endAngle);
}

AcGePoint3d AcDbArc::center() const {
    return CircleCenter(*stub());
}

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleCenter(*stub(), c);
    return Acad::eOk;
}

double AcDbArc::radius() const {
    return CircleRadius(*stub());
}

Acad::ErrorStatus AcDbArc::setRadius(double radius) {
    if (radius < 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleRadius(*stub(), radius);
    return Acad::eOk;
}

double AcDbArc::startAngle() const {
    return Radians(GetReal(*stub(), subclassRange(*stub(), "AcDbArc"), 50, 0));
}

double AcDbArc::endAngle() const {
    return Radians(GetReal(*stub(), subclassRange(*stub(), "AcDbArc"), 51, 0));
}

namespace {
double NormalDegrees(double radians) {
    double d = std::fmod(Degrees(radians), 360.0);
    return d < 0 ? d + 360.0 : d;
}
}  // namespace

Acad::ErrorStatus AcDbArc::setStartAngle(double angle) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), subclassRange(*stub(), "AcDbArc"), 50, NormalDegrees(angle));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setEndAngle(double angle) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), subclassRange(*stub(), "AcDbArc"), 51, NormalDegrees(angle), 50);
    return Acad::eOk;
}

AcGeVector3d AcDbArc::normal() const {
    return CircleNormal(*stub());
}

Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& n) {
    if (n.isZeroLength())
        return Acad::eInvalidNormal;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetCircleNormal(*stub(), n);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    AcGeVector3d n = normal();
    AcGeVector3d x = n.perpVector() * radius();
    AcGeVector3d y = n.crossProduct(n.perpVector()) * radius();
    AddArc(ext, m * center(), Linear(m, x), Linear(m, y), startAngle(), endAngle(), false);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    double scale;
    AcGeVector3d n = normal();
    if (!PlaneScale(m, n, scale))
        return Acad::eCannotScaleNonUniformly;
    AcGeVector3d x = n.perpVector();
    AcGeVector3d y = n.crossProduct(x);
    AcGePoint3d c = center();
    double r = radius();
    AcGePoint3d s = m * (c + (x * std::cos(startAngle()) + y * std::sin(startAngle())) * r);
    AcGePoint3d e = m * (c + (x * std::cos(endAngle()) + y * std::sin(endAngle())) * r);
    bool mirrored;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    AcGePoint3d c2 = m * c;
    AcGeVector3d x2 = n2.perpVector();
    AcGeVector3d y2 = n2.crossProduct(x2);
    auto angleOf = [&](const AcGePoint3d& p) {
        AcGeVector3d v = p - c2;
        return std::atan2(v.dotProduct(y2), v.dotProduct(x2));
    };
    double a0 = angleOf(s);
    double a1 = angleOf(e);
    if (mirrored)
        std::swap(a0, a1);
    SetNormalTag(*stub(), subclassRange(*stub(), "AcDbCircle"), n2);
    setCenter(c2);
    setRadius(r * scale);
    setStartAngle(a0);
    setEndAngle(a1);
    return Acad::eOk;
}

// --- lightweight polylines -----------------------------------------------------------------------

namespace {

struct Vertex {
    std::size_t index;  // of its 10 tag
    AcGePoint2d point;
    double bulge = 0;
};

std::vector<Vertex> Vertices(const AcDbStub& s) {
    std::vector<Vertex> out;
    Range r = subclassRange(s, "AcDbPolyline");
    for (std::size_t i = r.begin; i < r.end; ++i) {
        const Tag& t = s.tags[i];
        if (t.code == 10) {
            Vertex v{i, {ParseReal(t.value()), 0}, 0};
            out.push_back(v);
        } else if (t.code == 20 && !out.empty()) {
            out.back().point.y = ParseReal(t.value());
        } else if (t.code == 42 && !out.empty()) {
            out.back().bulge = ParseReal(t.value());
        }
    }
    return out;
}

// The index after the last tag of vertex `k` (its 20, 40, 41, 42, 91 tags).
std::size_t VertexEnd(const AcDbStub& s, std::size_t tagIndex, std::size_t rangeEnd) {
    std::size_t j = tagIndex + 1;
    while (j < rangeEnd) {
        int c = s.tags[j].code;
        if (c == 20 || c == 30 || c == 40 || c == 41 || c == 42 || c == 91)
            ++j;
        else
            break;
    }
    return j;
}

void SetVertexCount(AcDbStub& s) {
    Range r = subclassRange(s, "AcDbPolyline");
    SetInt(s, r, 90, static_cast<long long>(Vertices(s).size()));
}

}  // namespace

AcDbPolyline::AcDbPolyline(unsigned int)
    : AcDbEntity("LWPOLYLINE",
                 {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbPolyline"}, {90, "0"}, {70, "0"}}) {}

unsigned int AcDbPolyline::numVerts() const {
    return static_cast<unsigned int>(Vertices(*stub()).size());
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& point) const {
    auto v = Vertices(*stub());
    if (index >= v.size())
        return Acad::eInvalidIndex;
    point = v[index].point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const {
    AcGePoint2d p;
    if (Acad::ErrorStatus es = getPointAt(index, p); es != Acad::eOk)
        return es;
    point = OcsToWcs(normal(), AcGePoint3d(p.x, p.y, elevation()));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    auto v = Vertices(*stub());
    if (index >= v.size())
        return Acad::eInvalidIndex;
    bulge = v[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& point) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    auto v = Vertices(*stub());
    if (index >= v.size())
        return Acad::eInvalidIndex;
    AcDbStub& s = *stub();
    std::size_t i = v[index].index;
    std::string_view x = Store(s, FormatReal(point.x));
    std::string_view y = Store(s, FormatReal(point.y));
    s.tags[i] = Tag{10, static_cast<std::uint32_t>(x.size()), x.data()};
    if (i + 1 < s.tags.size() && s.tags[i + 1].code == 20)
        s.tags[i + 1] = Tag{20, static_cast<std::uint32_t>(y.size()), y.data()};
    else
        s.tags.insert(s.tags.begin() + static_cast<long>(i) + 1,
                      Tag{20, static_cast<std::uint32_t>(y.size()), y.data()});
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    auto v = Vertices(*stub());
    if (index >= v.size())
        return Acad::eInvalidIndex;
    AcDbStub& s = *stub();
    Range r = subclassRange(s, "AcDbPolyline");
    std::size_t end = VertexEnd(s, v[index].index, r.end);
    std::string_view b = Store(s, FormatReal(bulge));
    for (std::size_t j = v[index].index + 1; j < end; ++j)
        if (s.tags[j].code == 42) {
            s.tags[j] = Tag{42, static_cast<std::uint32_t>(b.size()), b.data()};
            return Acad::eOk;
        }
    // 42 goes after 40 and 41, before 91.
    std::size_t at = v[index].index + 1;
    while (at < end && s.tags[at].code != 91)
        ++at;
    s.tags.insert(s.tags.begin() + static_cast<long>(at),
                  Tag{42, static_cast<std::uint32_t>(b.size()), b.data()});
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& point,
                                            double bulge, double startWidth, double endWidth) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    auto v = Vertices(s);
    if (index > v.size())
        index = static_cast<unsigned int>(v.size());
    Range r = subclassRange(s, "AcDbPolyline");
    std::size_t at = index < v.size() ? v[index].index
                     : v.empty()      ? r.end
                                      : VertexEnd(s, v.back().index, r.end);
    Tags add;
    auto push = [&](int code, const std::string& value) {
        std::string_view stored = Store(s, value);
        add.push_back(Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
    };
    push(10, FormatReal(point.x));
    push(20, FormatReal(point.y));
    if (startWidth >= 0 || endWidth >= 0) {
        push(40, FormatReal(std::max(startWidth, 0.0)));
        push(41, FormatReal(std::max(endWidth, 0.0)));
    }
    if (bulge != 0)
        push(42, FormatReal(bulge));
    s.tags.insert(s.tags.begin() + static_cast<long>(at), add.begin(), add.end());
    SetVertexCount(s);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    auto v = Vertices(s);
    if (index >= v.size())
        return Acad::eInvalidIndex;
    Range r = subclassRange(s, "AcDbPolyline");
    std::size_t end = VertexEnd(s, v[index].index, r.end);
    s.tags.erase(s.tags.begin() + static_cast<long>(v[index].index),
                 s.tags.begin() + static_cast<long>(end));
    SetVertexCount(s);
    return Acad::eOk;
}

bool AcDbPolyline::isClosed() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbPolyline"), 70, 0) & 1) != 0;
}

void AcDbPolyline::setClosed(bool closed) {
    if (assertWriteEnabled() != Acad::eOk)
        return;
    Range r = subclassRange(*stub(), "AcDbPolyline");
    long long flags = GetInt(*stub(), r, 70, 0);
    SetInt(*stub(), r, 70, closed ? (flags | 1) : (flags & ~1LL), 90);
}

double AcDbPolyline::elevation() const {
    return GetReal(*stub(), subclassRange(*stub(), "AcDbPolyline"), 38, 0);
}

void AcDbPolyline::setElevation(double elevation) {
    if (assertWriteEnabled() != Acad::eOk)
        return;
    Range r = subclassRange(*stub(), "AcDbPolyline");
    if (elevation == 0 && findTag(*stub(), r, 38) < 0)
        return;
    SetReal(*stub(), r, 38, elevation, 70);
}

AcGeVector3d AcDbPolyline::normal() const {
    return NormalOf(*stub(), subclassRange(*stub(), "AcDbPolyline"));
}

void AcDbPolyline::setNormal(const AcGeVector3d& n) {
    if (assertWriteEnabled() != Acad::eOk || n.isZeroLength())
        return;
    SetNormalTag(*stub(), subclassRange(*stub(), "AcDbPolyline"), n.normal());
}

Acad::ErrorStatus AcDbPolyline::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    auto v = Vertices(*stub());
    if (v.empty())
        return Acad::eInvalidExtents;
    AcGeMatrix3d toWorld = m * AcGeMatrix3d::planeToWorld(normal());
    double z = elevation();
    std::size_t count = v.size();
    std::size_t segments = isClosed() ? count : count - 1;
    for (std::size_t i = 0; i < count; ++i)
        ext.addPoint(toWorld * AcGePoint3d(v[i].point.x, v[i].point.y, z));
    for (std::size_t i = 0; i < segments; ++i) {
        double b = v[i].bulge;
        if (b == 0)
            continue;
        AcGePoint2d p0 = v[i].point;
        AcGePoint2d p1 = v[(i + 1) % count].point;
        double chord = p0.distanceTo(p1);
        if (chord == 0)
            continue;
        // The arc through p0 and p1 with included angle 4 atan(b), counter-clockwise for b > 0.
        double theta = 4 * std::atan(b);
        double radius = chord / (2 * std::sin(theta / 2));
        AcGeVector2d d = (p1 - p0).normal();
        AcGeVector2d left(-d.y, d.x);
        double h = radius * std::cos(theta / 2);
        AcGePoint2d mid((p0.x + p1.x) / 2, (p0.y + p1.y) / 2);
        AcGePoint2d c = mid + left * h;
        double r = std::fabs(radius);
        double a0 = std::atan2(p0.y - c.y, p0.x - c.x);
        double a1 = std::atan2(p1.y - c.y, p1.x - c.x);
        if (b < 0)
            std::swap(a0, a1);
        AcGePoint3d cw = toWorld * AcGePoint3d(c.x, c.y, z);
        AddArc(ext, cw, Linear(toWorld, AcGeVector3d(r, 0, 0)),
               Linear(toWorld, AcGeVector3d(0, r, 0)), a0, a1, false);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    double scale;
    AcGeVector3d n = normal();
    if (!PlaneScale(m, n, scale))
        return Acad::eCannotScaleNonUniformly;
    bool mirrored;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    AcGeMatrix3d toNew = AcGeMatrix3d::worldToPlane(n2) * m * AcGeMatrix3d::planeToWorld(n);
    auto v = Vertices(*stub());
    double z = elevation();
    double z2 = z;
    for (unsigned i = 0; i < v.size(); ++i) {
        AcGePoint3d p = toNew * AcGePoint3d(v[i].point.x, v[i].point.y, z);
        z2 = p.z;
        setPointAt(i, AcGePoint2d(p.x, p.y));
        if (mirrored && v[i].bulge != 0)
            setBulgeAt(i, -v[i].bulge);
    }
    if (v.empty())
        z2 = (toNew * AcGePoint3d(0, 0, z)).z;
    setNormal(n2);
    setElevation(std::fabs(z2) < 1e-12 ? 0 : z2);
    // Widths scale with the plane.
    AcDbStub& s = *stub();
    Range r = subclassRange(s, "AcDbPolyline");
    for (std::size_t i = r.begin; i < r.end; ++i)
        if (s.tags[i].code == 40 || s.tags[i].code == 41 || s.tags[i].code == 43) {
            std::string_view w = Store(s, FormatReal(ParseReal(s.tags[i].value()) * scale));
            s.tags[i].data = w.data();
            s.tags[i].size = static_cast<std::uint32_t>(w.size());
        }
    return Acad::eOk;
}

// --- texts and attributes ------------------------------------------------------------------------

AcDbText::AcDbText() : AcDbText(AcGePoint3d::kOrigin, "") {}

AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId, double height,
                   double rotation)
    : AcDbEntity("TEXT", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}}) {
    Range r = subclassRange(*stub(), "AcDbText");
    SetPoint(*stub(), r, 10, position);
    SetReal(*stub(), subclassRange(*stub(), "AcDbText"), 40, height > 0 ? height : 2.5);
    SetText(*stub(), subclassRange(*stub(), "AcDbText"), 1, text ? text : "");
    if (rotation != 0)
        setRotation(rotation);
    std::string_view marker = Store(*stub(), "AcDbText");
    stub()->tags.push_back(Tag{100, static_cast<std::uint32_t>(marker.size()), marker.data()});
}

namespace {

AcGeVector3d TextNormal(const AcDbStub& s) {
    return NormalOf(s, subclassRange(s, "AcDbText"));
}

}  // namespace

AcGePoint3d AcDbText::position() const {
    Range r = subclassRange(*stub(), "AcDbText");
    return OcsToWcs(TextNormal(*stub()), GetPoint(*stub(), r, 10));
}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetPoint(*stub(), subclassRange(*stub(), "AcDbText"), 10, WcsToOcs(TextNormal(*stub()), p));
    return Acad::eOk;
}

AcGePoint3d AcDbText::alignmentPoint() const {
    Range r = subclassRange(*stub(), "AcDbText");
    if (findTag(*stub(), r, 11) < 0)
        return position();
    return OcsToWcs(TextNormal(*stub()), GetPoint(*stub(), r, 11));
}

Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetPoint(*stub(), subclassRange(*stub(), "AcDbText"), 11, WcsToOcs(TextNormal(*stub()), p));
    return Acad::eOk;
}

bool AcDbText::isDefaultAlignment() const {
    return horizontalMode() == AcDb::kTextLeft && verticalMode() == AcDb::kTextBase;
}

double AcDbText::height() const {
    return GetReal(*stub(), subclassRange(*stub(), "AcDbText"), 40, 0);
}

Acad::ErrorStatus AcDbText::setHeight(double h) {
    if (h <= 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), subclassRange(*stub(), "AcDbText"), 40, h, 10);
    return Acad::eOk;
}

double AcDbText::rotation() const {
    return Radians(GetReal(*stub(), subclassRange(*stub(), "AcDbText"), 50, 0));
}

Acad::ErrorStatus AcDbText::setRotation(double rotation) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), subclassRange(*stub(), "AcDbText"), 50, NormalDegrees(rotation), 1);
    return Acad::eOk;
}

double AcDbText::widthFactor() const {
    return GetReal(*stub(), subclassRange(*stub(), "AcDbText"), 41, 1.0);
}

Acad::ErrorStatus AcDbText::setWidthFactor(double factor) {
    if (factor <= 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), subclassRange(*stub(), "AcDbText"), 41, factor, 40);
    return Acad::eOk;
}

AcGeVector3d AcDbText::normal() const {
    return TextNormal(*stub());
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& n) {
    if (n.isZeroLength())
        return Acad::eInvalidNormal;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGePoint3d p = position();
    AcGePoint3d a = alignmentPoint();
    bool hasAlign = findTag(*stub(), subclassRange(*stub(), "AcDbText"), 11) >= 0;
    SetNormalTag(*stub(), subclassRange(*stub(), "AcDbText"), n.normal());
    setPosition(p);
    if (hasAlign)
        setAlignmentPoint(a);
    return Acad::eOk;
}

AcDb::TextHorzMode AcDbText::horizontalMode() const {
    return static_cast<AcDb::TextHorzMode>(
        GetInt(*stub(), subclassRange(*stub(), "AcDbText"), 72, 0));
}

Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode mode) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), subclassRange(*stub(), "AcDbText"), 72, mode);
    return Acad::eOk;
}

namespace {

// The tag and range of a text's vertical mode: 73 in the second text subclass of TEXT, 74 in
// the attribute subclasses.
std::pair<int, Range> VerticalTag(const AcDbStub& s, std::string_view subclass) {
    if (subclass == "AcDbText") {
        Range second = subclassRange(s, "AcDbText", 1);
        if (second.begin == second.end && findTag(s, subclassRange(s, "AcDbText"), 73) >= 0)
            return {73, subclassRange(s, "AcDbText")};
        return {73, second};
    }
    return {74, subclassRange(s, subclass)};
}

}  // namespace

AcDb::TextVertMode AcDbText::verticalMode() const {
    auto [code, range] = VerticalTag(*stub(), verticalModeSubclass());
    return static_cast<AcDb::TextVertMode>(GetInt(*stub(), range, code, 0));
}

Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode mode) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    auto [code, range] = VerticalTag(*stub(), verticalModeSubclass());
    SetInt(*stub(), range, code, mode);
    return Acad::eOk;
}

bool AcDbText::isMirroredInX() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbText"), 71, 0) & 2) != 0;
}

ACHAR* AcDbText::textString() const {
    return acutNewString(text().c_str());
}

std::string AcDbText::text() const {
    return TextOf(*stub());
}

Acad::ErrorStatus AcDbText::setTextString(const ACHAR* text) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetText(*stub(), subclassRange(*stub(), "AcDbText"), 1, text ? text : "", 40);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    std::string t = text();
    double h = height();
    double w = TextWidth(t, h, widthFactor());
    if (w == 0 && h == 0)
        return Acad::eInvalidExtents;
    AcDb::TextHorzMode hm = horizontalMode();
    AcDb::TextVertMode vm = verticalMode();
    AcGePoint3d anchor = position();
    double x0 = 0;
    double y0 = 0;
    if (!(hm == AcDb::kTextLeft && vm == AcDb::kTextBase)) {
        anchor = alignmentPoint();
        if (hm == AcDb::kTextCenter || hm == AcDb::kTextMid)
            x0 = -w / 2;
        else if (hm == AcDb::kTextRight)
            x0 = -w;
        if (hm == AcDb::kTextAlign || hm == AcDb::kTextFit) {
            anchor = position();
            w = position().distanceTo(alignmentPoint());
        }
        if (hm == AcDb::kTextMid || vm == AcDb::kTextVertMid)
            y0 = -h / 2;
        else if (vm == AcDb::kTextTop)
            y0 = -h;
        else if (vm == AcDb::kTextBottom)
            y0 = h * 0.3 - h * 0.3;  // the descent is not known: as the baseline
    }
    AcGeMatrix3d frame = m * AcGeMatrix3d::translation(anchor.asVector()) *
                         AcGeMatrix3d::planeToWorld(normal()) *
                         AcGeMatrix3d::rotation(rotation(), AcGeVector3d::kZAxis);
    double sx = isMirroredInX() ? -1 : 1;
    for (double x : {x0, x0 + w})
        for (double y : {y0, y0 + h})
            ext.addPoint(frame * AcGePoint3d(sx * x, y, 0));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    TransformText(*stub(), m);
    return Acad::eOk;
}

AcDbAttribute::AcDbAttribute() : AcDbAttribute(AcGePoint3d::kOrigin, "", "") {}

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                             AcDbObjectId)
    : AcDbText("ATTRIB", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}}) {
    Range r = subclassRange(*stub(), "AcDbText");
    SetPoint(*stub(), r, 10, position);
    SetReal(*stub(), subclassRange(*stub(), "AcDbText"), 40, 2.5);
    SetText(*stub(), subclassRange(*stub(), "AcDbText"), 1, text ? text : "");
    Tags rest = MakeTags(*stub(), {{100, "AcDbAttribute"}, {2, ""}, {70, "0"}});
    stub()->tags.insert(stub()->tags.end(), rest.begin(), rest.end());
    setTag(tag ? tag : "");
}

ACHAR* AcDbAttribute::tag() const {
    return acutNewString(tagName().c_str());
}

std::string AcDbAttribute::tagName() const {
    return GetText(*stub(), subclassRange(*stub(), "AcDbAttribute"), 2);
}

Acad::ErrorStatus AcDbAttribute::setTag(const ACHAR* tag) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetText(*stub(), subclassRange(*stub(), "AcDbAttribute"), 2, tag ? tag : "");
    return Acad::eOk;
}

bool AcDbAttribute::isInvisible() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbAttribute"), 70, 0) & 1) != 0;
}

Acad::ErrorStatus AcDbAttribute::setInvisible(bool invisible) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    Range r = subclassRange(*stub(), "AcDbAttribute");
    long long flags = GetInt(*stub(), r, 70, 0);
    SetInt(*stub(), r, 70, invisible ? (flags | 1) : (flags & ~1LL), 2);
    return Acad::eOk;
}

bool AcDbAttribute::isConstant() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbAttribute"), 70, 0) & 2) != 0;
}

ACHAR* AcDbAttributeDefinition::tag() const {
    return acutNewString(tagName().c_str());
}

std::string AcDbAttributeDefinition::tagName() const {
    return GetText(*stub(), subclassRange(*stub(), "AcDbAttributeDefinition"), 2);
}

std::string AcDbAttributeDefinition::promptText() const {
    return GetText(*stub(), subclassRange(*stub(), "AcDbAttributeDefinition"), 3);
}

bool AcDbAttributeDefinition::isConstant() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbAttributeDefinition"), 70, 0) & 2) != 0;
}

bool AcDbAttributeDefinition::isInvisible() const {
    return (GetInt(*stub(), subclassRange(*stub(), "AcDbAttributeDefinition"), 70, 0) & 1) != 0;
}

// --- multi-line texts ----------------------------------------------------------------------------

namespace {

Range MTextRange(const AcDbStub& s) {
    return subclassRange(s, "AcDbMText");
}

}  // namespace

AcDbMText::AcDbMText()
    : AcDbEntity("MTEXT", {{100, "AcDbEntity"},
                           {8, "0"},
                           {100, "AcDbMText"},
                           {10, "0.0"},
                           {20, "0.0"},
                           {30, "0.0"},
                           {40, "2.5"},
                           {41, "0.0"},
                           {71, "1"},
                           {72, "5"},
                           {1, ""}}) {}

AcGePoint3d AcDbMText::location() const {
    return GetPoint(*stub(), MTextRange(*stub()), 10);
}

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetPoint(*stub(), MTextRange(*stub()), 10, p);
    return Acad::eOk;
}

AcGeVector3d AcDbMText::normal() const {
    return NormalOf(*stub(), MTextRange(*stub()));
}

Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& n) {
    if (n.isZeroLength())
        return Acad::eInvalidNormal;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    double rot = rotation();
    SetNormalTag(*stub(), MTextRange(*stub()), n.normal());
    return setRotation(rot);
}

AcGeVector3d AcDbMText::direction() const {
    const AcDbStub& s = *stub();
    Range r = MTextRange(s);
    if (findTag(s, r, 11) >= 0) {
        AcGeVector3d d = GetVector(s, r, 11, AcGeVector3d::kXAxis);
        if (!d.isZeroLength())
            return d.normal();
    }
    double angle = GetReal(s, r, 50, 0);
    AcGeVector3d n = normal();
    return Linear(AcGeMatrix3d::planeToWorld(n), AcGeVector3d(std::cos(angle), std::sin(angle), 0));
}

Acad::ErrorStatus AcDbMText::setDirection(const AcGeVector3d& d) {
    if (d.isZeroLength())
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    RemoveTag(s, MTextRange(s), 50);
    SetVector(s, MTextRange(s), 11, d.normal(), 10);
    // The direction written as a vector needs no Z when it lies in the plane.
    return Acad::eOk;
}

double AcDbMText::rotation() const {
    AcGeVector3d d = Linear(AcGeMatrix3d::worldToPlane(normal()), direction());
    double a = std::atan2(d.y, d.x);
    return a < 0 ? a + 2 * kPi : a;
}

Acad::ErrorStatus AcDbMText::setRotation(double rotation) {
    AcGeVector3d d = Linear(AcGeMatrix3d::planeToWorld(normal()),
                            AcGeVector3d(std::cos(rotation), std::sin(rotation), 0));
    return setDirection(d);
}

double AcDbMText::textHeight() const {
    return GetReal(*stub(), MTextRange(*stub()), 40, 0);
}

Acad::ErrorStatus AcDbMText::setTextHeight(double height) {
    if (height <= 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), MTextRange(*stub()), 40, height, 10);
    return Acad::eOk;
}

double AcDbMText::width() const {
    return GetReal(*stub(), MTextRange(*stub()), 41, 0);
}

Acad::ErrorStatus AcDbMText::setWidth(double width) {
    if (width < 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), MTextRange(*stub()), 41, width, 40);
    return Acad::eOk;
}

AcDbMText::AttachmentPoint AcDbMText::attachment() const {
    long long a = GetInt(*stub(), MTextRange(*stub()), 71, 1);
    return static_cast<AttachmentPoint>(a < 1 || a > 9 ? 1 : a);
}

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint point) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), MTextRange(*stub()), 71, point, 41);
    return Acad::eOk;
}

std::string AcDbMText::text() const {
    // The contents: the 3 chunks, then the 1 tag.
    const AcDbStub& s = *stub();
    Range r = MTextRange(s);
    std::string raw;
    std::string last;
    for (std::size_t i = r.begin; i < r.end; ++i) {
        if (s.tags[i].code == 3)
            raw.append(s.tags[i].value());
        else if (s.tags[i].code == 1)
            last = std::string(s.tags[i].value());
    }
    raw += last;
    return CodecOf(s).decode(raw);
}

ACHAR* AcDbMText::contents() const {
    return acutNewString(text().c_str());
}

Acad::ErrorStatus AcDbMText::setContents(const ACHAR* text) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    std::string encoded = CodecOf(s).encode(text ? text : "");
    // Remove the old chunks; write chunks of at most 250 bytes, cut between characters.
    Range r = MTextRange(s);
    std::size_t firstAt = r.end;
    for (std::size_t i = r.begin; i < r.end;) {
        if (s.tags[i].code == 3 || s.tags[i].code == 1) {
            firstAt = std::min(firstAt, i);
            s.tags.erase(s.tags.begin() + static_cast<long>(i));
            --r.end;
        } else {
            ++i;
        }
    }
    Tags chunks;
    std::size_t pos = 0;
    bool utf8 = CodecOf(s).isUtf8();
    while (encoded.size() - pos > 250) {
        std::size_t n = 250;
        if (utf8)
            while (n > 0 && (static_cast<unsigned char>(encoded[pos + n]) & 0xC0) == 0x80)
                --n;
        else {
            // A double-byte code page: do not split a lead byte from its trail byte.
            std::size_t k = pos;
            std::size_t lastSafe = pos;
            while (k < pos + 250) {
                lastSafe = k;
                k += static_cast<unsigned char>(encoded[k]) >= 0x80 ? 2 : 1;
            }
            n = (k == pos + 250 ? k : lastSafe) - pos;
        }
        std::string_view chunk = Store(s, encoded.substr(pos, n));
        chunks.push_back(Tag{3, static_cast<std::uint32_t>(chunk.size()), chunk.data()});
        pos += n;
    }
    std::string_view rest = Store(s, encoded.substr(pos));
    chunks.push_back(Tag{1, static_cast<std::uint32_t>(rest.size()), rest.data()});
    s.tags.insert(s.tags.begin() + static_cast<long>(std::min(firstAt, r.end)), chunks.begin(),
                  chunks.end());
    return Acad::eOk;
}

bool AcDbMText::backgroundFillOn() const {
    return (GetInt(*stub(), MTextRange(*stub()), 90, 0) & 1) != 0;
}

Acad::ErrorStatus AcDbMText::setBackgroundFill(bool enable) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    long long flags = GetInt(s, MTextRange(s), 90, 0);
    flags = enable ? (flags | 1) : (flags & ~1LL);
    SetInt(s, MTextRange(s), 90, flags);
    if (enable && findTag(s, MTextRange(s), 45) < 0)
        SetReal(s, MTextRange(s), 45, 1.5, 90);
    if (enable && findTag(s, MTextRange(s), 63) < 0)
        SetInt(s, MTextRange(s), 63, 256, 90);
    if (enable && findTag(s, MTextRange(s), 441) < 0)
        SetInt(s, MTextRange(s), 441, 0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getBackgroundFillColor(AcCmColor& color) const {
    color = AcCmColor(static_cast<Adesk::UInt16>(GetInt(*stub(), MTextRange(*stub()), 63, 256)));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setBackgroundFillColor(const AcCmColor& color) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), MTextRange(*stub()), 63, color.colorIndex(), 90);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setBackgroundScaleFactor(double scale) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), MTextRange(*stub()), 45, scale, 63);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setUseBackgroundColor(bool enable) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    long long flags = GetInt(s, MTextRange(s), 90, 0);
    SetInt(s, MTextRange(s), 90, enable ? (flags | 2) : (flags & ~2LL));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    std::string t = text();
    double h = textHeight();
    // Lines split at \P; format codes count as text (an estimate).
    double widest = 0;
    int lines = 1;
    std::size_t start = 0;
    while (true) {
        std::size_t p = t.find("\\P", start);
        std::string_view line = std::string_view(t).substr(
            start, p == std::string::npos ? std::string::npos : p - start);
        widest = std::max(widest, TextWidth(line, h, 1.0));
        if (p == std::string::npos)
            break;
        ++lines;
        start = p + 2;
    }
    double w = width() > 0 ? std::min(width(), widest) : widest;
    double totalHeight = h + (lines - 1) * h * 5.0 / 3.0;
    int a = attachment();
    double x0 = (a - 1) % 3 == 0 ? 0 : (a - 1) % 3 == 1 ? -w / 2 : -w;
    double y0 = a <= 3 ? -totalHeight : a <= 6 ? -totalHeight / 2 : 0;
    AcGeVector3d n = normal();
    AcGeVector3d d = direction();
    AcGeVector3d up = n.crossProduct(d).normal();
    AcGeMatrix3d frame;
    frame.setCoordSystem(location(), d, up, n);
    frame = m * frame;
    for (double x : {x0, x0 + w})
        for (double y : {y0, y0 + totalHeight})
            ext.addPoint(frame * AcGePoint3d(x, y, 0));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGeVector3d n = normal();
    AcGeVector3d d = direction();
    AcGeVector3d up = n.crossProduct(d);
    bool mirrored;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    AcGeVector3d d2 = Linear(m, d);
    AcGeVector3d up2 = Linear(m, up);
    double sx = d2.length();
    AcGeVector3d dn = d2.normal();
    double sy = (up2 - dn * up2.dotProduct(dn)).length();
    if (mirrored)
        dn = -dn;  // keep the text readable
    AcGePoint3d loc = m * location();
    SetNormalTag(*stub(), MTextRange(*stub()), n2);
    setLocation(loc);
    setDirection(dn);
    setTextHeight(textHeight() * (sy > 0 ? sy : 1));
    if (width() > 0)
        setWidth(width() * sx);
    return Acad::eOk;
}

// --- block references ----------------------------------------------------------------------------

namespace {

Range InsertRange(const AcDbStub& s) {
    return subclassRange(s, "AcDbBlockReference");
}

}  // namespace

AcDbBlockReference::AcDbBlockReference()
    : AcDbBlockReference(AcGePoint3d::kOrigin, AcDbObjectId()) {}

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId record)
    : AcDbEntity("INSERT", {{100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {2, ""}}) {
    setBlockTableRecord(record);
    setPosition(position);
}

AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    return AcDbObjectId(BlockRecordOf(*stub()));
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub* rec = id.stub();
    if (rec == nullptr)
        return Acad::eNullObjectId;
    if (rec->type() != "BLOCK_RECORD")
        return Acad::eWrongObjectType;
    std::string name = rec->db->codec.decode(Trimmed(GetRaw(*rec, dataRange(*rec), 2)));
    SetText(*stub(), InsertRange(*stub()), 2, name);
    return Acad::eOk;
}

AcGePoint3d AcDbBlockReference::position() const {
    Range r = InsertRange(*stub());
    return OcsToWcs(NormalOf(*stub(), r), GetPoint(*stub(), r, 10));
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    Range r = InsertRange(*stub());
    SetPoint(*stub(), r, 10, WcsToOcs(NormalOf(*stub(), r), p), true, 2);
    return Acad::eOk;
}

double AcDbBlockReference::rotation() const {
    return Radians(GetReal(*stub(), InsertRange(*stub()), 50, 0));
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double rotation) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetReal(*stub(), InsertRange(*stub()), 50, NormalDegrees(rotation), 10);
    return Acad::eOk;
}

AcGeVector3d AcDbBlockReference::normal() const {
    return NormalOf(*stub(), InsertRange(*stub()));
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& n) {
    if (n.isZeroLength())
        return Acad::eInvalidNormal;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGePoint3d p = position();
    SetNormalTag(*stub(), InsertRange(*stub()), n.normal());
    return setPosition(p);
}

AcGeScale3d AcDbBlockReference::scaleFactors() const {
    Range r = InsertRange(*stub());
    return {GetReal(*stub(), r, 41, 1), GetReal(*stub(), r, 42, 1), GetReal(*stub(), r, 43, 1)};
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& s) {
    if (s.sx == 0 || s.sy == 0 || s.sz == 0)
        return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGeScale3d old = scaleFactors();
    Range r = InsertRange(*stub());
    bool any = findTag(*stub(), r, 41) >= 0 || findTag(*stub(), r, 42) >= 0 ||
               findTag(*stub(), r, 43) >= 0;
    if (!any && s.sx == 1 && s.sy == 1 && s.sz == 1 && old.sx == 1)
        return Acad::eOk;
    SetReal(*stub(), InsertRange(*stub()), 41, s.sx, 10);
    SetReal(*stub(), InsertRange(*stub()), 42, s.sy, 41);
    SetReal(*stub(), InsertRange(*stub()), 43, s.sz, 42);
    return Acad::eOk;
}

namespace {

AcGeMatrix3d BlockTransform(const AcDbBlockReference& ref, const AcDbStub* record) {
    return AcGeMatrix3d::translation(ref.position().asVector()) *
           AcGeMatrix3d::planeToWorld(ref.normal()) *
           AcGeMatrix3d::rotation(ref.rotation(), AcGeVector3d::kZAxis) *
           AcGeMatrix3d::scaling(ref.scaleFactors()) *
           AcGeMatrix3d::translation(-BasePoint(record).asVector());
}

}  // namespace

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    return BlockTransform(*this, BlockRecordOf(*stub()));
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
    std::vector<AcDbObjectId> ids;
    for (AcDbStub* child : stub()->children())
        if (child->type() == "ATTRIB")
            ids.push_back(AcDbObjectId(child));
    auto* iterator = new AcDbObjectIterator(std::move(ids));
    iterator->start();
    return iterator;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attribute) {
    AcDbObjectId id;
    return appendAttribute(id, attribute);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute) {
    id = AcDbObjectId();
    if (attribute == nullptr)
        return Acad::eNullEntityPointer;
    if (attribute->stub()->db != nullptr)
        return Acad::eAlreadyInDb;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    SetInt(s, InsertRange(s), 66, 1, 100);
    // 66 belongs right after the subclass marker.
    {
        Range r = InsertRange(s);
        long at = findTag(s, r, 66);
        if (at > static_cast<long>(r.begin)) {
            Tag t = s.tags[static_cast<std::size_t>(at)];
            s.tags.erase(s.tags.begin() + at);
            s.tags.insert(s.tags.begin() + static_cast<long>(r.begin), t);
        }
    }
    if (s.db == nullptr) {
        // Kept until the reference is added to a database.
        AcDbStub* own = attribute->stub();
        own->object.reset(attribute);
        s.kids().push_back(own);
        return Acad::eOk;
    }
    AcDbStub* child = s.db->adopt(attribute, Kind::SubEntity, &s);
    s.kids().push_back(child);
    if (s.seqend() == nullptr) {
        AcDbStub* seqend = s.db->newStub(Kind::SeqEnd);
        s.db->registerHandle(seqend, s.db->allocateHandle());
        std::string layer(Trimmed(GetRaw(s, subclassRange(s, "AcDbEntity"), 8)));
        seqend->tags = MakeTags(*seqend, {{0, "SEQEND"},
                                          {5, FormatHandle(seqend->handle)},
                                          {330, FormatHandle(s.handle)},
                                          {100, "AcDbEntity"},
                                          {8, layer.empty() ? "0" : layer}});
        seqend->owner = &s;
        s.setSeqend(seqend);
    }
    id = AcDbObjectId(child);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const {
    Expansion expansion;
    StubExtents(stub(), m, ext, expansion);
    return ext.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcGeVector3d n = normal();
    AcGeScale3d s = scaleFactors();
    AcGeMatrix3d frame =
        AcGeMatrix3d::planeToWorld(n) * AcGeMatrix3d::rotation(rotation(), AcGeVector3d::kZAxis);
    AcGeVector3d c0 = Linear(m, Linear(frame, AcGeVector3d::kXAxis)) * s.sx;
    AcGeVector3d c1 = Linear(m, Linear(frame, AcGeVector3d::kYAxis)) * s.sy;
    AcGeVector3d c2 = Linear(m, Linear(frame, AcGeVector3d::kZAxis)) * s.sz;
    bool mirrored;
    AcGeVector3d n2 = TransformedNormal(m, n, mirrored);
    if (c0.isZeroLength())
        return Acad::eDegenerateGeometry;
    AcGeVector3d xdir = c0.normal();
    double tol = 1e-9 * std::max(1.0, c0.length());
    if (std::fabs(xdir.dotProduct(c1)) > tol * std::max(1.0, c1.length()) ||
        std::fabs(xdir.dotProduct(n2)) > 1e-9)
        return Acad::eCannotScaleNonUniformly;
    double sx = c0.length();
    double sy = c1.length() * ((n2.crossProduct(xdir).dotProduct(c1) < 0) ? -1 : 1);
    double sz = c2.length() * ((c2.dotProduct(n2) < 0) ? -1 : 1);
    if (sy < 0 && sx > 0) {
        // The host's convention: a mirror is a negative X scale.
        sx = -sx;
        sy = -sy;
        xdir = -xdir;
    }
    AcGeVector3d xOcs = Linear(AcGeMatrix3d::worldToPlane(n2), xdir);
    double rot = std::atan2(xOcs.y, xOcs.x);
    AcGePoint3d p = m * position();
    SetNormalTag(*stub(), InsertRange(*stub()), n2);
    setPosition(p);
    setRotation(rot);
    setScaleFactors(AcGeScale3d(sx, sy, sz));
    // The attributes follow.
    for (AcDbStub* child : stub()->children())
        if (!child->erased && (child->type() == "ATTRIB"))
            TransformText(*child, m);
    return Acad::eOk;
}

void AcDbObjectIterator::skipErased(bool forward) {
    while (!done() && m_ids[m_index].isErased()) {
        if (forward)
            ++m_index;
        else if (m_index == 0)
            m_index = m_ids.size();
        else
            --m_index;
    }
}

void AcDbObjectIterator::step(bool backwards, bool skip) {
    if (done())
        return;
    if (backwards)
        m_index = m_index == 0 ? m_ids.size() : m_index - 1;
    else
        ++m_index;
    if (skip)
        skipErased(!backwards);
}

void AcDbObjectIterator::start(bool atEnd) {
    m_index = atEnd ? (m_ids.empty() ? 0 : m_ids.size() - 1) : 0;
    skipErased(!atEnd);
}

AcDbEntity* AcDbObjectIterator::entity() const {
    if (done())
        return nullptr;
    return AcDbEntity::cast(ObjectOf(m_ids[m_index].stub()));
}
