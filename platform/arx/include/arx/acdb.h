#pragma once

// The drawing database, under the CAD host's own names: databases read from and saved to DXF,
// object ids and handles, opening and closing objects, symbol tables, dictionaries and groups,
// the draw-order table, and the entities the plug-in works with. Everything a drawing holds that
// these classes do not model is kept and written back unchanged.
//
// Text is UTF-8 (ACHAR is char). Functions that return an allocated text (layer(),
// textString(), tag(), getName(ACHAR*&)) allocate it with acutNewString; free it with
// acutDelString. platform/arx/README.md lists every operation and how it differs from the host.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "arx/acge.h"
#include "arx/adsrb.h"

namespace Adesk {
using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Int64 = std::int64_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using Boolean = bool;
constexpr bool kTrue = true;
constexpr bool kFalse = false;
}  // namespace Adesk

/// Status codes of the database operations. The values are the host's, except that
/// eWasErased is 87 (the value the plug-in tests for) and eOnLockedLayer took its place at 80.
struct Acad {
    enum ErrorStatus {
        eOk = 0,
        eNotImplementedYet = 1,
        eNotApplicable = 2,
        eInvalidInput = 3,
        eOutOfMemory = 6,
        eBufferTooSmall = 7,
        eInvalidOpenState = 8,
        eHandleExists = 10,
        eNullHandle = 11,
        eBrokenHandle = 12,
        eUnknownHandle = 13,
        eHandleInUse = 14,
        eNullObjectPointer = 15,
        eNullObjectId = 16,
        eNullBlockName = 17,
        eNullEntityPointer = 20,
        eIllegalEntityType = 21,
        eKeyNotFound = 22,
        eDuplicateKey = 23,
        eInvalidIndex = 24,
        eAlreadyInDb = 26,
        eInvalidExtents = 30,
        eInvalidAdsName = 31,
        eInvalidSymbolTableName = 32,
        eInvalidKey = 33,
        eWrongObjectType = 34,
        eWrongDatabase = 35,
        eInvalidDwgVersion = 37,
        eEndOfFile = 41,
        eNotOpenForRead = 44,
        eNotOpenForWrite = 45,
        eNotThatKindOfClass = 46,
        eInvalidBlockName = 47,
        eMissingDxfField = 48,
        eDuplicateDxfField = 49,
        eInvalidDxfCode = 50,
        eInvalidResBuf = 51,
        eBadDxfSequence = 52,
        eFilerError = 53,
        eDxfPartiallyRead = 62,
        eDxfReadAborted = 63,
        eFileAccessErr = 72,
        eFileSystemErr = 73,
        eFileInternalErr = 74,
        eFileNotFound = 76,
        eOnLockedLayer = 80,
        ePermanentlyErased = 81,
        eWasOpenedForRead = 82,
        eWasOpenedForWrite = 83,
        eWasOpenedForNotify = 86,
        eWasErased = 87,
        eAtMaxReaders = 90,
        eNotAnEntity = 93,
        eHadMultipleReaders = 94,
        eDuplicateRecordName = 95,
        eSelfReference = 97,
        eMissingSymbolTable = 98,
        eMissingSymbolTableRec = 99,
        eWasNotOpenForWrite = 100,
        eWasNotErased = 107,
        eNoDatabase = 124,
        eXdataSizeExceeded = 125,
        eRegappIdNotFound = 126,
        eNotInBlock = 131,
        eOwnerNotInDatabase = 132,
        eCannotScaleNonUniformly = 136,
        eNotInDatabase = 137,
        eIsAnEntity = 139,
        eOutOfRange = 151,
        eDegenerateGeometry = 153,
        eCannotExplodeEntity = 159,
        eStringTooLong = 160,
        eInvalidLayer = 173,
        eBadColorIndex = 202,
        eAlreadyInGroup = 260,
        eNotInGroup = 261,
        eInvalidNormal = 291,
        eNullExtents = 312,
        eBadDwgHeader = 314,
        eNoDocument = 330,
        eNoFileName = 365,
        eBadDxfFile = 368,
        eUnknownDxfFileFormat = 369,
        eMissingDxfSection = 370,
        eInvalidDxfSectionName = 371,
        eIncompleteBlockDefinition = 379,
        eIncompleteComplexObject = 380,
        eUnsupportedFileFormat = 434,
        eFileSharingViolation = 435,  // ours: the drawing is in use (arx/DrawingLock.h)
    };
};

/// The name of a status ("eWasErased"), as the host's console messages show it.
const ACHAR* acadErrorStatusText(Acad::ErrorStatus status);

namespace AcDb {
enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum AcDbDwgVersion {
    kDHL_CURRENT = -1,
    kDHL_1009 = 16,
    kDHL_1012 = 18,
    kDHL_1014 = 21,
    kDHL_1015 = 23,
    kDHL_1018 = 25,
    kDHL_1021 = 27,
    kDHL_1024 = 29,
    kDHL_1027 = 31,
    kDHL_1032 = 33,
};
enum TextHorzMode {
    kTextLeft = 0,
    kTextCenter = 1,
    kTextRight = 2,
    kTextAlign = 3,
    kTextMid = 4,
    kTextFit = 5
};
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
}  // namespace AcDb

