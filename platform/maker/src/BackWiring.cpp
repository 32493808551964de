#include "services/backwiring.h"

#include "Store.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

namespace detail {
const fs::path* PlanProject(const WpData* data);
}  // namespace detail

bool BackWiringLoad(const WpData* plan, int revision, BackWiring& wiring) {
    const fs::path* project = detail::PlanProject(plan);
    if (project == nullptr) {
        detail::SetLastError("ZELKOWPW: the wiring plan is not open");
        return false;
    }
    auto db = detail::OpenProjectStore(*project);
    if (!db) {
        return false;
    }
    constexpr std::string_view who = "ZELKOWPW";
    BackWiring read;
    Statement devices(db.get(),
                      "SELECT panel_no, key, order_key, plate, address_prefix, address_no, unit, "
                      "tag, part_code, rating, model FROM device WHERE revision = ? ORDER BY id",
                      who);
    devices.Bind(1, std::int64_t{revision});
    while (devices.Step()) {
        read.devices.push_back({devices.Text(0), devices.Text(1), static_cast<int>(devices.Int(2)),
                                devices.Text(3), devices.Text(4), devices.Text(5), devices.Text(6),
                                devices.Text(7), devices.Text(8), devices.Text(9),
                                devices.Text(10)});
    }
    Statement ends(db.get(),
                   "SELECT panel_no, device_key, connector, terminal_no, wire_no, kind, "
                   "route_kind, terminal_type, part_code, "
                   "panel1, tag1, terminal1, dest_prefix1, dest_no1, wire_kind1, wire_size1, "
                   "wire_color1, special1, "
                   "panel2, tag2, terminal2, dest_prefix2, dest_no2, wire_kind2, wire_size2, "
                   "wire_color2, special2 FROM wire_end WHERE revision = ? ORDER BY id",
                   who);
    ends.Bind(1, std::int64_t{revision});
    while (ends.Step()) {
        BackWireEnd end;
        end.panelNo = ends.Text(0);
        end.deviceKey = ends.Text(1);
        end.connectorTag = ends.Text(2);
        end.terminalNo = ends.Text(3);
        end.wireNo = ends.Text(4);
        end.kind = static_cast<int>(ends.Int(5));
        end.routeKind = ends.Text(6);
        end.terminalType = ends.Text(7);
        end.partCode = ends.Text(8);
        for (int s = 0; s < 2; ++s) {
            const int c = 9 + s * 9;
            auto& side = end.side[s];
            side = {ends.Text(c),     ends.Text(c + 1), ends.Text(c + 2),
                    ends.Text(c + 3), ends.Text(c + 4), ends.Text(c + 5),
                    ends.Text(c + 6), ends.Text(c + 7), ends.Text(c + 8)};
        }
        read.wireEnds.push_back(std::move(end));
    }
    for (const auto* statement : {&devices, &ends}) {
        if (!statement->ok() || statement->failed()) {
            return false;
        }
    }
    wiring = std::move(read);
    return true;
}

}  // namespace zelko
