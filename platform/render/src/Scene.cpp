// The walk over a drawing's model space: every entity the renderer draws becomes primitives in
// world coordinates (Scene.h); what it cannot draw is counted by type.

#include "Scene.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <utility>

#include "arx/acdb.h"
#include "common/numbers.h"
#include "common/text.h"

namespace render::detail {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxNesting = 64;

// --- the colour table ----------------------------------------------------------------------------

/// The RGB of every colour index, as the CAD host's standard palette has them (index 0, by
/// block, is never drawn as such).
constexpr std::uint32_t kPalette[256] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080,
    0xC0C0C0, 0xFF0000, 0xFF7F7F, 0xA50000, 0xA55252, 0x7F0000, 0x7F3F3F, 0x4C0000, 0x4C2626,
    0x260000, 0x261313, 0xFF3F00, 0xFF9F7F, 0xA52900, 0xA56752, 0x7F1F00, 0x7F4F3F, 0x4C1300,
    0x4C2F26, 0x260900, 0x261713, 0xFF7F00, 0xFFBF7F, 0xA55200, 0xA57C52, 0x7F3F00, 0x7F5F3F,
    0x4C2600, 0x4C3926, 0x261300, 0x261C13, 0xFFBF00, 0xFFDF7F, 0xA57C00, 0xA59152, 0x7F5F00,
    0x7F6F3F, 0x4C3900, 0x4C4226, 0x261C00, 0x262113, 0xFFFF00, 0xFFFF7F, 0xA5A500, 0xA5A552,
    0x7F7F00, 0x7F7F3F, 0x4C4C00, 0x4C4C26, 0x262600, 0x262613, 0xBFFF00, 0xDFFF7F, 0x7CA500,
    0x91A552, 0x5F7F00, 0x6F7F3F, 0x394C00, 0x424C26, 0x1C2600, 0x212613, 0x7FFF00, 0xBFFF7F,
    0x52A500, 0x7CA552, 0x3F7F00, 0x5F7F3F, 0x264C00, 0x394C26, 0x132600, 0x1C2613, 0x3FFF00,
    0x9FFF7F, 0x29A500, 0x67A552, 0x1F7F00, 0x4F7F3F, 0x134C00, 0x2F4C26, 0x092600, 0x172613,
    0x00FF00, 0x7FFF7F, 0x00A500, 0x52A552, 0x007F00, 0x3F7F3F, 0x004C00, 0x264C26, 0x002600,
    0x132613, 0x00FF3F, 0x7FFF9F, 0x00A529, 0x52A567, 0x007F1F, 0x3F7F4F, 0x004C13, 0x264C2F,
    0x002609, 0x135817, 0x00FF7F, 0x7FFFBF, 0x00A552, 0x52A57C, 0x007F3F, 0x3F7F5F, 0x004C26,
    0x264C39, 0x002613, 0x13581C, 0x00FFBF, 0x7FFFDF, 0x00A57C, 0x52A591, 0x007F5F, 0x3F7F6F,
    0x004C39, 0x264C42, 0x00261C, 0x135858, 0x00FFFF, 0x7FFFFF, 0x00A5A5, 0x52A5A5, 0x007F7F,
    0x3F7F7F, 0x004C4C, 0x264C4C, 0x002626, 0x135858, 0x00BFFF, 0x7FDFFF, 0x007CA5, 0x5291A5,
    0x005F7F, 0x3F6F7F, 0x00394C, 0x26427E, 0x001C26, 0x135858, 0x007FFF, 0x7FBFFF, 0x0052A5,
    0x527CA5, 0x003F7F, 0x3F5F7F, 0x00264C, 0x26397E, 0x001326, 0x131C58, 0x003FFF, 0x7F9FFF,
    0x0029A5, 0x5267A5, 0x001F7F, 0x3F4F7F, 0x00134C, 0x262F7E, 0x000926, 0x131758, 0x0000FF,
    0x7F7FFF, 0x0000A5, 0x5252A5, 0x00007F, 0x3F3F7F, 0x00004C, 0x26267E, 0x000026, 0x131358,
    0x3F00FF, 0x9F7FFF, 0x2900A5, 0x6752A5, 0x1F007F, 0x4F3F7F, 0x13004C, 0x2F267E, 0x090026,
    0x171358, 0x7F00FF, 0xBF7FFF, 0x5200A5, 0x7C52A5, 0x3F007F, 0x5F3F7F, 0x26004C, 0x39267E,
    0x130026, 0x1C1358, 0xBF00FF, 0xDF7FFF, 0x7C00A5, 0x9152A5, 0x5F007F, 0x6F3F7F, 0x39004C,
    0x42264C, 0x1C0026, 0x581358, 0xFF00FF, 0xFF7FFF, 0xA500A5, 0xA552A5, 0x7F007F, 0x7F3F7F,
    0x4C004C, 0x4C264C, 0x260026, 0x581358, 0xFF00BF, 0xFF7FDF, 0xA5007C, 0xA55291, 0x7F005F,
    0x7F3F6F, 0x4C0039, 0x4C2642, 0x26001C, 0x581358, 0xFF007F, 0xFF7FBF, 0xA50052, 0xA5527C,
    0x7F003F, 0x7F3F5F, 0x4C0026, 0x4C2639, 0x260013, 0x58131C, 0xFF003F, 0xFF7F9F, 0xA50029,
    0xA55267, 0x7F001F, 0x7F3F4F, 0x4C0013, 0x4C262F, 0x260009, 0x581317, 0x000000, 0x656565,
    0x666666, 0x999999, 0xCCCCCC, 0xFFFFFF,
};

std::uint32_t TableRgb(int index) {
    return index >= 1 && index <= 255 ? kPalette[index] : 0xFFFFFF;
}

// --- reading tags --------------------------------------------------------------------------------

/// An entity's tags, read in order by a cursor that looks for the next tag of a code.
class TagReader {
public:
    explicit TagReader(const AcDbObject& object) : m_tags(object.dxfTags()) {}
    const std::vector<std::pair<int, std::string>>& tags() const { return m_tags; }

    /// The first value of `code`, or null.
    const std::string* Find(int code) const {
        for (const auto& [c, v] : m_tags)
            if (c == code)
                return &v;
        return nullptr;
    }
    double Real(int code, double fallback) const { return Number(Find(code), fallback); }
    long Int(int code, long fallback) const {
        return static_cast<long>(Number(Find(code), static_cast<double>(fallback)));
    }

