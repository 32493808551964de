// Saving from the environment dialogs, the cutter grid, the remaining wire and the resize rule.

#include "EnvironmentRules.h"

#include <gtest/gtest.h>

#include "Texts.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

class SavingTest : public ::testing::Test {
protected:
    SavingTest() {
        std::filesystem::create_directories(home.userFolder());
        WriteBytes(file(), ReadBytes(SampleIni()));
        EXPECT_FALSE(settings.ReadIniFile(true));
    }
    std::filesystem::path file() const { return home.userFolder() / "KABLOS.ini"; }

    TempHome home;
    RecordingMessenger messenger;
    SettingsFile settings{[this] { return home.userFolder(); }, home.programFolder(), messenger,
                          [] { return FixedTime(std::chrono::hours(24)); }};
};

TEST_F(SavingTest, SavingKeepsOnlyCompleteRowsInFileAndMemory) {
    IniData& ini = settings.data();
    ini.StripEnv[0].Rows.push_back(StripRow{});
    ini.StripEnv[0].Rows.push_back(StripRow{"Q", "1", "", "4", "5"});
    ini.CutterEnv.push_back(CutterRow{"IV", "3.5", "4", "4", "", "0.6"});
    ini.EnvNo = 1;
    const IniData complete = [&] {
        IniData copy = ini;
        copy.StripEnv[0].Rows.resize(copy.StripEnv[0].Rows.size() - 2);
        copy.CutterEnv.pop_back();
        return copy;
    }();

    ASSERT_TRUE(SaveAndReload(settings, messenger));
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(ini.StripEnv, complete.StripEnv);
    EXPECT_EQ(ini.CutterEnv, complete.CutterEnv);
    EXPECT_EQ(ini.UpDate, "2023/09/14 08:09:15");
    EXPECT_NE(ReadBytes(file()).find("EnvNo\t1\r\n"), std::string::npos);
}

TEST_F(SavingTest, AFailedWriteSaysSoAndLeavesTheFileWhole) {
    const std::string before = ReadBytes(file());
    settings.data().ZanWLen = 1;
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(SaveAndReload(settings, messenger));
    }
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, texts::IniWriteError(home.userFolder()));
    EXPECT_EQ(messenger.shown[0].text,
              "INIファイル書き込みエラー(" + (home.userFolder() / "KABLOS.ini").string() + ")");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ReadBytes(file()), before);
}

TEST_F(SavingTest, AFileThatDoesNotReadBackSaysSo) {
    // A strip row with a carriage return in a cell is written, and reads back as two lines, the
    // first of them too short for a strip row.
    settings.data().StripEnv[0].Rows[0].SizeTo = "1\r2";
    EXPECT_FALSE(SaveAndReload(settings, messenger));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "INIファイル読み込みエラー(" + (home.userFolder() / "KABLOS.ini").string() + ")");
}

TEST(CutterGrid, ShowsTrimmedFieldsAndStoresBlankRows) {
    IniData ini;
    ini.CutterEnv = {{" IV", "2 ", "4", "4", "3.4", "0.6"}};
    EditTable grid = CutterGrid(ini);
    ASSERT_EQ(grid.rows(), 1);
    EXPECT_EQ(grid.row(1), (std::vector<std::string>{"IV", "2", "4", "4", "3.4", "0.6"}));
    grid.InsertRow(0);
    StoreCutterGrid(grid, ini);
    EXPECT_EQ(ini.CutterEnv,
              (std::vector<CutterRow>{CutterRow{}, CutterRow{"IV", "2", "4", "4", "3.4", "0.6"}}));
    StoreCutterGrid(EditTable(kCutterColumns), ini);
    EXPECT_TRUE(ini.CutterEnv.empty());
}

TEST(RemainingWire, MetresBecomeMillimetresRoundedHalfToEven) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"12.5", 12500},
        {"0.0025", 2},
        {"0.0035", 4},
        {"-3", -3000},
        {" 7 ", 7000},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"1.5m", std::nullopt},
        {"3000000", std::nullopt},  // beyond a 32-bit millimetre count
    };
    for (auto [metres, millimetres] : cases)
        EXPECT_EQ(MillimetresFromMetres(metres), millimetres) << metres;
    EXPECT_EQ(MetresText(12500), "12.5");
    EXPECT_EQ(MetresText(500000), "500");
    EXPECT_EQ(ClearCutLengthQuestion(1500), "電線を加工した長さ(1.5m)をクリアしますか？");
}

TEST_F(SavingTest, RemainingWireOkAsksToClearOnlyWhileTracking) {
    IniData& ini = settings.data();
    ini.CutWLen = 1500;

    EXPECT_EQ(StoreRemainingWire("x", settings, messenger, "残り電線長の設定"),
              RemainingWireOk::Refused);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, kNotANumber);
    EXPECT_EQ(messenger.shown[0].caption, "残り電線長の設定");
    EXPECT_EQ(ini.ZanWLen, 500000);

    messenger.queue(MsgAnswer::No);
    EXPECT_EQ(StoreRemainingWire("12.5", settings, messenger, ""), RemainingWireOk::Saved);
    EXPECT_EQ(messenger.shown.back().text, "電線を加工した長さ(1.5m)をクリアしますか？");
    EXPECT_EQ(messenger.shown.back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(messenger.shown.back().icon, MsgIcon::Question);
    EXPECT_EQ(ini.ZanWLen, 12500);
    EXPECT_EQ(ini.CutWLen, 1500);
    EXPECT_NE(ReadBytes(file()).find("ZanWLen\t12500\r\nCutWLen\t1500\r\n"), std::string::npos);

    messenger.queue(MsgAnswer::Yes);
    EXPECT_EQ(StoreRemainingWire("-2", settings, messenger, ""), RemainingWireOk::Saved);
    EXPECT_EQ(ini.ZanWLen, -2000);
    EXPECT_EQ(ini.CutWLen, 0);

    ini.ZanWLenFlg = 0;
    ini.CutWLen = 700;
    const std::size_t asked = messenger.shown.size();
    EXPECT_EQ(StoreRemainingWire("1", settings, messenger, ""), RemainingWireOk::Saved);
    EXPECT_EQ(messenger.shown.size(), asked);
    EXPECT_EQ(ini.CutWLen, 700);
    EXPECT_NE(ReadBytes(file()).find("ZanWLenFlg\t0\r\nZanWLen\t1000\r\n"), std::string::npos);
}

TEST(ResizeLayout, MovesOnlyWhatTheWindowLeavesRoomFor) {
    struct Case {
        int width, height, margin;
        EditorLayout expected;
    };
    const Case cases[] = {
        {3600, 2950, 950, {}},  // exactly 2000 left is not enough
        {3601, 2951, 950, {2001, 2001, 2101, 2601}},
        {9000, 2600, 600, {std::nullopt, 7400, 7500, 8000}},
        {3000, 5000, 600, {4400, std::nullopt, std::nullopt, std::nullopt}},
    };
    for (const Case& c : cases) {
        const EditorLayout layout = ResizeLayout(c.width, c.height, c.margin);
        EXPECT_EQ(layout.gridHeight, c.expected.gridHeight) << c.width << "x" << c.height;
        EXPECT_EQ(layout.gridWidth, c.expected.gridWidth) << c.width << "x" << c.height;
        EXPECT_EQ(layout.buttonsLeft, c.expected.buttonsLeft) << c.width << "x" << c.height;
        EXPECT_EQ(layout.countLeft, c.expected.countLeft) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace kablos
