// The host services in the test program: wildcards, selection sets and their filters, system
// variables, prompts and the host commands, on a drawing written by ezdxf.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/host/HostSession.h"
#include "support/FileSupport.h"

namespace {

using hosttest::HostSession;

const std::filesystem::path kData = HOST_TEST_DATA;

// The handles of data/layout.dxf (see make_layout.py).
constexpr const char* kSymbolK1 = "38";     // INSERT SYM_A on layer 0
constexpr const char* kSymbolK2 = "3B";     // INSERT SYM_A on layer DCT1
constexpr const char* kWarningLine = "3E";  // LINE on WARNING, (0,0)-(5,0)
constexpr const char* kDuctLine = "3F";     // LINE on DCT2, (60,0)-(70,0)
constexpr const char* kDuctShape = "40";    // closed LWPOLYLINE on DCT1, (100,0)-(120,10)
constexpr const char* kText = "41";         // TEXT on layer 0 at (30,30)

std::string Handle(const AcDbObjectId& id) {
    return id.handle().text();
}

// The handles of a selection set, in order.
std::vector<std::string> Handles(const ads_name ss) {
    std::vector<std::string> handles;
    Adesk::Int32 length = 0;
    EXPECT_EQ(acedSSLength(ss, &length), RTNORM);
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        EXPECT_EQ(acedSSName(ss, i, entity), RTNORM);
        AcDbObjectId id;
        EXPECT_EQ(acdbGetObjectId(id, entity), Acad::eOk);
        handles.push_back(Handle(id));
    }
    return handles;
}

class HostServices : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_EQ(session.host().OpenDocument((kData / "layout.dxf").string(), &error), Acad::eOk)
            << error;
    }
    AcDbObjectId Id(const char* handle) {
        AcDbObjectId id;
        EXPECT_EQ(session.host().CurrentDocument()->database()->getAcDbObjectId(id, false,
                                                                                AcDbHandle(handle)),
                  Acad::eOk);
        return id;
    }
    HostSession session;
};

