// The entry-direction rules: codes, effective directions, the mirror rule and the free-index
// assignment as a table; the pin-index resolution and the attribute writers on a drawing that
// ezdxf writes, opened as the current document, saved and read back with ezdxf.

#include "directions/Direction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>

#include "dbaccess/DbAccess.h"
#include "directions/CodeTable.h"
#include "directions/Collect.h"
#include "directions/Term.h"
#include "frame/Frame.h"
#include "frame/Resources.h"
#include "host/Host.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace routix;

std::string Python(const std::string& arguments) {
    const std::string command =
        std::string("/usr/bin/python3 '") + DIRECTION_DRAWINGS + "' " + arguments + " 2>&1";
    return testsupport::ShellOutput(command);
}

TEST(DirectionCodes, StoredCodesRotationsAndTags) {
    EXPECT_STREQ(OfferedCodes(true), "T,L,B,R,N");
    EXPECT_STREQ(OfferedCodes(false), "T,L,B,R");
    const struct {
        const char* text;
        const char* code;
        double rotation;
    } codes[] = {{"T", "T", 0},
                 {"B", "B", std::numbers::pi},
                 {"L", "L", std::numbers::pi / 2},
                 {"R", "R", 3 * std::numbers::pi / 2},
                 {"N", "N", 0},
                 {"X", "", 0},
                 {"t", "", 0},  // not upper case
                 {"", "", 0},
                 {"_", "", 0},
                 {"*", "", 0},
                 {"BT", "B", std::numbers::pi}};
    for (const auto& c : codes) {
        EXPECT_EQ(StoredCode(c.text), c.code) << c.text;
        EXPECT_DOUBLE_EQ(MarkRotation(StoredCode(c.text)), c.rotation) << c.text;
    }
    const struct {
        const char* tag;
        int index;  // 0: no index
        bool wire;
    } tags[] = {{"WIREDIRECTION1", 1, true},      {"wiredirection10", 10, true},
                {"TubeDirection2", 2, false},     {"WIREDIRECTION0", 0, false},
                {"TUBEDIRECTION0", 0, false},     {"WIREDIRECTION", 0, false},
                {"WIREDIRECTIONX", 0, false},     {"WIREDIRECTION1e400", 0, false},
                {"WIREDIRECTION99999", 0, false}, {"PIN1", 0, false}};
    for (const auto& t : tags) {
        bool wire = !t.wire;
        const std::optional<int> n = DirectionIndex(t.tag, &wire);
        EXPECT_EQ(n.value_or(0), t.index) << t.tag;
        if (n) {
            EXPECT_EQ(wire, t.wire) << t.tag;
        }
    }
    EXPECT_TRUE(IsDirectionTag("WIREDIRECTION0"));
    EXPECT_TRUE(IsDirectionTag("tubedirectionX"));
    EXPECT_FALSE(IsDirectionTag("WIREDIRECTIO"));
}

