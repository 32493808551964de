#include "services/symbols.h"

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "DrawingAccess.h"
#include "Store.h"
#include "common/text.h"
#include "host/aced.h"

namespace zelko {

struct SymInfo : detail::Handle {
    std::string type;
};

struct SymAttrs : detail::Handle {
    SymInfo info;
    std::vector<std::pair<std::string, std::string>> values;  // tag, text in drawing order
};

namespace {

using detail::Opened;

/// The first string of the symbol application's extended data of `object`, if any.
bool SymbolType(const AcDbObject* object, std::string& type) {
    resbuf* chain = object->xData(kSymbolApp.data());
    bool found = false;
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 1000) {
            type = rb->resval.rstring != nullptr ? rb->resval.rstring : "";
            found = !type.empty();
            break;
        }
    }
    acutRelRb(chain);
    return found;
}

/// The type of a reference: its own extended data, else that of its block definition.
bool ReferenceType(const AcDbBlockReference* reference, std::string& type) {
    if (SymbolType(reference, type)) {
        return true;
    }
    Opened<AcDbBlockTableRecord> block(reference->blockTableRecord(), AcDb::kForRead);
    return block && SymbolType(block.get(), type);
}

bool CopyOut(const SymAttrs* attrs, std::string_view tag, char*& value) {
    value = nullptr;
    if (attrs == nullptr) {
        return false;
    }
    for (const auto& [name, text] : attrs->values) {
        if (common::EqualsNoCase(name, tag)) {
            value = detail::NewText(text);
            return true;
        }
    }
    return false;
}

AcGePoint3d Transformed(const AcGePoint3d& point, const AcGeMatrix3d& matrix) {
    AcGePoint3d copy = point;
    copy.transformBy(matrix);
    return copy;
}

/// Calls `visit` with each attribute definition of `block`, in block order, until it returns
/// true; true when it did.
template <typename Visit>
bool ForEachAttributeDefinition(const AcDbBlockTableRecord* block, Visit visit) {
    AcDbBlockTableRecordIterator* raw = nullptr;
    if (block == nullptr || block->newIterator(raw) != Acad::eOk) {
        return false;
    }
    std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        if (id.dxfType() != "ATTDEF") {
            continue;
        }
        Opened<AcDbAttributeDefinition> definition(id, AcDb::kForRead);
        if (definition && visit(*definition.get())) {
            return true;
        }
    }
    return false;
}

}  // namespace

SymInfo* SymInfoOpen(const AcDbBlockReference* reference) {
    std::string type;
    if (reference == nullptr || !ReferenceType(reference, type)) {
        detail::SetLastError("A23ZOSYT: the block reference is no maker symbol");
        return nullptr;
    }
    auto* info = new SymInfo;
    info->type = std::move(type);
    return info;
}

SymInfo* SymInfoOpen(AcDbObjectId reference) {
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    if (!object) {
        detail::SetLastError(std::string("A23ZOSYT: the symbol cannot be opened (") +
                             acadErrorStatusText(object.status()) + ")");
        return nullptr;
    }
    return SymInfoOpen(object.get());
}

void SymInfoFree(SymInfo* info) {
    delete info;
}

const char* SymTypeName(const SymInfo* info) {
    return info != nullptr ? info->type.c_str() : "";
}

bool SymAttrsOpen(const AcDbBlockReference* reference, std::string_view filter, SymAttrs*& attrs) {
    attrs = nullptr;
    std::string type;
    if (reference == nullptr || !ReferenceType(reference, type)) {
        detail::SetLastError("A23ZOSYT: the block reference is no maker symbol");
        return false;
    }
    auto view = std::make_unique<SymAttrs>();
    view->info.type = std::move(type);
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; !it->done(); it->step()) {
        Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
        if (!attribute) {
            continue;
        }
        std::string tag = attribute->tagName();
        if (filter.empty() || acutWcMatchEx(tag.c_str(), std::string(filter).c_str(), true)) {
            view->values.emplace_back(std::move(tag), attribute->text());
        }
    }
    attrs = view.release();
    return true;
}

