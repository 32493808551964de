// The database: its sections and tables, handles, reading and saving, and the host's services.

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "arx/DrawingLock.h"
#include "common/files.h"
#include "dxf_io.h"

namespace arx::detail {

// --- sections and header -------------------------------------------------------------------------

Section* DatabaseImpl::section(SectionKind kind) {
    for (Section& s : sections)
        if (s.kind == kind)
            return &s;
    return nullptr;
}

Tags* DatabaseImpl::header() {
    Section* s = section(SectionKind::Header);
    return s ? &s->raw : nullptr;
}

long DatabaseImpl::headerIndex(std::string_view name) const {
    for (const Section& s : sections) {
        if (s.kind != SectionKind::Header)
            continue;
        for (std::size_t i = 0; i + 1 < s.raw.size(); ++i)
            if (s.raw[i].code == 9 && Trimmed(s.raw[i].value()) == name)
                return static_cast<long>(i + 1);
    }
    return -1;
}

std::string_view DatabaseImpl::headerRaw(std::string_view name) const {
    long i = headerIndex(name);
    if (i < 0)
        return {};
    for (const Section& s : sections)
        if (s.kind == SectionKind::Header)
            return s.raw[static_cast<std::size_t>(i)].value();
    return {};
}

void DatabaseImpl::setHeader(std::string_view name, int code, std::string_view rawValue) {
    Tags* h = header();
    if (h == nullptr)
        return;
    std::string_view stored = store(rawValue);
    Tag value{code, static_cast<std::uint32_t>(stored.size()), stored.data()};
    long i = headerIndex(name);
    if (i >= 0) {
        (*h)[static_cast<std::size_t>(i)] = value;
        return;
    }
    std::string_view storedName = store(name);
    h->push_back(Tag{9, static_cast<std::uint32_t>(storedName.size()), storedName.data()});
    h->push_back(value);
}

std::string DatabaseImpl::version() const {
    std::string v(Trimmed(headerRaw("$ACADVER")));
    return v.empty() ? "AC1009" : v;
}

bool DatabaseImpl::isR12() const {
    return version() < "AC1015";
}

void DatabaseImpl::warn(std::uint32_t line, std::string_view message) {
    std::string text = fileName;
    if (line > 0)
        text += ":" + std::to_string(line);
    text += ": ";
    text += message;
    warnings.push_back(std::move(text));
}

// --- objects -------------------------------------------------------------------------------------

AcDbStub* DatabaseImpl::newStub(Kind kind) {
    AcDbStub& s = stubs.emplace_back();
    s.db = this;
    s.kind = kind;
    return &s;
}

AcDbStub* DatabaseImpl::find(std::uint64_t handle) const {
    auto it = byHandle.find(handle);
    return it == byHandle.end() ? nullptr : it->second;
}

AcDbStub* DatabaseImpl::findHandleText(std::string_view hex) const {
    auto h = ParseHandle(hex);
    return h ? find(*h) : nullptr;
}

std::uint64_t DatabaseImpl::allocateHandle() {
    while (byHandle.count(nextHandle))
        ++nextHandle;
    return nextHandle++;
}

void DatabaseImpl::registerHandle(AcDbStub* stub, std::uint64_t handle) {
    stub->handle = handle;
    byHandle[handle] = stub;
}

AcDbStub* DatabaseImpl::adopt(AcDbObject* object, Kind kind, AcDbStub* owner) {
    AcDbStub* own = object->stub();
    AcDbStub* s = newStub(kind);
    s->tags = std::move(own->tags);
    if (own->hasExtra() && own->extra().ownArena)
        adoptedArenas.push_back(std::move(own->extra().ownArena));
    if (!codec.isUtf8())
        for (Tag& t : s->tags)
            if (IsTextCode(t.code)) {
                std::string_view encoded = store(codec.encode(t.value()));
                t.data = encoded.data();
                t.size = static_cast<std::uint32_t>(encoded.size());
            }
    registerHandle(s, allocateHandle());
    std::string handle = FormatHandle(s->handle);
    int handleCode = s->type() == "DIMSTYLE" ? 105 : 5;
    std::string_view storedHandle = store(handle);
    Tag handleTag{handleCode, static_cast<std::uint32_t>(storedHandle.size()), storedHandle.data()};
    if (s->tags.size() > 1 && (s->tags[1].code == 5 || s->tags[1].code == 105))
        s->tags[1] = handleTag;
    else
        s->tags.insert(s->tags.begin() + 1, handleTag);
    s->owner = owner;
    if (owner != nullptr) {
        // The owner is the first 330 outside the application groups, right after the handle.
        std::string_view storedOwner = store(FormatHandle(owner->handle));
        Tag ownerTag{330, static_cast<std::uint32_t>(storedOwner.size()), storedOwner.data()};
        long at = findTag(*s, {2, s->tags.size()}, 330);
        std::size_t firstMarker = 2;
        while (firstMarker < s->tags.size() && s->tags[firstMarker].code != 100)
            ++firstMarker;
        if (at >= 0 && static_cast<std::size_t>(at) < firstMarker)
            s->tags[static_cast<std::size_t>(at)] = ownerTag;
        else
            s->tags.insert(s->tags.begin() + static_cast<long>(firstMarker), ownerTag);
    }
    s->object.reset(object);
    object->attachStub(s);
    s->writer = true;
    // Attributes added to a block reference before the reference was in the database.
    std::vector<AcDbStub*> pending = std::move(own->kids());
    own->kids().clear();
    object->m_ownStub.reset();
    for (AcDbStub* childStub : pending) {
        AcDbObject* child = childStub->object.release();
        AcDbStub* c = adopt(child, Kind::SubEntity, s);
        c->writer = false;
        s->kids().push_back(c);
    }
    return s;
}

// --- tables and blocks ---------------------------------------------------------------------------

TableData* DatabaseImpl::table(std::string_view name) const {
    for (TableData* t : tables)
        if (t->name == name)
            return t;
    return nullptr;
}

AcDbStub* DatabaseImpl::tableRecord(std::string_view tableName, std::string_view name,
                                    bool includeErased) const {
    TableData* t = table(tableName);
    if (t == nullptr)
        return nullptr;
    std::string encoded = codec.encode(name);
    for (AcDbStub* r : t->records) {
        if (r->erased && !includeErased)
            continue;
        std::string_view n = Trimmed(GetRaw(*r, dataRange(*r), 2));
        if (SameName(n, encoded))
            return r;
        if (!codec.isUtf8() && SameName(codec.decode(n), name))
            return r;
    }
    return nullptr;
}

AcDbStub* DatabaseImpl::modelSpace() const {
    AcDbStub* r = tableRecord("BLOCK_RECORD", "*Model_Space");
    return r ? r : tableRecord("BLOCK_RECORD", "$MODEL_SPACE");
}

AcDbStub* DatabaseImpl::paperSpace() const {
    AcDbStub* r = tableRecord("BLOCK_RECORD", "*Paper_Space");
    return r ? r : tableRecord("BLOCK_RECORD", "$PAPER_SPACE");
}

AcDbStub* DatabaseImpl::namedObjectsDictionary() const {
    for (AcDbStub* o : objectsSection)
        if (o->type() == "DICTIONARY")
            return o;
    return nullptr;
}

namespace {

// The (name, handle) entries of a dictionary, with the index of each handle tag.
struct Entry {
    std::string_view name;
    std::string_view handle;
};

std::vector<Entry> RawEntries(const AcDbStub& dict) {
    std::vector<Entry> out;
    Range r = subclassRange(dict, "AcDbDictionary");
    for (std::size_t i = r.begin; i + 1 < r.end; ++i)
        if (dict.tags[i].code == 3 &&
            (dict.tags[i + 1].code == 350 || dict.tags[i + 1].code == 360))
            out.push_back({dict.tags[i].value(), dict.tags[i + 1].value()});
    return out;
}

}  // namespace

AcDbStub* DatabaseImpl::groupDictionary(bool create) {
    AcDbStub* root = namedObjectsDictionary();
    if (root != nullptr)
        for (const Entry& e : RawEntries(*root))
            if (e.name == "ACAD_GROUP") {
                AcDbStub* d = findHandleText(e.handle);
                if (d && !d->erased)
                    return d;
            }
    if (!create || isR12())
        return nullptr;
    if (root == nullptr) {
        ensureSection(SectionKind::Objects);
        root = newStub(Kind::Object);
        registerHandle(root, allocateHandle());
        root->tags = MakeTags(*root, {{0, "DICTIONARY"},
                                      {5, FormatHandle(root->handle)},
                                      {330, "0"},
                                      {100, "AcDbDictionary"},
                                      {281, "1"}});
        objectsSection.insert(objectsSection.begin(), root);
    }
    AcDbStub* groups = newStub(Kind::Object);
    registerHandle(groups, allocateHandle());
    std::string h = FormatHandle(groups->handle);
    groups->tags = MakeTags(*groups, {{0, "DICTIONARY"},
                                      {5, h},
                                      {330, FormatHandle(root->handle)},
                                      {100, "AcDbDictionary"},
                                      {281, "1"}});
    groups->owner = root;
    objectsSection.push_back(groups);
    Range r = subclassRange(*root, "AcDbDictionary");
    std::string_view name = store("ACAD_GROUP");
    std::string_view hs = store(h);
    root->tags.insert(root->tags.begin() + static_cast<long>(r.end),
                      {Tag{3, static_cast<std::uint32_t>(name.size()), name.data()},
                       Tag{350, static_cast<std::uint32_t>(hs.size()), hs.data()}});
    return groups;
}

std::string DatabaseImpl::newAnonymousBlockName(char letter) {
    TableData* t = table("BLOCK_RECORD");
    int highest = anonymousBlockCounter;
    if (t != nullptr)
        for (AcDbStub* r : t->records) {
            std::string_view n = Trimmed(GetRaw(*r, dataRange(*r), 2));
            if (n.size() > 2 && n[0] == '*' && (n[1] == letter || n[1] == std::tolower(letter)))
                highest = std::max(highest, static_cast<int>(ParseInt(n.substr(2), 0)));
        }
    anonymousBlockCounter = highest + 1;
    return std::string("*") + letter + std::to_string(anonymousBlockCounter);
}

BlockData* DatabaseImpl::createBlock(std::string_view name, bool anonymous) {
    TableData* records = table("BLOCK_RECORD");
    AcDbStub* record = newStub(Kind::TableRecord);
    registerHandle(record, allocateHandle());
    std::string rh = FormatHandle(record->handle);
    std::string encodedName = codec.encode(name);
    if (records->synthetic)
        record->tags = MakeTags(*record, {{0, "BLOCK_RECORD"}, {2, encodedName}});
    else
        record->tags = MakeTags(*record, {{0, "BLOCK_RECORD"},
                                          {5, rh},
                                          {330, FormatHandle(records->head->handle)},
                                          {100, "AcDbSymbolTableRecord"},
                                          {100, "AcDbBlockTableRecord"},
                                          {2, encodedName},
                                          {340, "0"},
                                          {70, "0"},
                                          {280, "1"},
                                          {281, "0"}});
    record->owner = records->head;
    record->synthetic = records->synthetic;
    records->records.push_back(record);
    if (!records->synthetic)
        SetInt(*records->head, subclassRange(*records->head, "AcDbSymbolTable"), 70,
               static_cast<long long>(records->records.size()));

    return attachBlock(record, name, anonymous);
}

BlockData* DatabaseImpl::attachBlock(AcDbStub* record, std::string_view name, bool anonymous) {
    std::string rh = FormatHandle(record->handle);
    std::string encodedName = codec.encode(name);
    BlockData& block = blockStore.emplace_back();
    block.record = record;
    record->setBlock(&block);
    std::string flags = anonymous ? "1" : "0";
    block.begin = newStub(Kind::BlockBegin);
    registerHandle(block.begin, allocateHandle());
    block.begin->tags = MakeTags(*block.begin, {{0, "BLOCK"},
                                                {5, FormatHandle(block.begin->handle)},
                                                {330, rh},
                                                {100, "AcDbEntity"},
                                                {8, "0"},
                                                {100, "AcDbBlockBegin"},
                                                {2, encodedName},
                                                {70, flags},
                                                {10, "0.0"},
                                                {20, "0.0"},
                                                {30, "0.0"},
                                                {3, encodedName},
                                                {1, ""}});
    block.begin->owner = record;
    block.end = newStub(Kind::BlockEnd);
    registerHandle(block.end, allocateHandle());
    block.end->tags = MakeTags(*block.end, {{0, "ENDBLK"},
                                            {5, FormatHandle(block.end->handle)},
                                            {330, rh},
                                            {100, "AcDbEntity"},
                                            {8, "0"},
                                            {100, "AcDbBlockEnd"}});
    block.end->owner = record;
    ensureSection(SectionKind::Blocks);
    blocks.push_back(&block);
    return &block;
}

void DatabaseImpl::ensureSection(SectionKind kind) {
    if (section(kind) != nullptr)
        return;
    static const std::pair<SectionKind, const char*> order[] = {
        {SectionKind::Header, "HEADER"},     {SectionKind::Classes, "CLASSES"},
        {SectionKind::Tables, "TABLES"},     {SectionKind::Blocks, "BLOCKS"},
        {SectionKind::Entities, "ENTITIES"}, {SectionKind::Objects, "OBJECTS"}};
    int rank = 0;
    const char* name = "";
    for (int i = 0; i < 6; ++i)
        if (order[i].first == kind) {
            rank = i;
            name = order[i].second;
        }
    auto rankOf = [&](SectionKind k) {
        for (int i = 0; i < 6; ++i)
            if (order[i].first == k)
                return i;
        return 6;
    };
    auto at = sections.begin();
    while (at != sections.end() && rankOf(at->kind) < rank)
        ++at;
    sections.insert(at, Section{kind, {}, name});
}

void DatabaseImpl::appendEntity(BlockData* block, AcDbStub* entity) {
    block->entities.push_back(entity);
    if (block->record == modelSpace() || block->record == paperSpace()) {
        ensureSection(SectionKind::Entities);
        entity->inEntitiesSection = true;
        entitiesSection.push_back(entity);
        if (block->record == paperSpace())
            SetInt(*entity, subclassRange(*entity, "AcDbEntity"), 67, 1, 330);
    }
    for (AcDbStub* child : entity->children())
        child->owner = entity;
}

}  // namespace arx::detail

