// The entry points of this library's commands.

#include "directions/DrawDirections.h"
#include "directions/NyuusenhoukouShijiDlg.h"
#include "directions/NyuusenhoukouShijiTermDlg.h"
#include "drawings/Tenkaizu.h"
#include "ducts/DuctShape.h"
#include "ducts/WpDuct.h"
#include "extract/EditCommands.h"
#include "extract/LayoutKey.h"
#include "frame/EntryPoints.h"
#include "frame/MessageBox.h"
#include "relay/RelayCommands.h"

namespace routix {

std::function<std::optional<std::string>()> g_plateSelection = [] {
    return std::optional<std::string>();
};

PlateCheck CheckPlate(const std::optional<std::string>& plate, std::string* panel,
                      std::string* plateName) {
    if (!plate || plate->empty())
        return PlateCheck::NoPlate;
    const std::size_t split = plate->find('_');
    if (split == std::string::npos || split == 0)
        return PlateCheck::Malformed;
    if (panel != nullptr)
        *panel = plate->substr(0, split);
    if (plateName != nullptr)
        *plateName = plate->substr(split + 1);
    return PlateCheck::Ok;
}

int PlateCheckedEntryPoint(int argument) {
    std::string panel;
    std::string plate;
    switch (CheckPlate(g_plateSelection ? g_plateSelection() : std::nullopt, &panel, &plate)) {
        case PlateCheck::NoPlate:
            CMessageBox().MsgBox(IDS_SELECT_PLATE, ReleaseName(), MB_OK | MB_ICONINFORMATION);
            return 0;
        case PlateCheck::Malformed:
            return 0;
        case PlateCheck::Ok:
            break;
    }
    return RunEntryPoint(Flag3D::Set, [argument] { RelayTermPlacement(argument); });
}

}  // namespace routix

using namespace routix;

// The development drawings of the rows of panels ticked in dialog 207.
ROUTIX_ENTRY_POINT(1000) {
    return RunEntryPoint(Flag3D::Cleared, SokucyouTenkaizuCommand);
}

// Opens a drawing of the layout folder.
ROUTIX_ENTRY_POINT(1001) {
    return RunEntryPoint(Flag3D::Cleared, OpenLayoutDrawingCommand);
}

// Mirrors the selected objects about a vertical axis, deleting the sources.
ROUTIX_ENTRY_POINT(1002) {
    return RunEntryPoint(Flag3D::Cleared, MirrorCommand);
}

// The relay terminals between panels, inside the panel and on the door: their parameter file
// handed to the placement service.
ROUTIX_ENTRY_POINT(1003) {
    return RunEntryPoint(Flag3D::Cleared, RelayTermsBetweenPanels);
}

ROUTIX_ENTRY_POINT(1004) {
    return RunEntryPoint(Flag3D::Cleared, RelayTermsInsidePanel);
}

ROUTIX_ENTRY_POINT(1005) {
    return RunEntryPoint(Flag3D::Cleared, RelayTermsOnDoor);
}

// The layout key file of a folder's layout drawings.
ROUTIX_ENTRY_POINT(1006) {
    return RunEntryPoint(Flag3D::Cleared, LayoutKeyFile);
}

// The surplus length of the selected symbols (layer "ADDITION").
ROUTIX_ENTRY_POINT(1007) {
    return RunEntryPoint(Flag3D::Cleared, [] { SurplusLengthCommand(0); });
}

// The entry directions of the selected general components' terminals, in dialog 210 (2D).
ROUTIX_ENTRY_POINT(1009) {
    return RunEntryPoint(Flag3D::Cleared, GeneralDirectionCommand);
}

// One wire and one tube direction for the terminals of the selected terminal blocks (2D).
ROUTIX_ENTRY_POINT(1010) {
    return RunEntryPoint(Flag3D::Cleared, [] { NyuusenhoukouShijiTermCommand(false); });
}

// The entry directions of the whole drawing: attributes written and marks redrawn (2D).
ROUTIX_ENTRY_POINT(1011) {
    return RunEntryPoint(Flag3D::Cleared, DrawAllDirections);
}

// Has no effect except clearing the 3D mode flag.
ROUTIX_ENTRY_POINT(1012) {
    return RunEntryPoint(Flag3D::Cleared, [] {});
}

// The placement dialog of the relay terminals, repeated until cancelled.
ROUTIX_ENTRY_POINT(1013) {
    return RunEntryPoint(Flag3D::Cleared, [] { RelayTermPlacement(1); });
}

// The entry directions of the selected general components' terminals, in dialog 261 (3D).
ROUTIX_ENTRY_POINT(1014) {
    return RunEntryPoint(Flag3D::Set, GeneralDirectionCommand);
}

// 3D relay-terminal placement of combination terminals, after the plate check.
ROUTIX_ENTRY_POINT(1029) {
    return PlateCheckedEntryPoint(1);
}

// The surplus length in 3D: new attributes on the frozen layer "PINOFF".
ROUTIX_ENTRY_POINT(1030) {
    return RunEntryPoint(Flag3D::Set, [] { SurplusLengthCommand(1); });
}

// One wire and one tube direction for the terminals of the selected 3D terminal blocks.
ROUTIX_ENTRY_POINT(1031) {
    return RunEntryPoint(Flag3D::Set, [] { NyuusenhoukouShijiTermCommand(false); });
}

// The entry directions of the whole 3D layout drawing.
ROUTIX_ENTRY_POINT(1032) {
    return RunEntryPoint(Flag3D::Set, DrawAllDirections);
}

// The WP duct lines of the current drawing; the 3D mode flag is left as it is.
ROUTIX_ENTRY_POINT(1033) {
    return RunEntryPoint(Flag3D::Untouched, WpDuctLines);
}

// The duct shape: duct types chosen in dialog 250 and drawn until it is cancelled; the 3D mode
// flag is left as it is.
ROUTIX_ENTRY_POINT(1034) {
    return RunEntryPoint(Flag3D::Untouched, DuctShape);
}

// One wire and one tube direction for every terminal of the selected symbols (2D).
ROUTIX_ENTRY_POINT(1035) {
    return RunEntryPoint(Flag3D::Cleared, [] { NyuusenhoukouShijiTermCommand(true); });
}

// The same in 3D.
ROUTIX_ENTRY_POINT(1036) {
    return RunEntryPoint(Flag3D::Set, [] { NyuusenhoukouShijiTermCommand(true); });
}

// 3D relay-terminal placement of block terminals, after the plate check.
ROUTIX_ENTRY_POINT(1037) {
    return PlateCheckedEntryPoint(0);
}
