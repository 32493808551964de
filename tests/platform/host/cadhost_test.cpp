// The program cadhost as a user runs it: the ROUTIX plug-ins loaded, scripts on a drawing
// written by ezdxf, the console in both languages, the exit status, drawings saved and read
// back by ezdxf.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteBytes;

const std::filesystem::path kData = HOST_TEST_DATA;

ProgramRun Cadhost(const TempDir& dir, const std::string& script, const std::string& language = "C",
                   const std::string& plugin = ROUTIX23_PATH) {
    WriteBytes(dir.path() / "run.scr", script);
    std::filesystem::copy_file(kData / "layout.dxf", dir.path() / "LAYOUT_P1.dxf",
                               std::filesystem::copy_options::overwrite_existing);
    return RunProgram(
        {CADHOST_PATH, "--plugin", plugin, "--script", (dir.path() / "run.scr").string()},
        dir.path(), language);
}

TEST(Cadhost, RunsTheFrameOrdinalsOnADrawingInBothLanguages) {
    const std::string script = "open LAYOUT_P1.dxf\nordinal 1012\nordinal 1029\nordinal 1037\n";
    struct Case {
        const char* language;
        const char* plugin;
        const char* caption;
        const char* text;
    };
    const Case cases[] = {
        {"C", ROUTIX23_PATH, "ROUTIX23", "\nSelect the plate to place a device."},
        {"en_US.UTF-8", ROUTIX24_PATH, "ROUTIX24", "\nSelect the plate to place a device."},
        {"ja_JP.UTF-8", ROUTIX23_PATH, "ROUTIX23", "\n仮配置の対象を、面選択してください。"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const ProgramRun run = Cadhost(dir, script, c.language, c.plugin);
        const std::string box = std::string("\n*** message box \"") + c.caption +
                                "\" OK INFORMATION ***\n" + c.text + "\n*** answer: OK ***\n";
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, box + box + "\n") << c.language;
        EXPECT_EQ(run.err,
                  "cadhost: ordinal 1012 returned 1\ncadhost: ordinal 1029 returned 0\n"
                  "cadhost: ordinal 1037 returned 0\n");
    }
}

TEST(Cadhost, RunsOrdinalsOnALayoutDrawingOfTheSampleProject) {
    std::filesystem::path drawing;
    for (const auto& entry : std::filesystem::directory_iterator(SAMPLE_LAYOUT_DIR))
        if (entry.path().filename().string().starts_with("LAYOUT_") &&
            (drawing.empty() || entry.path() < drawing))
            drawing = entry.path();
    ASSERT_FALSE(drawing.empty());
    for (const char* language : {"en_US.UTF-8", "ja_JP.UTF-8"}) {
        TempDir dir;
        WriteBytes(dir.path() / "run.scr", "open \"" + drawing.string() +
                                               "\"\ngetvar DWGNAME\nordinal 1012\nordinal 1029\n");
        const ProgramRun run = RunProgram({CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--script",
                                           (dir.path() / "run.scr").string()},
                                          dir.path(), language);
        const std::string text = std::string(language).starts_with("ja")
                                     ? "\n仮配置の対象を、面選択してください。"
                                     : "\nSelect the plate to place a device.";
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "\nDWGNAME = " + drawing.filename().string() +
                               "\n*** message box \"ROUTIX23\" OK INFORMATION ***\n" + text +
                               "\n*** answer: OK ***\n\n");
    }
}

TEST(Cadhost, OrdinalsThePluginDoesNotExportAreRefused) {
    TempDir dir;
    const ProgramRun run =
        Cadhost(dir, "open LAYOUT_P1.dxf\nordinal 1028\nordinal 1008\nordinal 1012\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("run.scr:2: ROUTIX23.so exports no entry point for ordinal 1028"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("run.scr:3: ROUTIX23.so exports no entry point for ordinal 1008"),
              std::string::npos);
    EXPECT_NE(run.err.find("ordinal 1012 returned 1"), std::string::npos);
}

// Reads a drawing with ezdxf and lists what the mirror tests look at.
ProgramRun ReadWithEzdxf(const TempDir& dir, const std::filesystem::path& drawing) {
    WriteBytes(dir.path() / "read.py",
               "import ezdxf, sys\n"
               "def r(v):\n"
               "    return round(v, 6) + 0.0\n"
               "doc = ezdxf.readfile(sys.argv[1])\n"
               "for e in doc.modelspace():\n"
               "    t = e.dxftype()\n"
               "    if t == 'LINE':\n"
               "        print(e.dxf.handle, t, r(e.dxf.start.x), r(e.dxf.end.x))\n"
               "    elif t == 'TEXT':\n"
               "        print(e.dxf.handle, t, r(e.dxf.insert.x), r(e.dxf.insert.y),\n"
               "              e.dxf.text_generation_flag & 2)\n"
               "    elif t == 'INSERT':\n"
               "        print(e.dxf.handle, t, r(e.dxf.insert.x), r(e.dxf.xscale))\n"
               "        for a in e.attribs:\n"
               "            print(' ', a.dxf.tag, r(a.dxf.insert.x), r(a.dxf.insert.y),\n"
               "                  r(a.dxf.rotation), a.dxf.text_generation_flag & 2)\n"
               "    else:\n"
               "        print(e.dxf.handle, t)\n");
    return RunProgram({"/usr/bin/python3", (dir.path() / "read.py").string(), drawing.string()},
                      dir.path());
}