using namespace arx::detail;

// --- handles, ids, classes -----------------------------------------------------------------------

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isErased() const {
    return m_stub != nullptr && m_stub->erased;
}

AcDbHandle AcDbObjectId::handle() const {
    return m_stub ? AcDbHandle(m_stub->handle) : AcDbHandle();
}

AcDbDatabase* AcDbObjectId::database() const {
    return m_stub && m_stub->db ? m_stub->db->self : nullptr;
}

std::string_view AcDbObjectId::dxfType() const {
    return m_stub ? m_stub->type() : std::string_view();
}

bool AcDbObjectIdArray::contains(const AcDbObjectId& id) const {
    for (const AcDbObjectId& x : *this)
        if (x == id)
            return true;
    return false;
}

AcDbHandle::AcDbHandle(const ACHAR* hexText) {
    if (hexText != nullptr)
        m_value = ParseHandle(hexText).value_or(0);
}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* buffer, std::size_t length) const {
    std::string text = FormatHandle(m_value);
    if (buffer == nullptr || length <= text.size())
        return false;
    std::snprintf(buffer, length, "%s", text.c_str());
    return true;
}

std::string AcDbHandle::text() const {
    return FormatHandle(m_value);
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    for (const AcRxClass* c = this; c != nullptr; c = c->myParent())
        if (c == other)
            return true;
    return false;
}

