// The terminal records of the project data (LoadProjectTerms: tag patterns, the two lists, the
// drawing name of the 3D list) and the writing of directions and marks for records whose
// direction stays ("*"), in process on the project that direction_project.py writes: the
// project open, its layout drawing the current document, saved and read back with ezdxf.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "dbaccess/DbAccess.h"
#include "directions/DrawDirections.h"
#include "directions/Term.h"
#include "host/Host.h"
#include "services/attributes.h"
#include "services/maker.h"
#include "services/project.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace routix;

std::string Python(const std::string& arguments) {
    return testsupport::ShellOutput(std::string("/usr/bin/python3 '") + DIRECTION_PROJECT + "' " +
                                    arguments + " 2>&1");
}

/// "<tag>:<records>" in load order.
std::string Summary(const std::vector<CTerm>& terms) {
    std::vector<std::pair<std::string, int>> counts;
    for (const CTerm& term : terms) {
        if (counts.empty() || counts.back().first != term.m_strTag)
            counts.emplace_back(term.m_strTag, 0);
        ++counts.back().second;
    }
    std::string out;
    for (const auto& [tag, count] : counts)
        out += (out.empty() ? "" : " ") + tag + ":" + std::to_string(count);
    return out;
}

/// The project of direction_project.py with 14 terminals (NT1, DL1, TB1 with two, C1 and C2
/// with five each), open, its layout drawing the current document.
class ProjectTermsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Python("make '" + m_dir.path().string() + "' '" + PROJECT_SCHEMA + "' 14"), "");
        ASSERT_TRUE(zelko::MakerSetInstallFolder(m_dir.path() / "zelko"));
        ASSERT_TRUE(zelko::ProjOpen(project().string())) << zelko::MakerLastError();
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(&m_console);
    }
    void TearDown() override {
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(nullptr);
        zelko::ProjClose();
    }
    fs::path project() const { return m_dir.path() / "PRJ"; }
    fs::path drawing() const { return project() / "DWG" / "LAYOUT" / "LAYOUT_P01.dwg"; }
    fs::path saved() const { return m_dir.path() / "saved.dxf"; }

    /// Opens the layout drawing afresh; the model-space references by their NAME.
    std::map<std::string, AcDbObjectId> Open() {
        host::Host::Instance().Reset();
        EXPECT_EQ(host::Host::Instance().OpenDocument(drawing().string()), Acad::eOk);
        std::map<std::string, AcDbObjectId> symbols;
        ForEachModelSpaceEntity(CurrentDatabase(), Source::NyuusenhoukouShijiDlg,
                                UnreadableEntity::Skip, [&](AcDbObjectId id, CEntity&) {
                                    char* name = nullptr;
                                    if (zelko::AttrGetText(id, "NAME", name) != 0 && name)
                                        symbols[name] = id;
                                    zelko::AttrFreeValue(name);
                                    return true;
                                });
        return symbols;
    }
    /// Saves the current drawing; its marks of the components C1, C2 and the direction
    /// attributes of C1 and C2 as ezdxf reads them.
    std::string SavedMarksAndAttributes() {
        EXPECT_EQ(CurrentDatabase()->saveAs(saved().c_str()), Acad::eOk);
        std::string out;
        std::istringstream lines(Python("read '" + saved().string() + "'"));
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("WIREDIRECTION C") || line.starts_with("TUBEDIRECTION C"))
                out += line + "\n";
        return out + Python("attrs '" + saved().string() + "' C1 C2");
    }

    testsupport::TempDir m_dir;
    std::ostringstream m_console;
};

