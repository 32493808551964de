// The BK files that TERVO writes through listhost: their text (columns, quoting, CR LF,
// Shift_JIS), their orders, which panels get a file, and the difference files.

#include <gtest/gtest.h>

#include <regex>

#include "SampleProject.h"
#include "TervoSupport.h"

namespace {

namespace fs = std::filesystem;
using listhosttest::Workplace;
using testsupport::ListFolder;
using namespace tervotest;

constexpr const char* kDeviceHeader =
    "面\t配置アドレス\t装置ユニット\t器具番号\t部品コード\t定格\t型式";
constexpr const char* kWireHeader =
    "端子No\t線番\t器具番号１\t器具番号２\t行先１\t行先２\t線種１\t線種２\t電線サイズ１\t電線サイズ"
    "２\t電線色１\t電線色２\t特殊１\t特殊２";

/// `header` without the columns named in `left`.
std::string Without(std::string header, std::initializer_list<const char*> left) {
    for (const char* column : left) {
        const std::string field = column;
        if (header.starts_with(field + "\t")) {
            header.erase(0, field.size() + 1);
        } else {
            header.erase(header.find("\t" + field), field.size() + 1);
        }
    }
    return header;
}

fs::path Bk(const fs::path& project) {
    return project / "FT_OUTPUT" / "BK";
}

TEST(BkLists, SampleProjectListsAndDifferencesAndTheFirstRunInOld) {
    Workplace work;
    const fs::path project = work.dir() / "SAMPLE";
    std::string error;
    ASSERT_TRUE(sampleproject::WriteInstallation(work.install(), error)) << error;
    ASSERT_TRUE(sampleproject::WriteProject(project, {}, error)) << error;

    auto first = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_NE(first.out.find("バック図情報を実行します。\nフォーマット番号: 1.00\n"),
              std::string::npos);
    EXPECT_TRUE(first.out.ends_with("progress 100%\n成功しました。\n")) << first.out;
    std::string names;
    for (int p = 1; p <= 5; ++p) {
        const std::string n = std::to_string(p);
        names += "BK_P" + n + ".txt BK_P" + n + "_ADD.txt BK_P" + n + "_SUB.txt ";
    }
    ASSERT_EQ(ListFolder(Bk(project)), names + "OLD");

    // Shift_JIS bytes on disk: "面" is 96 CA, "端子" 92 5B 8E 71.
    const std::string raw = testsupport::ReadBytes(Bk(project) / "BK_P1.txt");
    EXPECT_TRUE(raw.starts_with("\x96\xCA\t")) << raw.substr(0, 8);
    EXPECT_NE(raw.find("\r\n\x92\x5B\x8E\x71No\t"), std::string::npos);

    const auto lines = BkLines(Bk(project) / "BK_P1.txt");
    EXPECT_EQ(lines.at(0), kDeviceHeader);
    EXPECT_EQ(lines.at(1),
              "\"PL1\"\t\"A1\"\t\"U1\"\t\"CB1\"\t\"CB-3P\"\t\"AC200V\"\t\"Circuit "
              "breaker 3P\"");
    EXPECT_EQ(lines.at(2), kWireHeader);
    EXPECT_EQ(lines.at(3),
              "\"1\"\t\"1010\"\t\"CB1\"\t\"TB1\"\t\"CB1:1\"\t\"D1-1\"\t\"IV\"\t\"IV\""
              "\t\"1.25\"\t\"1.25\"\t\"BLK\"\t\"BLK\"\t\"\"\t\"T\"");
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(Summary(Bk(project) / "BK_P1.txt").substr(0, 60),
              "CB1: 1|1010, 2|1011, 3|1012, 4|1013, 5|1014, 6|1015; MC2: 1|");

    // The previous revision had CB1's first wire in red and no X6.
    EXPECT_EQ(Summary(Bk(project) / "BK_P1_SUB.txt"), "CB1: 1|1010");
    EXPECT_EQ(Summary(Bk(project) / "BK_P1_ADD.txt"),
              "CB1: 1|1010; X6: CN1:1|1060, CN1:2|1061, CN1:3|1062, CN1:4|1063, CN1:5|1064, "
              "CN1:6|1065");
    EXPECT_NE(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_SUB.txt").find("\"RED\"\t\"RED\""),
              std::string::npos);
    EXPECT_EQ(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_ADD.txt").find("\"RED\""),
              std::string::npos);

    // TERVO's log: timestamped lines in the temporary folder.
    const auto log =
        listhosttest::CrLfLines(listhosttest::ReadShiftJis(work.tmp() / "TervoLog.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        log[0], std::regex(R"(\[\d{4}/\d\d/\d\d-\d\d:\d\d:\d\d\] Tervo: .*BK \(all\))")))
        << log[0];
    EXPECT_TRUE(log[1].ends_with("] Tervo: result 0")) << log[1];

    std::map<std::string, std::string> firstRun;
    for (const auto& entry : fs::directory_iterator(Bk(project))) {
        if (entry.is_regular_file()) {
            firstRun[entry.path().filename().string()] = testsupport::ReadBytes(entry.path());
        }
    }
    auto second = work.Listhost({"--yes", "--panels", "P2", project.string(), "Tervo"});
    ASSERT_EQ(second.status, 0) << second.out << second.err;
    EXPECT_EQ(ListFolder(Bk(project)), "BK_P2.txt BK_P2_ADD.txt BK_P2_SUB.txt OLD");
    EXPECT_EQ(ListFolder(Bk(project) / "OLD"), names.substr(0, names.size() - 1));
    for (const auto& [name, bytes] : firstRun) {
        EXPECT_EQ(testsupport::ReadBytes(Bk(project) / "OLD" / name), bytes) << name;
    }
    EXPECT_EQ(testsupport::ReadBytes(Bk(project) / "BK_P2.txt"), firstRun["BK_P2.txt"]);
}

TEST(BkLists, ColumnsFollowTheWireKindSettingAndThePlates) {
    const std::string plan = Panel(1, "P1") + Device("P1", "K1") + WireEnd("P1", "K1", "1");
    struct Case {
        const char* why;
        std::optional<unsigned> setting;
        const char* version;
        bool plates;
        bool wireKinds;
    } cases[] = {
        {"setting 1 beats an old project", 1, "24.0", true, true},
        {"another non-zero setting turns them off", 2, "25.00", false, false},
        {"no setting: a 25.0 project has them", std::nullopt, "25.00", true, true},
        {"no setting: an older project has not", std::nullopt, "24.9", false, false},
        {"setting 0 asks the project", 0, "24.9", true, false},
    };
    for (const auto& c : cases) {
        Workplace work;
        work.SetWireKindSetting(c.setting);
        const fs::path project = work.dir() / "PRJ";
        listhosttest::MakeProject(project, c.version, c.plates, plan);
        auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
        ASSERT_EQ(run.status, 0) << c.why << run.err;
        const auto lines = BkLines(Bk(project) / "BK_P1.txt");
        ASSERT_EQ(lines.size(), 5u) << c.why;
        EXPECT_EQ(lines[0], c.plates ? kDeviceHeader : Without(kDeviceHeader, {"面"})) << c.why;
        EXPECT_EQ(Fields(lines[1]).size(), c.plates ? 7u : 6u) << c.why;
        EXPECT_EQ(lines[2], c.wireKinds ? kWireHeader : Without(kWireHeader, {"線種１", "線種２"}))
            << c.why;
        EXPECT_EQ(Fields(lines[3]).size(), c.wireKinds ? 14u : 12u) << c.why;
    }
}

TEST(BkLists, TheSettingsFileIsReadAsTheRegistryWouldBe) {
    const std::string plan = Panel(1, "P1") + Device("P1", "K1") + WireEnd("P1", "K1", "1");
    struct Case {
        const char* why;
        const char* file;
        bool wireKinds;
    } cases[] = {
        {"key and name in other case, a trailing separator",
         "# set by the administrator\n[software\\brindlex\\parameters\\bypassverchk\\]\n"
         "TERVO_SENSYU = DWORD:00000002\n",
         false},
        {"the value under another key",
         "[SOFTWARE\\Brindlex\\Parameters\\Other]\r\n"
         "Tervo_SENSYU=dword:00000002\r\n",
         true},
        {"a value that is no DWORD",
         "[SOFTWARE\\Brindlex\\Parameters\\BypassVerChk]\nTervo_SENSYU=\"2\"\n", true},
        {"a malformed file", "[SOFTWARE\\Brindlex\\Parameters\\BypassVerChk]\nTervo_SENSYU 2\n",
         true},
    };
    for (const auto& c : cases) {
        Workplace work;
        testsupport::WriteBytes(work.registry(), c.file);
        const fs::path project = work.dir() / "PRJ";
        listhosttest::MakeProject(project, "25.00", false, plan);
        ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);
        EXPECT_EQ(Fields(BkLines(Bk(project) / "BK_P1.txt").at(3)).size(), c.wireKinds ? 14u : 12u)
            << c.why;
    }
}