AcRxClass* AcRxObject::desc() {
    static AcRxClass cls("AcRxObject", nullptr);
    return &cls;
}

Acad::ErrorStatus AcCmColor::setColorIndex(Adesk::UInt16 index) {
    if (index > 257)
        return Acad::eBadColorIndex;
    m_index = index;
    return Acad::eOk;
}

AcDbExtents::AcDbExtents() : m_min(1e20, 1e20, 1e20), m_max(-1e20, -1e20, -1e20) {}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
    if (min.x > max.x || min.y > max.y || min.z > max.z)
        return Acad::eInvalidExtents;
    m_min = min;
    m_max = max;
    return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
    m_min.set(std::min(m_min.x, p.x), std::min(m_min.y, p.y), std::min(m_min.z, p.z));
    m_max.set(std::max(m_max.x, p.x), std::max(m_max.y, p.y), std::max(m_max.z, p.z));
}

void AcDbExtents::addExt(const AcDbExtents& other) {
    if (other.isEmpty())
        return;
    addPoint(other.m_min);
    addPoint(other.m_max);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
    if (isEmpty())
        return;
    AcDbExtents out;
    for (int i = 0; i < 8; ++i) {
        AcGePoint3d corner((i & 1) ? m_max.x : m_min.x, (i & 2) ? m_max.y : m_min.y,
                           (i & 4) ? m_max.z : m_min.z);
        out.addPoint(m * corner);
    }
    *this = out;
}