    // The cursor.
    void Seek(std::size_t index) { m_pos = index; }
    bool AtEnd() const { return m_pos >= m_tags.size(); }
    /// The next tag's code, or -1 at the end.
    int PeekCode() const { return AtEnd() ? -1 : m_tags[m_pos].first; }
    /// Moves past the next tag of `code` and returns its number (`fallback` when there is none).
    double NextReal(int code, double fallback = 0) {
        while (m_pos < m_tags.size()) {
            const auto& [c, v] = m_tags[m_pos++];
            if (c == code)
                return Number(&v, fallback);
        }
        m_failed = true;
        return fallback;
    }
    long NextInt(int code) { return static_cast<long>(NextReal(code, 0)); }
    /// Moves to the first tag of `code` after the tag `marker`; false when there is none.
    bool SeekAfter(int markerCode, const std::string& marker) {
        for (std::size_t i = 0; i < m_tags.size(); ++i)
            if (m_tags[i].first == markerCode && m_tags[i].second == marker) {
                m_pos = i + 1;
                return true;
            }
        return false;
    }
    bool failed() const { return m_failed; }

    static double Number(const std::string* text, double fallback) {
        if (text == nullptr)
            return fallback;
        const std::optional<double> value = common::ParseNumber(*text);
        return value && std::isfinite(*value) ? *value : fallback;
    }

private:
    std::vector<std::pair<int, std::string>> m_tags;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

AcGePoint3d PointOf(const TagReader& tags, int code) {
    return {tags.Real(code, 0), tags.Real(code + 10, 0), tags.Real(code + 20, 0)};
}

AcGeVector3d NormalOf(const TagReader& tags) {
    AcGeVector3d n(tags.Real(210, 0), tags.Real(220, 0), tags.Real(230, 1));
    return n.isZeroLength() ? AcGeVector3d::kZAxis : n.normal();
}

// --- transformations -----------------------------------------------------------------------------

/// Seen from above: the XY part of a 3D transformation of points with z = `z`.
QTransform TopView(const AcGeMatrix3d& m, double z = 0) {
    return QTransform(m(0, 0), m(1, 0), m(0, 1), m(1, 1), m(0, 2) * z + m(0, 3),
                      m(1, 2) * z + m(1, 3));
}

/// The plane of an entity (normal, elevation) under `outer`, seen from above.
QTransform PlaneView(const AcGeMatrix3d& outer, const AcGeVector3d& normal, double elevation) {
    return TopView(outer * AcGeMatrix3d::planeToWorld(normal), elevation);
}

/// The frame (origin, x axis, y axis; world) under `outer`, seen from above.
QTransform FrameView(const AcGeMatrix3d& outer, const AcGePoint3d& origin, const AcGeVector3d& x,
                     const AcGeVector3d& y) {
    const AcGePoint3d o = outer * origin;
    const AcGePoint3d px = outer * (origin + x);
    const AcGePoint3d py = outer * (origin + y);
    return QTransform(px.x - o.x, px.y - o.y, py.x - o.x, py.y - o.y, o.x, o.y);
}

bool IsCjk(QChar c) {
    return c.unicode() >= 0x2E80;
}

// --- the walk ------------------------------------------------------------------------------------

struct LayerInfo {
    bool off = false;
    bool frozen = false;
    Color color;
};

struct Context {
    AcGeMatrix3d m = AcGeMatrix3d::kIdentity;
    std::string layer;  // the layer entities on layer "0" take inside a block
    Color byBlock;      // the colour of ByBlock entities
    int depth = 0;      // 0 in model space
};

/// Closes what it opened.
template <class T>
struct Closer {
    void operator()(T* object) const {
        if (object != nullptr)
            object->close();
    }
};
template <class T>
using Opened = std::unique_ptr<T, Closer<T>>;

template <class T>
Opened<T> Open(AcDbObjectId id) {
    T* object = nullptr;
    if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk)
        return nullptr;
    return Opened<T>(object);
}

class Walker {
public:
    Walker(AcDbDatabase& database, Scene& scene)
        : m_db(database), m_scene(scene), m_font(FontFamily()) {
        m_font.setPixelSize(static_cast<int>(kFontPixels));
        m_metrics.emplace(m_font);
        m_capHeight = m_metrics->capHeight() > 0 ? m_metrics->capHeight() : kFontPixels * 0.7;
        ReadLayers();
        const std::optional<double> size = common::ParseNumber(m_db.headerValue("$TEXTSIZE"));
        if (size && std::isfinite(*size) && *size > 0)
            m_textSize = *size;
    }

    void WalkModelSpace() {
        Context top;
        top.byBlock = Color{false, 7};
        AcDbObjectIdArray order;
        if (auto space = Open<AcDbBlockTableRecord>(m_db.modelSpaceId())) {
            AcDbSortentsTable* sortents = nullptr;
            if (space->getSortentsTable(sortents, AcDb::kForRead, false) == Acad::eOk &&
                sortents != nullptr) {
                sortents->getFullDrawOrder(order);
                sortents->close();
            }
        }
        if (order.empty()) {
            WalkBlock(m_db.modelSpaceId(), top);
            return;
        }
        for (const AcDbObjectId& id : order)
            WalkEntityId(id, top);
    }

private:
    void ReadLayers() {
        AcDbLayerTable* table = nullptr;
        if (m_db.getLayerTable(table, AcDb::kForRead) != Acad::eOk)
            return;
        AcDbLayerTableIterator* it = nullptr;
        table->newIterator(it);
        for (; it != nullptr && !it->done(); it->step()) {
            AcDbLayerTableRecord* record = nullptr;
            if (it->getRecord(record, AcDb::kForRead) != Acad::eOk)
                continue;
            LayerInfo info;
            info.off = record->isOff();
            info.frozen = record->isFrozen();
            int index = record->color().colorIndex();
            info.color =
                Color{false, static_cast<std::uint32_t>(index >= 1 && index <= 255 ? index : 7)};
            TagReader tags(*record);
            if (const std::string* rgb = tags.Find(420))
                info.color =
                    Color{true, static_cast<std::uint32_t>(TagReader::Number(rgb, 0)) & 0xFFFFFF};
            m_layers[common::ToUpper(record->name())] = info;
            record->close();
        }
        delete it;
        table->close();
    }

