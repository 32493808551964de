#include "maker/commands.h"

#include <map>
#include <memory>

#include "DrawingAccess.h"
#include "common/text.h"
#include "host/Host.h"
#include "services/symbols.h"

namespace zelko {

namespace {

using detail::Opened;

/// Tag to position of the block's attribute definitions, in block coordinates.
std::map<std::string, AcGePoint3d> DefinitionPositions(AcDbObjectId blockId) {
    std::map<std::string, AcGePoint3d> positions;
    Opened<AcDbBlockTableRecord> block(blockId, AcDb::kForRead);
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (!block || block->newIterator(iterator) != Acad::eOk)
        return positions;
    for (; !iterator->done(); iterator->step()) {
        AcDbEntity* entity = nullptr;
        if (iterator->getEntity(entity, AcDb::kForRead) != Acad::eOk)
            continue;
        if (const auto* definition = AcDbAttributeDefinition::cast(entity))
            positions.emplace(common::ToUpper(definition->tagName()), definition->position());
        entity->close();
    }
    delete iterator;
    return positions;
}

host::CommandOutcome MoveAttributesDirect(const std::vector<resbuf*>&) {
    host::Host& host = host::Host::Instance();
    int blocks = 0;
    for (const AcDbObjectId& id : std::vector(host.PickFirst())) {
        SymInfo* info = SymInfoOpen(id);
        const bool terminalBlock = info != nullptr && std::string_view(SymTypeName(info)) == "TERM";
        SymInfoFree(info);
        if (!terminalBlock)
            continue;
        Opened<AcDbBlockReference> reference(id, AcDb::kForRead);
        if (!reference)
            continue;
        const auto positions = DefinitionPositions(reference->blockTableRecord());
        const AcGeMatrix3d transform = reference->blockTransform();
        std::unique_ptr<AcDbObjectIterator> attributes(reference->attributeIterator());
        for (; attributes && !attributes->done(); attributes->step()) {
            AcDbAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, attributes->objectId(), AcDb::kForWrite) != Acad::eOk)
                continue;
            const auto found = positions.find(common::ToUpper(attribute->tagName()));
            if (found != positions.end()) {
                AcGePoint3d place = found->second;
                place.transformBy(transform);
                attribute->setPosition(place);
            }
            attribute->close();
        }
        ++blocks;
    }
    host.Console() << "\nZELKO_3D_MOVEATT_DIRECT: " << blocks << " terminal blocks.";
    return host::CommandOutcome::Ended;
}

}  // namespace

void RegisterMakerCommands() {
    host::RegisterHostCommand("ZELKO_3D_MOVEATT_DIRECT", MoveAttributesDirect);
}

}  // namespace zelko
