// Entry points 1003, 1004, 1005 and 1013 as the user runs them: cadhost answers the prompts,
// boxes and the placement dialog from a script, on a sample project of one panel; the
// parameter files are checked byte by byte, the placed drawing read back with ezdxf.

#include <gtest/gtest.h>

#include <cstdio>

#include "RelayFixture.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using relaytest::kHeader2D;
using relaytest::Line;
using relaytest::Sample;
using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

ProgramRun Cadhost(const Sample& sample, const std::string& script, bool project = true,
                   const std::string& installation = "", const std::string& temp = "") {
    WriteBytes(sample.dir() / "run.scr", script);
    std::vector<std::string> args = {CADHOST_PATH, "--plugin", ROUTIX23_PATH};
    if (project)
        args.insert(args.end(), {"--project", sample.project().string()});
    args.insert(args.end(), {"--script", (sample.dir() / "run.scr").string()});
    return testsupport::RunProgram(
        args, sample.dir(), "C",
        {"TMPDIR=" + (temp.empty() ? sample.temp().string() : temp),
         "ZELKO_HOME=" + (installation.empty() ? sample.installation().string() : installation),
         "ZELKO_SETTINGS=" + (sample.dir() / "settings.sqlite").string()});
}

std::string Open(const Sample& sample) {
    return "open \"" + sample.panelDrawing().string() + "\"\n";
}

/// "BLOCK NAME PIN1 PIN2 TYPE X" of every block reference at X >= 900 that carries its symbol
/// type itself (as the placement marks its blocks), in the saved drawing, by ezdxf.
std::string PlacedBlocks(const fs::path& drawing) {
    const std::string command =
        "/usr/bin/python3 -c \"import ezdxf,sys\n"
        "d=ezdxf.readfile(sys.argv[1])\n"
        "for e in d.modelspace().query('INSERT'):\n"
        "  if e.dxf.insert.x>=900 and e.has_xdata('ZELKO_SYMBOL'):\n"
        "    a={t.dxf.tag:t.dxf.text for t in e.attribs}\n"
        "    x=e.get_xdata('ZELKO_SYMBOL')[0][1]\n"
        "    print(e.dxf.name,a.get('NAME'),a.get('PIN1'),a.get('PIN2'),x,round(e.dxf.insert.x,3))"
        "\" '" +
        drawing.string() + "'";
    return testsupport::ShellOutput(command);
}

// The inside-panel terminals of the panel drawing: the order number decides (the terminal
// without one, number 3, comes first), the symbols lose their quotes and ".dwg" ("'RT-2.DWG'"
// is RT-2), a Japanese terminal name is written in the code page, and the placement draws one
// terminal block per line side by side from the point given (the drawing's own blocks RT-2
// and RT-1, six units wide and centred on their base, win over the symbol library's).
TEST(RelayTerminals, InsidePanelWritesItsParameterFileAndPlacesTheBlocks) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    ASSERT_TRUE(sample.ProjectSql(
        "UPDATE terminal SET tag = '端子' WHERE list = 3 AND kind = 1 AND terminal_no = '1'"));
    const fs::path saved = sample.dir() / "placed.dxf";
    const ProgramRun run = Cadhost(
        sample, Open(sample) + "ordinal 1004\n> 900,100\nsave \"" + saved.string() + "\"\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nSpecify the insertion point of the terminal blocks: 900,100\n");
    EXPECT_EQ(ReadBytes(sample.temp() / "BannaiParam.txt"),
              std::string(kHeader2D) + Line("XT1", "3", "RT-2", "RT-2") +
                  Line("\x92\x5B\x8E\x71", "1", "RT-2", "RT-2") + Line("XT1", "2", "RT-1", "RT-1"));
    EXPECT_EQ(PlacedBlocks(saved),
              "RT-2 XT1 3 None TERM 903.0\n"
              "RT-2 端子 1 None TERM 909.0\n"
              "RT-1 XT1 2 None TERM 915.0\n");
    EXPECT_FALSE(fs::exists(sample.temp() / "BannaiParam.txt.new"));
}

