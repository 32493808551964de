#pragma once

// Terminal records made from the symbols the user selects (the direction dialogs gather
// through this; the draw-all command matches the project's records to the drawing's symbols
// itself, DrawDirections.h).
//
// Decisions:
// - A 3D terminal symbol with a PIN2 attribute that is not grouped as a combination terminal
//   is rejected (it is no terminal of a terminal block, and in 3D no general component either).
// - The PIN<n> repeats of a 3D terminal stop at the first n without an attribute, at most 500.

#include <string>
#include <vector>

#include "arx/acdb.h"
#include "directions/Term.h"

namespace routix {

/// Records of the selected objects, in selection order: general components (BAN, and in 2D
/// multi-pin TERM blocks) into `components`, terminals of terminal blocks into `terminals`,
/// direction marks ("WIREDIRECTION", "TUBEDIRECTION") into `marks`. In 3D mode the first
/// symbol's panel number goes into `panelNo` when it is empty, and a terminal symbol gives one
/// record per PIN<n> attribute. A rejected object is skipped; with `report` the first one prints
/// message 106. Returns the number of records added to both lists.
int CollectFromSelection(const std::vector<AcDbObjectId>& ids, std::vector<CTerm>& components,
                         std::vector<CTerm>& terminals, std::vector<AcDbObjectId>& marks,
                         std::string& panelNo, bool report);

/// 3D only (false at once in 2D): the pin numbers of the terminal symbols of `selected` from
/// the wiring database of `folder` (WimFileOfFolder). A part with fewer than two pin rows
/// clears the direction-less flag of its selected records; otherwise each record of
/// `database` on the same symbol takes the pin number of its terminal ("bompinno" of part code
/// and terminal number, looked up once per pair), and when one was found the selected records
/// of that symbol take direction-less flag and both pin integers from the database record of
/// their terminal number (without regard to case), else they are direction-less with pin 0.
/// True when at least one number was found; a missing or unreadable database changes nothing.
bool LookUp3DPinNumbers(std::vector<CTerm>& database, std::vector<CTerm>& selected,
                        const std::string& folder);

/// Whether the reference belongs to an anonymous group of more than one entity whose other
/// members are all maker symbols with the same NAME (the first such group decides).
bool IsCombinationTerminal(const AcDbBlockReference* reference, const std::string& name);

}  // namespace routix
