#include "CastingData.h"

#include <gtest/gtest.h>

#include "WireLists.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

const char* const kSetHeader =
    "\"製造番号\"\t\"図番\"\t\"盤Ｎｏ\"\t\"装置ユニット\"\t\"回路区分\"\t\"線種類\"\t\"電線サイズ\""
    "\t\"電線色\"\n";
const char* const kWireHeader =
    "No\t線番\t器具番号(F)\t配置アドレス(F)\t端子No(F)\t圧着(F)\t器具番号(T)\t配置アドレス(T)"
    "\t端子No(T)\t圧着(T)\t端末色\t特殊\t線色\t測長(mm)\n";

std::string Set(const char* values) {
    return std::string(kSetHeader) + values + "\n" + kWireHeader;
}

CastingData Sample() {
    CastingData data;
    RecordingMessenger messenger;
    EXPECT_TRUE(ReadCastingData(std::filesystem::path(KABLOS_SAMPLES_DIR) / "casting.txt", data,
                                messenger));
    return data;
}

TEST(ReadCastingData, ReadsTheSampleFile) {
    CastingData data = Sample();
    ASSERT_EQ(data.sets.size(), 6u);
    const CastingSet& first = data.sets[0];
    EXPECT_EQ(first.MfgNo, "M2301");
    EXPECT_EQ(first.PanelNo, "P1");
    EXPECT_EQ(first.CircuitClass, "主回路");
    EXPECT_EQ(first.ColorLabel, "黄");
    EXPECT_EQ(first.WireCount, 4);
    EXPECT_EQ(first.SpecialFlg, 0);
    // The set without a colour takes the twisted-pair label; the shield pair gets its own set.
    EXPECT_EQ(data.sets[2].ColorLabel, "(TW)");
    EXPECT_EQ(data.sets[2].WireCount, 3);
    EXPECT_EQ(data.sets[3].ColorLabel, "(SH)");
    EXPECT_EQ(data.sets[3].SpecialFlg, 1);
    EXPECT_EQ(data.sets[3].DeviceUnit, "U2");
    EXPECT_EQ(data.sets[4].SectionKind, 1);  // after the jumper marker
    EXPECT_EQ(data.sets[5].SectionKind, 2);  // after the shield marker

    const CastingWire& wire = data.wires[1];
    EXPECT_EQ(wire.No, "2");
    EXPECT_EQ(wire.MeasLen, "350.5");
    EXPECT_EQ(wire.CrimpF, "R");
    EXPECT_EQ(data.wires[3].CrimpF, "NULL");  // empty crimp cell
    EXPECT_EQ(data.wires.size(), 16u);        // coloured wires are listed twice
}

TEST(ReadCastingData, SetLinesAndSections) {
    CastingData data;
    const std::string text =
        "ジャンパ線です\n"  // a marker found inside its field
        + std::string(kSetHeader) +
        "\"M1\"\t\"D1\"\t\"P1\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\t\"黒\"\n"
        "\"M2\"\t\"D2\"\t\"P1\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\t\"黒\"\n"  // reuses the empty slot
        "\"too\"\t\"short\"\t\"line\"\n" +
        kWireHeader + "\"1\"\t\"W1\"\t\"CB1\"\n" + std::string(kSetHeader) +
        "\"M3\"\t\"D3\"\t\"P2\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\n";  // seven fields
    ASSERT_TRUE(ParseCastingText(text, data).ok);
    ASSERT_EQ(data.sets.size(), 2u);
    EXPECT_EQ(data.sets[0].MfgNo, "M2");
    EXPECT_EQ(data.sets[0].SectionKind, 1);
    EXPECT_EQ(data.sets[0].WireCount, 1);
    EXPECT_EQ(data.sets[1].MfgNo, "M3");
    EXPECT_EQ(data.sets[1].ColorLabel, "-");  // only seven columns looked at
    EXPECT_EQ(data.sets[1].SpecialFlg, -1);
    EXPECT_EQ(data.wires[0].DeviceNoF, "CB1");
    EXPECT_EQ(data.wires[0].CrimpF, "");  // a column the line does not reach stays empty
}

TEST(ReadCastingData, ColourSubsets) {
    CastingData data;
    std::string text = Set("\"M\"\t\"D\"\t\"P\"\t\"U\"\t\"C\"\t\"IV\"\t\"1.25\"\t\"-\"");
    for (const char* special : {"TW1", "TW2", "SH3"}) {
        text +=
            std::string("\"1\"\t\"W\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"") +
            special + "\"\t\"白\"\t\"100\"\n";
    }
    ASSERT_TRUE(ParseCastingText(text, data).ok);
    ASSERT_EQ(data.sets.size(), 3u);
    EXPECT_EQ(data.sets[0].WireCount, 0);  // the parent counts none of its coloured wires
    EXPECT_EQ(data.sets[1].ColorLabel, "(TW)");
    EXPECT_EQ(data.sets[1].WireCount, 2);
    EXPECT_EQ(data.sets[1].SpecialFlg, 0);
    EXPECT_EQ(data.sets[2].ColorLabel, "(SH)");
    EXPECT_EQ(data.sets[2].SpecialFlg, 1);
    EXPECT_EQ(data.wires.size(), 6u);

    // Only the subset is listed; the parent's grid still lists the coloured wires.
    DataSetRows rows = BuildDataSetGrid(data, 0);
    ASSERT_EQ(rows.grid.rows.size(), 1u);
    EXPECT_EQ(rows.grid.rows[0][8], "(TW)");
    TextGrid parent = BuildWireGrid(data, 0, "-");
    EXPECT_EQ(parent.rows.size(), 3u);
    TextGrid twisted = BuildWireGrid(data, 1, "(TW)");
    ASSERT_EQ(twisted.header.size(), 8u);
    EXPECT_EQ(twisted.rows[1][7], "TW2");
}

TEST(ReadCastingData, FailuresKeepWhatWasRead) {
    struct Case {
        const char* name;
        std::string text;
        int line;
        std::size_t wires;
    };
    const Case cases[] = {
        {"wire line longer than its header",
         Set("\"M\"\t\"D\"\t\"P\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\t\"黒\"") +
             "\"1\"\t\"W\"\t\"CB1\"\n\"2\"\t\"W\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t\"\"\t"
             "\"\"\t\"\"\t\"\"\t\"1\"\t\"x\"\n",
         5, 1},
        {"wire cell without delimiters",
         Set("\"M\"\t\"D\"\t\"P\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\t\"黒\"") + "\"1\"\tW\t\"x\"\n", 4,
         0},
        {"set cell without delimiters",
         std::string(kSetHeader) + "\"M\"\tD\t\"P\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\n", 2, 0},
    };
    for (const Case& c : cases) {
        CastingData data;
        CastingReadResult result = ParseCastingText(c.text, data);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.line, c.line) << c.name;
        EXPECT_EQ(data.wires.size(), c.wires) << c.name;
    }
}

