#include "dbaccess/DbAccess.h"

#include <sys/stat.h>

#include <cstring>

#include "common/text.h"
#include "frame/ConsoleError.h"
#include "services/attributes.h"

namespace routix {

AcDbDatabase* CurrentDatabase() {
    AcApDocument* document = acDocManagerPtr()->curDocument();
    return document != nullptr ? document->database() : nullptr;
}

// --- CEntity ---------------------------------------------------------------------------------

CEntity::~CEntity() {
    release();
}

void CEntity::release() {
    if (m_pEntity != nullptr && m_bCloseOnDestroy) {
        m_pEntity->close();
    }
    m_pEntity = nullptr;
}

bool CEntity::isValid() const {
    return m_pEntity != nullptr;
}

bool CEntity::open(AcDbObjectId id, AcDb::OpenMode mode) {
    release();
    m_status = acdbOpenObject(m_pEntity, id, mode, false);
    if (m_status != Acad::eOk) {
        m_pEntity = nullptr;
    }
    return m_pEntity != nullptr;
}

bool CEntity::open(const ads_name name, AcDb::OpenMode mode) {
    AcDbObjectId id;
    m_status = acdbGetObjectId(id, name);
    if (m_status != Acad::eOk) {
        return false;
    }
    return open(id, mode);
}

// --- model space ------------------------------------------------------------------------------

bool ForEachModelSpaceEntity(AcDbDatabase* database, Source source, UnreadableEntity unreadable,
                             const std::function<bool(AcDbObjectId id, CEntity& entity)>& visit) {
    CBlockTable table(database, AcDb::kForRead);
    if (!table.isOpened()) {
        ROUTIX_STATUS_ERROR(source, "getBlockTable", table.status());
        return false;
    }
    CRecord<AcDbBlockTableRecord> space;
    if (Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, space.ref(), AcDb::kForRead);
        es != Acad::eOk) {
        space.ref() = nullptr;
        ROUTIX_STATUS_ERROR(source, "getAt", es);
        return false;
    }
    CRecordIterator it;
    if (Acad::ErrorStatus es = space->newIterator(it.ref()); es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(source, "newIterator", es);
        return false;
    }
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        CEntity entity;
        entity.open(id, AcDb::kForRead);
        if (entity.status() == Acad::eWasErased)
            continue;
        if (entity.status() != Acad::eOk) {
            if (unreadable == UnreadableEntity::Skip)
                continue;
            ROUTIX_STATUS_ERROR(source, "getEntity", entity.status());
            return false;
        }
        if (!visit(id, entity))
            return false;
    }
    return true;
}

// --- layer states ----------------------------------------------------------------------------

bool CollectLayerStates(AcDbDatabase* database, std::vector<CLayerState>& states) {
    CLayerTable table(database, AcDb::kForRead);
    if (!table.isOpened()) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "getLayerTable", table.status());
        return false;
    }
    CTableIterator<AcDbLayerTableIterator, AcDbLayerTableRecord> it;
    if (Acad::ErrorStatus es = table->newIterator(it.ref()); es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "newIterator", es);
        return false;
    }
    for (; !it->done(); it->step()) {
        CLayerState state;
        it->getRecordId(state.m_id);
        CRecord<AcDbLayerTableRecord> record;
        if (it->getRecord(record.ref(), AcDb::kForRead) == Acad::eOk) {
            state.m_bOff = record->isOff();
            state.m_bFrozen = record->isFrozen();
            state.m_bLocked = record->isLocked();
            state.m_name = record->name();
        } else {
            record.ref() = nullptr;
        }
        states.push_back(std::move(state));
    }
    return true;
}

namespace {

template <class Change>
void ChangeEach(const std::vector<CLayerState>& states, Change change) {
    for (const CLayerState& state : states) {
        CRecord<AcDbLayerTableRecord> record;
        Acad::ErrorStatus es = acdbOpenObject(record.ref(), state.m_id, AcDb::kForWrite);
        if (es != Acad::eOk) {
            record.ref() = nullptr;
            ROUTIX_STATUS_ERROR(Source::ArxBlock, "acdbOpenObject", es);
            continue;
        }
        change(record.get(), state);
    }
}

const CLayerState* Find(const std::vector<CLayerState>& states, std::string_view name) {
    for (const CLayerState& state : states) {
        if (common::EqualsNoCase(state.m_name, name)) {
            return &state;
        }
    }
    return nullptr;
}

}  // namespace

