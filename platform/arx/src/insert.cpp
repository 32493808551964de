// Inserting one database into another as a block definition: a deep copy of the model space with
// the table entries and blocks it uses, every handle mapped to a new one.

#include <algorithm>
#include <unordered_map>

#include "model.h"

using namespace arx::detail;

namespace {

class Copier {
public:
    // Within one database (a copy in place) references to objects that are not copied stay
    // as they are; between databases they become null.
    Copier(DatabaseImpl& to, const DatabaseImpl& from)
        : m_to(to), m_from(from), m_sameDatabase(&to == &from) {}

    // A copy of one stub (and its attributes or vertices) in the target.
    AcDbStub* clone(const AcDbStub& src, Kind kind, AcDbStub* owner) {
        AcDbStub* s = m_to.newStub(kind);
        m_to.registerHandle(s, m_to.allocateHandle());
        m_handles[src.handle] = s->handle;
        bool recode = !m_to.codec.sameAs(m_from.codec);
        s->tags.reserve(src.tags.size());
        for (const Tag& t : src.tags) {
            std::string_view value = t.value();
            std::string converted;
            if (recode && IsTextCode(t.code)) {
                converted = m_to.codec.encode(m_from.codec.decode(value));
                value = converted;
            }
            std::string_view stored = m_to.store(value);
            s->tags.push_back(
                Tag{t.code, static_cast<std::uint32_t>(stored.size()), stored.data()});
        }
        s->owner = owner;
        m_cloned.push_back(s);
        for (const AcDbStub* child : src.children()) {
            if (child->erased)
                continue;
            s->kids().push_back(clone(*child, Kind::SubEntity, s));
        }
        if (src.seqend())
            s->setSeqend(clone(*src.seqend(), Kind::SeqEnd, s));
        return s;
    }

    void mapHandle(std::uint64_t from, std::uint64_t to) { m_handles[from] = to; }
    void renameBlock(std::string from, std::string to) {
        m_blockNames[std::move(from)] = std::move(to);
    }

    // Copies the objects that cloned objects own (extension dictionaries and their entries).
    void cloneOwnedObjects() {
        for (std::size_t k = 0; k < m_cloned.size(); ++k) {
            AcDbStub* s = m_cloned[k];
            bool dictionary = s->type() == "DICTIONARY" || s->type() == "ACDBDICTIONARYWDFLT";
            for (const Tag& t : s->tags) {
                bool owned = t.code == 360 || (dictionary && t.code == 350);
                if (!owned)
                    continue;
                auto h = ParseHandle(t.value());
                if (!h || m_handles.count(*h))
                    continue;
                const AcDbStub* src = m_from.find(*h);
                if (src == nullptr || src->erased || src->kind != Kind::Object)
                    continue;
                AcDbStub* copy = clone(*src, Kind::Object, s);
                m_to.objectsSection.push_back(copy);
            }
        }
    }

