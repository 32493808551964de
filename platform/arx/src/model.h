#pragma once

// The drawing database inside: every object is the list of its DXF tags, as read (values are the
// file's bytes, in its encoding), and the modelled classes read and change those tags in place.
// So whatever the classes do not model travels through a read and a save unchanged.
//
// Layers: tags (Tag, Arena, TextCodec), objects (AcDbStub with its tags), the document
// (DatabaseImpl: sections, tables, blocks, handles), and on top the AcDb classes.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "arx/acdb.h"

namespace arx::detail {

/// One group code and its value (the file's bytes, without the line end).
struct Tag {
    std::int32_t code;
    std::uint32_t size;
    const char* data;
    std::string_view value() const { return {data, size}; }
};
using Tags = std::vector<Tag>;

/// Storage for values made after the read; never frees until the database goes.
class Arena {
public:
    std::string_view store(std::string_view text);

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
};

/// The encoding of a drawing's text: UTF-8 (release 2007 and later) or the code page that
/// $DWGCODEPAGE names, with the \U+XXXX and \M+NXXXX escapes of the drawing format.
class TextCodec {
public:
    TextCodec();
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    void setUtf8();
    /// From a $DWGCODEPAGE value ("ANSI_932"); false (and ANSI_1252) when unknown.
    bool setDrawingCodePage(std::string_view dwgCodePage);
    bool isUtf8() const { return m_utf8; }
    /// The iconv name ("UTF-8", "CP932", ...).
    const std::string& name() const { return m_name; }
    /// The file's bytes as UTF-8; invalid bytes become U+FFFD; escapes are resolved.
    std::string decode(std::string_view raw) const;
    /// UTF-8 as the file's bytes; characters the code page lacks become \U+XXXX.
    std::string encode(std::string_view utf8) const;
    /// True when `raw` needs no conversion between this codec and `other`.
    bool sameAs(const TextCodec& other) const { return m_name == other.m_name; }

private:
    bool m_utf8 = true;
    std::string m_name = "UTF-8";
    mutable void* m_toUtf8 = nullptr;
    mutable void* m_fromUtf8 = nullptr;
    void reset();
};

/// Decodes \U+XXXX escapes in UTF-8 text.
std::string ResolveUnicodeEscapes(std::string_view text);

enum class Kind : std::uint8_t {
    Object,       // OBJECTS section
    Entity,       // an entity of a block or of the entities section
    SubEntity,    // ATTRIB or VERTEX that follows its entity
    SeqEnd,       // SEQEND that closes the sub-entities
    TableHead,    // TABLE
    TableRecord,  // an entry of a table
    BlockBegin,   // BLOCK
    BlockEnd,     // ENDBLK
};

struct DatabaseImpl;
struct TableData;
struct BlockData;

}  // namespace arx::detail

/// One object of a database (or of its creator, before it is added). Kept small: a drawing has
/// hundreds of thousands; what few objects need lives in StubExtra.
struct AcDbStub {
    /// Attributes or vertices and their SEQEND; the block of a block record; the table of a
    /// table head; the values of an object not yet in a database.
    struct Extra {
        std::vector<AcDbStub*> children;
        AcDbStub* seqend = nullptr;
        arx::detail::BlockData* block = nullptr;
        arx::detail::TableData* table = nullptr;
        std::unique_ptr<arx::detail::Arena> ownArena;
    };

    arx::detail::DatabaseImpl* db = nullptr;
    std::uint64_t handle = 0;
    arx::detail::Tags tags;              // starts with (0, type)
    std::unique_ptr<AcDbObject> object;  // made at the first open
    AcDbStub* owner = nullptr;           // block record, reference, table or dictionary
    std::unique_ptr<Extra> m_extra;
    std::uint32_t line = 0;  // where the object starts in the file; 0 for new ones
    arx::detail::Kind kind = arx::detail::Kind::Object;
    bool erased = false;
    bool synthetic = false;  // made for a file that lacked it; never written
    bool inEntitiesSection = false;
    bool writer = false;
    std::int16_t readers = 0;
    std::int16_t notifiers = 0;

