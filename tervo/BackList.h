#pragma once

// The back-panel list of one run: per panel, its devices in list order and under each device
// the wire ends at its terminals, gathered from the project's wiring data; and the difference
// of two such lists (what was added and removed since the previous revision).

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "services/backwiring.h"

namespace tervo {

/// A device of the list and its wire ends, in list order. The records point into the
/// BackWiring the list was gathered from.
struct ListDevice {
    const zelko::BackDevice* device = nullptr;
    std::vector<const zelko::BackWireEnd*> ends;
};

struct ListPanel {
    std::string panelNo;
    int index = 0;       ///< position in the plan's panel list
    bool listed = true;  ///< false for panels of kind 2 and panels the user did not select
    std::vector<ListDevice> devices;
};

struct BackList {
    std::vector<ListPanel> panels;
    /// The wiring data the list points into (shared by the difference lists).
    std::shared_ptr<const zelko::BackWiring> wiring;
};

/// Which panels a run lists and in which order.
struct PanelChoice {
    bool byNumber = false;  ///< the panels that have a number, by number; else all, plan order
    bool all = true;
    std::vector<std::string> panels;  ///< panel numbers chosen when not all
};

/// The panels of the plan as the choice lists them (plan order, or by number), with the
/// flag cleared for panels of kind 2 and panels not chosen. False with `error` when the plan
/// has no panel list.
bool ListPanels(const zelko::WpData* plan, const PanelChoice& choice,
                std::vector<ListPanel>& panels, std::string& error);

/// Sorts `wiring` into `list`: the devices of each panel of `panels` with their wire ends.
void BuildBackList(std::shared_ptr<const zelko::BackWiring> wiring,
                   const std::vector<ListPanel>& panels, BackList& list);

/// The sort orders of the list.
/// All wire ends: panel number (case-insensitive), connector tag, terminal number (natural),
/// device key, route kind, wire number (case-insensitive), the tags of side 1 and 2 (natural).
bool WireEndBefore(const zelko::BackWireEnd& a, const zelko::BackWireEnd& b);
/// Devices (stable): order key, address prefix (case-insensitive), the value of the address
/// number, tag, key (case-insensitive).
bool DeviceBefore(const zelko::BackDevice& a, const zelko::BackDevice& b);
/// The wire ends of one device: terminal type descending (case-insensitive, so "CONV" comes
/// before "COIL"), connector tag and terminal number (natural), wire number and route kind
/// (case-insensitive), the tags of side 2 and 1 (natural).
bool DeviceWireEndBefore(const zelko::BackWireEnd& a, const zelko::BackWireEnd& b);

/// How the difference pairs the devices of the two revisions.
struct DiffOptions {
    /// False: a device is the same device as long as its key and tag agree, so a device whose
    /// part code, rating, model, unit, plate, address or order changed keeps its unchanged
    /// wire lines out of the difference. True: every text of the device counts, so such a
    /// device is a new one and all its lines are added and the old device's lines removed.
    bool deviceTextsCount = false;
};

/// The plan's option for the difference (PlanOption): this bit sets deviceTextsCount.
inline constexpr int kPlanOptionDeviceTexts = 0x1;

/// The lines of `current` that `previous` does not have (`added`) and the lines of `previous`
/// that `current` does not have (`removed`), each under its device; devices without such lines
/// are left out. Panels follow `current`'s panel list.
void DiffBackLists(const BackList& current, const BackList& previous, BackList& added,
                   BackList& removed, DiffOptions options = {});

}  // namespace tervo