TEST(ReadCastingData, OddBytesNeverCrashTheReader) {
    TempHome home;
    RecordingMessenger messenger;
    CastingData data;
    const std::string cases[] = {
        std::string("\0\0\t\0\t\0\r\n", 8),
        std::string(3 << 20, 'x'),
        "\x81\t\x82\t\xff\xfe\r\n\"製造番号\"",
        Sjis(std::string(kSetHeader) +
             "\"M\"\t\"D\"\t\"P\"\t\"U\"\t\"C\"\t\"IV\"\t\"2\"\t\"黒\"\n") +
            "No\t\x81\x40\x81\n\"1\"\t\"\x82\"\n",
    };
    for (const std::string& bytes : cases) {
        WriteBytes(home.root() / "odd.txt", bytes);
        ReadCastingData(home.root() / "odd.txt", data, messenger);
    }
    std::string why;
    EXPECT_FALSE(ReadCastingData(home.root() / "missing.txt", data, messenger, &why));
    EXPECT_EQ(messenger.shown.back().text, "キャスティングデータがの読み込みに失敗しました。(" +
                                               (home.root() / "missing.txt").string() + ")");
    EXPECT_NE(why.find("No such file"), std::string::npos);
}

TEST(WireLists, DataSetGridFollowsTheEnvironmentFlag) {
    CastingData data = Sample();
    DataSetRows normal = BuildDataSetGrid(data, 0);
    ASSERT_EQ(normal.grid.rows.size(), 3u);
    EXPECT_EQ(normal.grid.rows[0], (std::vector<std::string>{"1", "M2301", "D-100", "P1", "U1",
                                                             "主回路", "IV", "1.25", "黄", "4"}));
    EXPECT_EQ(normal.grid.header[6], "電線種別");

    DataSetRows all = BuildDataSetGrid(data, 1);
    ASSERT_EQ(all.grid.rows.size(), 6u);
    EXPECT_EQ(all.grid.rows[4][0], "5*");
    EXPECT_EQ(FindSet(data, all.grid.rows[4]), 4);
    EXPECT_EQ(FindSet(data, all.grid.rows[3]), 3);
    std::vector<std::string> changed = all.grid.rows[4];
    changed[0] = "5";  // the same cells outside the special sections: no such set
    EXPECT_FALSE(FindSet(data, changed));
    EXPECT_EQ(PanelList(data), (std::vector<std::string>{"P1", "P2"}));
}

TEST(WireLists, WireGridRowsAndDoneMarks) {
    CastingData data = Sample();
    data.wires[0].DoneFlg = 1;
    TextGrid grid = BuildWireGrid(data, 0, "黄");
    ASSERT_EQ(grid.header.size(), 7u);
    ASSERT_EQ(grid.rows.size(), 4u);
    EXPECT_EQ(grid.rows[0],
              (std::vector<std::string>{"1", "350", "101", "A01-1", "B02-2", "R", "R"}));
    EXPECT_EQ(grid.rows[3][3], "");  // no address and no device
    EXPECT_EQ(grid.rows[3][5], "NULL");
    EXPECT_EQ(grid.green, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(FirstNotDone(grid.green), 1);
    EXPECT_FALSE(FirstNotDone({true, true}));
}

TEST(WireLists, CaptionsNameTheOpenSet) {
    CastingData data = Sample();
    EXPECT_EQ(SetCaption(data.sets[0], {0, false}),
              "NIVORA電線加工プログラム(M2301 D-100 P1 U1 主回路 IV 1.25 黄)");
    EXPECT_EQ(SetCaption(data.sets[0], {1, false}),
              "NIVORA電線加工プログラムデバッグモード(M2301 D-100 P1 U1 主回路 IV 1.25 黄)");
    EXPECT_EQ(SetCaption(data.sets[0], {0, true}), "NIVORA電線加工プログラムログモード");
    CastingSet leadingEmpty = data.sets[0];
    leadingEmpty.MfgNo.clear();
    leadingEmpty.DrawingNo.clear();
    EXPECT_EQ(SetCaption(leadingEmpty, {2, false}),
              "NIVORA電線加工プログラム(P1 U1 主回路 IV 1.25 黄)");
}

}  // namespace
}  // namespace kablos
