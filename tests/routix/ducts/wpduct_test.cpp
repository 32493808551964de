// Entry point 1033 as the user runs it: cadhost opens a drawing that ezdxf wrote, runs the
// command and saves the drawing, and ezdxf reads back the lines and marks it drew.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/Frame.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

extern "C" int ZelkoOrdinal1033();
extern "C" int ZelkoOrdinal1034();

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

/// A folder with the installation (its junction mark drawing) and a drawing of `drawingCase`.
class WpDuctTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Python("support '" + install().string() + "'"), ""); }
    fs::path install() const { return m_dir.path() / "zelko"; }
    fs::path drawing() const { return m_dir.path() / "ducts.dxf"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }

    void Write(const std::string& drawingCase) {
        ASSERT_EQ(Python("write " + drawingCase + " '" + drawing().string() + "'"), "");
    }
    /// Runs `lines` (ordinal lines) on the drawing and saves it as saved.dxf.
    ProgramRun Run(const std::string& lines, const std::string& language = "C") {
        WriteBytes(m_dir.path() / "run.scr", "open \"" + drawing().string() + "\"\n" + lines +
                                                 "save \"" + saved().string() + "\"\n");
        return RunProgram({CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--script",
                           (m_dir.path() / "run.scr").string()},
                          m_dir.path(), language,
                          {"ZELKO_HOME=" + install().string(), "TMPDIR=" + m_dir.path().string()});
    }
    std::string Saved() const { return Python("read '" + saved().string() + "'"); }

    TempDir m_dir;
};

const std::string kGen = " gen=ZelkoWPDuctAutoGen";
const std::string kLayer = "LAYER DUCT color=40\n";

// The stem of a T is lengthened by half the bar's width and meets the bar's line in one mark;
// a second run replaces the first run's lines and mark with the same ones.
TEST_F(WpDuctTest, AT_LengthensTheStemAndMarksTheJunctionOnceAndAgain) {
    Write("t");
    const std::string expected = "INSERT CMARK_DUCT DUCT 460,720 CP\n" + kLayer +
                                 "LINE DUCT 460,100 460,720" + kGen + " size=60\n" +
                                 "LINE DUCT 580,720 20,720" + kGen + " size=-\n";
    ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nDrawed 2 WP Duct lines.\n");
    EXPECT_EQ(Saved(), expected);

    run = Run("ordinal 1033\nordinal 1033\n", "ja_JP.UTF-8");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "\n2 本のWPダクトラインを作図しました。\n2 本のWPダクトラインを作図しました。\n");
    EXPECT_EQ(Saved(), expected);
}

TEST_F(WpDuctTest, CrossingDuctsAreNeitherLengthenedNorMarked) {
    Write("cross");
    const ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nDrawed 2 WP Duct lines.\n");
    EXPECT_EQ(Saved(), kLayer + "LINE DUCT 200,400 200,0" + kGen + " size=-\n" +
                           "LINE DUCT 400,100 0,100" + kGen + " size=-\n");
}

// A duct that ends against the side of another at its end: the lengthened line ends where the
// other begins, and that shared end is one mark.
TEST_F(WpDuctTest, ACornerIsOneMark) {
    Write("corner");
    const ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Saved(), "INSERT CMARK_DUCT DUCT 120,20 CP\n" + kLayer + "LINE DUCT 120,20 0,20" +
                           kGen + " size=-\n" + "LINE DUCT 120,20 120,300" + kGen + " size=-\n");
}