/// A type descriptor for run-time class checks (`isKindOf`, `cast`).
class AcRxClass {
public:
    AcRxClass(const char* name, const AcRxClass* parent) : m_name(name), m_parent(parent) {}
    const char* name() const { return m_name; }
    const AcRxClass* myParent() const { return m_parent; }
    bool isDerivedFrom(const AcRxClass* other) const;

private:
    const char* m_name;
    const AcRxClass* m_parent;
};

#define ARX_DECLARE_MEMBERS(CLASS)                                        \
    static AcRxClass* desc();                                             \
    const AcRxClass* isA() const override {                               \
        return desc();                                                    \
    }                                                                     \
    static CLASS* cast(const AcRxObject* object) {                        \
        return object != nullptr && object->isKindOf(desc())              \
                   ? static_cast<CLASS*>(const_cast<AcRxObject*>(object)) \
                   : nullptr;                                             \
    }

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
    static AcRxClass* desc();
    virtual const AcRxClass* isA() const { return desc(); }
    bool isKindOf(const AcRxClass* cls) const { return isA()->isDerivedFrom(cls); }
};

/// A 64-bit object handle; its text is upper-case hexadecimal without leading zeros.
class AcDbHandle {
public:
    AcDbHandle() = default;
    AcDbHandle(std::uint64_t value) : m_value(value) {}  // NOLINT: as the host's
    explicit AcDbHandle(const ACHAR* hexText);
    bool isNull() const { return m_value == 0; }
    std::uint64_t value() const { return m_value; }
    /// Writes the hexadecimal text; `length` must hold 17 characters for every handle.
    bool getIntoAsciiBuffer(ACHAR* buffer, std::size_t length = 17) const;
    std::string text() const;
    bool operator==(const AcDbHandle& other) const { return m_value == other.m_value; }
    bool operator!=(const AcDbHandle& other) const { return m_value != other.m_value; }

private:
    std::uint64_t m_value = 0;
};

struct AcDbStub;
namespace arx::detail {
struct DatabaseImpl;
}
class AcDbDatabase;
class AcDbObject;
class AcDbEntity;

/// Identifies one object of a database while the database lives.
class AcDbObjectId {
public:
    AcDbObjectId() = default;
    bool isNull() const { return m_stub == nullptr; }
    bool isValid() const { return m_stub != nullptr; }
    bool isErased() const;
    AcDbHandle handle() const;
    AcDbDatabase* database() const;
    /// The object's type in the drawing file ("LINE", "LAYER", ...); empty for the null id.
    std::string_view dxfType() const;
    bool operator==(const AcDbObjectId& other) const { return m_stub == other.m_stub; }
    bool operator!=(const AcDbObjectId& other) const { return m_stub != other.m_stub; }
    bool operator<(const AcDbObjectId& other) const {
        return std::less<const AcDbStub*>()(m_stub, other.m_stub);
    }

    static const AcDbObjectId kNull;

    // For the database only.
    explicit AcDbObjectId(AcDbStub* stub) : m_stub(stub) {}
    AcDbStub* stub() const { return m_stub; }

private:
    AcDbStub* m_stub = nullptr;
};

template <>
struct std::hash<AcDbObjectId> {
    std::size_t operator()(const AcDbObjectId& id) const noexcept {
        return std::hash<const void*>()(id.stub());
    }
};

class AcDbObjectIdArray : public std::vector<AcDbObjectId> {
public:
    using std::vector<AcDbObjectId>::vector;
    int length() const { return static_cast<int>(size()); }
    int logicalLength() const { return length(); }
    bool isEmpty() const { return empty(); }
    AcDbObjectIdArray& append(const AcDbObjectId& id) {
        push_back(id);
        return *this;
    }
    bool contains(const AcDbObjectId& id) const;
};

/// A colour: an index of the drawing's colour table, or by layer (256) or by block (0).
class AcCmColor {
public:
    AcCmColor() = default;
    explicit AcCmColor(Adesk::UInt16 index) : m_index(index) {}
    Adesk::UInt16 colorIndex() const { return m_index; }
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index);
    bool isByLayer() const { return m_index == 256; }
    bool isByBlock() const { return m_index == 0; }

private:
    Adesk::UInt16 m_index = 256;
};

/// An axis-aligned box. A new box is empty (its minimum above its maximum).
class AcDbExtents {
public:
    AcDbExtents();
    AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : m_min(min), m_max(max) {}
    const AcGePoint3d& minPoint() const { return m_min; }
    const AcGePoint3d& maxPoint() const { return m_max; }
    Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
    void addPoint(const AcGePoint3d& point);
    void addExt(const AcDbExtents& other);
    /// The box of the eight transformed corners.
    void transformBy(const AcGeMatrix3d& matrix);
    void expandBy(const AcGeVector3d& vector);
    bool isEmpty() const { return m_min.x > m_max.x; }

private:
    AcGePoint3d m_min;
    AcGePoint3d m_max;
};