TEST(Wildcards, TheHostsPatternLanguage) {
    struct Case {
        const char* text;
        const char* pattern;
        bool ignoreCase;
        bool matches;
    };
    const Case cases[] = {
        {"REGEN", "U,UNDO,NEW,OPEN,REDRAW,REGEN,SETVAR,*PROJECT*", true, true},
        {"openproject", "U,UNDO,*PROJECT*", true, true},
        {"openproject", "U,UNDO,*PROJECT*", false, false},
        {"UNDONE", "U,UNDO", true, false},
        {"DCT12", "DCT*", true, true},
        {"dct", "DCT*", true, true},
        {"ADCT", "DCT*", true, false},
        {"A1", "@#", false, true},
        {"AA", "@#", false, false},
        {"A-", "A.", false, true},
        {"AB", "A?", false, true},
        {"A", "A?", false, false},
        {"B2", "[A-C]#", false, true},
        {"D2", "[~A-C]#", false, true},
        {"B2", "[~A-C]#", false, false},
        {"X", "~X", false, false},
        {"Y", "~X", false, true},
        {"A*B", "A`*B", false, true},
        {"AxB", "A`*B", false, false},
        {"a,b", "a`,b", false, true},
        {"盤1", "盤#", false, true},
        {"盤", "?", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(acutWcMatchEx(c.text, c.pattern, c.ignoreCase), c.matches)
            << c.text << " " << c.pattern;
}

TEST_F(HostServices, SelectionByModeAndFilter) {
    ads_point corner1 = {-1, -1, 0}, corner2 = {6, 1, 0};
    ads_point wide1 = {-10, -10, 0}, wide2 = {200, 200, 0};
    struct Case {
        const char* name;
        const char* mode;
        const void* pt1;
        const void* pt2;
        resbuf* filter;
        std::vector<std::string> expected;
    };
    resbuf* inserts = acutBuildList(RTDXF0, "INSERT", 0);
    resbuf* onDct = acutBuildList(8, "dct*", 0);
    resbuf* insertsOrWarningLines = acutBuildList(-4, "<OR", RTDXF0, "INSERT", -4, "<AND", RTDXF0,
                                                  "LINE", 8, "WARNING", -4, "AND>", -4, "OR>", 0);
    resbuf* notOnZero = acutBuildList(-4, "<NOT", 8, "0", -4, "NOT>", 0);
    resbuf* lineOrPolyOnDct = acutBuildList(RTDXF0, "LINE,LWPOLYLINE", 8, "DCT*", 0);
    resbuf* byBlock = acutBuildList(2, "SYM_?", 0);
    const std::vector<Case> cases = {
        {"all",
         "X",
         nullptr,
         nullptr,
         nullptr,
         {kSymbolK1, kSymbolK2, kWarningLine, kDuctLine, kDuctShape, kText}},
        {"all inserts", "X", nullptr, nullptr, inserts, {kSymbolK1, kSymbolK2}},
        {"layer wildcard", "X", nullptr, nullptr, onDct, {kSymbolK2, kDuctLine, kDuctShape}},
        {"or of and",
         "X",
         nullptr,
         nullptr,
         insertsOrWarningLines,
         {kSymbolK1, kSymbolK2, kWarningLine}},
        {"not", "X", nullptr, nullptr, notOnZero, {kSymbolK2, kWarningLine, kDuctLine, kDuctShape}},
        {"two types", "X", nullptr, nullptr, lineOrPolyOnDct, {kDuctLine, kDuctShape}},
        {"block name", "X", nullptr, nullptr, byBlock, {kSymbolK1, kSymbolK2}},
        {"window", "W", corner1, corner2, nullptr, {kWarningLine}},
        {"window filtered away", "W", corner1, corner2, inserts, {}},
        {"crossing", "C", corner1, corner2, nullptr, {kWarningLine}},
        {"wide window", "W", wide1, wide2, lineOrPolyOnDct, {kDuctLine, kDuctShape}},
    };
    for (const Case& c : cases) {
        ads_name ss;
        const int status = acedSSGet(c.mode, c.pt1, c.pt2, c.filter, ss);
        if (c.expected.empty()) {
            EXPECT_EQ(status, RTERROR) << c.name;
            continue;
        }
        ASSERT_EQ(status, RTNORM) << c.name;
        EXPECT_EQ(Handles(ss), c.expected) << c.name;
        EXPECT_EQ(acedSSFree(ss), RTNORM);
    }
    EXPECT_EQ(session.host().OpenSelectionSetCount(), 0u);
    for (resbuf* chain :
         {inserts, onDct, insertsOrWarningLines, notOnZero, lineOrPolyOnDct, byBlock})
        acutRelRb(chain);
}

TEST_F(HostServices, AFilterTheHostDoesNotUnderstandFailsTheSelection) {
    resbuf* colour = acutBuildList(62, 1, 0);
    resbuf* unclosed = acutBuildList(-4, "<OR", RTDXF0, "LINE", 0);
    ads_name ss;
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, colour, ss), RTERROR);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, unclosed, ss), RTERROR);
    acutRelRb(colour);
    acutRelRb(unclosed);
    EXPECT_EQ(session.host().OpenSelectionSetCount(), 0u);
}

TEST_F(HostServices, UserSelectionsImpliedSelectionAndSetOperations) {
    session.answers() = hosttest::ListAnswers(
        {std::string(kSymbolK1) + " " + kText, "W -1,-1 6,1", "zz", kSymbolK2, "*CANCEL*"});
    resbuf* inserts = acutBuildList(RTDXF0, "INSERT", 0);
    ads_name ss;
    // Picked handles, filtered: the text is dropped.
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, inserts, ss), RTNORM);
    EXPECT_EQ(Handles(ss), std::vector<std::string>{kSymbolK1});
    acedSSFree(ss);
    // A window answer, then with ":$" the prompt the caller gives; a bad answer is asked again.
    const ACHAR* prompts[2] = {"\nPick a symbol: ", ""};
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTNORM);
    EXPECT_EQ(Handles(ss), std::vector<std::string>{kWarningLine});
    acedSSFree(ss);
    ASSERT_EQ(acedSSGet(":$", prompts, nullptr, nullptr, ss), RTNORM);
    EXPECT_EQ(Handles(ss), std::vector<std::string>{kSymbolK2});
    acedSSFree(ss);
    EXPECT_EQ(acedSSGet(":$", prompts, nullptr, nullptr, ss), RTCAN);
    EXPECT_NE(session.TakeConsole().find("\nPick a symbol: zz\n*Invalid selection*"),
              std::string::npos);
    acutRelRb(inserts);

    // Implied selection: empty first, then what acedSSSetFirst made it.
    ads_name implied;
    EXPECT_EQ(acedSSGet("I", nullptr, nullptr, nullptr, implied), RTERROR);
    ads_name entity, built;
    ASSERT_EQ(acdbGetAdsName(entity, Id(kDuctShape)), Acad::eOk);
    ASSERT_EQ(acedSSAdd(entity, nullptr, built), RTNORM);
    ASSERT_EQ(acdbGetAdsName(entity, Id(kText)), Acad::eOk);
    ASSERT_EQ(acedSSAdd(entity, built, built), RTNORM);
    ASSERT_EQ(acedSSAdd(entity, built, built), RTNORM);  // already in: added once
    ASSERT_EQ(acedSSSetFirst(nullptr, built), RTNORM);
    ASSERT_EQ(acedSSGet("I", nullptr, nullptr, nullptr, implied), RTNORM);
    EXPECT_EQ(Handles(implied), (std::vector<std::string>{kDuctShape, kText}));
    ads_name past;
    EXPECT_EQ(acedSSName(implied, 2, past), RTERROR);
    acedSSFree(implied);
    acedSSFree(built);
    EXPECT_EQ(acedSSFree(built), RTERROR);
    EXPECT_EQ(session.host().OpenSelectionSetCount(), 0u);
}

