#pragma once

// The measured-length development drawings: entry point 1000 makes "LAYOUT_<row name>.dwg"
// in the project's layout folder for every row of panels the user ticks in dialog 207, and
// entry point 1001 opens a drawing of the layout folder in the editor.
//
// A development drawing is the frame template (support drawing "WAKUBASE") with the project
// drawings of the row's panels placed side by side, left to right, 100 units apart: the first
// at x = 0, each next one 100 units right of the previous reference's extents (a drawing that
// cannot be inserted leaves a gap of 100 units). In each inserted definition the references
// whose symbol type is "BAN", "TERM" or "PNL" get "WP_PLATENAME" (the first plate outline of
// the definition whose extents overlap theirs, closed intervals) and "BAN_NO" (the panel
// number); a missing attribute is added, invisible, on layer "PINOFF". With "Not Blockage"
// each reference is exploded into model space.
//
// Decisions:
// - "Open for exclusive writing" is the drawing's lock (arx/DrawingLock.h): an existing target
//   that another session holds open, or that cannot be opened for writing, is "opened"
//   (question 196).
// - The existing target is not deleted before the save: the save writes a temporary file
//   beside it and renames it over the target when complete, so a failed row leaves the
//   previous development drawing as it was. A failed save is reported ("saveAs" error line)
//   instead of the completion message.
// - A missing frame template is said once ("\nWAKUBASE: ..." with the reason) and no row is
//   made; an unreadable one skips each row as the read fails.

#include <string>
#include <vector>

#include "arx/acdb.h"
#include "drawings/SokucyouTenkaizu.h"

namespace routix {

class CSokucyou;

/// Entry point 1000.
void SokucyouTenkaizuCommand();
/// Entry point 1001.
void OpenLayoutDrawingCommand();

/// Places the drawings of `row`'s panels into model space of `db` as the development drawing
/// lays them out (copies through "<temp>TempSymbol.dwg"), tagging and, with `explode`,
/// exploding them. Returns the number of drawings placed.
int PlaceRowDrawings(CSokucyou& context, AcDbDatabase& db, const CBans& row,
                     const std::string& tempFolder, bool explode);

/// Tags the symbols of the inserted definition `block` with the plate they lie on and
/// `panelNo`.
void TagPanelSymbols(AcDbObjectId block, const std::string& panelNo);

}  // namespace routix