// --- objects -------------------------------------------------------------------------------------

/// Any object of a drawing. Objects of a database are opened with acdbOpenObject and closed
/// with close(); the database owns them. A new object (new AcDbLine) belongs to its creator
/// until it is added to a database.
class AcDbObject : public AcRxObject {
public:
    ARX_DECLARE_MEMBERS(AcDbObject)
    AcDbObject(const AcDbObject&) = delete;
    AcDbObject& operator=(const AcDbObject&) = delete;
    ~AcDbObject() override;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const;
    AcDbDatabase* database() const;
    Acad::ErrorStatus getAcDbHandle(AcDbHandle& handle) const;
    /// The object's type in the drawing file ("LINE", "GROUP", ...).
    std::string_view dxfType() const;

    Acad::ErrorStatus close();
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    Acad::ErrorStatus erase(bool erasing = true);
    bool isErased() const;
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isNotifyEnabled() const;
    bool isNewObject() const;

    /// The extended data of `appName` (every application when null) as a chain that starts with
    /// the 1001 item of each application; null when there is none. Release with acutRelRb.
    resbuf* xData(const ACHAR* appName = nullptr) const;
    /// Replaces the extended data of each application named by a 1001 item of `chain`; an
    /// application without items after its name loses its data. Every application must be
    /// registered in the database (eRegappIdNotFound otherwise).
    Acad::ErrorStatus setXData(const resbuf* chain);
    AcDbObjectId extensionDictionary() const;
    /// The object's data as the file holds it, after the type and before the extended data:
    /// (group code, value) pairs, text values decoded to UTF-8, other values as written. For
    /// reading what the classes do not model (a hatch's boundary, a vertex's width).
    std::vector<std::pair<int, std::string>> dxfTags() const;

    // For the database only.
    AcDbStub* stub() const { return m_stub; }
    void attachStub(AcDbStub* stub) { m_stub = stub; }

protected:
    /// A new object of the given file type with the given initial tags (code, value text).
    AcDbObject(std::string_view dxfType,
               std::initializer_list<std::pair<int, std::string_view>> tags);
    explicit AcDbObject(AcDbStub* stub);
    /// eOk when the object may be changed (open for write, or not in a database).
    Acad::ErrorStatus assertWriteEnabled() const;

    friend struct AcDbObjectFactory;

private:
    AcDbStub* m_stub = nullptr;
    std::unique_ptr<AcDbStub> m_ownStub;  // while the object is in no database
    friend class AcDbDatabase;
    friend struct arx::detail::DatabaseImpl;
    friend class AcDbBlockTableRecord;
    friend class AcDbBlockReference;
    friend class AcDbSymbolTable;
    friend class AcDbDictionary;
};

/// An object drawn in a block (model space, paper space or a block definition).
class AcDbEntity : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbEntity)

    /// The layer name, allocated (free with acutDelString).
    ACHAR* layer() const;
    std::string layerName() const;
    AcDbObjectId layerId() const;
    /// eKeyNotFound when the layer does not exist in the entity's (or the working) database.
    Acad::ErrorStatus setLayer(const ACHAR* layerName, bool doSubents = true,
                               bool allowHiddenLayer = false);
    Acad::ErrorStatus setLayer(AcDbObjectId layerId, bool doSubents = true,
                               bool allowHiddenLayer = false);
    Adesk::UInt16 colorIndex() const;
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index, bool doSubents = true);
    AcCmColor color() const;
    Acad::ErrorStatus setColor(const AcCmColor& color, bool doSubents = true);
    /// The current layer and colour of `database` (the working database when null).
    void setDatabaseDefaults(AcDbDatabase* database = nullptr);
    AcDbObjectId blockId() const;
    /// The entities that follow this one up to its SEQEND: a block reference's attributes, an
    /// old-style polyline's vertices (empty for other entities).
    AcDbObjectIdArray subEntityIds() const;

    /// The box around the entity in world coordinates; eInvalidExtents when it has none.
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
    /// The modelled classes and the types listed in platform/arx/README.md; eNotApplicable for
    /// the others (meshes, images, unknown types), which stay as they are.
    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix);

    /// A copy of the entity in its own block, with new handles (its attributes or vertices,
    /// and its extension dictionary, are copied too), placed right after it; references to
    /// other objects stay, group memberships do not come along; a dimension gets a copy of its
    /// anonymous block. The copy is not open.
    /// eNotInDatabase for an entity that is not in a block.
    Acad::ErrorStatus copyInPlace(AcDbObjectId& copyId) const;
    /// A copy of the entity, as copyInPlace makes it, appended at the end of the block
    /// `blockId` of the same database (model space, paper space or a block definition); it
    /// keeps every property (layer, line type, line weight, colour, extended data). Not for a
    /// dimension. eNotInDatabase for an entity in no block, eWrongDatabase for a block of
    /// another database, eNotApplicable for a dimension or an id that names no block.
    Acad::ErrorStatus copyInto(AcDbObjectId blockId, AcDbObjectId& copyId) const;

    /// The extents of the entity transformed by `matrix` (used for nested block references).
    virtual Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& matrix, AcDbExtents& ext) const;

