#pragma once

// The 3D plate list of a layout drawing: every plate face a symbol can stand on, by its name
// "<panel>_<plate>" ("-B" appended for the back side), with the face's axes, its angle and
// whether it is a back side. The 3D mark placement of the direction commands and the 3D
// default directions of the general-component dialog look plates up here.
//
// How the list is built:
// - A plate is a plate outline as the layout extraction reads it (CMen: a closed lightweight
//   polyline of more than 3 vertices with "ORVAZelko_WpPlate" data naming it).
// - Its axes: Z is the outline's normal; X is the direction of its first edge (vertex 0 to
//   vertex 1) in world coordinates; Y = Z x X. Its angle is the angle of that first edge in the
//   outline's own plane (its object coordinate system), in [0, 2 pi): a block reference with
//   the outline's normal and this rotation has its X axis along the plate's X axis.
// - Its panel number is the "BAN_NO" of the first symbol (drawing order) whose "WP_PLATENAME"
//   equals the plate's name (without regard to case) and whose position, taken into the
//   outline's plane, lies strictly inside the outline's box there; empty when no symbol
//   stands on it (the plate is then listed as "_<plate>").
// - An outline gives its front face; the back face "<panel>_<plate>-B" follows it, turned by
//   pi about the plate's Y axis (X and Z negated, Y kept, as a back-side pin offset is turned),
//   with the same angle (the marks of a back-side terminal are drawn in the plate's drawn plane,
//   whose X axis the angle measures) and the back flag. An outline whose own name ends in "-B"
//   is a back face as drawn (its axes, its angle, the back flag) and then no derived back face
//   of that name is added.
// - Names are compared without regard to case; the first plate of a name wins.
//
// Mark placement (DrawDirections): a terminal's plate is the entry of the symbol's panel
// number (the record's, else the symbol's "BAN_NO") and "WP_PLATENAME", with "-B" when the
// terminal lies on the back (the record is mirrored or on the back face) and the name does not
// already end in it. When there is an entry, its back flag turns the pin offset and its angle
// is the mark's base rotation; without one, the symbol's own plane stands in (the record's
// back-side test, the symbol's rotation).

#include <string>
#include <string_view>
#include <vector>

#include "arx/acdb.h"
#include "arx/acge.h"

namespace routix {

struct CPlate3D {
    std::string m_strName;     ///< "<panel>_<plate>", "-B" appended for a back face
    std::string m_strPanelNo;  ///< BAN_NO of the symbols on it
    std::string m_strPlate;    ///< the outline's plate name
    AcGeVector3d m_xAxis = AcGeVector3d::kXAxis;
    AcGeVector3d m_yAxis = AcGeVector3d::kYAxis;
    AcGeVector3d m_zAxis = AcGeVector3d::kZAxis;
    double m_dAngle = 0;  ///< radians, in the outline's plane
    bool m_bBack = false;
    AcDbObjectId m_outline;
};

class CPlateList {
public:
    /// Reads the plates of `database`'s model space; false when model space cannot be read.
    bool Build(AcDbDatabase* database);
    const std::vector<CPlate3D>& Plates() const { return m_plates; }
    /// The plate of a name (without regard to case); null when there is none.
    const CPlate3D* Find(std::string_view name) const;
    /// The name of a plate face: "<panel>_<plate>", with "-B" when `back` and `plate` does not
    /// end in "-B" already.
    static std::string PlateName(std::string_view panel, std::string_view plate, bool back);

    /// Adds a plate (the builder's step, open for tests); a name already listed is ignored.
    void Add(CPlate3D plate);

private:
    std::vector<CPlate3D> m_plates;
};

/// The 3D default direction of a terminal (the Reset of the general-component dialog): the
/// project's 3D letter (T, B, L, R, M or P) turned into the sheet letter of the plate the
/// symbol stands on.
struct Default3DInput {
    char letter = ' ';                           ///< the project's 3D letter
    AcGeVector3d normal = AcGeVector3d::kZAxis;  ///< the symbol's normal
    double rotation = 0;                         ///< the symbol's rotation, radians
    bool reverse = false;                        ///< the symbol's REVERSE value is not 0
    bool mirroredByCount = false;                ///< the project's mirror count is positive
    bool mirroredFlag = false;                   ///< the project's mirrored flag
    bool backSideText = false;                   ///< the project's side text begins with "裏"
    const CPlate3D* plate = nullptr;             ///< null: the world axes
};
/// The letter: the reference direction (the normal, negated when exactly one of REVERSE and
/// the project's mirroring holds, once more for the mirrored flag), the letter's vector (T, B:
/// n x perp(n); L, R: perp(n); M, P: n; negated for P, R, T; all but M and P turned about n by
/// the rotation in whole degrees, truncated), the first plate axis of +X, -X, +Y, -Y, +Z, -Z
/// whose dot product exceeds 1/sqrt(2) - 1e-8 naming L, R, B, T, M, P (the project's letter
/// when none does), R and L swapped for the mirrored flag.
char Default3DDirection(const Default3DInput& input);

}  // namespace routix
