// Objects: the class of each stored object, opening and closing with the host's rules, erasing,
// and extended data.

#include <algorithm>
#include <cstring>

#include "model.h"

using namespace arx::detail;

#define ARX_DEFINE_MEMBERS(CLASS, PARENT)             \
    AcRxClass* CLASS::desc() {                        \
        static AcRxClass cls(#CLASS, PARENT::desc()); \
        return &cls;                                  \
    }

ARX_DEFINE_MEMBERS(AcDbObject, AcRxObject)
ARX_DEFINE_MEMBERS(AcDbEntity, AcDbObject)
ARX_DEFINE_MEMBERS(AcDbLine, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbCircle, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbArc, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbPolyline, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbText, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbAttribute, AcDbText)
ARX_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText)
ARX_DEFINE_MEMBERS(AcDbMText, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity)
ARX_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject)
ARX_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord)
ARX_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord)
ARX_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord)
ARX_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject)
ARX_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable)
ARX_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable)
ARX_DEFINE_MEMBERS(AcDbRegAppTable, AcDbSymbolTable)
ARX_DEFINE_MEMBERS(AcDbDictionary, AcDbObject)
ARX_DEFINE_MEMBERS(AcDbGroup, AcDbObject)
ARX_DEFINE_MEMBERS(AcDbSortentsTable, AcDbObject)

// Makes the object of a stored stub, of the class its type calls for.
struct AcDbObjectFactory {
    static AcDbObject* make(AcDbStub* s) {
        std::string_view t = s->type();
        switch (s->kind) {
            case Kind::TableHead: {
                std::string_view name = s->table() ? std::string_view(s->table()->name) : "";
                if (name == "BLOCK_RECORD")
                    return new AcDbBlockTable(s);
                if (name == "LAYER")
                    return new AcDbLayerTable(s);
                if (name == "APPID")
                    return new AcDbRegAppTable(s);
                return new AcDbSymbolTable(s);
            }
            case Kind::TableRecord:
                if (t == "BLOCK_RECORD")
                    return new AcDbBlockTableRecord(s);
                if (t == "LAYER")
                    return new AcDbLayerTableRecord(s);
                if (t == "APPID")
                    return new AcDbRegAppTableRecord(s);
                return new AcDbSymbolTableRecord(s);
            case Kind::Entity:
            case Kind::SubEntity:
                if (t == "LINE")
                    return new AcDbLine(s);
                if (t == "CIRCLE")
                    return new AcDbCircle(s);
                if (t == "ARC")
                    return new AcDbArc(s);
                if (t == "LWPOLYLINE")
                    return new AcDbPolyline(s);
                if (t == "TEXT")
                    return new AcDbText(s);
                if (t == "ATTRIB")
                    return new AcDbAttribute(s);
                if (t == "ATTDEF")
                    return new AcDbAttributeDefinition(s);
                if (t == "MTEXT")
                    return new AcDbMText(s);
                if (t == "INSERT")
                    return new AcDbBlockReference(s);
                return new AcDbEntity(s);
            case Kind::BlockBegin:
            case Kind::BlockEnd:
            case Kind::SeqEnd:
                return new AcDbEntity(s);
            case Kind::Object:
                if (s->synthetic && t == "BLOCK_RECORD")
                    return new AcDbBlockTableRecord(s);
                if (t == "DICTIONARY" || t == "ACDBDICTIONARYWDFLT")
                    return new AcDbDictionary(s);
                if (t == "GROUP")
                    return new AcDbGroup(s);
                if (t == "SORTENTSTABLE")
                    return new AcDbSortentsTable(s);
                return new AcDbObject(s);
        }
        return new AcDbObject(s);
    }
};

namespace arx::detail {

AcDbObject* ObjectOf(AcDbStub* stub) {
    if (!stub->object)
        stub->object.reset(AcDbObjectFactory::make(stub));
    return stub->object.get();
}

}  // namespace arx::detail

// --- opening -------------------------------------------------------------------------------------

