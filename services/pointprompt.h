#pragma once

// A23ZOUIT: the maker's point prompt. Asks the user for a point with `prompt` (the host's
// acedGetPoint); `flags` are the maker's input flags (0: none; no other value is used).
// Returns RTNORM (5100) with the point in `point`, RTCAN (-5002) when the user cancelled, or
// the host's other codes (RTNONE for an empty answer, RTERROR).

#include "arx/acdb.h"

namespace zelko {

int GetPointPrompt(int flags, const char* prompt, ads_point point);

}  // namespace zelko
