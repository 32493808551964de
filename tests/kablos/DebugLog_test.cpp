#include "DebugLog.h"

#include <gtest/gtest.h>

#include "UserDataPath.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

TEST(DebugLog, WritesOnlyInDebugOrLogMode) {
    TempHome home;
    DebugLog log(UserDataPath, [] { return FixedTime(); });
    log.Write("quiet");
    EXPECT_FALSE(std::filesystem::exists(log.path()));

    for (RunMode mode : {RunMode{1, false}, RunMode{2, false}, RunMode{0, true}}) {
        log.Reset();
        log.setRunMode(mode);
        log.Write("W1002 6.0");
        EXPECT_EQ(ReadBytes(log.path()), "W1002 6.0,08:09:15\r\n");
    }
}

TEST(DebugLog, StartAndEndLines) {
    TempHome home;
    DebugLog log(UserDataPath, [] { return FixedTime(std::chrono::hours(1)); });
    EXPECT_EQ(log.Line("Start", FixedTime()), "Start,08:09:15");
    EXPECT_EQ(log.Line("End", FixedTime()), "End,08:09:15,0");  // no job start yet
    log.setJobStart(FixedTime());
    // One hour is 1/24 day: 41666.67 rounds to 41667, divided by 10.
    EXPECT_EQ(log.Line("End", FixedTime(std::chrono::hours(1))), "End,09:09:15,4166.7");
    EXPECT_EQ(log.Line("End", FixedTime(std::chrono::seconds(1))), "End,08:09:16,1.2");

    log.setRunMode({0, true});
    log.Write("End");
    log.Write("受信");
    EXPECT_EQ(ReadBytes(log.path()), "End,09:09:15,4166.7\r\n" + Sjis("受信,09:09:15\n"));
}

}  // namespace
}  // namespace kablos
