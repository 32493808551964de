// Reading DXF text into a database: the tagger splits lines into tags, the structure reader
// puts the tags into sections, tables, blocks and objects. Malformed input raises ReadError with
// the line; nothing is dropped.

#include <algorithm>
#include <charconv>

#include "dxf_io.h"

namespace arx::detail {
namespace {

// What a line looks like in a message: at most 40 characters, control bytes as \xNN.
std::string Shown(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < 40; ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    if (line.size() > 40)
        out += "...";
    return "'" + out + "'";
}

class Tagger {
public:
    /// With `crlf`, one CR before each LF belongs to the line end; without, CRs are the value's.
    Tagger(std::string_view text, std::size_t offset, bool crlf)
        : m_text(text), m_pos(offset), m_crlf(crlf) {
        advance();
    }

    bool atEnd() const { return !m_hasCurrent; }
    const Tag& current() const { return m_current; }
    std::uint32_t line() const { return m_currentLine; }
    std::uint32_t lastLine() const { return m_line; }
    void next() { advance(); }
    bool is(int code, std::string_view value) const {
        return m_hasCurrent && m_current.code == code && Trimmed(m_current.value()) == value;
    }
    bool isZero() const { return m_hasCurrent && m_current.code == 0; }

private:
    bool readLine(std::string_view& line) {
        if (m_pos >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (m_crlf && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end + 1;
        ++m_line;
        return true;
    }

    void advance() {
        std::string_view codeLine;
        if (!readLine(codeLine)) {
            m_hasCurrent = false;
            return;
        }
        std::uint32_t codeLineNo = m_line;
        std::string_view t = Trimmed(codeLine);
        if (t.empty() && m_pos >= m_text.size()) {
            m_hasCurrent = false;  // a blank last line
            return;
        }
        int code = 0;
        auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), code);
        if (t.empty() || ec != std::errc() || ptr != t.data() + t.size())
            throw ReadError(codeLineNo, "a group code was expected, found " + Shown(codeLine));
        if (code < 0 || code > 1071)
            throw ReadError(codeLineNo, "group code " + std::to_string(code) +
                                            " is outside the range the format defines (0 to 1071)");
        std::string_view value;
        if (!readLine(value))
            throw ReadError(codeLineNo, "the file ends after group code " + std::to_string(code) +
                                            " without its value (truncated file)");
        if (value.size() > 0xFFFFFFFFu)
            throw ReadError(m_line, "a value line is longer than 4 GiB");
        m_current = Tag{code, static_cast<std::uint32_t>(value.size()), value.data()};
        m_currentLine = codeLineNo;
        m_hasCurrent = true;
    }

    std::string_view m_text;
    std::size_t m_pos;
    bool m_crlf;
    std::uint32_t m_line = 0;
    Tag m_current{};
    std::uint32_t m_currentLine = 0;
    bool m_hasCurrent = false;
};

class StructureReader {
public:
    StructureReader(DatabaseImpl& db, std::size_t offset)
        : m_db(db), m_tags(db.buffer, offset, db.crlf) {}

    void read() {
        while (!m_tags.atEnd() && m_tags.current().code == 999) {
            m_db.prolog.push_back(m_tags.current());
            m_tags.next();
        }
        if (m_tags.atEnd())
            throw ReadError(1, "the file holds no drawing (no '0 SECTION')");
        bool sawEof = false;
        while (!m_tags.atEnd()) {
            if (m_tags.is(0, "EOF")) {
                sawEof = true;
                break;
            }
            if (m_tags.current().code == 999) {
                m_tags.next();
                continue;
            }
            if (!m_tags.is(0, "SECTION"))
                throw ReadError(m_tags.line(),
                                "'0 SECTION' or '0 EOF' was expected, found " + describe());
            std::uint32_t sectionLine = m_tags.line();
            m_tags.next();
            if (m_tags.atEnd() || m_tags.current().code != 2)
                throw ReadError(sectionLine, "a section without its name (group code 2)");
            std::string name(Trimmed(m_tags.current().value()));
            m_tags.next();
            readSection(name, sectionLine);
        }
        if (!sawEof)
            throw ReadError(m_tags.lastLine(), "the file ends without '0 EOF' (truncated file)");
        finish();
    }

private:
    std::string describe() const {
        if (m_tags.atEnd())
            return "the end of the file";
        return "'" + std::to_string(m_tags.current().code) + " " +
               std::string(Trimmed(m_tags.current().value()).substr(0, 40)) + "'";
    }

