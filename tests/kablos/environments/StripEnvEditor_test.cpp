// The strip environment editor's rules and the environment list, without the dialog.

#include "StripEnvEditor.h"

#include <gtest/gtest.h>

#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using test::RecordingMessenger;

StripRow Row(std::string term, std::string semi = "3") {
    return StripRow{std::move(term), "0.5", "2", "6", std::move(semi)};
}

class StripEditorTest : public ::testing::Test {
protected:
    StripEditorTest() {
        ini.StripEnv = {
            {"標準", "1", 0, {Row("R"), Row("Y")}},
            {"盤内配線", "2", 1, {Row(" M ", " 0 "), Row("P")}},
            {"予備", "3", 0, {Row("T")}},
        };
        ini.EnvNo = 1;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const StripEnvironment& env : ini.StripEnv)
            names.push_back(env.EnvName);
        return names;
    }
    const StripEnvironment& Env(int i) const {
        return ini.StripEnv.at(static_cast<std::size_t>(i));
    }

    IniData ini;
    RecordingMessenger messenger;
};

TEST_F(StripEditorTest, OpeningShowsTheEnvironmentInUseTrimmed) {
    StripEnvEditor editor(ini, messenger);
    editor.Open();
    EXPECT_EQ(editor.shown(), 1);
    ASSERT_EQ(editor.grid().rows(), 2);
    EXPECT_EQ(editor.grid().row(1), (std::vector<std::string>{"M", "0.5", "2", "6", "0"}));
    EXPECT_EQ(editor.cutCntText, "2");
    EXPECT_TRUE(editor.wtkChecked);
}

TEST_F(StripEditorTest, AnEnvNoWithoutEnvironmentShowsNoneAndOkAsksForOne) {
    for (int envNo : {3, -1}) {
        ini.EnvNo = static_cast<std::int16_t>(envNo);
        const IniData before = ini;
        StripEnvEditor editor(ini, messenger);
        editor.Open();
        EXPECT_EQ(editor.shown(), -1);
        EXPECT_EQ(editor.grid().rows(), 0);
        EXPECT_FALSE(editor.StoreForOk());
        EXPECT_EQ(ini, before);
    }
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0].text, kNoEnvironmentChosen);
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
}

TEST_F(StripEditorTest, SwitchingStoresTheGridIntoTheEnvironmentShown) {
    StripEnvEditor editor(ini, messenger);
    editor.Open();
    editor.grid().setCell(1, 1, "MX");
    editor.grid().InsertRow(2);                         // a blank row
    editor.grid().appendRow({"Q", "1", "", "4", "5"});  // a row with one empty cell
    editor.cutCntText = "4";
    editor.wtkChecked = false;
    editor.Choose(0);
    EXPECT_EQ(editor.grid().row(1), (std::vector<std::string>{"R", "0.5", "2", "6", "3"}));
    editor.Choose(1);
    ASSERT_EQ(editor.grid().rows(), 4);  // blank and incomplete rows are kept in memory
    EXPECT_EQ(editor.grid().cell(1, 1), "MX");
    EXPECT_EQ(editor.grid().row(3), std::vector<std::string>(5));
    EXPECT_EQ(editor.grid().cell(4, 1), "Q");
    EXPECT_EQ(Env(1).CutCnt, "4");
    EXPECT_EQ(Env(1).WtkFlag, 0);
    EXPECT_EQ(Env(0).Rows, (std::vector<StripRow>{Row("R"), Row("Y")}));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(StripEditorTest, TheUnitCountMustBeAWholeNumberOfAtLeastOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", nullptr}, {"0.9", nullptr}, {"abc", nullptr}, {"", nullptr}, {"-2", nullptr},
        {"1.9", "1"},   {"3", "3"},       {"2.7", "2"},     {" 5 ", "5"},
    };
    for (auto [typed, stored] : cases) {
        ini.StripEnv[1].CutCnt = "2";
        ini.StripEnv[1].WtkFlag = 1;
        messenger.shown.clear();
        StripEnvEditor editor(ini, messenger);
        editor.Open();
        editor.cutCntText = typed;
        editor.wtkChecked = false;
        editor.grid().setCell(1, 1, typed);
        ASSERT_TRUE(editor.StoreForOk()) << typed;
        EXPECT_EQ(Env(1).CutCnt, stored ? stored : "2") << typed;
        // A refused count warns, and the rest is stored all the same.
        EXPECT_EQ(messenger.shown.size(), stored ? 0u : 1u) << typed;
        if (!stored) {
            EXPECT_EQ(messenger.shown.at(0).text, kUnitCountRefused);
        }
        EXPECT_EQ(Env(1).WtkFlag, 0) << typed;
        EXPECT_EQ(Env(1).Rows.at(0).TermType, typed);
    }
}