TEST_F(HostServices, SystemVariables) {
    resbuf value{};
    ASSERT_EQ(acedGetVar("osmode", &value), RTNORM);
    EXPECT_EQ(value.restype, RTSHORT);
    resbuf six{};
    six.restype = RTSHORT;
    six.resval.rint = 6;
    EXPECT_EQ(acedSetVar("OSMODE", &six), RTNORM);
    EXPECT_EQ(session.host().VarText("OSMODE"), "6");
    resbuf text{};
    text.restype = RTSTR;
    text.resval.rstring = const_cast<char*>("1");
    EXPECT_EQ(acedSetVar("OSMODE", &text), RTERROR);    // wrong type
    EXPECT_EQ(acedSetVar("CMDACTIVE", &six), RTERROR);  // read-only
    EXPECT_EQ(acedGetVar("NOSUCHVAR", &value), RTERROR);
    EXPECT_EQ(session.host().VarText("DWGPREFIX"), kData.string() + "/");
    EXPECT_EQ(session.host().VarText("DWGNAME"), "layout.dxf");
    EXPECT_TRUE(session.host().SetVarText("dimscale", "10"));
    EXPECT_EQ(session.host().CurrentDocument()->database()->dimscale(), 10);
    EXPECT_EQ(session.host().VarText("DIMSCALE"), "10");

    std::vector<std::string> active;
    session.host().RunCommand("ZELKO1011", [&] {
        active.push_back(*session.host().VarText("CMDACTIVE"));
        session.host().RunCommand("REGEN", [&] {
            active.push_back(*session.host().VarText("CMDACTIVE"));
            return host::CommandOutcome::Ended;
        });
        return host::CommandOutcome::Ended;
    });
    session.host().SetScriptActive(true);
    active.push_back(*session.host().VarText("CMDACTIVE"));
    session.host().SetScriptActive(false);
    active.push_back(*session.host().VarText("CMDACTIVE"));
    EXPECT_EQ(active, (std::vector<std::string>{"1", "3", "4", "0"}));
}

TEST_F(HostServices, Prompts) {
    session.answers() = hosttest::ListAnswers(
        {"C:/a b/c", "C:/a b/c", "12345678", "1,2", "", "x", "3,4,5", "*CANCEL*", ""});
    char text[8 + 1];
    char wide[64];
    EXPECT_EQ(acedGetString(1, "\nLAYOUT PATH :", wide, sizeof wide), RTNORM);
    EXPECT_STREQ(wide, "C:/a b/c");
    EXPECT_EQ(acedGetString(0, "\nName: ", wide, sizeof wide), RTNORM);
    EXPECT_STREQ(wide, "C:/a");  // without blanks the answer ends at the first blank
    EXPECT_EQ(acedGetString(1, "\nLong: ", text, 8), RTERROR);  // does not fit
    ads_point point;
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", point), RTNORM);
    EXPECT_EQ(point[0], 1);
    EXPECT_EQ(point[1], 2);
    EXPECT_EQ(point[2], 0);
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", point), RTNONE);
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", point), RTNORM);  // "x" is asked again
    EXPECT_EQ(point[2], 5);
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", point), RTCAN);
    resbuf file{};
    EXPECT_EQ(acedGetFileD("Select the file", "/p/LAYOUT", "dwg", 208, &file), RTNORM);
    EXPECT_STREQ(file.resval.rstring, "/p/LAYOUT");
    acutDelString(file.resval.rstring);
    EXPECT_EQ(acedGetString(1, "\nMore: ", wide, sizeof wide), RTCAN);  // no answer left
    EXPECT_EQ(session.TakeConsole(),
              "\nLAYOUT PATH :C:/a b/c\nName: C:/a b/c\nLong: 12345678\nPoint: 1,2\nPoint: "
              "\nPoint: x\nInvalid point.\nPoint: 3,4,5\nPoint: *CANCEL*\nSelect the file "
              "[/p/LAYOUT] (*.dwg): \nMore: *Cancel*");
}

