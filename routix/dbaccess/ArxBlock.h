#pragma once

// Inserting another drawing into a database as a block reference placed by the extents of
// its visible contents.

#include <vector>

#include "arx/acdb.h"
#include "dbaccess/DbAccess.h"

namespace routix {

class CArxBlock {
public:
    CArxBlock() = default;
    virtual ~CArxBlock() = default;

    /// Reads the drawing `path`, erases what lies on its frozen or locked layers, measures the
    /// rest, inserts it into `target` as the block `blockName` ("*U" for a new anonymous
    /// block) and creates a reference on layer "0" whose measured lower-left corner lands on
    /// `point`. True when the reference was created; `referenceId` then names it. Failures are
    /// printed on the command line; the drawing's side database is gone on every path.
    ///
    /// A drawing that cannot be read prints "readDwgFile error (FileName=<drawing>|es=<status>)"
    /// in the console convention, naming `shownName` when given (the caller's own drawing when
    /// `path` is a copy of it), else `path`.
    ///
    /// A drawing with nothing measurable (no entity passes the size filter) is inserted at
    /// `point` unchanged.
    bool InsertDwgAsBlock(AcDbObjectId& referenceId, const AcGePoint3d& point,
                          const ACHAR* blockName, const ACHAR* path, AcDbDatabase* target,
                          const ACHAR* shownName = nullptr);

    /// Entities whose extents are smaller than this in both width and height, or at least
    /// kHugeSize in width or height, do not count when the contents are measured.
    static constexpr double kTinySize = 0.0001;
    static constexpr double kHugeSize = 99999;

protected:
    /// Erases the model-space entities of `side` that lie on a layer that was frozen or
    /// locked before the layers were released.
    bool EraseEntitiesInFreezeLayer(AcDbDatabase* side, const std::vector<CLayerState>& states);
    /// The box of the model-space entities that count, divided by the dimension scale.
    AcDbExtents MeasureContents(AcDbDatabase* side);
};

}  // namespace routix
