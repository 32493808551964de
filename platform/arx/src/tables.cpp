// Symbol tables and their records, dictionaries, groups and the draw-order table.

#include <algorithm>
#include <map>

#include "model.h"

using namespace arx::detail;

extern const ACHAR* ACDB_MODEL_SPACE;
extern const ACHAR* ACDB_PAPER_SPACE;
const ACHAR* ACDB_MODEL_SPACE = "*Model_Space";
const ACHAR* ACDB_PAPER_SPACE = "*Paper_Space";

namespace {

bool IsTableRecordOf(const AcDbStub* record, const AcDbStub* head) {
    return record != nullptr && head != nullptr && head->table() != nullptr &&
           std::find(head->table()->records.begin(), head->table()->records.end(), record) !=
               head->table()->records.end();
}

std::string RecordName(const AcDbStub& s) {
    return CodecOf(s).decode(Trimmed(GetRaw(s, dataRange(s), 2)));
}

void UpdateCount(TableData& table) {
    if (table.synthetic)
        return;
    long long live = 0;
    for (AcDbStub* r : table.records)
        if (!r->erased && !r->synthetic)
            ++live;
    Range r = subclassRange(*table.head, "AcDbSymbolTable");
    SetInt(*table.head, r, 70, live);
}

// Application groups of code 102: inserts `handle` under {NAME in a stub's tags.
void AddToAppGroup(AcDbStub& s, std::string_view group, int code, std::string_view handle) {
    std::string open = "{" + std::string(group);
    for (std::size_t i = 1; i < s.tags.size(); ++i) {
        if (s.tags[i].code == 102 && Trimmed(s.tags[i].value()) == open) {
            std::size_t j = i + 1;
            while (j < s.tags.size() && s.tags[j].code != 102)
                ++j;
            std::string_view stored = Store(s, handle);
            s.tags.insert(s.tags.begin() + static_cast<long>(j),
                          Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
            return;
        }
    }
    // A new group right after the handle.
    std::size_t at = s.tags.size() > 1 && (s.tags[1].code == 5 || s.tags[1].code == 105) ? 2 : 1;
    Tags add = MakeTags(s, {{102, open}, {code, handle}, {102, "}"}});
    s.tags.insert(s.tags.begin() + static_cast<long>(at), add.begin(), add.end());
}

void RemoveFromAppGroup(AcDbStub& s, std::string_view group, std::string_view handle) {
    std::string open = "{" + std::string(group);
    for (std::size_t i = 1; i < s.tags.size(); ++i) {
        if (s.tags[i].code != 102 || Trimmed(s.tags[i].value()) != open)
            continue;
        std::size_t j = i + 1;
        while (j < s.tags.size() && s.tags[j].code != 102) {
            if (SameName(Trimmed(s.tags[j].value()), handle)) {
                s.tags.erase(s.tags.begin() + static_cast<long>(j));
                continue;
            }
            ++j;
        }
        // An empty group goes.
        if (j == i + 1 && j < s.tags.size())
            s.tags.erase(s.tags.begin() + static_cast<long>(i),
                         s.tags.begin() + static_cast<long>(j) + 1);
        return;
    }
}

}  // namespace

// --- records -------------------------------------------------------------------------------------

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
    name = acutNewString(this->name().c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(std::string& name) const {
    name = this->name();
    return Acad::eOk;
}

std::string AcDbSymbolTableRecord::name() const {
    return RecordName(*stub());
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
    if (name == nullptr || *name == '\0')
        return Acad::eInvalidSymbolTableName;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    if (s.db != nullptr && s.owner != nullptr && s.owner->table() != nullptr) {
        AcDbStub* other = s.db->tableRecord(s.owner->table()->name, name);
        if (other != nullptr && other != &s)
            return Acad::eDuplicateRecordName;
    }
    SetText(s, dataRange(s), 2, name);
    if (s.block() != nullptr && s.block()->begin != nullptr) {
        AcDbStub& b = *s.block()->begin;
        SetText(b, subclassRange(b, "AcDbBlockBegin"), 2, name);
        if (findTag(b, subclassRange(b, "AcDbBlockBegin"), 3) >= 0)
            SetText(b, subclassRange(b, "AcDbBlockBegin"), 3, name);
    }
    return Acad::eOk;
}

bool AcDbSymbolTableRecord::isDependent() const {
    return (GetInt(*stub(), dataRange(*stub()), 70, 0) & 16) != 0;
}

AcDbBlockTableRecord::AcDbBlockTableRecord()
    : AcDbSymbolTableRecord("BLOCK_RECORD", {{100, "AcDbSymbolTableRecord"},
                                             {100, "AcDbBlockTableRecord"},
                                             {2, ""},
                                             {340, "0"},
                                             {70, "0"},
                                             {280, "1"},
                                             {281, "0"}}) {}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator,
                                                    bool atBeginning, bool skipDeleted) const {
    std::vector<AcDbObjectId> ids;
    if (stub()->block() != nullptr)
        for (AcDbStub* e : stub()->block()->entities)
            ids.push_back(AcDbObjectId(e));
    iterator = new AcDbBlockTableRecordIterator(std::move(ids), atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
    id = AcDbObjectId();
    if (entity == nullptr)
        return Acad::eNullEntityPointer;
    if (entity->stub()->db != nullptr)
        return Acad::eAlreadyInDb;
    AcDbStub& s = *stub();
    if (s.db == nullptr)
        return Acad::eNotInDatabase;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    if (s.block() == nullptr)
        return Acad::eNotApplicable;
    AcDbStub* e = s.db->adopt(entity, Kind::Entity, &s);
    s.db->appendEntity(s.block(), e);
    if (!e->children().empty() && e->seqend() == nullptr) {
        // Attributes added before the reference was in the database get their SEQEND now.
        AcDbStub* seqend = s.db->newStub(Kind::SeqEnd);
        s.db->registerHandle(seqend, s.db->allocateHandle());
        seqend->tags = MakeTags(*seqend, {{0, "SEQEND"},
                                          {5, FormatHandle(seqend->handle)},
                                          {330, FormatHandle(e->handle)},
                                          {100, "AcDbEntity"},
                                          {8, "0"}});
        seqend->owner = e;
        e->setSeqend(seqend);
    }
    id = AcDbObjectId(e);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::getSortentsTable(AcDbSortentsTable*& table,
                                                         AcDb::OpenMode mode,
                                                         bool createIfNecessary) {
    table = nullptr;
    AcDbStub& s = *stub();
    if (s.db == nullptr)
        return Acad::eNotInDatabase;
    DatabaseImpl& db = *s.db;
    AcDbObjectId dictId = extensionDictionary();
    AcDbStub* dict = dictId.stub();
    if (dict != nullptr) {
        Range r = subclassRange(*dict, "AcDbDictionary");
        for (std::size_t i = r.begin; i + 1 < r.end; ++i)
            if (dict->tags[i].code == 3 && Trimmed(dict->tags[i].value()) == "ACAD_SORTENTS") {
                AcDbStub* t = db.findHandleText(dict->tags[i + 1].value());
                if (t != nullptr && !t->erased)
                    return acdbOpenObject(table, AcDbObjectId(t), mode);
            }
    }
    if (!createIfNecessary)
        return Acad::eKeyNotFound;
    if (db.isR12())
        return Acad::eNotApplicable;
    if (dict == nullptr) {
        dict = db.newStub(Kind::Object);
        db.registerHandle(dict, db.allocateHandle());
        dict->tags = MakeTags(*dict, {{0, "DICTIONARY"},
                                      {5, FormatHandle(dict->handle)},
                                      {330, FormatHandle(s.handle)},
                                      {100, "AcDbDictionary"},
                                      {280, "1"},
                                      {281, "1"}});
        dict->owner = &s;
        db.objectsSection.push_back(dict);
        AddToAppGroup(s, "ACAD_XDICTIONARY", 360, FormatHandle(dict->handle));
    }
    AcDbStub* t = db.newStub(Kind::Object);
    db.registerHandle(t, db.allocateHandle());
    std::string dh = FormatHandle(dict->handle);
    t->tags = MakeTags(*t, {{0, "SORTENTSTABLE"},
                            {5, FormatHandle(t->handle)},
                            {102, "{ACAD_REACTORS"},
                            {330, dh},
                            {102, "}"},
                            {330, dh},
                            {100, "AcDbSortentsTable"},
                            {330, FormatHandle(s.handle)}});
    t->owner = dict;
    db.objectsSection.push_back(t);
    Range r = subclassRange(*dict, "AcDbDictionary");
    Tags entry = MakeTags(*dict, {{3, "ACAD_SORTENTS"}, {360, FormatHandle(t->handle)}});
    dict->tags.insert(dict->tags.begin() + static_cast<long>(r.end), entry.begin(), entry.end());
    return acdbOpenObject(table, AcDbObjectId(t), mode);
}

AcGePoint3d AcDbBlockTableRecord::origin() const {
    const AcDbStub& s = *stub();
    if (s.block() == nullptr || s.block()->begin == nullptr)
        return AcGePoint3d::kOrigin;
    return GetPoint(*s.block()->begin, dataRange(*s.block()->begin), 10);
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    if (s.block() == nullptr || s.block()->begin == nullptr)
        return Acad::eNotApplicable;
    AcDbStub& b = *s.block()->begin;
    SetPoint(b, subclassRange(b, "AcDbBlockBegin"), 10, origin, true, 70);
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isAnonymous() const {
    const AcDbStub& s = *stub();
    if (s.block() != nullptr && s.block()->begin != nullptr)
        return (GetInt(*s.block()->begin, dataRange(*s.block()->begin), 70, 0) & 1) != 0;
    std::string n = name();
    return !n.empty() && n[0] == '*' && !isLayout();
}

bool AcDbBlockTableRecord::isLayout() const {
    std::string n = name();
    return SameName(n.substr(0, 12), "*Model_Space") || SameName(n.substr(0, 12), "*Paper_Space") ||
           SameName(n, "$MODEL_SPACE") || SameName(n, "$PAPER_SPACE");
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    const AcDbStub& s = *stub();
    if (s.block() == nullptr)
        return false;
    for (AcDbStub* e : s.block()->entities)
        if (!e->erased && e->type() == "ATTDEF")
            return true;
    return false;
}

bool AcDbBlockTableRecord::isFromExternalReference() const {
    const AcDbStub& s = *stub();
    if (s.block() == nullptr || s.block()->begin == nullptr)
        return false;
    return (GetInt(*s.block()->begin, dataRange(*s.block()->begin), 70, 0) & 4) != 0;
}

AcDbLayerTableRecord::AcDbLayerTableRecord()
    : AcDbSymbolTableRecord("LAYER", {{100, "AcDbSymbolTableRecord"},
                                      {100, "AcDbLayerTableRecord"},
                                      {2, ""},
                                      {70, "0"},
                                      {62, "7"},
                                      {6, "Continuous"}}) {}

bool AcDbLayerTableRecord::isOff() const {
    return GetInt(*stub(), dataRange(*stub()), 62, 7) < 0;
}

void AcDbLayerTableRecord::setIsOff(bool off) {
    if (assertWriteEnabled() != Acad::eOk)
        return;
    long long c = GetInt(*stub(), dataRange(*stub()), 62, 7);
    long long magnitude = c < 0 ? -c : (c == 0 ? 7 : c);
    SetInt(*stub(), dataRange(*stub()), 62, off ? -magnitude : magnitude, 70);
}

bool AcDbLayerTableRecord::isFrozen() const {
    return (GetInt(*stub(), dataRange(*stub()), 70, 0) & 1) != 0;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    long long flags = GetInt(*stub(), dataRange(*stub()), 70, 0);
    SetInt(*stub(), dataRange(*stub()), 70, frozen ? (flags | 1) : (flags & ~1LL), 2);
    return Acad::eOk;
}

bool AcDbLayerTableRecord::isLocked() const {
    return (GetInt(*stub(), dataRange(*stub()), 70, 0) & 4) != 0;
}

void AcDbLayerTableRecord::setIsLocked(bool locked) {
    if (assertWriteEnabled() != Acad::eOk)
        return;
    long long flags = GetInt(*stub(), dataRange(*stub()), 70, 0);
    SetInt(*stub(), dataRange(*stub()), 70, locked ? (flags | 4) : (flags & ~4LL), 2);
}

AcCmColor AcDbLayerTableRecord::color() const {
    long long c = GetInt(*stub(), dataRange(*stub()), 62, 7);
    return AcCmColor(static_cast<Adesk::UInt16>(c < 0 ? -c : c));
}

void AcDbLayerTableRecord::setColor(const AcCmColor& color) {
    if (assertWriteEnabled() != Acad::eOk)
        return;
    long long index = color.colorIndex();
    if (index < 1 || index > 255)
        index = 7;
    SetInt(*stub(), dataRange(*stub()), 62, isOff() ? -index : index, 70);
}

AcDbRegAppTableRecord::AcDbRegAppTableRecord()
    : AcDbSymbolTableRecord(
          "APPID",
          {{100, "AcDbSymbolTableRecord"}, {100, "AcDbRegAppTableRecord"}, {2, ""}, {70, "0"}}) {}

// --- iterators -----------------------------------------------------------------------------------

AcDbIdListIterator::AcDbIdListIterator(std::vector<AcDbObjectId> ids, bool atBeginning,
                                       bool skipErased)
    : m_ids(std::move(ids)) {
    start(atBeginning, skipErased);
}

void AcDbIdListIterator::skip(bool forward) {
    while (!done() && m_ids[static_cast<std::size_t>(m_index)].isErased())
        m_index += forward ? 1 : -1;
}

void AcDbIdListIterator::start(bool atBeginning, bool skipErased) {
    m_index = atBeginning ? 0 : static_cast<std::ptrdiff_t>(m_ids.size()) - 1;
    if (skipErased)
        skip(atBeginning);
}

bool AcDbIdListIterator::done() const {
    return m_index < 0 || m_index >= static_cast<std::ptrdiff_t>(m_ids.size());
}

void AcDbIdListIterator::step(bool forward, bool skipErased) {
    if (done())
        return;
    m_index += forward ? 1 : -1;
    if (skipErased)
        skip(forward);
}

AcDbObjectId AcDbIdListIterator::current() const {
    return done() ? AcDbObjectId() : m_ids[static_cast<std::size_t>(m_index)];
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    id = current();
    return id.isNull() ? Acad::eInvalidIndex : Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record,
                                                     AcDb::OpenMode mode, bool openErased) const {
    record = nullptr;
    if (done())
        return Acad::eInvalidIndex;
    return acdbOpenObject(record, current(), mode, openErased);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
    id = current();
    return id.isNull() ? Acad::eInvalidIndex : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                          bool openErased) const {
    entity = nullptr;
    if (done())
        return Acad::eInvalidIndex;
    return acdbOpenObject(entity, current(), mode, openErased);
}

// --- tables --------------------------------------------------------------------------------------

std::vector<AcDbObjectId> AcDbSymbolTable::recordIds() const {
    std::vector<AcDbObjectId> ids;
    if (stub()->table() != nullptr)
        for (AcDbStub* r : stub()->table()->records)
            ids.push_back(AcDbObjectId(r));
    return ids;
}

std::string AcDbSymbolTable::tableName() const {
    return stub()->table() ? stub()->table()->name : std::string();
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id,
                                         bool getErased) const {
    id = AcDbObjectId();
    if (name == nullptr || stub()->db == nullptr || stub()->table() == nullptr)
        return Acad::eInvalidInput;
    AcDbStub* r = stub()->db->tableRecord(stub()->table()->name, name, getErased);
    if (r == nullptr)
        return Acad::eKeyNotFound;
    id = AcDbObjectId(r);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbSymbolTableRecord*& record,
                                         AcDb::OpenMode mode, bool openErased) const {
    record = nullptr;
    AcDbObjectId id;
    if (Acad::ErrorStatus es = getAt(name, id, openErased); es != Acad::eOk)
        return es;
    return acdbOpenObject(record, id, mode, openErased);
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    return IsTableRecordOf(id.stub(), stub()) && !id.isErased();
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
    AcDbObjectId id;
    return add(id, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
    id = AcDbObjectId();
    if (record == nullptr)
        return Acad::eNullObjectPointer;
    if (record->stub()->db != nullptr)
        return Acad::eAlreadyInDb;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& head = *stub();
    if (head.table() == nullptr || head.db == nullptr)
        return Acad::eNotInDatabase;
    DatabaseImpl& db = *head.db;
    TableData& table = *head.table();
    std::string name = record->name();
    bool anonymous = false;
    if (table.name == "BLOCK_RECORD" && (name == "*U" || name == "*u" || name == "*")) {
        name = db.newAnonymousBlockName('U');
        anonymous = true;
        SetText(*record->stub(), dataRange(*record->stub()), 2, name);
    }
    if (name.empty())
        return Acad::eInvalidSymbolTableName;
    if (db.tableRecord(table.name, name) != nullptr)
        return Acad::eDuplicateRecordName;
    std::string expected(record->stub()->type());
    if (expected != table.name && !(table.name == "BLOCK_RECORD" && expected == "BLOCK_RECORD"))
        return Acad::eWrongObjectType;
    AcDbStub* r = db.adopt(record, Kind::TableRecord, &head);
    r->synthetic = table.synthetic;
    table.records.push_back(r);
    UpdateCount(table);
    if (table.name == "BLOCK_RECORD")
        db.attachBlock(r, name, anonymous || name[0] == '*');
    id = AcDbObjectId(r);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning,
                                               bool skipDeleted) const {
    iterator = new AcDbSymbolTableIterator(recordIds(), atBeginning, skipDeleted);
    return Acad::eOk;
}

// --- dictionaries --------------------------------------------------------------------------------

AcDbDictionary::AcDbDictionary()
    : AcDbObject("DICTIONARY", {{100, "AcDbDictionary"}, {281, "1"}}) {}

std::vector<std::pair<std::string, AcDbObjectId>> AcDbDictionary::entries() const {
    std::vector<std::pair<std::string, AcDbObjectId>> out;
    const AcDbStub& s = *stub();
    Range r = subclassRange(s, "AcDbDictionary");
    for (std::size_t i = r.begin; i + 1 < r.end; ++i) {
        if (s.tags[i].code != 3)
            continue;
        int c = s.tags[i + 1].code;
        if (c != 350 && c != 360)
            continue;
        AcDbStub* target = s.db ? s.db->findHandleText(s.tags[i + 1].value()) : nullptr;
        if (target != nullptr && target->erased)
            continue;
        out.emplace_back(CodecOf(s).decode(s.tags[i].value()), AcDbObjectId(target));
    }
    return out;
}

Adesk::UInt32 AcDbDictionary::numEntries() const {
    return static_cast<Adesk::UInt32>(entries().size());
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* name, AcDbObjectId& id) const {
    id = AcDbObjectId();
    if (name == nullptr)
        return Acad::eInvalidKey;
    for (const auto& [key, value] : entries())
        if (SameName(key, name)) {
            id = value;
            return id.isNull() ? Acad::eKeyNotFound : Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* name, AcDbObject*& object,
                                        AcDb::OpenMode mode) const {
    object = nullptr;
    AcDbObjectId id;
    if (Acad::ErrorStatus es = getAt(name, id); es != Acad::eOk)
        return es;
    return acdbOpenAcDbObject(object, id, mode);
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, std::string& name) const {
    for (const auto& [key, value] : entries())
        if (value == id) {
            name = key;
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

bool AcDbDictionary::has(const ACHAR* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbDictionary::has(AcDbObjectId id) const {
    std::string name;
    return nameAt(id, name) == Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::setAt(const ACHAR* name, AcDbObject* object, AcDbObjectId& id) {
    id = AcDbObjectId();
    if (object == nullptr)
        return Acad::eNullObjectPointer;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    if (s.db == nullptr)
        return Acad::eNotInDatabase;
    DatabaseImpl& db = *s.db;
    std::string key = name ? name : "";
    auto* group = AcDbGroup::cast(object);
    if (key.empty() || key == "*" || (group != nullptr && group->isAnonymous())) {
        // The next free "*A" name.
        int n = 0;
        for (const auto& entry : entries()) {
            const std::string& k = entry.first;
            if (k.size() > 2 && k[0] == '*' && (k[1] == 'A' || k[1] == 'a'))
                n = std::max(n, static_cast<int>(ParseInt(k.substr(2), 0)));
        }
        key = "*A" + std::to_string(n + 1);
        if (group != nullptr && !group->isAnonymous())
            group->setAnonymous();
    }
    AcDbStub* target = object->stub();
    if (target->db == nullptr) {
        target = db.adopt(object, Kind::Object, &s);
        db.objectsSection.push_back(target);
    } else if (target->db != &db) {
        return Acad::eWrongDatabase;
    }
    std::string h = FormatHandle(target->handle);
    Range r = subclassRange(s, "AcDbDictionary");
    std::string encoded = db.codec.encode(key);
    for (std::size_t i = r.begin; i + 1 < r.end; ++i)
        if (s.tags[i].code == 3 && SameName(Trimmed(s.tags[i].value()), encoded) &&
            (s.tags[i + 1].code == 350 || s.tags[i + 1].code == 360)) {
            std::string_view stored = db.store(h);
            s.tags[i + 1].data = stored.data();
            s.tags[i + 1].size = static_cast<std::uint32_t>(stored.size());
            id = AcDbObjectId(target);
            return Acad::eOk;
        }
    Tags entry = MakeTags(s, {{3, encoded}, {350, h}});
    s.tags.insert(s.tags.begin() + static_cast<long>(r.end), entry.begin(), entry.end());
    id = AcDbObjectId(target);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* name) {
    AcDbObjectId id;
    return remove(name, id);
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* name, AcDbObjectId& id) {
    id = AcDbObjectId();
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    Range r = subclassRange(s, "AcDbDictionary");
    for (std::size_t i = r.begin; i + 1 < r.end; ++i)
        if (s.tags[i].code == 3 &&
            SameName(CodecOf(s).decode(s.tags[i].value()), name ? name : "") &&
            (s.tags[i + 1].code == 350 || s.tags[i + 1].code == 360)) {
            if (s.db)
                id = AcDbObjectId(s.db->findHandleText(s.tags[i + 1].value()));
            s.tags.erase(s.tags.begin() + static_cast<long>(i),
                         s.tags.begin() + static_cast<long>(i) + 2);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
    return new AcDbDictionaryIterator(entries());
}

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& object,
                                                    AcDb::OpenMode mode) const {
    object = nullptr;
    if (done())
        return Acad::eInvalidIndex;
    return acdbOpenAcDbObject(object, objectId(), mode);
}

// --- groups --------------------------------------------------------------------------------------

namespace {

Range GroupRange(const AcDbStub& s) {
    return subclassRange(s, "AcDbGroup");
}

}  // namespace

AcDbGroup::AcDbGroup(const ACHAR* description, bool selectable)
    : AcDbObject("GROUP", {{100, "AcDbGroup"}, {300, ""}, {70, "0"}, {71, "1"}}) {
    setDescription(description ? description : "");
    setSelectable(selectable);
}

Acad::ErrorStatus AcDbGroup::getName(std::string& name) const {
    name.clear();
    AcDbObjectId owner = ownerId();
    if (owner.isNull() || owner.stub()->type() != "DICTIONARY")
        return Acad::eKeyNotFound;
    auto* dict = AcDbDictionary::cast(ObjectOf(owner.stub()));
    return dict ? dict->nameAt(objectId(), name) : Acad::eKeyNotFound;
}

std::string AcDbGroup::description() const {
    return GetText(*stub(), GroupRange(*stub()), 300);
}

Acad::ErrorStatus AcDbGroup::setDescription(const ACHAR* description) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetText(*stub(), GroupRange(*stub()), 300, description ? description : "");
    return Acad::eOk;
}

bool AcDbGroup::isSelectable() const {
    return GetInt(*stub(), GroupRange(*stub()), 71, 1) != 0;
}

Acad::ErrorStatus AcDbGroup::setSelectable(bool selectable) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), GroupRange(*stub()), 71, selectable ? 1 : 0, 70);
    return Acad::eOk;
}

bool AcDbGroup::isAnonymous() const {
    return GetInt(*stub(), GroupRange(*stub()), 70, 0) != 0;
}

Acad::ErrorStatus AcDbGroup::setAnonymous() {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    SetInt(*stub(), GroupRange(*stub()), 70, 1, 300);
    return Acad::eOk;
}

Adesk::UInt32 AcDbGroup::allEntityIds(AcDbObjectIdArray& ids) const {
    ids.clear();
    const AcDbStub& s = *stub();
    if (s.db == nullptr)
        return 0;
    Range r = GroupRange(s);
    for (std::size_t i = r.begin; i < r.end; ++i)
        if (s.tags[i].code == 340) {
            AcDbStub* e = s.db->findHandleText(s.tags[i].value());
            if (e != nullptr && !e->erased)
                ids.push_back(AcDbObjectId(e));
        }
    return static_cast<Adesk::UInt32>(ids.size());
}

Adesk::UInt32 AcDbGroup::numEntries() const {
    AcDbObjectIdArray ids;
    return allEntityIds(ids);
}

bool AcDbGroup::has(AcDbObjectId id) const {
    AcDbObjectIdArray ids;
    allEntityIds(ids);
    return ids.contains(id);
}

bool AcDbGroup::has(const AcDbEntity* entity) const {
    return entity != nullptr && has(entity->objectId());
}

Acad::ErrorStatus AcDbGroup::append(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    AcDbStub* e = id.stub();
    if (e == nullptr)
        return Acad::eNullObjectId;
    if (s.db == nullptr || e->db != s.db)
        return Acad::eWrongDatabase;
    if (!e->isEntity())
        return Acad::eNotAnEntity;
    if (has(id))
        return Acad::eAlreadyInGroup;
    Range r = GroupRange(s);
    std::string_view h = Store(s, FormatHandle(e->handle));
    s.tags.insert(s.tags.begin() + static_cast<long>(r.end),
                  Tag{340, static_cast<std::uint32_t>(h.size()), h.data()});
    AddToAppGroup(*e, "ACAD_REACTORS", 330, FormatHandle(s.handle));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::append(const AcDbObjectIdArray& ids) {
    for (const AcDbObjectId& id : ids)
        if (Acad::ErrorStatus es = append(id); es != Acad::eOk)
            return es;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::remove(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    AcDbStub* e = id.stub();
    if (e == nullptr)
        return Acad::eNullObjectId;
    Range r = GroupRange(s);
    for (std::size_t i = r.begin; i < r.end; ++i)
        if (s.tags[i].code == 340 && s.db && s.db->findHandleText(s.tags[i].value()) == e) {
            s.tags.erase(s.tags.begin() + static_cast<long>(i));
            RemoveFromAppGroup(*e, "ACAD_REACTORS", FormatHandle(s.handle));
            return Acad::eOk;
        }
    return Acad::eNotInGroup;
}

Acad::ErrorStatus AcDbGroup::clear() {
    AcDbObjectIdArray ids;
    allEntityIds(ids);
    for (const AcDbObjectId& id : ids)
        if (Acad::ErrorStatus es = remove(id); es != Acad::eOk)
            return es;
    return Acad::eOk;
}

// --- draw order ----------------------------------------------------------------------------------

AcDbObjectId AcDbSortentsTable::blockId() const {
    const AcDbStub& s = *stub();
    long i = findTag(s, subclassRange(s, "AcDbSortentsTable"), 330);
    if (i < 0 || s.db == nullptr)
        return {};
    return AcDbObjectId(s.db->findHandleText(s.tags[static_cast<std::size_t>(i)].value()));
}

namespace {

struct Ordered {
    AcDbStub* entity;
    std::uint64_t key;
};

std::vector<Ordered> DrawOrder(const AcDbStub& table, const AcDbStub* block) {
    std::map<std::uint64_t, std::uint64_t> keys;
    Range r = subclassRange(table, "AcDbSortentsTable");
    for (std::size_t i = r.begin; i + 1 < r.end; ++i)
        if (table.tags[i].code == 331 && table.tags[i + 1].code == 5) {
            auto e = ParseHandle(table.tags[i].value());
            auto k = ParseHandle(table.tags[i + 1].value());
            if (e && k)
                keys[*e] = *k;
        }
    std::vector<Ordered> out;
    if (block == nullptr || block->block() == nullptr)
        return out;
    for (AcDbStub* e : block->block()->entities) {
        if (e->erased)
            continue;
        auto it = keys.find(e->handle);
        out.push_back({e, it == keys.end() ? e->handle : it->second});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Ordered& a, const Ordered& b) { return a.key < b.key; });
    return out;
}

}  // namespace

Acad::ErrorStatus AcDbSortentsTable::getFullDrawOrder(AcDbObjectIdArray& ids) const {
    ids.clear();
    for (const Ordered& o : DrawOrder(*stub(), blockId().stub()))
        ids.push_back(AcDbObjectId(o.entity));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSortentsTable::reorder(const AcDbObjectIdArray& ids, AcDbObjectId target,
                                             bool below) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk)
        return es;
    AcDbStub& s = *stub();
    std::vector<Ordered> order = DrawOrder(s, blockId().stub());
    std::vector<std::uint64_t> keys;
    for (const Ordered& o : order)
        keys.push_back(o.key);
    std::sort(keys.begin(), keys.end());
    std::vector<AcDbStub*> moving;
    std::vector<AcDbStub*> rest;
    for (const Ordered& o : order)
        (ids.contains(AcDbObjectId(o.entity)) ? moving : rest).push_back(o.entity);
    for (const AcDbObjectId& id : ids)
        if (std::find(moving.begin(), moving.end(), id.stub()) == moving.end())
            return Acad::eInvalidInput;  // not an entity of this block
    std::size_t at;
    if (target.isNull()) {
        at = below ? 0 : rest.size();
    } else {
        auto it = std::find(rest.begin(), rest.end(), target.stub());
        if (it == rest.end())
            return Acad::eInvalidInput;
        at = static_cast<std::size_t>(it - rest.begin()) + (below ? 0 : 1);
    }
    rest.insert(rest.begin() + static_cast<long>(at), moving.begin(), moving.end());
    // The same sort handles, handed out in the new order; only those that differ are written.
    Range r = subclassRange(s, "AcDbSortentsTable");
    Tags kept;
    for (std::size_t i = r.begin; i < r.end; ++i) {
        if (s.tags[i].code == 331 && i + 1 < r.end && s.tags[i + 1].code == 5) {
            ++i;
            continue;
        }
        kept.push_back(s.tags[i]);
    }
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i]->handle == keys[i])
            continue;
        std::string_view e = Store(s, FormatHandle(rest[i]->handle));
        std::string_view k = Store(s, FormatHandle(keys[i]));
        kept.push_back(Tag{331, static_cast<std::uint32_t>(e.size()), e.data()});
        kept.push_back(Tag{5, static_cast<std::uint32_t>(k.size()), k.data()});
    }
    s.tags.erase(s.tags.begin() + static_cast<long>(r.begin),
                 s.tags.begin() + static_cast<long>(r.end));
    s.tags.insert(s.tags.begin() + static_cast<long>(r.begin), kept.begin(), kept.end());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSortentsTable::moveBelow(const AcDbObjectIdArray& ids, AcDbObjectId target) {
    return reorder(ids, target, true);
}

Acad::ErrorStatus AcDbSortentsTable::moveAbove(const AcDbObjectIdArray& ids, AcDbObjectId target) {
    return reorder(ids, target, false);
}

Acad::ErrorStatus AcDbSortentsTable::moveToBottom(const AcDbObjectIdArray& ids) {
    return reorder(ids, AcDbObjectId(), true);
}

Acad::ErrorStatus AcDbSortentsTable::moveToTop(const AcDbObjectIdArray& ids) {
    return reorder(ids, AcDbObjectId(), false);
}