TEST_F(HostServices, NumbersAndKeywords) {
    session.answers() = hosttest::ListAnswers(
        {"2", "c", "", "x", "-1", "0", "3", "1.5", "", "Right", "nope", "r", "5,5", "X"});
    // The justification prompt: keywords 1, 2, 3 and their names.
    acedInitGet(0, "1 2 3 Top Center Bottom");
    int choice = 0;
    EXPECT_EQ(acedGetInt("\nJustification: ", &choice), RTKWORD);
    char keyword[16];
    EXPECT_EQ(acedGetInput(keyword, sizeof keyword), RTNORM);
    EXPECT_STREQ(keyword, "2");
    acedInitGet(0, "1 2 3 Top Center Bottom");
    EXPECT_EQ(acedGetInt("\nJustification: ", &choice), RTKWORD);
    acedGetInput(keyword, sizeof keyword);
    EXPECT_STREQ(keyword, "Center");
    // The bits hold for one prompt: empty, not a number, negative and zero are asked again.
    acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
    EXPECT_EQ(acedGetInt("\nLength: ", &choice), RTNORM);
    EXPECT_EQ(choice, 3);
    ads_real real = 0;
    EXPECT_EQ(acedGetReal("\nScale: ", &real), RTNORM);
    EXPECT_EQ(real, 1.5);
    EXPECT_EQ(acedGetReal("\nScale: ", &real), RTNONE);  // the bits are gone
    acedInitGet(0, "Left Right");
    EXPECT_EQ(acedGetKword("\nSide [Left/Right]: ", keyword, sizeof keyword), RTNORM);
    EXPECT_STREQ(keyword, "Right");
    acedInitGet(0, "Left Right");
    EXPECT_EQ(acedGetKword("\nSide [Left/Right]: ", keyword, sizeof keyword), RTNORM);
    EXPECT_STREQ(keyword, "Right");  // "nope" asked again, then "r", the capital of Right
    acedInitGet(0, "eXit");
    ads_point point;
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint or [eXit]: ", point), RTNORM);
    acedInitGet(0, "eXit");
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint or [eXit]: ", point), RTKWORD);
    acedGetInput(keyword, sizeof keyword);
    EXPECT_STREQ(keyword, "eXit");
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("\nLength: \nAn answer is required.\nLength: x\nRequires an integer "
                           "value.\nLength: -1\nValue out of range.\nLength: 0\nValue out of "
                           "range.\nLength: 3"),
              std::string::npos)
        << console;
    EXPECT_NE(console.find("nope\nInvalid option keyword."), std::string::npos);
}

TEST_F(HostServices, ProgressMeter) {
    std::ostringstream trace;
    session.host().SetTrace(&trace);
    acedSetStatusBarProgressMeter("Updating...", 0, 200);
    acedSetStatusBarProgressMeterPos(50);
    EXPECT_EQ(session.host().ProgressText(), "Updating... 25%");
    acedSetStatusBarProgressMeterPos(500);
    EXPECT_EQ(session.host().ProgressText(), "Updating... 100%");
    acedRestoreStatusBar();
    EXPECT_EQ(session.host().ProgressText(), "");
    acedRestoreStatusBar();  // nothing shown: nothing noted
    session.host().SetTrace(nullptr);
    EXPECT_EQ(trace.str(),
              "cadhost: progress meter \"Updating...\"\ncadhost: progress meter ended at 100%\n");
}

}  // namespace
