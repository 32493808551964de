#include "services/wiringplan.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "Store.h"
#include "common/text.h"
#include "services/numtext.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

struct WpPanel {
    int id = 0;
    std::string panelNo;
    std::string name;
    int kind = 0;
    std::vector<int> plates;
};

struct WpPanelList {
    std::vector<const WpPanel*> panels;
};

struct WpDucts {
    struct Entry {
        std::string name;
        int width = 0;
        int type = 0;
    };
    std::vector<Entry> entries;
};

struct WpSettings {
    bool mirrorCorrection = false;
    int usesPlates = 0;
    int option = 0;
};

struct WpData : detail::Handle {
    fs::path project;
    bool open = false;
    std::deque<WpPanel> panels;
    WpPanelList all;
    WpPanelList titled;
    struct Plate {
        std::string name;
        std::string face;
    };
    std::vector<std::pair<int, Plate>> plates;
    struct Row {
        std::string name;
        std::vector<std::string> panelNos;
    };
    std::vector<Row> rows;
    WpDucts ducts;
    WpSettings settings;
};

namespace detail {
/// The project folder a plan was read from (for the back-panel wiring data).
const fs::path* PlanProject(const WpData* data) {
    return data != nullptr && data->open ? &data->project : nullptr;
}
}  // namespace detail

namespace {

bool ReadPlan(sqlite3* db, WpData& data) {
    constexpr std::string_view who = "ZELKOWPW";
    Statement panels(db, "SELECT id, panel_no, name, kind FROM panel ORDER BY seq, id", who);
    while (panels.Step()) {
        data.panels.push_back({static_cast<int>(panels.Int(0)),
                               panels.Text(1),
                               panels.Text(2),
                               static_cast<int>(panels.Int(3)),
                               {}});
    }
    if (!panels.ok() || panels.failed()) {
        return false;
    }
    Statement overlap(db, "SELECT panel.id FROM panel JOIN plate ON plate.id = panel.id LIMIT 1",
                      who);
    if (overlap.Step()) {
        detail::SetLastError("ZELKOWPW: panel and plate share the id " +
                             std::to_string(overlap.Int(0)));
        return false;
    }
    Statement plates(db, "SELECT id, panel_id, name, face FROM plate ORDER BY panel_id, seq, id",
                     who);
    while (plates.Step()) {
        const int id = static_cast<int>(plates.Int(0));
        const int panelId = static_cast<int>(plates.Int(1));
        for (auto& panel : data.panels) {
            if (panel.id == panelId) {
                panel.plates.push_back(id);
            }
        }
        data.plates.push_back({id, {plates.Text(2), plates.Text(3)}});
    }
    Statement rowList(db, "SELECT id, name FROM panel_row ORDER BY seq, id", who);
    std::vector<std::pair<std::int64_t, std::string>> rowIds;
    while (rowList.Step()) {
        rowIds.emplace_back(rowList.Int(0), rowList.Text(1));
    }
    for (const auto& [id, name] : rowIds) {
        WpData::Row row{name, {}};
        Statement member(db, "SELECT panel_no FROM panel WHERE row_id = ? ORDER BY row_seq, seq",
                         who);
        member.Bind(1, id);
        while (member.Step()) {
            row.panelNos.push_back(member.Text(0));
        }
        if (member.failed()) {
            return false;
        }
        data.rows.push_back(std::move(row));
    }
    Statement ducts(db, "SELECT name, width, type FROM duct_type ORDER BY seq", who);
    while (ducts.Step()) {
        data.ducts.entries.push_back(
            {ducts.Text(0), static_cast<int>(ducts.Int(1)), static_cast<int>(ducts.Int(2))});
    }
    Statement settings(db, "SELECT key, value FROM plan_setting", who);
    while (settings.Step()) {
        const std::string key = settings.Text(0);
        const int value = static_cast<int>(settings.Int(1));
        if (key == "mirror_correction") {
            data.settings.mirrorCorrection = value != 0;
        } else if (key == "uses_plates") {
            data.settings.usesPlates = value;
        } else if (key == "plan_option") {
            data.settings.option = value;
        }
    }
    for (const auto* statement : {&plates, &rowList, &ducts, &settings}) {
        if (!statement->ok() || statement->failed()) {
            return false;
        }
    }
    for (const auto& panel : data.panels) {
        data.all.panels.push_back(&panel);
        if (!panel.panelNo.empty()) {
            data.titled.panels.push_back(&panel);
        }
    }
    std::stable_sort(data.titled.panels.begin(), data.titled.panels.end(),
                     [](const WpPanel* a, const WpPanel* b) {
                         return NaturalCompare(a->panelNo, b->panelNo) < 0;
                     });
    return true;
}

const WpData::Row* RowAt(const WpData* data, int row) {
    if (data == nullptr || row < 0 || row >= static_cast<int>(data->rows.size())) {
        return nullptr;
    }
    return &data->rows[static_cast<std::size_t>(row)];
}

}  // namespace

WpData* WpDataInit() {
    return new WpData();
}

void WpDataFree(WpData* data) {
    delete data;
}