// The previous run's generated line and mark on "DUCT" go; a generated line on another layer,
// the hand-drawn lines on any layer and the references at their ends stay, and the junction
// at such a reference is not marked again; a reference on another layer stays.
TEST_F(WpDuctTest, HandDrawnLinesAndTheReferencesAtTheirEndsAreKept) {
    Write("hand");
    const ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nDrawed 2 WP Duct lines.\n");
    EXPECT_EQ(Saved(),
              "INSERT CMARK_DUCT 0 310,310 CP\n"
              "INSERT CMARK_DUCT DUCT 460,720 CP\n"
              "INSERT CMARK_DUCT DUCT 50,900 CP\n" +
                  kLayer + "LINE 0 0,900 50,900 gen=- size=-\n" + "LINE DUCT 460,100 460,720" +
                  kGen + " size=60\n" + "LINE DUCT 460,720 460,800 gen=- size=-\n" +
                  "LINE DUCT 580,720 20,720" + kGen + " size=-\n" + "LINE OTHER 0,0 5,5" + kGen +
                  " size=-\n");
}

// Without the junction mark's drawing the lines are drawn, message 2663 names the mark, and no
// count is printed.
TEST_F(WpDuctTest, AMissingMarkDrawingLeavesTheLines) {
    Write("t");
    fs::remove(install() / "SUPPORT" / "CMARK_DUCT.dxf");
    ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nFailed to find the definition file of Intersection Mark (CMARK_DUCT).\n");
    EXPECT_EQ(Saved(), kLayer + "LINE DUCT 460,100 460,720" + kGen + " size=60\n" +
                           "LINE DUCT 580,720 20,720" + kGen + " size=-\n");

    // A mark drawing that cannot be read: the reason on the console, the lines stay.
    WriteBytes(install() / "SUPPORT" / "CMARK_DUCT.dxf", "0\nSECTION\n2\nENTITIES\n");
    run = Run("ordinal 1033\n", "ja_JP.UTF-8");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("loadBlockFile error("), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("作図しました"), std::string::npos) << run.out;
    EXPECT_NE(Saved().find("LINE DUCT 580,720 20,720"), std::string::npos);
}

// Outlines that are no ducts (open, rotated, five corners, no width, not a rectangle, on
// another layer) are skipped: message 2662 when none is left; without a "DCT*" layer 2661.
TEST_F(WpDuctTest, OutlinesThatAreNoDuctsAreSkipped) {
    Write("bad");
    ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nDuct shape doesn't exist on the layer (DCT*).\n");
    EXPECT_EQ(Saved(), "");

    Write("nolayer");
    run = Run("ordinal 1033\n", "ja_JP.UTF-8");
    EXPECT_EQ(run.out, "\n処理対象の画層(DCT*)がありません。\n");
    EXPECT_EQ(Saved(), "");
}

// A duct drawn twice gives one line; a square's sides 1 and 3 are its short sides.
TEST_F(WpDuctTest, ADuplicateDuctIsOneLineAndASquareRunsAlongX) {
    Write("duplicate");
    const ProgramRun run = Run("ordinal 1033\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nDrawed 3 WP Duct lines.\n");
    EXPECT_EQ(Saved(), "INSERT CMARK_DUCT DUCT 460,720 CP\n" + kLayer +
                           "LINE DUCT 1040,20 1000,20" + kGen + " size=-\n" +
                           "LINE DUCT 460,100 460,720" + kGen + " size=60\n" +
                           "LINE DUCT 580,720 20,720" + kGen + " size=-\n");
}

}  // namespace

namespace {

// 1033 and 1034 leave the 3D mode flag as it was (here without a drawing, and with a settings
// store that cannot be opened, so both end at once).
TEST(DuctEntryPoints, LeaveThe3DModeFlagAlone) {
    TempDir dir;
    ::setenv("ZELKO_SETTINGS", dir.path().c_str(), 1);
    for (const bool before : {true, false}) {
        routix::g_b3DMode = before;
        EXPECT_EQ(ZelkoOrdinal1033(), 1);
        EXPECT_EQ(routix::g_b3DMode, before);
        EXPECT_EQ(ZelkoOrdinal1034(), 1);
        EXPECT_EQ(routix::g_b3DMode, before);
    }
    ::unsetenv("ZELKO_SETTINGS");
}

}  // namespace