TEST(BkLists, ValueLinesQuoteEveryValueAndNameTheDestinations) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(
        project, "25.00", true,
        Panel(1, "P1") +
            "INSERT INTO device (panel_no, key, plate, address_prefix, address_no, unit, tag, "
            "part_code, rating, model) VALUES ('P1', 'K1', '表面', 'B', '07', 'U' || char(13) || "
            "char(10) || '1', 'MC1', '\"MC-9\"', 'AC200V', '7\" rack\tmount');"
            "INSERT INTO wire_end (panel_no, device_key, connector, terminal_no, wire_no, kind, "
            "route_kind, terminal_type, panel1, tag1, terminal1, dest_prefix1, dest_no1, "
            "wire_kind1, wire_size1, wire_color1, special1, panel2, tag2, terminal2, dest_prefix2, "
            "dest_no2, wire_kind2, wire_size2, wire_color2, special2) VALUES "
            "('P1', 'K1', '', '1', '101', 1, 'DOOR', 'CONV', 'P1', 'MC1', '1', '', '', 'IV', "
            "'2.0', 'BLK', '', 'P1', 'RT', '3', 'D', '007', 'KIV', '1.25', 'WHT', 'S'),"
            "('P1', 'K1', 'CN1', '2', '102', 1, 'BANKAN', 'CONV', 'P1', '', '2', '', '', '', '', "
            "'', '', 'P2', 'XK', '1', 'R', '5', '', '', '', ''),"
            "('P1', 'K1', '', '3', '103', 1, 'BANNAI', 'CONV', 'P1', 'MC1', '3', '', '', '', '', "
            "'', '', '', '', '', '', '', '', '', '', '');");
    ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);
    const auto lines = BkLines(Bk(project) / "BK_P1.txt");
    ASSERT_EQ(lines.size(), 7u);
    // Inside the quotes a value stays as it is (the readers strip the outer quotes only); a
    // tab or line break becomes a blank.
    EXPECT_EQ(lines[1],
              "\"表面\"\t\"B07\"\t\"U  1\"\t\"MC1\"\t\"\"MC-9\"\"\t\"AC200V\"\t\"7\" rack "
              "mount\"");
    EXPECT_EQ(lines[3],
              "\"1\"\t\"101\"\t\"MC1\"\t\"RT\"\t\"MC1:1\"\t\"D7-3\"\t\"IV\"\t\"KIV\"\t"
              "\"2.0\"\t\"1.25\"\t\"BLK\"\t\"WHT\"\t\"\"\t\"S\"");
    // Terminals without a connector come first.
    EXPECT_EQ(Fields(lines[4]).at(0), "\"3\"");
    EXPECT_EQ(Fields(lines[4]).at(5), "\"-\"");  // an empty end
    EXPECT_EQ(Fields(lines[5]).at(0), "\"CN1:2\"");
    EXPECT_EQ(Fields(lines[5]).at(4), "\"2\"");       // no tag: the terminal alone
    EXPECT_EQ(Fields(lines[5]).at(5), "\"P2R5-1\"");  // numbered, between panels
    EXPECT_EQ(lines[6], "");
}