void AcDbExtents::expandBy(const AcGeVector3d& v) {
    if (isEmpty())
        return;
    addPoint(m_min + v);
    addPoint(m_max + v);
}

// --- the database --------------------------------------------------------------------------------

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool /*noDocument*/)
    : m_impl(std::make_unique<DatabaseImpl>(this)) {
    if (buildDefaultDrawing) {
        Acad::ErrorStatus es = readDxfText(kDefaultDrawing, "(new drawing)");
        (void)es;
        m_impl->fileName.clear();
    }
}

AcDbDatabase::~AcDbDatabase() {
    if (acdbHostApplicationServices()->workingDatabase() == this)
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    // Objects go before the stubs and arenas they point into.
    for (AcDbStub& s : m_impl->stubs)
        s.object.reset();
}

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName, OpenMode mode, bool,
                                            const wchar_t*) {
    DatabaseImpl& db = *m_impl;
    if (fileName == nullptr || *fileName == '\0') {
        db.lastError = "no file name was given";
        return Acad::eNoFileName;
    }
    std::error_code exists;
    if (!std::filesystem::exists(fileName, exists)) {
        db.lastError = std::string(fileName) + ": the file does not exist";
        return Acad::eFileNotFound;
    }
    std::string holder;
    if ((mode == kForReadAndReadShare || mode == kForReadAndWriteNoShare) &&
        arx::DrawingInUse(fileName, &holder)) {
        db.lastError = std::string(fileName) + ": the drawing is in use" +
                       (holder.empty() ? std::string() : " by " + holder);
        return Acad::eFileSharingViolation;
    }
    std::string bytes;
    if (std::error_code ec = common::ReadWholeFile(fileName, bytes)) {
        db.lastError = std::string(fileName) + ": cannot be read: " + common::Describe(ec);
        return Acad::eFileAccessErr;
    }
    return readDxfText(std::move(bytes), fileName);
}

