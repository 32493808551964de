// Entry points 1010 / 1031 (terminal blocks) and 1035 / 1036 (change all) as the user runs
// them: cadhost opens the layout drawing of a project that term_project.py writes, the script
// selects with a window and answers dialog 214 with grid actions, the drawing is saved and
// ezdxf reads back marks, labels, direction attributes, their binding data and layers.

#include <gtest/gtest.h>

#include <filesystem>
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
    return testsupport::ShellOutput(std::string("/usr/bin/python3 '") + TERM_PROJECT + "' " +
                                    arguments + " 2>&1");
}

// The drawing as term_project.py writes it.
const std::string kInitial =
    "LABEL TB2@20,0 1 2\n"
    "MARK WIREDIRECTION C1@0,200 1 0 @1,201\n"
    "MARK WIREDIRECTION C1@0,200 2 0 @1,201\n"
    "MARK WIREDIRECTION TB2@0,0 1 0 @1,1\n"
    "MARK WIREDIRECTION TB2@20,0 1 0 @21,1\n"
    "MARK WIREDIRECTION TB2@40,0 1 0 @41,1\n"
    "ATTR TB2@20,0 WIREDIRECTION1=B layer=0 bound=2/\n"
    "ATTR TB4@0,100 WIREDIRECTION1=B layer=0 bound=1/\n";

// Windows around the symbols (and their marks).
const char* const kTB2 = "> W -5,-5 55,15\n";
const char* const kTB4 = "> W -5,95 15,115\n";

class TermDirectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Python("make '" + m_dir.path().string() + "' '" + PROJECT_SCHEMA + "'"), "");
    }
    fs::path drawing() const { return m_dir.path() / "PRJ/DWG/LAYOUT/LAYOUT_P01.dwg"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }
    /// Runs the script lines on the layout drawing and saves it.
    ProgramRun Run(const std::string& lines) {
        WriteBytes(m_dir.path() / "run.scr", "open \"" + drawing().string() + "\"\n" + lines +
                                                 "save \"" + saved().string() + "\"\n");
        return RunProgram(
            {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (m_dir.path() / "PRJ").string(),
             "--script", (m_dir.path() / "run.scr").string()},
            m_dir.path(), "C", {"ZELKO_HOME=" + (m_dir.path() / "zelko").string()});
    }
    std::string Saved() const { return Python("read '" + saved().string() + "'"); }

    TempDir m_dir;
};

// Terminal blocks at 0 and 90 degrees cannot be edited together: message 148, no dialog, and
// the marks in the selection stay.
TEST_F(TermDirectionTest, RotationsZeroAndNinetyAreRefusedTogether) {
    const ProgramRun run = Run("ordinal 1010\n> W -5,-5 115,15\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("*** message box \"Specify Direction of Wire (Terminal Block)\" OK "
                           "WARNING ***\nSelect Terminal Block of the same type."),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("*** dialog 214"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(), kInitial);
}