    void LeaveOut(const std::string& what) { ++m_scene.leftOut[what]; }

    void WalkBlock(AcDbObjectId blockId, const Context& ctx) {
        auto block = Open<AcDbBlockTableRecord>(blockId);
        if (!block)
            return;
        AcDbBlockTableRecordIterator* it = nullptr;
        block->newIterator(it);
        std::vector<AcDbObjectId> ids;
        for (; it != nullptr && !it->done(); it->step()) {
            AcDbObjectId id;
            if (it->getEntityId(id) == Acad::eOk)
                ids.push_back(id);
        }
        delete it;
        block.reset();
        for (const AcDbObjectId& id : ids)
            WalkEntityId(id, ctx);
    }

    void WalkEntityId(AcDbObjectId id, const Context& ctx) {
        auto entity = Open<AcDbEntity>(id);
        if (entity)
            WalkEntity(*entity, ctx);
    }

    /// The layer an entity shows on: its own, or the block reference's for layer "0" inside a
    /// block.
    std::string EffectiveLayer(const AcDbEntity& entity, const Context& ctx) const {
        std::string layer = common::ToUpper(entity.layerName());
        if (layer == "0" && ctx.depth > 0)
            return ctx.layer;
        return layer;
    }

    const LayerInfo* Layer(const std::string& upperName) const {
        auto found = m_layers.find(upperName);
        return found == m_layers.end() ? nullptr : &found->second;
    }

    Color Resolve(const TagReader& tags, const AcDbEntity& entity, const std::string& layer,
                  const Context& ctx) const {
        if (const std::string* rgb = tags.Find(420))
            return Color{true, static_cast<std::uint32_t>(TagReader::Number(rgb, 0)) & 0xFFFFFF};
        const int index = entity.colorIndex();
        if (index == 0)
            return ctx.byBlock;
        if (index >= 1 && index <= 255)
            return Color{false, static_cast<std::uint32_t>(index)};
        const LayerInfo* info = Layer(layer);
        return info != nullptr ? info->color : Color{false, 7};
    }

    void WalkEntity(const AcDbEntity& entity, const Context& ctx) {
        const std::string_view type = entity.dxfType();
        const std::string layer = EffectiveLayer(entity, ctx);
        const LayerInfo* info = Layer(layer);
        if (info != nullptr && info->frozen)
            return;  // frozen: nothing of it shows, not even a block's contents
        TagReader tags(entity);
        if (tags.Int(60, 0) == 1)
            return;  // invisible entity
        const Color color = Resolve(tags, entity, layer, ctx);
        const bool off = info != nullptr && info->off;
        if (type == "INSERT") {
            // A block reference on a layer that is off still shows what is on other layers.
            AddBlockReference(static_cast<const AcDbBlockReference&>(entity), tags, layer, color,
                              ctx);
            return;
        }
        if (type == "DIMENSION") {
            if (const std::string* name = tags.Find(2))
                AddBlock(*name, ctx.m, layer, color, ctx);
            return;
        }
        if (off)
            return;
        const std::size_t before = m_scene.primitives.size();
        if (type == "LINE")
            AddLine(static_cast<const AcDbLine&>(entity), color, ctx);
        else if (type == "CIRCLE" || type == "ARC")
            AddCircle(entity, tags, color, ctx);
        else if (type == "LWPOLYLINE")
            AddLwPolyline(static_cast<const AcDbPolyline&>(entity), tags, color, ctx);
        else if (type == "POLYLINE")
            AddPolyline(entity, tags, color, ctx);
        else if (type == "TEXT" || type == "ATTRIB")
            AddText(static_cast<const AcDbText&>(entity), tags, color, ctx,
                    static_cast<const AcDbText&>(entity).text());
        else if (type == "ATTDEF")
            AddAttributeDefinition(static_cast<const AcDbAttributeDefinition&>(entity), tags, color,
                                   ctx);
        else if (type == "MTEXT")
            AddMText(static_cast<const AcDbMText&>(entity), tags, color, ctx);
        else if (type == "HATCH")
            AddHatch(tags, color, ctx);
        else if (type == "POINT")
            AddPoint(tags, color, ctx);
        else if (type == "SOLID" || type == "TRACE")
            AddSolid(tags, color, ctx);
        else if (type == "ELLIPSE")
            AddEllipse(tags, color, ctx);
        else if (type == "LEADER")
            AddLeader(tags, color, ctx);
        else if (type == "SPLINE")
            AddSpline(tags, color, ctx);
        else {
            LeaveOut(std::string(type));
            return;
        }
        if (m_scene.primitives.size() > before || type == "TEXT" || type == "ATTRIB" ||
            type == "MTEXT")
            ++m_scene.drawn;
    }

    Primitive& Add(Primitive::Kind kind, const Color& color, const QTransform& toWorld) {
        Primitive& p = m_scene.primitives.emplace_back();
        p.kind = kind;
        p.color = color;
        p.toWorld = toWorld;
        return p;
    }

    void AddLine(const AcDbLine& line, const Color& color, const Context& ctx) {
        const AcGePoint3d a = line.startPoint();
        const AcGePoint3d b = line.endPoint();
        Primitive& p = Add(Primitive::Kind::Path, color, TopView(ctx.m));
        // Both ends with their own z: the top view of a sloped line.
        const QTransform t = TopView(ctx.m, a.z);
        const QTransform u = TopView(ctx.m, b.z);
        p.toWorld = QTransform();
        p.vertices.push_back(Vertex{t.map(QPointF(a.x, a.y))});
        p.vertices.push_back(Vertex{u.map(QPointF(b.x, b.y))});
    }

    void AddCircle(const AcDbEntity& entity, const TagReader& tags, const Color& color,
                   const Context& ctx) {
        const AcGeVector3d normal = NormalOf(tags);
        // The centre in the entity's own plane, as the file holds it.
        const AcGePoint3d c = PointOf(tags, 10);
        const double radius = tags.Real(40, 0);
        if (!(radius > 0))
            return;
        const bool arc = entity.dxfType() == "ARC";
        Primitive& p = Add(arc ? Primitive::Kind::Arc : Primitive::Kind::Circle, color,
                           PlaneView(ctx.m, normal, c.z));
        p.center = QPointF(c.x, c.y);
        p.radius = radius;
        if (arc) {
            p.startAngle = tags.Real(50, 0) * kPi / 180;
            p.endAngle = tags.Real(51, 360) * kPi / 180;
        }
    }

