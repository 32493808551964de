#pragma once

// TERVO's wiring data read panel by panel: the same records as BackWiringLoad, handed out one
// panel number at a time, so that a project of any size is listed with one panel in memory.

#include "services/backwiring.h"

namespace zelko {

struct BackWiringPanels;

/// Starts reading `revision` of the plan's project. Panels come in the order of their numbers
/// (compared without regard to ASCII case, as the store's NOCASE collation does), the records
/// of one panel in store order. Null, with MakerLastError(), when the store cannot be read.
/// Release with BackWiringPanelsFree.
BackWiringPanels* BackWiringOpenPanels(const WpData* plan, int revision);

/// The devices and wire ends of the next panel number (both lists share it; either may be
/// empty). False after the last panel, or on a read error (then BackWiringPanelsFailed).
bool BackWiringNextPanel(BackWiringPanels* panels, std::string& panelNo, BackWiring& wiring);
bool BackWiringPanelsFailed(const BackWiringPanels* panels);

void BackWiringPanelsFree(BackWiringPanels* panels);

}  // namespace zelko
