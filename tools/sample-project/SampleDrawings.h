#pragma once

// The drawings of the sample project and of the maker installation, consistent with the
// project store that SampleProject.cpp writes.

#include <filesystem>
#include <string>

#include "SampleProject.h"

namespace sampleproject {

/// The layout drawing of each panel, "DWG/LAYOUT/LAYOUT_<panel name>.dwg" (DXF text, as the
/// drawing database reads it whatever the extension): the panel's two plates as closed
/// polylines with "ORVAZelko_WpPlate" extended data, its components (symbol type "BAN") and
/// terminal block "TB1" and relay terminals (type "TERM") as block references with the
/// attributes NAME, INST_NO, BAN_NO and PIN1..PINn of the store's terminals, two ducts on
/// layer "DCT40" that meet in a T, and a title block whose BAN_NO is the panel number. Also
/// the schematic drawing the store lists.
bool WriteLayoutDrawings(const std::filesystem::path& project, const Options& options,
                         std::string& error);

/// The support drawings in "SUPPORT": the frame template WAKUBASE, the duct junction mark
/// CMARK_DUCT and the four direction marks WIREDIRECTION, TUBEDIRECTION, WIREDIRECTIONN and
/// TUBEDIRECTIONN.
bool WriteSupportDrawings(const std::filesystem::path& installation, std::string& error);

}  // namespace sampleproject