    void AddLwPolyline(const AcDbPolyline& polyline, const TagReader& tags, const Color& color,
                       const Context& ctx) {
        const double constant = tags.Real(43, 0);
        std::vector<Vertex> vertices;
        for (const auto& [code, value] : tags.tags()) {
            const double v = TagReader::Number(&value, 0);
            if (code == 10) {
                vertices.push_back(Vertex{QPointF(v, 0), 0, constant, constant});
            } else if (vertices.empty()) {
                continue;
            } else if (code == 20) {
                vertices.back().point.setY(v);
            } else if (code == 40) {
                vertices.back().startWidth = v;
            } else if (code == 41) {
                vertices.back().endWidth = v;
            } else if (code == 42) {
                vertices.back().bulge = v;
            }
        }
        if (vertices.empty())
            return;
        Primitive& p = Add(Primitive::Kind::Path, color,
                           PlaneView(ctx.m, polyline.normal(), polyline.elevation()));
        p.closed = polyline.isClosed();
        p.vertices = std::move(vertices);
    }

    void AddPolyline(const AcDbEntity& entity, const TagReader& tags, const Color& color,
                     const Context& ctx) {
        const long flags = tags.Int(70, 0);
        if ((flags & (16 | 64)) != 0) {
            LeaveOut("POLYLINE (mesh)");
            return;
        }
        const bool is3d = (flags & 8) != 0;
        const double startWidth = tags.Real(40, 0);
        const double endWidth = tags.Real(41, 0);
        std::vector<Vertex> vertices;
        for (const AcDbObjectId& id : entity.subEntityIds()) {
            auto vertex = Open<AcDbEntity>(id);
            if (!vertex || vertex->dxfType() != "VERTEX")
                continue;
            TagReader v(*vertex);
            const long vflags = v.Int(70, 0);
            if ((vflags & 16) != 0)
                continue;  // a spline frame's control point: the fitted vertices are drawn
            Vertex out{QPointF(v.Real(10, 0), v.Real(20, 0)), is3d ? 0 : v.Real(42, 0),
                       is3d ? 0 : v.Real(40, startWidth), is3d ? 0 : v.Real(41, endWidth)};
            if (is3d)  // world coordinates with their own z
                out.point = TopView(ctx.m, v.Real(30, 0)).map(out.point);
            vertices.push_back(out);
        }
        if (vertices.empty())
            return;
        Primitive& p =
            Add(Primitive::Kind::Path, color,
                is3d ? QTransform() : PlaneView(ctx.m, NormalOf(tags), tags.Real(30, 0)));
        p.closed = (flags & 1) != 0;
        p.vertices = std::move(vertices);
    }

    void AddAttributeDefinition(const AcDbAttributeDefinition& definition, const TagReader& tags,
                                const Color& color, const Context& ctx) {
        if (ctx.depth == 0) {
            AddText(definition, tags, color, ctx, definition.tagName());  // as the editor shows it
        } else if (definition.isConstant() && !definition.isInvisible()) {
            AddText(definition, tags, color, ctx, definition.text());
        }
    }

    double Advance(const QString& text) const { return m_metrics->horizontalAdvance(text); }

    void AddText(const AcDbText& text, const TagReader& tags, const Color& color,
                 const Context& ctx, const std::string& content) {
        const QString plain = PlainText(content);
        if (plain.trimmed().isEmpty())
            return;
        double height = text.height() > 0 ? text.height() : m_textSize;
        double widthFactor = text.widthFactor() > 0 ? text.widthFactor() : 1;
        const long generation = tags.Int(71, 0);
        const double mirrorX = (generation & 2) != 0 ? -1 : 1;
        const double mirrorY = (generation & 4) != 0 ? -1 : 1;
        const AcGeVector3d normal =
            text.normal().isZeroLength() ? AcGeVector3d::kZAxis : text.normal().normal();
        const AcGeMatrix3d plane = AcGeMatrix3d::planeToWorld(normal);
        AcGeVector3d xAxis(std::cos(text.rotation()), std::sin(text.rotation()), 0);
        xAxis.transformBy(plane);
        const double pixel = height / m_capHeight;  // world units per font pixel
        double width = Advance(plain) * pixel * widthFactor;
        int horizontal = text.horizontalMode();
        const int vertical = text.verticalMode();
        AcGePoint3d origin = horizontal == AcDb::kTextLeft && vertical == AcDb::kTextBase
                                 ? text.position()
                                 : text.alignmentPoint();
        double uStart = 0;
        double vBase = 0;
        if (horizontal == AcDb::kTextAlign || horizontal == AcDb::kTextFit) {
            // Between the two points: aligned keeps the proportions, fit keeps the height.
            const AcGeVector3d span = text.alignmentPoint() - text.position();
            if (span.length() > 1e-12 && width > 0) {
                xAxis = span.normal();
                const double factor = span.length() / width;
                if (horizontal == AcDb::kTextAlign) {
                    height *= factor;
                } else {
                    widthFactor *= factor;
                }
                width = span.length();
            }
            origin = text.position();
            horizontal = AcDb::kTextLeft;
        }
        switch (horizontal) {
            case AcDb::kTextCenter:
            case AcDb::kTextMid:
                uStart = -width / 2;
                break;
            case AcDb::kTextRight:
                uStart = -width;
                break;
            default:
                break;
        }
        const double scale = height / m_capHeight;
        if (horizontal == AcDb::kTextMid) {
            vBase = -height / 2;
        } else {
            switch (vertical) {
                case AcDb::kTextBottom:
                    vBase = m_metrics->descent() * scale;
                    break;
                case AcDb::kTextVertMid:
                    vBase = -height / 2;
                    break;
                case AcDb::kTextTop:
                    vBase = -height;
                    break;
                default:
                    break;
            }
        }
        const AcGeVector3d yAxis = normal.crossProduct(xAxis);
        const QTransform frame = FrameView(ctx.m, origin, xAxis, yAxis);
        // Font pixels (y down) to the text's frame (y up), mirrored as the text is.
        const QTransform font(mirrorX * scale * widthFactor, 0, 0, -mirrorY * scale,
                              mirrorX * uStart, mirrorY * vBase);
        Primitive& p = Add(Primitive::Kind::Text, color, font * frame);
        p.text = plain;
    }

