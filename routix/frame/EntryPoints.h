#pragma once

// The command entry points: each is exported by ordinal as the C function ZelkoOrdinal<N>
// (ELF has no export ordinals; the host composes the name from the number). An entry point
// sets the 3D mode flag as its rule says, runs its routine and, for the 3D variants, clears
// the flag again. Each issue that builds a routine exports its ordinals, so the library never
// offers a command that does nothing.

#include <functional>
#include <optional>
#include <string>

#include "frame/Frame.h"
#include "frame/MessageIds.h"

#define ROUTIX_ENTRY_POINT(ordinal) extern "C" int ZelkoOrdinal##ordinal()

namespace routix {

/// What an entry point does with the 3D mode flag.
enum class Flag3D {
    Cleared,    // cleared before the routine
    Set,        // set during the routine, cleared when it returns
    Untouched,  // left as it is
};

/// Runs `routine` under the flag rule; returns TRUE (1).
inline int RunEntryPoint(Flag3D rule, const std::function<void()>& routine) {
    if (rule == Flag3D::Cleared)
        g_b3DMode = false;
    else if (rule == Flag3D::Set)
        g_b3DMode = true;
    routine();
    if (rule == Flag3D::Set)
        g_b3DMode = false;
    return 1;
}

// --- the plate check of the 3D relay-terminal placement (ordinals 1029 and 1037)
// --------------------

enum class PlateCheck { NoPlate, Malformed, Ok };

/// Checks the selected plate text "<panel>_<plate>", split at the first "_", which must not be
/// the first character.
PlateCheck CheckPlate(const std::optional<std::string>& plate, std::string* panel = nullptr,
                      std::string* plateName = nullptr);

/// Where the selected plate comes from. In this system the plate-selection step yields no
/// plate; a caller (a test, or a later plate selection) may put another source here.
extern std::function<std::optional<std::string>()> g_plateSelection;

/// The entry point of 1029 and 1037: the plate check, then the relay-terminal placement
/// (relay/RelayCommands.h, argument 1: combination terminals, 0: block terminals), called
/// directly, with the flag set.
/// FALSE (0) when the check fails: message 2660 in a box when there is no plate, silently
/// when the text is malformed.
int PlateCheckedEntryPoint(int argument);

}  // namespace routix
