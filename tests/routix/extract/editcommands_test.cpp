// Entry points 1002 (mirror) and 1007 / 1030 (surplus length) as the user runs them: cadhost
// answers the selection, the axis prompt and the dialog from a script, on drawings ezdxf writes
// (edit_drawings.py), and ezdxf reads back what cadhost saved.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteBytes;

// Runs the helper; its output.
std::string Helper(const std::string& mode, const fs::path& path) {
    const std::string command = std::string("/usr/bin/python3 '") + EDIT_DRAWINGS + "' " + mode +
                                " '" + path.string() + "'";
    return testsupport::ShellOutput(command);
}

// "NAME HANDLE" lines as a map.
std::map<std::string, std::string> Handles(const std::string& lines) {
    std::map<std::string, std::string> handles;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = lines.find('\n', start);
        const std::string line = lines.substr(start, end - start);
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos)
            handles[line.substr(0, blank)] = line.substr(blank + 1);
        start = end == std::string::npos ? lines.size() : end + 1;
    }
    return handles;
}

struct Session {
    TempDir dir;
    fs::path drawing = dir.path() / "P01.dxf";
    fs::path saved = dir.path() / "saved.dxf";
    std::map<std::string, std::string> h;

    explicit Session(const std::string& kind = "symbols") : h(Handles(Helper(kind, drawing))) {}

    ProgramRun Run(const std::string& body, const std::string& language = "C") {
        WriteBytes(dir.path() / "run.scr", "open P01.dxf\n" + body + "save saved.dxf\n");
        return RunProgram({CADHOST_PATH, "--plugin", ROUTIX23_PATH, "--script",
                           (dir.path() / "run.scr").string()},
                          dir.path(), language,
                          {"CADHOST_DIALOG_DATA=" + (dir.path() / "DialogData.ini").string(),
                           "ZELKO_SETTINGS=" + (dir.path() / "ZELKOCLD.sqlite").string()});
    }
    std::string Dump() { return Helper("dump", saved); }
    std::string DumpSource() { return Helper("dump", drawing); }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// --- surplus length ------------------------------------------------------------------------------

// Three symbols with 10, none and 10 open the dialog with 10; with 10, 20 and 10 it opens
// empty (compared without regard to case: the texts are digits here).
TEST(SurplusLength, TheInitialValueIsTheSymbolsCommonValue) {
    Session s;
    ASSERT_EQ(s.h.size(), 7u);
    const auto same = s.Run("select " + s.h["K1"] + " " + s.h["K2"] + " " + s.h["K3"] +
                            "\nordinal 1007\n> CANCEL\n");
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_TRUE(Has(same.out,
                    "*** dialog 208 \"Specify Surplus Length\" ***\n"
                    "[-1] static \"Surplus Length (mm)\"\n[205] combo \"10\"\n"))
        << same.out;
    EXPECT_FALSE(Has(same.out, "Select objects"));  // pick-first: no prompt
    const auto differ = s.Run("select " + s.h["K1"] + " " + s.h["K4"] + " " + s.h["K3"] +
                              "\nordinal 1007\n> CANCEL\n");
    EXPECT_TRUE(Has(differ.out, "[205] combo\n")) << differ.out;
    // Cancelled: nothing changed.
    EXPECT_EQ(s.Dump(), s.DumpSource());
}

// 1007 puts every ADDITION attribute on the layer "ADDITION" (made when missing); 1030 gives
// a symbol without one a new attribute of height 1 on the frozen layer "PINOFF" and moves
// existing ones to "ADDITION", where they stay visible.
TEST(SurplusLength, TheAdditionAndPinoffLayers) {
    Session s;
    auto run = s.Run("ordinal 1007\n> " + s.h["K1"] + " " + s.h["K2"] + " " + s.h["LINE"] +
                     "\n> text 205 25\n> OK\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    std::string dump = s.Dump();
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 25 ADDITION 2.500 at=0.000,-3.000")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 25 ADDITION 2.500 at=10.000,0.000")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 10 0 2.500 at=20.000,-3.000")) << dump;  // K3
    EXPECT_TRUE(Has(dump, "LAYER ADDITION frozen=0")) << dump;
    EXPECT_FALSE(Has(dump, "PINOFF"));
    EXPECT_EQ(ReadBytes(s.dir.path() / "DialogData.ini"),
              "[ZELKOWP2::CYocyouDlg]\nDefaultYocyou=25\n");

    run = s.Run("select " + s.h["K1"] + " " + s.h["K2"] + "\nordinal 1030\n> text 205 -7\n> OK\n",
                "ja_JP.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_TRUE(Has(run.out,
                    "*** dialog 208 \"余長入力\" ***\n[-1] static \"余長(mm)\"\n"
                    "[205] combo \"10\" 0:25\n"))
        << run.out;
    dump = s.Dump();
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION -7 ADDITION 2.500 at=0.000,-3.000")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION -7 PINOFF 1.000 at=10.000,0.000")) << dump;
    EXPECT_TRUE(Has(dump, "LAYER PINOFF frozen=1")) << dump;
    EXPECT_TRUE(Has(dump, "LAYER ADDITION frozen=0")) << dump;
}