namespace {

// True when the entity lies on a locked layer of its database: the host grants no write access
// to it then.
bool OnLockedLayer(const AcDbStub& s) {
    if (!s.isEntity() || s.db == nullptr)
        return false;
    const std::string_view layer = Trimmed(GetRaw(s, dataRange(s), 8));
    if (layer.empty())
        return false;
    const AcDbStub* record = s.db->tableRecord("LAYER", s.db->codec.decode(layer));
    return record != nullptr && (GetInt(*record, dataRange(*record), 70, 0) & 4) != 0;
}

}  // namespace

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased) {
    object = nullptr;
    AcDbStub* s = id.stub();
    if (s == nullptr)
        return Acad::eNullObjectId;
    if (s->erased && !openErased)
        return Acad::eWasErased;
    switch (mode) {
        case AcDb::kForRead:
            if (s->writer)
                return Acad::eWasOpenedForWrite;
            if (s->readers >= 256)
                return Acad::eAtMaxReaders;
            ++s->readers;
            break;
        case AcDb::kForWrite:
            if (s->writer)
                return Acad::eWasOpenedForWrite;
            if (s->readers > 0)
                return Acad::eWasOpenedForRead;
            if (OnLockedLayer(*s))
                return Acad::eOnLockedLayer;
            s->writer = true;
            break;
        case AcDb::kForNotify:
            ++s->notifiers;
            break;
        default:
            return Acad::eInvalidOpenState;
    }
    object = ObjectOf(s);
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased) {
    return acdbOpenObject(entity, id, mode, openErased);
}

// --- AcDbObject ----------------------------------------------------------------------------------

AcDbObject::AcDbObject(std::string_view dxfType,
                       std::initializer_list<std::pair<int, std::string_view>> tags)
    : m_ownStub(std::make_unique<AcDbStub>()) {
    m_stub = m_ownStub.get();
    m_stub->tags = MakeTags(*m_stub, {{0, dxfType}});
    Tags rest = MakeTags(*m_stub, tags);
    m_stub->tags.insert(m_stub->tags.end(), rest.begin(), rest.end());
}

AcDbObject::AcDbObject(AcDbStub* stub) : m_stub(stub) {}

AcDbObject::~AcDbObject() {
    if (m_ownStub)
        for (AcDbStub* child : m_ownStub->children())
            delete child->object.release();
}

AcDbObjectId AcDbObject::objectId() const {
    return m_stub && m_stub->db ? AcDbObjectId(m_stub) : AcDbObjectId();
}

AcDbObjectId AcDbObject::ownerId() const {
    if (m_stub == nullptr)
        return {};
    if (m_stub->owner)
        return AcDbObjectId(m_stub->owner);
    if (m_stub->db) {
        long i = findTag(*m_stub, dataRange(*m_stub), 330);
        if (i >= 0)
            return AcDbObjectId(
                m_stub->db->findHandleText(m_stub->tags[static_cast<std::size_t>(i)].value()));
    }
    return {};
}

AcDbDatabase* AcDbObject::database() const {
    return m_stub && m_stub->db ? m_stub->db->self : nullptr;
}

Acad::ErrorStatus AcDbObject::getAcDbHandle(AcDbHandle& handle) const {
    handle = AcDbHandle(m_stub ? m_stub->handle : 0);
    return Acad::eOk;
}

std::string_view AcDbObject::dxfType() const {
    return m_stub->type();
}

std::vector<std::pair<int, std::string>> AcDbObject::dxfTags() const {
    const AcDbStub& s = *m_stub;
    const TextCodec& codec = CodecOf(s);
    const Range range = dataRange(s);
    std::vector<std::pair<int, std::string>> tags;
    tags.reserve(range.end - range.begin);
    for (std::size_t i = range.begin; i < range.end; ++i) {
        const Tag& tag = s.tags[i];
        tags.emplace_back(tag.code, IsTextCode(tag.code) ? codec.decode(tag.value())
                                                         : std::string(Trimmed(tag.value())));
    }
    return tags;
}

