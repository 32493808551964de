#pragma once

// The drawing-database access layer of the commands: owning wrappers that close, delete or
// release what they hold when they go out of scope, so an early return leaves nothing open;
// the layer-state and system-variable helpers; the table-entry helpers and small queries.
// Wrappers live on the stack of one command routine and are never copied.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "arx/acdb.h"
#include "frame/ConsoleError.h"
#include "host/aced.h"

namespace routix {

/// The database of the current document.
AcDbDatabase* CurrentDatabase();

/// An open symbol table (block, layer or registered-application table) of a database, closed
/// when the wrapper goes out of scope; a database handed over with `ownsDatabase` is deleted
/// then too.
template <class TTable, class TIterator, class TRecord>
class CTable {
public:
    /// Opens the table of `database`, or of the current document's database when null.
    explicit CTable(AcDbDatabase* database, AcDb::OpenMode mode = AcDb::kForRead,
                    bool ownsDatabase = false)
        : m_pDatabase(database != nullptr ? database : CurrentDatabase()),
          m_bOwnsDatabase(ownsDatabase && database != nullptr) {
        m_status = m_pDatabase != nullptr ? m_pDatabase->getSymbolTable(m_pTable, mode)
                                          : Acad::eNoDatabase;
        m_bOpened = m_status == Acad::eOk;
        if (!m_bOpened) {
            m_pTable = nullptr;
        }
    }
    virtual ~CTable() {
        if (m_pTable != nullptr) {
            m_pTable->close();
        }
        if (m_bOwnsDatabase) {
            delete m_pDatabase;
        }
    }
    CTable(const CTable&) = delete;
    CTable& operator=(const CTable&) = delete;

    bool isOpened() const { return m_bOpened; }
    Acad::ErrorStatus status() const { return m_status; }
    TTable* get() const { return m_pTable; }
    TTable* operator->() const { return m_pTable; }
    AcDbDatabase* database() const { return m_pDatabase; }

private:
    TTable* m_pTable = nullptr;
    AcDbDatabase* m_pDatabase = nullptr;
    bool m_bOwnsDatabase = false;
    bool m_bOpened = false;
    Acad::ErrorStatus m_status = Acad::eOk;
};

using CBlockTable = CTable<AcDbBlockTable, AcDbBlockTableIterator, AcDbBlockTableRecord>;
using CLayerTable = CTable<AcDbLayerTable, AcDbLayerTableIterator, AcDbLayerTableRecord>;
using CRegAppTable = CTable<AcDbRegAppTable, AcDbRegAppTableIterator, AcDbRegAppTableRecord>;

/// An open record, closed when the wrapper goes out of scope unless told otherwise.
template <class TRecord>
class CRecord {
public:
    CRecord() = default;
    virtual ~CRecord() {
        if (m_pRecord != nullptr && m_nCloseOnDestroy != 0) {
            m_pRecord->close();
        }
    }
    CRecord(const CRecord&) = delete;
    CRecord& operator=(const CRecord&) = delete;

    /// Takes an open record; `closeOnDestroy` 0 leaves closing to the caller. A record held
    /// before is closed first (by the same rule).
    virtual void attach(TRecord* record, int closeOnDestroy = 1) {
        if (m_pRecord != nullptr && m_pRecord != record && m_nCloseOnDestroy != 0) {
            m_pRecord->close();
        }
        m_pRecord = record;
        m_nCloseOnDestroy = closeOnDestroy;
    }
    TRecord* get() const { return m_pRecord; }
    TRecord* operator->() const { return m_pRecord; }
    TRecord*& ref() { return m_pRecord; }

private:
    TRecord* m_pRecord = nullptr;
    int m_nCloseOnDestroy = 1;
};

/// An iterator, deleted when the wrapper goes out of scope.
template <class TIterator>
class COwnedIterator {
public:
    COwnedIterator() = default;
    virtual ~COwnedIterator() { delete m_pIterator; }
    COwnedIterator(const COwnedIterator&) = delete;
    COwnedIterator& operator=(const COwnedIterator&) = delete;

    /// Takes an iterator (one held before is deleted).
    virtual void attach(TIterator* iterator) {
        if (iterator != m_pIterator) {
            delete m_pIterator;
        }
        m_pIterator = iterator;
    }
    TIterator* get() const { return m_pIterator; }
    TIterator* operator->() const { return m_pIterator; }
    TIterator*& ref() { return m_pIterator; }

private:
    TIterator* m_pIterator = nullptr;
};

/// A symbol-table iterator (the layer table's).
template <class TIterator, class TRecord>
class CTableIterator : public COwnedIterator<TIterator> {};

/// A block-table-record iterator.
class CRecordIterator : public COwnedIterator<AcDbBlockTableRecordIterator> {};

/// The attribute iterator of a block reference.
class CObjectIterator : public COwnedIterator<AcDbObjectIterator> {};

/// An open entity, closed when the wrapper goes out of scope unless told otherwise.
class CEntity {
public:
    CEntity() = default;
    virtual ~CEntity();
    CEntity(const CEntity&) = delete;
    CEntity& operator=(const CEntity&) = delete;