    void AddMText(const AcDbMText& mtext, const TagReader& tags, const Color& color,
                  const Context& ctx) {
        std::vector<QString> paragraphs = MTextLines(mtext.text());
        const double height = mtext.textHeight() > 0 ? mtext.textHeight() : m_textSize;
        const double scale = height / m_capHeight;
        const double boxWidth = mtext.width();
        // Lines wrapped at the box width: between words, and anywhere between CJK characters.
        std::vector<QString> lines;
        for (const QString& paragraph : paragraphs) {
            if (!(boxWidth > 0)) {
                lines.push_back(paragraph);
                continue;
            }
            QString line;
            int lastBreak = -1;
            for (QChar c : paragraph) {
                line += c;
                if (c == ' ' || IsCjk(c))
                    lastBreak = static_cast<int>(line.size());
                if (Advance(line.trimmed()) * scale > boxWidth && line.size() > 1) {
                    const int cut = lastBreak > 0 && lastBreak < line.size()
                                        ? lastBreak
                                        : static_cast<int>(line.size()) - 1;
                    lines.push_back(line.left(cut).trimmed());
                    line = line.mid(cut);
                    lastBreak = -1;
                }
            }
            lines.push_back(line);
        }
        while (!lines.empty() && lines.back().trimmed().isEmpty())
            lines.pop_back();
        if (lines.empty())
            return;
        const double spacing = 5.0 / 3.0 * height * std::clamp(tags.Real(44, 1), 0.25, 4.0);
        const double blockHeight = height + spacing * static_cast<double>(lines.size() - 1);
        double widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, Advance(line) * scale);
        const int attachment = std::clamp(static_cast<int>(mtext.attachment()), 1, 9);
        const int column = (attachment - 1) % 3;  // 0 left, 1 centre, 2 right
        const int row = (attachment - 1) / 3;     // 0 top, 1 middle, 2 bottom
        const double top = row == 0 ? 0 : row == 1 ? blockHeight / 2 : blockHeight;
        AcGeVector3d normal = mtext.normal();
        normal = normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal();
        const AcGeVector3d xAxis = mtext.direction();
        const QTransform frame =
            FrameView(ctx.m, mtext.location(), xAxis, normal.crossProduct(xAxis));