    // Rewrites the handles inside every copy: own handle, owner, pointers, block names.
    void remap() {
        for (AcDbStub* s : m_cloned) {
            std::size_t firstMarker = 1;
            while (firstMarker < s->tags.size() && s->tags[firstMarker].code != 100)
                ++firstMarker;
            bool ownerSet = false;
            bool inGroup = false;
            std::vector<std::size_t> drop;
            for (std::size_t i = 1; i < s->tags.size(); ++i) {
                Tag& t = s->tags[i];
                if (t.code == 102) {
                    inGroup = !t.value().empty() && Trimmed(t.value()).front() == '{';
                    continue;
                }
                if (t.code == 5 || t.code == 105) {
                    if (i <= 2) {
                        set(t, FormatHandle(s->handle));
                        continue;
                    }
                }
                if (t.code == 330 && !inGroup && i < firstMarker && !ownerSet) {
                    ownerSet = true;
                    set(t, s->owner ? FormatHandle(s->owner->handle) : "0");
                    continue;
                }
                if (t.code == 2 && (s->type() == "INSERT" || s->type() == "DIMENSION") &&
                    !m_blockNames.empty()) {
                    std::string name = m_from.codec.decode(Trimmed(t.value()));
                    auto it = m_blockNames.find(name);
                    if (it != m_blockNames.end())
                        set(t, m_to.codec.encode(it->second));
                    continue;
                }
                if (!IsHandleCode(t.code) || t.code == 5 || t.code == 105)
                    continue;
                auto h = ParseHandle(t.value());
                if (!h || *h == 0)
                    continue;
                auto it = m_handles.find(*h);
                if (it != m_handles.end()) {
                    set(t, FormatHandle(it->second));
                } else if (t.code == 1005) {
                    // A handle in extended data that names nothing copied stays as it was.
                } else if (inGroup) {
                    drop.push_back(i);
                } else if (!m_sameDatabase) {
                    set(t, "0");
                }
            }
            for (auto it = drop.rbegin(); it != drop.rend(); ++it)
                s->tags.erase(s->tags.begin() + static_cast<long>(*it));
            // Application groups left empty by the dropped references go too.
            for (std::size_t i = 1; i + 1 < s->tags.size();) {
                if (s->tags[i].code == 102 && Trimmed(s->tags[i].value()).front() == '{' &&
                    s->tags[i + 1].code == 102 && Trimmed(s->tags[i + 1].value()) == "}") {
                    s->tags.erase(s->tags.begin() + static_cast<long>(i),
                                  s->tags.begin() + static_cast<long>(i) + 2);
                    continue;
                }
                ++i;
            }
        }
    }

private:
    void set(Tag& t, std::string_view value) {
        std::string_view stored = m_to.store(value);
        t.data = stored.data();
        t.size = static_cast<std::uint32_t>(stored.size());
    }

