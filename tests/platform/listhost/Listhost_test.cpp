// listhost as a user runs it: the command line, the module list, the questions it asks on the
// terminal and what it answers to the module, and the text viewer it starts.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ListhostSupport.h"

namespace {

namespace fs = std::filesystem;
using listhosttest::Workplace;

constexpr const char* kTwoPanels =
    "INSERT INTO panel (id, seq, panel_no, name, kind) VALUES (1, 1, 'P10', 'A', 0), "
    "(2, 2, 'P2', 'B', 0);"
    "INSERT INTO device (panel_no, key, tag) VALUES ('P10', 'K1', 'K1'), ('P2', 'K2', 'K2');"
    "INSERT INTO wire_end (panel_no, device_key, terminal_no) VALUES ('P10', 'K1', '1'), "
    "('P2', 'K2', '1');";

TEST(Listhost, ListsTheRegisteredModules) {
    Workplace work;
    auto run = work.Listhost({"--list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Tervo\tバック図情報\t1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Tervo_M\tバック図情報\t2\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    減分 BK_盤No_SUB.txt(例:BK_P1_SUB.txt)を作成。\n"),
              std::string::npos);
}

TEST(Listhost, RefusesWhatItCannotRun) {
    Workplace work;
    listhosttest::MakeProject(work.dir() / "PRJ", "25.00", true, kTwoPanels);
    const std::string project = (work.dir() / "PRJ").string();
    struct Case {
        const char* why;
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {"no module", {project}, "wrong number of arguments"},
        {"unknown operation", {project, "Tervo", "print"}, "unknown operation print"},
        {"unknown option", {"--no", project, "Tervo"}, "unknown option --no"},
        {"unknown module", {project, "Nope"}, "no list module \"Nope\""},
        {"no project", {work.dir().string(), "Tervo"}, "listhost: "},
    };
    for (const auto& c : cases) {
        auto run = work.Listhost(c.args);
        EXPECT_EQ(run.status, 3) << c.why;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.why << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(work.dir() / "PRJ" / "FT_OUTPUT"));
}

TEST(Listhost, AsksOnTheTerminalWithoutOptions) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true, kTwoPanels);
    const fs::path bk = project / "FT_OUTPUT" / "BK";

    auto no = work.Listhost({project.string(), "Tervo"}, "n\n");
    EXPECT_EQ(no.status, 2);
    EXPECT_NE(no.out.find("[バック図情報] バック図情報を出力しますか？\n(y/n) "), std::string::npos)
        << no.out;
    EXPECT_FALSE(fs::exists(bk));

    auto noPanels = work.Listhost({project.string(), "Tervo"}, "y\n\n");
    EXPECT_EQ(noPanels.status, 1);
    EXPECT_NE(noPanels.out.find(
                  "[バック図情報] 必要な設定を行ってください。\n必要な設定を行ってください。\n"),
              std::string::npos)
        << noPanels.out;
    EXPECT_FALSE(fs::exists(bk));

    auto unknown = work.Listhost({"--yes", "--panels", "P3", project.string(), "Tervo"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("No panel \"P3\" in the plan."), std::string::npos);

    // The L entry offers the panels in plan order, the M entry by number.
    auto chosen = work.Listhost({project.string(), "Tervo"}, "y\np2\n");
    EXPECT_EQ(chosen.status, 0) << chosen.out << chosen.err;
    EXPECT_NE(chosen.out.find("  P10\tA\n  P2\tB\n"), std::string::npos) << chosen.out;
    EXPECT_EQ(testsupport::ListFolder(bk), "BK_P2.txt OLD");

    auto byNumber = work.Listhost({project.string(), "Tervo_M"}, "yes\nall\n");
    EXPECT_EQ(byNumber.status, 0);
    EXPECT_NE(byNumber.out.find("  P2\tB\n  P10\tA\n"), std::string::npos) << byNumber.out;
    EXPECT_EQ(testsupport::ListFolder(bk), "BK_P10.txt BK_P2.txt OLD");
}

