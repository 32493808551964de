// The general-component direction dialog (entry points 1009 and 1014) and the 3D plates of the
// direction marks, as the user runs them: cadhost opens the layout drawing of a project that
// general_project.py writes, the script selects symbols and answers the dialog with grid
// actions, the drawing is saved, and ezdxf reads back the marks and direction attributes.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteBytes;

std::string Python(const std::string& arguments) {
    return testsupport::ShellOutput(std::string("/usr/bin/python3 '") + GENERAL_PROJECT + "' " +
                                    arguments + " 2>&1");
}

class GeneralDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::istringstream lines(
            Python("make '" + m_dir.path().string() + "' '" + PROJECT_SCHEMA + "'"));
        std::string tag, handle;
        while (lines >> tag >> handle)
            m_handles[tag] = handle;
        ASSERT_EQ(m_handles.size(), 10u);
    }
    fs::path drawing() const { return m_dir.path() / "PRJ/DWG/LAYOUT/LAYOUT_P01.dwg"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }
    fs::path dialogData() const { return m_dir.path() / "DialogData.ini"; }
    /// "> H1 H2" for the tags.
    std::string Select(std::initializer_list<const char*> tags) {
        std::string line = ">";
        for (const char* tag : tags)
            line += " " + m_handles.at(tag);
        return line + "\n";
    }
    /// Runs entry point `ordinal` on the layout drawing, selecting `tags`, answering with
    /// `actions`, then saves the drawing.
    ProgramRun Run(int ordinal, std::initializer_list<const char*> tags, const std::string& actions,
                   const std::string& language = "C") {
        WriteBytes(m_dir.path() / "run.scr", "open \"" + drawing().string() + "\"\nordinal " +
                                                 std::to_string(ordinal) + "\n" + Select(tags) +
                                                 actions + "save \"" + saved().string() + "\"\n");
        return RunProgram(
            {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (m_dir.path() / "PRJ").string(),
             "--script", (m_dir.path() / "run.scr").string()},
            m_dir.path(), language,
            {"ZELKO_HOME=" + (m_dir.path() / "zelko").string(),
             "CADHOST_DIALOG_DATA=" + dialogData().string()});
    }
    /// The saved marks and direction attributes of symbol `tag`.
    std::string Of(const std::string& tag, const std::string& how = "") const {
        std::string out;
        std::istringstream lines(Python("read '" + saved().string() + "' " + how));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string first, owner;
            words >> first >> owner;
            if (owner == tag)
                out += line + "\n";
        }
        return out;
    }

    TempDir m_dir;
    std::map<std::string, std::string> m_handles;
};

// One symbol: no "*Varies*" entry, the stored direction shown (L) and the defaults where none
// is stored (the wire default in both columns); OK clears the symbol's direction attributes
// first, so index 3, which no terminal uses, is gone, and so is the mark an earlier run drew
// for it; the marks follow the values.
TEST_F(GeneralDialogTest, SingleSymbolDropsUnusedIndices) {
    const ProgramRun run = Run(1009, {"A1"}, "> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("*** dialog 210 \"Specify Direction of Wire\" ***\n[219] static \"A1\""),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  1: | #  | # 1 | from Left | from Top\n"
                           "  2: | #  | # 2 | from Bottom | from Bottom\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("*Varies*"), std::string::npos);
    EXPECT_EQ(Of("A1"),
              "TUBEDIRECTION A1 1 0\nTUBEDIRECTION A1 2 180\n"
              "WIREDIRECTION A1 1 90\nWIREDIRECTION A1 2 180\n"
              "ATTR A1 TUBEDIRECTION1=T\nATTR A1 TUBEDIRECTION2=B\n"
              "ATTR A1 WIREDIRECTION1=L\nATTR A1 WIREDIRECTION2=B\n");
}