protected:
    using AcDbObject::AcDbObject;
};

class AcDbLine : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbLine)
    AcDbLine();
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end);
    AcGePoint3d startPoint() const;
    AcGePoint3d endPoint() const;
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& point);
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& point);
    AcGeVector3d normal() const;
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

class AcDbCircle : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbCircle)
    AcDbCircle();
    AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius);
    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

class AcDbArc : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbArc)
    AcDbArc();
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
            double endAngle);
    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);
    /// Angles in radians, counter-clockwise about the normal from the object X axis.
    double startAngle() const;
    double endAngle() const;
    Acad::ErrorStatus setStartAngle(double angle);
    Acad::ErrorStatus setEndAngle(double angle);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

/// A lightweight polyline: 2D vertices in its object coordinate system, with bulges.
class AcDbPolyline : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbPolyline)
    explicit AcDbPolyline(unsigned int numVerts = 0);
    unsigned int numVerts() const;
    /// The vertex in the polyline's own plane.
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& point) const;
    /// The vertex in world coordinates.
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& point);
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge = 0,
                                  double startWidth = -1, double endWidth = -1);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    bool isClosed() const;
    void setClosed(bool closed);
    double elevation() const;
    void setElevation(double elevation);
    AcGeVector3d normal() const;
    void setNormal(const AcGeVector3d& normal);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

/// A single-line text.
class AcDbText : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbText)
    AcDbText();
    AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style = AcDbObjectId(),
             double height = 0, double rotation = 0);
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& point);
    AcGePoint3d alignmentPoint() const;
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& point);
    bool isDefaultAlignment() const;
    double height() const;
    Acad::ErrorStatus setHeight(double height);
    /// Radians.
    double rotation() const;
    Acad::ErrorStatus setRotation(double rotation);
    double widthFactor() const;
    Acad::ErrorStatus setWidthFactor(double factor);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    AcDb::TextHorzMode horizontalMode() const;
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const;
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
    bool isMirroredInX() const;
    /// The text, allocated (free with acutDelString).
    ACHAR* textString() const;
    std::string text() const;
    Acad::ErrorStatus setTextString(const ACHAR* text);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
    /// Where the text-subclass data ends and the vertical-mode tag goes.
    virtual std::string_view verticalModeSubclass() const { return "AcDbText"; }
};

/// An attribute of a block reference.
class AcDbAttribute : public AcDbText {
public:
    ARX_DECLARE_MEMBERS(AcDbAttribute)
    AcDbAttribute();
    AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                  AcDbObjectId style = AcDbObjectId());
    /// The tag, allocated (free with acutDelString).
    ACHAR* tag() const;
    std::string tagName() const;
    Acad::ErrorStatus setTag(const ACHAR* tag);
    bool isInvisible() const;
    Acad::ErrorStatus setInvisible(bool invisible);
    bool isConstant() const;

protected:
    using AcDbText::AcDbText;
    friend struct AcDbObjectFactory;
    std::string_view verticalModeSubclass() const override { return "AcDbAttribute"; }
};

/// An attribute definition of a block.
class AcDbAttributeDefinition : public AcDbText {
public:
    ARX_DECLARE_MEMBERS(AcDbAttributeDefinition)
    ACHAR* tag() const;
    std::string tagName() const;
    std::string promptText() const;
    bool isConstant() const;
    bool isInvisible() const;

protected:
    using AcDbText::AcDbText;
    friend struct AcDbObjectFactory;
    std::string_view verticalModeSubclass() const override { return "AcDbAttributeDefinition"; }
};