Acad::ErrorStatus AcDbObject::close() {
    AcDbStub* s = m_stub;
    if (s->db == nullptr)
        return Acad::eOk;
    if (s->writer)
        s->writer = false;
    else if (s->readers > 0)
        --s->readers;
    else if (s->notifiers > 0)
        --s->notifiers;
    else
        return Acad::eNotOpenForRead;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    AcDbStub* s = m_stub;
    if (s->db == nullptr || s->writer)
        return Acad::eOk;
    if (s->readers == 0)
        return Acad::eNotOpenForRead;
    if (s->readers > 1)
        return Acad::eHadMultipleReaders;
    if (OnLockedLayer(*s))
        return Acad::eOnLockedLayer;
    s->readers = 0;
    s->writer = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    AcDbStub* s = m_stub;
    if (s->db == nullptr)
        return Acad::eOk;
    if (!s->writer)
        return Acad::eNotOpenForWrite;
    s->writer = false;
    s->readers = 1;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::assertWriteEnabled() const {
    if (m_stub->db == nullptr || m_stub->writer)
        return Acad::eOk;
    return Acad::eNotOpenForWrite;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (m_stub->db == nullptr)
        return Acad::eNotInDatabase;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    if (erasing == m_stub->erased)
        return erasing ? Acad::eWasErased : Acad::eWasNotErased;
    m_stub->erased = erasing;
    return Acad::eOk;
}

bool AcDbObject::isErased() const {
    return m_stub->erased;
}

bool AcDbObject::isReadEnabled() const {
    return m_stub->db == nullptr || m_stub->readers > 0 || m_stub->writer;
}

bool AcDbObject::isWriteEnabled() const {
    return m_stub->db == nullptr || m_stub->writer;
}

bool AcDbObject::isNotifyEnabled() const {
    return m_stub->notifiers > 0;
}

bool AcDbObject::isNewObject() const {
    return m_stub->db == nullptr || m_stub->line == 0;
}

AcDbObjectId AcDbObject::extensionDictionary() const {
    const Tags& t = m_stub->tags;
    for (std::size_t i = 1; i + 1 < t.size(); ++i)
        if (t[i].code == 102 && Trimmed(t[i].value()) == "{ACAD_XDICTIONARY" &&
            t[i + 1].code == 360 && m_stub->db)
            return AcDbObjectId(m_stub->db->findHandleText(t[i + 1].value()));
    return {};
}

// --- extended data -------------------------------------------------------------------------------

resbuf* AcDbObject::xData(const ACHAR* appName) const {
    const AcDbStub& s = *m_stub;
    const TextCodec& codec = CodecOf(s);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    auto append = [&](resbuf* rb) {
        if (head == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
    };
    bool wanted = false;
    for (std::size_t i = xdataStart(s); i < s.tags.size(); ++i) {
        const Tag& t = s.tags[i];
        if (t.code == 1001) {
            std::string name = codec.decode(Trimmed(t.value()));
            wanted = appName == nullptr || SameName(name, appName);
            if (wanted) {
                resbuf* rb = acutNewRb(1001);
                rb->resval.rstring = acutNewString(name.c_str());
                append(rb);
            }
            continue;
        }
        if (!wanted)
            continue;
        int c = t.code;
        if (c >= 1010 && c <= 1013) {
            resbuf* rb = acutNewRb(c);
            rb->resval.rpoint[0] = ParseReal(t.value());
            std::size_t j = i + 1;
            if (j < s.tags.size() && s.tags[j].code == c + 10)
                rb->resval.rpoint[1] = ParseReal(s.tags[j++].value());
            if (j < s.tags.size() && s.tags[j].code == c + 20)
                rb->resval.rpoint[2] = ParseReal(s.tags[j++].value());
            i = j - 1;
            append(rb);
        } else if (c == 1004) {
            std::string_view hex = Trimmed(t.value());
            resbuf* rb = acutNewRb(c);
            std::size_t n = hex.size() / 2;
            rb->resval.rbinary.clen = static_cast<short>(n);
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n ? n : 1));
            for (std::size_t k = 0; k < n; ++k)
                rb->resval.rbinary.buf[k] = static_cast<char>(
                    std::max(HexDigit(hex[2 * k]), 0) * 16 + std::max(HexDigit(hex[2 * k + 1]), 0));
            append(rb);
        } else if (c >= 1000 && c <= 1009) {
            resbuf* rb = acutNewRb(c);
            std::string text = (c == 1005 || c == 1002) ? std::string(Trimmed(t.value()))
                                                        : codec.decode(t.value());
            rb->resval.rstring = acutNewString(text.c_str());
            append(rb);
        } else if (c >= 1040 && c <= 1042) {
            resbuf* rb = acutNewRb(c);
            rb->resval.rreal = ParseReal(t.value());
            append(rb);
        } else if (c == 1070) {
            resbuf* rb = acutNewRb(c);
            rb->resval.rint = static_cast<short>(ParseInt(t.value()));
            append(rb);
        } else if (c == 1071) {
            resbuf* rb = acutNewRb(c);
            rb->resval.rlong = static_cast<std::int32_t>(ParseInt(t.value()));
            append(rb);
        } else if (c >= 1020 && c <= 1033) {
            // A Y or Z without its X: skipped.
        }
    }
    return head;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* chain) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *m_stub;
    const TextCodec& codec = CodecOf(s);
    // Group the chain by application.
    struct App {
        std::string name;
        Tags tags;
    };
    std::vector<App> apps;
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
        int c = rb->restype;
        if (c == 1001) {
            if (rb->resval.rstring == nullptr || *rb->resval.rstring == '\0')
                return Acad::eInvalidResBuf;
            apps.push_back({rb->resval.rstring, {}});
            continue;
        }
        if (apps.empty())
            return Acad::eInvalidResBuf;
        Tags& out = apps.back().tags;
        auto add = [&](int code, std::string_view raw) {
            std::string_view stored = Store(s, raw);
            out.push_back(Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
        };
        if (c >= 1010 && c <= 1013) {
            add(c, FormatReal(rb->resval.rpoint[0]));
            add(c + 10, FormatReal(rb->resval.rpoint[1]));
            add(c + 20, FormatReal(rb->resval.rpoint[2]));
        } else if (c == 1004) {
            std::string hex;
            static const char* digits = "0123456789ABCDEF";
            for (short k = 0; k < rb->resval.rbinary.clen; ++k) {
                auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[k]);
                hex.push_back(digits[b >> 4]);
                hex.push_back(digits[b & 15]);
            }
            add(c, hex);
        } else if (c == 1005 || c == 1002) {
            add(c, rb->resval.rstring ? rb->resval.rstring : "");
        } else if (c >= 1000 && c <= 1009) {
            add(c, codec.encode(rb->resval.rstring ? rb->resval.rstring : ""));
        } else if (c >= 1040 && c <= 1042) {
            add(c, FormatReal(rb->resval.rreal));
        } else if (c == 1070) {
            add(c, FormatInt(rb->resval.rint));
        } else if (c == 1071) {
            add(c, FormatInt(rb->resval.rlong));
        } else {
            return Acad::eInvalidResBuf;
        }
    }
    if (s.db != nullptr)
        for (const App& app : apps)
            if (s.db->tableRecord("APPID", app.name) == nullptr)
                return Acad::eRegappIdNotFound;
    for (const App& app : apps) {
        // Find the application's group.
        std::size_t begin = s.tags.size();
        for (std::size_t i = xdataStart(s); i < s.tags.size(); ++i)
            if (s.tags[i].code == 1001 &&
                SameName(codec.decode(Trimmed(s.tags[i].value())), app.name)) {
                begin = i;
                break;
            }
        std::size_t end = begin;
        if (begin < s.tags.size()) {
            end = begin + 1;
            while (end < s.tags.size() && s.tags[end].code != 1001)
                ++end;
            s.tags.erase(s.tags.begin() + static_cast<long>(begin),
                         s.tags.begin() + static_cast<long>(end));
        }
        if (app.tags.empty())
            continue;
        Tags group;
        std::string_view name = Store(s, codec.encode(app.name));
        group.push_back(Tag{1001, static_cast<std::uint32_t>(name.size()), name.data()});
        group.insert(group.end(), app.tags.begin(), app.tags.end());
        s.tags.insert(s.tags.begin() + static_cast<long>(std::min(begin, s.tags.size())),
                      group.begin(), group.end());
    }
    return Acad::eOk;
}

