#pragma once

// The WP duct lines (entry point 1033): every duct rectangle of the current drawing (a closed,
// four-vertex, axis-parallel lightweight polyline on a "DCT*" layer) becomes its centre line on
// layer "DUCT"; a duct that ends against the side of another is lengthened to that duct's
// centre line, and a junction mark (block "CMARK_DUCT") goes wherever two lines meet at a T or
// an L. Lines and marks of a previous run are replaced; lines without the generated-line data
// stay, and block references at their ends are neither erased nor marked again.
//
// Decisions:
// - Message 2664 prints the number of WP duct lines this run drew (one per duct), not the
//   count of every line entity of model space plus the junctions: hand-drawn lines and lines
//   on other layers are no WP duct lines.
// - A rectangle narrower or shorter than the point tolerance (0.0001), one that is not
//   axis-parallel, open, or has another number of vertices is no duct and is skipped; so is a
//   rectangle with the same corners as a duct collected before (a duplicate would give a
//   second line on top of the first).
// - The duct size is the first item of "ZELKO_DUCT_SIZE" when it is a 16-bit integer (1070),
//   or a 32-bit one (1071) within the 16-bit range; anything else gives no size.
// - A mark drawing that cannot be loaded prints "loadBlockFile error" with the reason, and the
//   lines stay (as for a missing one).

#include <optional>
#include <vector>

#include "arx/acge.h"

namespace routix {

/// One duct rectangle and its centre line.
struct CDuct {
    AcGeLineSeg2d m_short[2];  ///< short side 0 and short side 1
    AcGeLineSeg2d m_long[2];
    int m_nExtended = 0;          ///< bit 1: start extended, bit 2: end extended
    AcGeLineSeg2d m_initial;      ///< from the midpoint of short side 0 to that of short side 1
    AcGeLineSeg2d m_line;         ///< the working copy that the junction extension lengthens
    double m_dWidth = 0;          ///< length of short side 0
    std::optional<short> m_size;  ///< "ZELKO_DUCT_SIZE"
};

/// The duct record of a rectangle's four corners in outline order; nothing when they are no
/// axis-parallel rectangle of some width and length.
std::optional<CDuct> MakeDuct(const AcGePoint2d (&corners)[4]);

/// Lengthens every duct end that butts against the long side of another duct by half that
/// duct's width (each end at most once, by the first duct in order).
void ExtendJunctions(std::vector<CDuct>& ducts);

/// The junction points of the (extended) centre lines: where two lines meet that did not cross
/// before the extension, or that share an end. Points equal to one of `kept` or found before
/// are left out.
std::vector<AcGePoint2d> FindJunctions(const std::vector<CDuct>& ducts,
                                       const std::vector<AcGePoint2d>& kept);

/// Entry point 1033 on the current drawing.
void WpDuctLines();

}  // namespace routix