/// A multi-line text.
class AcDbMText : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbMText)
    enum AttachmentPoint {
        kTopLeft = 1,
        kTopCenter = 2,
        kTopRight = 3,
        kMiddleLeft = 4,
        kMiddleCenter = 5,
        kMiddleRight = 6,
        kBottomLeft = 7,
        kBottomCenter = 8,
        kBottomRight = 9
    };
    AcDbMText();
    AcGePoint3d location() const;
    Acad::ErrorStatus setLocation(const AcGePoint3d& point);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    AcGeVector3d direction() const;
    Acad::ErrorStatus setDirection(const AcGeVector3d& direction);
    /// Radians, about the normal from the object X axis.
    double rotation() const;
    Acad::ErrorStatus setRotation(double rotation);
    double textHeight() const;
    Acad::ErrorStatus setTextHeight(double height);
    double width() const;
    Acad::ErrorStatus setWidth(double width);
    AttachmentPoint attachment() const;
    Acad::ErrorStatus setAttachment(AttachmentPoint point);
    /// The contents with their format codes, allocated (free with acutDelString).
    ACHAR* contents() const;
    std::string text() const;
    Acad::ErrorStatus setContents(const ACHAR* text);
    bool backgroundFillOn() const;
    Acad::ErrorStatus setBackgroundFill(bool enable);
    Acad::ErrorStatus getBackgroundFillColor(AcCmColor& color) const;
    Acad::ErrorStatus setBackgroundFillColor(const AcCmColor& color);
    Acad::ErrorStatus setBackgroundScaleFactor(double scale);
    Acad::ErrorStatus setUseBackgroundColor(bool enable);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

/// Walks the attributes of a block reference.
class AcDbObjectIterator {
public:
    explicit AcDbObjectIterator(std::vector<AcDbObjectId> ids) : m_ids(std::move(ids)) {}
    bool done() const { return m_index >= m_ids.size(); }
    void step(bool backwards = false, bool skipErased = true);
    void start(bool atEnd = false);
    AcDbObjectId objectId() const { return done() ? AcDbObjectId() : m_ids[m_index]; }
    /// The object of the current item (not opened: use objectId with acdbOpenObject).
    AcDbEntity* entity() const;

private:
    void skipErased(bool forward);
    std::vector<AcDbObjectId> m_ids;
    std::size_t m_index = 0;
};

/// A reference to a block definition.
class AcDbBlockReference : public AcDbEntity {
public:
    ARX_DECLARE_MEMBERS(AcDbBlockReference)
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord);
    AcDbObjectId blockTableRecord() const;
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& point);
    /// Radians.
    double rotation() const;
    Acad::ErrorStatus setRotation(double rotation);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    AcGeScale3d scaleFactors() const;
    Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
    /// Block coordinates to world coordinates (base point, scale, rotation, plane, position).
    AcGeMatrix3d blockTransform() const;
    /// A new iterator over the attributes (delete it when done).
    AcDbObjectIterator* attributeIterator() const;
    /// Adds an attribute (owned by the reference from then on).
    Acad::ErrorStatus appendAttribute(AcDbAttribute* attribute);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
    Acad::ErrorStatus extentsUnder(const AcGeMatrix3d& m, AcDbExtents& ext) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& matrix) override;

protected:
    using AcDbEntity::AcDbEntity;
    friend struct AcDbObjectFactory;
};

// --- symbol tables -------------------------------------------------------------------------------

class AcDbSymbolTableRecord : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbSymbolTableRecord)
    /// The name, allocated (free with acutDelString).
    Acad::ErrorStatus getName(ACHAR*& name) const;
    Acad::ErrorStatus getName(std::string& name) const;
    std::string name() const;
    Acad::ErrorStatus setName(const ACHAR* name);
    bool isDependent() const;

protected:
    using AcDbObject::AcDbObject;
    friend struct AcDbObjectFactory;
};

/// Walks a list of ids, passing over erased objects unless told not to.
class AcDbIdListIterator {
public:
    void start(bool atBeginning = true, bool skipErased = true);
    bool done() const;
    void step(bool forward = true, bool skipErased = true);

protected:
    AcDbIdListIterator(std::vector<AcDbObjectId> ids, bool atBeginning, bool skipErased);
    /// The current id, or null when done.
    AcDbObjectId current() const;

private:
    void skip(bool forward);
    std::vector<AcDbObjectId> m_ids;
    std::ptrdiff_t m_index = 0;
};

class AcDbSymbolTableIterator : public AcDbIdListIterator {
public:
    AcDbSymbolTableIterator(std::vector<AcDbObjectId> ids, bool atBeginning, bool skipErased)
        : AcDbIdListIterator(std::move(ids), atBeginning, skipErased) {}
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record,
                                AcDb::OpenMode mode = AcDb::kForRead,
                                bool openErased = false) const;
};

/// A symbol-table iterator that opens records of one class.
template <class Record>
class AcDbTypedTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(Record*& record, AcDb::OpenMode mode = AcDb::kForRead,
                                bool openErased = false) const {
        AcDbSymbolTableRecord* base = nullptr;
        Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(base, mode, openErased);
        record = es == Acad::eOk ? Record::cast(base) : nullptr;
        if (es == Acad::eOk && record == nullptr) {
            base->close();  // an entry of another type in this table
            return Acad::eNotThatKindOfClass;
        }
        return es;
    }
};

