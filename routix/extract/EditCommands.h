#pragma once

// The two small editing commands of the symbols of panel and layout drawings.
//
// Mirror (entry point 1002): the selected objects (pick-first, else asked for) are mirrored
// about a vertical axis through a picked point by the host's MIRROR, the sources deleted and
// texts kept readable (MIRRTEXT 0). Cancelling the axis prompt changes nothing.
//
// Surplus length (1007, 1030): the value the user gives in CYocyouDlg goes into the attribute
// "ADDITION" of every selected symbol. An existing ADDITION attribute is moved to the layer
// "ADDITION"; a new one is put on "ADDITION" (1007), or on the frozen layer "PINOFF" with
// height 1 in the 3D variant (1030). The layer "ADDITION" is made for both entry points when it
// is missing (the 3D variant moves existing attributes to it too); "PINOFF" is made frozen for
// 1030 only.

namespace routix {

void MirrorCommand();
/// `is3D` 0 for entry point 1007, 1 for 1030.
void SurplusLengthCommand(int is3D);

}  // namespace routix