    DatabaseImpl& m_to;
    const DatabaseImpl& m_from;
    std::unordered_map<std::uint64_t, std::uint64_t> m_handles;
    std::unordered_map<std::string, std::string> m_blockNames;
    std::vector<AcDbStub*> m_cloned;
    bool m_sameDatabase;
};

std::string NameOf(const DatabaseImpl& db, const AcDbStub& record) {
    return db.codec.decode(Trimmed(GetRaw(record, dataRange(record), 2)));
}

bool IsLayoutName(std::string_view n) {
    return SameName(n.substr(0, 12), "*Model_Space") || SameName(n.substr(0, 12), "*Paper_Space") ||
           SameName(n, "$MODEL_SPACE") || SameName(n, "$PAPER_SPACE");
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const ACHAR* blockName,
                                       AcDbDatabase* source, bool) {
    blockId = AcDbObjectId();
    if (source == nullptr)
        return Acad::eNullObjectPointer;
    if (source == this)
        return Acad::eSelfReference;
    if (blockName == nullptr || *blockName == '\0')
        return Acad::eNullBlockName;
    DatabaseImpl& to = *m_impl;
    const DatabaseImpl& from = source->impl();
    AcDbStub* sourceModel = from.modelSpace();
    if (sourceModel == nullptr || sourceModel->block() == nullptr)
        return Acad::eMissingSymbolTableRec;
    if (to.table("BLOCK_RECORD") == nullptr)
        return Acad::eMissingSymbolTable;
    Copier copier(to, from);

    // Table entries this database lacks are copied; those it has are used as they are.
    for (const char* tableName : {"LAYER", "LTYPE", "STYLE", "DIMSTYLE", "APPID"}) {
        const TableData* src = from.table(tableName);
        TableData* dst = to.table(tableName);
        if (src == nullptr || dst == nullptr)
            continue;
        bool added = false;
        for (const AcDbStub* record : src->records) {
            if (record->erased)
                continue;
            std::string name = NameOf(from, *record);
            if (AcDbStub* existing = to.tableRecord(tableName, name)) {
                copier.mapHandle(record->handle, existing->handle);
                continue;
            }
            AcDbStub* copy = copier.clone(*record, Kind::TableRecord, dst->head);
            dst->records.push_back(copy);
            added = true;
        }
        if (added && !dst->synthetic)
            SetInt(*dst->head, subclassRange(*dst->head, "AcDbSymbolTable"), 70,
                   static_cast<long long>(dst->records.size()));
    }

    // Blocks the model space may use: named ones that exist here are kept, anonymous ones get
    // new names.
    TableData* records = to.table("BLOCK_RECORD");
    std::vector<std::pair<const BlockData*, BlockData*>> blockCopies;
    for (const BlockData* block : from.blocks) {
        if (block->record == nullptr || block->record->erased || block->begin == nullptr)
            continue;
        std::string name = NameOf(from, *block->record);
        if (IsLayoutName(name))
            continue;
        bool anonymous = !name.empty() && name[0] == '*';
        if (!anonymous) {
            if (AcDbStub* existing = to.tableRecord("BLOCK_RECORD", name)) {
                copier.mapHandle(block->record->handle, existing->handle);
                continue;
            }
        }
        std::string newName =
            anonymous
                ? to.newAnonymousBlockName(
                      name.size() > 1
                          ? static_cast<char>(std::toupper(static_cast<unsigned char>(name[1])))
                          : 'U')
                : name;
        if (newName != name)
            copier.renameBlock(name, newName);
        AcDbStub* record = copier.clone(*block->record, Kind::TableRecord, records->head);
        record->synthetic = records->synthetic;
        records->records.push_back(record);
        BlockData& copy = to.blockStore.emplace_back();
        copy.record = record;
        record->setBlock(&copy);
        copy.begin = copier.clone(*block->begin, Kind::BlockBegin, record);
        copy.end = copier.clone(*block->end, Kind::BlockEnd, record);
        if (newName != name) {
            std::string encoded = to.codec.encode(newName);
            SetRaw(*record, dataRange(*record), 2, encoded);
            SetRaw(*copy.begin, dataRange(*copy.begin), 2, encoded);
            if (findTag(*copy.begin, dataRange(*copy.begin), 3) >= 0)
                SetRaw(*copy.begin, dataRange(*copy.begin), 3, encoded);
        }
        to.ensureSection(SectionKind::Blocks);
        to.blocks.push_back(&copy);
        blockCopies.emplace_back(block, &copy);
    }

    // The new block with the model space.
    std::string name = blockName;
    bool anonymous = name == "*U" || name == "*u" || name == "*";
    BlockData* target = nullptr;
    if (anonymous) {
        name = to.newAnonymousBlockName('U');
    } else if (AcDbStub* existing = to.tableRecord("BLOCK_RECORD", name)) {
        // Redefinition: the old contents go.
        if (existing->block() == nullptr || IsLayoutName(name))
            return Acad::eInvalidBlockName;
        for (AcDbStub* e : existing->block()->entities)
            e->erased = true;
        target = existing->block();
    }
    if (target == nullptr)
        target = to.createBlock(name, anonymous);
    copier.mapHandle(sourceModel->handle, target->record->handle);
    for (const AcDbStub* e : sourceModel->block()->entities) {
        if (e->erased)
            continue;
        AcDbStub* copy = copier.clone(*e, Kind::Entity, target->record);
        target->entities.push_back(copy);
        // Paper-space marks do not belong in a block.
        RemoveTag(*copy, subclassRange(*copy, "AcDbEntity"), 67);
    }
    for (auto [src, copy] : blockCopies)
        for (const AcDbStub* e : src->entities) {
            if (e->erased)
                continue;
            copy->entities.push_back(copier.clone(*e, Kind::Entity, copy->record));
        }
    copier.cloneOwnedObjects();
    copier.remap();

    // The block's base point is the source drawing's insertion base.
    std::string_view insBase = from.headerRaw("$INSBASE");
    if (!insBase.empty()) {
        long i = from.headerIndex("$INSBASE");
        const Tags& h = *const_cast<DatabaseImpl&>(from).header();
        AcGePoint3d p(ParseReal(h[static_cast<std::size_t>(i)].value()), 0, 0);
        if (static_cast<std::size_t>(i) + 1 < h.size() &&
            h[static_cast<std::size_t>(i) + 1].code == 20)
            p.y = ParseReal(h[static_cast<std::size_t>(i) + 1].value());
        if (static_cast<std::size_t>(i) + 2 < h.size() &&
            h[static_cast<std::size_t>(i) + 2].code == 30)
            p.z = ParseReal(h[static_cast<std::size_t>(i) + 2].value());
        SetPoint(*target->begin, subclassRange(*target->begin, "AcDbBlockBegin"), 10, p, true, 70);
    }
    if (!records->synthetic)
        SetInt(*records->head, subclassRange(*records->head, "AcDbSymbolTable"), 70,
               static_cast<long long>(records->records.size()));
    blockId = AcDbObjectId(target->record);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::copyInPlace(AcDbObjectId& copyId) const {
    copyId = AcDbObjectId();
    AcDbStub& source = *stub();
    if (source.db == nullptr || source.kind != Kind::Entity)
        return Acad::eNotInDatabase;
    DatabaseImpl& db = *source.db;
    BlockData* block = db.blockOf(source.owner);
    if (block == nullptr)
        return Acad::eNotInDatabase;
    Copier copier(db, db);
    AcDbStub* copy = copier.clone(source, Kind::Entity, source.owner);
    // A dimension draws itself through a block of its own: the copy gets a copy of it.
    if (source.type() == "DIMENSION") {
        const std::string name = db.codec.decode(Trimmed(GetRaw(source, dataRange(source), 2)));
        AcDbStub* record = db.tableRecord("BLOCK_RECORD", name);
        TableData* records = db.table("BLOCK_RECORD");
        if (record != nullptr && record->block() != nullptr && records != nullptr &&
            record->block()->begin != nullptr && !name.empty() && name[0] == '*') {
            const BlockData& from = *record->block();
            const std::string newName = db.newAnonymousBlockName('D');
            copier.renameBlock(name, newName);
            AcDbStub* newRecord = copier.clone(*record, Kind::TableRecord, records->head);
            newRecord->synthetic = records->synthetic;
            records->records.push_back(newRecord);
            BlockData& drawing = db.blockStore.emplace_back();
            drawing.record = newRecord;
            newRecord->setBlock(&drawing);
            drawing.begin = copier.clone(*from.begin, Kind::BlockBegin, newRecord);
            drawing.end = copier.clone(*from.end, Kind::BlockEnd, newRecord);
            const std::string encoded = db.codec.encode(newName);
            SetRaw(*newRecord, dataRange(*newRecord), 2, encoded);
            SetRaw(*drawing.begin, dataRange(*drawing.begin), 2, encoded);
            if (findTag(*drawing.begin, dataRange(*drawing.begin), 3) >= 0)
                SetRaw(*drawing.begin, dataRange(*drawing.begin), 3, encoded);
            for (const AcDbStub* e : from.entities)
                if (!e->erased)
                    drawing.entities.push_back(copier.clone(*e, Kind::Entity, newRecord));
            db.blocks.push_back(&drawing);
            if (!records->synthetic)
                SetInt(*records->head, subclassRange(*records->head, "AcDbSymbolTable"), 70,
                       static_cast<long long>(records->records.size()));
        }
    }
    copier.cloneOwnedObjects();
    copier.remap();
    auto place = std::find(block->entities.begin(), block->entities.end(), &source);
    block->entities.insert(place == block->entities.end() ? place : place + 1, copy);
    if (source.inEntitiesSection) {
        copy->inEntitiesSection = true;
        auto at = std::find(db.entitiesSection.begin(), db.entitiesSection.end(), &source);
        db.entitiesSection.insert(at == db.entitiesSection.end() ? at : at + 1, copy);
    }
    copyId = AcDbObjectId(copy);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::copyInto(AcDbObjectId blockId, AcDbObjectId& copyId) const {
    copyId = AcDbObjectId();
    AcDbStub& source = *stub();
    if (source.db == nullptr || source.kind != Kind::Entity)
        return Acad::eNotInDatabase;
    AcDbStub* record = blockId.stub();
    if (record == nullptr || record->erased || record->block() == nullptr ||
        source.type() == "DIMENSION")
        return Acad::eNotApplicable;
    if (record->db != source.db)
        return Acad::eWrongDatabase;
    DatabaseImpl& db = *source.db;
    Copier copier(db, db);
    AcDbStub* copy = copier.clone(source, Kind::Entity, record);
    copier.cloneOwnedObjects();
    copier.remap();
    db.appendEntity(record->block(), copy);
    copyId = AcDbObjectId(copy);
    return Acad::eOk;
}