// Tag patterns are the host's wildcards without regard to case, against both lists or either;
// the drawing name of the 3D list is compared without regard to case; no list read is false.
TEST_F(ProjectTermsTest, PatternsListsAndDrawingName) {
    const struct {
        const char* pattern;
        bool components, terminals;
        const char* drawing;
        bool loaded;
        const char* expected;
    } cases[] = {
        {"", true, true, "", true, "NT1:1 DL1:1 C1:5 C2:5 TB1:2"},
        {"C*", true, true, "", true, "C1:5 C2:5"},
        {"c1", true, true, "", true, "C1:5"},
        {"C#", true, true, "", true, "C1:5 C2:5"},
        {"?T1", true, true, "", true, "NT1:1"},
        {"T?1", true, true, "", true, "TB1:2"},
        {"@@#", true, true, "", true, "NT1:1 DL1:1 TB1:2"},
        {"NT1,DL1", true, true, "", true, "NT1:1 DL1:1"},
        {"~C*", true, true, "", true, "NT1:1 DL1:1 TB1:2"},
        {"[CD]*", true, true, "", true, "DL1:1 C1:5 C2:5"},
        {"X*", true, true, "", true, ""},
        {"TB1", true, false, "", true, ""},
        {"", false, true, "", true, "TB1:2"},
        {"", true, true, "layout_p01", true, "NT1:1 DL1:1 C1:5 C2:5 TB1:2"},
        {"", true, true, "LAYOUT_P02", true, ""},
        {"", false, false, "", false, ""},
    };
    for (const auto& c : cases) {
        std::vector<CTerm> terms;
        EXPECT_EQ(LoadProjectTerms(c.pattern, terms, c.components, c.terminals, c.drawing),
                  c.loaded)
            << c.pattern << " " << c.drawing;
        EXPECT_EQ(Summary(terms), c.expected) << c.pattern << " " << c.drawing;
    }
    // Nothing loads without an open project.
    zelko::ProjClose();
    std::vector<CTerm> none;
    EXPECT_FALSE(LoadProjectTerms("", none, true, true, ""));
    EXPECT_TRUE(none.empty());
}

// What a record takes from the store: codes, texts, pins and offsets, the direction-less flag
// (no terminal kind) and the back face "裏面", which counts for terminal-block records only.
TEST_F(ProjectTermsTest, RecordFieldsFromTheStore) {
    ASSERT_TRUE(
        testsupport::RunProgram({"/usr/bin/sqlite3", (project() / "ZELKOPRJ.sqlite").string(),
                                 "UPDATE terminal SET face = '裏面' WHERE terminal_no = '2'"},
                                m_dir.path())
            .status == 0);
    std::vector<CTerm> terms;
    ASSERT_TRUE(LoadProjectTerms("", terms, true, true, ""));
    std::string out;
    for (const CTerm& t : terms) {
        if (t.m_strTag != "NT1" && t.m_strTag != "DL1" && t.m_strTag != "TB1" &&
            !(t.m_strTag == "C1" && t.m_strTerminalNo == "2"))
            continue;
        out += t.m_strKind + " " + t.m_strTag + " " + t.m_strPanelNo + "/" + t.m_strUnit + " " +
               t.m_strTerminalNo + " pin " + std::to_string(t.m_nDefaultPin) + "/" +
               std::to_string(t.m_nPin) + " @" + std::to_string(static_cast<int>(t.m_pinOffset.x)) +
               " wire [" + t.m_strDefaultWire + "|" + static_cast<char>(t.m_cDefaultWire) +
               "] tube [" + t.m_strDefaultTube + "|" + static_cast<char>(t.m_cDefaultTube) + "]" +
               (t.m_bNoDirection ? " no-direction" : "") + (t.m_bBackSide ? " back" : "") + "\n";
    }
    EXPECT_EQ(out,
              "BAN NT1 P1/U1 1 pin 1/0 @0 wire [N|N] tube [T|T]\n"
              "BAN DL1 P1/U1 1 pin 1/0 @0 wire [B|B] tube [| ] no-direction\n"
              "BAN C1 P1/U1 2 pin 2/0 @5 wire [B|B] tube [| ]\n"
              "TERM TB1 P1/U1 1 pin 1/0 @0 wire [L|L] tube [| ]\n"
              "TERM TB1 P1/U1 2 pin 2/0 @5 wire [R|R] tube [| ] back\n");
}