TEST(DirectionCodes, EffectiveDirectionTakesStoredThenCodeThenText) {
    const struct {
        const char* stored;
        char16_t code;
        const char* text;
        const char* list;
        const char* expected;
    } cases[] = {
        {"L", u'T', "B", "BLNRT", "L"},  // the stored value first
        {"", u'R', "B", "BLNRT", "R"},   // then the default code
        {"X", u' ', "Bottom", "BLNRT",
         "B"},  // an invalid stored value reads empty; the text's letter
        {"", u' ', "", "BLNRT", ""},
        {"", u'N', "", "BLNRT", "N"},   // drawing knows N in both modes
        {"", u'N', "", "T,L,B,R", ""},  // the 2D dialogs do not
        {"", u'N', "T", "T,L,B,R", "T"},
        {"", u',', ",", "T,L,B,R", ""},  // the list's separator is no code
        {"", u'x', "x", "BLNRT", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EffectiveDirection(c.stored, c.code, c.text, c.list), c.expected)
            << c.stored << "|" << static_cast<int>(c.code) << "|" << c.text << "|" << c.list;
}

TEST(DirectionCodes, CodeTableOfTheDialogs) {
    routix::ReloadResources(messages::Language::Japanese);
    const routix::CodeTable table3D(true, true);
    EXPECT_EQ(table3D.ComboList(), "上から\t下から\t左から\t右から\t至近ダクト\t空\t*Varies*");
    EXPECT_EQ(table3D.EmptyIndex(), 5);
    EXPECT_EQ(table3D.VariesIndex(), 6);
    const routix::CodeTable table2D(false, false);
    EXPECT_EQ(table2D.ComboList(), "上から\t下から\t左から\t右から\t空");
    EXPECT_EQ(table2D.EmptyIndex(), 4);
    EXPECT_EQ(table2D.VariesIndex(), -1);

    // Codes to entries: N and unknown letters show "空" where the table lacks them.
    struct Case {
        const char* code;
        int index2D;
        int index3D;
    };
    for (const Case& c : {Case{"T", 0, 0}, Case{"B", 1, 1}, Case{"L", 2, 2}, Case{"R", 3, 3},
                          Case{"N", 4, 4}, Case{"", 4, 5}, Case{"X", 4, 5}, Case{"*", 4, 5}}) {
        EXPECT_EQ(table2D.IndexOf(c.code), c.index2D) << c.code;
        EXPECT_EQ(table3D.IndexOf(c.code), c.index3D) << c.code;
    }
    EXPECT_EQ(table2D.LabelOf("N"), "空");

    // Labels back to codes: "空" empties, "*" labels leave the value unchanged.
    EXPECT_EQ(table3D.CodeOfLabel("至近ダクト"), "N");
    EXPECT_EQ(table3D.CodeOfLabel("左から"), "L");
    EXPECT_EQ(table3D.CodeOfLabel("空"), "");
    EXPECT_EQ(table3D.CodeOfLabel("*Varies*"), std::nullopt);
    EXPECT_EQ(table3D.CodeOfLabel("*anything"), std::nullopt);
    EXPECT_EQ(table2D.CodeOfLabel("至近ダクト"), std::nullopt);

    routix::ReloadResources(messages::Language::English);
    const routix::CodeTable english(false, true);
    EXPECT_EQ(english.ComboList(), "from Top\tfrom Bottom\tfrom Left\tfrom Right\tEmpty\t*Varies*");
    EXPECT_EQ(english.CodeOfLabel("FROM LEFT"), "L");
}

TEST(DirectionCodes, MirrorFlagAndMirrorRule) {
    // The mirror count forces mirrored; else a non-empty REVERSE decides; else the plan's flag.
    const struct {
        int count, planFlag;
        std::optional<std::string> reverse;
        int expected;
    } flags[] = {{1, 0, std::string("0"), 1},  {0, 1, std::string("0"), 0},
                 {0, 0, std::string("2x"), 1}, {0, 1, std::string(""), 1},
                 {0, 0, std::nullopt, 0},      {0, 1, std::string("abc"), 0}};
    for (const auto& f : flags) {
        CTerm term;
        term.m_nMirrorCount = f.count;
        term.m_nMirrored = f.planFlag;
        SettleMirrored(term, f.reverse);
        EXPECT_EQ(term.m_nMirrored, f.expected) << f.count << f.planFlag << f.reverse.value_or("-");
    }

    const struct {
        double degrees;
        const char* text;
        const char* expected;
    } rules[] = {{90, "T", "B"},  {270, "B", "T"}, {0, "L", "R"},       {0, "R", "L"},
                 {180, "T", "T"}, {90, "L", "L"},  {0, "TB", "TB"},     {-90, "T", "B"},
                 {450, "B", "T"}, {0, "", ""},     {90.00001, "T", "B"}};
    for (const auto& r : rules) {
        CTerm term;
        term.m_dRotation = r.degrees * std::numbers::pi / 180;
        term.m_pinOffset = AcGePoint3d(3, 4, 0);
        term.m_strDefaultWire = r.text;
        term.m_strDefaultTube = r.text;
        ApplyMirrorRule(term);
        EXPECT_EQ(term.m_strDefaultWire, r.expected) << r.degrees << " " << r.text;
        EXPECT_EQ(term.m_strDefaultTube, r.expected) << r.degrees << " " << r.text;
        EXPECT_DOUBLE_EQ(term.m_pinOffset.x, -3);
        EXPECT_DOUBLE_EQ(term.m_pinOffset.y, 4);
    }
}

TEST(DirectionCodes, TerminalPositionTurnsTheOffsetWithTheSymbol) {
    CTerm term;
    term.m_insert = AcGePoint3d(100, 20, 0);
    term.m_pinOffset = AcGePoint3d(5, 1, 0);
    term.m_dRotation = std::numbers::pi / 2;
    const AcGePoint3d at = TerminalPosition2D(term);
    EXPECT_NEAR(at.x, 99, 1e-9);
    EXPECT_NEAR(at.y, 25, 1e-9);
}

TEST(TermRecords, FreshRecordAndFreeIndices) {
    const CTerm fresh;
    EXPECT_EQ(fresh.m_cDefaultWire, u' ');
    EXPECT_EQ(fresh.m_cDefaultTube, u' ');
    EXPECT_TRUE(fresh.m_bShown);
    EXPECT_EQ(fresh.m_nPin, 0);
    EXPECT_TRUE(fresh.m_duplicates.empty());

    // Records with an index are placed first; the others take, in order, the smallest index
    // their symbol does not use yet. Another symbol's indices do not count.
    AcDbDatabase db;
    AcDbObjectId a, b;
    {
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(db.getBlockTable(table, AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite), Acad::eOk);
        table->close();
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        ASSERT_EQ(space->appendAcDbEntity(a, line), Acad::eOk);
        line->close();
        line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        ASSERT_EQ(space->appendAcDbEntity(b, line), Acad::eOk);
        line->close();
        space->close();
    }
    std::vector<CTerm> terms(6);
    const int pins[] = {0, 2, 0, 0, 1, 0};
    const AcDbObjectId symbols[] = {a, a, a, a, a, b};
    for (int i = 0; i < 6; ++i) {
        terms[i].m_nPin = pins[i];
        terms[i].m_symbol = symbols[i];
    }
    AssignFreeIndices(terms);
    const int expected[] = {3, 2, 4, 5, 1, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(terms[i].m_nPin, expected[i]) << i;
}

TEST(TermRecords, SortIsNaturalOnFourKeysAndMarksDuplicates) {
    const struct {
        const char *tag, *unit, *connector, *terminal;
    } input[] = {{"CB10", "", "", "1"},  {"CB2", "", "", "10"},   {"CB2", "", "", "2"},
                 {"CB2", "U2", "", "1"}, {"CB2", "", "CN1", "1"}, {"cb2", "", "", "2"},
                 {"CB2", "", "", "2"}};
    std::vector<CTerm> terms;
    for (int i = 0; const auto& in : input) {
        CTerm term;
        term.m_strTag = in.tag;
        term.m_strUnit = in.unit;
        term.m_strConnector = in.connector;
        term.m_strTerminalNo = in.terminal;
        term.m_nRow = ++i;  // gather order, to see which record is the representative
        terms.push_back(term);
    }
    SortTerms(terms);
    std::string order;
    for (const CTerm& term : terms)
        order += std::to_string(term.m_nRow) + (term.m_bShown ? "" : "d") + " ";
    // CB2 before CB10; within CB2 the empty unit first, then the connector: "" before CN1;
    // "2" before "10"; "cb2"/"CB2" terminal 2 are one terminal (the comparison ignores case)
    // whose first-gathered record stays the representative.
    EXPECT_EQ(order, "3 6d 7d 2 5 4 1 ");
    EXPECT_EQ(terms[0].m_duplicates, (std::vector<int>{1, 2}));
    EXPECT_TRUE(terms[3].m_duplicates.empty());
}

/// The drawing of direction_drawings.py open as the current document, the console captured.
class DirectionDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Python("write '" + source().string() + "'"), "");
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(&m_console);
        ASSERT_EQ(host::Host::Instance().OpenDocument(source().string()), Acad::eOk);
        m_db = CurrentDatabase();
        ASSERT_NE(m_db, nullptr);
        ASSERT_TRUE(ForEachModelSpaceEntity(m_db, Source::NyuusenhoukouShijiDlg,
                                            UnreadableEntity::Skip, [&](AcDbObjectId id, CEntity&) {
                                                m_ids.push_back(id);
                                                return true;
                                            }));
        ASSERT_EQ(m_ids.size(), 3u);
    }
    void TearDown() override {
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(nullptr);
    }
    fs::path source() const { return m_dir.path() / "directions.dxf"; }
    std::string SavedAndRead() {
        const fs::path saved = m_dir.path() / "saved.dxf";
        EXPECT_EQ(m_db->saveAs(saved.string().c_str()), Acad::eOk);
        return Python("read '" + saved.string() + "'");
    }
    CTerm Term(int symbol, const char* terminal, int defaultPin) const {
        CTerm term;
        term.m_symbol = m_ids[static_cast<std::size_t>(symbol)];
        term.m_strTerminalNo = terminal;
        term.m_nDefaultPin = defaultPin;
        return term;
    }

    testsupport::TempDir m_dir;
    std::ostringstream m_console;
    AcDbDatabase* m_db = nullptr;
    std::vector<AcDbObjectId> m_ids;  // CB1, CB2, the line
};

