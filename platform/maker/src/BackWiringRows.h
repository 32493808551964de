#pragma once

// The rows of the back-wiring tables as the store holds them: which columns a query selects and
// how a selected row becomes a device or a wire end. The whole-revision load and the
// panel-by-panel reader both read through these.

#include <string>
#include <string_view>

#include "Store.h"
#include "services/backwiring.h"

namespace zelko::detail {

/// The selected columns of table device, in the order ReadDevice takes them.
inline constexpr std::string_view kDeviceColumns =
    "panel_no, key, order_key, plate, address_prefix, address_no, unit, tag, part_code, rating, "
    "model";
/// The selected columns of table wire_end, in the order ReadWireEnd takes them.
inline constexpr std::string_view kWireEndColumns =
    "panel_no, device_key, connector, terminal_no, wire_no, kind, route_kind, terminal_type, "
    "part_code, "
    "panel1, tag1, terminal1, dest_prefix1, dest_no1, wire_kind1, wire_size1, wire_color1, "
    "special1, "
    "panel2, tag2, terminal2, dest_prefix2, dest_no2, wire_kind2, wire_size2, wire_color2, "
    "special2";

/// "SELECT <columns> FROM <table> WHERE revision = ? ORDER BY <order>".
inline std::string RevisionQuery(std::string_view columns, std::string_view table,
                                 std::string_view order) {
    return "SELECT " + std::string(columns) + " FROM " + std::string(table) +
           " WHERE revision = ? ORDER BY " + std::string(order);
}

BackDevice ReadDevice(const Statement& row);
BackWireEnd ReadWireEnd(const Statement& row);

}  // namespace zelko::detail
