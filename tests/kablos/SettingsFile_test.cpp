#include "SettingsFile.h"

#include <gtest/gtest.h>

#include "Texts.h"
#include "UserDataPath.h"
#include "common/codepage.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

IniParseResult Parse(std::string_view text, IniData& data, int* nameless = nullptr) {
    return ParseIniText(text, data, [nameless] {
        if (nameless)
            ++*nameless;
    });
}

TEST(ParseIniText, ReadsTheSampleFile) {
    std::optional<std::string> text = common::FromCodePage(ReadBytes(SampleIni()));
    ASSERT_TRUE(text);
    IniData data;
    ASSERT_TRUE(Parse(*text, data).ok);
    EXPECT_EQ(data.Title, "NIVORA電線加工プログラム設定");
    EXPECT_EQ(data.COMNo, "1");
    EXPECT_EQ(data.ZanWLenFlg, 1);
    EXPECT_EQ(data.ZanWLen, 500000);
    ASSERT_EQ(data.StripEnv.size(), 2u);
    EXPECT_EQ(data.StripEnv[0].EnvName, "標準");
    EXPECT_EQ(data.StripEnv[1].EnvName, "盤内配線");
    EXPECT_EQ(data.StripEnv[1].CutCnt, "2");
    EXPECT_EQ(data.StripEnv[1].WtkFlag, 1);
    EXPECT_EQ(data.StripEnv[0].Rows[1], (StripRow{"R", "2", "2", "7.0", "3.5"}));
    ASSERT_EQ(data.CutterEnv.size(), 6u);
    EXPECT_EQ(data.CutterEnv[0], (CutterRow{"IV", "0.75", "5", "5", "2.4", "0.5"}));
}

// Edge cases of reading, each a small file and what it must give.
TEST(ParseIniText, StripHeaders) {
    struct Case {
        const char* name;
        const char* header;
        const char* cutCnt;
        std::int16_t wtkFlag;
    };
    const Case cases[] = {
        {"count 0 gives 1", "//StripEnv\tA\t0\t1", "1", 1},
        {"count 2.7 gives 2", "//StripEnv\tA\t2.7\t0", "2", 0},
        {"non-numeric count gives 1", "//StripEnv\tA\tx", "1", 0},
        {"negative count gives 1", "//StripEnv\tA\t-3\t0", "1", 0},
        {"absent count and flag", "//StripEnv\tA", "1", 0},
        {"non-numeric flag gives 0", "//StripEnv\tA\t3\tyes", "3", 0},
        {"flag takes the integer part", "//StripEnv\tA\t3\t1.9", "3", 1},
    };
    for (const Case& c : cases) {
        IniData data;
        std::string text = std::string(c.header) + "\n//end\n";
        ASSERT_TRUE(Parse(text, data).ok) << c.name;
        ASSERT_EQ(data.StripEnv.size(), 1u) << c.name;
        EXPECT_EQ(data.StripEnv[0].CutCnt, c.cutCnt) << c.name;
        EXPECT_EQ(data.StripEnv[0].WtkFlag, c.wtkFlag) << c.name;
        EXPECT_TRUE(data.StripEnv[0].Rows.empty()) << c.name;
    }
}

TEST(ParseIniText, SectionsSwitchWithoutClosing) {
    IniData data;
    ASSERT_TRUE(Parse("//StripEnv\tLost\t1\t0\n"
                      "R\t1\t2\t6\t3\n"
                      "//CutterEnv\n"  // switches away: Lost is never counted
                      "IV\t1.25\t5\t5\t2.8\t0.5\n"
                      "IV\t2\t4\t4\t3.4\n"  // five fields: ignored
                      "//end\n"
                      "//StripEnv\tFirst\t1\t0\n"
                      "//StripEnv\tSecond\t1\t0\n"  // overwrites the open environment
                      "Y\t1\t2\t6\t3\n"
                      "//end\n"
                      "R\t9\t9\t9\t9\n"  // outside any section: ignored
                      "//END\n",
                      data)
                    .ok);
    ASSERT_EQ(data.StripEnv.size(), 1u);
    EXPECT_EQ(data.StripEnv[0].EnvName, "Second");
    EXPECT_EQ(data.StripEnv[0].Rows, (std::vector<StripRow>{{"Y", "1", "2", "6", "3"}}));
    EXPECT_EQ(data.CutterEnv.size(), 1u);
}

TEST(ParseIniText, SectionWordsAndKeysAreCaseSensitive) {
    IniData data;
    ASSERT_TRUE(Parse("//ProgramEnv\n//END\nenvno\t5\nEnvNo\t3\n//end\n", data).ok);
    EXPECT_EQ(data.EnvNo, 3);
}

