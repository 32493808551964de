#include "services/backwiringpanels.h"

#include <optional>

#include "Store.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

namespace detail {
const fs::path* PlanProject(const WpData* data);
}  // namespace detail

namespace {

constexpr std::string_view kWho = "ZELKOWPW";

BackDevice ReadDevice(const Statement& row) {
    return {row.Text(0), row.Text(1), static_cast<int>(row.Int(2)),
            row.Text(3), row.Text(4), row.Text(5),
            row.Text(6), row.Text(7), row.Text(8),
            row.Text(9), row.Text(10)};
}

void ReadWireEnd(const Statement& row, BackWireEnd& end) {
    end.panelNo = row.Text(0);
    end.deviceKey = row.Text(1);
    end.connectorTag = row.Text(2);
    end.terminalNo = row.Text(3);
    end.wireNo = row.Text(4);
    end.kind = static_cast<int>(row.Int(5));
    end.routeKind = row.Text(6);
    end.terminalType = row.Text(7);
    end.partCode = row.Text(8);
    for (int s = 0; s < 2; ++s) {
        const int c = 9 + s * 9;
        end.side[s] = {row.Text(c),     row.Text(c + 1), row.Text(c + 2),
                       row.Text(c + 3), row.Text(c + 4), row.Text(c + 5),
                       row.Text(c + 6), row.Text(c + 7), row.Text(c + 8)};
    }
}

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
                  "SELECT panel_no, key, order_key, plate, address_prefix, address_no, unit, "
                  "tag, part_code, rating, model FROM device WHERE revision = ? "
                  "ORDER BY panel_no COLLATE NOCASE, id",
                  revision),
          ends(db.get(),
               "SELECT panel_no, device_key, connector, terminal_no, wire_no, kind, "
               "route_kind, terminal_type, part_code, "
               "panel1, tag1, terminal1, dest_prefix1, dest_no1, wire_kind1, wire_size1, "
               "wire_color1, special1, "
               "panel2, tag2, terminal2, dest_prefix2, dest_no2, wire_kind2, wire_size2, "
               "wire_color2, special2 FROM wire_end WHERE revision = ? "
               "ORDER BY panel_no COLLATE NOCASE, id",
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
        wiring.devices.push_back(ReadDevice(devices.Row()));
        devices.Advance();
    }
    while (ends.AtRow() && sqlite3_stricmp(ends.Panel().c_str(), panelNo.c_str()) == 0) {
        ReadWireEnd(ends.Row(), wiring.wireEnds.emplace_back());
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