TEST(BkLists, NumberTextsAreReadByTheirLeadingDigits) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    // Address numbers order the devices by their leading digits only; destination numbers are
    // written as the value of their leading digits.
    auto device = [](const char* key, const char* number) {
        return "INSERT INTO device (panel_no, key, tag, address_prefix, address_no) VALUES "
               "('P1', '" +
               std::string(key) + "', '" + key + "', 'A', '" + number + "');";
    };
    auto end = [](const char* key, const char* terminal, const char* destNo) {
        return "INSERT INTO wire_end (panel_no, device_key, terminal_no, wire_no, route_kind, "
               "tag2, terminal2, dest_prefix2, dest_no2) VALUES ('P1', '" +
               std::string(key) + "', '" + terminal + "', 'W', 'BANNAI', 'RT', '3', 'D', '" +
               destNo + "');";
    };
    listhosttest::MakeProject(
        project, "25.00", true,
        Panel(1, "P1") + device("K10", "10") + device("K3", "3") + device("K2e1", "2e1") +
            device("K1e400", "1e400") + device("K0", "x9") + end("K3", "1", "5e1") +
            end("K3", "2", "1e400") + end("K3", "3", "12.9") + end("K3", "4", "007") +
            end("K3", "5", "99999999999999999999") + end("K3", "6", "-2"));
    auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Summary(Bk(project) / "BK_P1.txt"),
              "K0:; K1e400:; K2e1:; K3: 1|W, 2|W, 3|W, 4|W, "
              "5|W, 6|W; K10:");
    std::vector<std::string> destinations;
    for (const auto& line : BkLines(Bk(project) / "BK_P1.txt")) {
        if (line.starts_with("\"") && Fields(line).size() == 14) {
            destinations.push_back(Fields(line).at(5));
        }
    }
    EXPECT_EQ(destinations,
              (std::vector<std::string>{"\"D5-3\"", "\"D1-3\"", "\"D12-3\"", "\"D7-3\"",
                                        "\"D9223372036854775807-3\"", "\"D-2-3\""}));
}