    /// Whether an entity is open (the typed classes: and is of their class).
    virtual bool isValid() const;
    /// Opens the entity of `id` (an entity held before is closed first). The typed classes
    /// answer whether it is of their class.
    virtual bool open(AcDbObjectId id, AcDb::OpenMode mode);
    /// Opens the entity of a selection-set name.
    virtual bool open(const ads_name name, AcDb::OpenMode mode);

    AcDbEntity* entity() const { return m_pEntity; }
    Acad::ErrorStatus status() const { return m_status; }
    void setCloseOnDestroy(bool close) { m_bCloseOnDestroy = close; }

protected:
    /// Closes the held entity (when it is to be closed) and forgets it.
    void release();

    AcDbEntity* m_pEntity = nullptr;
    bool m_bCloseOnDestroy = true;
    Acad::ErrorStatus m_status = Acad::eOk;
};

/// An open entity of one class, reached through a typed pointer to the same object.
template <class T>
class CTypedEntity : public CEntity {
public:
    ~CTypedEntity() override {
        // Closed through the typed pointer; an entity of another class is left to the base.
        if (m_pTyped != nullptr) {
            if (m_bCloseOnDestroy) {
                m_pTyped->close();
            }
            m_pTyped = nullptr;
            m_pEntity = nullptr;
        }
    }
    bool isValid() const override { return m_pEntity != nullptr && m_pEntity->isKindOf(T::desc()); }
    bool open(AcDbObjectId id, AcDb::OpenMode mode) override {
        m_pTyped = nullptr;
        CEntity::open(id, mode);
        m_pTyped = T::cast(m_pEntity);
        return m_pTyped != nullptr;
    }
    bool open(const ads_name name, AcDb::OpenMode mode) override {
        return CEntity::open(name, mode);
    }
    T* get() const { return m_pTyped; }
    T* operator->() const { return m_pTyped; }

protected:
    T* m_pTyped = nullptr;
};

class CPolyLineEnt : public CTypedEntity<AcDbPolyline> {};
class CTextEnt : public CTypedEntity<AcDbText> {};

/// A block reference. A wrapper that holds one refuses to open another.
class CBlockRefEnt : public CTypedEntity<AcDbBlockReference> {
public:
    bool open(AcDbObjectId id, AcDb::OpenMode mode) override {
        if (m_pTyped != nullptr) {
            return false;
        }
        return CTypedEntity::open(id, mode);
    }
    bool open(const ads_name name, AcDb::OpenMode mode) override {
        return CTypedEntity::open(name, mode);
    }
};

/// A box (minimum and maximum point).
class CExtents {
public:
    CExtents() = default;
    explicit CExtents(const AcDbExtents& extents) : m_extents(extents) {}
    virtual ~CExtents() = default;
    AcDbExtents& get() { return m_extents; }
    const AcDbExtents& get() const { return m_extents; }

private:
    AcDbExtents m_extents;
};

/// The visibility of one layer as it was saved.
class CLayerState {
public:
    CLayerState() = default;
    virtual ~CLayerState() = default;

    AcDbObjectId m_id;
    bool m_bOff = false;
    bool m_bFrozen = false;
    bool m_bLocked = false;
    std::string m_name;  ///< empty when the record could not be read
};

/// Saves the state of every layer of `database`; false only when the layer table cannot be
/// opened (the failure is printed).
bool CollectLayerStates(AcDbDatabase* database, std::vector<CLayerState>& states);
/// Makes every saved layer unlocked, thawed and on. True.
bool ReleaseAllLayers(const std::vector<CLayerState>& states);
/// Puts off, frozen and locked back as saved. True.
bool RestoreLayerStates(const std::vector<CLayerState>& states);
/// The saved state of the first layer named `name` (without regard to case); false when none.
bool IsLayerFrozen(const std::vector<CLayerState>& states, std::string_view name);
bool IsLayerLocked(const std::vector<CLayerState>& states, std::string_view name);

// --- model space ------------------------------------------------------------------------------

/// What a model-space walk does with an entity that cannot be opened for read (other than an
/// erased one, which every walk passes over).
enum class UnreadableEntity {
    Stop,  ///< print "getEntity" error and answer false
    Skip,  ///< pass over it without a word
};

/// Walks the entities of `database`'s model space, each open for read in `entity`, in drawing
/// order, until `visit` answers false (the walk then answers false too). A model space that
/// cannot be reached prints the failing step ("getBlockTable", "getAt", "newIterator") in the
/// form of `source` and answers false. Every command that reads model space walks it here.
bool ForEachModelSpaceEntity(AcDbDatabase* database, Source source, UnreadableEntity unreadable,
                             const std::function<bool(AcDbObjectId id, CEntity& entity)>& visit);

/// A system variable set for the length of a scope: the user's value comes back when the
/// wrapper goes out of scope, whichever way the command leaves.
class CAutoVar {
public:
    CAutoVar() = default;
    virtual ~CAutoVar();
    CAutoVar(const CAutoVar&) = delete;
    CAutoVar& operator=(const CAutoVar&) = delete;

