// Entry point 1034 as the user runs it: cadhost with the sample project open answers dialog
// 250 and the duct drawing's prompts from a script; ezdxf reads back the ducts it drew, and
// entry point 1033 draws their lines.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ducts/DuctShape.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteBytes;

std::string Python(const std::string& arguments) {
    const std::string command =
        std::string("/usr/bin/python3 '") + DUCT_DRAWINGS + "' " + arguments + " 2>&1";
    return testsupport::ShellOutput(command);
}

/// The sample project (duct types "HD-40" 40, "HD-60" 60 and a nameless 60), a drawing with no
/// duct layer, and a settings store of the test's own.
class DuctShapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunProgram({SAMPLE_PROJECT_PROGRAM, m_dir.path().string()}, m_dir.path()).status,
                  0);
        ASSERT_EQ(Python("write nolayer '" + drawing().string() + "'"), "");
    }
    fs::path project() const { return m_dir.path() / "SAMPLE"; }
    fs::path drawing() const { return m_dir.path() / "empty.dxf"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }

    ProgramRun Run(const std::string& lines, const std::string& settings = {}) {
        WriteBytes(m_dir.path() / "run.scr", "open \"" + drawing().string() + "\"\n" + lines +
                                                 "save \"" + saved().string() + "\"\n");
        return RunProgram(
            {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", project().string(), "--script",
             (m_dir.path() / "run.scr").string()},
            m_dir.path(), "C",
            {"ZELKO_HOME=" + (m_dir.path() / "zelko").string(),
             "ZELKO_SETTINGS=" +
                 (settings.empty() ? (m_dir.path() / "cfg.sqlite").string() : settings),
             "TMPDIR=" + m_dir.path().string()});
    }
    std::string Ducts() const {
        std::string rows;
        for (const std::string& row :
             {Python("outlines '" + saved().string() + "'")}) {  // one call, filtered below
            std::size_t at = 0;
            for (std::size_t end; (end = row.find('\n', at)) != std::string::npos; at = end + 1)
                if (row.compare(at, 3, "DCT") == 0)
                    rows += row.substr(at, end + 1 - at);
        }
        return rows;
    }

    TempDir m_dir;
};

const std::string kDialog =
    "*** dialog 250 \"Duct Shape\" ***\n"
    "[251] combo *0:HD-40 (40) 1:HD-60 (60) 2:60\n"
    "[1] button \"Draw\"\n"
    "[2] button \"Cancel\"\n";

// A bar with its top side on the base line (1) and a stem with its left side on it (3) drawn
// downwards: a T that entry point 1033 lengthens and marks. The nameless type is listed as its
// width; a justification that is no choice is refused and asked again; an empty answer keeps
// the last one; the user's object snaps come back.
TEST_F(DuctShapeTest, DrawsDuctsUntilCancelledThatTheWpDuctLinesUse) {
    const ProgramRun run =
        Run("setvar OSMODE 1\n"
            "ordinal 1034\n"
            "> OK\n> 7\n> 1\n> 0,500\n> 600\n> 700,510\n"
            "> OK\n> 3\n> 320,460\n> 360\n> 330,0\n"
            "> select 251 2\n> OK\n>\n> 1000,0\n> 100\n> 1050,-5\n"
            "> CANCEL\n"
            "getvar OSMODE\n"
            "ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find(kDialog), 1u) << run.out;
    EXPECT_NE(run.out.find("Specify the justification [Top or Right side (1)/Center (2)/Bottom or "
                           "Left side (3)]: 7\nThe value is not valid.\nSpecify the justification"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nSpecify the base point: 0,500\nSpecify the length: 600\nSpecify the "
                           "direction: 700,510"),
              std::string::npos);
    EXPECT_NE(run.out.find("[251] combo 0:HD-40 (40) 1:HD-60 (60) *2:60"), std::string::npos);
    EXPECT_NE(run.out.find("\nOSMODE = 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nDrawed 3 WP Duct lines."), std::string::npos) << run.out;
    EXPECT_EQ(Ducts(),
              "DCT40 color=40 closed=1 0,460 600,460 600,500 0,500\n"
              "DCT40 color=40 closed=1 320,100 360,100 360,460 320,460\n"
              "DCT60 color=40 closed=1 1000,0 1100,0 1100,60 1000,60\n");
    const std::string lines = Python("read '" + saved().string() + "'");
    EXPECT_NE(lines.find("INSERT CMARK_DUCT DUCT 340,480 CP\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("LINE DUCT 340,100 340,480 gen=ZelkoWPDuctAutoGen"), std::string::npos)
        << lines;
}

// The index chosen is preselected in the next command; so is the justification.
TEST_F(DuctShapeTest, TheNextCommandRemembersTheChoice) {
    ProgramRun run =
        Run("ordinal 1034\n> select 251 1\n> OK\n> 3\n> 0,0\n> 100\n> 100,0\n"
            "> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.err;
    run = Run("ordinal 1034\n> OK\n>\n> 0,0\n> 100\n> 0,-100\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("[251] combo 0:HD-40 (40) *1:HD-60 (60) 2:60"), run.out.find("[251]"))
        << run.out;
    EXPECT_EQ(Ducts(), "DCT60 color=40 closed=1 0,-100 60,-100 60,0 0,0\n");
}

// An empty duct table shows the dialog with Draw disabled; Cancel ends the command. A settings
// store that cannot be opened ends the command before the dialog, without a word.
TEST_F(DuctShapeTest, AnEmptyDuctTableOffersNothingToDraw) {
    ASSERT_EQ(Python("noducts '" + project().string() + "'"), "");
    ProgramRun run = Run("ordinal 1034\n> OK\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string dialog =
        "*** dialog 250 \"Duct Shape\" ***\n"
        "[251] combo\n"
        "[1] button (disabled) \"Draw\"\n"
        "[2] button \"Cancel\"\n";
    EXPECT_EQ(run.out, "\n" + dialog + "action: OK\n" + dialog +
                           "action: CANCEL\n*** dialog 250 closed: CANCEL ***\n\n");
    EXPECT_EQ(Ducts(), "");
    fs::create_directories(m_dir.path() / "store-is-a-folder");
    run = Run("ordinal 1034\n", (m_dir.path() / "store-is-a-folder").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\n");
}

// The list entries: "name (width)", the width alone without a name; a width that is not
// entirely a finite number counts as 0.
TEST(DuctDef, ListTextAndWidth) {
    struct {
        const char* name;
        const char* width;
        const char* text;
    } const cases[] = {
        {"HD-40", "40", "HD-40 (40)"},
        {"", "60", "60"},
        {"HD", "60.4", "HD (60)"},
        {"HD", "60x", "HD (0)"},
        {"", "", "0"},
        {"", "1e400", "0"},
        {"", "nan", "0"},
        {"ダクト", "-5", "ダクト (-5)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(routix::DuctListText({c.name, c.width, 1}), c.text) << c.width;
}

}  // namespace