TEST_F(DirectionDrawingTest, PinIndexResolution) {
    std::vector<CTerm> gathered;
    // WIREDIRECTION2 is bound to terminal 3 (no connector): 2, though the default is 1.
    CTerm bound = Term(0, "3", 1);
    EXPECT_EQ(ResolvePinIndex(bound, gathered), 2);
    EXPECT_FALSE(bound.m_bRenumbered);

    // A default index taken by a bound attribute: one more than the largest gathered index.
    bound.m_nPin = 2;
    gathered.push_back(bound);
    CTerm takenByAttribute = Term(0, "9", 2);
    EXPECT_EQ(ResolvePinIndex(takenByAttribute, gathered), 3);
    EXPECT_TRUE(takenByAttribute.m_bRenumbered);

    // A free default index binds the lowest unbound attribute (WIREDIRECTION1) to the terminal.
    CTerm free = Term(0, "7", 1);
    EXPECT_EQ(ResolvePinIndex(free, gathered), 1);
    EXPECT_FALSE(free.m_bRenumbered);
    free.m_nPin = 1;
    gathered.push_back(free);

    // The binding needs the connector too; with no unbound attribute left nothing is written.
    CTerm otherConnector = Term(0, "3", 5);
    otherConnector.m_strConnector = "CN";
    EXPECT_EQ(ResolvePinIndex(otherConnector, gathered), 5);

    // Two terminals with one default index on CB2: the second is renumbered, nothing written.
    CTerm first = Term(1, "A1", 3);
    EXPECT_EQ(ResolvePinIndex(first, gathered), 3);  // binds WIREDIRECTION1 (lowest unbound)
    first.m_nPin = 3;
    gathered.push_back(first);
    CTerm second = Term(1, "A2", 3);
    EXPECT_EQ(ResolvePinIndex(second, gathered), 4);
    EXPECT_TRUE(second.m_bRenumbered);

    // An object that is no block reference keeps the default index, with its line.
    CTerm line = Term(2, "1", 6);
    EXPECT_EQ(ResolvePinIndex(line, gathered), 6);
    EXPECT_NE(m_console.str().find("pObject is not AcDbBlockReference"), std::string::npos)
        << m_console.str();

    EXPECT_EQ(SavedAndRead(),
              "CB1\n"
              "  WIREDIRECTION1= 0 [7/]\n"
              "  WIREDIRECTION2=T 0 [3/]\n"
              "  TUBEDIRECTION1=X 0\n"
              "  WIREDIRECTION0=T 0\n"
              "  TUBEDIRECTION0=B 0\n"
              "  REVERSE=1 0\n"
              "CB2\n"
              "  WIREDIRECTION1=t 0 [A1/]\n"
              "  WIREDIRECTION3=L 0\n");
}

