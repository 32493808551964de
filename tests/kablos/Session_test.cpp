#include "Session.h"

#include <gtest/gtest.h>

#include "Texts.h"
#include "UserDataPath.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

// A serial port whose output drains after a given number of waits (never, when negative).
class FakePort : public PortControl {
public:
    explicit FakePort(int drainsAfter) : m_drainsAfter(drainsAfter) {}
    bool IsOpen() const override { return m_open; }
    bool WaitOutputDrained(std::chrono::milliseconds limit) override {
        EXPECT_EQ(limit, kDrainLimit);
        ++waits;
        return m_drainsAfter >= 0 && waits > m_drainsAfter;
    }
    void HangUp() override { m_open = false; }
    int waits = 0;

private:
    int m_drainsAfter;
    bool m_open = true;
};

class SessionTest : public ::testing::Test {
protected:
    Session makeSession() {
        return Session(messenger, UserDataPath, home.programFolder(), [] { return FixedTime(); });
    }
    std::filesystem::path userFile() const { return home.userFolder() / "KABLOS.ini"; }
    void installProgramCopy() {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
    }

    TempHome home;
    RecordingMessenger messenger;
};

TEST_F(SessionTest, FirstStartTakesOverTheProgramCopyAtOnce) {
    installProgramCopy();
    Session first = makeSession();
    ASSERT_TRUE(first.Start("", {}));
    EXPECT_TRUE(first.startedFromProgramCopy());
    EXPECT_TRUE(messenger.shown.empty());
    const std::string written = ReadBytes(userFile());
    EXPECT_NE(written.find(Sjis("UpDate\t2023/09/13 08:09:15\n")), std::string::npos);
    EXPECT_EQ(first.ini().StripEnv.size(), 2u);

    // The next start reads the user's copy, whatever the program folder holds.
    WriteBytes(home.programFolder() / "KABLOS.ini", Sjis("//StripEnv\tOther\n//end\n"));
    WriteBytes(userFile(), written + Sjis("//StripEnv\t追加\t1\t0\n//end\n"));
    Session second = makeSession();
    ASSERT_TRUE(second.Start("", {}));
    EXPECT_FALSE(second.startedFromProgramCopy());
    ASSERT_EQ(second.ini().StripEnv.size(), 3u);
    EXPECT_EQ(second.ini().StripEnv[2].EnvName, "追加");
}

TEST_F(SessionTest, NoSettingsFileAnywhereEndsTheProgram) {
    Session session = makeSession();
    EXPECT_FALSE(session.Start("", {}));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "INIファイルが存在しません(" + userFile().string() + ")");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(std::filesystem::exists(userFile()));
}

TEST_F(SessionTest, AnUnreadableUserFileIsKeptBeforeTheProgramCopyReplacesIt) {
    installProgramCopy();
    const std::string broken = Sjis("//StripEnv\t私の環境\t1\t0\nR\t1\t2\n//end\n");
    WriteBytes(userFile(), broken);
    Session session = makeSession();
    ASSERT_TRUE(session.Start("", {}));
    EXPECT_TRUE(session.startedFromProgramCopy());
    EXPECT_EQ(session.keptUnreadableFile().filename(), "KABLOS.ini.20230913-080915.unreadable");
    EXPECT_EQ(ReadBytes(session.keptUnreadableFile()), broken);
    EXPECT_EQ(session.ini().StripEnv.at(0).EnvName, "標準");
}

TEST_F(SessionTest, AUserFolderThatCannotBeWrittenEndsTheProgram) {
    installProgramCopy();
    // The data home is a file, so no folder can be made below it.
    std::filesystem::remove_all(home.dataHome());
    WriteBytes(home.dataHome(), "not a folder");
    Session session = makeSession();
    EXPECT_FALSE(session.Start("", {}));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, texts::IniWriteError(home.userFolder()));
}

TEST_F(SessionTest, RunModeProtocolAndPortValuesComeFromTheStart) {
    installProgramCopy();
    Session session = makeSession();
    UserProperties properties;
    properties.Settings = "4800,n,8,1";
    properties.CommPort = 3;
    properties.Echo = true;
    WriteBytes(home.userFolder() / "LogDebug.txt", "old run\r\n");
    ASSERT_TRUE(session.Start("/B -d2", properties));
    EXPECT_EQ(session.protocol(), ProtocolKind::Binary);
    EXPECT_EQ(session.runMode(), (RunMode{2, false}));
    EXPECT_EQ(session.port().Settings, "4800,n,8,1");
    EXPECT_EQ(session.port().CommPort, 3);
    EXPECT_EQ(session.port().Handshaking, 0);  // not in the store: the default
    EXPECT_TRUE(session.echo());
    EXPECT_FALSE(std::filesystem::exists(home.userFolder() / "LogDebug.txt"));  // a fresh log

    properties.MType = "A";
    Session ascii = makeSession();
    ASSERT_TRUE(ascii.Start("/B", properties));
    EXPECT_EQ(ascii.protocol(), ProtocolKind::Ascii);
}