bool ReleaseAllLayers(const std::vector<CLayerState>& states) {
    ChangeEach(states, [](AcDbLayerTableRecord* layer, const CLayerState&) {
        layer->setIsLocked(false);
        layer->setIsFrozen(false);
        layer->setIsOff(false);
    });
    return true;
}

bool RestoreLayerStates(const std::vector<CLayerState>& states) {
    ChangeEach(states, [](AcDbLayerTableRecord* layer, const CLayerState& state) {
        layer->setIsOff(state.m_bOff);
        layer->setIsFrozen(state.m_bFrozen);
        layer->setIsLocked(state.m_bLocked);
    });
    return true;
}

bool IsLayerFrozen(const std::vector<CLayerState>& states, std::string_view name) {
    const CLayerState* state = Find(states, name);
    return state != nullptr && state->m_bFrozen;
}

bool IsLayerLocked(const std::vector<CLayerState>& states, std::string_view name) {
    const CLayerState* state = Find(states, name);
    return state != nullptr && state->m_bLocked;
}

// --- CAutoVar --------------------------------------------------------------------------------

namespace {
constexpr std::size_t kMaxVariableName = 64;

void FreeValue(resbuf& value) {
    if (acutResbufKind(value.restype) == AcRbKind::String) {
        acutDelString(value.resval.rstring);
    }
    value = resbuf{};
}
}  // namespace

CAutoVar::~CAutoVar() {
    if (!m_name.empty()) {
        acedSetVar(m_name.c_str(), &m_saved);
    }
    FreeValue(m_saved);
}

bool CAutoVar::Set(const ACHAR* name, short value) {
    if (!m_name.empty()) {  // a second Set keeps the value saved first
        acedSetVar(m_name.c_str(), &m_saved);
        m_name.clear();
    }
    FreeValue(m_saved);
    if (name == nullptr || std::strlen(name) >= kMaxVariableName ||
        acedGetVar(name, &m_saved) != RTNORM) {
        return false;
    }
    resbuf setting{};
    setting.restype = RTSHORT;
    setting.resval.rint = value;
    if (acedSetVar(name, &setting) != RTNORM) {
        FreeValue(m_saved);
        return false;
    }
    m_name = name;
    return true;
}

// --- CDxf ------------------------------------------------------------------------------------

bool CDxf::read(const AcDbObject* object, const ACHAR* application) {
    acutRelRb(m_pHead);
    m_pHead = object != nullptr ? object->xData(application) : nullptr;
    return m_pHead != nullptr;
}

const resbuf* CDxf::first(int type) const {
    for (const resbuf* rb = m_pHead; rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == type && rb != m_pHead) {
            return rb;
        }
    }
    return nullptr;
}

// --- selection ------------------------------------------------------------------------------

int CSelection::length() const {
    Adesk::Int32 length = 0;
    if (!m_bHeld || acedSSLength(m_name, &length) != RTNORM) {
        return 0;
    }
    return static_cast<int>(length);
}

AcDbObjectId CSelection::at(int index) const {
    ads_name entity = {0, 0};
    AcDbObjectId id;
    if (m_bHeld && acedSSName(m_name, index, entity) == RTNORM) {
        acdbGetObjectId(id, entity);
    }
    return id;
}

void CSelection::clear() {
    if (m_bHeld) {
        acedSSFree(m_name);
    }
    m_bHeld = false;
    m_name[0] = m_name[1] = 0;
}

ads_name& CSelection::fill() {
    clear();
    return m_name;
}

namespace {

bool Select(const ACHAR* mode, const void* prompts, const resbuf* filter, CSelection& selection) {
    CAutoVar snap;
    snap.Set("SNAPMODE", 0);
    selection.setHeld(acedSSGet(mode, prompts, nullptr, filter, selection.fill()) == RTNORM);
    return selection.isValid();
}

}  // namespace

bool SelectImplied(CSelection& selection) {
    return Select("I", nullptr, nullptr, selection);
}

bool SelectObjects(CSelection& selection) {
    return Select(nullptr, nullptr, nullptr, selection);
}