TEST_F(DirectionDrawingTest, ReadWriteCreateAndClearAttributes) {
    // Stored texts as they are; the readers' code rule reads "X" and "t" as empty; index 0 is
    // never read.
    EXPECT_EQ(ReadDirectionText(m_ids[0], kWireDirPrefix, 2).value_or("-"), "T");
    EXPECT_EQ(StoredCode(ReadDirectionText(m_ids[0], kTubeDirPrefix, 1).value_or("")), "");
    EXPECT_EQ(StoredCode(ReadDirectionText(m_ids[1], kWireDirPrefix, 1).value_or("")), "");
    EXPECT_FALSE(ReadDirectionText(m_ids[0], kWireDirPrefix, 0));
    EXPECT_FALSE(ReadDirectionText(m_ids[1], kTubeDirPrefix, 3));

    // The legacy index goes; then a new tube attribute on "PINOFF" and a wire write with its
    // binding; "*" keeps the text but still binds.
    EXPECT_EQ(ClearDirectionAttributes(m_ids[0], true), 2);
    {
        CBlockRefEnt reference;
        ASSERT_TRUE(reference.open(m_ids[1], AcDb::kForWrite));
        // Drawing all directions does not add "PINOFF": the attribute stays on the current
        // layer; the terminal-block path adds the layer.
        EXPECT_TRUE(EnsureDirectionAttribute(reference.get(), "TUBEDIRECTION3", "", ""));
        EXPECT_TRUE(EnsureDirectionAttribute(reference.get(), "wiredirection3", "R", ""));
        EXPECT_TRUE(EnsureDirectionAttribute(reference.get(), "TUBEDIRECTION4", "", "", true));
    }
    CTerm term = Term(1, "4", 3);
    term.m_nPin = 3;
    term.m_strConnector = "CN1";
    EXPECT_TRUE(WriteDirection(term, kTubeDirPrefix, "B"));
    EXPECT_TRUE(WriteDirection(term, kWireDirPrefix, "*"));
    CTerm second = Term(0, "8", 2);
    second.m_nPin = 2;
    EXPECT_TRUE(WriteDirection(second, kWireDirPrefix, " R "));
    EXPECT_FALSE(WriteDirection(Term(0, "8", 0), kWireDirPrefix, "R"));  // no WIREDIRECTION0

    EXPECT_EQ(SavedAndRead(),
              "CB1\n"
              "  WIREDIRECTION1= 0\n"
              "  WIREDIRECTION2=R 0 [8/]\n"
              "  TUBEDIRECTION1=X 0\n"
              "  REVERSE=1 0\n"
              "CB2\n"
              "  WIREDIRECTION1=t 0\n"
              "  WIREDIRECTION3=L 0 [4/CN1]\n"
              "  TUBEDIRECTION3=B 0\n"
              "  TUBEDIRECTION4= PINOFF\n");
    EXPECT_EQ(DirectionLayer(m_ids[1], "WIREDIRECTION9"), "PINOFF");  // CB2 defines none

    EXPECT_EQ(ClearDirectionAttributes(m_ids[1]), 4);
    EXPECT_EQ(ClearDirectionAttributes(m_ids[2]), 0);  // no block reference
    EXPECT_EQ(SavedAndRead().substr(SavedAndRead().find("CB2")), "CB2\n");
}