bool SymAttrsOpen(AcDbObjectId reference, std::string_view filter, SymAttrs*& attrs) {
    attrs = nullptr;
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    if (!object) {
        detail::SetLastError(std::string("A23ZOSYT: the symbol cannot be opened (") +
                             acadErrorStatusText(object.status()) + ")");
        return false;
    }
    return SymAttrsOpen(object.get(), filter, attrs);
}

void SymAttrsClose(SymAttrs* attrs) {
    delete attrs;
}

const SymInfo* SymAttrsHandle(const SymAttrs* attrs) {
    return attrs != nullptr ? &attrs->info : nullptr;
}

bool SymAttr(const SymAttrs* attrs, std::string_view tag, char*& value) {
    return CopyOut(attrs, tag, value);
}

bool SymName(const SymAttrs* attrs, char*& value) {
    return CopyOut(attrs, "NAME", value);
}

bool SymPanelNo(const SymAttrs* attrs, char*& value) {
    return CopyOut(attrs, "BAN_NO", value);
}

bool SymUnit(const SymAttrs* attrs, char*& value) {
    return CopyOut(attrs, "INST_NO", value);
}

void SymTextFree(char*& text) {
    detail::FreeText(text);
}

bool SymAttrLayer(AcDbObjectId reference, std::string_view tag, std::string& layer) {
    layer.clear();
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    if (!object) {
        return false;
    }
    Opened<AcDbBlockTableRecord> block(object->blockTableRecord(), AcDb::kForRead);
    if (!block) {
        return false;
    }
    return ForEachAttributeDefinition(block.get(), [&](const AcDbAttributeDefinition& definition) {
        if (!common::EqualsNoCase(definition.tagName(), tag))
            return false;
        layer = definition.layerName();
        return true;
    });
}

namespace {

/// Makes sure `database` has the layer `name`.
bool EnsureLayer(AcDbDatabase* database, std::string_view name) {
    AcDbLayerTable* table = nullptr;
    const std::string layerName(name);
    if (database->getLayerTable(table, AcDb::kForRead) != Acad::eOk) {
        return false;
    }
    bool ok = table->has(layerName.c_str());
    if (!ok && table->upgradeOpen() == Acad::eOk) {
        auto* record = new AcDbLayerTableRecord;
        record->setName(layerName.c_str());
        if (table->add(record) == Acad::eOk) {
            record->close();
            ok = true;
        } else {
            delete record;
        }
    }
    table->close();
    return ok;
}

/// The attribute definitions of a block that a new reference fills in.
struct AttributeTemplate {
    std::string tag;
    std::string text;
    std::string layer;
    AcGePoint3d position;
    double height = 0;
    double rotation = 0;
    bool invisible = false;
};

std::vector<AttributeTemplate> AttributeTemplates(const AcDbBlockTableRecord* block) {
    std::vector<AttributeTemplate> templates;
    ForEachAttributeDefinition(block, [&](const AcDbAttributeDefinition& definition) {
        if (!definition.isConstant()) {
            templates.push_back({definition.tagName(), definition.text(), definition.layerName(),
                                 definition.position(), definition.height(), definition.rotation(),
                                 definition.isInvisible()});
        }
        return false;
    });
    return templates;
}

}  // namespace