TEST(ParseIniText, ValuesAndTheirConversions) {
    IniData data;
    data.Title = "kept";
    ASSERT_TRUE(Parse("//Header\nMakeDate\t2020/01/01\nUpDate\n//end\n"
                      "//ProgramEnv\nEnvNo\t2.5\nZanWLenFlg\t3.5\nZanWLen\t1e3\nCutWLen\t-7\n"
                      "DataPath\t/home/op/data files\nCOMNo\t\nPrintFile\n//end\n",
                      data)
                    .ok);
    EXPECT_EQ(data.Title, "kept");  // not named by the file
    EXPECT_EQ(data.MakeDate, "2020/01/01");
    EXPECT_EQ(data.EnvNo, 2);  // halves round to even
    EXPECT_EQ(data.ZanWLenFlg, 4);
    EXPECT_EQ(data.ZanWLen, 1000);
    EXPECT_EQ(data.CutWLen, -7);
    EXPECT_EQ(data.DataPath, "/home/op/data files");
    EXPECT_EQ(data.COMNo, "");
}

TEST(ParseIniText, FailuresNameTheLine) {
    struct Case {
        const char* name;
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"short strip row", "//StripEnv\tA\t1\t0\nR\t1\t2\t6\n//end\n", 2},
        {"empty-looking strip row", "//StripEnv\tA\t1\t0\n\t\n//end\n", 2},
        {"EnvNo not a number", "//ProgramEnv\nEnvNo\tabc\n", 2},
        {"EnvNo out of range", "//ProgramEnv\nEnvNo\t40000\n", 2},
        {"ZanWLen out of range", "//ProgramEnv\n\nZanWLen\t3000000000\n", 3},
        {"empty number", "//ProgramEnv\nZanWLenFlg\t\n", 2},
    };
    for (const Case& c : cases) {
        IniData data;
        IniParseResult result = Parse(c.text, data);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.line, c.line) << c.name;
        EXPECT_FALSE(result.reason.empty()) << c.name;
    }
}

TEST(ParseIniText, NamelessEnvironmentIsReportedAndStillFilled) {
    // Only the line without field 1 is nameless; an empty field 1 is an empty name, read
    // without the warning.
    IniData data;
    int nameless = 0;
    ASSERT_TRUE(Parse("//StripEnv\n R\t1\t2\t6\t3\n//end\n//StripEnv\t\t2\t0\n//end\n"
                      "//StripEnv\t\n//end\n",
                      data, &nameless)
                    .ok);
    EXPECT_EQ(nameless, 1);
    ASSERT_EQ(data.StripEnv.size(), 3u);
    EXPECT_EQ(data.StripEnv[0].Rows.size(), 1u);
    EXPECT_EQ(data.StripEnv[1].EnvName, "");
    EXPECT_EQ(data.StripEnv[1].CutCnt, "2");
    EXPECT_EQ(data.StripEnv[2].EnvName, "");
}

TEST(ParseIniText, LineEndsOfEveryKind) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text =
            std::string("//StripEnv\tA\t1\t0") + end + "R\t1\t2\t6\t3" + end + end + "//end" + end;
        IniData data;
        ASSERT_TRUE(Parse(text, data).ok);
        ASSERT_EQ(data.StripEnv.size(), 1u);
        EXPECT_EQ(data.StripEnv[0].Rows.size(), 1u);
    }
}

TEST(FormatIniText, WritesTheFileInItsFixedOrder) {
    IniData data;
    data.Title = "T";
    data.MakeDate = "M";
    data.UpDate = "old";
    data.DataPath = "/d";
    data.COMNo = "2";
    data.EnvNo = 1;
    data.PrintFile = "/p.xls";
    data.ZanWLenFlg = 1;
    data.ZanWLen = 123456;
    data.CutWLen = 42;
    data.CutterEnv = {{"IV", "1.25", "5", "5", "2.8", "0.5"}, {"IV", "", "5", "5", "2.8", "0.5"}};
    data.StripEnv = {{"Empty", "1", 0, {}},
                     {"Two", "3", 1, {{"R", "1", "2", "6.0", "3.0"}, {"Y", "1", "2", "", "3"}}}};
    EXPECT_EQ(FormatIniText(data, "2023/09/13 08:09:15"),
              "//Header\r\nTitle\tT\r\nMakeDate\tM\r\nUpDate\t2023/09/13 08:09:15\r\n//end\r\n"
              "//ProgramEnv\r\nDataPath\t/d\r\nCOMNo\t2\r\nEnvNo\t1\r\nPrintFile\t/p.xls\r\n"
              "ZanWLenFlg\t1\r\nZanWLen\t123456\r\nCutWLen\t42\r\n//end\r\n"
              "//CutterEnv\r\nIV\t1.25\t5\t5\t2.8\t0.5\r\n//end\r\n"
              "//StripEnv\tEmpty\t1\t0\r\n//end\r\n"
              "//StripEnv\tTwo\t3\t1\r\nR\t1\t2\t6.0\t3.0\r\n//end\r\n");
}

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFile makeFile(std::chrono::seconds at = {}) {
        return SettingsFile(UserDataPath, home.programFolder(), messenger,
                            [at] { return FixedTime(at); });
    }

    TempHome home;
    RecordingMessenger messenger;
};