TEST(Listhost, ShowStartsTheViewerOnTheChosenFileWithoutAShell) {
    Workplace work;
    // Blanks, quotes and a shell character in the project folder's name.
    const fs::path project = work.dir() / "my \"pro ject\" 'x' $HOME";
    listhosttest::MakeProject(project, "25.00", true, kTwoPanels);
    ASSERT_EQ(work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"}).status, 0);

    const fs::path viewer = work.dir() / "viewer.sh";
    const fs::path record = work.dir() / "opened";
    testsupport::WriteBytes(viewer, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\" > \"$RECORD\"\n");
    fs::permissions(viewer, fs::perms::owner_all);
    auto env = work.Env();
    env["ZELKO_TEXT_VIEWER"] = "/bin/sh " + viewer.string();
    env["RECORD"] = record.string();

    auto cancelled = listhosttest::RunListhost({project.string(), "Tervo", "show"}, "\n", env);
    EXPECT_EQ(cancelled.status, 0);
    EXPECT_NE(cancelled.out.find("バック図情報ファイル選択 - "), std::string::npos)
        << cancelled.out;
    EXPECT_NE(cancelled.out.find("  1\tBK_P2.txt\n  2\tBK_P10.txt\n"), std::string::npos);

    auto shown = listhosttest::RunListhost({project.string(), "Tervo", "show"}, "2\n", env);
    EXPECT_EQ(shown.status, 0) << shown.err;
    for (int i = 0; i < 100 && !fs::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(fs::exists(record));
    // The viewer has exited when its output is complete; wait for the text.
    std::string opened;
    for (int i = 0; i < 100 && opened.empty(); ++i) {
        opened = testsupport::ReadBytes(record);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(opened, (project / "FT_OUTPUT" / "BK" / "BK_P10.txt").string() + "|");
}

TEST(Listhost, ShowMakesTheOutputFolderWhenMissing) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true, kTwoPanels);
    auto run = work.Listhost({project.string(), "Tervo_M", "show"}, "");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_directory(project / "FT_OUTPUT" / "BK"));

    // A file where the folder should be: it cannot be made.
    const fs::path other = work.dir() / "OTHER";
    listhosttest::MakeProject(other, "25.00", true, kTwoPanels);
    testsupport::WriteBytes(other / "FT_OUTPUT", "a file");
    auto blocked = work.Listhost({other.string(), "Tervo", "show"}, "");
    EXPECT_EQ(blocked.status, 3);
    EXPECT_NE(blocked.out.find("[バック図情報] フォルダ'" + (other / "FT_OUTPUT" / "BK").string() +
                               "'が作成できません。"),
              std::string::npos)
        << blocked.out;
}

TEST(Listhost, TheSelectionTextIsCutAtFiftyCharactersNotBytes) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    std::string sql;
    std::string chosen;
    for (int p = 1; p <= 13; ++p) {
        const std::string number = (p < 10 ? "盤0" : "盤") + std::to_string(p);
        sql += "INSERT INTO panel (id, seq, panel_no, name, kind) VALUES (" + std::to_string(p) +
               ", " + std::to_string(p) + ", '" + number + "', 'N', 0);";
        chosen += (chosen.empty() ? "" : ",") + number;
    }
    listhosttest::MakeProject(project, "25.00", true, sql);
    auto run = work.Listhost({"--yes", "--panels", chosen, project.string(), "Tervo"});
    ASSERT_EQ(run.status, 0) << run.err;
    // TERVO logs the selection's text: 12 panels and their commas are 48 characters.
    const auto log =
        listhosttest::CrLfLines(listhosttest::ReadShiftJis(work.tmp() / "TervoLog.txt"));
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(
        log[0].ends_with("BK (盤01,盤02,盤03,盤04,盤05,盤06,盤07,盤08,盤09,盤10,盤11,盤12,盤1)"))
        << log[0];
}

}  // namespace
