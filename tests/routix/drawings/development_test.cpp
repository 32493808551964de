// Entry points 1000 and 1001 as the user runs them: cadhost answers dialog 207 and the
// questions from a script, on the sample project whose row ROW2 gets panel drawings that ezdxf
// writes; the saved development drawings are read back with ezdxf.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "arx/DrawingLock.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteBytes;

std::string Python(const std::string& command, const fs::path& path) {
    const std::string line = std::string("/usr/bin/python3 '") + DEVELOPMENT_DRAWINGS + "' " +
                             command + " '" + path.string() + "' 2>&1";
    return testsupport::ShellOutput(line);
}

/// The sample project in DIR/out with the drawings of row ROW2 replaced.
struct Project {
    TempDir dir;
    fs::path project = dir.path() / "out" / "SAMPLE";
    fs::path layout = project / "DWG" / "LAYOUT";
    Project() {
        const ProgramRun run =
            RunProgram({SAMPLE_PROJECT_PROGRAM, (dir.path() / "out").string()}, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Python("panels", project), "");
        row1 = ReadBytes(layout / "LAYOUT_ROW1.dwg");
        fs::remove(layout / "LAYOUT_ROW2.dwg");  // the generator's, of the drawings replaced
    }
    std::string row1;
    /// Runs cadhost with the project open and its first panel drawing current.
    ProgramRun Run(const std::string& script, const std::string& language = "C") const {
        WriteBytes(dir.path() / "run.scr", script);
        return RunProgram(
            {CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--project", project.string(), "--script",
             (dir.path() / "run.scr").string(), (project / "DWG" / "PANEL" / "P01.dwg").string()},
            dir.path(), language,
            {"TMPDIR=" + dir.path().string() + "/",
             "ZELKO_HOME=" + (dir.path() / "out" / "zelko").string(),
             "ZELKO_SETTINGS=" + (dir.path() / "settings.sqlite").string(),
             "CADHOST_DIALOG_DATA=" + (dir.path() / "dialogs.ini").string()});
    }
};

/// Dialog 207 with only ROW2 ticked, then the answers.
std::string Only2(const std::string& more = "", bool explode = false) {
    return "ordinal 1000\n> cell 235 1 1 0\n" + std::string(explode ? "> check 234 1\n" : "") +
           "> OK\n" + more;
}

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix))
            lines.push_back(line);
    return lines;
}

// Two panels with two drawings each: four blocks in panel order, each 100 units right of the
// previous one's extents (frames from x 500 of widths 300, 400, 500, 600, at y 300), symbols of
// type BAN, TERM and PNL tagged with their plate (the first one found for a symbol on both) and
// panel number, others untouched; the completion message with the path.
TEST(DevelopmentDrawings, PlacesAndTagsTheRowsDrawings) {
    Project p;
    const ProgramRun run = p.Run(Only2());
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const fs::path target = p.layout / "LAYOUT_ROW2.dwg";
    EXPECT_NE(run.out.find("\nCreated the layout drawings.\n  " + target.string()),
              std::string::npos)
        << run.out;
    const std::string saved = Python("read", target);
    const auto inserts = Lines(saved, "INSERT");
    ASSERT_EQ(inserts.size(), 4u) << saved;
    const double starts[] = {0, 400, 900, 1500};
    for (int i = 0; i < 4; ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.3f %.3f", starts[i] - 500, -300.0);
        EXPECT_TRUE(inserts[static_cast<std::size_t>(i)].ends_with(expected))
            << inserts[static_cast<std::size_t>(i)];
    }
    // The frame template is there, and ROW1 (not ticked) is the generator's still.
    EXPECT_NE(saved.find("ENTITY LWPOLYLINE WAKU"), std::string::npos) << saved;
    EXPECT_EQ(ReadBytes(p.layout / "LAYOUT_ROW1.dwg"), p.row1);
    // Tagging, in the definitions: per symbol its attributes.
    const std::string on1 = "    NAME=ON1\n    WP_PLATENAME=PL1\n    BAN_NO=P4\n";
    const std::string edge = "    NAME=EDGE\n    WP_PLATENAME=PL1\n    BAN_NO=P4\n";
    const std::string box = "    NAME=BOX\n    BAN_NO=P4\n    WP_PLATENAME=PL2\n";
    const std::string other = "  NESTED S_XYZ\n    NAME=OTHER\n";
    for (const std::string& part : {on1, edge, box, other})
        EXPECT_NE(saved.find(part), std::string::npos) << part << "\n" << saved;
    EXPECT_NE(saved.find("    NAME=ON1\n    WP_PLATENAME=PL1\n    BAN_NO=P5\n"), std::string::npos)
        << "B1 is of P5";
    EXPECT_EQ(saved.find("BAN_NO=OLD"), std::string::npos);
    EXPECT_EQ(saved.find("NAME=OTHER\n    WP_PLATENAME"), std::string::npos) << "type XYZ";
    EXPECT_EQ(saved.find("NAME=OTHER\n    BAN_NO"), std::string::npos) << "type XYZ";
}

