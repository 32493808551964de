#include "SampleDrawings.h"

#include <array>
#include <map>
#include <memory>
#include <numbers>
#include <vector>

#include "arx/acdb.h"
#include "common/text.h"
#include "services/maker.h"
#include "services/symbols.h"

namespace sampleproject {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlateApp = "ORVAZelko_WpPlate";
// The extended data of an entry-direction attribute: terminal number and connector name.
constexpr const char* kTerminalNoApp = "ZELKOWP2_TANSHIBANGOU";
constexpr const char* kConnectorApp = "ZELKOWP2_CN_NAME";
// The size of a duct, which its WP duct line carries.
constexpr const char* kDuctSizeApp = "ZELKO_DUCT_SIZE";
// The 3D pin offsets of a symbol: pairs of pin number (1070) and offset (1010).
constexpr const char* kPinOffsetApp = "ZELKO_3D_PIN_OFS";

/// Extended data of attributes, by tag: (application, first string).
using AttributeData = std::map<std::string, std::vector<std::pair<const char*, std::string>>>;

/// A new drawing being filled; saved (atomically, by the drawing database) with Save.
class Drawing {
public:
    Drawing() {
        for (const char* app : {kPlateApp, zelko::kSymbolApp.data(), kTerminalNoApp, kConnectorApp,
                                kDuctSizeApp, kPinOffsetApp}) {
            AcDbRegAppTable* apps = nullptr;
            m_db.getRegAppTable(apps, AcDb::kForWrite);
            auto* record = new AcDbRegAppTableRecord;
            record->setName(app);
            apps->add(record);
            record->close();
            apps->close();
        }
    }

    AcDbDatabase& db() { return m_db; }

    void Layer(const char* name, int colour) {
        AcDbLayerTable* layers = nullptr;
        m_db.getLayerTable(layers, AcDb::kForWrite);
        if (!layers->has(name)) {
            auto* record = new AcDbLayerTableRecord;
            record->setName(name);
            record->setColor(AcCmColor(static_cast<Adesk::UInt16>(colour)));
            layers->add(record);
            record->close();
        }
        layers->close();
    }

    /// A new block definition; `type` non-empty makes it a maker symbol of that type.
    AcDbObjectId Block(const char* name, const char* type = "") {
        AcDbBlockTable* blocks = nullptr;
        m_db.getBlockTable(blocks, AcDb::kForWrite);
        auto* record = new AcDbBlockTableRecord;
        record->setName(name);
        AcDbObjectId id;
        blocks->add(id, record);
        if (*type != '\0') {
            resbuf* data = acutBuildList(1001, zelko::kSymbolApp.data(), 1000, type, 0);
            record->setXData(data);
            acutRelRb(data);
        }
        record->close();
        blocks->close();
        return id;
    }

    /// Adds an entity to a block (model space when null) on `layer`.
    AcDbObjectId Add(AcDbEntity* entity, const char* layer, AcDbObjectId block = {}) {
        AcDbBlockTableRecord* space = nullptr;
        acdbOpenObject(space, block.isNull() ? m_db.modelSpaceId() : block, AcDb::kForWrite);
        entity->setDatabaseDefaults(&m_db);
        AcDbObjectId id;
        space->appendAcDbEntity(id, entity);
        entity->setLayer(layer);
        entity->close();
        space->close();
        return id;
    }

    void Line(double x0, double y0, double x1, double y1, const char* layer,
              AcDbObjectId block = {}) {
        Add(new AcDbLine(AcGePoint3d(x0, y0, 0), AcGePoint3d(x1, y1, 0)), layer, block);
    }

    AcDbObjectId Rectangle(double x0, double y0, double x1, double y1, const char* layer,
                           AcDbObjectId block = {}) {
        auto* outline = new AcDbPolyline;
        const std::array<AcGePoint2d, 4> corners = {AcGePoint2d(x0, y0), AcGePoint2d(x1, y0),
                                                    AcGePoint2d(x1, y1), AcGePoint2d(x0, y1)};
        for (unsigned int i = 0; i < corners.size(); ++i) {
            outline->addVertexAt(i, corners[i]);
        }
        outline->setClosed(true);
        return Add(outline, layer, block);
    }

    void Text(double x, double y, double height, const char* text, const char* layer,
              AcDbObjectId block = {}) {
        auto* t = new AcDbText(AcGePoint3d(x, y, 0), text);
        t->setHeight(height);
        Add(t, layer, block);
    }