Acad::ErrorStatus AcDbDatabase::readDxfText(std::string text, const ACHAR* fileName) {
    DatabaseImpl& db = *m_impl;
    if (db.loaded) {
        db.lastError = std::string(fileName) + ": the database already holds a drawing";
        return Acad::eNotApplicable;
    }
    db.buffer = std::move(text);
    db.fileName = fileName ? fileName : "";
    db.warnings.clear();
    db.lastError.clear();
    try {
        ReadDxf(db);
    } catch (const ReadError& e) {
        db.lastError = db.fileName + ":" + std::to_string(e.line()) + ": " + e.what();
        // Leave an empty database behind.
        for (AcDbStub& s : db.stubs)
            s.object.reset();
        std::string name = db.fileName;
        std::string message = db.lastError;
        m_impl = std::make_unique<DatabaseImpl>(this);
        m_impl->fileName = name;
        m_impl->lastError = message;
        bool dwg = message.find("DWG drawing") != std::string::npos;
        bool binary = message.find("binary DXF") != std::string::npos;
        return dwg || binary ? Acad::eUnsupportedFileFormat : Acad::eBadDxfFile;
    }
    return Acad::eOk;
}

std::string AcDbDatabase::dxfText() const {
    DatabaseImpl& db = *m_impl;
    auto seed = ParseHandle(db.headerRaw("$HANDSEED"));
    if (db.headerIndex("$HANDSEED") >= 0 && (!seed || *seed < db.nextHandle))
        db.setHeader("$HANDSEED", 5, FormatHandle(db.nextHandle));
    return WriteDxf(db);
}

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName, bool backupAndRename,
                                       AcDb::AcDbDwgVersion, const void*) {
    DatabaseImpl& db = *m_impl;
    if (fileName == nullptr || *fileName == '\0') {
        db.lastError = "no file name was given";
        return Acad::eNoFileName;
    }
    std::string text = dxfText();
    std::filesystem::path target(fileName);
    std::error_code ec;
    if (backupAndRename && std::filesystem::exists(target, ec)) {
        std::filesystem::path backup = target;
        backup.replace_extension(".bak");
        std::filesystem::copy_file(target, backup,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            db.lastError = backup.string() + ": the backup cannot be written: " + ec.message();
            return Acad::eFileAccessErr;
        }
    }
    if (std::error_code wec = common::WriteFileAtomically(target, text)) {
        db.lastError = target.string() + ": cannot be saved: " + common::Describe(wec);
        return Acad::eFileAccessErr;
    }
    db.fileName = target.string();
    return Acad::eOk;
}

