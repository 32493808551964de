#include "RunMode.h"

#include <gtest/gtest.h>

namespace kablos {
namespace {

TEST(ScanCommandLine, FindsTheDebugAndLogOptions) {
    struct Case {
        const char* line;
        int debug;
        bool log;
    };
    const Case cases[] = {
        {"", 0, false},      {"-D", 1, false},   {"-d1", 1, false},  {"/B -d2", 2, false},
        {"/B-d2", 2, false}, {"-d3", 0, true},   {"- D", 0, false},  {"-\tD", 0, false},
        {"-x", 0, false},    {"-d9", 1, false},  {"-d 2", 1, false}, {"-d3 -d1", 1, true},
        {"--d2", 2, false},  {"-xd2", 0, false}, {"D2", 0, false},   {"/b -d2", 2, false},
        {"x-D", 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScanCommandLine(c.line), (RunMode{c.debug, c.log})) << '"' << c.line << '"';
    }
}

TEST(ChooseProtocol, MTypeFirstThenTheCommandLine) {
    struct Case {
        const char* mtype;
        const char* line;
        ProtocolKind kind;
    };
    const Case cases[] = {
        {"", "", ProtocolKind::Ascii},        {"", "/B", ProtocolKind::Binary},
        {"", "/B -d2", ProtocolKind::Binary}, {"", "/b", ProtocolKind::Ascii},
        {"", " /B", ProtocolKind::Ascii},     {"B", "", ProtocolKind::Binary},
        {" b ", "", ProtocolKind::Binary},    {"A", "/B", ProtocolKind::Ascii},
        {"x", "/B", ProtocolKind::Ascii},     {"  ", "/B", ProtocolKind::Binary},
        {"ｂ", "", ProtocolKind::Ascii},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseProtocol(c.mtype, c.line), c.kind)
            << '"' << c.mtype << "\" \"" << c.line << '"';
    }
}

TEST(WindowCaption, NamesDebugAndLogMode) {
    EXPECT_EQ(WindowCaption({0, false}), "NIVORA電線加工プログラム");
    EXPECT_EQ(WindowCaption({1, false}), "NIVORA電線加工プログラムデバッグモード");
    EXPECT_EQ(WindowCaption({2, false}), "NIVORA電線加工プログラム");
    EXPECT_EQ(WindowCaption({0, true}), "NIVORA電線加工プログラムログモード");
}

TEST(ParseProgramOptions, TakesOutOwnOptionsBeforeTheScan) {
    ProgramOptions options = ParseProgramOptions({"/B", "--check", "-d2"});
    EXPECT_TRUE(options.check);
    EXPECT_EQ(options.commandLine, "/B -d2");
    EXPECT_TRUE(options.error.empty());

    EXPECT_TRUE(ParseProgramOptions({"--help"}).help);
    EXPECT_TRUE(ParseProgramOptions({"--version"}).version);
    EXPECT_EQ(ParseProgramOptions({"--d2"}).commandLine, "--d2");
    EXPECT_EQ(ParseProgramOptions({"--bogus"}).error, "unknown option --bogus");
}

}  // namespace
}  // namespace kablos