    /// A reference of `block` at (x, y) with its attributes (tag, text), on `layer`.
    AcDbObjectId Insert(AcDbObjectId block, double x, double y, double rotation,
                        const std::vector<std::pair<std::string, std::string>>& attributes,
                        const char* layer = "0", const AttributeData& data = {}) {
        return Insert(block, AcGePoint3d(x, y, 0), rotation, attributes, layer, data);
    }
    AcDbObjectId Insert(AcDbObjectId block, const AcGePoint3d& position, double rotation,
                        const std::vector<std::pair<std::string, std::string>>& attributes,
                        const char* layer = "0", const AttributeData& data = {}) {
        auto* reference = new AcDbBlockReference(position, block);
        reference->setRotation(rotation);
        AcDbBlockTableRecord* space = nullptr;
        acdbOpenObject(space, m_db.modelSpaceId(), AcDb::kForWrite);
        reference->setDatabaseDefaults(&m_db);
        space->appendAcDbEntity(reference);
        reference->setLayer(layer);
        const AcGeMatrix3d transform = reference->blockTransform();
        double offset = 0;
        for (const auto& [tag, text] : attributes) {
            // Attributes stacked under the symbol, all readable in any DXF editor.
            AcGePoint3d at(0, -4 - offset, 0);
            at.transformBy(transform);
            offset += 3;
            auto* attribute = new AcDbAttribute(at, text.c_str(), tag.c_str());
            attribute->setDatabaseDefaults(&m_db);
            attribute->setHeight(2);
            attribute->setRotation(rotation);
            attribute->setLayer(tag.starts_with("PIN") ? "PINOFF" : layer);
            reference->appendAttribute(attribute);
            if (const auto found = data.find(tag); found != data.end()) {
                for (const auto& [app, value] : found->second) {
                    resbuf* chain = acutBuildList(1001, app, 1000, value.c_str(), 0);
                    attribute->setXData(chain);
                    acutRelRb(chain);
                }
            }
            attribute->close();
        }
        const AcDbObjectId id = reference->objectId();
        reference->close();
        space->close();
        return id;
    }

