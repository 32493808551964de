#include "Registers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

namespace kablos {
namespace {

std::string Hex(const Frame& frame) {
    std::string text;
    char buffer[4];
    for (std::uint8_t byte : frame) {
        std::snprintf(buffer, sizeof buffer, "%02X ", byte);
        text += buffer;
    }
    text.pop_back();
    return text;
}

TEST(Registers, ValueTextsOfTheWrites) {
    struct Case {
        Reg reg;
        const char* value;
        const char* sent;
    };
    const Case cases[] = {
        {Reg::R1002, "6.0", "3C"},
        {Reg::R1002, "", "0"},
        {Reg::R1002, "12.25", "7A"},
        {Reg::R1002, "12.5", "7D"},
        {Reg::R1043, "1234.5", "3039"},
        {Reg::R1022, "0.05", "0"},
        {Reg::R0BE2, "0.5", "0"},
        {Reg::R0BE2, "1.5", "2"},
        {Reg::R0ED2, "2.8", "3"},
        {Reg::R0F63, "2", "2"},
        {Reg::R0F11, "15", "15"},
        {Reg::R0F93, "7", "0"},
        {Reg::R1092, "-1", "FFFFFFF6"},
        // Values no register can take are refused, not sent.
        {Reg::R1043, "1e400", nullptr},
        {Reg::R1043, "-1e400", nullptr},
        {Reg::R1043, "429496729.6", nullptr},
        {Reg::R0ED2, "4294967296", nullptr},
        {Reg::R0ED2, "4294967295", "FFFFFFFF"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> sent = RegisterValueText(c.reg, c.value);
        if (c.sent == nullptr) {
            EXPECT_FALSE(sent) << Info(c.reg).name << " " << c.value << ": " << *sent;
        } else {
            EXPECT_EQ(sent, std::optional<std::string>(c.sent))
                << Info(c.reg).name << " " << c.value;
        }
    }
    EXPECT_EQ(ValueOutOfRangeText(Reg::R1043, " 1e400"), "送信できない値です: 長さ(1e400)");
}

TEST(Registers, HexToDecWalksTheDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"7D", "125"},   {" 3C ", "60"},
        {"0064", "100"}, {"", "0"},
        {"7d", "112"},  // a lower-case digit adds nothing
        {"1G2", "258"},  {"FFFFFFFF", "4294967295"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(HexToDec(in), out) << in;
}

TEST(Registers, SameValueComparesTheValues) {
    EXPECT_TRUE(SameValue(0, "W100264", "R10020064"));  // leading zeros do not matter
    EXPECT_FALSE(SameValue(0, "W100264", "R10020065"));
    EXPECT_FALSE(SameValue(0, "", ""));
    EXPECT_TRUE(SameValue(1, "", ""));
    EXPECT_TRUE(SameValue(0, "W10020", ""));  // an empty value counts as 0
    EXPECT_TRUE(SameValue(0, "W10023C", "W10023C"));
    EXPECT_TRUE(SameValueDec(0, "W0F6310", "R0F63000A"));
    EXPECT_FALSE(SameValueDec(0, "W0F6310", "R0F630010"));
    // Cutter and roller speeds are written decimal but checked as hexadecimal on both sides.
    EXPECT_TRUE(SameRegisterValue(Reg::R0F11, 0, "W0F1115", "R0F11000F"));
    EXPECT_FALSE(SameValue(1, "W0F1115", "R0F11000F"));
    EXPECT_TRUE(SameValue(1, "W0F115", "R0F110005"));
    EXPECT_FALSE(SameValue(0, "W1002", "R1002FFFFFFFFFFFF"));  // beyond 32 bits: never equal
}

TEST(Registers, CacheClearsItsGroups) {
    RegisterCache cache;
    for (std::size_t i = 0; i < kRegisterCount; ++i)
        cache[static_cast<Reg>(i)] = {"W", "R"};
    cache.ClearCutter();
    EXPECT_TRUE(cache[Reg::R0F11].requested.empty());
    EXPECT_TRUE(cache[Reg::R0ED2].confirmed.empty());
    EXPECT_EQ(cache[Reg::R1002].requested, "W");
    cache.ClearWire();
    EXPECT_TRUE(cache[Reg::R1002].requested.empty());
    EXPECT_TRUE(cache[Reg::R0F93].requested.empty());
    cache[Reg::R0BE2] = {"W", "R"};
    cache.ClearAll();
    EXPECT_TRUE(cache[Reg::R0BE2].requested.empty());
}

TEST(Registers, DebugForms) {
    EXPECT_EQ(DebugForm("W107250"), "後端セミ(80)");
    EXPECT_EQ(DebugForm("R1072003C"), "#後端セミ(60)");
    EXPECT_EQ(DebugForm("W0F632"), "本数(2)");
    EXPECT_EQ(DebugForm("R1022"), "#先端セミ()");
    EXPECT_EQ(DebugForm("G0001"), "スタート");
    EXPECT_EQ(DebugForm("\x18"), "CAN");
    EXPECT_EQ(DebugForm("ATH"), "ATH");
}

TEST(Registers, ReadBacksAreFoundOncePerRegisterInScanOrder) {
    std::vector<std::string> found;
    ScanReadBacks("xxR0F630002\r\nR1002003C\r\nR1002FFFF R10",
                  [&](const ReadBack& r) { found.push_back(r.command); });
    EXPECT_EQ(found, (std::vector<std::string>{"R1002003C", "R0F630002"}));
}

TEST(Frames, LengthsGoOutInTenthsOfAMillimetre) {
    struct Case {
        FrameReg reg;
        double value;  // in the register's unit: millimetres for the lengths
        const char* frame;
    };
    const Case cases[] = {
        // A wire of 1234.5 mm: ten times the length is 3039 hexadecimal, byte 2 stays 0, and the
        // sum 57 + 03 + 30 + 39 = C3 already has bit 7 set.
        {FrameReg::WireLength, 1234.5, "57 03 00 00 30 39 C3 0D"},
        {FrameReg::WireLength, 640, "57 03 00 00 19 00 F3 0D"},
        {FrameReg::WireLength, 350.5, "57 03 00 00 0D B1 98 0D"},  // the half is kept
        {FrameReg::FrontStrip, 8.5, "57 01 00 00 00 55 AD 0D"},
        {FrameReg::FrontStrip, 6.0, "57 01 00 00 00 3C 94 0D"},
        {FrameReg::RearStrip, 7.5, "57 05 00 00 00 4B A7 0D"},
        {FrameReg::FrontSemi, 0, "57 02 00 00 00 00 D9 0D"},
        // The cutter values and counts go out as they are.
        {FrameReg::WireDia, 2.8, "57 06 00 00 00 03 E0 0D"},
        {FrameReg::CutterSpeed, 15, "57 10 00 00 00 0F F6 0D"},
        {FrameReg::PieceCount, 3, "57 08 00 00 00 03 E2 0D"},
    };
    for (const Case& c : cases) {
        std::optional<Frame> frame = RegisterFrame(c.reg, c.value);
        ASSERT_TRUE(frame) << c.frame;
        EXPECT_EQ(Hex(*frame), c.frame);
    }
    // What the register's bytes cannot hold is refused: 1677721.6 mm is 2^24 tenths.
    for (double refused : {1677721.6, -1.0, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(RegisterFrame(FrameReg::WireLength, refused)) << refused;
    }
    EXPECT_TRUE(RegisterFrame(FrameReg::WireLength, 1677721.5));
    EXPECT_FALSE(RegisterFrame(FrameReg::RollerSpeed, 256));
}

TEST(Frames, BuildFrameFillsTheLowBytes) {
    EXPECT_EQ(Hex(BuildFrame(3, 12345, 3)), "57 03 00 00 30 39 C3 0D");  // 1234.5 mm in tenths
    EXPECT_EQ(Hex(BuildFrame(1, 60, 2)), "57 01 00 00 00 3C 94 0D");
    EXPECT_EQ(Hex(BuildFrame(14, 0x1FF, 1)), "57 0E 00 00 00 FF E4 0D");  // beyond one byte
    EXPECT_EQ(Hex(BuildFrame(8, 2.5, 3)), "57 08 00 00 00 02 E1 0D");     // half to even
    EXPECT_EQ(Hex(BuildFrame(3, 0x12345678, 4)), "57 03 12 34 56 78 EE 0D");
}

TEST(Frames, FixedFrames) {
    EXPECT_EQ(Hex(FixedFrame('V')), "56 00 00 00 00 00 D6 0D");
    EXPECT_EQ(Hex(FixedFrame('P')), "50 00 00 00 00 00 D0 0D");
    EXPECT_EQ(Hex(FixedFrame('S')), "53 00 00 00 00 00 D3 0D");
    EXPECT_EQ(FrameAsDecimals(FixedFrame('S')), "[83][0][0][0][0][0][211][13]");
    EXPECT_EQ(FrameBytes(FrameReg::WireLength), 3);
    EXPECT_EQ(FrameBytes(FrameReg::CutterSpeed), 1);
    EXPECT_EQ(FrameBytes(FrameReg::YBack), 2);
}

}  // namespace
}  // namespace kablos