    void expectNotEnd(std::string_view what, std::uint32_t startLine) {
        if (m_tags.atEnd())
            throw ReadError(startLine, std::string(what) +
                                           " is not closed: the file ends first "
                                           "(truncated file)");
    }

    // Collects the tags of one object, from its '0 TYPE' up to the next code 0.
    AcDbStub* readObject(Kind kind) {
        AcDbStub* stub = m_db.newStub(kind);
        stub->line = m_tags.line();
        m_scratch.clear();
        m_scratch.push_back(m_tags.current());
        m_tags.next();
        while (!m_tags.atEnd() && m_tags.current().code != 0) {
            m_scratch.push_back(m_tags.current());
            m_tags.next();
        }
        stub->tags.assign(m_scratch.begin(), m_scratch.end());
        assignHandle(stub);
        return stub;
    }

    void assignHandle(AcDbStub* stub) {
        int handleCode = stub->type() == "DIMSTYLE" ? 105 : 5;
        for (std::size_t i = 1; i < stub->tags.size() && i < 8; ++i) {
            const Tag& t = stub->tags[i];
            if (t.code != handleCode && !(t.code == 5 && handleCode == 105))
                continue;
            auto h = ParseHandle(t.value());
            if (!h || *h == 0)
                throw ReadError(stub->line, "the " + std::string(stub->type()) +
                                                " has an invalid handle " + Shown(t.value()));
            auto found = m_db.byHandle.find(*h);
            if (found != m_db.byHandle.end())
                throw ReadError(stub->line, "handle " + FormatHandle(*h) + " of the " +
                                                std::string(stub->type()) +
                                                " is already used by the " +
                                                std::string(found->second->type()) + " at line " +
                                                std::to_string(found->second->line));
            m_db.registerHandle(stub, *h);
            return;
        }
        m_unhandled.push_back(stub);
    }