    bool Save(const fs::path& file, std::string& error) {
        if (Acad::ErrorStatus es = m_db.saveAs(file.c_str()); es != Acad::eOk) {
            error = "'" + file.string() + "': " + m_db.lastError();
            return false;
        }
        return true;
    }

private:
    AcDbDatabase m_db;
};

/// The terminals of the parts the layouts place (the store's parts table holds the same).
struct SymbolPart {
    const char* code;
    const char* prefix;
    std::array<const char*, 6> pins;
};
constexpr std::array<SymbolPart, 3> kComponents = {{
    {"CB-3P", "CB", {"1", "2", "3", "4", "5", "6"}},
    {"MC-9", "MC", {"A1", "A2", "1", "2", "13", "14"}},
    {"CN-6", "X", {"1", "2", "3", "4", "5", "6"}},
}};

/// A symbol outline 40 wide with its six pins along the bottom, 5 apart (the store's pin
/// offsets).
void ComponentBlock(Drawing& d, AcDbObjectId block) {
    d.Rectangle(-5, -2, 35, 40, "0", block);
    for (int k = 0; k < 6; ++k) {
        d.Line(5.0 * k, 0, 5.0 * k, -2, "0", block);
    }
}

bool WriteLayout(const fs::path& file, int p, const Options& options, std::string& error) {
    Drawing d;
    d.Layer("PLATE", 8);
    d.Layer("DCT40", 40);
    d.Layer("PINOFF", 7);
    d.Layer("SYMBOL", 7);
    // Plates: front PL1 and back PL2 side by side.
    for (int plate = 0; plate < 2; ++plate) {
        const double x0 = plate * 700.0;
        const AcDbObjectId outline = d.Rectangle(x0, 0, x0 + 600, 800, "PLATE");
        AcDbPolyline* polyline = nullptr;
        acdbOpenObject(polyline, outline, AcDb::kForWrite);
        const std::string name = "PL" + std::to_string(plate + 1);
        resbuf* data = acutBuildList(1001, kPlateApp, 1000, name.c_str(), 0);
        polyline->setXData(data);
        acutRelRb(data);
        polyline->close();
    }
    std::array<AcDbObjectId, 3> blocks;
    for (std::size_t type = 0; type < kComponents.size(); ++type) {
        blocks[type] = d.Block(kComponents[type].code, "BAN");
        ComponentBlock(d, blocks[type]);
    }
    const std::string panelNo = PanelNo(p);
    for (int c = 1; c <= options.componentsPerPanel; ++c) {
        const auto type = static_cast<std::size_t>((c - 1) % 3);
        const int plate = (c - 1) % 2;
        const int slot = (c - 1) / 2;
        const double x = plate * 700.0 + 60 + (slot % 5) * 100;
        const double y = 560 - (slot / 5) * 120.0;
        std::vector<std::pair<std::string, std::string>> attributes = {
            {"NAME", kComponents[type].prefix + std::to_string(c)},
            {"INST_NO", "U1"},
            {"BAN_NO", panelNo},
            {"WP_PLATE_ADRS", "A" + std::to_string(c)}};
        for (std::size_t k = 0; k < kComponents[type].pins.size(); ++k) {
            attributes.emplace_back("PIN" + std::to_string(k + 1), kComponents[type].pins[k]);
        }
        // Contactors carry an operation name (Japanese) and a surplus length; breakers and
        // connectors their wire entry directions (connectors with their connector name), the
        // first terminal also a tube entry direction.
        AttributeData data;
        if (type == 1) {
            attributes.emplace_back("OP_NAME", "-主");
            attributes.emplace_back("ADDITION", "200");
        } else {
            for (std::size_t k = 0; k < kComponents[type].pins.size(); ++k) {
                const std::string tag = "WIREDIRECTION" + std::to_string(k + 1);
                attributes.emplace_back(tag, k < 3 ? "T" : "B");
                data[tag].emplace_back(kTerminalNoApp, kComponents[type].pins[k]);
                if (type == 2) {
                    data[tag].emplace_back(kConnectorApp, "CN1");
                }
                // A tube direction follows the wire direction of its terminal, as the
                // direction commands write them.
                if (k == 0) {
                    attributes.emplace_back("TUBEDIRECTION1", "L");
                }
            }
        }
        // Every third component stands turned by 90 degrees.
        d.Insert(blocks[type], x, y, c % 3 == 0 ? std::numbers::pi / 2 : 0, attributes, "SYMBOL",
                 data);
    }
    // Terminal block TB1: one terminal every 6 units downwards (the store's pin offsets).
    const AcDbObjectId tb = d.Block("TB-10", "TERM");
    for (int t = 0; t < options.blockTerminalsPerPanel; ++t) {
        d.Rectangle(-3, -6.0 * t - 3, 3, -6.0 * t + 3, "0", tb);
    }
    std::vector<std::pair<std::string, std::string>> tbAttributes = {
        {"NAME", "TB1"}, {"INST_NO", "U1"}, {"BAN_NO", panelNo}};
    for (int t = 1; t <= options.blockTerminalsPerPanel; ++t) {
        tbAttributes.emplace_back("PIN" + std::to_string(t), std::to_string(t));
    }
    d.Insert(tb, 540, 420, 0, tbAttributes, "SYMBOL");
    // Terminal block TB2 as a real panel has one: one single-terminal symbol per terminal,
    // side by side 10 apart, all at rotation 0.
    const AcDbObjectId single = d.Block("TB-10S", "TERM");
    d.Rectangle(-3, -3, 3, 3, "0", single);
    for (int t = 1; t <= options.singleTerminalsPerPanel; ++t) {
        d.Insert(
            single, 500 + 10.0 * (t - 1), 250, 0,
            {{"NAME", "TB2"}, {"INST_NO", "U1"}, {"BAN_NO", panelNo}, {"PIN1", std::to_string(t)}},
            "SYMBOL");
    }
    // Relay terminals: inside the panel and between panels on the front plate, the door's on
    // the back plate, one reference per terminal.
    const std::array<AcDbObjectId, 2> relay = {d.Block("RT-2", "TERM"), d.Block("RT-1", "TERM")};
    for (const AcDbObjectId block : relay) {
        d.Rectangle(-3, -3, 3, 3, "0", block);
    }
    for (int r = 1; r <= options.relayTerminalsPerPanel; ++r) {
        const int kind = (r - 1) % 3 + 1;
        const int number = (r - 1) / 3 + 1;
        const std::string tag = std::array{"XT1", "XD1", "XK1"}[kind - 1];
        const double x = (kind == 2 ? 700.0 : 0.0) + 60 + 10 * r;
        d.Insert(relay[number % 2 == 1 ? 0 : 1], x, 60, 0,
                 {{"NAME", tag},
                  {"INST_NO", "U1"},
                  {"BAN_NO", panelNo},
                  {"PIN1", std::to_string(number)}},
                 "SYMBOL");
    }
    // Ducts: on the front plate a bar along the top and a stem of size 60 that ends against its
    // side (a T); on the back plate two ducts that cross without touching ends.
    d.Rectangle(20, 700, 580, 740, "DCT40");
    const AcDbObjectId stem = d.Rectangle(440, 100, 480, 700, "DCT40");
    AcDbPolyline* sized = nullptr;
    acdbOpenObject(sized, stem, AcDb::kForWrite);
    resbuf* size = acutBuildList(1001, kDuctSizeApp, 1070, 60, 0);
    sized->setXData(size);
    acutRelRb(size);
    sized->close();
    d.Rectangle(720, 640, 1280, 680, "DCT40");
    d.Rectangle(1200, 100, 1240, 780, "DCT40");
    // The title block names the panel.
    const AcDbObjectId title = d.Block("TITLE");
    d.Rectangle(0, 0, 300, 40, "0", title);
    d.Insert(title, 0, -100, 0, {{"BAN_NO", panelNo}, {"PANEL_NAME", PanelName(p)}});
    return d.Save(file, error);
}

/// The door of a panel, its second panel drawing: the door leaf with its hinges, handle and
/// window, the pilot lamps and the panel's name. It holds no maker symbol and no plate; the
/// development drawing of the row places it right of the panel's mounting plates.
bool WriteDoor(const fs::path& file, int p, std::string& error) {
    Drawing d;
    d.Layer("DOOR", 5);
    d.Rectangle(0, 0, 600, 800, "DOOR");
    d.Rectangle(150, 450, 450, 700, "DOOR");  // the window
    d.Rectangle(560, 350, 580, 450, "DOOR");  // the handle
    for (const double y : {80.0, 720.0}) {
        d.Rectangle(-10, y - 30, 0, y + 30, "DOOR");  // the hinges
    }
    for (int lamp = 0; lamp < 3; ++lamp) {
        d.Add(new AcDbCircle(AcGePoint3d(200 + 100 * lamp, 300, 0), AcGeVector3d(0, 0, 1), 15),
              "DOOR");
    }
    d.Text(150, 150, 30, (PanelName(p) + " DOOR").c_str(), "DOOR");
    return d.Save(file, error);
}

/// A closed plate outline with "ORVAZelko_WpPlate" `name`: the vertices in the outline's own
/// coordinates, in the plane of `normal` at `elevation`.
void PlateOutline(Drawing& d, const char* name, const std::array<AcGePoint2d, 4>& corners,
                  const AcGeVector3d& normal, double elevation) {
    auto* outline = new AcDbPolyline;
    for (unsigned int i = 0; i < corners.size(); ++i) {
        outline->addVertexAt(i, corners[i]);
    }
    outline->setClosed(true);
    outline->setNormal(normal);
    outline->setElevation(elevation);
    resbuf* data = acutBuildList(1001, kPlateApp, 1000, name, 0);
    outline->setXData(data);
    acutRelRb(data);
    d.Add(outline, "PLATE");
}

/// Sets "ZELKO_3D_PIN_OFS" on a reference: pin n (from 1) at offsets[n - 1].
void SetPinOffsets(AcDbObjectId id, const std::vector<AcGePoint3d>& offsets) {
    resbuf* head = acutBuildList(1001, kPinOffsetApp, 0);
    resbuf* tail = head;
    for (std::size_t n = 0; n < offsets.size(); ++n) {
        const ads_real point[3] = {offsets[n].x, offsets[n].y, offsets[n].z};
        tail->rbnext = acutBuildList(1070, static_cast<int>(n + 1), 1010, point, 0);
        tail = tail->rbnext->rbnext;
    }
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForWrite) == Acad::eOk) {
        entity->setXData(head);
        entity->close();
    }
    acutRelRb(head);
}