// "Not Blockage": the contents exploded into model space (a point, a hatch and an ellipse
// too) with their layer, line type, line weight and colour; the symbols stay
// references with their attributes. The setting is remembered.
TEST(DevelopmentDrawings, NotBlockageSavesTheExplodedContents) {
    Project p;
    const ProgramRun run = p.Run(Only2("", true));
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const std::string saved = Python("read", p.layout / "LAYOUT_ROW2.dwg");
    EXPECT_EQ(saved.find("INSERT *"), std::string::npos) << saved;
    EXPECT_EQ(Lines(saved, "INSERT S_BAN").size(), 4u) << saved;
    EXPECT_NE(saved.find("INSERT S_PNL"), std::string::npos);
    EXPECT_NE(saved.find("  NAME=EDGE\n  WP_PLATENAME=PL1\n  BAN_NO=P5\n"), std::string::npos)
        << saved;
    for (const char* kind : {"ENTITY POINT PARTS BYLAYER -1 1", "ENTITY HATCH PARTS BYLAYER -1 5",
                             "ENTITY ELLIPSE PARTS DASHED 50 256"})
        EXPECT_NE(saved.find(kind), std::string::npos) << kind << "\n" << saved;
    // The dialog opens with the box ticked the next time.
    const ProgramRun again = p.Run("ordinal 1000\n> CANCEL\n");
    EXPECT_NE(again.out.find("[234] check [x] \"Not Blockage\""), std::string::npos) << again.out;
}

// An existing drawing: overwrite answered No keeps it byte for byte; a drawing held open by
// another session asks 196, whose No ends the command, and whose Yes goes on with the next row.
TEST(DevelopmentDrawings, AnExistingDrawingIsAskedAbout) {
    Project p;
    const fs::path target = p.layout / "LAYOUT_ROW2.dwg";
    ASSERT_EQ(p.Run(Only2()).status, 0);
    const std::string before = ReadBytes(target);
    ProgramRun run = p.Run(Only2("> NO\n"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("The explored drawing <LAYOUT_ROW2.dwg> exists.\r\nOverwrite it?"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(target), before);
    EXPECT_EQ(run.out.find("Created the layout drawings."), std::string::npos);

    arx::DrawingLock lock;
    ASSERT_TRUE(lock.Acquire(target));
    run = p.Run(Only2("> NO\n"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Explored Drawing <LAYOUT_ROW2.dwg> is opened."), std::string::npos)
        << run.out;
    // Both rows: ROW1 is made, ROW2 in use is skipped with Yes.
    run = p.Run("ordinal 1000\n> OK\n> YES\n> YES\n");
    EXPECT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(ReadBytes(target), before);
    EXPECT_EQ(Lines(run.out, "Created the layout drawings.").size(), 1u) << run.out;
}

// A drawing that cannot be read is named on the command line (the project's drawing, not its
// temporary copy), leaves a gap of 100 units, and the row is saved.
TEST(DevelopmentDrawings, AnUnreadableDrawingLeavesAGap) {
    Project p;
    ASSERT_EQ(Python("broken", p.project), "");
    const ProgramRun run = p.Run(Only2());
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_NE(run.out.find("\ne:\\repos\\trunk\\src\\zelk\\routix\\ArxBlock.cpp("),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("): readDwgFile error (FileName=" +
                           (p.project / "DWG" / "PANEL" / "BROKEN.dwg").string() + "|es="),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nCreated the layout drawings."), std::string::npos) << run.out;
    const auto inserts = Lines(Python("read", p.layout / "LAYOUT_ROW2.dwg"), "INSERT");
    ASSERT_EQ(inserts.size(), 4u);
    EXPECT_TRUE(inserts[2].ends_with(" 500.000 -300.000")) << inserts[2];  // 900 + 100 - 500
}

// The sample project's generator lays out its development drawings as the command does: ROW1
// made again with "Not Blockage" reads back the same, entity by entity, attributes included.
TEST(DevelopmentDrawings, TheSampleGeneratorLaysOutAsTheCommandDoes) {
    Project p;
    const fs::path generated = p.dir.path() / "generated.dwg";
    WriteBytes(generated, p.row1);
    const ProgramRun run = p.Run("ordinal 1000\n> cell 235 2 1 0\n> check 234 1\n> OK\n> YES\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const std::string made = Python("read", p.layout / "LAYOUT_ROW1.dwg");
    EXPECT_NE(ReadBytes(p.layout / "LAYOUT_ROW1.dwg"), p.row1);  // written again
    EXPECT_GT(Lines(made, "INSERT").size(), 10u) << made;
    EXPECT_EQ(made, Python("read", generated));
}

// Without the frame template nothing is made, and the command says why.
TEST(DevelopmentDrawings, AMissingFrameTemplateMakesNothing) {
    Project p;
    fs::remove(p.dir.path() / "out" / "zelko" / "SUPPORT" / "WAKUBASE.dxf");
    const ProgramRun run = p.Run(Only2());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nWAKUBASE: "), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(p.layout / "LAYOUT_ROW2.dwg"));
    EXPECT_EQ(run.out.find("Created the layout drawings."), std::string::npos);
}

// Entry point 1001: the file prompt in the layout folder opens the chosen drawing; without a
// project and a drawing there is no layout folder (message 123).
TEST(DevelopmentDrawings, EntryPoint1001OpensALayoutDrawing) {
    Project p;
    const fs::path row1 = p.layout / "LAYOUT_ROW1.dwg";
    ProgramRun run = p.Run("ordinal 1001\n> " + row1.string() + "\ngetvar DWGNAME\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("DWGNAME = LAYOUT_ROW1.dwg"), std::string::npos) << run.out;
    WriteBytes(p.dir.path() / "alone.scr", "ordinal 1001\n");
    run = RunProgram({CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--script",
                      (p.dir.path() / "alone.scr").string()},
                     p.dir.path());
    EXPECT_NE(run.out.find("*** alert ***\nCannot find LAYOUT folder."), std::string::npos)
        << run.out;
}

}  // namespace
