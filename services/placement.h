#pragma once

// A23ZOPAR: the relay-terminal placement service. It reads a parameter file of relay terminals
// (the tab-separated file ROUTIX writes: a header line of column names, one line per terminal,
// CR LF, process code page) and draws one terminal block per line in the current drawing where
// the user points.
//
// What it draws (decided here, as the maker's service leaves it to us):
// - The symbol of a line (column "BOMBSYM" in 2D, "BOM3DSYM" in 3D) names a drawing of the
//   installation's symbol library, "<installation>/SYMBOL/<symbol>.dxf" (DXF text; a symbol
//   is found without regard to case). Its model space becomes the block <symbol> of the
//   drawing on first use.
// - The service asks for one point ("\nSpecify the insertion point of the terminal blocks: ").
//   The blocks stand side by side from there to the right, as on a rail: each one's left edge
//   at the previous one's right edge (a block's width is the width of its contents, at least
//   one unit), in the order of the file's lines, on layer "SYMBOL".
// - The name and the terminals are shown below the block (text height 1.5); each block
//   reference is a maker symbol of type "TERM" (extended data "ZELKO_SYMBOL") and
//   carries the line's values as attributes: NAME (NAME-), BAN_NO, B_CODE, TYPE (TYPE+),
//   SPEC (SPEC+) and the terminals PIN1, PIN2, ...: the PIN1 column split at "," (a block
//   terminal "1,2" gets PIN1 "1" and PIN2 "2"). An attribute the block defines is set, any
//   other is added at the insertion point, invisible.
// - A line without a symbol, or whose symbol drawing is missing or unreadable, is not placed:
//   the service says so on the command line ("\nNo symbol for the terminal XT1:1.",
//   "\nThe symbol drawing ... cannot be read: ...") and goes on with the next line.
// - The combination and block variants of the 3D placement draw the same way; their file's
//   lines were already merged by the caller (one line per multi-pin block).
//
// Result: the number of blocks placed, or a negative value when nothing could be placed at
// all (-1 the file cannot be read or has no header, -2 no drawing is open, -3 the point was
// not given). MakerLastError says why.

#include <filesystem>
#include <string_view>

namespace zelko {

int PlaceRelayTerms(const std::filesystem::path& parameterFile, std::string_view title, int flags);
int PlaceRelayTermsCombination3D(const std::filesystem::path& parameterFile, std::string_view title,
                                 int flags);
int PlaceRelayTermsBlock3D(const std::filesystem::path& parameterFile, std::string_view title,
                           int flags);

/// The folder of the installation's symbol library: MakerInstallFolder() / "SYMBOL".
std::filesystem::path SymbolLibraryFolder();

}  // namespace zelko
