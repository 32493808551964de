#pragma once

// ZELKOWPW: the wiring plan of a project - panels, rows of panels, plates, the duct table and
// the plan settings. A WpData object reads everything once when it is opened; the panel lists,
// panels, duct table and settings it hands out live as long as it does and need no release of
// their own.

#include <string>
#include <string_view>

namespace zelko {

struct WpData;
struct WpPanelList;
struct WpPanel;
struct WpDucts;
struct WpSettings;

WpData* WpDataInit();
/// Releases the data and everything it handed out.
void WpDataFree(WpData* data);
/// Reads the plan of the project that `folder` belongs to: the open project when `folder` is
/// empty or relative (to its drawing root); for an absolute folder, the project whose folder
/// is `folder` or contains it. False, with MakerLastError(), when there is none or its store
/// cannot be read.
bool WpDataOpen(WpData* data, std::string_view folder);

/// All panels of the plan, in plan order.
const WpPanelList* WpPanelListOf(const WpData* data);
/// The panels as drawing titles name them: the panels with a panel number, ordered by it
/// (natural order).
const WpPanelList* WpTitlePanelList(const WpData* data);
int WpPanelCount(const WpPanelList* list);
/// Null for an index out of range.
const WpPanel* WpPanelAt(const WpPanelList* list, int index);
/// The panel with that name (compared without regard to case), or null.
const WpPanel* WpPanelByName(const WpPanelList* list, std::string_view name);
/// The id of the panel with that number (compared without regard to case), 0 when none.
int WpPanelIdByNumber(const WpPanelList* list, std::string_view panelNo);

/// Panel and plate ids are drawn from one range: a terminal's "panel or plate id" names one of
/// them without doubt.
int WpPanelId(const WpPanel* panel);
const std::string& WpPanelNo(const WpPanel* panel);
const std::string& WpPanelName(const WpPanel* panel);
/// Panel kind; panels of kind 2 carry no back-panel list.
int WpPanelKind(const WpPanel* panel);
int WpPlateCount(const WpPanel* panel);
/// Id of plate `index` of the panel, 0 for an index out of range.
int WpPlateId(const WpPanel* panel, int index);
/// Name and face text ("表面", "裏面") of the plate with that id; false when there is none.
bool WpPlateInfo(const WpData* data, int plateId, std::string& name, std::string& face);

/// Rows of panels (the development drawings are made per row), in plan order.
int WpRowCount(const WpData* data);
bool WpRowName(const WpData* data, int row, std::string& name);
int WpRowPanelCount(const WpData* data, int row);
/// Panel number of member `n` of the row.
bool WpPanelNoAt(const WpData* data, int row, int n, std::string& panelNo);

/// The plan's duct types, in table order: name, width and the type code for the duct-drawing
/// service.
const WpDucts* WpDuctTable(const WpData* data);
int WpDuctCount(const WpDucts* ducts);
bool WpDuctAt(const WpDucts* ducts, int index, std::string& name, int& width, int& type);

/// The plan's settings object and its mirror rule switch.
const WpSettings* WpPlanSettings(const WpData* data);
bool WpMirrorCorrection(const WpSettings* settings);

/// The plan as the list framework hands it to TERVO: 1 when the plan places equipment on
/// plates, and the integer option passed to the revision difference.
const WpSettings* PlanData(const WpData* plan);
int PlanUsesPlates(const WpSettings* plan);
int PlanOption(const WpSettings* plan);

}  // namespace zelko
