// The plug-in frame through the host: start and stop, the nesting count per document, the
// modeless window gate, the 3D mode flag around the entry points, the plate check, the console
// error convention, the message helpers and ROUTIX's log reporter.

#include "frame/Frame.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "frame/ConsoleError.h"
#include "frame/EntryPoints.h"
#include "frame/MessageBox.h"
#include "frame/Resources.h"
#include "frame/RoutixLog.h"
#include "platform/host/HostSession.h"
#include "support/FileSupport.h"

extern "C" int ZelkoOrdinal1012();
extern "C" int ZelkoOrdinal1029();
extern "C" int ZelkoOrdinal1037();

namespace {

using hosttest::HostSession;
using routix::g_b3DMode;
using routix::g_pDocDataManager;

// A drawing saved by the database and opened by the host as a document.
std::string SaveDrawing(const testsupport::TempDir& dir, const std::string& name) {
    AcDbDatabase database;
    const std::string path = (dir.path() / name).string();
    EXPECT_EQ(database.saveAs(path.c_str()), Acad::eOk);
    return path;
}

// Records what the frame asks of the modeless window.
class RecordingWindow : public routix::CModelessWindow {
public:
    explicit RecordingWindow(std::vector<int>& calls) : m_calls(calls) {}
    void ShowWindow(int command) override { m_calls.push_back(command); }

private:
    std::vector<int>& m_calls;
};

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        routix::ReloadResources(messages::Language::English);
        ZelkoInitApplication();
        ASSERT_EQ(session.host().OpenDocument(SaveDrawing(dir, "LAYOUT_P1.dxf")), Acad::eOk);
    }
    void TearDown() override {
        ZelkoUnloadApplication();
        routix::g_nModelessGate = 0;
        g_b3DMode = false;
    }
    int Count() { return g_pDocDataManager->docData().m_nCount; }

    testsupport::TempDir dir;
    HostSession session;
};

TEST_F(Frame, InitTwiceCreatesNoSecondReactorOrManagerAndUnloadRemovesThem) {
    auto* manager = g_pDocDataManager;
    auto* reactor = routix::g_pEditorReactor;
    ASSERT_NE(manager, nullptr);
    ASSERT_NE(reactor, nullptr);
    EXPECT_TRUE(reactor->IsRegistered());
    ZelkoInitApplication();
    EXPECT_EQ(g_pDocDataManager, manager);
    EXPECT_EQ(routix::g_pEditorReactor, reactor);
    EXPECT_EQ(session.host().EditorReactorCount(), 1u);

    ZelkoUnloadApplication();
    EXPECT_EQ(g_pDocDataManager, nullptr);
    EXPECT_EQ(routix::g_pEditorReactor, nullptr);
    EXPECT_EQ(session.host().EditorReactorCount(), 0u);
    // Commands after unload reach no reactor.
    session.host().RunCommand("MIRROR", [] { return host::CommandOutcome::Ended; });
    ZelkoInitApplication();
    EXPECT_EQ(Count(), 0);
}

TEST_F(Frame, FilteredCommandsLeaveTheNestingCountAndOthersRaiseIt) {
    struct Case {
        const char* name;
        int inside;
    };
    const Case cases[] = {{"REGEN", 0},         {"UNDO", 0},      {"U", 0},
                          {"regen", 0},         {"SETVAR", 0},    {"OPENPROJECT", 0},
                          {"ZELKO_PROJECT", 0}, {"ZELKO1012", 1}, {"MIRROR", 1},
                          {"UNDOX", 1},         {"PROJECTS", 0},  {"NEWS", 1}};
    for (const Case& c : cases) {
        int inside = -1;
        session.host().RunCommand(c.name, [&] {
            inside = Count();
            return host::CommandOutcome::Ended;
        });
        EXPECT_EQ(inside, c.inside) << c.name;
        EXPECT_EQ(Count(), 0) << c.name;
    }
}