namespace {

template <class Table>
Acad::ErrorStatus OpenTable(DatabaseImpl& db, const char* name, Table*& table,
                            AcDb::OpenMode mode) {
    table = nullptr;
    TableData* t = db.table(name);
    if (t == nullptr)
        return Acad::eMissingSymbolTable;
    return acdbOpenObject(table, AcDbObjectId(t->head), mode);
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
    return OpenTable(*m_impl, "BLOCK_RECORD", table, mode);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
    return OpenTable(*m_impl, "LAYER", table, mode);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) {
    return OpenTable(*m_impl, "APPID", table, mode);
}

AcDbObjectId AcDbDatabase::tableId(std::string_view name) const {
    TableData* t = m_impl->table(name);
    return t ? AcDbObjectId(t->head) : AcDbObjectId();
}

AcDbObjectId AcDbDatabase::blockTableId() const {
    return tableId("BLOCK_RECORD");
}

AcDbObjectId AcDbDatabase::layerTableId() const {
    return tableId("LAYER");
}

AcDbObjectId AcDbDatabase::regAppTableId() const {
    return tableId("APPID");
}

Acad::ErrorStatus AcDbDatabase::getGroupDictionary(AcDbDictionary*& dictionary,
                                                   AcDb::OpenMode mode) {
    dictionary = nullptr;
    AcDbStub* d = m_impl->groupDictionary(true);
    if (d == nullptr)
        return Acad::eKeyNotFound;
    return acdbOpenObject(dictionary, AcDbObjectId(d), mode);
}

Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& dictionary,
                                                          AcDb::OpenMode mode) {
    dictionary = nullptr;
    AcDbStub* d = m_impl->namedObjectsDictionary();
    if (d == nullptr)
        return Acad::eKeyNotFound;
    return acdbOpenObject(dictionary, AcDbObjectId(d), mode);
}