// --- status texts --------------------------------------------------------------------------------

const ACHAR* acadErrorStatusText(Acad::ErrorStatus status) {
#define ARX_STATUS(NAME) \
    case Acad::NAME:     \
        return #NAME;
    switch (status) {
        ARX_STATUS(eOk)
        ARX_STATUS(eNotImplementedYet)
        ARX_STATUS(eNotApplicable)
        ARX_STATUS(eInvalidInput)
        ARX_STATUS(eOutOfMemory)
        ARX_STATUS(eBufferTooSmall)
        ARX_STATUS(eInvalidOpenState)
        ARX_STATUS(eHandleExists)
        ARX_STATUS(eNullHandle)
        ARX_STATUS(eBrokenHandle)
        ARX_STATUS(eUnknownHandle)
        ARX_STATUS(eHandleInUse)
        ARX_STATUS(eNullObjectPointer)
        ARX_STATUS(eNullObjectId)
        ARX_STATUS(eNullBlockName)
        ARX_STATUS(eNullEntityPointer)
        ARX_STATUS(eIllegalEntityType)
        ARX_STATUS(eKeyNotFound)
        ARX_STATUS(eDuplicateKey)
        ARX_STATUS(eInvalidIndex)
        ARX_STATUS(eAlreadyInDb)
        ARX_STATUS(eInvalidExtents)
        ARX_STATUS(eInvalidAdsName)
        ARX_STATUS(eInvalidSymbolTableName)
        ARX_STATUS(eInvalidKey)
        ARX_STATUS(eWrongObjectType)
        ARX_STATUS(eWrongDatabase)
        ARX_STATUS(eInvalidDwgVersion)
        ARX_STATUS(eEndOfFile)
        ARX_STATUS(eNotOpenForRead)
        ARX_STATUS(eNotOpenForWrite)
        ARX_STATUS(eNotThatKindOfClass)
        ARX_STATUS(eInvalidBlockName)
        ARX_STATUS(eMissingDxfField)
        ARX_STATUS(eDuplicateDxfField)
        ARX_STATUS(eInvalidDxfCode)
        ARX_STATUS(eInvalidResBuf)
        ARX_STATUS(eBadDxfSequence)
        ARX_STATUS(eFilerError)
        ARX_STATUS(eDxfPartiallyRead)
        ARX_STATUS(eDxfReadAborted)
        ARX_STATUS(eFileAccessErr)
        ARX_STATUS(eFileSystemErr)
        ARX_STATUS(eFileInternalErr)
        ARX_STATUS(eFileNotFound)
        ARX_STATUS(eFileSharingViolation)
        ARX_STATUS(eOnLockedLayer)
        ARX_STATUS(ePermanentlyErased)
        ARX_STATUS(eWasOpenedForRead)
        ARX_STATUS(eWasOpenedForWrite)
        ARX_STATUS(eWasOpenedForNotify)
        ARX_STATUS(eWasErased)
        ARX_STATUS(eAtMaxReaders)
        ARX_STATUS(eNotAnEntity)
        ARX_STATUS(eHadMultipleReaders)
        ARX_STATUS(eDuplicateRecordName)
        ARX_STATUS(eSelfReference)
        ARX_STATUS(eMissingSymbolTable)
        ARX_STATUS(eMissingSymbolTableRec)
        ARX_STATUS(eWasNotOpenForWrite)
        ARX_STATUS(eWasNotErased)
        ARX_STATUS(eNoDatabase)
        ARX_STATUS(eXdataSizeExceeded)
        ARX_STATUS(eRegappIdNotFound)
        ARX_STATUS(eNotInBlock)
        ARX_STATUS(eOwnerNotInDatabase)
        ARX_STATUS(eCannotScaleNonUniformly)
        ARX_STATUS(eNotInDatabase)
        ARX_STATUS(eIsAnEntity)
        ARX_STATUS(eOutOfRange)
        ARX_STATUS(eDegenerateGeometry)
        ARX_STATUS(eCannotExplodeEntity)
        ARX_STATUS(eStringTooLong)
        ARX_STATUS(eInvalidLayer)
        ARX_STATUS(eBadColorIndex)
        ARX_STATUS(eAlreadyInGroup)
        ARX_STATUS(eNotInGroup)
        ARX_STATUS(eInvalidNormal)
        ARX_STATUS(eNullExtents)
        ARX_STATUS(eBadDwgHeader)
        ARX_STATUS(eNoDocument)
        ARX_STATUS(eNoFileName)
        ARX_STATUS(eBadDxfFile)
        ARX_STATUS(eUnknownDxfFileFormat)
        ARX_STATUS(eMissingDxfSection)
        ARX_STATUS(eInvalidDxfSectionName)
        ARX_STATUS(eIncompleteBlockDefinition)
        ARX_STATUS(eIncompleteComplexObject)
        ARX_STATUS(eUnsupportedFileFormat)
    }
#undef ARX_STATUS
    return "eUnknownErrorStatus";
}
