#include "dbaccess/ArxBlock.h"

#include <memory>
#include <vector>

#include "dbaccess/DbAccess.h"
#include "frame/ConsoleError.h"
#include "services/symbols.h"

namespace routix {

bool CArxBlock::EraseEntitiesInFreezeLayer(AcDbDatabase* side,
                                           const std::vector<CLayerState>& states) {
    return ForEachModelSpaceEntity(
        side, Source::ArxBlock, UnreadableEntity::Stop, [&](AcDbObjectId, CEntity& entity) {
            const std::string layer = entity.entity()->layerName();
            if (!IsLayerFrozen(states, layer) && !IsLayerLocked(states, layer)) {
                return true;
            }
            Acad::ErrorStatus es;
            if ((es = entity.entity()->upgradeOpen()) != Acad::eOk ||
                (es = entity.entity()->erase()) != Acad::eOk) {
                ROUTIX_STATUS_ERROR(Source::ArxBlock, "erase", es);
                return false;
            }
            return true;
        });
}

AcDbExtents CArxBlock::MeasureContents(AcDbDatabase* side) {
    AcDbExtents box;
    ForEachModelSpaceEntity(side, Source::ArxBlock, UnreadableEntity::Skip,
                            [&](AcDbObjectId, CEntity& entity) {
                                AcDbExtents extents;
                                if (entity.entity()->getGeomExtents(extents) != Acad::eOk) {
                                    return true;
                                }
                                const double width = extents.maxPoint().x - extents.minPoint().x;
                                const double height = extents.maxPoint().y - extents.minPoint().y;
                                if ((width < kTinySize && height < kTinySize) ||
                                    width >= kHugeSize || height >= kHugeSize) {
                                    return true;
                                }
                                box.addExt(extents);
                                return true;
                            });
    const double scale = side->dimscale();
    if (!box.isEmpty() && scale >= kTinySize) {
        box.transformBy(AcGeMatrix3d::scaling(1.0 / scale));
    }
    return box;
}

bool CArxBlock::InsertDwgAsBlock(AcDbObjectId& referenceId, const AcGePoint3d& point,
                                 const ACHAR* blockName, const ACHAR* path, AcDbDatabase* target,
                                 const ACHAR* shownName) {
    auto side = std::make_unique<AcDbDatabase>(false, false);
    if (const Acad::ErrorStatus es = side->readDwgFile(path, AcDbDatabase::kForReadAndReadShare);
        es != Acad::eOk) {
        PrintFileError(Source::ArxBlock, __LINE__, "readDwgFile",
                       shownName != nullptr ? shownName : path, es);
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