    void readSection(const std::string& name, std::uint32_t line) {
        static const char* const kOnce[] = {"HEADER", "CLASSES",  "TABLES",
                                            "BLOCKS", "ENTITIES", "OBJECTS"};
        for (const char* once : kOnce)
            if (name == once) {
                for (const Section& s : m_db.sections)
                    if (s.name == name)
                        throw ReadError(line, "a second " + name + " section");
            }
        if (name == "HEADER") {
            Section s{SectionKind::Header, {}, name};
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
                if (m_tags.current().code == 0)
                    throw ReadError(m_tags.line(),
                                    "the header section is not closed by '0 ENDSEC'");
                s.raw.push_back(m_tags.current());
                m_tags.next();
            }
            expectNotEnd("the header section", line);
            m_db.sections.push_back(std::move(s));
        } else if (name == "TABLES") {
            m_db.sections.push_back(Section{SectionKind::Tables, {}, name});
            readTables(line);
        } else if (name == "BLOCKS") {
            m_db.sections.push_back(Section{SectionKind::Blocks, {}, name});
            readBlocks(line);
        } else if (name == "ENTITIES") {
            m_db.sections.push_back(Section{SectionKind::Entities, {}, name});
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
                if (m_tags.current().code != 0)
                    throw ReadError(m_tags.line(),
                                    "an entity ('0 TYPE') was expected, found " + describe());
                if (isStructural())
                    throw ReadError(m_tags.line(), describe() + " in the entities section");
                m_db.entitiesSection.push_back(readEntity(nullptr));
            }
            expectNotEnd("the entities section", line);
        } else if (name == "OBJECTS") {
            m_db.sections.push_back(Section{SectionKind::Objects, {}, name});
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
                if (m_tags.current().code != 0)
                    throw ReadError(m_tags.line(),
                                    "an object ('0 TYPE') was expected, found " + describe());
                if (isStructural())
                    throw ReadError(m_tags.line(), describe() + " in the objects section");
                m_db.objectsSection.push_back(readObject(Kind::Object));
            }
            expectNotEnd("the objects section", line);
        } else {
            Section s{name == "CLASSES" ? SectionKind::Classes : SectionKind::Raw, {}, name};
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
                if (m_tags.is(0, "SECTION") || m_tags.is(0, "EOF"))
                    throw ReadError(m_tags.line(), "section " + name + " from line " +
                                                       std::to_string(line) +
                                                       " is not closed by '0 ENDSEC'");
                s.raw.push_back(m_tags.current());
                m_tags.next();
            }
            expectNotEnd("section " + name, line);
            m_db.sections.push_back(std::move(s));
        }
        m_tags.next();  // ENDSEC
    }

    bool isStructural() const {
        return m_tags.is(0, "SECTION") || m_tags.is(0, "EOF") || m_tags.is(0, "TABLE") ||
               m_tags.is(0, "ENDTAB") || m_tags.is(0, "BLOCK") || m_tags.is(0, "ENDBLK");
    }

    void readTables(std::uint32_t sectionLine) {
        while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
            if (!m_tags.is(0, "TABLE"))
                throw ReadError(m_tags.line(), "'0 TABLE' was expected, found " + describe());
            std::uint32_t tableLine = m_tags.line();
            AcDbStub* head = readObject(Kind::TableHead);
            TableData& table = m_db.tableStore.emplace_back();
            table.head = head;
            head->setTable(&table);
            long nameTag = findTag(*head, {1, head->tags.size()}, 2);
            if (nameTag < 0)
                throw ReadError(tableLine, "a table without its name (group code 2)");
            table.name =
                std::string(Trimmed(head->tags[static_cast<std::size_t>(nameTag)].value()));
            m_db.tables.push_back(&table);
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDTAB")) {
                if (isStructural())
                    throw ReadError(tableLine, "table " + table.name +
                                                   " is not closed by '0 ENDTAB' (found " +
                                                   describe() + " at line " +
                                                   std::to_string(m_tags.line()) + ")");
                AcDbStub* record = readObject(Kind::TableRecord);
                record->owner = head;
                table.records.push_back(record);
            }
            expectNotEnd("table " + table.name, tableLine);
            m_tags.next();  // ENDTAB
        }
        expectNotEnd("the tables section", sectionLine);
    }

    void readBlocks(std::uint32_t sectionLine) {
        while (!m_tags.atEnd() && !m_tags.is(0, "ENDSEC")) {
            if (!m_tags.is(0, "BLOCK"))
                throw ReadError(m_tags.line(), "'0 BLOCK' was expected, found " + describe());
            std::uint32_t blockLine = m_tags.line();
            BlockData& block = m_db.blockStore.emplace_back();
            block.begin = readObject(Kind::BlockBegin);
            while (!m_tags.atEnd() && !m_tags.is(0, "ENDBLK")) {
                if (isStructural())
                    throw ReadError(blockLine, "the block is not closed by '0 ENDBLK' (found " +
                                                   describe() + " at line " +
                                                   std::to_string(m_tags.line()) + ")");
                block.entities.push_back(readEntity(&block));
            }
            expectNotEnd("the block", blockLine);
            block.end = readObject(Kind::BlockEnd);
            m_db.blocks.push_back(&block);
        }
        expectNotEnd("the blocks section", sectionLine);
    }

    // An entity and, for block references and old polylines, the attributes or vertices that
    // follow it up to its SEQEND.
    AcDbStub* readEntity(BlockData* block) {
        AcDbStub* entity = readObject(Kind::Entity);
        (void)block;
        std::string_view type = entity->type();
        std::string_view childType;
        if (type == "INSERT")
            childType = "ATTRIB";
        else if (type == "POLYLINE")
            childType = "VERTEX";
        if (childType.empty())
            return entity;
        bool expectSeqend = GetInt(*entity, dataRange(*entity), 66, 0) != 0 || type == "POLYLINE";
        while (!m_tags.atEnd() && m_tags.is(0, childType)) {
            AcDbStub* child = readObject(Kind::SubEntity);
            child->owner = entity;
            entity->kids().push_back(child);
        }
        if (!m_tags.atEnd() && m_tags.is(0, "SEQEND")) {
            entity->setSeqend(readObject(Kind::SeqEnd));
            entity->seqend()->owner = entity;
        } else if (!entity->children().empty() || expectSeqend) {
            m_db.warn(entity->line, "the " + std::string(type) + " has no SEQEND after its " +
                                        std::string(childType) + " entities; one is added");
            m_missingSeqend.push_back(entity);
        }
        return entity;
    }

    void finish();

    DatabaseImpl& m_db;
    Tagger m_tags;
    Tags m_scratch;
    std::vector<AcDbStub*> m_unhandled;
    std::vector<AcDbStub*> m_missingSeqend;
};