TEST_F(DirectionDrawingTest, PinOffsetsWithGaps) {
    CEntity entity;
    ASSERT_TRUE(entity.open(m_ids[0], AcDb::kForRead));
    const std::vector<AcGePoint3d> offsets = ReadPinOffsets(entity.entity());
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_EQ(offsets[0], AcGePoint3d(1, 2, 3));
    EXPECT_EQ(offsets[1], AcGePoint3d(0, 0, 0));
    EXPECT_EQ(offsets[2], AcGePoint3d(4, 5, 6));
    CEntity other;
    ASSERT_TRUE(other.open(m_ids[1], AcDb::kForRead));
    EXPECT_TRUE(ReadPinOffsets(other.entity()).empty());
}

}  // namespace

/// The selection drawing of direction_drawings.py, every model-space entity in order.
class SelectionTest : public DirectionDrawingTest {
protected:
    void SetUp() override {
        ASSERT_EQ(Python("selection '" + source().string() + "'"), "");
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(&m_console);
        ASSERT_EQ(host::Host::Instance().OpenDocument(source().string()), Acad::eOk);
        m_db = CurrentDatabase();
        ASSERT_TRUE(ForEachModelSpaceEntity(m_db, Source::NyuusenhoukouShijiDlg,
                                            UnreadableEntity::Skip, [&](AcDbObjectId id, CEntity&) {
                                                m_ids.push_back(id);
                                                return true;
                                            }));
        ASSERT_EQ(m_ids.size(), 11u);
    }
    void TearDown() override {
        DirectionDrawingTest::TearDown();
        routix::g_b3DMode = false;
    }
    static std::string Describe(const std::vector<CTerm>& terms) {
        std::string out;
        for (const CTerm& t : terms)
            out += t.m_strKind + " " + t.m_strTag + " [" + t.m_strOpName + "] " + t.m_strPanelNo +
                   "/" + t.m_strUnit + " " + t.m_strTerminalNo + " " +
                   std::to_string(t.m_nDefaultPin) + "/" + std::to_string(t.m_nPin) + "\n";
        return out;
    }
    std::vector<AcDbObjectId> Pick(std::initializer_list<int> indices) const {
        std::vector<AcDbObjectId> picked;
        for (int i : indices)
            picked.push_back(m_ids[static_cast<std::size_t>(i)]);
        return picked;
    }
};

// Two marks and one component: one record, two mark ids, no message.
TEST_F(SelectionTest, MarksAndAComponent) {
    std::vector<CTerm> components, terminals;
    std::vector<AcDbObjectId> marks;
    std::string panel;
    EXPECT_EQ(CollectFromSelection(Pick({0, 1, 2}), components, terminals, marks, panel, true), 1);
    EXPECT_EQ(Describe(components), "BAN K1(TO) [(TO)] P1/U1  0/0\n");
    EXPECT_TRUE(terminals.empty());
    EXPECT_EQ(marks, Pick({0, 1}));
    EXPECT_EQ(m_console.str(), "");
    EXPECT_NEAR(components[0].m_dRotation, 30 * std::numbers::pi / 180, 1e-9);
    EXPECT_EQ(components[0].m_symbol, m_ids[2]);
}