    /// Saves the value of `name` and sets it to `value` (a 16-bit integer). False when the
    /// variable cannot be read or set; nothing is restored then.
    bool Set(const ACHAR* name, short value);

private:
    std::string m_name;  ///< up to 64 characters; empty: nothing to restore
    resbuf m_saved{};
};

/// The arguments of a host command, released when the wrapper goes out of scope.
class CadCommand {
public:
    /// Takes a chain made by acutBuildList.
    explicit CadCommand(resbuf* arguments = nullptr) : m_pHead(arguments) {}
    virtual ~CadCommand() { acutRelRb(m_pHead); }
    CadCommand(const CadCommand&) = delete;
    CadCommand& operator=(const CadCommand&) = delete;

    bool isValid() const { return m_pHead != nullptr; }
    /// Runs the command with acedCmdS; its status (RTNORM on success).
    int run() const { return acedCmdS(m_pHead); }
    resbuf* head() const { return m_pHead; }

private:
    resbuf* m_pHead = nullptr;
};

/// Extended data read from an object, released when the wrapper goes out of scope.
class CDxf {
public:
    CDxf() = default;
    virtual ~CDxf() { acutRelRb(m_pHead); }
    CDxf(const CDxf&) = delete;
    CDxf& operator=(const CDxf&) = delete;

    /// Reads the extended data of `application` (of every application when null); false when
    /// the object has none.
    bool read(const AcDbObject* object, const ACHAR* application = nullptr);
    resbuf* head() const { return m_pHead; }
    /// The first item of `type` after the application name; null when there is none.
    const resbuf* first(int type) const;

private:
    resbuf* m_pHead = nullptr;
};

/// The text of the attribute `tag` of a block reference as stored (the maker's attribute
/// service: tags without regard to case, the first attribute of a tag); nothing when the
/// reference has no such attribute.
std::optional<std::string> AttributeText(AcDbObjectId reference, std::string_view tag);
std::optional<std::string> AttributeText(const AcDbBlockReference* reference, std::string_view tag);

/// A selection set, freed when the wrapper goes out of scope.
class CSelection {
public:
    CSelection() = default;
    virtual ~CSelection() { clear(); }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    bool isValid() const { return m_bHeld; }
    /// The number of entities; 0 when nothing is held.
    int length() const;
    /// The id of entity `index`; null past the end.
    AcDbObjectId at(int index) const;
    /// Frees the set.
    void clear();
    /// The set's name, for acedSSGet to fill (a set held before is freed first).
    ads_name& fill();
    void setHeld(bool held) { m_bHeld = held; }

private:
    ads_name m_name = {0, 0};
    bool m_bHeld = false;
};

// The selection helpers of the command context; each sets "SNAPMODE" to 0 while the user
// selects. True when something was selected.

/// The implied (pick-first) selection.
bool SelectImplied(CSelection& selection);
/// What the user selects at the host's own prompt (acedSSGet without a mode).
bool SelectObjects(CSelection& selection);
/// What the user selects when prompted with `prompt` (acedSSGet ":$").
bool SelectWithPrompt(const ACHAR* prompt, CSelection& selection);
/// Block references only, prompted with `prompt` (the host's default prompt when null).
bool SelectBlockReferences(const ACHAR* prompt, CSelection& selection);

/// Adds the layer `name` when the database has none of that name, set up by `initialise`
/// before it is added. True only when a layer was added. (The current document's database
/// when `database` is null.)
bool EnsureLayer(const ACHAR* name,
                 const std::function<void(AcDbLayerTableRecord*)>& initialise = nullptr,
                 AcDbDatabase* database = nullptr);
/// The same with a frozen flag as the only setting ("ADDITION", "PINOFF").
bool EnsureLayerFrozen(const ACHAR* name, bool frozen, AcDbDatabase* database = nullptr);
/// Registers the application `name` when it is not yet; true when the table could be opened.
bool EnsureRegApp(const ACHAR* name, AcDbDatabase* database = nullptr);

// The small queries of the command context.

/// The layer of an entity as a new text (free with acutDelString); null on failure.
ACHAR* LayerNameOf(const AcDbEntity* entity);
/// The name of the block a reference refers to, into `buffer`; false (and the failure
/// printed) when the block cannot be opened.
bool BlockNameOf(const AcDbBlockReference* reference, ACHAR* buffer, std::size_t size);
/// The handle of an object as hexadecimal text (17 characters); false (and the failure
/// printed) when the object cannot be opened.
bool HandleTextOf(AcDbObjectId id, ACHAR* buffer, std::size_t size = 17);
/// Whether a file or folder exists at `path`.
bool FileOrFolderExists(const ACHAR* path);

}  // namespace routix
