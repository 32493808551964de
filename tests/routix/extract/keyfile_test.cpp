// Entry point 1006 as the user runs it: cadhost answers the "LAYOUT PATH :" prompt and the
// boxes from a script, on layout drawings that ezdxf writes; the key file is checked byte by
// byte (code page, CR LF, header, field order).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
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

const std::string kHeader =
    ";Key\tHandle\tPage\tComponentTag\tPanelName\tPlateName\tAddress\tAngle\tSymbolName\tXcoor\t"
    "Ycoor\tSymbolIdent\tRouteCut\tTerminalNumber\tSurplusLength\tTermInputDirection\t"
    "TubeInputDirection\tInstUnit\tZcoor\r\n";

/// Runs the generator; its "NAME HANDLE" lines as a map.
std::map<std::string, std::string> WriteEdges(const fs::path& folder) {
    fs::create_directories(folder);
    const std::string command =
        std::string("/usr/bin/python3 '") + LAYOUT_DRAWINGS + "' edges '" + folder.string() + "'";
    std::map<std::string, std::string> handles;
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr)
        return handles;
    char name[64];
    char handle[64];
    while (std::fscanf(out, "%63s %63s", name, handle) == 2)
        handles[name] = handle;
    pclose(out);
    return handles;
}

/// The key file the edge drawings give, with the handles the generator reported. Text in
/// CP932 ("端子" is 92 5B 8E 71), the emoji the code page lacks as "?", the TAB of a tag kept.
std::string EdgesKeyFile(std::map<std::string, std::string> h) {
    auto line = [](std::initializer_list<std::string> fields) {
        std::string text;
        bool first = true;
        for (const std::string& field : fields) {
            text += (first ? "" : "\t") + field;
            first = false;
        }
        return text + "\r\n";
    };
    const std::string p = "LAYOUT_P01";
    const std::string tag = "\x92\x5B\x8E\x71XT1";
    std::string file = kHeader;
    file += line({"layoutp9-" + h["K9"], h["K9"], "layoutp9", "K9", "", "", "K9", "0.00", "CB-3P",
                  "1.00", "2.00", "BAN", "", "1", "", "_:_:_", "_:_:_", "", "0.00"});
    file += line({p + "-" + h["TAB"], h["TAB"], p, "A\tB?", "P01", "", "A\tB?", "0.00", "CB-3P",
                  "500.00", "500.00", "BAN", "", "", "", "", "", "", "0.00"});
    file += line({p + "-" + h["X1"], h["X1"], p, "X1", "P01", "OWN", "X1", "0.00", "CB-3P",
                  "100.00", "50.00", "BAN", "", "1", "", "_:_:_", "_:_:_", "", "0.00"});
    file += line({p + "-" + h["XT1"], h["XT1"], p, tag, "P01", "PL1", tag, "0.00", "RT-1", "20.00",
                  "20.00", "TERM", "", "5", "", "_:_:_", "_:_:_", "", "0.00"});
    file += line({p + "-" + h["CB1"], h["CB1"], p, "CB1-X", "P01", "PL1", "A1", "0.00", "CB-3P",
                  "50.00", "50.00", "BAN", "", "1", "150", "2:CN:T", "2:CN:B", "U1", "0.00"});
    for (const auto& [pin, wire] : {std::pair{"1", "L"}, {"2", "R"}, {"3", "T"}})
        file += line({p + "-" + h["TB1"], h["TB1"], p, "TB1", "P01", "PL2", "B1", "270.00", "TB-3",
                      "250.00", "50.00", "BAN", "", pin, "", std::string("1::") + wire, "1::", "",
                      "0.00"});
    return file;
}

ProgramRun Cadhost(const fs::path& dir, const std::string& script,
                   const std::string& language = "C", const std::vector<std::string>& more = {}) {
    WriteBytes(dir / "run.scr", script);
    std::vector<std::string> args = {CADHOST_PATH, "--plugin", ROUTIX23_PATH};
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"--script", (dir / "run.scr").string()});
    return RunProgram(args, dir, language, {"TMPDIR=" + dir.string()});
}

std::string Ask1006(const fs::path& folder) {
    return "ordinal 1006\n> " + folder.string() + "\n";
}

// A folder with blanks and non-ASCII characters in its name, answered with a trailing
// separator: every case of the extraction in its exact bytes, in both languages.
TEST(LayoutKeyFile, WritesEveryCaseOfTheEdgeDrawingsInItsExactBytes) {
    for (const char* language : {"C", "ja_JP.UTF-8"}) {
        TempDir dir;
        const fs::path folder = dir.path() / "図面 フォルダ";
        const auto handles = WriteEdges(folder);
        ASSERT_EQ(handles.size(), 7u);
        WriteBytes(dir.path() / "Temp.log", "stale");
        const ProgramRun run = Cadhost(dir.path(), Ask1006(folder.string() + "/"), language);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string type =
            std::string(language) == "C" ? "\nSymbol Type [PNL]" : "\nSymbolSyubetsu[PNL]";
        EXPECT_EQ(run.out, "\nLAYOUT PATH :" + folder.string() + "/" + type + "\n");
        EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), EdgesKeyFile(handles)) << language;
        EXPECT_FALSE(fs::exists(folder / "LayoutKey3D.txt"));
        // CLog's temporary "Temp.log" is deleted when the writer is made ($TMPDIR here).
        EXPECT_FALSE(fs::exists(dir.path() / "Temp.log"));
    }
}

