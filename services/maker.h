#pragma once

// What the host programs (cadhost, listhost, the tools) set up before ROUTIX or TERVO call the
// maker's services, and what every service family shares: the installation folder, the reason
// of the last failure, and the count of handles not yet released.

#include <filesystem>
#include <string>

namespace zelko {

/// The maker's installation: the default parts database "BOM/ZELKOBOM.sqlite" and the support
/// drawings in "SUPPORT/". The folder set here wins; otherwise the environment variable
/// ZELKO_HOME; otherwise "zelko" beside the running program. Returns false (and keeps the old
/// setting) when `folder` is not a folder.
bool MakerSetInstallFolder(const std::filesystem::path& folder);
std::filesystem::path MakerInstallFolder();

/// Why the last operation that answered zero, false or null failed, in words for a message
/// ("ZELKOBOM: 'x.sqlite' is not a database"); empty when nothing has failed yet.
const std::string& MakerLastError();

/// Handles handed out by the services and not yet released (project paths, drawing lists,
/// wiring-plan data, terminal lists and item lists, settings stores, parts databases and
/// their result rows, wiring databases and their record sets). Zero when every caller has
/// released what it got.
int MakerLiveHandles();

}  // namespace zelko