TEST(BkLists, DifferenceFilesShowWiringChangesNotNewDeviceTexts) {
    // Now and before, devices that keep their wiring: K1 with another rating, model, part
    // code, unit, address and order key; K3 the same, and one wire in another colour; K2 with
    // another tag (a renamed device: its wires now go to K2X).
    auto device = [](int revision, const char* key, const char* tag, int order, const char* rest) {
        return "INSERT INTO device (revision, panel_no, key, tag, order_key, part_code, rating, "
               "model, unit, address_prefix, address_no) VALUES (" +
               std::to_string(revision) + ", 'P1', '" + key + "', '" + tag + "', " +
               std::to_string(order) + ", " + rest + ");";
    };
    const std::string now = device(0, "K1", "K1", 1, "'CB-3P', 'AC200V', 'new', 'U1', 'A', '1'") +
                            device(0, "K2", "K2X", 1, "'', '', '', '', 'A', '2'") +
                            device(0, "K3", "K3", 1, "'MC', 'AC24V', 'new', 'U1', 'A', '3'");
    const std::string before =
        device(1, "K1", "k1", 2, "'CB-2P', 'AC100V', 'old', 'U2', 'B', '9'") +
        device(1, "K2", "K2", 1, "'', '', '', '', 'A', '2'") +
        device(1, "K3", "K3", 1, "'MC', 'AC24V', 'old', 'U1', 'A', '3'");
    std::string ends;
    for (const char* key : {"K1", "K2", "K3"}) {
        for (int revision : {0, 1}) {
            ends +=
                WireEnd("P1", key, "1", "BLK", revision) + WireEnd("P1", key, "2", "BLK", revision);
        }
    }
    ends += WireEnd("P1", "K3", "3", "WHT", 0) + WireEnd("P1", "K3", "3", "RED", 1);
    struct Case {
        const char* why;
        int planOption;
        const char* added;
        const char* removed;
    } cases[] = {
        {"the device's key and tag name it", 0, "K2X: 1|W1, 2|W2; K3: 3|W3",
         "K2: 1|W1, 2|W2; K3: 3|W3"},
        {"the plan's option: every text of a device counts", 1,
         "K1: 1|W1, 2|W2; K2X: 1|W1, 2|W2; K3: 1|W1, 2|W2, 3|W3",
         "K2: 1|W1, 2|W2; K3: 1|W1, 2|W2, 3|W3; k1: 1|W1, 2|W2"},
    };
    for (const auto& c : cases) {
        Workplace work;
        const fs::path project = work.dir() / "PRJ";
        listhosttest::MakeProject(project, "25.00", true,
                                  "INSERT INTO project VALUES ('revision_state.0', '2');"
                                  "INSERT INTO plan_setting VALUES ('plan_option', " +
                                      std::to_string(c.planOption) + ");" + Panel(1, "P1") + now +
                                      before + ends);
        auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
        ASSERT_EQ(run.status, 0) << c.why << run.err;
        EXPECT_EQ(Summary(Bk(project) / "BK_P1_ADD.txt"), c.added) << c.why;
        EXPECT_EQ(Summary(Bk(project) / "BK_P1_SUB.txt"), c.removed) << c.why;
        // Each file shows its own revision's device line.
        EXPECT_NE(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_ADD.txt").find("\"new\""),
                  std::string::npos)
            << c.why;
        EXPECT_EQ(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_ADD.txt").find("\"old\""),
                  std::string::npos)
            << c.why;
        EXPECT_NE(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_SUB.txt").find("\"old\""),
                  std::string::npos)
            << c.why;
    }
}

