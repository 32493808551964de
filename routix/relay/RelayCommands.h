#pragma once

// The relay-terminal commands: entry points 1003, 1004, 1005 (one kind each, their own
// parameter file) and the placement dialog of 1013 (2D), 1029 and 1037 (3D, after the plate
// check; combination and block terminals).
//
// Decisions:
// - The drawing root is the project-path service's "" folder; "contains" is a comparison
//   without regard to case. A layout drawing's panel name is its file name without extension,
//   after a leading "LAYOUT_" (without regard to case); message 127 when that leaves nothing.
// - The WIM updater (A23ZOWMR.so, V24UDEVU.so for release 24) is looked for in the folder of the
//   plug-in's own library; its entry point of ordinal 1009 is the C function
//   `int ZelkoOrdinal1009(int, const char* databasePath)` (the project's ordinal convention),
//   0 meaning updated. A library that cannot be loaded, or lacks that export, is reported on
//   the command line and the command goes on with the database as it is.
// - A placement service that places nothing at all (no point given, unreadable file) reports
//   its reason on the command line; the dialog of 1013 then shows again.
// - After the 3D loop the new terminal blocks become the pick-first selection and the host
//   command "ZELKO_3D_MOVEATT_DIRECT" runs on them.

namespace routix {

/// Entry points 1003 (between panels), 1004 (inside panel), 1005 (on the door).
void RelayTermsBetweenPanels();
void RelayTermsInsidePanel();
void RelayTermsOnDoor();

/// Entry points 1013 and 1029 (`argument` 1: combination terminals) and 1037 (0: block
/// terminals); the 3D forms run while the 3D mode flag is set.
void RelayTermPlacement(int argument);

}  // namespace routix