// A record whose direction stays ("*", the dialogs' "*Varies*") keeps the text of its
// attribute, binds it, and its redrawn mark shows the direction it kept; a missing attribute
// is made empty and gets no mark. The same with one symbol and with several. Records not
// written keep their marks.
TEST_F(ProjectTermsTest, UnchangedDirectionsKeepTheirTextAndTheirMarks) {
    for (const bool manySymbols : {true, false}) {
        std::map<std::string, AcDbObjectId> symbols = Open();
        ASSERT_EQ(symbols.count("C1") + symbols.count("C2"), 2u);
        std::vector<CTerm> terms;
        ASSERT_TRUE(LoadProjectTerms("C?", terms, true, false, ""));
        ASSERT_EQ(terms.size(), 10u);
        for (CTerm& term : terms) {
            term.m_symbol = symbols[term.m_strTag];
            term.m_nPin = term.m_nDefaultPin;
            term.m_strWire = "T";
            term.m_strTube = "L";
        }
        WriteDirectionsAndMarks(terms, false, true);

        // C1's terminals 1 and 2 stay, 3 takes B for its wire and keeps its tube; a sixth
        // terminal without attributes stays too; C2's first terminal stays.
        std::vector<CTerm> again = {terms[0], terms[1], terms[2], terms[0], terms[5]};
        for (CTerm& term : again)
            term.m_strWire = term.m_strTube = "*";
        again[2].m_strWire = "B";
        again[3].m_nPin = 6;
        again[3].m_strTerminalNo = "6";
        WriteDirectionsAndMarks(again, false, manySymbols);

        EXPECT_EQ(SavedMarksAndAttributes(),
                  "TUBEDIRECTION C1 1 90\nTUBEDIRECTION C1 2 90\nTUBEDIRECTION C1 3 90\n"
                  "TUBEDIRECTION C1 4 90\nTUBEDIRECTION C1 5 90\n"
                  "TUBEDIRECTION C2 1 90\nTUBEDIRECTION C2 2 90\nTUBEDIRECTION C2 3 90\n"
                  "TUBEDIRECTION C2 4 90\nTUBEDIRECTION C2 5 90\n"
                  "WIREDIRECTION C1 1 0\nWIREDIRECTION C1 2 0\nWIREDIRECTION C1 3 180\n"
                  "WIREDIRECTION C1 4 0\nWIREDIRECTION C1 5 0\n"
                  "WIREDIRECTION C2 1 0\nWIREDIRECTION C2 2 0\nWIREDIRECTION C2 3 0\n"
                  "WIREDIRECTION C2 4 0\nWIREDIRECTION C2 5 0\n"
                  "C1 WIREDIRECTION1=T [1/]\nC1 TUBEDIRECTION1=L\n"
                  "C1 WIREDIRECTION2=T [2/]\nC1 TUBEDIRECTION2=L\n"
                  "C1 WIREDIRECTION3=B [3/]\nC1 TUBEDIRECTION3=L\n"
                  "C1 WIREDIRECTION4=T [4/]\nC1 TUBEDIRECTION4=L\n"
                  "C1 WIREDIRECTION5=T [5/]\nC1 TUBEDIRECTION5=L\n"
                  "C1 WIREDIRECTION6= [6/]\nC1 TUBEDIRECTION6=\n"
                  "C2 WIREDIRECTION1=T [1/]\nC2 TUBEDIRECTION1=L\n"
                  "C2 WIREDIRECTION2=T [2/]\nC2 TUBEDIRECTION2=L\n"
                  "C2 WIREDIRECTION3=T [3/]\nC2 TUBEDIRECTION3=L\n"
                  "C2 WIREDIRECTION4=T [4/]\nC2 TUBEDIRECTION4=L\n"
                  "C2 WIREDIRECTION5=T [5/]\nC2 TUBEDIRECTION5=L\n")
            << "many symbols: " << manySymbols << m_console.str();
    }
}

}  // namespace
