#include "dbaccess/ArxBlock.h"

#include <memory>
#include <vector>

#include "dbaccess/DbAccess.h"
#include "frame/ConsoleError.h"
#include "services/symbols.h"

namespace routix {

namespace {

/// Opens the model space of `database` for read and starts an iterator over it, printing
/// the failing step with the given form.
bool OpenModelSpace(AcDbDatabase* database, CRecord<AcDbBlockTableRecord>& space,
                    CRecordIterator& it) {
    CBlockTable table(database, AcDb::kForRead);
    if (!table.isOpened()) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "getBlockTable", table.status());
        return false;
    }
    if (Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, space.ref(), AcDb::kForRead);
        es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "getAt", es);
        return false;
    }
    if (Acad::ErrorStatus es = space->newIterator(it.ref()); es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(Source::ArxBlock, "newIterator", es);
        return false;
    }
    return true;
}

}  // namespace

bool CArxBlock::EraseEntitiesInFreezeLayer(AcDbDatabase* side,
                                           const std::vector<CLayerState>& states) {
    CRecord<AcDbBlockTableRecord> space;
    CRecordIterator it;
    if (!OpenModelSpace(side, space, it)) {
        return false;
    }
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        CEntity entity;
        entity.open(id, AcDb::kForRead);
        Acad::ErrorStatus es = entity.status();
        if (es == Acad::eWasErased) {
            continue;
        }
        if (es != Acad::eOk) {
            ROUTIX_STATUS_ERROR(Source::ArxBlock, "getEntity", es);
            return false;
        }
        const std::string layer = entity.entity()->layerName();
        if (!IsLayerFrozen(states, layer) && !IsLayerLocked(states, layer)) {
            continue;
        }
        if ((es = entity.entity()->upgradeOpen()) != Acad::eOk ||
            (es = entity.entity()->erase()) != Acad::eOk) {
            ROUTIX_STATUS_ERROR(Source::ArxBlock, "erase", es);
            return false;
        }
    }
    return true;
}

AcDbExtents CArxBlock::MeasureContents(AcDbDatabase* side) {
    AcDbExtents box;
    CRecord<AcDbBlockTableRecord> space;
    CRecordIterator it;
    if (!OpenModelSpace(side, space, it)) {
        return box;
    }
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        CEntity entity;
        if (!entity.open(id, AcDb::kForRead)) {
            continue;
        }
        AcDbExtents extents;
        if (entity.entity()->getGeomExtents(extents) != Acad::eOk) {
            continue;
        }
        const double width = extents.maxPoint().x - extents.minPoint().x;
        const double height = extents.maxPoint().y - extents.minPoint().y;
        if ((width < kTinySize && height < kTinySize) || width >= kHugeSize ||
            height >= kHugeSize) {
            continue;
        }
        box.addExt(extents);
    }
    const double scale = side->dimscale();
    if (!box.isEmpty() && scale >= kTinySize) {
        box.transformBy(AcGeMatrix3d::scaling(1.0 / scale));
    }
    return box;
}

bool CArxBlock::InsertDwgAsBlock(AcDbObjectId& referenceId, const AcGePoint3d& point,
                                 const ACHAR* blockName, const ACHAR* path, AcDbDatabase* target) {
    auto side = std::make_unique<AcDbDatabase>(false, false);
    if (side->readDwgFile(path, AcDbDatabase::kForReadAndReadShare) != Acad::eOk) {
        return false;
    }
    std::vector<CLayerState> states;
    CollectLayerStates(side.get(), states);
    ReleaseAllLayers(states);
    if (!EraseEntitiesInFreezeLayer(side.get(), states)) {
        ROUTIX_ERROR(Source::ArxBlock, "eraseEntitiesInFreezeLayer");
        return false;
    }
    const AcDbExtents box = MeasureContents(side.get());

    AcDbObjectId blockId;
    if (target->insert(blockId, blockName, side.get(), true) != Acad::eOk) {
        ROUTIX_ERROR(Source::ArxBlock, "insert");
        return false;
    }
    AcGePoint3d at = point;
    if (!box.isEmpty()) {
        at.x -= box.minPoint().x;
        at.y -= box.minPoint().y;
    }
    if (zelko::SymInsertBlock(referenceId, at, blockId, target, "0") == 0) {
        ROUTIX_ERROR(Source::ArxBlock, "insertBlock");
        return false;
    }
    return true;
}

}  // namespace routix
