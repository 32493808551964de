#include "services/backwiringpanels.h"

#include <optional>

#include "BackWiringRows.h"
#include "Store.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

namespace detail {
const fs::path* PlanProject(const WpData* data);
}  // namespace detail

namespace {

constexpr std::string_view kWho = "ZELKOWPW";

/// One statement read ahead by a row: the panel number of the row it stands on.
class Stream {
public:
    Stream(sqlite3* db, std::string_view sql, int revision) : m_statement(db, sql, kWho) {
        if (m_statement.ok()) {
            m_statement.Bind(1, std::int64_t{revision});
            Advance();
        }
    }
    bool ok() const { return m_statement.ok() && !m_statement.failed(); }
    bool AtRow() const { return m_panel.has_value(); }
    const std::string& Panel() const { return *m_panel; }
    const Statement& Row() const { return m_statement; }
    void Advance() {
        m_panel.reset();
        if (m_statement.Step()) {
            m_panel = m_statement.Text(0);
        }
    }

private:
    Statement m_statement;
    std::optional<std::string> m_panel;
};

}  // namespace

struct BackWiringPanels : detail::Handle {
    BackWiringPanels(detail::Connection connection, int revision)
        : db(std::move(connection)),
          devices(db.get(),
                  detail::RevisionQuery(detail::kDeviceColumns, "device",
                                        "panel_no COLLATE NOCASE, id"),
                  revision),
          ends(db.get(),
               detail::RevisionQuery(detail::kWireEndColumns, "wire_end",
                                     "panel_no COLLATE NOCASE, id"),
               revision) {}

    detail::Connection db;
    Stream devices;
    Stream ends;
};

BackWiringPanels* BackWiringOpenPanels(const WpData* plan, int revision) {
    const fs::path* project = detail::PlanProject(plan);
    if (project == nullptr) {
        detail::SetLastError("ZELKOWPW: the wiring plan is not open");
        return nullptr;
    }
    auto db = detail::OpenProjectStore(*project);
    if (!db) {
        return nullptr;
    }
    auto* panels = new BackWiringPanels(std::move(db), revision);
    if (!panels->devices.ok() || !panels->ends.ok()) {
        delete panels;
        return nullptr;
    }
    return panels;
}

bool BackWiringNextPanel(BackWiringPanels* panels, std::string& panelNo, BackWiring& wiring) {
    wiring.devices.clear();
    wiring.wireEnds.clear();
    if (panels == nullptr || BackWiringPanelsFailed(panels)) {
        return false;
    }
    Stream& devices = panels->devices;
    Stream& ends = panels->ends;
    if (!devices.AtRow() && !ends.AtRow()) {
        return false;
    }
    // The smaller of the two panel numbers in the store's order.
    if (!ends.AtRow() ||
        (devices.AtRow() && sqlite3_stricmp(devices.Panel().c_str(), ends.Panel().c_str()) <= 0)) {
        panelNo = devices.Panel();
    } else {
        panelNo = ends.Panel();
    }
    while (devices.AtRow() && sqlite3_stricmp(devices.Panel().c_str(), panelNo.c_str()) == 0) {
        wiring.devices.push_back(detail::ReadDevice(devices.Row()));
        devices.Advance();
    }
    while (ends.AtRow() && sqlite3_stricmp(ends.Panel().c_str(), panelNo.c_str()) == 0) {
        wiring.wireEnds.push_back(detail::ReadWireEnd(ends.Row()));
        ends.Advance();
    }
    return !BackWiringPanelsFailed(panels);
}

bool BackWiringPanelsFailed(const BackWiringPanels* panels) {
    return panels == nullptr || !panels->devices.ok() || !panels->ends.ok();
}

void BackWiringPanelsFree(BackWiringPanels* panels) {
    delete panels;
}

}  // namespace zelko