class AcDbSymbolTable : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbSymbolTable)
    /// The id of the record named `name` (compared case-insensitively).
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErased = false) const;
    Acad::ErrorStatus getIdAt(const ACHAR* name, AcDbObjectId& id, bool getErased = false) const {
        return getAt(name, id, getErased);
    }
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    bool has(const ACHAR* name) const;
    bool has(AcDbObjectId id) const;
    /// Adds a new record (the table takes it; close it when done). eDuplicateRecordName when a
    /// record of that name exists, eInvalidSymbolTableName for an empty or invalid name.
    Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    /// The table's name in the drawing file ("LAYER", "BLOCK_RECORD", ...).
    std::string tableName() const;

protected:
    using AcDbObject::AcDbObject;
    friend struct AcDbObjectFactory;
    std::vector<AcDbObjectId> recordIds() const;
};

/// A symbol table whose records and iterators are of given classes.
template <class Record, class Iterator>
class AcDbTypedSymbolTable : public AcDbSymbolTable {
public:
    using AcDbSymbolTable::add;
    using AcDbSymbolTable::getAt;
    using AcDbSymbolTable::newIterator;
    Acad::ErrorStatus getAt(const ACHAR* name, Record*& record, AcDb::OpenMode mode,
                            bool openErased = false) const {
        AcDbSymbolTableRecord* base = nullptr;
        Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, base, mode, openErased);
        record = es == Acad::eOk ? Record::cast(base) : nullptr;
        if (es == Acad::eOk && record == nullptr) {
            base->close();
            return Acad::eNotThatKindOfClass;
        }
        return es;
    }
    Acad::ErrorStatus newIterator(Iterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const {
        iterator = new Iterator(recordIds(), atBeginning, skipDeleted);
        return Acad::eOk;
    }

protected:
    using AcDbSymbolTable::AcDbSymbolTable;
};

class AcDbBlockTableRecordIterator;
class AcDbSortentsTable;

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ARX_DECLARE_MEMBERS(AcDbBlockTableRecord)
    AcDbBlockTableRecord();
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    /// Adds a new entity (the block takes it; close it when done).
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
    /// The block's draw-order table; created when missing and `createIfNecessary` is set.
    Acad::ErrorStatus getSortentsTable(AcDbSortentsTable*& table, AcDb::OpenMode mode,
                                       bool createIfNecessary = false);
    AcGePoint3d origin() const;
    Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);
    bool isAnonymous() const;
    bool isLayout() const;
    bool hasAttributeDefinitions() const;
    bool isFromExternalReference() const;

protected:
    using AcDbSymbolTableRecord::AcDbSymbolTableRecord;
    friend struct AcDbObjectFactory;
};

class AcDbBlockTableRecordIterator : public AcDbIdListIterator {
public:
    AcDbBlockTableRecordIterator(std::vector<AcDbObjectId> ids, bool atBeginning, bool skipErased)
        : AcDbIdListIterator(std::move(ids), atBeginning, skipErased) {}
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& entity, AcDb::OpenMode mode = AcDb::kForRead,
                                bool openErased = false) const;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ARX_DECLARE_MEMBERS(AcDbLayerTableRecord)
    AcDbLayerTableRecord();
    bool isOff() const;
    void setIsOff(bool off);
    bool isFrozen() const;
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isLocked() const;
    void setIsLocked(bool locked);
    AcCmColor color() const;
    void setColor(const AcCmColor& color);

protected:
    using AcDbSymbolTableRecord::AcDbSymbolTableRecord;
    friend struct AcDbObjectFactory;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
public:
    ARX_DECLARE_MEMBERS(AcDbRegAppTableRecord)
    AcDbRegAppTableRecord();

protected:
    using AcDbSymbolTableRecord::AcDbSymbolTableRecord;
    friend struct AcDbObjectFactory;
};

using AcDbBlockTableIterator = AcDbTypedTableIterator<AcDbBlockTableRecord>;
using AcDbLayerTableIterator = AcDbTypedTableIterator<AcDbLayerTableRecord>;
using AcDbRegAppTableIterator = AcDbTypedTableIterator<AcDbRegAppTableRecord>;

class AcDbBlockTable : public AcDbTypedSymbolTable<AcDbBlockTableRecord, AcDbBlockTableIterator> {
public:
    ARX_DECLARE_MEMBERS(AcDbBlockTable)

protected:
    using AcDbTypedSymbolTable::AcDbTypedSymbolTable;
    friend struct AcDbObjectFactory;
};

class AcDbLayerTable : public AcDbTypedSymbolTable<AcDbLayerTableRecord, AcDbLayerTableIterator> {
public:
    ARX_DECLARE_MEMBERS(AcDbLayerTable)

protected:
    using AcDbTypedSymbolTable::AcDbTypedSymbolTable;
    friend struct AcDbObjectFactory;
};

class AcDbRegAppTable
    : public AcDbTypedSymbolTable<AcDbRegAppTableRecord, AcDbRegAppTableIterator> {
public:
    ARX_DECLARE_MEMBERS(AcDbRegAppTable)

protected:
    using AcDbTypedSymbolTable::AcDbTypedSymbolTable;
    friend struct AcDbObjectFactory;
};