// Two symbols with the same connector tag and terminal number share one row; their stored
// wire directions differ (T, B), so the cell shows "*Varies*" and OK keeps both values (and
// draws each one's mark). The tube cell, from the same defaults (L), is one value for both.
TEST_F(GeneralDialogTest, VariesKeptOnOk) {
    const ProgramRun run = Run(1009, {"V1", "V2"}, "> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[219] static \"V1,V2\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  1: | # CN1 | # 1 | *Varies* | from Left\n  locked"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Of("V1"),
              "TUBEDIRECTION V1 1 90\nWIREDIRECTION V1 1 0\n"
              "ATTR V1 TUBEDIRECTION1=L\nATTR V1 WIREDIRECTION1=T\n");
    EXPECT_EQ(Of("V2"),
              "TUBEDIRECTION V2 1 90\nWIREDIRECTION V2 1 180\n"
              "ATTR V2 TUBEDIRECTION1=L\nATTR V2 WIREDIRECTION1=B\n");
}

// Three or more components: static 219 names the first and the last ("%s,...%s").
TEST_F(GeneralDialogTest, StaticNamesFirstAndLastOfThree) {
    const ProgramRun run = Run(1009, {"V1", "V2", "A1"}, "> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[219] static \"V1,...A1\""), std::string::npos) << run.out;
}

// In 2D a default N is no offered code: the cells show "空" and OK writes no direction. In 3D
// the same terminal shows "至近ダクト" and gets the N marks.
TEST_F(GeneralDialogTest, NearestDuctIsEmptyIn2D) {
    ProgramRun run = Run(1009, {"N1"}, "> OK\n", "ja_JP.UTF-8");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("*** dialog 210 \"入線方向指示（一般部品）\" ***"), std::string::npos);
    EXPECT_NE(run.out.find("  1: | #  | # 1 | 空 | 空\n"), std::string::npos) << run.out;
    EXPECT_EQ(Of("N1"), "ATTR N1 TUBEDIRECTION1=\nATTR N1 WIREDIRECTION1=\n");

    run = Run(1014, {"N1"}, "> OK\n", "ja_JP.UTF-8");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[240] button \"○\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  1: | #  | # 1 | 至近ダクト | 至近ダクト\n"), std::string::npos);
    EXPECT_EQ(Of("N1"),
              "TUBEDIRECTIONN N1 1 0\nWIREDIRECTIONN N1 1 0\n"
              "ATTR N1 TUBEDIRECTION1=N\nATTR N1 WIREDIRECTION1=N\n");
}