// Each entry point writes its own kind into its own file; the door's terminals sit on the
// back plate.
TEST(RelayTerminals, EachEntryPointWritesItsKind) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    struct Case {
        const char* ordinal;
        const char* file;
        const char* name;
    };
    for (const Case& c :
         {Case{"1003", "BankanParam.txt", "XK1"}, Case{"1005", "DoorParam.txt", "XD1"},
          Case{"1004", "BannaiParam.txt", "XT1"}}) {
        const ProgramRun run =
            Cadhost(sample, Open(sample) + "ordinal " + c.ordinal + "\n> 900,0\n");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(sample.temp() / c.file),
                  std::string(kHeader2D) + Line(c.name, "3", "RT-2", "RT-2") +
                      Line(c.name, "1", "RT-2", "RT-2") + Line(c.name, "2", "RT-1", "RT-1"))
            << c.ordinal;
    }
}

// Choice 3 writes the three kinds in the order inside panel, door, between panels; the choice
// is remembered and the dialog shows it the next time; the loop ends when it is cancelled.
TEST(RelayTerminals, AllTerminalsInOneFileAndTheChoiceIsRemembered) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    ProgramRun run =
        Cadhost(sample, Open(sample) + "ordinal 1013\n> click 1103\n> OK\n> 900,0\n> CANCEL\n");
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected = kHeader2D;
    for (const char* name : {"XT1", "XD1", "XK1"})
        expected += Line(name, "3", "RT-2", "RT-2") + Line(name, "1", "RT-2", "RT-2") +
                    Line(name, "2", "RT-1", "RT-1");
    EXPECT_EQ(ReadBytes(sample.temp() / "Param.txt"), expected);

    run = Cadhost(sample, Open(sample) + "ordinal 1013\n> CANCEL\n");
    EXPECT_NE(run.out.find("[1100] radio [ ] \"Inside Panel\"\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[1103] radio [x] \"All Terminals\"\n"), std::string::npos);
    // Cancel writes nothing: the file of the first run stays.
    EXPECT_EQ(ReadBytes(sample.temp() / "Param.txt"), expected);
}

// Without current terminals the previous revision is taken; without either the plan has not
// been run (message 101) and the previous parameter file stays.
TEST(RelayTerminals, BothLoadVariants) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    ASSERT_TRUE(
        sample.ProjectSql("UPDATE terminal SET spec = 'PREV' WHERE list = 3 AND revision = 1;"
                          "DELETE FROM terminal WHERE list = 3 AND revision = 0"));
    ProgramRun run = Cadhost(sample, Open(sample) + "ordinal 1003\n> 900,0\n");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string previous = ReadBytes(sample.temp() / "BankanParam.txt");
    EXPECT_NE(previous.find("XK1\t3\tP1\tRT-2\tXK1\tRT-2\tUT4\tPREV\r\n"), std::string::npos)
        << previous;

    ASSERT_TRUE(sample.ProjectSql("DELETE FROM terminal WHERE list = 3"));
    run = Cadhost(sample, Open(sample) + "ordinal 1003\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "\n*** message box \"Place Terminal Block Connecting Panels\" OK WARNING ***\n"
              "Execute WP-FromTo previously.\n*** answer: OK ***\n\n");
    EXPECT_EQ(ReadBytes(sample.temp() / "BankanParam.txt"), previous);
}