    bool hasExtra() const { return m_extra != nullptr; }
    Extra& extra() {
        if (!m_extra)
            m_extra = std::make_unique<Extra>();
        return *m_extra;
    }
    /// The attributes or vertices that follow this entity.
    const std::vector<AcDbStub*>& children() const {
        static const std::vector<AcDbStub*> none;
        return m_extra ? m_extra->children : none;
    }
    std::vector<AcDbStub*>& kids() { return extra().children; }
    AcDbStub* seqend() const { return m_extra ? m_extra->seqend : nullptr; }
    void setSeqend(AcDbStub* s) { extra().seqend = s; }
    arx::detail::BlockData* block() const { return m_extra ? m_extra->block : nullptr; }
    void setBlock(arx::detail::BlockData* b) { extra().block = b; }
    arx::detail::TableData* table() const { return m_extra ? m_extra->table : nullptr; }
    void setTable(arx::detail::TableData* t) { extra().table = t; }

    std::string_view type() const { return tags.empty() ? std::string_view() : tags[0].value(); }
    bool isEntity() const {
        return kind == arx::detail::Kind::Entity || kind == arx::detail::Kind::SubEntity;
    }
};

namespace arx::detail {

struct TableData {
    std::string name;  // "LAYER", "BLOCK_RECORD", ...
    AcDbStub* head = nullptr;
    std::vector<AcDbStub*> records;
    bool synthetic = false;  // made for a file without this table; not written
};

struct BlockData {
    AcDbStub* record = nullptr;  // BLOCK_RECORD
    AcDbStub* begin = nullptr;   // BLOCK
    AcDbStub* end = nullptr;     // ENDBLK
    std::vector<AcDbStub*> entities;
};

enum class SectionKind { Header, Classes, Tables, Blocks, Entities, Objects, Raw };

struct Section {
    SectionKind kind;
    Tags raw;  // for Header: the variables; for Classes and Raw: every tag after the name
    std::string name;
};

struct DatabaseImpl {
    explicit DatabaseImpl(AcDbDatabase* owner) : self(owner) {}

    AcDbDatabase* self;
    std::string buffer;  // the file's text; tags point into it
    Arena arena;
    std::vector<std::unique_ptr<Arena>> adoptedArenas;
    std::deque<AcDbStub> stubs;
    std::deque<TableData> tableStore;
    std::deque<BlockData> blockStore;
    std::vector<TableData*> tables;  // in file order
    std::vector<BlockData*> blocks;  // in the order of the blocks section
    std::vector<AcDbStub*> entitiesSection;
    std::vector<AcDbStub*> objectsSection;
    std::vector<Section> sections;
    Tags prolog;  // comments before the first section
    std::unordered_map<std::uint64_t, AcDbStub*> byHandle;
    std::uint64_t nextHandle = 1;
    TextCodec codec;
    bool crlf = false;
    bool bom = false;
    bool loaded = false;
    std::string fileName;
    std::string lastError;
    std::vector<std::string> warnings;
    int anonymousBlockCounter = 0;

    // Sections and header.
    Section* section(SectionKind kind);
    /// Adds an empty section of `kind` in its place when the file had none.
    void ensureSection(SectionKind kind);
    Tags* header();
    /// Index of the value tag of header variable `name` in the header tags, or -1.
    long headerIndex(std::string_view name) const;
    std::string_view headerRaw(std::string_view name) const;
    void setHeader(std::string_view name, int code, std::string_view rawValue);
    std::string version() const;
    bool isR12() const;

    // Objects.
    AcDbStub* newStub(Kind kind);
    AcDbStub* find(std::uint64_t handle) const;
    AcDbStub* findHandleText(std::string_view hex) const;
    std::uint64_t allocateHandle();
    /// A handle for an object the file does not write (synthetic records, objects of files
    /// without handles): from the top of the range, so the file's handle seed stays.
    std::uint64_t hiddenHandle() { return m_hiddenHandle--; }
    std::uint64_t m_hiddenHandle = ~std::uint64_t{0};
    void registerHandle(AcDbStub* stub, std::uint64_t handle);
    /// Takes a new object's stub into this database: a handle, re-encoded text, the arena.
    AcDbStub* adopt(AcDbObject* object, Kind kind, AcDbStub* owner);