TEST_F(Frame, NestedCommandsCountAndTheWindowShowsOnlyWhenTheCountIsBackAtZero) {
    std::vector<int> calls;
    routix::g_pModelessWindow = new RecordingWindow(calls);
    routix::g_nModelessGate = 1;
    using host::CommandOutcome;
    std::vector<int> counts;
    session.host().RunCommand("ZELKO1002", [&] {
        counts.push_back(Count());
        session.host().RunCommand("'REGEN", [&] {
            counts.push_back(Count());
            return CommandOutcome::Ended;
        });
        session.host().RunCommand("MIRROR", [&] {
            counts.push_back(Count());
            return CommandOutcome::Cancelled;
        });
        counts.push_back(Count());
        return CommandOutcome::Failed;
    });
    counts.push_back(Count());
    EXPECT_EQ(counts, (std::vector<int>{1, 1, 2, 1, 0}));
    // Hidden whenever a command starts with the count at 1 (the outer one, and the filtered
    // REGEN inside it); shown once, when the count is back at 0.
    EXPECT_EQ(calls, (std::vector<int>{routix::SW_HIDE, routix::SW_HIDE, routix::SW_SHOWDEFAULT}));
}

TEST_F(Frame, TheWindowIsLeftAloneWhileTheGateIsClosed) {
    std::vector<int> calls;
    routix::g_pModelessWindow = new RecordingWindow(calls);
    session.host().RunCommand("ZELKO1012", [] { return host::CommandOutcome::Ended; });
    EXPECT_TRUE(calls.empty());
}

TEST_F(Frame, AnEndWithoutAStartNeverMakesTheCountNegative) {
    routix::g_pEditorReactor->commandEnded("MIRROR");
    routix::g_pEditorReactor->commandCancelled("ERASE");
    routix::g_pEditorReactor->commandFailed("ZELKO1012");
    EXPECT_EQ(Count(), 0);
    session.host().RunCommand("ZELKO1012", [&] {
        EXPECT_EQ(Count(), 1);
        return host::CommandOutcome::Ended;
    });
    EXPECT_EQ(Count(), 0);
}

TEST_F(Frame, CountsAreKeptPerDocumentAndForgottenWithTheDocument) {
    AcApDocument* first = session.host().CurrentDocument();
    routix::g_pEditorReactor->commandWillStart("ZELKO1000");
    ASSERT_EQ(session.host().OpenDocument(SaveDrawing(dir, "LAYOUT_P2.dxf")), Acad::eOk);
    AcApDocument* second = session.host().CurrentDocument();
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(g_pDocDataManager->docData(first).m_nCount, 1);
    session.host().CloseCurrentDocument();
    EXPECT_FALSE(g_pDocDataManager->has(second));
    EXPECT_EQ(session.host().CurrentDocument(), first);
    session.host().CloseCurrentDocument();
    EXPECT_EQ(g_pDocDataManager->size(), 0u);
    // Without a current document a notification is ignored.
    routix::g_pEditorReactor->commandWillStart("ZELKO1000");
    EXPECT_EQ(g_pDocDataManager->size(), 0u);
}

TEST_F(Frame, TheFlagRulesOfTheEntryPoints) {
    using routix::Flag3D;
    struct Case {
        Flag3D rule;
        bool before;
        bool during;
        bool after;
    };
    const Case cases[] = {
        {Flag3D::Set, false, true, false},     {Flag3D::Set, true, true, false},
        {Flag3D::Cleared, true, false, false}, {Flag3D::Cleared, false, false, false},
        {Flag3D::Untouched, true, true, true}, {Flag3D::Untouched, false, false, false},
    };
    for (const Case& c : cases) {
        g_b3DMode = c.before;
        bool during = !c.during;
        EXPECT_EQ(routix::RunEntryPoint(c.rule, [&] { during = g_b3DMode; }), 1);
        EXPECT_EQ(during, c.during) << static_cast<int>(c.rule) << c.before;
        EXPECT_EQ(g_b3DMode, c.after) << static_cast<int>(c.rule) << c.before;
    }
    g_b3DMode = true;
    EXPECT_EQ(ZelkoOrdinal1012(), 1);
    EXPECT_FALSE(g_b3DMode);
    EXPECT_EQ(session.TakeConsole(), "");
}