TEST(SurplusLength, TypedLettersAndASecondMinusAreRefused) {
    Session s;
    const auto run = s.Run("select " + s.h["K2"] + "\nordinal 1007\n> type 205 12a\n> OK\nselect " +
                           s.h["K4"] + "\nordinal 1007\n> type 205 -3-\n> OK\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\a'), 2);
    const std::string dump = s.Dump();
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 12 ADDITION")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION -3 ADDITION")) << dump;
}

// An empty value is written to the symbols and leaves the stored default as it was.
TEST(SurplusLength, AnEmptyValueKeepsTheStoredDefault) {
    Session s;
    WriteBytes(s.dir.path() / "DialogData.ini", "[ZELKOWP2::CYocyouDlg]\nDefaultYocyou=40\n");
    const auto run = s.Run("select " + s.h["K1"] + "\nordinal 1007\n> text 205\n> OK\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[205] combo \"10\" 0:40\n")) << run.out;
    EXPECT_TRUE(Has(s.Dump(), "  ATTRIB ADDITION  ADDITION 2.500 at=0.000,-3.000"));
    EXPECT_EQ(ReadBytes(s.dir.path() / "DialogData.ini"),
              "[ZELKOWP2::CYocyouDlg]\nDefaultYocyou=40\n");
}

