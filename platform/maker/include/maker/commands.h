#pragma once

// The maker's own CAD commands, which the host runs by name (acedCmdS, script "command" lines).
//
// ZELKO_3D_MOVEATT_DIRECT: moves the attributes of the terminal blocks (maker symbols of type
// "TERM") in the pick-first selection directly to the places their attribute definitions give
// them under each reference's present position, rotation and scale, so the texts sit on the
// blocks again after they were placed or moved. Attributes without a definition in the block
// stay where they are; other entities of the selection are left alone. It prints
// "\nZELKO_3D_MOVEATT_DIRECT: N terminal blocks."; the pick-first selection stays.

namespace zelko {

/// Registers the commands with the host (cadhost calls this at start).
void RegisterMakerCommands();

}  // namespace zelko