TEST(PlateCheck, SplitsAtTheFirstUnderscoreWhichMustNotComeFirst) {
    struct Case {
        std::optional<std::string> text;
        routix::PlateCheck result;
        const char* panel;
        const char* plate;
    };
    using routix::PlateCheck;
    const Case cases[] = {
        {std::nullopt, PlateCheck::NoPlate, "", ""}, {"", PlateCheck::NoPlate, "", ""},
        {"P1_FRONT", PlateCheck::Ok, "P1", "FRONT"}, {"P1_A_B", PlateCheck::Ok, "P1", "A_B"},
        {"P1_", PlateCheck::Ok, "P1", ""},           {"_A", PlateCheck::Malformed, "", ""},
        {"P1", PlateCheck::Malformed, "", ""},
    };
    for (const Case& c : cases) {
        std::string panel, plate;
        EXPECT_EQ(routix::CheckPlate(c.text, &panel, &plate), c.result) << c.text.value_or("-");
        EXPECT_EQ(panel, c.panel);
        EXPECT_EQ(plate, c.plate);
    }
}

TEST_F(Frame, WithoutAPlateTheRelayEntryPointsShowMessage2660AndLeaveTheFlag) {
    for (bool before : {false, true}) {
        g_b3DMode = before;
        EXPECT_EQ(ZelkoOrdinal1029(), 0);
        EXPECT_EQ(ZelkoOrdinal1037(), 0);
        EXPECT_EQ(g_b3DMode, before);
    }
    const std::string box =
        "\n*** message box \"ROUTIX23\" OK INFORMATION ***\n"
        "\nSelect the plate to place a device.\n*** answer: OK ***\n";
    EXPECT_EQ(session.TakeConsole(), box + box + box + box);

    routix::ReloadResources(messages::Language::Japanese);
    ZelkoOrdinal1029();
    EXPECT_NE(session.TakeConsole().find("\n仮配置の対象を、面選択してください。\n"),
              std::string::npos);
}

TEST_F(Frame, WithAPlateTheRoutineRunsWithTheFlagSetAndAMalformedPlateFailsSilently) {
    routix::g_plateSelection = [] { return std::optional<std::string>("_FRONT"); };
    EXPECT_EQ(ZelkoOrdinal1029(), 0);
    EXPECT_EQ(session.TakeConsole(), "");
    routix::g_plateSelection = [] { return std::optional<std::string>("P1_FRONT"); };
    // The placement routine runs: without a project the drawing is no layout drawing and a
    // project must be open (message 104).
    EXPECT_EQ(ZelkoOrdinal1029(), 1);
    EXPECT_EQ(ZelkoOrdinal1037(), 1);
    EXPECT_FALSE(g_b3DMode);
    const std::string box =
        "\n*** message box \"Place Internal Terminal Block\" OK WARNING ***\n"
        "Open the project.\n*** answer: OK ***\n";
    EXPECT_EQ(session.TakeConsole(), box + box);
    routix::g_plateSelection = [] { return std::optional<std::string>(); };
}

TEST(ConsoleError, TheFormsOfTheErrorLines) {
    HostSession session;
    using routix::Source;
    routix::PrintStatusError(Source::ArxBlock, 120, "getBlockTable", Acad::eWasErased);
    routix::PrintStatusError(Source::Sokucyou, 7, "acdbOpenObject", Acad::eNullObjectId, true);
    routix::PrintError(Source::ExtractInfo, 33, "insertBlock");
    routix::PrintError(Source::ArxBlock, 34, "newIterator", true);
    routix::PrintOpenDocumentError(Source::Sokucyou, 90, "/p/LAYOUT_A.dwg", Acad::eFileNotFound);
    routix::PrintTempPathError(false);
    routix::PrintTempPathError(true);
    EXPECT_EQ(session.TakeConsole(),
              "\ne:\\repos\\trunk\\src\\zelk\\routix\\ArxBlock.cpp(120): getBlockTable "
              "error(eWasErased)"
              "\ne:\\repos\\trunk\\src\\zelk\\routix\\Sokucyou.cpp(7): acdbOpenObject "
              "error(eNullObjectId)."
              "\ne:\\repos\\trunk\\src\\zelk\\routix\\ExtractInfo.cpp(33): insertBlock error"
              "\ne:\\repos\\trunk\\src\\zelk\\routix\\ArxBlock.cpp(34): newIterator error."
              "\ne:\\repos\\trunk\\src\\zelk\\routix\\Sokucyou.cpp(90):appContextOpenDocument "
              "error (FileName=/p/LAYOUT_A.dwg|es=eFileNotFound)"
              "\nGetTempPath error\nGetTempPath error.");
}

