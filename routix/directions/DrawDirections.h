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
#include "frame/ConsoleError.h"

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

/// How WriteDirectionsAndMarks writes. The defaults are those of drawing all directions and of
/// the general-component dialog; the terminal-block and change-all dialogs set the others.
struct DirectionWrite {
    /// Every direction attribute of the records' symbols is erased first, and with them every
    /// mark of those symbols, whatever its index: no mark stays for an index whose attributes
    /// are gone.
    bool clearFirst = false;
    /// "*" counts as empty (the selection held two or more symbols).
    bool manySymbols = false;
    /// A missing attribute layer is added to the layer table.
    bool createLayers = false;
    /// An empty direction empties the attribute (a dialog's "空", which the user chose; a
    /// direction-less terminal's attribute is still left alone). Without it an empty direction
    /// leaves the text as it is.
    bool writeEmpty = false;
    /// 2D: a record of pin index 2 (the "(TO)" side) writes its directions to index 1 too.
    bool bothIndicesInTwoD = false;
    /// 2D: every mark of a general-component symbol goes, not only those of the records' pins.
    bool allMarksOfComponentsInTwoD = false;
    /// The source the error lines name.
    Source source = Source::NyuusenhoukouShijiDlg;
    /// 3D: the plates the marks are placed on (Plates.h); null: the drawing's plate list is
    /// built for the call.
    const CPlateList* plates = nullptr;
};

/// Writes the wire and tube directions of the records onto their symbols and redraws their
/// marks: old marks (through their data) erased first, the attributes written as `how` says,
/// a record's marks inserted with the rotation of their codes ("setRotation error" printed
/// when it cannot be set). A direction left as it is ("*") keeps its attribute's text (a
/// missing attribute is made empty), and the terminal's marks are drawn again for the
/// direction the attribute keeps: erasing them would hide a direction that is still stored.
void WriteDirectionsAndMarks(std::vector<CTerm>& terms, const DirectionWrite& how);
/// The same with the default options but `clearFirst` and `manySymbols`.
void WriteDirectionsAndMarks(std::vector<CTerm>& terms, bool clearFirst, bool manySymbols);

/// Entry points 1011 / 1032 on the current drawing.
void DrawAllDirections();

}  // namespace routix