// No symbol in the selection, or a dialog whose answers run out: message 106, or nothing
// written; a dialog data store that cannot be read is said and the value still set.
TEST(SurplusLength, BadSelectionsAndStores) {
    Session s;
    auto run = s.Run("ordinal 1007\n> " + s.h["LINE"] + " " + s.h["TEXT"] + "\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "\nThe selecting objects is not correct.")) << run.out;
    run = s.Run("select " + s.h["K1"] + "\nordinal 1007\n");
    EXPECT_NE(run.status, 0);  // the dialog took no answer: cancelled
    EXPECT_TRUE(Has(run.out, "*** dialog 208 closed: CANCEL ***"));
    EXPECT_EQ(s.Dump(), s.DumpSource());
    // A symbol on a locked layer cannot be opened for write: its line, and the others change.
    run = s.Run("select " + s.h["K3"] + " " + s.h["K5"] + "\nordinal 1007\n> text 205 8\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "\ne:\\repos\\trunk\\src\\zelk\\routix\\ROUTIXCommandExports.cpp("))
        << run.out;
    EXPECT_TRUE(Has(run.out, "): acdbOpenAcDbObject error(eOnLockedLayer)")) << run.out;
    std::string dump = s.Dump();
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 8 ADDITION 2.500 at=20.000,-3.000")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 30 0 2.500 at=40.000,-3.000")) << dump;
    fs::remove(s.dir.path() / "DialogData.ini");
    fs::create_directories(s.dir.path() / "DialogData.ini");
    run = s.Run("select " + s.h["K2"] + "\nordinal 1007\n> text 205 5\n> OK\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "DialogData.ini: the dialog data cannot be read")) << run.out;
    EXPECT_TRUE(Has(s.Dump(), "  ATTRIB ADDITION 5 ADDITION"));
}

// --- mirror --------------------------------------------------------------------------------------

// Pick-first: no prompt for objects. The sources are replaced by new objects with new handles,
// mirrored about the vertical axis through the picked point; the text keeps reading left to
// right (MIRRTEXT 0 for the command, the user's value back afterwards); the symbol on the
// locked layer is left out.
TEST(Mirror, ReplacesTheSourcesByMirroredObjects) {
    Session s;
    const auto run =
        s.Run("setvar MIRRTEXT 1\nselect " + s.h["K1"] + " " + s.h["TEXT"] + " " + s.h["LINE"] +
              " " + s.h["K5"] + "\nordinal 1002\n> 100,0\ngetvar MIRRTEXT\ngetvar OSMODE\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_FALSE(Has(run.out, "Select objects"));
    EXPECT_TRUE(Has(run.out, "Specify the location of reverse axis: 100,0")) << run.out;
    EXPECT_TRUE(Has(run.out, "1 was on a locked layer."));
    EXPECT_TRUE(Has(run.out, "MIRRTEXT = 1"));
    const std::string dump = s.Dump();
    for (const char* name : {"K1", "TEXT", "LINE"})
        EXPECT_FALSE(Has(dump, " " + s.h[name] + " ")) << name << "\n" << dump;
    EXPECT_TRUE(Has(dump, " " + s.h["K5"] + " LOCKED at=40.000,0.000"));
    EXPECT_TRUE(Has(dump, "0 at=200.000,0.000 xscale=-1.000 rotation=0.000")) << dump;
    EXPECT_TRUE(Has(dump, "  ATTRIB ADDITION 10 0 2.500 at=200.000,-3.000 rotation=0.000"));
    EXPECT_TRUE(Has(dump, "0 at=195.000,10.000 rotation=0.000 mirror=0")) << dump;
    EXPECT_TRUE(Has(dump, "0 from=200.000,20.000 to=190.000,25.000")) << dump;
}

TEST(Mirror, CancellingTheAxisPromptChangesNothing) {
    Session s;
    const auto run = s.Run("setvar SNAPMODE 1\nsetvar OSMODE 33\nordinal 1002\n> " + s.h["K1"] +
                           "\n> *CANCEL*\ngetvar SNAPMODE\ngetvar OSMODE\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "Select objects: " + s.h["K1"])) << run.out;
    EXPECT_TRUE(Has(run.out, "SNAPMODE = 1"));
    EXPECT_TRUE(Has(run.out, "OSMODE = 33"));
    EXPECT_EQ(s.Dump(), s.DumpSource());
    const auto none = s.Run("ordinal 1002\n> \n");
    EXPECT_TRUE(Has(none.out, "\nThe selecting objects is not correct.")) << none.out;
}

// Every entity type the drawings hold is mirrored, or none is: a mesh (which the database does
// not transform) in the selection leaves the whole drawing as it was. The mirrored dimension
// draws itself through a copy of its block.
TEST(Mirror, EveryTypeOrNothing) {
    Session s("shapes");
    std::string all;
    for (const auto& [type, handle] : s.h)
        if (type != "MESH")
            all += " " + handle;
    auto run = s.Run("select" + all + "\nordinal 1002\n> 100,0\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const std::string dump = s.Dump();
    struct Expect {
        const char* type;
        const char* fields;
    } const expected[] = {
        {"POINT", "POINT "},
        {"POINT", "at=199.000,2.000"},
        {"SOLID", "v0=200.000,0.000 v1=198.000,0.000"},
        {"TRACE", "v0=200.000,0.000 v1=198.000,0.000"},
        {"3DFACE", "v0=200.000,0.000 v1=198.000,0.000"},
        {"ELLIPSE", "center=195.000,5.000 major=-3.000,1.000"},
        {"SPLINE", "c0=200.000,0.000 c3=194.000,4.000"},
        {"POLYLINE", "v1=197.000,0.000"},
        {"LWPOLYLINE", "p0=190.000,0.000 b0=-0.500"},
        {"CIRCLE", "center=197.000,3.000"},
        {"ARC", "center=194.000,6.000"},
        {"MTEXT", "at=180.000,10.000"},
        {"HATCH", "p0=170.000,0.000"},
        {"HATCH2", "line=136.000,0.000>140.000,0.000 arc=138.000,0.000 angles=180.000,0.000 ccw=1"},
        {"LEADER", "v0=160.000,0.000"},
        {"DIMENSION", "p1=200.000,-2.000 p2=194.000,-2.000 block=*D2 first=200.000,-2.000"},
        {"INSERT", "at=150.000,0.000 xscale=-1.000"},
    };
    for (const Expect& e : expected) {
        EXPECT_TRUE(Has(dump, e.fields)) << e.type << "\n" << dump;
        EXPECT_FALSE(Has(dump, " " + s.h[e.type] + " ")) << e.type;  // replaced: a new handle
    }
    // With the mesh: refused as a whole.
    Session t("shapes");
    run = t.Run("select" + all + " " + t.h["MESH"] + "\nordinal 1002\n> 100,0\n");
    EXPECT_TRUE(Has(run.out, "MIRROR: the MESH " + t.h["MESH"] +
                                 " cannot be mirrored (eNotApplicable); nothing was mirrored."))
        << run.out;
    EXPECT_EQ(t.Dump(), t.DumpSource());
}

// A text mirrored while MIRRTEXT is 1 reads backwards at its own rotation (not turned by 180
// degrees); the host's MIRROR with "N" keeps the source.
TEST(Mirror, MirroredTextWithMirrtext1) {
    Session s;
    const auto run =
        s.Run("setvar MIRRTEXT 1\ncommand MIRROR #" + s.h["TEXT"] + " \"\" 100,0 100,5 N\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const std::string dump = s.Dump();
    EXPECT_TRUE(Has(dump, "TEXT " + s.h["TEXT"] + " 0 at=5.000,10.000 rotation=0.000 mirror=0"));
    EXPECT_TRUE(Has(dump, " 0 at=195.000,10.000 rotation=0.000 mirror=2")) << dump;
}

}  // namespace
