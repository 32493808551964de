// Writing a database as DXF text: every section, table, block and object in the order it was
// read, new ones after, erased ones left out together with the references to them.

#include "dxf_io.h"

namespace arx::detail {
namespace {

class Writer {
public:
    explicit Writer(const DatabaseImpl& db) : m_db(db), m_eol(db.crlf ? "\r\n" : "\n") {
        m_out.reserve(db.buffer.size() + db.buffer.size() / 8 + 4096);
        for (const auto& stub : db.stubs)
            if (stub.erased) {
                m_anyErased = true;
                break;
            }
    }

    std::string run() {
        if (m_db.bom)
            m_out += "\xEF\xBB\xBF";
        for (const Tag& t : m_db.prolog)
            put(t.code, t.value());
        for (const Section& s : m_db.sections) {
            put(0, "SECTION");
            put(2, s.name);
            switch (s.kind) {
                case SectionKind::Header:
                    for (const Tag& t : s.raw)
                        put(t.code, t.value());
                    break;
                case SectionKind::Classes:
                case SectionKind::Raw:
                    for (const Tag& t : s.raw)
                        put(t.code, t.value());
                    break;
                case SectionKind::Tables:
                    writeTables();
                    break;
                case SectionKind::Blocks:
                    writeBlocks();
                    break;
                case SectionKind::Entities:
                    for (const AcDbStub* e : m_db.entitiesSection)
                        writeEntity(e);
                    break;
                case SectionKind::Objects:
                    for (const AcDbStub* o : m_db.objectsSection)
                        if (!o->erased)
                            writeObject(*o);
                    break;
            }
            put(0, "ENDSEC");
        }
        put(0, "EOF");
        return std::move(m_out);
    }

private:
    void put(int code, std::string_view value) {
        m_out += CodeText(code);
        m_out += m_eol;
        m_out += value;
        m_out += m_eol;
    }

    // True when `raw` names an object of this database that is erased.
    bool pointsToErased(std::string_view raw) const {
        auto h = ParseHandle(raw);
        if (!h)
            return false;
        const AcDbStub* target = m_db.find(*h);
        return target != nullptr && target->erased;
    }

    void writeObject(const AcDbStub& stub) {
        if (!m_anyErased) {
            for (const Tag& t : stub.tags)
                put(t.code, t.value());
            return;
        }
        // Leave out references to erased objects, with the tag that pairs with them.
        std::string_view type = stub.type();
        const Tags& tags = stub.tags;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            const Tag& t = tags[i];
            bool pointer = (t.code >= 330 && t.code <= 369) && i > 0;
            if (pointer && pointsToErased(t.value())) {
                if (type == "SORTENTSTABLE" && t.code == 331 && i + 1 < tags.size() &&
                    tags[i + 1].code == 5)
                    ++i;  // its sort handle
                continue;
            }
            if (type == "DICTIONARY" && t.code == 3 && i + 1 < tags.size() &&
                (tags[i + 1].code == 350 || tags[i + 1].code == 360) &&
                pointsToErased(tags[i + 1].value())) {
                ++i;
                continue;
            }
            put(t.code, t.value());
        }
    }

    void writeEntity(const AcDbStub* e) {
        if (e->erased)
            return;
        writeObject(*e);
        for (const AcDbStub* child : e->children())
            if (!child->erased)
                writeObject(*child);
        if (e->seqend())
            writeObject(*e->seqend());
    }

    void writeTables() {
        for (const TableData* table : m_db.tables) {
            if (table->synthetic)
                continue;
            writeObject(*table->head);
            for (const AcDbStub* r : table->records)
                if (!r->erased && !r->synthetic)
                    writeObject(*r);
            put(0, "ENDTAB");
        }
    }

    void writeBlocks() {
        for (const BlockData* block : m_db.blocks) {
            if (block->record && block->record->erased)
                continue;
            if (!block->begin)
                continue;
            writeObject(*block->begin);
            for (const AcDbStub* e : block->entities)
                if (!e->inEntitiesSection)
                    writeEntity(e);
            writeObject(*block->end);
        }
    }

    const DatabaseImpl& m_db;
    std::string_view m_eol;
    std::string m_out;
    bool m_anyErased = false;
};

}  // namespace

std::string WriteDxf(const DatabaseImpl& db) {
    return Writer(db).run();
}

}  // namespace arx::detail
