#pragma once

#include <filesystem>

namespace kablos {

/// The per-user data folder of KABLOS: the user's data location (XDG data home, normally
/// ~/.local/share) followed by "Brindlex/TRIM-KIT". It holds KABLOS.ini and LogDebug.txt.
/// Each call creates the data location, "Brindlex" and "TRIM-KIT" when they are missing; a
/// folder that cannot be created is not reported here but by the first file written into it.
std::filesystem::path UserDataPath();

}  // namespace kablos