// A part code holding a quote is bound, never pasted into the query: it finds exactly its
// part, and a code that would widen a pasted query finds nothing. The symbol 'TB-10.DWG' of
// the parts database is TB-10.
TEST(RelayTerminals, APartCodeWithAQuoteFindsExactlyItsPart) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    ASSERT_TRUE(sample.ProjectSql(
        "UPDATE terminal SET part_code = 'RT''2' WHERE list = 3 AND kind = 1 AND terminal_no = "
        "'1';"
        "UPDATE terminal SET part_code = 'x'' OR ''1''=''1' WHERE list = 3 AND kind = 1 AND "
        "terminal_no = '2';"
        "UPDATE terminal SET part_code = 'TB-10' WHERE list = 3 AND kind = 1 AND terminal_no = "
        "'3'"));
    ASSERT_TRUE(
        sample.PartsSql("INSERT INTO bom (code, bombsym) VALUES ('RT''2', '''Q''X.DWG''')"));
    const ProgramRun run = Cadhost(sample, Open(sample) + "ordinal 1004\n> 900,0\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(sample.temp() / "BannaiParam.txt"),
              std::string(kHeader2D) + Line("XT1", "3", "TB-10", "TB-10") +
                  Line("XT1", "1", "Q'X", "RT'2") + Line("XT1", "2", "", "x' OR '1'='1"));
    // The placement says which lines it could not draw.
    EXPECT_NE(run.out.find("/SYMBOL/Q'X.dxf cannot be read"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nNo symbol for the terminal XT1:2."), std::string::npos);
}

// A row longer than a formatted line (1023 characters) is written whole, its line end kept.
TEST(RelayTerminals, ALongRowIsWrittenWhole) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    ASSERT_TRUE(sample.ProjectSql(
        "UPDATE terminal SET spec = replace(hex(zeroblob(700)), '00', 'AB') WHERE list = 3"));
    const ProgramRun run = Cadhost(sample, Open(sample) + "ordinal 1005\n> 900,0\n");
    EXPECT_EQ(run.status, 0) << run.err;
    std::string longSpec;
    for (int i = 0; i < 700; ++i)
        longSpec += "AB";
    auto line = [&](const char* pin, const char* part) {
        return std::string("XD1\t") + pin + "\tP1\t" + part + "\tXD1\t" + part + "\tUT4\t" +
               longSpec + "\r\n";
    };
    EXPECT_EQ(ReadBytes(sample.temp() / "DoorParam.txt"),
              std::string(kHeader2D) + line("3", "RT-2") + line("1", "RT-2") + line("2", "RT-1"));
}

// Bad input: no parts database, no project, a temporary folder that cannot be written. The
// previous parameter file survives each.
TEST(RelayTerminals, MissingPartsDatabaseNoProjectAndAnUnwritableTemporaryFolder) {
    Sample sample;
    ASSERT_TRUE(sample.ok());
    WriteBytes(sample.temp() / "BannaiParam.txt", "previous\r\n");
    fs::create_directories(sample.dir() / "empty");
    ProgramRun run =
        Cadhost(sample, Open(sample) + "ordinal 1004\n", true, (sample.dir() / "empty").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nZELKOBOM: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ZELKOBOM.sqlite"), std::string::npos) << run.out;
    EXPECT_EQ(ReadBytes(sample.temp() / "BannaiParam.txt"), "previous\r\n");

    run = Cadhost(sample, Open(sample) + "ordinal 1004\n", false);
    EXPECT_EQ(run.out,
              "\n*** message box \"Place Terminal Block inside Panel\" OK WARNING ***\n"
              "Open the project.\n*** answer: OK ***\n\n");

    // A temporary folder that does not exist, and one where the file cannot be made (a
    // folder holds its name): nothing is placed.
    const fs::path missing = sample.dir() / "no such folder";
    run = Cadhost(sample, Open(sample) + "ordinal 1004\n", true, "", missing.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nGetTempPath error.\n");
    WriteBytes(sample.temp() / "BannaiParam.txt.new" / "in the way", "");
    run = Cadhost(sample, Open(sample) + "ordinal 1004\n");
    EXPECT_EQ(run.out, "\nCannot open the file (FileName=" + sample.temp().string() +
                           "/BannaiParam.txt.new|LastErr=21)\n");
    EXPECT_EQ(ReadBytes(sample.temp() / "BannaiParam.txt"), "previous\r\n");
}

}  // namespace