// One terminal: no "*Varies*" entry (the cell refuses it); its stored B shows, Reset shows the
// plan's default L, and Cancel leaves the drawing as it was.
TEST_F(TermDirectionTest, SingleTerminalResetThenCancel) {
    const ProgramRun run = Run(std::string("ordinal 1010\n") + kTB4 +
                               "> cell 225 1 2 *Varies*\n> click 224\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("*** dialog 214 \"Specify Direction of Wire (Terminal Block)\" ***\n"
                           "[219] static \"TB4\"\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  0: | Terminal Number | Direction of Wire | Direction of Tube\n"
                           "  1: | # 1 | from Bottom | Empty\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("action: cell 225 1 2 *Varies*\n("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  1: | # 1 | from Left | Empty\n"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(), kInitial);
}

// The marks selected with the terminal block are hidden while the dialog is open; Cancel
// brings them back. Three terminals whose wire values differ (L, stored B, R) show "*Varies*",
// and the representative is terminal 2, the one with a stored direction.
TEST_F(TermDirectionTest, CancelRestoresTheHiddenMarks) {
    const ProgramRun run = Run(std::string("ordinal 1010\n") + kTB2 + "> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[219] static \"TB2\"\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  1: | # 2 | *Varies* | Empty\n"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(), kInitial);
}

// A terminal block the project data does not know: message 142, no dialog, and the marks
// hidden for the dialog come back.
TEST_F(TermDirectionTest, FailedFillRestoresTheHiddenMarks) {
    const fs::path store = m_dir.path() / "PRJ/ZELKOPRJ.sqlite";
    ASSERT_EQ(testsupport::ShellOutput(
                  "/usr/bin/python3 -c 'import sqlite3, sys; "
                  "d = sqlite3.connect(sys.argv[1]); "
                  "d.execute(\"DELETE FROM terminal WHERE tag = ?\", (sys.argv[2],)); "
                  "d.commit()' '" +
                  store.string() + "' TB2 2>&1"),
              "");
    const ProgramRun run = Run(std::string("ordinal 1010\n") + kTB2);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Cannot get valid database information from the terminal."),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("*** dialog 214"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(), kInitial);
}

// OK on the three terminals of TB2, attribute by attribute and mark by mark: the old marks and
// the label go, every terminal gets a wire mark (T, 0 degrees) and a tube mark (R, 270) at its
// pin, and its number beside the wire mark; the attributes hold the codes with the binding of
// their terminal, new ones on "PINOFF", which the command added to the layer table.
TEST_F(TermDirectionTest, OkWritesEveryTerminalOfTheBlock) {
    const ProgramRun run = Run(std::string("ordinal 1010\n") + kTB2 +
                               "> cell 225 1 2 from Top\n> cell 225 1 3 from Right\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("error"), std::string::npos) << run.out;
    EXPECT_EQ(Saved(),
              "LABEL TB2@0,0 1 1\n"
              "LABEL TB2@20,0 1 2\n"
              "LABEL TB2@40,0 1 3\n"
              "MARK TUBEDIRECTION TB2@0,0 1 270 @2,3\n"
              "MARK TUBEDIRECTION TB2@20,0 1 270 @22,3\n"
              "MARK TUBEDIRECTION TB2@40,0 1 270 @42,3\n"
              "MARK WIREDIRECTION C1@0,200 1 0 @1,201\n"
              "MARK WIREDIRECTION C1@0,200 2 0 @1,201\n"
              "MARK WIREDIRECTION TB2@0,0 1 0 @2,3\n"
              "MARK WIREDIRECTION TB2@20,0 1 0 @22,3\n"
              "MARK WIREDIRECTION TB2@40,0 1 0 @42,3\n"
              "ATTR TB2@0,0 WIREDIRECTION1=T layer=PINOFF bound=1/\n"
              "ATTR TB2@0,0 TUBEDIRECTION1=R layer=PINOFF\n"
              "ATTR TB2@20,0 WIREDIRECTION1=T layer=0 bound=2/\n"
              "ATTR TB2@20,0 TUBEDIRECTION1=R layer=PINOFF\n"
              "ATTR TB2@40,0 WIREDIRECTION1=T layer=PINOFF bound=3/\n"
              "ATTR TB2@40,0 TUBEDIRECTION1=R layer=PINOFF\n"
              "ATTR TB4@0,100 WIREDIRECTION1=B layer=0 bound=1/\n"
              "LAYER PINOFF\n");
}

// "*Varies*" kept on OK: each terminal keeps its own wire value (only TB2 2 has one stored,
// B, and gets its mark back), and "Empty" for the tube writes empty texts and no tube mark.
TEST_F(TermDirectionTest, VariesLeavesEachValue) {
    const ProgramRun run = Run(std::string("ordinal 1010\n") + kTB2 + "> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Saved(),
              "LABEL TB2@20,0 1 2\n"
              "MARK WIREDIRECTION C1@0,200 1 0 @1,201\n"
              "MARK WIREDIRECTION C1@0,200 2 0 @1,201\n"
              "MARK WIREDIRECTION TB2@20,0 1 180 @22,3\n"
              "ATTR TB2@0,0 WIREDIRECTION1= layer=PINOFF bound=1/\n"
              "ATTR TB2@0,0 TUBEDIRECTION1= layer=PINOFF\n"
              "ATTR TB2@20,0 WIREDIRECTION1=B layer=0 bound=2/\n"
              "ATTR TB2@20,0 TUBEDIRECTION1= layer=PINOFF\n"
              "ATTR TB2@40,0 WIREDIRECTION1= layer=PINOFF bound=3/\n"
              "ATTR TB2@40,0 TUBEDIRECTION1= layer=PINOFF\n"
              "ATTR TB4@0,100 WIREDIRECTION1=B layer=0 bound=1/\n"
              "LAYER PINOFF\n");
}

// Change all over a component and a terminal block: the static is hidden and Reset disabled;
// both write index 1; in 2D every mark of the component goes (its pin 2 mark too), the marks
// in the selection are not hidden but redrawn.
TEST_F(TermDirectionTest, ChangeAllOverAComponentAndATerminalBlock) {
    const ProgramRun run =
        Run("ordinal 1035\n> W -5,95 15,215\n> click 224\n> cell 225 1 2 from Left\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("*** dialog 214 \"Change all Direction of Wire\" ***\n"
                           "[225] grid\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[224] button (disabled) \"Reset\"\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  1: | # 1 | *Varies* | Empty\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("action: click 224\n(the control 224 is disabled)"), std::string::npos)
        << run.out;
    EXPECT_EQ(Saved(),
              "LABEL TB2@20,0 1 2\n"
              "LABEL TB4@0,100 1 1\n"
              "MARK WIREDIRECTION C1@0,200 1 90 @2,203\n"
              "MARK WIREDIRECTION TB2@0,0 1 0 @1,1\n"
              "MARK WIREDIRECTION TB2@20,0 1 0 @21,1\n"
              "MARK WIREDIRECTION TB2@40,0 1 0 @41,1\n"
              "MARK WIREDIRECTION TB4@0,100 1 90 @2,103\n"
              "ATTR TB2@20,0 WIREDIRECTION1=B layer=0 bound=2/\n"
              "ATTR TB4@0,100 WIREDIRECTION1=L layer=0 bound=1/\n"
              "ATTR TB4@0,100 TUBEDIRECTION1= layer=PINOFF\n"
              "ATTR C1@0,200 WIREDIRECTION1=L layer=PINOFF bound=1/\n"
              "ATTR C1@0,200 TUBEDIRECTION1= layer=PINOFF\n"
              "LAYER PINOFF\n");
}

// The "(TO)" side writes index 2, and in 2D index 1 as well (both bound to its terminal 2);
// its marks are those of index 2 at the plan's offset of pin 2. In 3D (1036) only index 2.
TEST_F(TermDirectionTest, ToSideWritesBothIndicesInTwoD) {
    const std::string answers =
        "> W 95,195 115,215\n> cell 225 1 2 from Right\n> cell 225 1 3 from Top\n> OK\n";
    ProgramRun run = Run("ordinal 1035\n" + answers);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("  1: | # 2 | from Bottom | Empty\n"), std::string::npos) << run.out;
    std::string out = Saved();
    EXPECT_NE(out.find("MARK TUBEDIRECTION C1(TO)@100,200 2 0 @107,203\n"
                       "MARK WIREDIRECTION C1(TO)@100,200 2 270 @107,203\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("ATTR C1(TO)@100,200 WIREDIRECTION1=R layer=PINOFF bound=2/\n"
                       "ATTR C1(TO)@100,200 TUBEDIRECTION1=T layer=PINOFF\n"
                       "ATTR C1(TO)@100,200 WIREDIRECTION2=R layer=PINOFF bound=2/\n"
                       "ATTR C1(TO)@100,200 TUBEDIRECTION2=T layer=PINOFF\n"),
              std::string::npos)
        << out;

    fs::remove_all(m_dir.path() / "PRJ");
    SetUp();
    run = Run("ordinal 1036\n" + answers);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    out = Saved();
    EXPECT_NE(out.find("ATTR C1(TO)@100,200 WIREDIRECTION2=R layer=PINOFF bound=2/\n"
                       "ATTR C1(TO)@100,200 TUBEDIRECTION2=T layer=PINOFF\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("C1(TO)@100,200 WIREDIRECTION1"), std::string::npos) << out;
}

// 3D (1031): the code N ("Nearest Duct") is offered and draws the N wire mark, without a
// terminal-number label.
TEST_F(TermDirectionTest, ThreeDimensionalNearestDuct) {
    const ProgramRun run =
        Run(std::string("ordinal 1031\n") + kTB4 + "> cell 225 1 2 Nearest Duct\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const std::string out = Saved();
    EXPECT_NE(out.find("MARK WIREDIRECTIONN TB4@0,100 1 0 @2,103\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ATTR TB4@0,100 WIREDIRECTION1=N layer=0 bound=1/\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("LABEL TB4"), std::string::npos) << out;
}

// The sample project's terminal block TB2 (one symbol per terminal) as the README sets it:
// 1010 on LAYOUT_ROW1 and 1031 on LAYOUT_P01 write both directions with their binding data and
// draw a wire mark, a tube mark and a label per terminal of P1's TB2, and nothing on the other
// panels' TB2 beside it in the development drawing.
TEST(SampleTerminalBlock, TB2TakesTheDirectionsInTwoAndThreeDimensions) {
    TempDir dir;
    ASSERT_EQ(
        RunProgram({SAMPLE_PROJECT_PROGRAM, (dir.path() / "out").string()}, dir.path()).status, 0);
    const fs::path layout = dir.path() / "out/SAMPLE/DWG/LAYOUT";
    WriteBytes(dir.path() / "run.scr",
               "open \"" + (layout / "LAYOUT_ROW1.dwg").string() +
                   "\"\nordinal 1010\n> W 490,330 545,365\n> cell 225 1 2 from Top\n"
                   "> cell 225 1 3 from Right\n> OK\nsave \"" +
                   (dir.path() / "row1.dxf").string() + "\"\nopen \"" +
                   (layout / "LAYOUT_P01.dwg").string() +
                   "\"\nordinal 1031\n> W 390,490 430,545\n> cell 225 1 2 from Left\n> OK\n"
                   "save \"" +
                   (dir.path() / "p01.dxf").string() + "\"\n");
    const ProgramRun run = RunProgram(
        {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", (dir.path() / "out/SAMPLE").string(),
         "--script", (dir.path() / "run.scr").string()},
        dir.path(), "C", {"ZELKO_HOME=" + (dir.path() / "out/zelko").string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[219] static \"TB2\"\n"), std::string::npos) << run.out;

    struct Case {
        const char* file;
        std::string x, y;  // one of them varies over the four terminals
        const char *wire, *tube, *wireAngle;
    };
    for (const Case& c : {Case{"row1.dxf", "", "357", "T", "R", "0"},
                          Case{"p01.dxf", "400", "", "L", "B", "180"}}) {
        const std::string out = Python("read '" + (dir.path() / c.file).string() + "'");
        std::string labels, tubes, wires, attributes;
        for (int t = 1; t <= 4; ++t) {
            const std::string at = (c.x.empty() ? std::to_string(490 + 10 * t) : c.x) + "," +
                                   (c.y.empty() ? std::to_string(490 + 10 * t) : c.y);
            const std::string n = std::to_string(t);
            labels += "LABEL TB2@" + at + " 1 " + n + "\n";
            tubes += "MARK TUBEDIRECTION TB2@" + at + " 1 270 @" + at + "\n";
            wires += "MARK WIREDIRECTION TB2@" + at + " 1 " + c.wireAngle + " @" + at + "\n";
            attributes += "ATTR TB2@" + at + " WIREDIRECTION1=" + c.wire +
                          " layer=PINOFF bound=" + n + "/\nATTR TB2@" + at +
                          " TUBEDIRECTION1=" + c.tube + " layer=PINOFF\n";
        }
        for (const std::string& block : {labels, tubes, wires, attributes})
            EXPECT_NE(out.find(block), std::string::npos) << c.file << "\n" << block << out;
        // Only P1's TB2 was selected: four wire and four tube marks in all.
        std::size_t marks = 0;
        for (std::size_t at = 0; (at = out.find("MARK ", at)) != std::string::npos; ++at)
            ++marks;
        EXPECT_EQ(marks, 8u) << c.file << "\n" << out;
    }
}

}  // namespace
