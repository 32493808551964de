#pragma once

// The layout key file (entry point 1006): the rows of every layout drawing "LAYOUT*.dwg" of
// one folder, in one tab-separated file for the maker's wire-routing tools.
//
// The file: a header line of the 19 column names (";Key", "Handle", ... "Zcoor") and one line
// per row of CExtractInfo, in the order the drawings are found and, within a drawing, in the
// extraction's order; fields separated by one TAB, written as they are (no quoting: a TAB in a
// tag shifts the columns after it), lines ended by CR LF, text in the process code page
// through CLog. Its path comes from the project-path service for the folder relative to the
// project's drawing root: "LayoutKey2D.txt", or "LayoutKey3D.txt" while the 3D mode flag is
// set, in that folder.
//
// Decisions:
// - The folder the user names is taken as a path of this platform ("/" separators); one
//   trailing separator is cut, and "LAYOUT*.dwg" is matched without regard to case, in the
//   order of the names compared without regard to case (as the Windows search gives them).
// - The second existence check (message 119) looks at the folder the project-relative text
//   names for the project (through the project-path service): with the drawing root cut off,
//   the text itself ("/LAYOUT") is no path on this platform.
// - A drawing in use (another session holds its lock file, see platform/arx/README.md,
//   "Drawings in use") cannot be read in the first mode: question 201 decides whether it is
//   read from its saved file. A drawing that cannot be read in the mode finally used
//   contributes no rows, and the reason ("...: this is a DWG drawing ...") is printed on the
//   command line so the user learns which drawing is missing from the file.
// - The key file is replaced whole: the lines go to a temporary file beside it, which is
//   renamed over the key file only when every line was written. A failed write leaves the
//   previous key file as it was (the failure is reported by CLog's boxes).
// - Question 201's box has the build's name as caption ("ROUTIX23"), Yes and No with the
//   question icon; messages 119 and 120 go to the command line after a line break.
// - Without an open project the drawing root is unknown: nothing is cut from the folder and
//   the key file goes into the folder itself.

namespace routix {

/// Entry point 1006: asks for the folder ("\nLAYOUT PATH :") and writes its key file.
void LayoutKeyFile();

}  // namespace routix