TEST(LayoutKeyFile, AFolderWithoutLayoutDrawingsLeavesTheKeyFileAlone) {
    TempDir dir;
    const fs::path folder = dir.path() / "empty";
    fs::create_directories(folder);
    WriteBytes(folder / "LayoutKey2D.txt", "previous\r\n");
    WriteBytes(folder / "P01.dwg", "not searched: no LAYOUT prefix");
    ProgramRun run = Cadhost(dir.path(), Ask1006(folder));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nLAYOUT PATH :" + folder.string() +
                           "\nDWG file does not exist in the specified folder.\n");
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), "previous\r\n");

    // A folder that does not exist fails both checks, then finds nothing.
    run = Cadhost(dir.path(), Ask1006(dir.path() / "missing"), "ja_JP.UTF-8");
    EXPECT_EQ(run.out, "\nLAYOUT PATH :" + (dir.path() / "missing").string() +
                           "\n入力パスが不正です。\n入力パスが不正です。\n指定フォルダ(" +
                           (dir.path() / "missing").string() + ")にDWGファイルがありません。\n");
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));

    // A cancelled prompt writes nothing.
    run = Cadhost(dir.path(), "ordinal 1006\n> *CANCEL*\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nLAYOUT PATH :*CANCEL*\n");
}

const std::string kQuestion =
    "\n*** message box \"ROUTIX23\" YES/NO QUESTION ***\n"
    "Some drawings in the project are already used in self PC or other PC, \n"
    "but the information is able to be extracted from them.\n"
    "Do you want to execute the extracting process?\n";

// Another session holds LAYOUT_P01's lock: question 201. No writes nothing, not even the rows
// of the drawing read before; Yes reads the saved drawing and asks no more.
TEST(LayoutKeyFile, ADrawingInUseAsksWhetherToReadItsSavedFile) {
    TempDir dir;
    const fs::path folder = dir.path() / "layout";
    const auto handles = WriteEdges(folder);
    WriteBytes(folder / "LayoutKey2D.txt", "previous\r\n");
    arx::DrawingLock held;
    ASSERT_TRUE(held.Acquire(folder / "LAYOUT_P01.dwg"));
    ASSERT_TRUE(arx::DrawingInUse(folder / "LAYOUT_P01.dwg"));

    ProgramRun run = Cadhost(dir.path(), Ask1006(folder) + "> NO\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nLAYOUT PATH :" + folder.string() + kQuestion + "*** answer: NO ***\n\n");
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), "previous\r\n");

    run = Cadhost(dir.path(), Ask1006(folder) + "> YES\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nLAYOUT PATH :" + folder.string() + kQuestion +
                           "*** answer: YES ***\n\nSymbol Type [PNL]\n");
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), EdgesKeyFile(handles));

    // A lock file nobody holds any more (a session that ended) does not count.
    held.Release();
    WriteBytes(arx::DrawingLockPath(folder / "LAYOUT_P01.dwg"), "user@pc pid 1\n");
    EXPECT_FALSE(arx::DrawingInUse(folder / "LAYOUT_P01.dwg"));
    run = Cadhost(dir.path(), Ask1006(folder));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\nLAYOUT PATH :" + folder.string() + "\nSymbol Type [PNL]\n");
}

// cadhost holds the lock of the drawings it has open: the command meets its own document as
// in use, and the Japanese question.
TEST(LayoutKeyFile, ADrawingOpenInTheHostIsInUse) {
    TempDir dir;
    const fs::path folder = dir.path() / "layout";
    const auto handles = WriteEdges(folder);
    const ProgramRun run = Cadhost(
        dir.path(),
        "open \"" + (folder / "LAYOUT_P01.dwg").string() + "\"\n" + Ask1006(folder) + "> YES\n",
        "ja_JP.UTF-8");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("対象プロジェクトの図面に、自端末あるいは他端末で使用中のものが含まれて"
                           "いますが、\n使用中の図面については保存図面から情報を抽出可能です。\n"
                           "抽出処理を実行しますか?\n*** answer: YES ***"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), EdgesKeyFile(handles));
    // The lock went with the document.
    EXPECT_FALSE(fs::exists(arx::DrawingLockPath(folder / "LAYOUT_P01.dwg")));
}