/// The 3D layout drawing of panel p (the drawing name its terminal records carry,
/// "LAYOUT_<panel name>"): the mounting plate, 600 by 800 and 3 thick, as two outlines, its
/// front face "PL1" in the plane z = 0 facing +Z and its back face "PL2" in z = -3 facing -Z.
/// The front face's outline starts at (600, 0) and runs along the world's Y axis first: the
/// plate's X axis is the world's Y axis, a plate angle of 90 degrees, and its symbols stand
/// turned by 90 degrees. The back face's outline runs along its own X axis first (angle 0).
/// The components, TB1 and TB2 stand on the face of their terminals' records (odd components and
/// TB1 and TB2 on the front, even ones on the back face at z = -3 with "REVERSE" "1"),
/// each with "WP_PLATENAME" and "BAN_NO" as the development drawings tag them and its 3D pin
/// offsets ("ZELKO_3D_PIN_OFS": terminal n of a component at (5 (n - 1), 0, 8), terminal t of
/// TB1 at (0, -6 (t - 1), 8), 8 off the face). X3's first terminal holds the wire direction
/// "N" (nearest duct, a 3D code). The contactors carry no operation name, so their component
/// tags are the store's; MC5, on the front, is the one whose record has a mirror count, which
/// puts its terminals on the back side. The drawing is no project drawing (the store does not
/// list it), so the development drawings leave it alone.
bool WriteLayout3D(const fs::path& file, int p, const Options& options, std::string& error) {
    Drawing d;
    d.Layer("PLATE", 8);
    d.Layer("PINOFF", 7);
    d.Layer("SYMBOL", 7);
    constexpr double kThickness = 3;
    PlateOutline(
        d, "PL1",
        {AcGePoint2d(600, 0), AcGePoint2d(600, 800), AcGePoint2d(0, 800), AcGePoint2d(0, 0)},
        AcGeVector3d::kZAxis, 0);
    // Facing -Z, the outline's own X axis is the world's -X and its elevation counts along -Z.
    PlateOutline(
        d, "PL2",
        {AcGePoint2d(-600, 0), AcGePoint2d(0, 0), AcGePoint2d(0, 800), AcGePoint2d(-600, 800)},
        -AcGeVector3d::kZAxis, kThickness);
    std::array<AcDbObjectId, 3> blocks;
    for (std::size_t type = 0; type < kComponents.size(); ++type) {
        blocks[type] = d.Block(kComponents[type].code, "BAN");
        ComponentBlock(d, blocks[type]);
    }
    const std::string panelNo = PanelNo(p);
    for (int c = 1; c <= options.componentsPerPanel; ++c) {
        const auto type = static_cast<std::size_t>((c - 1) % 3);
        const bool back = (c - 1) % 2 == 1;
        const int slot = (c - 1) / 2;
        const AcGePoint3d at =
            back ? AcGePoint3d(380 + 150 * (slot / 5), 150 + 120 * (slot % 5), -kThickness)
                 : AcGePoint3d(150 + 150 * (slot / 5), 150 + 120 * (slot % 5), 0);
        std::vector<std::pair<std::string, std::string>> attributes = {
            {"NAME", kComponents[type].prefix + std::to_string(c)},
            {"INST_NO", "U1"},
            {"BAN_NO", panelNo},
            {"WP_PLATE_ADRS", "A" + std::to_string(c)},
            {"WP_PLATENAME", back ? "PL2" : "PL1"}};
        if (back) {
            attributes.emplace_back("REVERSE", "1");
        }
        std::vector<AcGePoint3d> offsets;
        for (std::size_t k = 0; k < kComponents[type].pins.size(); ++k) {
            attributes.emplace_back("PIN" + std::to_string(k + 1), kComponents[type].pins[k]);
            offsets.emplace_back(5.0 * static_cast<double>(k), 0, 8);
        }
        AttributeData data;
        if (c == 3) {
            attributes.emplace_back("WIREDIRECTION1", "N");
            data["WIREDIRECTION1"] = {{kTerminalNoApp, kComponents[type].pins[0]},
                                      {kConnectorApp, "CN1"}};
        }
        const AcDbObjectId id =
            d.Insert(blocks[type], at, back ? 0 : std::numbers::pi / 2, attributes, "SYMBOL", data);
        SetPinOffsets(id, offsets);
    }
    const AcDbObjectId tb = d.Block("TB-10", "TERM");
    std::vector<std::pair<std::string, std::string>> tbAttributes = {
        {"NAME", "TB1"}, {"INST_NO", "U1"}, {"BAN_NO", panelNo}, {"WP_PLATENAME", "PL1"}};
    std::vector<AcGePoint3d> tbOffsets;
    for (int t = 1; t <= options.blockTerminalsPerPanel; ++t) {
        d.Rectangle(-3, -6.0 * (t - 1) - 3, 3, -6.0 * (t - 1) + 3, "0", tb);
        tbAttributes.emplace_back("PIN" + std::to_string(t), std::to_string(t));
        tbOffsets.emplace_back(0, -6.0 * (t - 1), 8);
    }
    SetPinOffsets(
        d.Insert(tb, AcGePoint3d(180, 700, 0), std::numbers::pi / 2, tbAttributes, "SYMBOL"),
        tbOffsets);
    // TB2: one single-terminal symbol per terminal along the plate's X axis (the world's Y),
    // turned as TB1, each with its pin 8 off the face.
    const AcDbObjectId single = d.Block("TB-10S", "TERM");
    d.Rectangle(-3, -3, 3, 3, "0", single);
    for (int t = 1; t <= options.singleTerminalsPerPanel; ++t) {
        SetPinOffsets(
            d.Insert(single, AcGePoint3d(400, 500 + 10.0 * (t - 1), 0), std::numbers::pi / 2,
                     {{"NAME", "TB2"},
                      {"INST_NO", "U1"},
                      {"BAN_NO", panelNo},
                      {"WP_PLATENAME", "PL1"},
                      {"PIN1", std::to_string(t)}},
                     "SYMBOL"),
            {AcGePoint3d(0, 0, 8)});
    }
    const AcDbObjectId title = d.Block("TITLE");
    d.Rectangle(0, 0, 300, 40, "0", title);
    d.Insert(title, 0, -100, 0, {{"BAN_NO", panelNo}, {"PANEL_NAME", PanelName(p)}});
    return d.Save(file, error);
}