TEST(MessageHelpers, LoadExpandCutAndShow) {
    HostSession session({"NO", "", "YES"});
    routix::ReloadResources(messages::Language::English);
    routix::CMessageBox helpers;
    char small[24];
    EXPECT_TRUE(helpers.LoadMsg(2659, small, sizeof small, {"/x", 5}));
    EXPECT_STREQ(small, "\nCannot open the file (");
    std::string text = "old";
    EXPECT_TRUE(helpers.LoadMsg(2659, text, {"/tmp/a b.txt", 5}));
    EXPECT_EQ(text, "\nCannot open the file (FileName=/tmp/a b.txt|LastErr=5)");
    EXPECT_TRUE(helpers.LoadMsg(999999, text));
    EXPECT_EQ(text, "");

    // The box returns the button chosen; an empty answer takes the default button.
    EXPECT_EQ(helpers.MsgBox(2660, "Caption", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(helpers.MsgBox(2660, "Caption", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(helpers.MsgBox(2660, "Caption", MB_YESNOCANCEL), IDYES);
    // Without an answer a box that can be cancelled is cancelled.
    EXPECT_EQ(helpers.MsgBox(2660, "Caption", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(session.answers().requests.size(), 4u);
    EXPECT_EQ(session.answers().requests[0].choices, "YES/NO");

    session.TakeConsole();
    helpers.ErrorBox("%s|%d", std::string(5000, 'e').c_str(), 1);
    const std::string box = session.TakeConsole();
    EXPECT_NE(box.find("\n" + std::string(4095, 'e') + "\n"), std::string::npos);
}

TEST(RoutixLog, MessageTwoSixFiveNineAndTheErrorBoxes) {
    HostSession session;
    routix::ReloadResources(messages::Language::English);
    routix::LogReporter().CannotOpen("C:\\temp\\key.txt", 5);
    EXPECT_EQ(session.TakeConsole(),
              "\nCannot open the file (FileName=C:\\temp\\key.txt|LastErr=5)");
    routix::ReloadResources(messages::Language::Japanese);
    routix::LogReporter().CannotOpen("/k.txt", 5);
    EXPECT_EQ(session.TakeConsole(), "\nファイルがオープンできません(FileName=/k.txt|LastErr=5)");
    routix::ReloadResources(messages::Language::English);

    testsupport::TempDir dir;
    CLog log("unused.txt", routix::LogReporter());
    const auto missing = dir.path() / "no" / "key.txt";
    EXPECT_FALSE(log.Open(missing));
    EXPECT_EQ(session.TakeConsole(), "\nCannot open the file (FileName=" + missing.string() +
                                         "|LastErr=" + std::to_string(ENOENT) + ")");

    // Write errors: a box each, naming the file and the error; the two outputs report from
    // different lines.
    const auto path = dir.path() / "rows.txt";
    ASSERT_TRUE(log.Open(path));
    std::string formatted, plain;
    {
        testsupport::FileSizeLimit limit(4);
        log.Out("%s", "123456");
        formatted = session.TakeConsole();
        log.OutPlain("789");
        plain = session.TakeConsole();
    }
    const std::string expected = "): CLog::out WriteFile error (FileName=" + path.string() +
                                 "|LastErr=" + std::to_string(EFBIG) + ")\n";
    EXPECT_NE(formatted.find("*** message box \"AutoCAD\" OK ***\n\ne:\\repos\\trunk\\src\\zelk\\"
                             "routix\\Log.cpp("),
              std::string::npos)
        << formatted;
    EXPECT_NE(formatted.find(expected), std::string::npos) << formatted;
    EXPECT_NE(plain.find(expected), std::string::npos) << plain;
    EXPECT_NE(formatted.substr(0, formatted.find(expected)), plain.substr(0, plain.find(expected)));
}

}  // namespace