    // Tables and blocks.
    TableData* table(std::string_view name) const;
    AcDbStub* tableRecord(std::string_view table, std::string_view name,
                          bool includeErased = false) const;
    BlockData* blockOf(const AcDbStub* record) const { return record ? record->block() : nullptr; }
    AcDbStub* modelSpace() const;
    AcDbStub* paperSpace() const;
    AcDbStub* namedObjectsDictionary() const;
    AcDbStub* groupDictionary(bool create);
    std::string newAnonymousBlockName(char letter);
    /// Adds a block record with its BLOCK and ENDBLK (and the records table entry).
    BlockData* createBlock(std::string_view name, bool anonymous);
    /// Gives a block record its BLOCK and ENDBLK and a place in the blocks section.
    BlockData* attachBlock(AcDbStub* record, std::string_view name, bool anonymous);
    /// Appends a new entity to a block record.
    void appendEntity(BlockData* block, AcDbStub* entity);

    std::string_view store(std::string_view text) { return arena.store(text); }
    void warn(std::uint32_t line, std::string_view message);
};

// --- reading and changing tags -------------------------------------------------------------------

struct Range {
    std::size_t begin;
    std::size_t end;
};

/// The tags of subclass `name` (after its 100 marker, up to the next marker or the extended
/// data); the whole object, before its extended data, when it has no markers. `nth` picks a
/// repeated marker (TEXT repeats "AcDbText").
Range subclassRange(const AcDbStub& stub, std::string_view name, int nth = 0);
/// Before the extended data.
Range dataRange(const AcDbStub& stub);
std::size_t xdataStart(const AcDbStub& stub);
long findTag(const AcDbStub& stub, Range range, int code);

std::string_view Trimmed(std::string_view raw);
double ParseReal(std::string_view raw, double fallback = 0);
long long ParseInt(std::string_view raw, long long fallback = 0);
std::optional<std::uint64_t> ParseHandle(std::string_view raw);
/// The value of a hexadecimal digit, -1 for another character.
int HexDigit(char c);
std::string FormatReal(double value);
std::string FormatInt(long long value);
std::string FormatHandle(std::uint64_t handle);

Arena& ArenaOf(AcDbStub& stub);
std::string_view Store(AcDbStub& stub, std::string_view raw);

double GetReal(const AcDbStub& stub, Range range, int code, double fallback = 0);
long long GetInt(const AcDbStub& stub, Range range, int code, long long fallback = 0);
std::string_view GetRaw(const AcDbStub& stub, Range range, int code);
AcGePoint3d GetPoint(const AcDbStub& stub, Range range, int code,
                     const AcGePoint3d& fallback = AcGePoint3d::kOrigin);
AcGeVector3d GetVector(const AcDbStub& stub, Range range, int code, const AcGeVector3d& fallback);
/// Sets `code` in the range, inserting it after `after` (or at the range's end) when missing.
/// Returns the index of the tag.
std::size_t SetRaw(AcDbStub& stub, Range range, int code, std::string_view raw, int after = -1);
void SetReal(AcDbStub& stub, Range range, int code, double value, int after = -1);
void SetInt(AcDbStub& stub, Range range, int code, long long value, int after = -1);
void SetPoint(AcDbStub& stub, Range range, int code, const AcGePoint3d& point, bool withZ = true,
              int after = -1);
void SetVector(AcDbStub& stub, Range range, int code, const AcGeVector3d& vector, int after = -1);
/// Removes the tag `code` from the range, if present.
void RemoveTag(AcDbStub& stub, Range range, int code);
/// Text value of `code`, decoded.
std::string GetText(const AcDbStub& stub, Range range, int code);
void SetText(AcDbStub& stub, Range range, int code, std::string_view utf8, int after = -1);

const TextCodec& CodecOf(const AcDbStub& stub);
/// True for group codes whose value is text in the file's encoding.
bool IsTextCode(int code);
/// True for group codes whose value is a handle.
bool IsHandleCode(int code);

/// A new tag list for an object made by code.
Tags MakeTags(AcDbStub& stub, std::initializer_list<std::pair<int, std::string_view>> tags);

/// Every group-code line as the drawing format writes it ("  0", " 10", "100", "1001").
std::string_view CodeText(int code);

/// The object of a stub, made on first use.
AcDbObject* ObjectOf(AcDbStub* stub);

/// Case-insensitive comparison of names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace arx::detail
