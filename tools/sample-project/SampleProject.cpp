#include "SampleProject.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <variant>
#include <vector>

#include "SampleDrawings.h"
#include "common/files.h"
#include "common/text.h"
#include "maker/schema.h"

namespace sampleproject {

namespace fs = std::filesystem;

namespace {

using Value = std::variant<std::nullptr_t, std::int64_t, double, std::string>;

/// An SQLite file being written: made under a temporary name and renamed over the target
/// only when everything is in it.
class NewDatabase {
public:
    NewDatabase(const fs::path& target, std::string& error) : m_target(target), m_error(error) {
        m_temp = target;
        m_temp += ".new";
        std::error_code ec;
        fs::remove(m_temp, ec);
        if (sqlite3_open_v2(m_temp.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            Fail("cannot create");
        }
        // The file is made under its temporary name and only renamed into place once
        // complete, so it needs no journal of its own.
        Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
    }
    ~NewDatabase() {
        sqlite3_close_v2(m_db);
        std::error_code ec;
        fs::remove(m_temp, ec);
    }
    NewDatabase(const NewDatabase&) = delete;
    NewDatabase& operator=(const NewDatabase&) = delete;

    bool ok() const { return m_ok; }

    void Exec(std::string_view sql) {
        if (!m_ok) {
            return;
        }
        char* message = nullptr;
        if (sqlite3_exec(m_db, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            Fail(message != nullptr ? message : "exec");
        }
        sqlite3_free(message);
    }

    void Insert(std::string_view sql, const std::vector<Value>& values) {
        if (!m_ok) {
            return;
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
            SQLITE_OK) {
            Fail(sqlite3_errmsg(m_db));
            return;
        }
        int index = 1;
        for (const auto& value : values) {
            if (const auto* number = std::get_if<std::int64_t>(&value)) {
                sqlite3_bind_int64(stmt, index, *number);
            } else if (const auto* real = std::get_if<double>(&value)) {
                sqlite3_bind_double(stmt, index, *real);
            } else if (const auto* text = std::get_if<std::string>(&value)) {
                sqlite3_bind_text(stmt, index, text->data(), static_cast<int>(text->size()),
                                  SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(stmt, index);
            }
            ++index;
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            Fail(sqlite3_errmsg(m_db));
        }
        sqlite3_finalize(stmt);
    }

    /// Closes the file and puts it in place.
    bool Finish() {
        if (!m_ok) {
            return false;
        }
        if (sqlite3_close_v2(m_db) != SQLITE_OK) {
            m_db = nullptr;
            return Fail("cannot close");
        }
        m_db = nullptr;
        // On the disk before it takes the target's place.
        const int fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            return Fail("cannot be written to the disk");
        }
        ::close(fd);
        std::error_code ec;
        fs::rename(m_temp, m_target, ec);
        if (ec) {
            return Fail(common::Describe(ec));
        }
        return true;
    }

private:
    bool Fail(std::string_view why) {
        if (m_ok) {
            m_error = "'" + m_target.string() + "': " + std::string(why);
        }
        m_ok = false;
        return false;
    }

    fs::path m_target;
    fs::path m_temp;
    std::string& m_error;
    sqlite3* m_db = nullptr;
    bool m_ok = true;
};

/// A part of the sample: code, symbols and its terminals with their kinds.
struct Part {
    std::string code;
    std::string name;
    std::string symbol2D;
    std::string symbol3D;
    std::vector<std::string> pins;
    std::vector<std::string> kinds;
};

const std::vector<Part>& Parts() {
    static const std::vector<Part> parts = {
        {"CB-3P",
         "Circuit breaker 3P",
         "'CB-3P.DWG'",
         "CB3P_3D",
         {"1", "2", "3", "4", "5", "6"},
         {"CONV", "CONV", "CONV", "CONV", "CONV", "CONV"}},
        {"MC-9",
         "Contactor 9A",
         "'MC-9.dwg'",
         "MC9_3D",
         {"A1", "A2", "1", "2", "13", "14"},
         {"COIL", "COIL", "CONV", "CONV", "CONV", "CONV"}},
        {"CN-6",
         "Connector 6 poles",
         "CN-6",
         "",
         {"1", "2", "3", "4", "5", "6"},
         {"CONV", "CONV", "CONV", "CONV", "CONV", "CONV"}},
        {"TB-10", "Terminal block 10A", "'TB-10.DWG'", "TB10_3D", {"1"}, {"CONV"}},
        {"RT-2", "Relay terminal 2 pins", "'RT-2.DWG'", "RT2_3D", {"1", "2"}, {"CONV", "CONV"}},
        {"RT-1", "Relay terminal", "RT-1.dwg", "RT1_3D", {"1"}, {"CONV"}},
    };
    return parts;
}

const Part& PartOf(std::string_view code) {
    for (const auto& part : Parts()) {
        if (part.code == code) {
            return part;
        }
    }
    return Parts().front();
}

void WritePartTables(NewDatabase& db) {
    db.Exec(zelko::PartsDatabaseSchema());
    db.Exec("BEGIN");
    for (const auto& part : Parts()) {
        db.Insert("INSERT INTO bom (code, name, bombsym, BOM3DSYM) VALUES (?, ?, ?, ?)",
                  {part.code, part.name, part.symbol2D, part.symbol3D});
        for (std::size_t k = 0; k < part.pins.size(); ++k) {
            db.Insert("INSERT INTO pin (code, bompinval, bompinno, bomkind6) VALUES (?, ?, ?, ?)",
                      {part.code, part.pins[k], static_cast<std::int64_t>(k + 1), part.kinds[k]});
        }
    }
    db.Exec("COMMIT");
}

int PanelId(int p) {
    return p;
}

/// Plate ids follow the panels' range: 100000 + 2p - 1 (front "PL1") and 100000 + 2p (back
/// "PL2").
int PlateId(int p, int plate) {
    return 100000 + 2 * p - 1 + plate;
}

constexpr std::array<const char*, 2> kFaces = {"表面", "裏面"};
constexpr std::array<const char*, 4> kDirections = {"T", "B", "L", "R"};
constexpr std::array<const char*, 3> kComponentParts = {"CB-3P", "MC-9", "CN-6"};
constexpr std::array<const char*, 3> kComponentPrefixes = {"CB", "MC", "X"};
constexpr std::array<const char*, 3> kRouteKinds = {"BANNAI", "DOOR", "BANKAN"};

constexpr std::string_view kInsertTerminal =
    "INSERT INTO terminal (list, revision, owner_id, kind, order_no, panel_no, drawing, tag, "
    "terminal_no, second_name, part_code, type, spec, connector, unit, pin, pin_x, pin_y, pin_z, "
    "wire_dir, tube_dir, wire_code, tube_code, mirrored, mirror_count, terminal_kind, face) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

void WriteTerminals(NewDatabase& db, const Options& options, int p, int revision) {
    const std::string panelNo = PanelNo(p);
    const std::string drawing = "LAYOUT_" + PanelName(p);
    // The previous revision lacks the last component: the plan gained it since.
    const int components = options.componentsPerPanel - (revision == 1 ? 1 : 0);
    for (int c = 1; c <= components; ++c) {
        const int type = (c - 1) % 3;
        const Part& part = PartOf(kComponentParts[type]);
        const std::string tag = kComponentPrefixes[type] + std::to_string(c);
        const int plate = (c - 1) % 2;
        for (std::size_t k = 0; k < part.pins.size(); ++k) {
            const char* direction = kDirections[(c + k) % 4];
            // Every fourth component is mirrored; every fifth one delivers a mirror count.
            // The last terminal of a breaker takes no entry direction.
            const bool directionLess = type == 0 && k + 1 == part.pins.size();
            db.Insert(kInsertTerminal, {std::int64_t{1},
                                        std::int64_t{revision},
                                        std::int64_t{PlateId(p, plate)},
                                        std::int64_t{0},
                                        std::int64_t{-1},
                                        panelNo,
                                        drawing,
                                        tag,
                                        part.pins[k],
                                        nullptr,
                                        part.code,
                                        part.code,
                                        std::string("AC200V"),
                                        type == 2 ? Value(std::string("CN1")) : Value(""),
                                        std::string("U1"),
                                        static_cast<std::int64_t>(k + 1),
                                        5.0 * static_cast<double>(k),
                                        type == 1 ? 10.0 : 0.0,
                                        0.0,
                                        std::string(direction),
                                        k % 2 == 0 ? Value(std::string("B")) : nullptr,
                                        std::string(direction),
                                        k % 2 == 0 ? Value(std::string("B")) : nullptr,
                                        std::int64_t{c % 4 == 0},
                                        std::int64_t{c % 5 == 0},
                                        directionLess ? Value(nullptr) : Value(part.kinds[k]),
                                        std::string(kFaces[static_cast<std::size_t>(plate)])});
        }
    }
    // A terminal-block record of panel p: terminal t at pin `pin`, its pin offset's Y, the
    // default wire and tube code (none when empty), on the front face.
    const auto insertBlockTerminal = [&](const char* tag, int t, int pin, double pinY,
                                         std::string_view wire, std::string_view tube) {
        const auto code = [](std::string_view c) {
            return c.empty() ? Value(nullptr) : Value(std::string(c));
        };
        db.Insert(kInsertTerminal, {std::int64_t{2},
                                    std::int64_t{revision},
                                    std::int64_t{PlateId(p, 0)},
                                    std::int64_t{0},
                                    std::int64_t{-1},
                                    panelNo,
                                    drawing,
                                    std::string(tag),
                                    std::to_string(t),
                                    nullptr,
                                    std::string("TB-10"),
                                    std::string("UK5N"),
                                    std::string("600V 10A"),
                                    std::string(""),
                                    std::string("U1"),
                                    static_cast<std::int64_t>(pin),
                                    0.0,
                                    pinY,
                                    0.0,
                                    code(wire),
                                    code(tube),
                                    code(wire),
                                    code(tube),
                                    std::int64_t{0},
                                    std::int64_t{0},
                                    std::string("CONV"),
                                    std::string(kFaces[0])});
    };
    for (int t = 1; t <= options.blockTerminalsPerPanel; ++t)
        insertBlockTerminal("TB1", t, t, -6.0 * (t - 1), kDirections[t % 2 == 0 ? 2 : 3], "");
    // TB2, one symbol per terminal, wire from the top and tube from the bottom by default.
    for (int t = 1; t <= options.singleTerminalsPerPanel; ++t)
        insertBlockTerminal("TB2", t, 1, 0.0, "T", "B");
    for (int r = 1; r <= options.relayTerminalsPerPanel; ++r) {
        const int kind = (r - 1) % 3 + 1;
        const std::string tag = std::array{"XT", "XD", "XK"}[kind - 1] + std::string("1");
        const int number = (r - 1) / 3 + 1;
        // Relay terminals of the door sit on the back plate; every third has no order number,
        // so terminal numbers decide among them.
        const int plate = kind == 2 ? 1 : 0;
        const std::string part = number % 2 == 1 ? "RT-2" : "RT-1";
        db.Insert(kInsertTerminal, {std::int64_t{3},
                                    std::int64_t{revision},
                                    std::int64_t{PlateId(p, plate)},
                                    std::int64_t{kind},
                                    std::int64_t{number % 3 == 0 ? -1 : number},
                                    panelNo,
                                    drawing,
                                    tag,
                                    std::to_string(number),
                                    tag + "-" + std::to_string(number),
                                    part,
                                    std::string("UT4"),
                                    std::string("800V 32A"),
                                    std::string(""),
                                    std::string("U1"),
                                    std::int64_t{1},
                                    0.0,
                                    0.0,
                                    0.0,
                                    nullptr,
                                    nullptr,
                                    nullptr,
                                    nullptr,
                                    std::int64_t{0},
                                    std::int64_t{0},
                                    std::string("CONV"),
                                    std::string(kFaces[static_cast<std::size_t>(plate)])});
    }
}

void WriteWiring(NewDatabase& db, const Options& options, int p, int revision) {
    const std::string panelNo = PanelNo(p);
    const int components = options.componentsPerPanel - (revision == 1 ? 1 : 0);
    for (int c = 1; c <= components; ++c) {
        const int type = (c - 1) % 3;
        const Part& part = PartOf(kComponentParts[type]);
        const std::string tag = kComponentPrefixes[type] + std::to_string(c);
        db.Insert(
            "INSERT INTO device (revision, panel_no, key, order_key, plate, address_prefix, "
            "address_no, unit, tag, part_code, rating, model) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {std::int64_t{revision}, panelNo, tag, std::int64_t{1},
             std::string(c % 2 == 1 ? "PL1" : "PL2"), std::string("A"), std::to_string(c),
             std::string("U1"), tag, part.code, std::string("AC200V"), part.name});
        for (std::size_t k = 0; k < part.pins.size(); ++k) {
            const int route = static_cast<int>((c + k) % 3);
            const int block = (c - 1) * 2 + static_cast<int>(k) % 2 + 1;
            // Revision 1 had the first wire of each panel in another colour.
            const bool recoloured = revision == 1 && c == 1 && k == 0;
            const std::string otherPanel = route == 2 ? PanelNo(p % options.panels + 1) : panelNo;
            db.Insert(
                "INSERT INTO wire_end (revision, panel_no, device_key, connector, terminal_no, "
                "wire_no, kind, route_kind, terminal_type, part_code, "
                "panel1, tag1, terminal1, dest_prefix1, dest_no1, wire_kind1, wire_size1, "
                "wire_color1, special1, panel2, tag2, terminal2, dest_prefix2, dest_no2, "
                "wire_kind2, wire_size2, wire_color2, special2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {std::int64_t{revision},
                 panelNo,
                 tag,
                 std::string(type == 2 ? "CN1" : ""),
                 part.pins[k],
                 std::to_string(p * 1000 + c * 10 + static_cast<int>(k)),
                 std::int64_t{1},
                 std::string(kRouteKinds[static_cast<std::size_t>(route)]),
                 part.kinds[k],
                 part.code,
                 panelNo,
                 tag,
                 part.pins[k],
                 std::string(""),
                 std::string(""),
                 std::string("IV"),
                 std::string("1.25"),
                 std::string(recoloured ? "RED" : "BLK"),
                 std::string(""),
                 otherPanel,
                 route == 2 ? "XK1" : std::string("TB1"),
                 std::to_string(block),
                 route == 1 ? Value(std::string("D")) : Value(""),
                 route == 1 ? Value(std::to_string(block)) : Value(""),
                 std::string("IV"),
                 std::string("1.25"),
                 std::string(recoloured ? "RED" : "BLK"),
                 std::string(k == 0 ? "T" : "")});
        }
    }
}

bool WriteIni(const fs::path& file, std::string& error) {
    std::string text;
    common::AppendLine(text, "[LAYOUT]");
    common::AppendLine(text, "DIRECTION12=1");
    common::AppendLine(text, "NO_BOM_XY=0");
    if (auto ec = common::WriteFileAtomically(file, text)) {
        error = "'" + file.string() + "': " + common::Describe(ec);
        return false;
    }
    return true;
}

}  // namespace

std::string PanelNo(int p) {
    return "P" + std::to_string(p);
}

std::string PanelDrawing(int p) {
    return "PANEL/" + PanelName(p) + ".dwg";
}

std::string DoorDrawing(int p) {
    return "PANEL/" + PanelName(p) + "_DOOR.dwg";
}

int RowCount(const Options& options) {
    return (options.panels + options.panelsPerRow - 1) / options.panelsPerRow;
}

int RowOf(int p, const Options& options) {
    return (p - 1) / options.panelsPerRow + 1;
}

std::string RowName(int r) {
    return "ROW" + std::to_string(r);
}

std::string PanelName(int p) {
    std::string number = std::to_string(p);
    return "P" + std::string(number.size() < 2 ? 2 - number.size() : 0, '0') + number;
}

int TerminalsPerPanel(const Options& options) {
    return options.componentsPerPanel * 6 + options.blockTerminalsPerPanel +
           options.singleTerminalsPerPanel + options.relayTerminalsPerPanel;
}

bool WriteInstallation(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder / "BOM", ec);
    fs::create_directories(folder / "SUPPORT", ec);
    fs::create_directories(folder / "SYMBOL", ec);
    if (ec) {
        error = "'" + folder.string() + "': " + common::Describe(ec);
        return false;
    }
    NewDatabase parts(folder / "BOM" / "ZELKOBOM.sqlite", error);
    WritePartTables(parts);
    return parts.Finish() && WriteSupportDrawings(folder, error);
}