// The arrow buttons on every kind of selection: blocks and the active cell over the locked
// columns change nothing; whole columns 1 to 4 change only columns 3 and 4; several blocks
// each change their cells.
TEST_F(GeneralDialogTest, ArrowsNeverChangeLockedColumns) {
    const ProgramRun run = Run(1009, {"A1"},
                               "> block 217 1 1 2 2\n> click 222\n"
                               "> active 217 2 1\n> click 222\n"
                               "> columns 217 1 4\n> click 223\n"
                               "> block 217 3 1 3 1\n> addblock 217 4 2 4 2\n> click 226\n"
                               "> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // After the whole columns: every cell of 3 and 4 "from Bottom", numbers untouched.
    // The blocks over columns 1 and 2 and the active cell there left every cell as it was.
    EXPECT_NE(run.out.find("action: click 222\n*** dialog 210 \"Specify Direction of Wire\" ***\n"
                           "[219] static \"A1\"\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("  1: | #  | # 1 | from Left | from Top\n"
                           "  2: | >*#  | # 2 | from Bottom | from Bottom\n"),
              std::string::npos)
        << run.out;
    // Whole columns 1 to 4: every cell of columns 3 and 4 "from Bottom", the others untouched.
    EXPECT_NE(run.out.find("  1: | >*#  | *# 1 | * from Bottom | * from Bottom\n"
                           "  2: | *#  | *# 2 | * from Bottom | * from Bottom\n"),
              std::string::npos)
        << run.out;
    // Two blocks: each one's cell.
    EXPECT_NE(run.out.find("  1: | #  | # 1 | * from Right | from Bottom\n"
                           "  2: | #  | # 2 | from Bottom | >* from Right\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(Of("A1").find("ATTR A1 TUBEDIRECTION1=B\nATTR A1 TUBEDIRECTION2=R\n"
                            "ATTR A1 WIREDIRECTION1=R\nATTR A1 WIREDIRECTION2=B\n"),
              std::string::npos)
        << Of("A1");
}

// Reset shows the defaults (T and B for A1, not its stored L); Cancel afterwards leaves the
// drawing as it was: the stored attributes, index 3 too, and the earlier run's mark.
TEST_F(GeneralDialogTest, ResetThenCancelChangesNothing) {
    const ProgramRun run = Run(1009, {"A1"}, "> click 225\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("action: click 225\n*** dialog 210 \"Specify Direction of Wire\" ***"),
              std::string::npos);
    EXPECT_NE(run.out.find("  1: | #  | # 1 | from Top | from Top\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(Of("A1"),
              "WIREDIRECTION A1 3 270\nATTR A1 TUBEDIRECTION3=T\nATTR A1 WIREDIRECTION1=L\n"
              "ATTR A1 WIREDIRECTION3=R\n");
}

// The 3D defaults of Reset, worked by hand. R1 stands on the front of PL1 (normal +Z, the
// world's axes) rotated by 90 degrees, its project letter T: T takes n x perp(n) = Z x X = +Y,
// negated -Y, turned by 90 degrees about Z +X, which is the plate's +X: "L". B1 lies on the
// back (REVERSE 1), letter L: n = -Z, perp(-Z) = Y x -Z = -X, which is the plate's -X: "R".
// T1 stands on PL2, turned by 90 degrees (X = world +Y, Y = Z x X = world -X), letter T,
// rotation 0: -Y = the plate's -X: "R".
TEST_F(GeneralDialogTest, ThreeDimensionalDefaultsOnReset) {
    ProgramRun run = Run(1014, {"R1"}, "> click 225\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("action: click 225\n*** dialog 261 \"Specify Direction of Wire\" ***"),
              std::string::npos);
    EXPECT_NE(run.out.find("  1: | #  | # 1 | from Left | from Left\n"), std::string::npos)
        << run.out;
    EXPECT_NE(Of("R1").find("ATTR R1 WIREDIRECTION1=L\n"), std::string::npos) << Of("R1");

    run = Run(1014, {"B1"}, "> click 225\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(Of("B1").find("ATTR B1 WIREDIRECTION2=R\n"), std::string::npos) << Of("B1");

    run = Run(1014, {"T1"}, "> click 225\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(Of("T1").find("ATTR T1 WIREDIRECTION1=R\n"), std::string::npos) << Of("T1");
}

// Drawing all directions in 3D places marks by the plate list: F1 on the front of PL1 (the
// pin offsets as they are, angle 0), B1 on its back ("P1_PL1-B": the offsets turned about Y),
// T1 on PL2, drawn turned by 90 degrees: its marks get the plate's angle plus the code's
// (T 90, L 180) though the symbol itself is not rotated.
TEST_F(GeneralDialogTest, ThreeDimensionalMarksFollowThePlates) {
    WriteBytes(m_dir.path() / "run.scr", "open \"" + drawing().string() +
                                             "\"\nordinal 1032\n> OK\nsave \"" + saved().string() +
                                             "\"\n");
    const ProgramRun run = RunProgram(
        {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (m_dir.path() / "PRJ").string(),
         "--script", (m_dir.path() / "run.scr").string()},
        m_dir.path(), "C", {"ZELKO_HOME=" + (m_dir.path() / "zelko").string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Of("F1", "positions"),
              "WIREDIRECTION F1 1 0 @100,300,0\nWIREDIRECTION F1 2 90 @105,300,0\n"
              "ATTR F1 TUBEDIRECTION1=\nATTR F1 TUBEDIRECTION2=\n"
              "ATTR F1 WIREDIRECTION1=T\nATTR F1 WIREDIRECTION2=L\n");
    EXPECT_EQ(Of("B1", "positions"),
              "WIREDIRECTION B1 1 0 @300,300,0\nWIREDIRECTION B1 2 90 @295,300,0\n"
              "ATTR B1 TUBEDIRECTION1=\nATTR B1 TUBEDIRECTION2=\n"
              "ATTR B1 WIREDIRECTION1=T\nATTR B1 WIREDIRECTION2=L\n");
    EXPECT_EQ(Of("T1", "positions"),
              "WIREDIRECTION T1 1 90 @1400,500,0\nWIREDIRECTION T1 2 180 @1405,500,0\n"
              "ATTR T1 TUBEDIRECTION1=\nATTR T1 TUBEDIRECTION2=\n"
              "ATTR T1 WIREDIRECTION1=T\nATTR T1 WIREDIRECTION2=L\n");
}

// What the command refuses: a terminal of a terminal block (message 106, once, the components
// of the selection still taken), a component the project data does not know (message 142 in a
// box with the command's caption), a drawing outside the layout folder (message 192) and a
// project without terminal lists (message 101).
TEST_F(GeneralDialogTest, RefusedSelectionsAndDrawings) {
    ProgramRun run = Run(1009, {"XT1", "V1", "XT1"}, "> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const std::size_t said = run.out.find("The selecting objects is not correct.");
    EXPECT_NE(said, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("The selecting objects is not correct.", said + 1), std::string::npos);
    EXPECT_NE(run.out.find("[219] static \"V1\""), std::string::npos) << run.out;

    run = Run(1009, {"XT1"}, "");
    EXPECT_NE(run.out.find("The selecting objects is not correct."), std::string::npos);
    EXPECT_EQ(run.out.find("*** dialog 210"), std::string::npos) << run.out;

    run = Run(1009, {"X9"}, "");
    EXPECT_NE(run.out.find("*** message box \"Specify Direction of Wire\" OK WARNING ***\n"
                           "Cannot get valid database information from the terminal."),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("*** dialog 210"), std::string::npos);

    const fs::path elsewhere = m_dir.path() / "LAYOUT_ELSEWHERE.dwg";
    fs::copy_file(drawing(), elsewhere);
    WriteBytes(m_dir.path() / "run.scr", "open \"" + elsewhere.string() + "\"\nordinal 1014\n");
    run = RunProgram(
        {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (m_dir.path() / "PRJ").string(),
         "--script", (m_dir.path() / "run.scr").string()},
        m_dir.path(), "C", {"ZELKO_HOME=" + (m_dir.path() / "zelko").string()});
    EXPECT_NE(run.out.find("*** message box \"Specify Direction of Wire\" OK WARNING ***\n"
                           "The current drawing is not Explored drawing nor Panel drawing."),
              std::string::npos)
        << run.out;

    testsupport::ShellOutput("sqlite3 '" + (m_dir.path() / "PRJ/ZELKOPRJ.sqlite").string() +
                             "' 'DROP TABLE terminal' 2>&1");
    run = Run(1009, {"V1"}, "");
    EXPECT_NE(run.out.find("*** message box \"Specify Direction of Wire\" OK WARNING ***\n"
                           "Execute WP-FromTo previously."),
              std::string::npos)
        << run.out;
}

// The dialog memory: a moved and sized dialog is kept under its name in the dialog data; the
// next run opens it there, with the grid grown by the same amount.
TEST_F(GeneralDialogTest, DialogMemoryKeepsPlacement) {
    ProgramRun run = Run(1009, {"A1"}, "> move 10 20 700 600\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("window: 10,20 700x600\n"), std::string::npos) << run.out;
    EXPECT_NE(ReadBytes(dialogData())
                  .find("[ZELKOWP2_CNyuusenhoukouShijiDlg]\nWindowRect=10,20,700,600\n"),
              std::string::npos)
        << ReadBytes(dialogData());

    run = Run(1009, {"A1"}, "> move 0 0 0 5\n> CANCEL\n");
    EXPECT_NE(run.out.find("*** dialog 210 \"Specify Direction of Wire\" ***\n"
                           "window: 10,20 700x600\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("(\"move\" takes the position and the size"), std::string::npos);
}

}  // namespace