bool WpDataOpen(WpData* data, std::string_view folder) {
    if (data == nullptr) {
        return false;
    }
    fs::path project = detail::ProjectOfFolder(folder);
    if (project.empty()) {
        return false;
    }
    auto db = detail::OpenProjectStore(project);
    if (!db) {
        return false;
    }
    WpData fresh;
    fresh.project = project;
    if (!ReadPlan(db.get(), fresh)) {
        return false;
    }
    // The lists point into the panels; moving a deque keeps its elements where they are.
    data->project = std::move(fresh.project);
    data->panels = std::move(fresh.panels);
    data->all = std::move(fresh.all);
    data->titled = std::move(fresh.titled);
    data->plates = std::move(fresh.plates);
    data->rows = std::move(fresh.rows);
    data->ducts = std::move(fresh.ducts);
    data->settings = fresh.settings;
    data->open = true;
    return true;
}

const WpPanelList* WpPanelListOf(const WpData* data) {
    return data != nullptr && data->open ? &data->all : nullptr;
}

const WpPanelList* WpTitlePanelList(const WpData* data) {
    return data != nullptr && data->open ? &data->titled : nullptr;
}

int WpPanelCount(const WpPanelList* list) {
    return list != nullptr ? static_cast<int>(list->panels.size()) : 0;
}

const WpPanel* WpPanelAt(const WpPanelList* list, int index) {
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->panels.size())) {
        return nullptr;
    }
    return list->panels[static_cast<std::size_t>(index)];
}

const WpPanel* WpPanelByName(const WpPanelList* list, std::string_view name) {
    if (list == nullptr) {
        return nullptr;
    }
    for (const auto* panel : list->panels) {
        if (common::EqualsNoCase(panel->name, name)) {
            return panel;
        }
    }
    return nullptr;
}

int WpPanelIdByNumber(const WpPanelList* list, std::string_view panelNo) {
    if (list == nullptr) {
        return 0;
    }
    for (const auto* panel : list->panels) {
        if (common::EqualsNoCase(panel->panelNo, panelNo)) {
            return panel->id;
        }
    }
    return 0;
}

int WpPanelId(const WpPanel* panel) {
    return panel != nullptr ? panel->id : 0;
}

const std::string& WpPanelNo(const WpPanel* panel) {
    static const std::string empty;
    return panel != nullptr ? panel->panelNo : empty;
}

const std::string& WpPanelName(const WpPanel* panel) {
    static const std::string empty;
    return panel != nullptr ? panel->name : empty;
}

int WpPanelKind(const WpPanel* panel) {
    return panel != nullptr ? panel->kind : 0;
}

int WpPlateCount(const WpPanel* panel) {
    return panel != nullptr ? static_cast<int>(panel->plates.size()) : 0;
}

int WpPlateId(const WpPanel* panel, int index) {
    if (panel == nullptr || index < 0 || index >= static_cast<int>(panel->plates.size())) {
        return 0;
    }
    return panel->plates[static_cast<std::size_t>(index)];
}

bool WpPlateInfo(const WpData* data, int plateId, std::string& name, std::string& face) {
    if (data == nullptr) {
        return false;
    }
    for (const auto& [id, plate] : data->plates) {
        if (id == plateId) {
            name = plate.name;
            face = plate.face;
            return true;
        }
    }
    return false;
}

int WpRowCount(const WpData* data) {
    return data != nullptr ? static_cast<int>(data->rows.size()) : 0;
}

bool WpRowName(const WpData* data, int row, std::string& name) {
    const auto* found = RowAt(data, row);
    if (found == nullptr) {
        return false;
    }
    name = found->name;
    return true;
}

int WpRowPanelCount(const WpData* data, int row) {
    const auto* found = RowAt(data, row);
    return found != nullptr ? static_cast<int>(found->panelNos.size()) : 0;
}

bool WpPanelNoAt(const WpData* data, int row, int n, std::string& panelNo) {
    const auto* found = RowAt(data, row);
    if (found == nullptr || n < 0 || n >= static_cast<int>(found->panelNos.size())) {
        return false;
    }
    panelNo = found->panelNos[static_cast<std::size_t>(n)];
    return true;
}

const WpDucts* WpDuctTable(const WpData* data) {
    return data != nullptr && data->open ? &data->ducts : nullptr;
}

int WpDuctCount(const WpDucts* ducts) {
    return ducts != nullptr ? static_cast<int>(ducts->entries.size()) : 0;
}

bool WpDuctAt(const WpDucts* ducts, int index, std::string& name, int& width, int& type) {
    if (ducts == nullptr || index < 0 || index >= static_cast<int>(ducts->entries.size())) {
        return false;
    }
    const auto& entry = ducts->entries[static_cast<std::size_t>(index)];
    name = entry.name;
    width = entry.width;
    type = entry.type;
    return true;
}

const WpSettings* WpPlanSettings(const WpData* data) {
    return data != nullptr && data->open ? &data->settings : nullptr;
}

bool WpMirrorCorrection(const WpSettings* settings) {
    return settings != nullptr && settings->mirrorCorrection;
}

const WpSettings* PlanData(const WpData* plan) {
    return WpPlanSettings(plan);
}

int PlanUsesPlates(const WpSettings* plan) {
    return plan != nullptr ? plan->usesPlates : 0;
}

int PlanOption(const WpSettings* plan) {
    return plan != nullptr ? plan->option : 0;
}

}  // namespace zelko