int SymInsertBlock(AcDbObjectId& referenceId, const AcGePoint3d& point, AcDbObjectId blockId,
                   AcDbDatabase* database, std::string_view layer) {
    referenceId = AcDbObjectId();
    if (database == nullptr) {
        detail::SetLastError("A23ZOSYT: no database to insert into");
        return 0;
    }
    std::vector<AttributeTemplate> templates;
    {
        Opened<AcDbBlockTableRecord> block(blockId, AcDb::kForRead);
        if (!block) {
            detail::SetLastError(std::string("A23ZOSYT: the block cannot be opened (") +
                                 acadErrorStatusText(block.status()) + ")");
            return 0;
        }
        templates = AttributeTemplates(block.get());
    }
    const std::string layerName(layer.empty() ? std::string_view("0") : layer);
    if (!EnsureLayer(database, layerName)) {
        detail::SetLastError("A23ZOSYT: the layer '" + layerName + "' cannot be made");
        return 0;
    }
    Opened<AcDbBlockTableRecord> space(database->currentSpaceId(), AcDb::kForWrite);
    if (!space) {
        detail::SetLastError(std::string("A23ZOSYT: the model space cannot be opened (") +
                             acadErrorStatusText(space.status()) + ")");
        return 0;
    }
    auto* reference = new AcDbBlockReference(point, blockId);
    reference->setDatabaseDefaults(database);
    AcDbObjectId id;
    if (space->appendAcDbEntity(id, reference) != Acad::eOk) {
        delete reference;
        detail::SetLastError("A23ZOSYT: the block reference cannot be added");
        return 0;
    }
    reference->setLayer(layerName.c_str());
    const AcGeMatrix3d transform = reference->blockTransform();
    for (const auto& t : templates) {
        auto* attribute =
            new AcDbAttribute(Transformed(t.position, transform), t.text.c_str(), t.tag.c_str());
        attribute->setDatabaseDefaults(database);
        attribute->setHeight(t.height);
        attribute->setRotation(t.rotation + reference->rotation());
        attribute->setInvisible(t.invisible);
        if (attribute->setLayer(t.layer.c_str()) != Acad::eOk) {
            attribute->setLayer(layerName.c_str());
        }
        AcDbObjectId attributeId;
        if (reference->appendAttribute(attributeId, attribute) == Acad::eOk) {
            attribute->close();
        } else {
            delete attribute;
        }
    }
    reference->close();
    referenceId = id;
    return 1;
}

int SymLoadBlockFile(AcDbDatabase* database, std::string_view blockName, std::string_view file,
                     AcDbObjectId& blockId) {
    blockId = AcDbObjectId();
    const std::string name(blockName);
    if (database == nullptr || name.empty()) {
        detail::SetLastError("A23ZOSYT: no database or no block name to load into");
        return 0;
    }
    {
        AcDbBlockTable* table = nullptr;
        if (database->getBlockTable(table, AcDb::kForRead) != Acad::eOk) {
            detail::SetLastError("A23ZOSYT: the block table cannot be opened");
            return 0;
        }
        const bool known = table->getAt(name.c_str(), blockId) == Acad::eOk;
        table->close();
        if (known) {
            return 1;
        }
    }
    AcDbDatabase side(false, true);
    const std::string path(file);
    if (Acad::ErrorStatus es = side.readDwgFile(path.c_str()); es != Acad::eOk) {
        detail::SetLastError(
            "A23ZOSYT: the block '" + name + "' cannot be loaded: " +
            (side.lastError().empty() ? std::string(acadErrorStatusText(es)) : side.lastError()));
        return 0;
    }
    if (Acad::ErrorStatus es = database->insert(blockId, name.c_str(), &side); es != Acad::eOk) {
        blockId = AcDbObjectId();
        detail::SetLastError("A23ZOSYT: the block '" + name + "' cannot be inserted (" +
                             acadErrorStatusText(es) + ")");
        return 0;
    }
    return 1;
}