        const long fill = tags.Int(90, 0);
        if ((fill & 3) != 0) {
            // The background: around the text's box, (factor - 1) text heights wider each way.
            const double margin = (std::clamp(tags.Real(45, 1.5), 1.0, 5.0) - 1) * height;
            const double w = std::max(boxWidth, widest);
            const double left = column == 0 ? 0 : column == 1 ? -w / 2 : -w;
            Color background{false, 0};  // the drawing's background
            if ((fill & 1) != 0) {
                if (const std::string* rgb = tags.Find(421))
                    background = Color{
                        true, static_cast<std::uint32_t>(TagReader::Number(rgb, 0)) & 0xFFFFFF};
                else {
                    AcCmColor index;
                    mtext.getBackgroundFillColor(index);
                    const int i = index.colorIndex();
                    background =
                        i >= 1 && i <= 255 ? Color{false, static_cast<std::uint32_t>(i)} : color;
                }
            }
            Primitive& box = Add(Primitive::Kind::Path, background, frame);
            box.closed = true;
            box.filled = true;
            const double x0 = left - margin, x1 = left + w + margin;
            const double y0 = top + margin, y1 = top - blockHeight - margin;
            box.vertices = {Vertex{QPointF(x0, y0)}, Vertex{QPointF(x1, y0)},
                            Vertex{QPointF(x1, y1)}, Vertex{QPointF(x0, y1)}};
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].trimmed().isEmpty())
                continue;
            const double w = Advance(lines[i]) * scale;
            const double u = column == 0 ? 0 : column == 1 ? -w / 2 : -w;
            const double v = top - height - spacing * static_cast<double>(i);
            const QTransform font(scale, 0, 0, -scale, u, v);
            Primitive& p = Add(Primitive::Kind::Text, color, font * frame);
            p.text = lines[i];
        }
    }

    void AddPoint(const TagReader& tags, const Color& color, const Context& ctx) {
        const AcGePoint3d at = ctx.m * PointOf(tags, 10);
        Primitive& p = Add(Primitive::Kind::Point, color, QTransform());
        p.center = QPointF(at.x, at.y);
    }

    void AddSolid(const TagReader& tags, const Color& color, const Context& ctx) {
        const AcGePoint3d a = PointOf(tags, 10), b = PointOf(tags, 11), c = PointOf(tags, 12);
        const AcGePoint3d d = tags.Find(13) != nullptr ? PointOf(tags, 13) : c;
        Primitive& p = Add(Primitive::Kind::Path, color, PlaneView(ctx.m, NormalOf(tags), a.z));
        p.closed = true;
        p.filled = true;
        // The corners in the order of the file format: the third and fourth are crossed.
        p.vertices = {Vertex{QPointF(a.x, a.y)}, Vertex{QPointF(b.x, b.y)},
                      Vertex{QPointF(d.x, d.y)}, Vertex{QPointF(c.x, c.y)}};
    }

    void AddEllipse(const TagReader& tags, const Color& color, const Context& ctx) {
        const AcGePoint3d center = PointOf(tags, 10);
        const AcGeVector3d major(tags.Real(11, 1), tags.Real(21, 0), tags.Real(31, 0));
        const double ratio = tags.Real(40, 1);
        if (major.isZeroLength() || !(ratio > 0))
            return;
        const AcGeVector3d minor = NormalOf(tags).crossProduct(major) * ratio;
        const double start = tags.Real(41, 0);
        double end = tags.Real(42, 2 * kPi);
        const bool full = std::abs(end - start - 2 * kPi) < 1e-9 || std::abs(end - start) < 1e-12;
        // A unit circle in the frame of the axes.
        Primitive& p = Add(full ? Primitive::Kind::Circle : Primitive::Kind::Arc, color,
                           FrameView(ctx.m, center, major, minor));
        p.radius = 1;
        p.startAngle = start;
        p.endAngle = end;
    }

    void AddLeader(const TagReader& tags, const Color& color, const Context& ctx) {
        Primitive& p = Add(Primitive::Kind::Path, color, QTransform());
        const QTransform view = TopView(ctx.m);
        for (std::size_t i = 0; i < tags.tags().size(); ++i)
            if (tags.tags()[i].first == 10 && i + 1 < tags.tags().size())
                p.vertices.push_back(
                    Vertex{view.map(QPointF(TagReader::Number(&tags.tags()[i].second, 0),
                                            TagReader::Number(&tags.tags()[i + 1].second, 0)))});
        if (p.vertices.size() < 2)
            m_scene.primitives.pop_back();
    }

    /// A spline: the curve of its control points (knots, weights), or the polyline through its
    /// fit points when it has no usable control points.
    void AddSpline(const TagReader& tags, const Color& color, const Context& ctx) {
        const int degree = static_cast<int>(tags.Int(71, 3));
        std::vector<double> knots;
        std::vector<double> weights;
        std::vector<AcGePoint3d> controls;
        std::vector<AcGePoint3d> fits;
        for (const auto& [code, value] : tags.tags()) {
            const double v = TagReader::Number(&value, 0);
            switch (code) {
                case 40:
                    knots.push_back(v);
                    break;
                case 41:
                    weights.push_back(v);
                    break;
                case 10:
                    controls.emplace_back(v, 0, 0);
                    break;
                case 20:
                    if (!controls.empty())
                        controls.back().y = v;
                    break;
                case 30:
                    if (!controls.empty())
                        controls.back().z = v;
                    break;
                case 11:
                    fits.emplace_back(v, 0, 0);
                    break;
                case 21:
                    if (!fits.empty())
                        fits.back().y = v;
                    break;
                case 31:
                    if (!fits.empty())
                        fits.back().z = v;
                    break;
                default:
                    break;
            }
        }
        const std::size_t n = controls.size();
        std::vector<AcGePoint3d> curve;
        const bool usable = degree >= 1 && degree <= 16 && n > static_cast<std::size_t>(degree) &&
                            knots.size() == n + static_cast<std::size_t>(degree) + 1 &&
                            std::is_sorted(knots.begin(), knots.end()) &&
                            knots[n] > knots[static_cast<std::size_t>(degree)];
        if (usable) {
            if (weights.size() != n)
                weights.assign(n, 1.0);
            const std::size_t samples = std::min<std::size_t>(4096, 16 * n);
            const double u0 = knots[static_cast<std::size_t>(degree)];
            const double u1 = knots[n];
            for (std::size_t i = 0; i <= samples; ++i)
                curve.push_back(
                    DeBoor(degree, knots, controls, weights,
                           u0 + (u1 - u0) * static_cast<double>(i) / static_cast<double>(samples)));
        } else if (fits.size() >= 2) {
            // Through the fit points, smoothly: a Catmull-Rom curve (the drawing's own fit
            // tangents are not used).
            for (std::size_t i = 0; i + 1 < fits.size(); ++i) {
                const AcGePoint3d& a = fits[i];
                const AcGePoint3d& b = fits[i + 1];
                const AcGeVector3d ta = (b - (i > 0 ? fits[i - 1] : a)) / (i > 0 ? 2.0 : 1.0);
                const AcGeVector3d tb = ((i + 2 < fits.size() ? fits[i + 2] : b) - a) /
                                        (i + 2 < fits.size() ? 2.0 : 1.0);
                for (int k = 0; k < 16; ++k) {
                    const double t = k / 16.0, t2 = t * t, t3 = t2 * t;
                    const double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t;
                    const double h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
                    curve.push_back(AcGePoint3d::kOrigin + (a - AcGePoint3d::kOrigin) * h00 +
                                    ta * h10 + (b - AcGePoint3d::kOrigin) * h01 + tb * h11);
                }
            }
            curve.push_back(fits.back());
        } else {
            LeaveOut("SPLINE (malformed)");
            return;
        }
        Primitive& p = Add(Primitive::Kind::Path, color, QTransform());
        p.closed = (tags.Int(70, 0) & 1) != 0 && !usable;
        for (const AcGePoint3d& point : curve) {
            const AcGePoint3d at = ctx.m * point;
            p.vertices.push_back(Vertex{QPointF(at.x, at.y)});
        }
    }

    /// The point of the (rational) B-spline at parameter `u`, by de Boor's algorithm.
    static AcGePoint3d DeBoor(int degree, const std::vector<double>& knots,
                              const std::vector<AcGePoint3d>& controls,
                              const std::vector<double>& weights, double u) {
        const std::size_t p = static_cast<std::size_t>(degree);
        const std::size_t last = controls.size() - 1;
        std::size_t k = p;  // the knot span: knots[k] <= u < knots[k + 1]
        while (k < last && u >= knots[k + 1])
            ++k;
        std::vector<std::array<double, 4>> d(p + 1);
        for (std::size_t j = 0; j <= p; ++j) {
            const std::size_t i = j + k - p;
            const double w = weights[i];
            d[j] = {controls[i].x * w, controls[i].y * w, controls[i].z * w, w};
        }
        for (std::size_t r = 1; r <= p; ++r) {
            for (std::size_t j = p; j >= r; --j) {
                const std::size_t i = j + k - p;
                const double span = knots[i + p - r + 1] - knots[i];
                const double alpha = span > 0 ? (u - knots[i]) / span : 0;
                for (int c = 0; c < 4; ++c)
                    d[j][static_cast<std::size_t>(c)] =
                        (1 - alpha) * d[j - 1][static_cast<std::size_t>(c)] +
                        alpha * d[j][static_cast<std::size_t>(c)];
            }
        }
        const double w = d[p][3] != 0 ? d[p][3] : 1;
        return {d[p][0] / w, d[p][1] / w, d[p][2] / w};
    }

    /// A hatch's boundary paths (filled when the hatch is solid).
    void AddHatch(TagReader& tags, const Color& color, const Context& ctx) {
        const AcGePoint3d elevation = PointOf(tags, 10);
        const bool solid = tags.Int(70, 0) == 1;
        if (!tags.SeekAfter(100, "AcDbHatch")) {
            LeaveOut("HATCH (malformed)");
            return;
        }
        const long paths = tags.NextInt(91);
        std::vector<std::vector<Vertex>> loops;
        const long limit = static_cast<long>(tags.tags().size());
        for (long path = 0; path < paths && path < limit && !tags.failed(); ++path) {
            std::vector<Vertex> loop;
            const long type = tags.NextInt(92);
            if ((type & 2) != 0) {  // a polyline
                const bool bulges = tags.NextInt(72) != 0;
                tags.NextInt(73);
                const long count = tags.NextInt(93);
                for (long i = 0; i < count && i < limit && !tags.failed(); ++i) {
                    Vertex v;
                    v.point.setX(tags.NextReal(10));
                    v.point.setY(tags.NextReal(20));
                    if (bulges && tags.PeekCode() == 42)
                        v.bulge = tags.NextReal(42);
                    loop.push_back(v);
                }
            } else {
                const long edges = tags.NextInt(93);
                for (long e = 0; e < edges && e < limit && !tags.failed(); ++e)
                    ReadEdge(tags, loop);
            }
            const long sources = tags.PeekCode() == 97 ? tags.NextInt(97) : 0;
            for (long s = 0; s < sources && s < limit && !tags.failed(); ++s)
                tags.NextReal(330);
            if (loop.size() >= 2)
                loops.push_back(std::move(loop));
        }
        if (tags.failed() || loops.empty()) {
            LeaveOut("HATCH (malformed)");
            return;
        }
        Primitive& p =
            Add(Primitive::Kind::Path, color, PlaneView(ctx.m, NormalOf(tags), elevation.z));
        p.closed = true;
        p.filled = solid;
        for (auto& loop : loops) {
            if (!p.vertices.empty())
                p.loops.push_back(static_cast<std::uint32_t>(p.vertices.size()));
            p.vertices.insert(p.vertices.end(), loop.begin(), loop.end());
        }
    }

    void ReadEdge(TagReader& tags, std::vector<Vertex>& loop) {
        const long type = tags.NextInt(72);
        if (type == 1) {  // line
            const double x = tags.NextReal(10), y = tags.NextReal(20);
            tags.NextReal(11);
            tags.NextReal(21);
            loop.push_back(Vertex{QPointF(x, y)});
        } else if (type == 2 || type == 3) {  // circular or elliptic arc
            const double cx = tags.NextReal(10), cy = tags.NextReal(20);
            double mx = 0, my = 0;
            if (type == 3) {
                mx = tags.NextReal(11);
                my = tags.NextReal(21);
            }
            const double r = tags.NextReal(40);
            double a0 = tags.NextReal(50) * kPi / 180;
            double a1 = tags.NextReal(51) * kPi / 180;
            const bool ccw = tags.NextInt(73) != 0;
            if (!ccw) {  // stored mirrored: the arc runs clockwise from -a0 to -a1
                a0 = -a0;
                a1 = -a1;
            }
            double sweep = ccw ? a1 - a0 : a0 - a1;
            while (sweep <= 0)
                sweep += 2 * kPi;
            while (sweep > 2 * kPi + 1e-12)
                sweep -= 2 * kPi;
            const int steps = type == 2 ? (sweep > kPi ? 2 : 1) : 32;
            const double dir = ccw ? 1 : -1;
            for (int i = 0; i < steps; ++i) {
                const double a = a0 + dir * sweep * i / steps;
                Vertex v;
                if (type == 2) {
                    v.point = QPointF(cx + r * std::cos(a), cy + r * std::sin(a));
                    v.bulge = dir * std::tan(sweep / steps / 4);
                } else {
                    // Ellipse: the major axis (mx, my), the minor axis `r` times it, turned.
                    v.point = QPointF(cx + mx * std::cos(a) - my * r * std::sin(a),
                                      cy + my * std::cos(a) + mx * r * std::sin(a));
                }
                loop.push_back(v);
            }
        } else if (type == 4) {  // spline: the curve of its control points
            const long degree = tags.NextInt(94);
            const bool rational = tags.NextInt(73) != 0;
            tags.NextInt(74);
            const long knotCount = tags.NextInt(95);
            const long controlCount = tags.NextInt(96);
            const long limit = static_cast<long>(tags.tags().size());
            std::vector<double> knots;
            std::vector<AcGePoint3d> controls;
            std::vector<double> weights;
            for (long i = 0; i < knotCount && i < limit; ++i)
                knots.push_back(tags.NextReal(40));
            for (long i = 0; i < controlCount && i < limit; ++i) {
                const double x = tags.NextReal(10), y = tags.NextReal(20);
                controls.emplace_back(x, y, 0);
                weights.push_back(rational && tags.PeekCode() == 42 ? tags.NextReal(42) : 1.0);
            }
            const std::size_t n = controls.size();
            const std::size_t p = degree > 0 && degree <= 16 ? static_cast<std::size_t>(degree) : 0;
            if (p > 0 && n > p && knots.size() == n + p + 1 &&
                std::is_sorted(knots.begin(), knots.end()) && knots[n] > knots[p]) {
                const std::size_t samples = std::min<std::size_t>(4096, 16 * n);
                for (std::size_t i = 0; i < samples; ++i) {  // the end is the next edge's start
                    const AcGePoint3d at =
                        DeBoor(static_cast<int>(p), knots, controls, weights,
                               knots[p] + (knots[n] - knots[p]) * static_cast<double>(i) /
                                              static_cast<double>(samples));
                    loop.push_back(Vertex{QPointF(at.x, at.y)});
                }
            } else {
                for (const AcGePoint3d& c : controls)
                    loop.push_back(Vertex{QPointF(c.x, c.y)});
            }
            if (tags.PeekCode() == 97) {
                const long fits = tags.NextInt(97);
                for (long i = 0; i < fits && i < limit; ++i) {
                    tags.NextReal(11);
                    tags.NextReal(21);
                }
            }
            for (int code : {12, 22, 13, 23})
                if (tags.PeekCode() == code)
                    tags.NextReal(code);
        } else {
            tags.NextReal(10);  // unknown edge: let the reader fail the hatch
            LeaveOut("HATCH edge type " + std::to_string(type));
        }
    }

    void AddBlockReference(const AcDbBlockReference& reference, TagReader& tags,
                           const std::string& layer, const Color& color, const Context& ctx) {
        Context inner;
        inner.layer = layer;
        inner.byBlock = color;
        inner.depth = ctx.depth + 1;
        const std::size_t drawn = m_scene.drawn;
        // An array of references (columns and rows, spaced along the reference's rotation).
        const long columns = std::clamp(tags.Int(70, 1), 1L, 1000L);
        const long rows = std::clamp(tags.Int(71, 1), 1L, 1000L);
        const double dx = tags.Real(44, 0), dy = tags.Real(45, 0);
        double angle = reference.rotation();
        const AcGeMatrix3d plane = AcGeMatrix3d::planeToWorld(reference.normal());
        AcGeMatrix3d transform = reference.blockTransform();
        if (tags.SeekAfter(100, "AcDbMInsertBlock")) {
            // The database reads an array's position, scale and rotation as their defaults:
            // they are taken from the tags here.
            angle = tags.Real(50, 0) * kPi / 180;
            AcGePoint3d base = AcGePoint3d::kOrigin;
            if (auto block = Open<AcDbBlockTableRecord>(reference.blockTableRecord()))
                base = block->origin();
            AcGePoint3d position = PointOf(tags, 10);
            position.transformBy(plane);
            transform = AcGeMatrix3d::translation(position.asVector()) * plane *
                        AcGeMatrix3d::rotation(angle, AcGeVector3d::kZAxis) *
                        AcGeMatrix3d::scaling(
                            AcGeScale3d(tags.Real(41, 1), tags.Real(42, 1), tags.Real(43, 1))) *
                        AcGeMatrix3d::translation(-base.asVector());
        }
        for (long row = 0; row < rows; ++row) {
            for (long column = 0; column < columns; ++column) {
                AcGeVector3d offset(std::cos(angle) * dx * static_cast<double>(column) -
                                        std::sin(angle) * dy * static_cast<double>(row),
                                    std::sin(angle) * dx * static_cast<double>(column) +
                                        std::cos(angle) * dy * static_cast<double>(row),
                                    0);
                offset.transformBy(plane);
                inner.m = ctx.m * AcGeMatrix3d::translation(offset) * transform;
                WalkNested(reference.blockTableRecord(), inner);
            }
        }
        // The attributes are in the reference's own space, not the block's.
        Context attributes = ctx;
        attributes.byBlock = color;
        if (ctx.depth == 0)
            attributes.layer = layer;
        for (const AcDbObjectId& id : reference.subEntityIds()) {
            auto attribute = Open<AcDbAttribute>(id);
            if (!attribute || attribute->isInvisible())
                continue;
            WalkEntity(*attribute, attributes);
        }
        m_scene.drawn = drawn + 1;  // the reference counts once, with what it shows
    }

    void AddBlock(const std::string& name, const AcGeMatrix3d& m, const std::string& layer,
                  const Color& color, const Context& ctx) {
        AcDbBlockTable* table = nullptr;
        if (m_db.getBlockTable(table, AcDb::kForRead) != Acad::eOk)
            return;
        AcDbObjectId id;
        const bool found = table->getAt(name.c_str(), id) == Acad::eOk;
        table->close();
        if (!found)
            return;
        Context inner;
        inner.m = m;
        inner.layer = layer;
        inner.byBlock = color;
        inner.depth = ctx.depth + 1;
        const std::size_t drawn = m_scene.drawn;
        WalkNested(id, inner);
        m_scene.drawn = drawn + 1;
    }

    void WalkNested(AcDbObjectId blockId, const Context& inner) {
        if (inner.depth > kMaxNesting ||
            std::find(m_active.begin(), m_active.end(), blockId) != m_active.end()) {
            LeaveOut("block inside itself");
            return;
        }
        m_active.push_back(blockId);
        WalkBlock(blockId, inner);
        m_active.pop_back();
    }

    AcDbDatabase& m_db;
    Scene& m_scene;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    double m_capHeight = 70;
    double m_textSize = 2.5;
    std::unordered_map<std::string, LayerInfo> m_layers;
    std::vector<AcDbObjectId> m_active;  // the blocks being walked, outermost first
};

}  // namespace