TEST_F(StripEditorTest, AddMakesAnEmptyEnvironmentOrADeepCopy) {
    StripEnvEditor editor(ini, messenger);
    editor.Open();
    EXPECT_FALSE(editor.Add("", 0));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, kNoNewName);
    EXPECT_EQ(ini.StripEnv.size(), 3u);

    ASSERT_TRUE(editor.Add("新規", -1));
    EXPECT_EQ(ini.StripEnv.back(), (StripEnvironment{"新規", "1", 0, {StripRow{}}}));

    ASSERT_TRUE(editor.Add("写し", 1));
    EXPECT_EQ(ini.StripEnv.back().EnvName, "写し");
    EXPECT_EQ(ini.StripEnv.back().Rows, Env(1).Rows);
    EXPECT_EQ(ini.StripEnv.back().CutCnt, "2");
    EXPECT_EQ(ini.StripEnv.back().WtkFlag, 1);
    EXPECT_EQ(editor.shown(), 1);  // adding does not change what is shown

    // Edits of the copy stay with the copy.
    editor.Choose(4);
    editor.grid().setCell(1, 5, "9");
    editor.grid().DeleteRows({}, 2);
    editor.Choose(1);
    EXPECT_EQ(Env(4).Rows.size(), 1u);
    EXPECT_EQ(Env(4).Rows[0].SemiLen, "9");
    // (The source was shown when the copy was chosen: its rows went back trimmed.)
    EXPECT_EQ(Env(1).Rows, (std::vector<StripRow>{Row("M", "0"), Row("P")}));
}

TEST_F(StripEditorTest, RenameNeverTouchesTheFirstEnvironment) {
    StripEnvEditor editor(ini, messenger);
    EXPECT_FALSE(editor.Rename("新", 0));
    EXPECT_FALSE(editor.Rename("新", -1));
    EXPECT_FALSE(editor.Rename("", 1));
    EXPECT_FALSE(editor.Rename("新", 3));
    EXPECT_EQ(Names(), (std::vector<std::string>{"標準", "盤内配線", "予備"}));
    EXPECT_TRUE(editor.Rename("新", 1));
    EXPECT_EQ(Names(), (std::vector<std::string>{"標準", "新", "予備"}));
    // The settings file separates its fields by tabs and its lines by line ends: a name never
    // holds one.
    EXPECT_TRUE(editor.Rename("A\tB\r\nC", 2));
    EXPECT_TRUE(editor.Add("D\tE", -1));
    EXPECT_EQ(Names(), (std::vector<std::string>{"標準", "新", "A B  C", "D E"}));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(StripEditorTest, DeleteKeepsTheOthersWhole) {
    const StripEnvironment second = Env(1);
    const StripEnvironment third = Env(2);
    StripEnvEditor editor(ini, messenger);
    editor.Open();

    EXPECT_EQ(editor.Delete(-1), 1);  // nothing selected: nothing dropped, the box re-shown
    EXPECT_EQ(ini.StripEnv.size(), 3u);

    // Deleting the first: the shown environment moves to 0 with its unsaved edits, the box
    // keeps its position 1, which now holds the third environment.
    editor.grid().setCell(2, 1, "PX");
    EXPECT_EQ(editor.Delete(0), 1);
    ASSERT_EQ(ini.StripEnv.size(), 2u);
    EXPECT_EQ(Env(0).EnvName, second.EnvName);
    EXPECT_EQ(Env(0).CutCnt, second.CutCnt);
    EXPECT_EQ(Env(0).WtkFlag, second.WtkFlag);
    EXPECT_EQ(Env(0).Rows.at(1).TermType, "PX");
    EXPECT_EQ(Env(1), third);
    EXPECT_EQ(editor.grid().cell(1, 1), "T");
    EXPECT_EQ(ini.EnvNo, 0);  // EnvNo follows its environment
}

TEST_F(StripEditorTest, EditsOfADeletedEnvironmentReachNoOther) {
    const IniData before = ini;
    StripEnvEditor editor(ini, messenger);
    editor.Open();
    editor.grid().setCell(1, 1, "LOST");
    editor.cutCntText = "7";
    // The shown environment (1) and EnvNo's are deleted; the box position 1 now holds "予備".
    EXPECT_EQ(editor.Delete(1), 1);
    EXPECT_EQ(Env(0), before.StripEnv[0]);
    EXPECT_EQ(Env(1), before.StripEnv[2]);
    EXPECT_EQ(ini.EnvNo, 0);

    // Deleting the last position shown falls back to the first entry.
    EXPECT_EQ(editor.Delete(1), 0);
    EXPECT_EQ(Env(0), before.StripEnv[0]);
    EXPECT_EQ(editor.Delete(0), -1);
    EXPECT_TRUE(ini.StripEnv.empty());
    EXPECT_EQ(ini.EnvNo, -1);
    EXPECT_EQ(editor.grid().rows(), 0);
    EXPECT_FALSE(editor.StoreForOk());

    // A new environment is not shown until chosen.
    ASSERT_TRUE(editor.Add("再", -1));
    EXPECT_EQ(editor.shown(), -1);
    editor.Choose(0);
    EXPECT_EQ(editor.grid().rows(), 1);
    EXPECT_TRUE(editor.StoreForOk());
    EXPECT_EQ(ini.EnvNo, 0);
}

}  // namespace
}  // namespace kablos