// A drawing that is no readable DXF fails the first read like a drawing in use (question
// 201); after Yes it still cannot be read, says why, and the others are written.
TEST(LayoutKeyFile, ADrawingThatCannotBeReadLeavesTheOthers) {
    TempDir dir;
    const fs::path folder = dir.path() / "layout";
    const auto handles = WriteEdges(folder);
    WriteBytes(folder / "LAYOUT_A.dwg", "AC1032 binary drawing");
    const ProgramRun run = Cadhost(dir.path(), Ask1006(folder) + "> YES\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(kQuestion + "*** answer: YES ***\n\n" + (folder / "LAYOUT_A.dwg").string()),
        std::string::npos)
        << run.out;
    std::string expected = EdgesKeyFile(handles);
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), expected);
}

// The key file is replaced only by a complete new one: a key file that cannot be written
// (here a folder in its place) leaves the previous output and no partial file.
TEST(LayoutKeyFile, AKeyFileThatCannotBeWrittenLeavesThePreviousOne) {
    TempDir dir;
    const fs::path folder = dir.path() / "layout";
    WriteEdges(folder);
    fs::create_directories(folder / "LayoutKey2D.txt.new" / "x");
    WriteBytes(folder / "LayoutKey2D.txt", "previous\r\n");
    const ProgramRun run = Cadhost(dir.path(), Ask1006(folder));
    EXPECT_NE(run.out.find("\nCannot open the file (FileName=" +
                           (folder / "LayoutKey2D.txt.new").string() + "|LastErr="),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(folder / "LayoutKey2D.txt"), "previous\r\n");
}

}  // namespace

namespace {

/// Writes the sample project into `out` (OUT/SAMPLE, OUT/zelko).
bool WriteSample(const fs::path& out) {
    return RunProgram({SAMPLE_PROJECT_PROGRAM, out.string()}, out.parent_path()).status == 0;
}

// The sample project opened by cadhost: the development drawings of its layout folder into the
// key file the project service places there, with their route cuts and a Japanese operation
// name in CP932. Both ways of opening the project.
TEST(LayoutKeyFile, TheSampleProjectsDevelopmentDrawingsWithTheirRouteCuts) {
    TempDir dir;
    ASSERT_TRUE(WriteSample(dir.path() / "out"));
    const fs::path project = dir.path() / "out" / "SAMPLE";
    const fs::path layout = project / "DWG" / "LAYOUT";
    const std::vector<std::pair<std::string, std::vector<std::string>>> ways = {
        {"project \"" + project.string() + "\"\n", {}},
        {"", {"--project", project.string()}},
    };
    for (const auto& [line, options] : ways) {
        fs::remove(layout / "LayoutKey2D.txt");
        const ProgramRun run =
            Cadhost(dir.path(), line + Ask1006(layout.string() + "/"), "C", options);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string file = ReadBytes(layout / "LayoutKey2D.txt");
        ASSERT_TRUE(file.starts_with(kHeader)) << run.out;
        // 5 panels of 6 components, 12 terminals of TB1 (one symbol), the 4 single-terminal
        // symbols of TB2 and 9 relay terminals, in two rows (the doors hold no symbol); and
        // the 3D layout drawing of P1 with its 6 components, TB1 and the 4 symbols of TB2.
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = file.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        EXPECT_EQ(lines, 1u + 5 * (6 + 12 + 4 + 9) + (6 + 12 + 4));
        EXPECT_NE(file.find("\tLAYOUT_P01\tCB1\tP01\tPL1\tA1\t90.00\tCB-3P\t"), std::string::npos);
        // The extraction places a symbol by x and y: MC2 on the back face (z = -3) lies in
        // the front face's outline first, which covers the same box.
        EXPECT_NE(file.find("\tLAYOUT_P01\tMC2\tP01\tPL1\tA2\t0.00\tMC-9\t380.00\t150.00\tBAN\t"),
                  std::string::npos);
        EXPECT_NE(file.find("\tU1\t-3.00\r\n"), std::string::npos);
        for (const char* cuts :
             {"\tBAN\t101\t1\t", "\tBAN\t201,202\tA1\t200\t", "\tBAN\t301,302,303\t1\t"})
            EXPECT_NE(file.find(cuts), std::string::npos) << cuts;
        // "MC2-主" and its panel and plate.
        EXPECT_NE(file.find("\tLAYOUT_ROW1\tMC2-\x8E\xE5\tROW1\tPL2\tA2\t0.00\tMC-9\t"),
                  std::string::npos);
        EXPECT_NE(file.find("\t1::T,2::T,3::T,4::B,5::B,6::B\t1::L\tU1\t0.00\r\n"),
                  std::string::npos);
        EXPECT_NE(file.find("\n"
                            "LAYOUT_ROW2-"),
                  std::string::npos);
    }
    // A folder that holds no project store is refused, and the script fails.
    const ProgramRun run = Cadhost(dir.path(), "project \"" + layout.string() + "\"\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open the project"), std::string::npos) << run.err;
}

}  // namespace