void StructureReader::finish() {
    DatabaseImpl& db = m_db;
    std::string version = db.version();
    if (version >= "AC1021")
        db.codec.setUtf8();
    else if (!db.codec.setDrawingCodePage(
                 db.headerRaw("$DWGCODEPAGE").empty() ? "ANSI_1252" : db.headerRaw("$DWGCODEPAGE")))
        db.warn(0, "unknown $DWGCODEPAGE '" + std::string(Trimmed(db.headerRaw("$DWGCODEPAGE"))) +
                       "'; text is read as ANSI_1252");

    // Handles: the seed is past every handle used.
    std::uint64_t maxHandle = 0;
    for (const auto& [h, stub] : db.byHandle)
        maxHandle = std::max(maxHandle, h);
    auto seed = ParseHandle(db.headerRaw("$HANDSEED"));
    db.nextHandle = std::max<std::uint64_t>(seed.value_or(1), maxHandle + 1);
    bool writesHandles = !db.isR12();
    for (AcDbStub* stub : m_unhandled) {
        std::uint64_t h = writesHandles ? db.allocateHandle() : db.hiddenHandle();
        db.registerHandle(stub, h);
        if (writesHandles) {
            std::string_view stored = db.store(FormatHandle(h));
            int code = stub->type() == "DIMSTYLE" ? 105 : 5;
            stub->tags.insert(stub->tags.begin() + 1,
                              Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
            db.warn(stub->line, "the " + std::string(stub->type()) + " had no handle; it gets " +
                                    FormatHandle(h));
        }
    }
    for (AcDbStub* entity : m_missingSeqend) {
        AcDbStub* seqend = db.newStub(Kind::SeqEnd);
        std::uint64_t h = db.allocateHandle();
        db.registerHandle(seqend, h);
        std::string hs = FormatHandle(h);
        std::string owner = FormatHandle(entity->handle);
        seqend->tags = MakeTags(
            *seqend, {{0, "SEQEND"}, {5, hs}, {330, owner}, {100, "AcDbEntity"}, {8, "0"}});
        seqend->owner = entity;
        entity->setSeqend(seqend);
    }

    // Block records and blocks.
    TableData* records = db.table("BLOCK_RECORD");
    if (records == nullptr) {
        // Release 12 files: block records made for the blocks, never written.
        TableData& t = db.tableStore.emplace_back();
        t.name = "BLOCK_RECORD";
        t.synthetic = true;
        t.head = db.newStub(Kind::TableHead);
        t.head->tags = MakeTags(*t.head, {{0, "TABLE"}, {2, "BLOCK_RECORD"}});
        t.head->setTable(&t);
        db.registerHandle(t.head, db.hiddenHandle());
        db.tables.push_back(&t);
        records = &t;
    }
    for (BlockData* block : db.blocks) {
        std::string name = std::string(Trimmed(GetRaw(*block->begin, dataRange(*block->begin), 2)));
        AcDbStub* record = nullptr;
        auto owner = ParseHandle(GetRaw(*block->begin, dataRange(*block->begin), 330));
        if (owner) {
            AcDbStub* s = db.find(*owner);
            if (s && s->kind == Kind::TableRecord && s->type() == "BLOCK_RECORD" && !s->block())
                record = s;
        }
        if (record == nullptr)
            for (AcDbStub* r : records->records)
                if (!r->block() && SameName(Trimmed(GetRaw(*r, dataRange(*r), 2)), name)) {
                    record = r;
                    break;
                }
        if (record == nullptr) {
            if (!records->synthetic)
                db.warn(block->begin->line,
                        "block '" + name + "' has no block record; one is made");
            record = db.newStub(Kind::TableRecord);
            std::uint64_t h = records->synthetic ? db.hiddenHandle() : db.allocateHandle();
            db.registerHandle(record, h);
            std::string hs = FormatHandle(h);
            if (records->synthetic)
                record->tags = MakeTags(*record, {{0, "BLOCK_RECORD"}, {2, name}});
            else
                record->tags = MakeTags(*record, {{0, "BLOCK_RECORD"},
                                                  {5, hs},
                                                  {330, FormatHandle(records->head->handle)},
                                                  {100, "AcDbSymbolTableRecord"},
                                                  {100, "AcDbBlockTableRecord"},
                                                  {2, name}});
            record->owner = records->head;
            records->records.push_back(record);
        }
        block->record = record;
        record->setBlock(block);
        block->begin->owner = record;
        block->end->owner = record;
        for (AcDbStub* e : block->entities)
            e->owner = record;
    }
    // Model and paper space exist even when the file lacks their blocks.
    auto ensureSpace = [&](std::string_view name, std::string_view r12Name) -> AcDbStub* {
        for (AcDbStub* r : records->records) {
            std::string_view n = Trimmed(GetRaw(*r, dataRange(*r), 2));
            if (SameName(n, name) || SameName(n, r12Name)) {
                if (!r->block()) {
                    BlockData& b = db.blockStore.emplace_back();
                    b.record = r;
                    r->setBlock(&b);
                }
                return r;
            }
        }
        AcDbStub* r = db.newStub(Kind::TableRecord);
        db.registerHandle(r, db.hiddenHandle());
        r->tags = MakeTags(*r, {{0, "BLOCK_RECORD"}, {2, name}});
        r->owner = records->head;
        records->records.push_back(r);
        // Not written: the file never had it.
        BlockData& b = db.blockStore.emplace_back();
        b.record = r;
        r->setBlock(&b);
        r->synthetic = true;
        return r;
    };
    AcDbStub* model = ensureSpace("*Model_Space", "$MODEL_SPACE");
    AcDbStub* paper = ensureSpace("*Paper_Space", "$PAPER_SPACE");
    for (AcDbStub* e : db.entitiesSection) {
        e->inEntitiesSection = true;
        bool inPaper = GetInt(*e, subclassRange(*e, "AcDbEntity"), 67, 0) == 1;
        AcDbStub* space = inPaper ? paper : model;
        e->owner = space;
        space->block()->entities.push_back(e);
    }
    db.loaded = true;
}

}  // namespace

void ReadDxf(DatabaseImpl& db) {
    std::string_view text = db.buffer;
    std::size_t offset = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        db.bom = true;
        offset = 3;
    }
    if (text.substr(0, 18) == "AutoCAD Binary DXF")
        throw ReadError(1, "this is a binary DXF file; only text DXF drawings can be read");
    if (text.size() >= 6 && text.substr(0, 4) == "AC10" &&
        text.substr(0, std::min<std::size_t>(text.size(), 128)).find('\0') !=
            std::string_view::npos)
        throw ReadError(1, "this is a DWG drawing (" + std::string(text.substr(0, 6)) +
                               "); only DXF drawings can be read: save it as DXF first");
    if (text.substr(0, 6) == "AC1.50" || text.substr(0, 6) == "AC2.10")
        throw ReadError(1, "this is a DWG drawing; only DXF drawings can be read");
    std::size_t firstNewline = text.find('\n', offset);
    db.crlf = firstNewline != std::string_view::npos && firstNewline > 0 &&
              text[firstNewline - 1] == '\r';
    db.byHandle.reserve(text.size() / 160);  // about one object per 160 bytes
    StructureReader reader(db, offset);
    reader.read();
}

}  // namespace arx::detail