TEST_F(SessionTest, StartClearsTheWireCountersBeforeLoading) {
    WriteBytes(userFile(), Sjis("//ProgramEnv\nZanWLenFlg\t1\n//end\n"));
    Session session = makeSession();
    session.ini().ZanWLen = 5;
    session.ini().CutWLen = 6;
    ASSERT_TRUE(session.Start("", {}));
    EXPECT_EQ(session.ini().ZanWLen, 0);
    EXPECT_EQ(session.ini().CutWLen, 0);
}

TEST_F(SessionTest, ShutdownDrainsHangsUpAndSaves) {
    installProgramCopy();
    Session session = makeSession();
    ASSERT_TRUE(session.Start("", {}));
    session.ini().CutWLen = 1234;

    FakePort drained(0);
    EXPECT_EQ(session.Shutdown(&drained), ShutdownOutcome::Done);
    EXPECT_FALSE(drained.IsOpen());
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_NE(ReadBytes(userFile()).find("CutWLen\t1234\r\n"), std::string::npos);
}

TEST_F(SessionTest, ShutdownAsksWhenTheOutputDoesNotDrain) {
    installProgramCopy();
    Session session = makeSession();
    ASSERT_TRUE(session.Start("", {}));
    const std::string saved = ReadBytes(userFile());
    session.ini().CutWLen = 99;

    FakePort stuck(-1);
    messenger.queue(MsgAnswer::Abort);
    EXPECT_EQ(session.Shutdown(&stuck), ShutdownOutcome::Aborted);
    EXPECT_TRUE(stuck.IsOpen());
    EXPECT_EQ(ReadBytes(userFile()), saved);  // nothing saved
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "データが送信できません。");
    EXPECT_EQ(messenger.shown[0].buttons, MsgButtons::AbortRetryIgnore);
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Question);

    // Retry waits another round; Ignore goes on, hangs up and saves.
    FakePort stillStuck(-1);
    messenger.queue(MsgAnswer::Retry);
    messenger.queue(MsgAnswer::Ignore);
    EXPECT_EQ(session.Shutdown(&stillStuck), ShutdownOutcome::Done);
    EXPECT_EQ(stillStuck.waits, 2);
    EXPECT_FALSE(stillStuck.IsOpen());
    EXPECT_NE(ReadBytes(userFile()).find("CutWLen\t99\r\n"), std::string::npos);

    // Drains on the second wait: one question, then saved.
    FakePort slow(1);
    messenger.shown.clear();
    messenger.queue(MsgAnswer::Retry);
    EXPECT_EQ(session.Shutdown(&slow), ShutdownOutcome::Done);
    EXPECT_EQ(messenger.shown.size(), 1u);
}

TEST_F(SessionTest, ShutdownReportsAFailedSave) {
    installProgramCopy();
    Session session = makeSession();
    ASSERT_TRUE(session.Start("", {}));
    std::filesystem::remove_all(home.dataHome());
    WriteBytes(home.dataHome(), "not a folder");
    EXPECT_EQ(session.Shutdown(nullptr), ShutdownOutcome::WriteFailed);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, texts::IniWriteError(home.userFolder()));
}

TEST(StatusTexts, PanelsShowMetresAndTime) {
    EXPECT_EQ(ZanWLenPanelText(500), "電線残: 0.5m");
    EXPECT_EQ(ZanWLenPanelText(500000), "電線残: 500m");
    EXPECT_EQ(CutWLenPanelText(0), "加工長: 0m");
    EXPECT_EQ(CutWLenPanelText(1234567), "加工長: 1234.567m");
    EXPECT_EQ(StatusPanelText("W1002"), "データ: W1002");
    EXPECT_EQ(ConnectTimeText(std::chrono::seconds(3725)), "01:02:05 ");
    EXPECT_EQ(ConnectTimeText(std::chrono::hours(25)), "01:00:00 ");
}

TEST(Countdown, TimerTicksStopAtZero) {
    RecordingMessenger messenger;
    Session session(messenger, UserDataPath, ".");
    session.setCountdown(2);
    session.TickCountdown();
    session.TickCountdown();
    session.TickCountdown();
    EXPECT_EQ(session.countdown(), 0);
}

}  // namespace
}  // namespace kablos
