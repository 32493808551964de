#pragma once

// The drawings of the sample project and of the maker installation, consistent with the
// project store that SampleProject.cpp writes.

#include <filesystem>
#include <string>
#include <vector>

#include "SampleProject.h"

namespace sampleproject {

/// A route cut the sample gives a symbol of a development drawing.
struct RouteCutSample {
    std::string page;    ///< "LAYOUT_ROW1"
    std::string handle;  ///< the symbol's handle
    int seq;
    int number;
};

/// The panel drawings of each panel: "DWG/PANEL/<panel name>.dwg" (DXF text, as the drawing
/// database reads it whatever the extension): the panel's two plates as closed
/// polylines with "ORVAZelko_WpPlate" extended data, its components (symbol type "BAN") and
/// terminal block "TB1" (one symbol of PIN1..PIN12), terminal block "TB2" (one symbol per
/// terminal, PIN1 its terminal number, all at rotation 0) and relay terminals (type "TERM") as
/// block references with the attributes NAME, INST_NO, BAN_NO and PIN1..PINn of the store's
/// terminals, ducts on layer "DCT40" (two that meet in a T, the stem with "ZELKO_DUCT_SIZE" 60, and
/// two that cross), and a title block whose BAN_NO is the panel number; and "DWG/PANEL/<panel
/// name>_DOOR.dwg", the panel's door (no symbol, no plate). Then the development drawing of each
/// row of panels, "DWG/LAYOUT/LAYOUT_<row name>.dwg", laid out as the development-drawing command
/// lays it out with "Not Blockage" ticked (the frame, the row's panel drawings, two per panel, side
/// by side 100 units apart, symbols tagged with WP_PLATENAME and BAN_NO, exploded), which the
/// layout key file reads; `cuts` receives route cuts for a few of its components. Then the 3D
/// layout drawing of the first panel, "DWG/LAYOUT/LAYOUT_P01.dwg" (see WriteLayout3D in the
/// source): its mounting plate's front and back faces, its components, TB1 and TB2 with
/// WP_PLATENAME, REVERSE on the back face and 3D pin offsets, for the terminal records the store
/// keeps under that drawing name. Also the schematic drawing the store lists.
bool WriteLayoutDrawings(const std::filesystem::path& project, const Options& options,
                         std::vector<RouteCutSample>& cuts, std::string& error);

/// The support drawings in "SUPPORT": the frame template WAKUBASE, the duct junction mark
/// CMARK_DUCT and the four direction marks WIREDIRECTION, TUBEDIRECTION, WIREDIRECTIONN and
/// TUBEDIRECTIONN.
bool WriteSupportDrawings(const std::filesystem::path& installation, std::string& error);

}  // namespace sampleproject