TEST(BkLists, TheTerminalTypeOrdersAWiresEndsButNamesNoDestination) {
    // The store gives each side what it reaches; the terminal type of the device's own
    // terminal orders its ends ("CONV" before "COIL") and leaves the destinations as they are.
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    std::string ends;
    const char* types[] = {"COIL", "CONV", "COIL", "CONV"};
    for (int terminal = 1; terminal <= 4; ++terminal) {
        const char* type = types[terminal - 1];
        const char* route = terminal <= 2 ? "BANNAI" : "BANKAN";
        ends +=
            "INSERT INTO wire_end (panel_no, device_key, terminal_no, wire_no, route_kind, "
            "terminal_type, tag1, terminal1, panel2, tag2, terminal2, dest_prefix2, dest_no2) "
            "VALUES ('P1', 'K1', '" +
            std::to_string(terminal) + "', 'W', '" + route + "', '" + type +
            "', 'K1', 'A1', 'P2', 'RT', '3', 'D', '007');";
    }
    listhosttest::MakeProject(project, "25.00", true, Panel(1, "P1") + Device("P1", "K1") + ends);
    ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);
    const auto lines = BkLines(Bk(project) / "BK_P1.txt");
    ASSERT_EQ(lines.size(), 8u);
    std::vector<std::string> shown;
    for (std::size_t i = 3; i < 7; ++i) {
        const auto fields = Fields(lines[i]);
        shown.push_back(fields.at(0) + " " + fields.at(4) + " " + fields.at(5));
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"\"2\" \"K1:A1\" \"D7-3\"", "\"4\" \"K1:A1\" \"P2D7-3\"",
                                        "\"1\" \"K1:A1\" \"D7-3\"", "\"3\" \"K1:A1\" \"P2D7-3\""}));
}