bool SelectWithPrompt(const ACHAR* prompt, CSelection& selection) {
    const ACHAR* prompts[2] = {prompt, prompt};
    return Select(":$", prompts, nullptr, selection);
}

bool SelectBlockReferences(const ACHAR* prompt, CSelection& selection) {
    // Group code 0 ends an acutBuildList list, so the entity-type item is made by hand.
    resbuf* filter = acutNewRb(0);
    filter->resval.rstring = acutNewString("INSERT");
    const ACHAR* prompts[2] = {prompt, prompt};
    const bool selected = Select(prompt != nullptr ? ":$" : nullptr,
                                 prompt != nullptr ? prompts : nullptr, filter, selection);
    acutRelRb(filter);
    return selected;
}

// --- table entries ---------------------------------------------------------------------------

bool EnsureLayer(const ACHAR* name, const std::function<void(AcDbLayerTableRecord*)>& initialise,
                 AcDbDatabase* database) {
    CLayerTable table(database, AcDb::kForWrite);
    if (!table.isOpened()) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "getLayerTable", table.status());
        return false;
    }
    if (table->has(name)) {
        return false;
    }
    auto* record = new AcDbLayerTableRecord;
    record->setName(name);
    if (initialise) {
        initialise(record);
    }
    if (Acad::ErrorStatus es = table->add(record); es != Acad::eOk) {
        delete record;
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "add", es);
        return false;
    }
    record->close();
    return true;
}

bool EnsureLayerFrozen(const ACHAR* name, bool frozen, AcDbDatabase* database) {
    return EnsureLayer(
        name, [frozen](AcDbLayerTableRecord* layer) { layer->setIsFrozen(frozen); }, database);
}

bool EnsureRegApp(const ACHAR* name, AcDbDatabase* database) {
    CRegAppTable table(database, AcDb::kForWrite);
    if (!table.isOpened()) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "getRegAppTable", table.status());
        return false;
    }
    if (!table->has(name)) {
        auto* record = new AcDbRegAppTableRecord;
        record->setName(name);
        if (Acad::ErrorStatus es = table->add(record); es != Acad::eOk) {
            delete record;
            ROUTIX_STATUS_ERROR(Source::ArxBlock, "add", es);
        } else {
            record->close();
        }
    }
    return true;
}

// --- small queries ---------------------------------------------------------------------------

ACHAR* LayerNameOf(const AcDbEntity* entity) {
    return entity != nullptr ? entity->layer() : nullptr;
}

bool BlockNameOf(const AcDbBlockReference* reference, ACHAR* buffer, std::size_t size) {
    CRecord<AcDbBlockTableRecord> block;
    Acad::ErrorStatus es =
        acdbOpenObject(block.ref(), reference->blockTableRecord(), AcDb::kForRead);
    if (es != Acad::eOk) {
        block.ref() = nullptr;
        PrintStatusError(Source::Sokucyou, __LINE__, "acdbOpenObject", es, true);
        return false;
    }
    const std::string name = block->name();
    if (size == 0 || name.size() >= size) {
        return false;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

bool HandleTextOf(AcDbObjectId id, ACHAR* buffer, std::size_t size) {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(object, id, AcDb::kForRead);
    if (es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(Source::Sokucyou, "acdbOpenObject", es);
        return false;
    }
    AcDbHandle handle;
    object->getAcDbHandle(handle);
    object->close();
    return handle.getIntoAsciiBuffer(buffer, size);
}

bool FileOrFolderExists(const ACHAR* path) {
    struct stat info {};
    return path != nullptr && *path != '\0' && ::stat(path, &info) == 0;
}

namespace {

/// Takes a text of the attribute service, released here.
std::optional<std::string> TakeText(bool found, char*& value) {
    std::optional<std::string> text;
    if (found)
        text = value != nullptr ? value : "";
    zelko::AttrFreeValue(value);
    return text;
}

}  // namespace

std::optional<std::string> AttributeText(AcDbObjectId reference, std::string_view tag) {
    char* value = nullptr;
    const bool found = zelko::AttrGetText(reference, tag, value) != 0;
    return TakeText(found, value);
}

std::optional<std::string> AttributeText(const AcDbBlockReference* reference,
                                         std::string_view tag) {
    char* value = nullptr;
    const bool found = zelko::AttrGetText(reference, tag, value) != 0;
    return TakeText(found, value);
}

}  // namespace routix