TEST_F(SettingsFileTest, SaveAndLoadKeepEverythingButTheStamp) {
    WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
    SettingsFile file = makeFile();
    ASSERT_FALSE(file.ReadIniFile(false)) << file.lastError();
    IniData loaded = file.data();
    EXPECT_EQ(loaded.UpDate, "2023/09/13 08:09:15");
    EXPECT_EQ(loaded.PrintFile, home.userFolder().string());  // empty in the file

    SettingsFile later = makeFile(std::chrono::hours(24 * 365));
    ASSERT_FALSE(later.ReadIniFile(false));
    ASSERT_FALSE(later.WriteIniFile()) << later.lastError();
    EXPECT_EQ(later.data().UpDate, "2024/09/12 08:09:15");
    const std::string written = ReadBytes(home.userFolder() / "KABLOS.ini");
    EXPECT_NE(written.find(Sjis("UpDate\t2024/09/12 08:09:15\n")), std::string::npos);
    EXPECT_NE(written.find(Sjis("Title\tNIVORA電線加工プログラム設定\n")), std::string::npos);

    ASSERT_FALSE(later.ReadIniFile(true));
    IniData reread = later.data();
    EXPECT_EQ(reread.UpDate, "2024/09/12 08:09:15");
    reread.UpDate = loaded.UpDate;
    EXPECT_EQ(reread, loaded);
}

TEST_F(SettingsFileTest, IncompleteRowsAreDroppedOnTheNextSave) {
    SettingsFile file = makeFile();
    file.data().StripEnv = {{"A", "1", 0, {{"R", "1", "2", "6", "3"}, {"R", "1", "", "6", "3"}}}};
    file.data().CutterEnv = {{"IV", "1.25", "5", "5", "2.8", ""}};
    ASSERT_FALSE(file.WriteIniFile());
    ASSERT_FALSE(file.ReadIniFile(true));
    EXPECT_EQ(file.data().StripEnv[0].Rows.size(), 1u);
    EXPECT_TRUE(file.data().CutterEnv.empty());
}

TEST_F(SettingsFileTest, AFailedLoadChangesNothing) {
    SettingsFile file = makeFile();
    file.data().Title = "before";
    file.data().StripEnv = {{"A", "1", 0, {}}};
    const IniData before = file.data();

    EXPECT_TRUE(file.ReadIniFile(true));  // missing
    EXPECT_NE(file.lastError().find("KABLOS.ini"), std::string::npos);
    EXPECT_EQ(file.data(), before);

    WriteBytes(home.userFolder() / "KABLOS.ini",
               "//Header\r\nTitle\tafter\r\n//end\r\n//StripEnv\tB\r\nR\t1\r\n");
    EXPECT_TRUE(file.ReadIniFile(true));  // short row
    EXPECT_NE(file.lastError().find("line 5"), std::string::npos) << file.lastError();
    EXPECT_EQ(file.data(), before);

    WriteBytes(home.userFolder() / "KABLOS.ini", "//Header\r\nTitle\t\x81\r\n");
    EXPECT_TRUE(file.ReadIniFile(true));  // not Shift_JIS
    EXPECT_EQ(file.data(), before);
}

TEST_F(SettingsFileTest, NamelessEnvironmentShowsItsWarning) {
    WriteBytes(home.userFolder() / "KABLOS.ini", "//StripEnv\r\nR\t1\t2\t6\t3\r\n//end\r\n");
    SettingsFile file = makeFile();
    ASSERT_FALSE(file.ReadIniFile(true));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, texts::kNamelessEnvironment);
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(file.data().StripEnv.at(0).Rows.size(), 1u);
}

TEST_F(SettingsFileTest, AFailedWriteKeepsThePreviousFile) {
    SettingsFile file = makeFile();
    file.data().Title = "first";
    ASSERT_FALSE(file.WriteIniFile());
    const std::string before = ReadBytes(file.userFile());

    file.data().Title = "second";
    file.data().StripEnv.assign(200, {"Env", "1", 0, {{"R", "1", "2", "6", "3"}}});
    {
        FileSizeLimit limit(before.size() + 10);
        EXPECT_TRUE(file.WriteIniFile());
    }
    EXPECT_FALSE(file.lastError().empty());
    EXPECT_EQ(ReadBytes(file.userFile()), before);
    EXPECT_EQ(testsupport::ListFolder(home.userFolder()), "KABLOS.ini");
}

}  // namespace
}  // namespace kablos