extern const ACHAR* ACDB_MODEL_SPACE;  // "*Model_Space"
extern const ACHAR* ACDB_PAPER_SPACE;  // "*Paper_Space"

// --- dictionaries, groups, draw order ------------------------------------------------------------

class AcDbDictionaryIterator {
public:
    explicit AcDbDictionaryIterator(std::vector<std::pair<std::string, AcDbObjectId>> entries)
        : m_entries(std::move(entries)) {}
    bool done() const { return m_index >= m_entries.size(); }
    bool next() {
        ++m_index;
        return !done();
    }
    const ACHAR* name() const { return done() ? nullptr : m_entries[m_index].first.c_str(); }
    AcDbObjectId objectId() const { return done() ? AcDbObjectId() : m_entries[m_index].second; }
    Acad::ErrorStatus getObject(AcDbObject*& object, AcDb::OpenMode mode) const;

private:
    std::vector<std::pair<std::string, AcDbObjectId>> m_entries;
    std::size_t m_index = 0;
};

/// A dictionary: named references to objects it owns.
class AcDbDictionary : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbDictionary)
    AcDbDictionary();
    Adesk::UInt32 numEntries() const;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id) const;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObject*& object, AcDb::OpenMode mode) const;
    Acad::ErrorStatus nameAt(AcDbObjectId id, std::string& name) const;
    bool has(const ACHAR* name) const;
    bool has(AcDbObjectId id) const;
    /// Adds `object` under `name` (replacing the entry of that name); the dictionary owns it.
    Acad::ErrorStatus setAt(const ACHAR* name, AcDbObject* object, AcDbObjectId& id);
    Acad::ErrorStatus remove(const ACHAR* name);
    Acad::ErrorStatus remove(const ACHAR* name, AcDbObjectId& id);
    /// A new iterator over the entries in their order (delete it when done).
    AcDbDictionaryIterator* newIterator() const;

protected:
    using AcDbObject::AcDbObject;
    friend struct AcDbObjectFactory;
    std::vector<std::pair<std::string, AcDbObjectId>> entries() const;
};

/// A named (or anonymous, "*A1"...) set of entities.
class AcDbGroup : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbGroup)
    explicit AcDbGroup(const ACHAR* description = nullptr, bool selectable = true);
    /// The name under which the group dictionary keeps it.
    Acad::ErrorStatus getName(std::string& name) const;
    std::string description() const;
    Acad::ErrorStatus setDescription(const ACHAR* description);
    bool isSelectable() const;
    Acad::ErrorStatus setSelectable(bool selectable);
    bool isAnonymous() const;
    /// Marks the group anonymous; the group dictionary gives it the next "*A" name when added.
    Acad::ErrorStatus setAnonymous();
    Adesk::UInt32 numEntries() const;
    Adesk::UInt32 allEntityIds(AcDbObjectIdArray& ids) const;
    bool has(const AcDbEntity* entity) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus append(AcDbObjectId id);
    Acad::ErrorStatus append(const AcDbObjectIdArray& ids);
    Acad::ErrorStatus remove(AcDbObjectId id);
    Acad::ErrorStatus clear();

protected:
    using AcDbObject::AcDbObject;
    friend struct AcDbObjectFactory;
};

/// The draw order of one block's entities.
class AcDbSortentsTable : public AcDbObject {
public:
    ARX_DECLARE_MEMBERS(AcDbSortentsTable)
    AcDbObjectId blockId() const;
    /// Moves `ids` (in their current relative order) just below `target`.
    Acad::ErrorStatus moveBelow(const AcDbObjectIdArray& ids, AcDbObjectId target);
    Acad::ErrorStatus moveAbove(const AcDbObjectIdArray& ids, AcDbObjectId target);
    Acad::ErrorStatus moveToBottom(const AcDbObjectIdArray& ids);
    Acad::ErrorStatus moveToTop(const AcDbObjectIdArray& ids);
    /// Every live entity of the block, bottom first.
    Acad::ErrorStatus getFullDrawOrder(AcDbObjectIdArray& ids) const;

protected:
    using AcDbObject::AcDbObject;
    friend struct AcDbObjectFactory;
    Acad::ErrorStatus reorder(const AcDbObjectIdArray& ids, AcDbObjectId target, bool below);
};

// --- the database --------------------------------------------------------------------------------

/// One drawing: read from a DXF file, changed through its objects, saved as DXF in the release
/// and encoding it was read in.
class AcDbDatabase {
public:
    enum OpenMode {
        kForReadAndReadShare = 1,
        kForReadAndWriteNoShare = 2,
        kForReadAndAllShare = 3,
        kTryForReadShare = 4
    };

