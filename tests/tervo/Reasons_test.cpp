// What the user is told when a run meets trouble: the parts database's and the log's messages
// in the framework's message box, and the module's error text keeping the run's own reason
// whatever the log does.

#include <gtest/gtest.h>

#include "TervoSupport.h"

namespace {

namespace fs = std::filesystem;
using listhosttest::Workplace;
using namespace tervotest;

constexpr const char* kCaption = "[バック図情報] ";

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

/// A log that cannot be opened: a folder (not empty, so it cannot be deleted) where the log
/// file goes.
void BlockTheLog(const Workplace& work) {
    testsupport::WriteBytes(work.tmp() / "TervoLog.txt" / "kept", "x");
}

std::string LogCannotOpen(const Workplace& work) {
    return std::string(kCaption) +
           "ファイルがオープンできません(FileName=" + (work.tmp() / "TervoLog.txt").string() +
           "|LastErr=21)\n";
}

const std::string kPlan = Panel(1, "P1") + Device("P1", "K1") + WireEnd("P1", "K1", "1");

TEST(Reasons, AFileThatCannotBeDeletedStaysTheReasonWhenTheLogCannotBeWritten) {
    Workplace work;
    BlockTheLog(work);
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true, kPlan);
    testsupport::WriteBytes(project / "FT_OUTPUT" / "BK" / "BK_P1.txt" / "open", "x");
    auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "listhost: 出力ファイル<BK_P1.txt>が削除できません。\r\nオープンされている"
              "場合は閉じてから、再実行してください。\n");
    // The log's trouble is shown once, in the framework's box.
    EXPECT_EQ(Count(run.out, LogCannotOpen(work)), 1u) << run.out;
    EXPECT_TRUE(run.out.ends_with("失敗しました。\n")) << run.out;
}

TEST(Reasons, AMalformedSettingsFileIsTheWarningOfARunThatSucceeds) {
    Workplace work;
    BlockTheLog(work);
    testsupport::WriteBytes(work.registry(),
                            "[SOFTWARE\\Brindlex\\Parameters\\BypassVerChk]\nTervo_SENSYU 2\n");
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true, kPlan);
    auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "listhost: " + work.registry().string() +
                           ":2: expected name=value, found \"Tervo_SENSYU 2\"\n");
    EXPECT_EQ(Count(run.out, LogCannotOpen(work)), 1u) << run.out;
    // Read as missing: the project's version decides, and 25.00 has the wire-kind columns.
    EXPECT_EQ(Fields(BkLines(project / "FT_OUTPUT" / "BK" / "BK_P1.txt").at(3)).size(), 14u);
}

TEST(Reasons, NoTemporaryFolderIsShownAndTheRunGoesOn) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true, kPlan);
    auto env = work.Env();
    env["TMPDIR"] = (work.dir() / "no such folder").string();
    auto run =
        listhosttest::RunListhost({"--yes", "--panels", "all", project.string(), "Tervo"}, {}, env);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Count(run.out, std::string(kCaption) + "ログ出力パスが取得できません。\n"), 1u)
        << run.out;
    EXPECT_TRUE(fs::exists(project / "FT_OUTPUT" / "BK" / "BK_P1.txt"));
}

}  // namespace