AcDbObjectId AcDbDatabase::groupDictionaryId() const {
    return AcDbObjectId(m_impl->groupDictionary(false));
}

AcDbObjectId AcDbDatabase::namedObjectsDictionaryId() const {
    return AcDbObjectId(m_impl->namedObjectsDictionary());
}

AcDbObjectId AcDbDatabase::modelSpaceId() const {
    return AcDbObjectId(m_impl->modelSpace());
}

AcDbObjectId AcDbDatabase::currentSpaceId() const {
    return modelSpaceId();
}

double AcDbDatabase::dimscale() const {
    std::string_view raw = m_impl->headerRaw("$DIMSCALE");
    return raw.empty() ? 1.0 : ParseReal(raw, 1.0);
}

Acad::ErrorStatus AcDbDatabase::setDimscale(double scale) {
    if (scale < 0)
        return Acad::eOutOfRange;
    m_impl->setHeader("$DIMSCALE", 40, FormatReal(scale));
    return Acad::eOk;
}

AcDbObjectId AcDbDatabase::clayer() const {
    std::string name = m_impl->codec.decode(Trimmed(m_impl->headerRaw("$CLAYER")));
    AcDbStub* layer = m_impl->tableRecord("LAYER", name.empty() ? "0" : name);
    if (layer == nullptr)
        layer = m_impl->tableRecord("LAYER", "0");
    return AcDbObjectId(layer);
}

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layerId) {
    AcDbStub* s = layerId.stub();
    if (s == nullptr || s->db != m_impl.get() || s->type() != "LAYER")
        return Acad::eInvalidLayer;
    m_impl->setHeader("$CLAYER", 8, Trimmed(GetRaw(*s, dataRange(*s), 2)));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getFilename(const ACHAR*& fileName) const {
    fileName = m_impl->fileName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool, const AcDbHandle& handle,
                                                Adesk::UInt32) {
    AcDbStub* s = m_impl->find(handle.value());
    id = AcDbObjectId(s);
    return s ? Acad::eOk : Acad::eUnknownHandle;
}

std::string AcDbDatabase::acadVersion() const {
    return m_impl->version();
}

std::string AcDbDatabase::textEncoding() const {
    return m_impl->codec.name();
}

std::string AcDbDatabase::headerValue(std::string_view name) const {
    return std::string(Trimmed(m_impl->headerRaw(name)));
}

const std::string& AcDbDatabase::lastError() const {
    return m_impl->lastError;
}

const std::vector<std::string>& AcDbDatabase::readWarnings() const {
    return m_impl->warnings;
}

// --- the host ------------------------------------------------------------------------------------

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices services;
    return &services;
}

AcApDocManager* acDocManagerPtr() {
    static AcApDocManager manager;
    return &manager;
}

void AcApDocManager::setCurDocument(AcApDocument* document) {
    m_current = document;
    acdbHostApplicationServices()->setWorkingDatabase(document ? document->database() : nullptr);
}

const ACHAR* AcApDocument::fileName() const {
    const ACHAR* name = "";
    if (m_database)
        m_database->getFilename(name);
    return name;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
    id = AcDbObjectId();
    if (name == nullptr || name[0] == 0)
        return Acad::eInvalidAdsName;
    id = AcDbObjectId(reinterpret_cast<AcDbStub*>(static_cast<std::intptr_t>(name[0])));
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id) {
    name[0] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(id.stub()));
    name[1] = 0;
    return id.isNull() ? Acad::eNullObjectId : Acad::eOk;
}