TEST(BkLists, DevicesAndWireEndsInListOrder) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    auto device = [](const char* key, int order, const char* prefix, const char* number,
                     const char* model) {
        return "INSERT INTO device (panel_no, key, tag, order_key, address_prefix, address_no, "
               "model) VALUES ('P1', '" +
               std::string(key) + "', '" + key + "', " + std::to_string(order) + ", '" + prefix +
               "', '" + number + "', '" + model + "');";
    };
    auto end = [](const char* key, const char* connector, const char* terminal, const char* type) {
        return "INSERT INTO wire_end (panel_no, device_key, connector, terminal_no, wire_no, "
               "terminal_type) VALUES ('P1', '" +
               std::string(key) + "', '" + connector + "', '" + terminal + "', 'W', '" + type +
               "');";
    };
    listhosttest::MakeProject(
        project, "25.00", true,
        Panel(1, "P1") + device("K1", 2, "A", "1", "") + device("K2", 1, "B", "1", "") +
            device("K3", 1, "A", "10", "") + device("K4", 1, "a", "2", "") +
            // Equal in every sort key: they keep the store's order.
            device("K5", 1, "A", "02", "first") + device("K5", 1, "A", "2", "second") +
            end("K3", "", "10", "CONV") + end("K3", "", "A1", "COIL") +
            end("K3", "CN10", "1", "CONV") + end("K3", "", "2", "CONV") +
            end("K3", "CN2", "1", "CONV") + end("K3", "", "1", "CONV") +
            end("K1", "", "1", "CONV") + end("K2", "", "1", "CONV") + end("K4", "", "1", "CONV") +
            end("K5", "", "1", "CONV"));
    ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);
    // A device's wire ends: terminal type descending ("CONV" before "COIL"), then connector and
    // terminal number by value; the second K5 finds its wire ends taken by the first.
    EXPECT_EQ(
        Summary(Bk(project) / "BK_P1.txt"),
        "K4: 1|W; K5: 1|W; K5:; K3: 1|W, 2|W, 10|W, CN2:1|W, CN10:1|W, A1|W; K2: 1|W; K1: 1|W");
    const std::string text = listhosttest::ReadShiftJis(Bk(project) / "BK_P1.txt");
    EXPECT_LT(text.find("\"first\""), text.find("\"second\""));
}

TEST(BkLists, OnlyChosenPanelsWithDevicesGetAFileAndNoDifferenceWithoutAPreviousRevision) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    // P2 has no devices, P3 is a panel of kind 2. The store holds an older revision, but the
    // project's revision state does not say so.
    listhosttest::MakeProject(
        project, "25.00", true,
        Panel(1, "P1") + Panel(2, "P2") + Panel(3, "P3", 2) + Panel(4, "P4") + Device("P1", "K1") +
            WireEnd("P1", "K1", "1") + Device("P3", "K3") + WireEnd("P3", "K3", "1") +
            Device("P4", "K4") + Device("P1", "K1", 1) + WireEnd("P1", "K1", "1", "RED", 1));
    ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);
    EXPECT_EQ(ListFolder(Bk(project)), "BK_P1.txt BK_P4.txt OLD");
    // A device without wire ends still has its lines.
    EXPECT_EQ(Summary(Bk(project) / "BK_P4.txt"), "K4:");
}

TEST(BkLists, DifferenceFilesHoldTheAddedAndRemovedLinesUnderTheirDevices) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(
        project, "25.00", true,
        "INSERT INTO project VALUES ('revision_state.0', '2');" + Panel(1, "P1") + Panel(2, "P2") +
            // Now: K1 with 1 (black), 2, 3; K2 unchanged in P2.
            Device("P1", "K1") + WireEnd("P1", "K1", "1") + WireEnd("P1", "K1", "2") +
            WireEnd("P1", "K1", "3") + Device("P2", "K2") + WireEnd("P2", "K2", "1") +
            // Before: K1 with 1 (red), 3 twice; K0, gone since; K2 as now.
            Device("P1", "K1", 1) + WireEnd("P1", "K1", "1", "RED", 1) +
            WireEnd("P1", "K1", "3", "BLK", 1) + WireEnd("P1", "K1", "3", "BLK", 1) +
            Device("P1", "K0", 1) + WireEnd("P1", "K0", "5", "BLK", 1) + Device("P2", "K2", 1) +
            WireEnd("P2", "K2", "1", "BLK", 1));
    auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListFolder(Bk(project)), "BK_P1.txt BK_P1_ADD.txt BK_P1_SUB.txt BK_P2.txt OLD");
    EXPECT_EQ(Summary(Bk(project) / "BK_P1_ADD.txt"), "K1: 1|W1, 2|W2");
    EXPECT_EQ(Summary(Bk(project) / "BK_P1_SUB.txt"), "K0: 5|W5; K1: 1|W1, 3|W3");
    EXPECT_NE(listhosttest::ReadShiftJis(Bk(project) / "BK_P1_SUB.txt").find("\"RED\""),
              std::string::npos);
}