    /// With `buildDefaultDrawing` a new drawing (release 2010, layer "0", model and paper space,
    /// the group dictionary); without, an empty database to read a file into.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase();
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    /// Reads a DXF drawing into an empty database. A DWG file, a binary DXF, a missing file and
    /// malformed DXF fail with a status; lastError() then names the file and the line. A
    /// drawing in use (arx/DrawingLock.h) fails with eFileSharingViolation in the modes
    /// kForReadAndReadShare and kForReadAndWriteNoShare; kForReadAndAllShare and
    /// kTryForReadShare read its saved file.
    Acad::ErrorStatus readDwgFile(const ACHAR* fileName, OpenMode mode = kForReadAndReadShare,
                                  bool allowCPConversion = false,
                                  const wchar_t* password = nullptr);
    /// Reads DXF text held in memory; `fileName` only names it in messages.
    Acad::ErrorStatus readDxfText(std::string text, const ACHAR* fileName = "(memory)");
    /// Saves as DXF, in the release and encoding the drawing was read in (`version` is
    /// accepted and not used): a temporary file beside the target replaces it when complete.
    /// With `backupAndRename` an existing target is kept as NAME.bak first.
    Acad::ErrorStatus saveAs(const ACHAR* fileName, bool backupAndRename = false,
                             AcDb::AcDbDwgVersion version = AcDb::kDHL_CURRENT,
                             const void* security = nullptr);
    /// The DXF text saveAs would write.
    std::string dxfText() const;

    /// Copies the model space of `source` into this database as a new block definition named
    /// `blockName` ("*U" for a new anonymous block), with the layers, line types, text styles,
    /// dimension styles, registered applications and blocks it uses that this database lacks.
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const ACHAR* blockName, AcDbDatabase* source,
                             bool preserveSourceDatabase = true);

    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
        return getSymbolTable(table, mode);
    }
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
        return getSymbolTable(table, mode);
    }
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) {
        return getSymbolTable(table, mode);
    }
    AcDbObjectId blockTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId regAppTableId() const;
    /// The symbol table named as in the drawing file ("LTYPE", "STYLE", ...), or null.
    AcDbObjectId tableId(std::string_view dxfTableName) const;

    Acad::ErrorStatus getGroupDictionary(AcDbDictionary*& dictionary, AcDb::OpenMode mode);
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& dictionary, AcDb::OpenMode mode);
    AcDbObjectId groupDictionaryId() const;
    AcDbObjectId namedObjectsDictionaryId() const;

    /// Model space (this database has no viewports that make paper space current).
    AcDbObjectId currentSpaceId() const;
    AcDbObjectId modelSpaceId() const;
    double dimscale() const;
    Acad::ErrorStatus setDimscale(double scale);
    AcDbObjectId clayer() const;
    Acad::ErrorStatus setClayer(AcDbObjectId layerId);
    Acad::ErrorStatus getFilename(const ACHAR*& fileName) const;

    /// The id of the object with `handle`; eUnknownHandle when there is none.
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound,
                                      const AcDbHandle& handle, Adesk::UInt32 xRefId = 0);

    // Beyond the host's interface.
    /// "AC1015", "AC1032", ...
    std::string acadVersion() const;
    /// The encoding the file's text is in ("UTF-8", "CP932", ...).
    std::string textEncoding() const;
    /// The raw value of header variable `name` ("$DWGCODEPAGE"), empty when absent.
    std::string headerValue(std::string_view name) const;
    /// The message of the last failed read or save: file, line, what was found.
    const std::string& lastError() const;
    /// What the last read repaired or could not make sense of, one message each (file and line).
    const std::vector<std::string>& readWarnings() const;

    arx::detail::DatabaseImpl& impl() const { return *m_impl; }

private:
    std::unique_ptr<arx::detail::DatabaseImpl> m_impl;
};

// --- opening objects -----------------------------------------------------------------------------

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);

/// Opens the object of `id` as a T; eNotThatKindOfClass when it is not one.
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) {
    object = nullptr;
    AcDbObject* base = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(base, id, mode, openErased);
    if (es != Acad::eOk)
        return es;
    object = T::cast(base);
    if (object == nullptr) {
        base->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}

/// The id behind a selection-set entity name, and back.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id);

// --- the host's services -------------------------------------------------------------------------

class AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const { return m_working; }
    void setWorkingDatabase(AcDbDatabase* database) { m_working = database; }

private:
    AcDbDatabase* m_working = nullptr;
};

AcDbHostApplicationServices* acdbHostApplicationServices();

/// A drawing open in the host. The host program creates documents and makes one current.
class AcApDocument {
public:
    explicit AcApDocument(AcDbDatabase* database) : m_database(database) {}
    AcDbDatabase* database() const { return m_database; }
    const ACHAR* fileName() const;

private:
    AcDbDatabase* m_database;
};

class AcApDocManager {
public:
    AcApDocument* curDocument() const { return m_current; }
    AcApDocument* mdiActiveDocument() const { return m_current; }
    /// Makes `document` current (null for none); the working database follows it.
    void setCurDocument(AcApDocument* document);

private:
    AcApDocument* m_current = nullptr;
};

AcApDocManager* acDocManagerPtr();
