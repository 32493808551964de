#include "services/backwiring.h"

#include "BackWiringRows.h"
#include "Store.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

namespace detail {
const fs::path* PlanProject(const WpData* data);

BackDevice ReadDevice(const Statement& row) {
    return {row.Text(0), row.Text(1), static_cast<int>(row.Int(2)),
            row.Text(3), row.Text(4), row.Text(5),
            row.Text(6), row.Text(7), row.Text(8),
            row.Text(9), row.Text(10)};
}

BackWireEnd ReadWireEnd(const Statement& row) {
    BackWireEnd end;
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
    return end;
}
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
    Statement devices(db.get(), detail::RevisionQuery(detail::kDeviceColumns, "device", "id"), who);
    devices.Bind(1, std::int64_t{revision});
    while (devices.Step())
        read.devices.push_back(detail::ReadDevice(devices));
    Statement ends(db.get(), detail::RevisionQuery(detail::kWireEndColumns, "wire_end", "id"), who);
    ends.Bind(1, std::int64_t{revision});
    while (ends.Step())
        read.wireEnds.push_back(detail::ReadWireEnd(ends));
    for (const auto* statement : {&devices, &ends}) {
        if (!statement->ok() || statement->failed()) {
            return false;
        }
    }
    wiring = std::move(read);
    return true;
}

}  // namespace zelko