/// The frame template's contents (WAKUBASE), which every development drawing starts from.
void DrawFrame(Drawing& d) {
    d.Layer("WAKU", 7);
    d.Rectangle(-50, -250, 8000, 1000, "WAKU");
    d.Rectangle(7600, -250, 8000, -150, "WAKU");
    d.Text(7610, -230, 20, "LAYOUT", "WAKU");
}

/// The box of a database's model space, leaving out what is tiny or huge, as the insertion of
/// a drawing measures it.
AcDbExtents ModelSpaceBox(AcDbDatabase& db) {
    AcDbExtents box;
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) {
        return box;
    }
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; it != nullptr && !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) {
            continue;
        }
        AcDbExtents extents;
        if (entity->getGeomExtents(extents) == Acad::eOk) {
            const double width = extents.maxPoint().x - extents.minPoint().x;
            const double height = extents.maxPoint().y - extents.minPoint().y;
            if ((width >= 0.0001 || height >= 0.0001) && width < 99999 && height < 99999) {
                box.addExt(extents);
            }
        }
        entity->close();
    }
    delete it;
    space->close();
    return box;
}

/// Sets the attribute `tag` of an open reference, adding it on layer "PINOFF" when missing.
void SetOrAddAttribute(AcDbBlockReference* reference, const char* tag, const std::string& text) {
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; !it->done(); it->step()) {
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, it->objectId(), AcDb::kForWrite) != Acad::eOk) {
            continue;
        }
        const bool found = common::EqualsNoCase(attribute->tagName(), tag);
        if (found) {
            attribute->setTextString(text.c_str());
        }
        attribute->close();
        if (found) {
            return;
        }
    }
    auto* attribute = new AcDbAttribute(reference->position(), text.c_str(), tag);
    attribute->setDatabaseDefaults(reference->database());
    attribute->setHeight(2);
    attribute->setInvisible(true);
    attribute->setLayer("PINOFF");
    reference->appendAttribute(attribute);
    attribute->close();
}

