#pragma once

// A23ZOPRJ, ZELKOPM and the project-path object of ZELKOWPU: the open project, its folders,
// its drawings, its data version and its revision states.
//
// A project is a folder holding the project store "ZELKOPRJ.sqlite" (layout described in
// platform/maker/README.md), the drawing root "DWG" with the layout folder "DWG/LAYOUT", the
// settings file "ZELKOWP.ini" and the output folder "FT_OUTPUT". Texts are UTF-8, the
// system's own text; folder texts have no trailing separator.

#include <string>
#include <string_view>

class AcDbDatabase;

namespace zelko {

// --- The open project (set by the host) -------------------------------------------------

/// Opens the project in `folder` as the process's open project, closing one that was open.
/// False, with MakerLastError() telling why, when the folder holds no readable project store.
bool ProjOpen(std::string_view folder);
/// Closes the open project; harmless when none is open.
void ProjClose();

/// Nonzero when a project is open.
int ProjIsOpen();
/// The open project's folder; false (and `folder` left alone) when none is open.
bool ProjFolder(std::string& folder);

// --- Drawings ---------------------------------------------------------------------------

/// Drawing kind of the project's panel and layout drawings, the only kind the callers ask for.
inline constexpr int kProjDrawingPanel = 2;
/// Project flag of a drawing: it is a panel drawing.
inline constexpr int kProjFlagPanelDrawing = 0x40;

struct ProjDrawings;
/// The full paths of the open project's drawings of `kind` (in the store's order) and their
/// count; null when no project is open or its store cannot be read. Release with
/// ProjDrawingListFree.
ProjDrawings* ProjDrawingList(int kind, int& count);
/// Path `index` of the list; empty for an index out of range.
const std::string& ProjDrawingAt(const ProjDrawings* list, int index);
void ProjDrawingListFree(ProjDrawings* list);

/// The panel number of the drawing at `path` (compared without regard to case); nonzero when
/// the drawing is one of the open project's and belongs to a panel (non-empty panel number).
int ProjDrawingPanelNo(std::string_view path, std::string& panelNo);
/// The project flags of the drawing at `path`; false when it is not one of the project's.
bool ProjDrawingFlags(std::string_view path, int& flags);
/// The panel number written in the title block of a drawing: the attribute "BAN_NO" of the
/// first model-space reference of the block "TITLE" (compared without regard to case) whose
/// "BAN_NO" is not blank. Nonzero when found (platform/maker/README.md, "Symbols in drawings").
int ProjPanelNoOfDrawing(AcDbDatabase* database, std::string& panelNo);

// --- Project paths ----------------------------------------------------------------------

struct ProjPath;
/// A project-path object for `text`:
/// - empty: the drawing root "DWG" of the open project;
/// - a project folder (absolute, holding a project store): its layout folder "DWG/LAYOUT";
/// - a text relative to the drawing root (as left when the root is cut off a path, with or
///   without a leading separator): that folder below the drawing root of the open project;
/// - any other absolute folder: that folder.
/// Null when the text needs an open project and none is open. Release with ProjPathFree.
ProjPath* ProjPathInit(std::string_view text);
void ProjPathFree(ProjPath* path);
/// The folder the object names, without a trailing separator.
bool ProjPathFolder(const ProjPath* path, std::string& folder);
/// Full paths of the layout key files of the folder: "LayoutKey2D.txt" and "LayoutKey3D.txt"
/// inside it.
bool ProjPathKeyFile2D(const ProjPath* path, std::string& file);
bool ProjPathKeyFile3D(const ProjPath* path, std::string& file);

// --- The list framework's project -------------------------------------------------------

/// The folder of the open project, empty when none is open.
std::string ProjectFolder();

/// Revision states of the open project ("revision_state.<selector>" and
/// "revision_state2.<selector>" in the store; 0 when absent or no project is open). 2 means
/// that a previous output revision exists.
int ProjectRevisionState(int selector);
int ProjectRevisionState2(int selector);

/// True when the open project's data version, read as a number, is at least the number of
/// `version` ("16.00", "25.0"). False when no project is open or a version is not numeric.
bool ProjectVersionCheck(std::string_view version);

}  // namespace zelko