namespace {

/// A text in no database showing an attribute of a reference where the reference shows it.
AcDbEntity* TextOf(const AcDbAttribute* attribute) {
    auto* t = new AcDbText(attribute->position(), attribute->text().c_str());
    t->setNormal(attribute->normal());
    t->setHeight(attribute->height());
    t->setRotation(attribute->rotation());
    t->setWidthFactor(attribute->widthFactor());
    t->setHorizontalMode(attribute->horizontalMode());
    t->setVerticalMode(attribute->verticalMode());
    t->setAlignmentPoint(attribute->alignmentPoint());
    t->setLayer(attribute->layerName().c_str());
    t->setColorIndex(attribute->colorIndex());
    return t;
}

/// Erases the entities `ids`.
void EraseAll(const std::vector<AcDbObjectId>& ids) {
    for (const AcDbObjectId id : ids) {
        Opened<AcDbEntity> entity(id, AcDb::kForWrite);
        if (entity) {
            entity->erase();
        }
    }
}

}  // namespace

int SymExplode(AcDbObjectId spaceId, AcDbObjectId referenceId) {
    Opened<AcDbBlockReference> reference(referenceId, AcDb::kForRead);
    if (!reference) {
        detail::SetLastError(std::string("A23ZOSYT: the reference cannot be opened (") +
                             acadErrorStatusText(reference.status()) + ")");
        return 0;
    }
    const AcGeMatrix3d transform = reference->blockTransform();
    // The entities of the definition, of every kind but attribute definitions.
    std::vector<AcDbObjectId> contents;
    {
        Opened<AcDbBlockTableRecord> block(reference->blockTableRecord(), AcDb::kForRead);
        AcDbBlockTableRecordIterator* raw = nullptr;
        if (!block || block->newIterator(raw) != Acad::eOk) {
            detail::SetLastError("A23ZOSYT: the block definition cannot be read");
            return 0;
        }
        std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
        for (; !it->done(); it->step()) {
            AcDbObjectId id;
            it->getEntityId(id);
            Opened<AcDbEntity> entity(id, AcDb::kForRead);
            if (!entity) {
                detail::SetLastError("A23ZOSYT: an entity of the block cannot be opened");
                return 0;
            }
            if (entity->dxfType() != "ATTDEF") {
                contents.push_back(id);
            }
        }
    }
    // Copies with every property, moved where the reference shows them; one that cannot be
    // copied or moved takes the others away again, so nothing changes.
    std::vector<AcDbObjectId> added;
    for (const AcDbObjectId id : contents) {
        Opened<AcDbEntity> from(id, AcDb::kForRead);
        AcDbObjectId copyId;
        Acad::ErrorStatus es = from ? from->copyInto(spaceId, copyId) : from.status();
        if (es == Acad::eOk) {
            added.push_back(copyId);
            Opened<AcDbEntity> copy(copyId, AcDb::kForWrite);
            es = copy ? copy->transformBy(transform) : copy.status();
        }
        if (es != Acad::eOk) {
            detail::SetLastError("A23ZOSYT: the block holds a " +
                                 (from ? std::string(from->dxfType()) : std::string("entity")) +
                                 ", which cannot be exploded (" + acadErrorStatusText(es) + ")");
            EraseAll(added);
            return 0;
        }
    }
    // The reference's own visible attributes become texts in place.
    {
        Opened<AcDbBlockTableRecord> space(spaceId, AcDb::kForWrite);
        if (!space) {
            detail::SetLastError(std::string("A23ZOSYT: the space cannot be opened (") +
                                 acadErrorStatusText(space.status()) + ")");
            EraseAll(added);
            return 0;
        }
        std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
        for (; !it->done(); it->step()) {
            Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
            if (!attribute || attribute->isInvisible()) {
                continue;
            }
            AcDbEntity* text = TextOf(attribute.get());
            AcDbObjectId textId;
            if (space->appendAcDbEntity(textId, text) != Acad::eOk) {
                delete text;
                continue;
            }
            added.push_back(textId);
            text->close();
        }
    }
    if (reference->upgradeOpen() != Acad::eOk) {
        detail::SetLastError("A23ZOSYT: the reference cannot be opened for write");
        EraseAll(added);
        return 0;
    }
    reference->erase();
    return 1;
}

}  // namespace zelko