/// Tags the symbols of an inserted panel drawing as the development drawings do: every
/// reference of type BAN, TERM or PNL gets "WP_PLATENAME" (the first plate outline whose box
/// overlaps its box) and "BAN_NO" (the panel number).
void TagSymbols(AcDbObjectId block, const std::string& panelNo) {
    std::vector<std::pair<std::string, AcDbExtents>> plates;
    std::vector<AcDbObjectId> references;
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, block, AcDb::kForRead) != Acad::eOk) {
        return;
    }
    AcDbBlockTableRecordIterator* it = nullptr;
    record->newIterator(it);
    for (; it != nullptr && !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) {
            continue;
        }
        if (AcDbPolyline::cast(entity) != nullptr) {
            if (resbuf* data = entity->xData(kPlateApp)) {
                AcDbExtents extents;
                if (data->rbnext != nullptr && data->rbnext->restype == 1000 &&
                    entity->getGeomExtents(extents) == Acad::eOk) {
                    plates.emplace_back(data->rbnext->resval.rstring, extents);
                }
                acutRelRb(data);
            }
        } else if (AcDbBlockReference::cast(entity) != nullptr) {
            references.push_back(entity->objectId());
        }
        entity->close();
    }
    delete it;
    record->close();
    for (const AcDbObjectId id : references) {
        zelko::SymInfo* info = zelko::SymInfoOpen(id);
        const std::string type = info != nullptr ? zelko::SymTypeName(info) : "";
        zelko::SymInfoFree(info);
        if (type != "BAN" && type != "TERM" && type != "PNL") {
            continue;
        }
        AcDbBlockReference* reference = nullptr;
        if (acdbOpenObject(reference, id, AcDb::kForWrite) != Acad::eOk) {
            continue;
        }
        AcDbExtents box;
        reference->getGeomExtents(box);
        std::string plateName;
        for (const auto& [name, plate] : plates) {
            const AcGePoint3d &a = box.minPoint(), &b = box.maxPoint();
            const AcGePoint3d &c = plate.minPoint(), &e = plate.maxPoint();
            if (a.x <= e.x && c.x <= b.x && a.y <= e.y && c.y <= b.y && a.z <= e.z && c.z <= b.z) {
                plateName = name;
                break;
            }
        }
        SetOrAddAttribute(reference, "WP_PLATENAME", plateName);
        SetOrAddAttribute(reference, "BAN_NO", panelNo);
        reference->close();
    }
}

