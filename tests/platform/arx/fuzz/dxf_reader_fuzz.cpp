// Fuzz target of the DXF reader: any bytes are read; what reads is walked, measured, saved and
// read again, and the second save must equal the first.
//
// Built with libFuzzer when NIVORA_FUZZ is on (clang); the replay program runs the same entry on
// the seed corpus in every test run.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "arx/acdb.h"

namespace {

void Walk(AcDbDatabase& db) {
    AcDbBlockTable* blocks = nullptr;
    if (db.getBlockTable(blocks, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableIterator* it = nullptr;
    blocks->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbBlockTableRecord* record = nullptr;
        if (it->getRecord(record, AcDb::kForRead) != Acad::eOk)
            continue;
        AcDbBlockTableRecordIterator* entities = nullptr;
        record->newIterator(entities);
        for (; !entities->done(); entities->step()) {
            AcDbEntity* e = nullptr;
            if (entities->getEntity(e, AcDb::kForRead) != Acad::eOk)
                continue;
            AcDbExtents ext;
            e->getGeomExtents(ext);
            acutRelRb(e->xData());
            e->layerName();
            if (auto* ref = AcDbBlockReference::cast(e)) {
                AcDbObjectIterator* attributes = ref->attributeIterator();
                for (; !attributes->done(); attributes->step()) {
                    AcDbAttribute* a = nullptr;
                    if (acdbOpenObject(a, attributes->objectId(), AcDb::kForRead) == Acad::eOk) {
                        a->tagName();
                        a->text();
                        a->close();
                    }
                }
                delete attributes;
            } else if (auto* text = AcDbMText::cast(e)) {
                text->text();
            } else if (auto* pl = AcDbPolyline::cast(e)) {
                AcGePoint3d p;
                for (unsigned i = 0; i < pl->numVerts(); ++i)
                    pl->getPointAt(i, p);
            }
            e->close();
        }
        delete entities;
        record->close();
    }
    delete it;
    blocks->close();
    AcDbDictionary* groups = nullptr;
    if (db.getGroupDictionary(groups, AcDb::kForRead) == Acad::eOk) {
        AcDbDictionaryIterator* g = groups->newIterator();
        for (; !g->done(); g->next()) {
            AcDbGroup* group = nullptr;
            if (acdbOpenObject(group, g->objectId(), AcDb::kForRead) == Acad::eOk) {
                AcDbObjectIdArray ids;
                group->allEntityIds(ids);
                group->close();
            }
        }
        delete g;
        groups->close();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AcDbDatabase db(false, true);
    std::string text(reinterpret_cast<const char*>(data), size);
    if (db.readDxfText(text, "fuzz.dxf") != Acad::eOk) {
        if (db.lastError().rfind("fuzz.dxf:", 0) != 0)
            std::abort();  // every error names the file and the line
        return 0;
    }
    Walk(db);
    std::string first = db.dxfText();
    AcDbDatabase again(false, true);
    if (again.readDxfText(first, "saved.dxf") != Acad::eOk)
        std::abort();  // what was saved must read
    if (again.dxfText() != first)
        std::abort();  // and read and save to the same text
    return 0;
}
