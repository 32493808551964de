#pragma once

// What the TERVO tests share: SQL for small plans and the reading of BK files.

#include <filesystem>
#include <string>
#include <vector>

#include "ListhostSupport.h"

namespace tervotest {

/// A panel of the plan.
inline std::string Panel(int id, const std::string& number, int kind = 0) {
    return "INSERT INTO panel (id, seq, panel_no, name, kind) VALUES (" + std::to_string(id) +
           ", " + std::to_string(id) + ", '" + number + "', 'N" + number + "', " +
           std::to_string(kind) + ");";
}

/// A device of revision 0 whose key, tag and part code are `key`.
inline std::string Device(const std::string& panel, const std::string& key, int revision = 0) {
    return "INSERT INTO device (revision, panel_no, key, tag, part_code, order_key, "
           "address_prefix, address_no) VALUES (" +
           std::to_string(revision) + ", '" + panel + "', '" + key + "', '" + key + "', '" + key +
           "', 1, 'A', '1');";
}

/// A wire end at terminal `terminal` of the device, going to TB1 on its other side.
inline std::string WireEnd(const std::string& panel, const std::string& device,
                           const std::string& terminal, const std::string& colour = "BLK",
                           int revision = 0) {
    return "INSERT INTO wire_end (revision, panel_no, device_key, terminal_no, wire_no, kind, "
           "route_kind, terminal_type, tag1, terminal1, tag2, terminal2, wire_color1, wire_color2) "
           "VALUES (" +
           std::to_string(revision) + ", '" + panel + "', '" + device + "', '" + terminal +
           "', 'W" + terminal + "', 1, 'BANNAI', 'CONV', '" + device + "', '" + terminal +
           "', 'TB1', '" + terminal + "', '" + colour + "', '" + colour + "');";
}

/// The lines of a BK file (Shift_JIS, CR LF), as UTF-8.
inline std::vector<std::string> BkLines(const std::filesystem::path& file) {
    return listhosttest::CrLfLines(listhosttest::ReadShiftJis(file));
}

/// The tab-separated fields of a line, quotes kept.
std::vector<std::string> Fields(const std::string& line);

/// The wire lines of a BK file (lines after a wire-end header up to the empty line), each
/// reduced to its first two fields "terminal|wire number" without quotes, per device tag:
/// "CB1: 1|W1, 2|W2".
std::string Summary(const std::filesystem::path& file);

}  // namespace tervotest
