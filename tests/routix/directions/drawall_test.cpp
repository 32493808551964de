// Entry point 1011 as the user runs it: cadhost opens the layout drawing of a project that
// direction_project.py writes (store, drawing and mark drawings), runs the command, saves the
// drawing, and ezdxf reads back the marks, labels and direction attributes.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

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
        std::string("/usr/bin/python3 '") + DIRECTION_PROJECT + "' " + arguments + " 2>&1";
    return testsupport::ShellOutput(command);
}

class DrawAllTest : public ::testing::Test {
protected:
    void Make(int count) {
        ASSERT_EQ(Python("make '" + m_dir.path().string() + "' '" + PROJECT_SCHEMA + "' " +
                         std::to_string(count)),
                  "");
    }
    fs::path drawing() const { return m_dir.path() / "PRJ/DWG/LAYOUT/LAYOUT_P01.dwg"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }
    /// Runs the script lines on `file` (the layout drawing by default) and saves it.
    ProgramRun Run(const std::string& lines, const fs::path& file = {}) {
        WriteBytes(m_dir.path() / "run.scr",
                   "open \"" + (file.empty() ? drawing() : file).string() + "\"\n" + lines +
                       "save \"" + saved().string() + "\"\n");
        return RunProgram(
            {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (m_dir.path() / "PRJ").string(),
             "--script", (m_dir.path() / "run.scr").string()},
            m_dir.path(), "C", {"ZELKO_HOME=" + (m_dir.path() / "zelko").string()});
    }
    std::string Saved(const std::string& how = "") const {
        return Python("read '" + saved().string() + "' " + how);
    }
    /// The lines of the saved marks of component `tag` with their positions.
    std::string MarksOf(const std::string& tag) const {
        std::string out;
        std::istringstream lines(Saved("positions"));
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("WIREDIRECTION " + tag + " "))
                out += line + "\n";
        return out;
    }

    TempDir m_dir;
};

// Drawing all twice leaves one set of marks: N wire with T tube gives the N wire mark and the
// tube mark; the direction-less terminal keeps its stored text and gets no mark; terminals of
// the terminal block get their number beside the wire mark (data version 25.00).
TEST_F(DrawAllTest, TwiceLeavesOneSetOfMarks) {
    Make(14);
    const ProgramRun run = Run("ordinal 1011\n> OK\nordinal 1011\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("Confirm Direction"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(),
              "MTEXT TB1 1 90 1 fill=17\n"
              "MTEXT TB1 2 270 2 fill=17\n"
              "TUBEDIRECTION NT1 1 0\n"
              "WIREDIRECTION C1 1 0\n"
              "WIREDIRECTION C1 2 180\n"
              "WIREDIRECTION C1 3 90\n"
              "WIREDIRECTION C1 4 270\n"
              "WIREDIRECTION C1 5 0\n"
              "WIREDIRECTION C2 1 0\n"
              "WIREDIRECTION C2 2 180\n"
              "WIREDIRECTION C2 3 90\n"
              "WIREDIRECTION C2 4 270\n"
              "WIREDIRECTION C2 5 0\n"
              "WIREDIRECTION TB1 1 90\n"
              "WIREDIRECTION TB1 2 270\n"
              "WIREDIRECTIONN NT1 1 0\n"
              "ATTR NT1 WIREDIRECTION1=N\n"
              "ATTR NT1 TUBEDIRECTION1=T\n"
              "ATTR DL1 WIREDIRECTION1=T\n"
              "ATTR DL1 TUBEDIRECTION1=\n"
              "ATTR TB1 WIREDIRECTION1=L\n"
              "ATTR TB1 TUBEDIRECTION1=\n"
              "ATTR TB1 WIREDIRECTION2=R\n"
              "ATTR TB1 TUBEDIRECTION2=\n");
}

// 499 terminals run without the question (an unasked answer would fail the script); 500 ask,
// and Cancel leaves the drawing without marks.
TEST_F(DrawAllTest, FiveHundredTerminalsAskFirst) {
    Make(499);
    ProgramRun run = Run("ordinal 1011\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("処理に時間がかかる"), std::string::npos);
    EXPECT_NE(Saved().find("WIREDIRECTION C99 3 90\n"), std::string::npos);

    fs::remove_all(m_dir.path() / "PRJ");
    Make(500);
    run = Run("ordinal 1011\n> OK\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("処理に時間がかかる場合があります。実行しますか？"), std::string::npos);
    EXPECT_EQ(Saved().find("WIREDIRECTION C"), std::string::npos);
}

// 2D: the plan's pin offsets from the insertion point (C2's REVERSE makes it mirrored, but the
// plan asks for no mirror correction). 3D (entry point 1032 on the same drawing, a layout
// drawing of the project's layout folder): C1's offsets come from ZELKO_3D_PIN_OFS, and C2,
// mirrored, has its marks on the back side of the symbol (the offset turned about Y).
TEST_F(DrawAllTest, TwoAndThreeDimensionalPositions) {
    Make(14);
    ProgramRun run = Run("ordinal 1011\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(MarksOf("C1"),
              "WIREDIRECTION C1 1 0 @120,0,0\nWIREDIRECTION C1 2 180 @125,0,0\n"
              "WIREDIRECTION C1 3 90 @130,0,0\nWIREDIRECTION C1 4 270 @135,0,0\n"
              "WIREDIRECTION C1 5 0 @140,0,0\n");
    EXPECT_NE(MarksOf("C2").find("WIREDIRECTION C2 5 0 @180,0,0\n"), std::string::npos);

    run = Run("ordinal 1032\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(MarksOf("C1"),
              "WIREDIRECTION C1 1 0 @121,2,0\nWIREDIRECTION C1 2 180 @121,4,0\n"
              "WIREDIRECTION C1 3 90 @121,6,0\nWIREDIRECTION C1 4 270 @121,8,0\n"
              "WIREDIRECTION C1 5 0 @121,10,0\n");
    EXPECT_EQ(MarksOf("C2"),
              "WIREDIRECTION C2 1 0 @160,0,0\nWIREDIRECTION C2 2 180 @155,0,0\n"
              "WIREDIRECTION C2 3 90 @150,0,0\nWIREDIRECTION C2 4 270 @145,0,0\n"
              "WIREDIRECTION C2 5 0 @140,0,0\n");
}

// A drawing outside the project's layout folder: message 192 with the command's caption.
TEST_F(DrawAllTest, NotALayoutDrawing) {
    Make(14);
    const fs::path elsewhere = m_dir.path() / "elsewhere.dwg";
    fs::copy_file(drawing(), elsewhere);
    const ProgramRun run = Run("ordinal 1011\n> OK\n", elsewhere);
    EXPECT_NE(run.out.find("*** message box \"Confirm Direction of Wire\" OK WARNING ***\n"
                           "The current drawing is not Explored drawing nor Panel drawing."),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Saved().find("WIREDIRECTION C"), std::string::npos);
}

}  // namespace
