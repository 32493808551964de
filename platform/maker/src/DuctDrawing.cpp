#include "services/ductdrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Store.h"
#include "arx/acdb.h"
#include "host/aced.h"
#include "services/maker.h"

namespace zelko {

namespace {

constexpr int kDuctLayerColour = 40;

/// The justification: 1, 2 or 3; an empty answer keeps `current` when it is one of them.
bool AskJustification(const DuctPrompts& prompts, int& current) {
    for (;;) {
        int value = 0;
        const int status = acedGetInt(prompts.justification.c_str(), &value);
        if (status == RTNONE && current >= 1 && current <= 3)
            return true;
        if (status == RTNORM && value >= 1 && value <= 3) {
            current = value;
            return true;
        }
        if (status != RTNORM && status != RTNONE)
            return false;
        acutPrintf("%s", prompts.invalid.c_str());
    }
}

bool EnsureDuctLayer(AcDbDatabase* database, const std::string& name) {
    AcDbLayerTable* layers = nullptr;
    if (database->getLayerTable(layers, AcDb::kForWrite) != Acad::eOk)
        return false;
    bool ok = true;
    if (!layers->has(name.c_str())) {
        auto* record = new AcDbLayerTableRecord;
        record->setName(name.c_str());
        record->setColor(AcCmColor(static_cast<Adesk::UInt16>(kDuctLayerColour)));
        if (layers->add(record) == Acad::eOk) {
            record->close();
        } else {
            delete record;
            ok = false;
        }
    }
    layers->close();
    return ok;
}

}  // namespace

int DrawDuct(int width, int type, const DuctPrompts& prompts, int& justification) {
    (void)type;  // every duct type is drawn alike
    if (width <= 0) {
        detail::SetLastError("A23ZOHD: a duct of width " + std::to_string(width) +
                             " cannot be drawn");
        acutPrintf("%s", prompts.invalid.c_str());
        return 0;
    }
    if (!AskJustification(prompts, justification))
        return 0;
    ads_point base = {0, 0, 0};
    if (acedGetPoint(nullptr, prompts.basePoint.c_str(), base) != RTNORM)
        return 0;
    ads_real length = 0;
    acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
    if (acedGetReal(prompts.length.c_str(), &length) != RTNORM)
        return 0;
    // The direction is the axis nearer to the line from the base point to the point given.
    double dx = 0;
    double dy = 0;
    for (;;) {
        ads_point towards = {0, 0, 0};
        if (acedGetPoint(base, prompts.direction.c_str(), towards) != RTNORM)
            return 0;
        dx = towards[0] - base[0];
        dy = towards[1] - base[1];
        if (std::fabs(dx) > 0 || std::fabs(dy) > 0)
            break;
        acutPrintf("%s", prompts.invalid.c_str());
    }
    const bool alongX = std::fabs(dx) >= std::fabs(dy);
    const double sign = (alongX ? dx : dy) < 0 ? -1.0 : 1.0;
    // Along the duct: from the base point for the length. Across it: the base line is the top
    // (or right) side for 1, the centre line for 2, the bottom (or left) side for 3.
    const double along0 = alongX ? base[0] : base[1];
    const double along1 = along0 + sign * length;
    const double across = alongX ? base[1] : base[0];
    const double w = width;
    const double low = justification == 1   ? across - w
                       : justification == 2 ? across - w / 2
                                            : across;
    const double a0 = std::min(along0, along1);
    const double a1 = std::max(along0, along1);
    const double x0 = alongX ? a0 : low;
    const double x1 = alongX ? a1 : low + w;
    const double y0 = alongX ? low : a0;
    const double y1 = alongX ? low + w : a1;

    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) {
        acutPrintf("%s", prompts.invalid.c_str());
        return 0;  // a point or length beyond the drawing's numbers
    }

    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    const std::string layer = "DCT" + std::to_string(width);
    if (database == nullptr || !EnsureDuctLayer(database, layer)) {
        detail::SetLastError("A23ZOHD: the layer " + layer + " cannot be made");
        return 0;
    }
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, database->modelSpaceId(), AcDb::kForWrite) != Acad::eOk)
        return 0;
    auto* outline = new AcDbPolyline;
    const std::array<AcGePoint2d, 4> corners = {AcGePoint2d(x0, y0), AcGePoint2d(x1, y0),
                                                AcGePoint2d(x1, y1), AcGePoint2d(x0, y1)};
    for (unsigned int i = 0; i < corners.size(); ++i)
        outline->addVertexAt(i, corners[i]);
    outline->setClosed(true);
    outline->setDatabaseDefaults(database);
    AcDbObjectId id;
    const bool added = space->appendAcDbEntity(id, outline) == Acad::eOk;
    if (added) {
        outline->setLayer(layer.c_str());
        outline->close();
    } else {
        delete outline;
    }
    space->close();
    return added ? 1 : 0;
}

}  // namespace zelko
