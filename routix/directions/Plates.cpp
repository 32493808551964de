#include "directions/Plates.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "extract/ExtractInfo.h"
#include "frame/ConsoleError.h"

namespace routix {

namespace {

bool EndsWithBack(std::string_view name) {
    return name.size() >= 2 && common::EqualsNoCase(name.substr(name.size() - 2), "-B");
}

/// An outline's face as drawn, without its panel number; false for a degenerate outline.
bool FaceOf(const CMen& outline, CPlate3D& plate, AcGePoint2d& low, AcGePoint2d& high) {
    CEntity entity;
    if (!entity.open(outline.m_id, AcDb::kForRead))
        return false;
    const auto* polyline = AcDbPolyline::cast(entity.entity());
    if (polyline == nullptr || polyline->numVerts() < 2)
        return false;
    AcGePoint2d p0, p1;
    AcGePoint3d w0, w1;
    polyline->getPointAt(0, p0);
    polyline->getPointAt(1, p1);
    polyline->getPointAt(0, w0);
    polyline->getPointAt(1, w1);
    const AcGeVector3d edge = w1 - w0;
    if (edge.length() < 1e-9)
        return false;
    plate.m_outline = outline.m_id;
    plate.m_strPlate = outline.m_strName;
    plate.m_zAxis = polyline->normal().normal();
    plate.m_xAxis = edge.normal();
    plate.m_yAxis = plate.m_zAxis.crossProduct(plate.m_xAxis).normal();
    double angle = std::atan2(p1.y - p0.y, p1.x - p0.x);
    if (angle < 0)
        angle += 2 * std::numbers::pi;
    plate.m_dAngle = angle;
    plate.m_bBack = EndsWithBack(outline.m_strName);
    low = high = p0;
    for (unsigned int v = 1; v < polyline->numVerts(); ++v) {
        AcGePoint2d p;
        polyline->getPointAt(v, p);
        low.set(std::min(low.x, p.x), std::min(low.y, p.y));
        high.set(std::max(high.x, p.x), std::max(high.y, p.y));
    }
    return true;
}

}  // namespace

std::string CPlateList::PlateName(std::string_view panel, std::string_view plate, bool back) {
    std::string name = std::string(panel) + "_" + std::string(plate);
    if (back && !EndsWithBack(plate))
        name += "-B";
    return name;
}

const CPlate3D* CPlateList::Find(std::string_view name) const {
    for (const CPlate3D& plate : m_plates)
        if (common::EqualsNoCase(plate.m_strName, name))
            return &plate;
    return nullptr;
}

void CPlateList::Add(CPlate3D plate) {
    if (Find(plate.m_strName) == nullptr)
        m_plates.push_back(std::move(plate));
}

bool CPlateList::Build(AcDbDatabase* database) {
    m_plates.clear();
    std::vector<CSymbol> symbols;
    std::vector<CMen> outlines;
    if (!CollectSymbols(database, symbols, outlines))
        return false;
    // WP_PLATENAME and BAN_NO of the references, in drawing order, read once.
    struct OnPlate {
        AcGePoint3d position;
        std::string plate, panel;
    };
    std::vector<OnPlate> placed;
    if (!outlines.empty()) {
        ForEachModelSpaceEntity(
            database, Source::NyuusenhoukouShijiDlg, UnreadableEntity::Skip,
            [&](AcDbObjectId id, CEntity& entity) {
                const auto* reference = AcDbBlockReference::cast(entity.entity());
                if (reference == nullptr)
                    return true;
                std::string plate = AttributeText(id, "WP_PLATENAME").value_or("");
                if (!plate.empty())
                    placed.push_back({reference->position(), std::move(plate),
                                      AttributeText(id, "BAN_NO").value_or("")});
                return true;
            });
    }
    std::vector<CPlate3D> backs;
    for (const CMen& outline : outlines) {
        CPlate3D plate;
        AcGePoint2d low, high;
        if (!FaceOf(outline, plate, low, high))
            continue;
        const AcGeMatrix3d toPlane = AcGeMatrix3d::worldToPlane(plate.m_zAxis);
        std::optional<std::string> panel;
        for (const OnPlate& on : placed) {
            if (!common::EqualsNoCase(on.plate, outline.m_strName))
                continue;
            const AcGePoint3d p = AcGePoint3d(on.position).transformBy(toPlane);
            if (low.x < p.x && p.x < high.x && low.y < p.y && p.y < high.y) {
                panel = on.panel;
                break;
            }
        }
        plate.m_strPanelNo = panel.value_or("");
        plate.m_strName = PlateName(plate.m_strPanelNo, plate.m_strPlate, false);
        if (!plate.m_bBack) {
            CPlate3D back = plate;
            back.m_strName = PlateName(plate.m_strPanelNo, plate.m_strPlate, true);
            back.m_xAxis = -plate.m_xAxis;
            back.m_zAxis = -plate.m_zAxis;
            back.m_bBack = true;
            backs.push_back(std::move(back));
        }
        Add(std::move(plate));
    }
    // Back faces drawn as outlines of their own come first; derived ones fill the rest.
    for (CPlate3D& back : backs)
        Add(std::move(back));
    return true;
}

char Default3DDirection(const Default3DInput& input) {
    AcGeVector3d n = input.normal.length() > 1e-12 ? input.normal.normal() : AcGeVector3d::kZAxis;
    const bool mirroredByProject =
        input.mirroredByCount || input.mirroredFlag || input.backSideText;
    if (input.reverse != mirroredByProject)
        n = -n;
    if (input.mirroredFlag)
        n = -n;
    const char letter = input.letter;
    AcGeVector3d v;
    switch (letter) {
        case 'T':
        case 'B':
            v = n.crossProduct(n.perpVector());
            break;
        case 'L':
        case 'R':
            v = n.perpVector();
            break;
        case 'M':
        case 'P':
            v = n;
            break;
        default:
            return letter;
    }
    if (letter == 'P' || letter == 'R' || letter == 'T')
        v = -v;
    if (letter != 'M' && letter != 'P') {
        const double degrees = std::trunc(input.rotation * 180.0 / std::numbers::pi);
        v.rotateBy(degrees * std::numbers::pi / 180.0, n);
    }
    const AcGeVector3d x = input.plate ? input.plate->m_xAxis : AcGeVector3d::kXAxis;
    const AcGeVector3d y = input.plate ? input.plate->m_yAxis : AcGeVector3d::kYAxis;
    const AcGeVector3d z = input.plate ? input.plate->m_zAxis : AcGeVector3d::kZAxis;
    const std::pair<AcGeVector3d, char> axes[] = {{x, 'L'},  {-x, 'R'}, {y, 'B'},
                                                  {-y, 'T'}, {z, 'M'},  {-z, 'P'}};
    char result = letter;
    for (const auto& [axis, name] : axes) {
        if (v.dotProduct(axis) > 1.0 / std::sqrt(2.0) - 1e-8) {
            result = name;
            break;
        }
    }
    if (input.mirroredFlag && (result == 'R' || result == 'L'))
        result = result == 'R' ? 'L' : 'R';
    return result;
}

}  // namespace routix