/// The development drawing of a row of panels, laid out as the development-drawing command
/// lays it out with "Not Blockage" ticked: the frame, then each panel drawing of the row
/// inserted left to right, its lower-left corner 100 units right of the previous one's
/// extents, its symbols tagged, and exploded into model space, so the extraction reads its
/// symbols and plates. The first three components get route cuts.
bool WriteDevelopmentDrawing(const fs::path& file, const std::vector<fs::path>& panelDrawings,
                             const std::vector<std::string>& panelNos,
                             std::vector<RouteCutSample>& cuts, std::string& error) {
    Drawing d;
    DrawFrame(d);
    double x = 0;
    for (std::size_t i = 0; i < panelDrawings.size(); ++i) {
        AcDbDatabase side(false, false);
        if (side.readDwgFile(panelDrawings[i].c_str()) != Acad::eOk) {
            error = side.lastError();
            return false;
        }
        const AcDbExtents box = ModelSpaceBox(side);
        AcDbObjectId block;
        if (d.db().insert(block, "*U", &side, true) != Acad::eOk) {
            error = "'" + panelDrawings[i].string() + "' cannot be inserted";
            return false;
        }
        TagSymbols(block, panelNos[i]);
        auto* reference =
            new AcDbBlockReference(AcGePoint3d(x - box.minPoint().x, -box.minPoint().y, 0), block);
        const AcDbObjectId id = d.Add(reference, "0");
        AcDbBlockReference* placed = nullptr;
        AcDbExtents extents;
        if (acdbOpenObject(placed, id, AcDb::kForRead) == Acad::eOk) {
            placed->getGeomExtents(extents);
            placed->close();
        }
        if (zelko::SymExplode(d.db().modelSpaceId(), id) == 0) {
            error = "'" + panelDrawings[i].string() +
                    "' cannot be exploded: " + zelko::MakerLastError();
            return false;
        }
        x = extents.maxPoint().x + 100;
    }
    if (!d.Save(file, error)) {
        return false;
    }
    // Route cuts for the first three components (by handle, as the store keeps them).
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, d.db().modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    int found = 0;
    for (; it != nullptr && !it->done() && found < 3; it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) {
            continue;
        }
        if (AcDbBlockReference::cast(entity) != nullptr) {
            zelko::SymInfo* info = zelko::SymInfoOpen(AcDbBlockReference::cast(entity));
            if (info != nullptr && std::string(zelko::SymTypeName(info)) == "BAN") {
                AcDbHandle handle;
                entity->getAcDbHandle(handle);
                char text[17] = {};
                handle.getIntoAsciiBuffer(text, sizeof text);
                ++found;
                // One, two and three cuts.
                for (int k = 1; k <= found; ++k) {
                    cuts.push_back({file.stem().string(), text, k, 100 * found + k});
                }
            }
            zelko::SymInfoFree(info);
        }
        entity->close();
    }
    delete it;
    space->close();
    return true;
}

}  // namespace

