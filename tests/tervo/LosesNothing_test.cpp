// A run that fails part-way loses no output: every file of the previous output is still in
// the output folder or in "OLD", and no half-written file is left.

#include <gtest/gtest.h>

#include "TervoSupport.h"

namespace {

namespace fs = std::filesystem;
using listhosttest::Workplace;
using testsupport::ListFolder;
using namespace tervotest;

using Files = std::map<std::string, std::string>;

/// The files of `folder` (not its sub-folders) by name.
Files FilesIn(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = testsupport::ReadBytes(entry.path());
        }
    }
    return files;
}

class LosesNothing : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plan = Panel(1, "P1") + Panel(2, "P2") + Panel(3, "P3");
        for (const char* panel : {"P1", "P2", "P3"}) {
            plan += Device(panel, "K1");
            // P2's file is the largest.
            for (int t = 1; t <= (std::string(panel) == "P2" ? 40 : 4); ++t) {
                plan += WireEnd(panel, "K1", std::to_string(t));
            }
        }
        listhosttest::MakeProject(m_project, "25.00", true, plan);
        auto first = Run();
        ASSERT_EQ(first.status, 0) << first.err;
        m_first = FilesIn(bk());
        ASSERT_EQ(m_first.size(), 3u);
    }

    listhosttest::Run Run(std::optional<std::size_t> fileSizeLimit = {}) {
        return m_work.Listhost({"--yes", "--panels", "all", m_project.string(), "Tervo"}, {},
                               fileSizeLimit);
    }
    fs::path bk() const { return m_project / "FT_OUTPUT" / "BK"; }

    /// Every file of the first run is in the output folder or in "OLD", unchanged, and the
    /// output folder holds nothing but whole files of that content and "OLD".
    void ExpectFirstRunKept() {
        const Files now = FilesIn(bk());
        const Files old = FilesIn(bk() / "OLD");
        for (const auto& [name, bytes] : m_first) {
            auto here = now.find(name);
            auto there = old.find(name);
            ASSERT_TRUE(here != now.end() || there != old.end()) << name << " is lost";
            if (there != old.end()) {
                EXPECT_EQ(there->second, bytes) << name;
            }
        }
        for (const auto& [name, bytes] : now) {
            ASSERT_TRUE(m_first.contains(name)) << name << " is no output file";
            EXPECT_EQ(bytes, m_first[name]) << name << " is not whole";
        }
    }

    Workplace m_work;
    fs::path m_project = m_work.dir() / "PRJ";
    Files m_first;
};

TEST_F(LosesNothing, AWriteThatFailsHalfWay) {
    // Room for the files of P1 and P3, not for the one of P2.
    ASSERT_LT(m_first["BK_P1.txt"].size(), 2000u);
    ASSERT_GT(m_first["BK_P2.txt"].size(), 2500u);
    auto run = Run(2000);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.out.ends_with("失敗しました。\n")) << run.out;
    EXPECT_NE(run.err.find("BK_P2.txt: "), std::string::npos) << run.err;
    EXPECT_EQ(FilesIn(bk() / "OLD"), m_first);
    ExpectFirstRunKept();
    EXPECT_EQ(ListFolder(bk()), "BK_P1.txt OLD");
}

TEST_F(LosesNothing, AMoveIntoOldThatFails) {
    // A folder in "OLD" under the name of a file that is to move there.
    testsupport::WriteBytes(bk() / "OLD" / "BK_P2.txt" / "kept", "x");
    auto run = Run();
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("BK_P2.txt"), std::string::npos) << run.err;
    ExpectFirstRunKept();
    EXPECT_TRUE(fs::exists(bk() / "BK_P2.txt"));
    EXPECT_EQ(testsupport::ReadBytes(bk() / "OLD" / "BK_P2.txt" / "kept"), "x");
}

