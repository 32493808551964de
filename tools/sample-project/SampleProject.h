#pragma once

// Writes a project and a maker installation with the data the maker's services read: panels in
// rows with plates, components and terminal blocks with their terminals and default
// directions, relay terminals of all three kinds, ducts, parts with 2D and 3D symbols and pin
// tables, and wire ends whose previous revision differs. The counts scale, so benchmarks make
// large projects with the same code.

#include <filesystem>
#include <string>

namespace sampleproject {

struct Options {
    int panels = 5;
    int panelsPerRow = 3;
    int componentsPerPanel = 6;       ///< each with 6 terminals
    int blockTerminalsPerPanel = 12;  ///< terminals of the panel's terminal block "TB1"
    int singleTerminalsPerPanel = 4;  ///< terminal block "TB2": one symbol per terminal
    int relayTerminalsPerPanel = 9;   ///< cycling through inside panel, door, between panels
    bool previousRevision = true;     ///< also write revision 1 (terminals and wiring)
};

/// Writes the project "<folder>" (store "ZELKOPRJ.sqlite", the panel drawings in "DWG/PANEL",
/// "DWG/LAYOUT" with the wiring database "LAYOUT.mdb", the development drawings and the 3D
/// layout drawing of SampleDrawings.h, "ZELKOWP.ini", "FT_OUTPUT"). Every file is written beside
/// its target and renamed over it, so a failed run leaves what was there. False with `error` set on
/// failure.
bool WriteProject(const std::filesystem::path& folder, const Options& options, std::string& error);

/// Writes a maker installation: the default parts database "BOM/ZELKOBOM.sqlite" and the
/// support drawings in "SUPPORT".
bool WriteInstallation(const std::filesystem::path& folder, std::string& error);

/// Panel number ("P1") and panel name ("P01", as in "LAYOUT_P01") of the p-th panel.
std::string PanelNo(int p);
std::string PanelName(int p);

/// The panel drawings of the p-th panel below the drawing root, in the order the store lists
/// them: its mounting plates ("PANEL/P01.dwg") and its door ("PANEL/P01_DOOR.dwg").
std::string PanelDrawing(int p);
std::string DoorDrawing(int p);
/// The rows of panels: how many, the row of the p-th panel (from 1) and a row's name ("ROW1").
int RowCount(const Options& options);
int RowOf(int p, const Options& options);
std::string RowName(int r);

/// Terminal count of one panel with these options, per revision.
int TerminalsPerPanel(const Options& options);

}  // namespace sampleproject