bool WriteLayoutDrawings(const fs::path& project, const Options& options,
                         std::vector<RouteCutSample>& cuts, std::string& error) {
    std::error_code ec;
    fs::create_directories(project / "DWG" / "SCHEMATIC", ec);
    fs::create_directories(project / "DWG" / "PANEL", ec);
    fs::create_directories(project / "DWG" / "LAYOUT", ec);
    for (int p = 1; p <= options.panels; ++p) {
        if (!WriteLayout(project / "DWG" / PanelDrawing(p), p, options, error) ||
            !WriteDoor(project / "DWG" / DoorDrawing(p), p, error)) {
            return false;
        }
    }
    // Development drawings of an earlier sample (other rows, or the per-panel layouts of
    // earlier versions) would be read with the new ones: the layout folder keeps only these.
    const fs::path layout = project / "DWG" / "LAYOUT";
    for (const auto& entry : fs::directory_iterator(layout, ec)) {
        const std::string name = common::ToUpper(entry.path().filename().string());
        if (name.starts_with("LAYOUT") && name.ends_with(".DWG")) {
            fs::remove(entry.path(), ec);
        }
    }
    for (int r = 1; r <= RowCount(options); ++r) {
        std::vector<fs::path> drawings;
        std::vector<std::string> numbers;
        for (int p = 1; p <= options.panels; ++p) {
            if (RowOf(p, options) == r) {
                for (const std::string& drawing : {PanelDrawing(p), DoorDrawing(p)}) {
                    drawings.push_back(project / "DWG" / drawing);
                    numbers.push_back(PanelNo(p));
                }
            }
        }
        const fs::path file = layout / ("LAYOUT_" + RowName(r) + ".dwg");
        if (!WriteDevelopmentDrawing(file, drawings, numbers, cuts, error)) {
            return false;
        }
    }
    if (!WriteLayout3D(layout / ("LAYOUT_" + PanelName(1) + ".dwg"), 1, options, error)) {
        return false;
    }
    Drawing schematic;
    schematic.Text(0, 0, 5, "S001", "0");
    return schematic.Save(project / "DWG" / "SCHEMATIC" / "S001.dwg", error);
}

bool WriteSupportDrawings(const fs::path& installation, std::string& error) {
    const fs::path support = installation / "SUPPORT";
    {
        Drawing frame;  // the frame of a development drawing
        DrawFrame(frame);
        if (!frame.Save(support / "WAKUBASE.dxf", error)) {
            return false;
        }
    }
    {
        Drawing mark;  // the duct junction mark: two rings around the junction point
        mark.Layer("DUCT", 3);
        mark.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 12), "DUCT");
        mark.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 6), "DUCT");
        if (!mark.Save(support / "CMARK_DUCT.dxf", error)) {
            return false;
        }
    }
    // Direction marks: an arrow that comes down onto the terminal (code T; the commands turn
    // it for the other codes); tube marks carry a ring, the nearest-duct marks an "N".
    for (const char* key : {"WIREDIRECTION", "TUBEDIRECTION", "WIREDIRECTIONN", "TUBEDIRECTIONN"}) {
        const std::string name = key;
        Drawing mark;
        mark.Layer("WARNING", 1);
        mark.Line(0, 0, 0, 10, "WARNING");
        mark.Line(0, 0, -2, 4, "WARNING");
        mark.Line(0, 0, 2, 4, "WARNING");
        if (name.starts_with("TUBE")) {
            mark.Add(new AcDbCircle(AcGePoint3d(0, 12, 0), AcGeVector3d(0, 0, 1), 2), "WARNING");
        }
        if (name.ends_with("NN")) {
            mark.Text(3, 6, 3, "N", "WARNING");
        }
        if (!mark.Save(support / (name + ".dxf"), error)) {
            return false;
        }
    }
    // The symbol library the relay-terminal placement draws from ("SYMBOL/<symbol>.dxf"): a
    // terminal block 8 units wide per terminal, 2D and 3D symbols of the terminal parts.
    const std::array<std::pair<const char*, int>, 6> symbols = {
        {{"TB-10", 1}, {"RT-1", 1}, {"RT-2", 2}, {"TB10_3D", 1}, {"RT1_3D", 1}, {"RT2_3D", 2}}};
    for (const auto& [name, pins] : symbols) {
        Drawing symbol;
        symbol.Layer("TERMINAL", 4);
        symbol.Rectangle(0, -12, 8.0 * pins, 12, "TERMINAL");
        for (int pin = 1; pin < pins; ++pin) {
            symbol.Line(8.0 * pin, -12, 8.0 * pin, 12, "TERMINAL");
        }
        symbol.Add(new AcDbCircle(AcGePoint3d(4, 6, 0), AcGeVector3d(0, 0, 1), 2), "TERMINAL");
        if (!symbol.Save(installation / "SYMBOL" / (std::string(name) + ".dxf"), error)) {
            return false;
        }
    }
    return true;
}

}  // namespace sampleproject