TEST(LosesNothingToo, AnOutputFileThatCannotBeDeleted) {
    Workplace work;
    const fs::path project = work.dir() / "PRJ";
    listhosttest::MakeProject(project, "25.00", true,
                              Panel(1, "P1") + Device("P1", "K1") + WireEnd("P1", "K1", "1"));
    // In the output folder under the name of an output file, something that is no file and
    // cannot be deleted (on Windows: the file open in another program), beside a file of an
    // earlier output.
    const fs::path bk = project / "FT_OUTPUT" / "BK";
    testsupport::WriteBytes(bk / "BK_P1.txt" / "open", "x");
    testsupport::WriteBytes(bk / "BK_P0.txt", "earlier");
    auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "listhost: 出力ファイル<BK_P1.txt>が削除できません。\r\nオープンされている"
              "場合は閉じてから、再実行してください。\n");
    EXPECT_TRUE(run.out.ends_with("失敗しました。\n")) << run.out;
    EXPECT_EQ(testsupport::ReadBytes(bk / "OLD" / "BK_P0.txt"), "earlier");
    EXPECT_EQ(testsupport::ReadBytes(bk / "BK_P1.txt" / "open"), "x");
}

TEST(LosesNothingToo, APanelNumberThatCannotNameAFileFailsTheRunBeforeAnythingMoves) {
    struct Case {
        const char* number;  ///< SQL expression of the panel number
        const char* says;
    } cases[] = {
        {"'a/b'", "\"a/b\" cannot name a BK file: it holds \"/\""},
        {"'/../../x'", "\"/../../x\" cannot name a BK file: it holds \"/\""},
        {"'P' || char(0) || '9'", "\"P\\09\" cannot name a BK file: it holds a NUL character"},
        {"'..'", "\"..\" cannot name a BK file: \".\" and \"..\" name folders"},
        {"'.'", "\".\" cannot name a BK file"},
        {"replace(hex(zeroblob(125)), '0', 'x')",
         "cannot name a BK file: its file names would be longer than 255 bytes"},
    };
    for (const auto& c : cases) {
        Workplace work;
        const fs::path project = work.dir() / "PRJ";
        listhosttest::MakeProject(
            project, "25.00", true,
            "INSERT INTO project VALUES ('revision_state.0', '2');" + Panel(1, "P1") +
                "INSERT INTO panel (id, seq, panel_no, name, kind) VALUES (2, 2, " + c.number +
                ", 'X', 0);"
                "INSERT INTO device (panel_no, key, tag) VALUES (" +
                c.number + ", 'K9', 'K9');" + Device("P1", "K1") + WireEnd("P1", "K1", "1"));
        // The previous output, and an older one in "OLD".
        const fs::path bk = project / "FT_OUTPUT" / "BK";
        testsupport::WriteBytes(bk / "BK_P1.txt", "previous");
        testsupport::WriteBytes(bk / "OLD" / "BK_P1.txt", "older");
        auto run = work.Listhost({"--yes", "--panels", "all", project.string(), "Tervo"});
        EXPECT_EQ(run.status, 3) << c.number;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.number << ": " << run.err;
        EXPECT_TRUE(run.out.ends_with("失敗しました。\n")) << c.number << run.out;
        EXPECT_EQ(ListFolder(bk), "BK_P1.txt OLD") << c.number;
        EXPECT_EQ(testsupport::ReadBytes(bk / "BK_P1.txt"), "previous") << c.number;
        EXPECT_EQ(ListFolder(bk / "OLD"), "BK_P1.txt") << c.number;
        EXPECT_EQ(testsupport::ReadBytes(bk / "OLD" / "BK_P1.txt"), "older") << c.number;
        EXPECT_EQ(ListFolder(project / "FT_OUTPUT"), "BK") << c.number;

        // The other panels are written when the user chooses them.
        auto others = work.Listhost({"--yes", "--panels", "P1", project.string(), "Tervo"});
        EXPECT_EQ(others.status, 0) << c.number << others.err;
        EXPECT_EQ(ListFolder(bk), "BK_P1.txt BK_P1_ADD.txt OLD") << c.number;
        EXPECT_EQ(testsupport::ReadBytes(bk / "OLD" / "BK_P1.txt"), "previous") << c.number;
    }
}

}  // namespace
