#pragma once

// Drawing the entry directions of a whole drawing (entry points 1011 in 2D and 1032 in 3D),
// and the pieces the other direction commands share: the drawing check, the terminal records
// of the project data, and writing directions and redrawing marks of a set of records.
//
// Decisions:
// - Plate positions in 3D: a terminal's plate is the entry of the drawing's plate list
//   (Plates.h) named by the record's panel number (else the symbol's BAN_NO) and the symbol's
//   "WP_PLATENAME", with "-B" when the terminal lies on the back (positive mirror count, a
//   REVERSE value not 0, or the project's face "裏面"). The point is the pin offset, turned by
//   pi about Y when the plate entry is a back face, through the symbol's block transform; the
//   mark lies in the symbol's plane (its normal) with the plate's angle plus its code's angle.
//   The entry is looked up again only when a record's symbol normal or rotation differs from
//   the previous record's by more than 0.0001 or its plate name differs (the name keeps two
//   parallel plates apart). A symbol whose plate is not listed stands in for it: the record's
//   back-side test and the symbol's rotation.
// - The wire (tube) mark of a terminal without a wire (tube) direction is not drawn: a mark
//   pointing from the top would state a direction nobody gave. N marks are drawn for N only.
// - Panel numbers take part in matching records to symbols in 2D too when both have one: a
//   development drawing holds the symbols of several panels under the same tags, and without
//   it every CB1 would take the terminals of every panel's CB1.
// - The marks found among the candidates and the legacy attributes of index 0 are erased after
//   the 500-terminal question, with every layer open: a run the user cancels changes nothing,
//   and marks on locked or frozen layers go too.
// - The record-to-symbol match of a TERM symbol uses its PIN<n> attributes; a TERM symbol with
//   none matches the records of its tag whose terminal number is "1".

#include <string>
#include <vector>

#include "directions/Term.h"

namespace routix {

class CSokucyou;
class CPlateList;

/// The check all four direction commands make: the drawing folder exists (else message 101 in
/// a box with `caption`) and the drawing is a layout drawing of the open project (else message
/// 192). `path` receives the drawing's file path.
bool CheckDirectionDrawing(const CSokucyou& context, const std::string& caption, std::string& path);

/// Appends the records of the open project's terminal lists (components, terminal blocks); in
/// 3D mode only those of `drawingName` (empty: all). `pattern` (empty: all) is matched against
/// the component tag without regard to case. False when neither list could be read.
bool LoadProjectTerms(const std::string& pattern, std::vector<CTerm>& terms, bool components,
                      bool terminals, const std::string& drawingName);

/// Writes the wire and tube directions of the records onto their symbols and redraws their
/// marks: old marks (through their data) erased first, the attributes cleared first when
/// `clearFirst` (then every mark of those symbols is erased, whatever its index); "*" counts as
/// empty when `manySymbols`. In 3D mode the marks are placed on the plates of `plates` (Plates.h;
/// null: the drawing's plate list is built here). An empty direction keeps an existing attribute's
/// text unless `emptyClears` (a direction dialog's "空", which the user chose).
void WriteDirectionsAndMarks(std::vector<CTerm>& terms, bool clearFirst, bool manySymbols,
                             const CPlateList* plates = nullptr, bool emptyClears = false);

/// Entry points 1011 / 1032 on the current drawing.
void DrawAllDirections();

}  // namespace routix