bool WriteProject(const fs::path& folder, const Options& options, std::string& error) {
    std::error_code ec;
    const fs::path layout = folder / "DWG" / "LAYOUT";
    fs::create_directories(layout, ec);
    fs::create_directories(folder / "FT_OUTPUT", ec);
    if (ec) {
        error = "'" + folder.string() + "': " + common::Describe(ec);
        return false;
    }
    if (!WriteIni(folder / "ZELKOWP.ini", error)) {
        return false;
    }
    NewDatabase wiring(layout / "LAYOUT.mdb", error);
    WritePartTables(wiring);
    if (!wiring.Finish()) {
        return false;
    }

    // The drawings first: the store keeps route cuts by the handles they got.
    std::vector<RouteCutSample> cuts;
    if (!WriteLayoutDrawings(folder, options, cuts, error)) {
        return false;
    }
    NewDatabase db(folder / "ZELKOPRJ.sqlite", error);
    db.Exec(zelko::ProjectStoreSchema());
    db.Exec("BEGIN");
    const std::string previous = options.previousRevision ? "2" : "0";
    for (auto [key, value] :
         std::array<std::pair<const char*, std::string>, 4>{{{"name", folder.filename().string()},
                                                             {"data_version", "25.00"},
                                                             {"revision_state.0", previous},
                                                             {"revision_state2.1", previous}}}) {
        db.Insert("INSERT INTO project (key, value) VALUES (?, ?)", {std::string(key), value});
    }
    for (int r = 1; r <= RowCount(options); ++r) {
        db.Insert("INSERT INTO panel_row (id, seq, name) VALUES (?, ?, ?)",
                  {std::int64_t{r}, std::int64_t{r}, RowName(r)});
    }
    for (int p = 1; p <= options.panels; ++p) {
        const int row = RowOf(p, options);
        db.Insert(
            "INSERT INTO panel (id, seq, panel_no, name, kind, row_id, row_seq) "
            "VALUES (?, ?, ?, ?, ?, ?, ?)",
            {std::int64_t{PanelId(p)}, std::int64_t{p}, PanelNo(p), PanelName(p), std::int64_t{0},
             std::int64_t{row}, std::int64_t{p}});
        for (int plate = 0; plate < 2; ++plate) {
            db.Insert("INSERT INTO plate (id, panel_id, seq, name, face) VALUES (?, ?, ?, ?, ?)",
                      {std::int64_t{PlateId(p, plate)}, std::int64_t{PanelId(p)},
                       std::int64_t{plate + 1}, "PL" + std::to_string(plate + 1),
                       std::string(kFaces[static_cast<std::size_t>(plate)])});
        }
        for (const std::string& drawing : {PanelDrawing(p), DoorDrawing(p)}) {
            db.Insert("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 2, ?, 64)",
                      {drawing, PanelNo(p)});
        }
        for (int revision = 0; revision <= (options.previousRevision ? 1 : 0); ++revision) {
            WriteTerminals(db, options, p, revision);
            WriteWiring(db, options, p, revision);
        }
    }
    db.Insert("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 1, '', 0)",
              {std::string("SCHEMATIC/S001.dwg")});
    for (const auto& [seq, name, width, type] :
         std::array<std::tuple<int, const char*, int, int>, 3>{
             {{1, "HD-40", 40, 1}, {2, "HD-60", 60, 1}, {3, "", 60, 2}}}) {
        db.Insert("INSERT INTO duct_type (seq, name, width, type) VALUES (?, ?, ?, ?)",
                  {std::int64_t{seq}, std::string(name), std::int64_t{width}, std::int64_t{type}});
    }
    for (const auto& [key, value] : std::array<std::pair<const char*, int>, 4>{
             {{"mirror_correction", 1}, {"uses_plates", 1}, {"plan_option", 0}, {"3d_level", 3}}}) {
        db.Insert("INSERT INTO plan_setting (key, value) VALUES (?, ?)",
                  {std::string(key), std::int64_t{value}});
    }
    for (const RouteCutSample& cut : cuts) {
        db.Insert("INSERT INTO route_cut (page, handle, seq, number) VALUES (?, ?, ?, ?)",
                  {cut.page, cut.handle, std::int64_t{cut.seq}, std::int64_t{cut.number}});
    }
    db.Exec("COMMIT");
    return db.Finish();
}

}  // namespace sampleproject