// In 2D a multi-pin terminal block is one general-component record and a one-pin terminal a
// terminal record; the line, the plain reference and the nameless symbol are rejected, the
// first of them reported once.
TEST_F(SelectionTest, TwoDimensionalRecordsAndRejections) {
    std::vector<CTerm> components, terminals;
    std::vector<AcDbObjectId> marks;
    std::string panel;
    EXPECT_EQ(
        CollectFromSelection(Pick({3, 5, 6, 8, 9, 10}), components, terminals, marks, panel, true),
        3);
    EXPECT_EQ(Describe(components), "BAN T4 [] P2/  0/0\nBAN T2 [] /  0/0\n");
    EXPECT_EQ(Describe(terminals), "TERM T1 [] / 5 1/1\n");
    EXPECT_EQ(m_console.str(), "\nThe selecting objects is not correct.");
    EXPECT_EQ(panel, "");  // only 3D takes the panel
}

// In 3D a terminal with PIN1 to PIN4 grouped with a symbol of the same NAME gives four
// terminal records; one grouped with a line is rejected; the first symbol decides the panel.
TEST_F(SelectionTest, ThreeDimensionalPinRepeatsAndCombinationTerminals) {
    routix::g_b3DMode = true;
    std::vector<CTerm> components, terminals;
    std::vector<AcDbObjectId> marks;
    std::string panel;
    EXPECT_EQ(CollectFromSelection(Pick({3, 5, 6}), components, terminals, marks, panel, false), 5);
    EXPECT_EQ(Describe(terminals),
              "TERM T4 [] P2/ 11 1/1\nTERM T4 [] P2/ 12 2/2\nTERM T4 [] P2/ 13 3/3\n"
              "TERM T4 [] P2/ 14 4/4\nTERM T1 [] / 5 1/1\n");
    EXPECT_TRUE(components.empty());
    EXPECT_EQ(panel, "P2");
    EXPECT_EQ(m_console.str(), "");  // T2 rejected silently without reporting
}

// 3D pin numbers from the wiring database of the drawing's folder: T4's terminals 11 to 13 take
// pins 1, 2 and 7 as default pin; the selected terminal 14, of which the database records hold
// none, becomes direction-less with pins 0; T1's
// part has one pin row, so its record keeps its pins and loses the direction-less flag. A
// missing database and one that is no database leave every record as it was.
TEST_F(SelectionTest, ThreeDimensionalPinNumbersFromTheWiringDatabase) {
    routix::g_b3DMode = true;
    std::vector<CTerm> components, terminals;
    std::vector<AcDbObjectId> marks;
    std::string panel;
    ASSERT_EQ(CollectFromSelection(Pick({3, 5}), components, terminals, marks, panel, false), 5);
    for (CTerm& term : terminals)
        term.m_bNoDirection = true;
    const std::string folder = m_dir.path().string();
    const fs::path file = m_dir.path() / (m_dir.path().filename().string() + ".mdb");

    std::vector<CTerm> database = terminals;
    std::vector<CTerm> selected = terminals;
    EXPECT_FALSE(LookUp3DPinNumbers(database, selected, folder));  // no database
    testsupport::WriteBytes(file, "not a database\n");
    EXPECT_FALSE(LookUp3DPinNumbers(database, selected, folder));
    EXPECT_EQ(Describe(selected), Describe(terminals));

    fs::remove(file);
    ASSERT_EQ(Python("wiring '" + file.string() + "'"), "");
    for (CTerm& term : database)
        term.m_bNoDirection = false;
    database.erase(database.begin() + 3);  // terminal 14
    EXPECT_TRUE(LookUp3DPinNumbers(database, selected, folder));
    std::string flags;
    for (const CTerm& term : selected)
        flags += term.m_bNoDirection ? "-" : "+";
    EXPECT_EQ(Describe(selected),
              "TERM T4 [] P2/ 11 1/1\nTERM T4 [] P2/ 12 2/2\nTERM T4 [] P2/ 13 7/3\n"
              "TERM T4 [] P2/ 14 0/0\nTERM T1 [] / 5 1/1\n");
    EXPECT_EQ(flags, "+++-+");

    routix::g_b3DMode = false;
    EXPECT_FALSE(LookUp3DPinNumbers(database, selected, folder));
}