TEST(BkLists, TerminalKindsComeFromThePartsDatabaseWhenTheWiringLacksThem) {
    const std::string plan =
        Panel(1, "P1") + Device("P1", "MC-X") +
        "INSERT INTO wire_end (panel_no, device_key, terminal_no, wire_no, part_code) VALUES "
        "('P1', 'MC-X', 'A1', 'W1', 'MC-X'), ('P1', 'MC-X', '1', 'W2', 'mc-x');";
    const std::string parts =
        "INSERT INTO pin (code, bompinval, bompinno, bomkind6) VALUES "
        "('MC-X', 'a1', 1, 'COIL'), ('MC-X', '1', 2, 'CONV');";
    {
        Workplace work;
        listhosttest::RunSql(work.install() / "BOM" / "ZELKOBOM.sqlite", parts);
        listhosttest::MakeProject(work.dir() / "PRJ", "25.00", true, plan);
        ASSERT_EQ(
            work.Listhost({"--yes", "--panels", "all", (work.dir() / "PRJ").string(), "Tervo"})
                .status,
            0);
        EXPECT_EQ(Summary(Bk(work.dir() / "PRJ") / "BK_P1.txt"), "MC-X: 1|W2, A1|W1");
    }
    struct Case {
        const char* why;
        std::string parts;
        const char* says;
    } cases[] = {
        {"part missing", "", "端子表に部品コードの登録がありません-MC-X"},
        {"terminal missing",
         "INSERT INTO pin (code, bompinval, bompinno, bomkind6) VALUES ('MC-X', '1', 1, 'CONV');",
         "端子表に端子番号の登録がありません-A1"},
        {"no terminal table", "DROP TABLE pin;", "端子表を取得できません。"},
        {"no part-code field",
         "DROP TABLE pin; CREATE TABLE pin (part TEXT, bompinval TEXT, bomkind6 TEXT);",
         "部品コードフィールドを取り出せません。"},
    };
    for (const auto& c : cases) {
        Workplace work;
        if (!c.parts.empty()) {
            listhosttest::RunSql(work.install() / "BOM" / "ZELKOBOM.sqlite", c.parts);
        }
        listhosttest::MakeProject(work.dir() / "PRJ", "25.00", true, plan);
        auto run =
            work.Listhost({"--yes", "--panels", "all", (work.dir() / "PRJ").string(), "Tervo"});
        // The user sees the message in the framework's box; the error text is not for it.
        EXPECT_EQ(run.status, 3) << c.why;
        EXPECT_TRUE(
            run.out.ends_with(std::string("[バック図情報] ") + c.says + "\n失敗しました。\n"))
            << c.why << run.out;
        EXPECT_EQ(run.err, "") << c.why;
        EXPECT_EQ(ListFolder(Bk(work.dir() / "PRJ")), "OLD") << c.why;
    }
    Workplace noDatabase;
    fs::remove_all(noDatabase.install() / "BOM");
    listhosttest::MakeProject(noDatabase.dir() / "PRJ", "25.00", true, plan);
    auto run = noDatabase.Listhost(
        {"--yes", "--panels", "all", (noDatabase.dir() / "PRJ").string(), "Tervo"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("[バック図情報] 部品データベースが開けません。\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
}

}  // namespace