TEST(Cadhost, MirrorsAndErasesAndSavesADrawingThatEzdxfReads) {
    TempDir dir;
    const ProgramRun run = Cadhost(dir,
                                   "open LAYOUT_P1.dxf\n"
                                   "setvar MIRRTEXT 0\n"
                                   "command _.mirror #3E #3F #41 #38 \"\" NON 10,0 NON 10,5 Y\n"
                                   "command ERASE #40 \"\"\n"
                                   "getvar MIRRTEXT\n"
                                   "save out.dxf\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nMIRRTEXT = 0\n");
    const ProgramRun read = ReadWithEzdxf(dir, dir.path() / "out.dxf");
    ASSERT_EQ(read.status, 0) << read.err;
    // The line and the symbol are mirrored about x = 10; the text and the attribute keep their
    // reading direction (not flagged backwards, baseline at 0 degrees). The mirrored objects
    // are new ones, in the sources' places: 3E, 3F, 41 and 38 became 45 to 48.
    EXPECT_EQ(read.out,
              "48 INSERT 10.0 -1.0\n  NAME 10.0 13.0 0.0 0\n3B INSERT 50.0 1.0\n"
              "  NAME 50.0 13.0 0.0 0\n45 LINE 20.0 15.0\n46 LINE -40.0 -50.0\n"
              "47 TEXT -10.0 30.0 0\n");
}

TEST(Cadhost, WithMirrtextOneTextsAreMirroredToo) {
    TempDir dir;
    const ProgramRun run = Cadhost(dir,
                                   "open LAYOUT_P1.dxf\nsetvar MIRRTEXT 1\n"
                                   "command MIRROR #41 #38 \"\" 10,0 10,5 Y\nsave out.dxf\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const ProgramRun read = ReadWithEzdxf(dir, dir.path() / "out.dxf");
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("45 TEXT -10.0 30.0 2\n"), std::string::npos) << read.out;
    EXPECT_EQ(read.out.find("41 TEXT"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("  NAME 10.0 13.0 "), std::string::npos) << read.out;
    EXPECT_NE(read.out.find(" 2\n3B INSERT"), std::string::npos) << read.out;
}

TEST(Cadhost, DocumentsAreOpenedActivatedAndClosed) {
    TempDir dir;
    std::filesystem::copy_file(kData / "layout.dxf", dir.path() / "LAYOUT_P2.dxf");
    const ProgramRun run = Cadhost(dir,
                                   "open LAYOUT_P1.dxf\nopen LAYOUT_P2.dxf\ngetvar DWGNAME\n"
                                   "activate layout_p1.DXF\ngetvar DWGNAME\n"
                                   "activate LAYOUT_P2.dxf\nclose\ngetvar DWGNAME\n"
                                   "activate LAYOUT_P2.dxf\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "\nDWGNAME = LAYOUT_P2.dxf\nDWGNAME = LAYOUT_P1.dxf\nDWGNAME = "
              "LAYOUT_P1.dxf\n");
    EXPECT_NE(run.err.find("run.scr:9: no open document LAYOUT_P2.dxf"), std::string::npos)
        << run.err;
}

TEST(Cadhost, AScriptWithoutTheAnswerACommandNeedsFails) {
    TempDir dir;
    // The box has one button and needs no answer; the stray answer line is an error, and so is
    // a host command whose selection is left open.
    const ProgramRun run = Cadhost(dir,
                                   "open LAYOUT_P1.dxf\n"
                                   "ordinal 1029\n"
                                   "> YES\n"
                                   "command ERASE #40\n"
                                   "open missing.dxf\n"
                                   "frobnicate\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("run.scr:3: an answer line, but no command asks anything"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("run.scr:4: the command ERASE failed"), std::string::npos);
    EXPECT_NE(run.err.find("run.scr:5: cannot open missing.dxf: "), std::string::npos);
    EXPECT_NE(run.err.find("run.scr:6: unknown script command \"frobnicate\""), std::string::npos);
}

TEST(Cadhost, APluginThatCannotBeLoadedEndsTheRun) {
    TempDir dir;
    WriteBytes(dir.path() / "ROUTIX99.so", "not a library");
    const ProgramRun run = Cadhost(dir, "echo never\n", "C", (dir.path() / "ROUTIX99.so").string());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cadhost: cannot load the plug-in"), std::string::npos);
    EXPECT_EQ(run.out, "");
}

// The answer script stands for the user at the keyboard: CMDACTIVE carries the script bit
// only while a CAD script runs (the script line "script"), and the answer script's own state
// comes back after it.
TEST(Cadhost, CmdactiveCarriesTheScriptBitOnlyInACadScript) {
    TempDir dir;
    WriteBytes(dir.path() / "cad.scr", "getvar CMDACTIVE\n");
    const ProgramRun run = Cadhost(dir, "getvar CMDACTIVE\nscript cad.scr\ngetvar CMDACTIVE\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nCMDACTIVE = 0\nCMDACTIVE = 4\nCMDACTIVE = 0\n");
    const ProgramRun missing = Cadhost(dir, "script none.scr\n");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read the script none.scr"), std::string::npos);
}

}  // namespace