std::uint32_t IndexRgb(int index, bool dark) {
    if (index == 7)
        return dark ? 0xFFFFFF : 0x000000;
    return TableRgb(index);
}

QString FontFamily() {
    return QStringLiteral("IPAGothic");
}

Scene BuildScene(AcDbDatabase& database) {
    Scene scene;
    Walker walker(database, scene);
    walker.WalkModelSpace();
    return scene;
}

QString PlainText(const std::string& text) {
    const QString in = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size() && in[i + 1] == '%') {
            const QChar code = in[i + 2].toLower();
            if (code == 'd') {
                out += QChar(0x00B0);
            } else if (code == 'c') {
                out += QChar(0x2300);
            } else if (code == 'p') {
                out += QChar(0x00B1);
            } else if (code == '%') {
                out += '%';
            } else if (code == 'u' || code == 'o' || code == 'k') {
                // underline, overline, strike-through: not drawn
            } else if (code.isDigit()) {
                int value = 0;
                qsizetype j = i + 2;
                for (; j < in.size() && j < i + 5 && in[j].isDigit(); ++j)
                    value = value * 10 + in[j].digitValue();
                out += QChar(value);
                i = j - 1;
                continue;
            } else {
                out += in[i];
                continue;
            }
            i += 2;
            continue;
        }
        out += in[i];
    }
    return out;
}

std::vector<QString> MTextLines(const std::string& contents) {
    const QString in = PlainText(contents);
    std::vector<QString> lines(1);
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= in.size()) {
            lines.back() += c;
            continue;
        }
        const QChar code = in[++i];
        switch (code.unicode()) {
            case 'P':
            case 'N':
            case 'X':
                lines.emplace_back();
                break;
            case '~':
                lines.back() += ' ';
                break;
            case '\\':
            case '{':
            case '}':
                lines.back() += code;
                break;
            case 'L':
            case 'l':
            case 'O':
            case 'o':
            case 'K':
            case 'k':
                break;
            case 'S': {  // stacked: "a^b;" is shown as "a/b"
                qsizetype j = i + 1;
                for (; j < in.size() && in[j] != ';'; ++j) {
                    const QChar s = in[j];
                    lines.back() += s == '^' || s == '#' ? QChar('/') : s;
                }
                i = j;
                break;
            }
            default: {
                // \f, \F, \H, \W, \Q, \T, \A, \C, \c, \p and others up to their ';'.
                qsizetype j = i + 1;
                while (j < in.size() && in[j] != ';')
                    ++j;
                i = j;
                break;
            }
        }
    }
    return lines;
}

}  // namespace render::detail
