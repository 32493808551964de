// The processing job: whole wires through the machine simulator (or a machine the test plays) on a
// pseudo-terminal, in both protocols, compared byte for byte with what the machine must receive.

#include "ProcessingJob.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "UserDataPath.h"
#include "WireSheet.h"
#include "kablos/support/LinkSupport.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

// Rules without a port.

TEST(JobRules, TheFirstStepLooksUpALeadingDigitAsM) {
    EXPECT_EQ(FirstStepType("1.25-4"), "M");
    EXPECT_EQ(FirstStepType("2-4"), "M");
    EXPECT_EQ(FirstStepType("R2-4"), "R2-4");
    EXPECT_EQ(FirstStepType(""), "");
    // "M" itself is looked up, not "M" and the rest: a row for "M-" does not match 2-4 there.
    const std::vector<StripRow> rows = {{"M-", "0", "10", "5", "1"}, {"M", "0", "10", "7", "2"}};
    EXPECT_EQ(FindStripRow(rows, FirstStepType("2-4"), 1.25), &rows[1]);
}

TEST(JobRules, DefaultStripLengthsBySize) {
    const struct {
        double size;
        std::optional<std::string> length;
    } cases[] = {{0.05, std::nullopt}, {0.1, "6.0"},        {1.25, "6.0"}, {2, "6.0"},
                 {2.5, std::nullopt},  {3.4, std::nullopt}, {3.5, "8.5"},  {22, "8.5"}};
    for (const auto& c : cases)
        EXPECT_EQ(DefaultStripLength(c.size), c.length) << c.size;
}

TEST(JobRules, StripRowsMatchByPrefixAndSizeRange) {
    const std::vector<StripRow> rows = {
        {"R", "0.5", "1.25", "5", "1"}, {"R2", "0.5", "2", "6", "2"}, {"", "0", "100", "9", "3"}};
    EXPECT_EQ(FindStripRow(rows, "R2-4", 1.25), &rows[0]);  // first match in table order
    EXPECT_EQ(FindStripRow(rows, "R2-4", 2), &rows[1]);     // both ends inclusive
    EXPECT_EQ(FindStripRow(rows, "M-4", 2), &rows[2]);      // an empty type matches all
    EXPECT_EQ(FindStripRow(rows, "M-4", 200), nullptr);
    const StripRows both = FindStripRows(rows, "R1", "Y", 1);
    EXPECT_EQ(both.from, &rows[0]);
    EXPECT_EQ(both.to, &rows[2]);
}

TEST(JobRules, TheShortageRuleDiffersBetweenTheProtocols) {
    IniData ini;
    ini.ZanWLenFlg = 1;
    ini.ZanWLen = 1000;
    EXPECT_TRUE(WireShortage(ini, ProtocolKind::Ascii, 1000.4));
    EXPECT_FALSE(WireShortage(ini, ProtocolKind::Binary, 1000.4));
    EXPECT_TRUE(WireShortage(ini, ProtocolKind::Binary, 1000.6));
    EXPECT_FALSE(WireShortage(ini, ProtocolKind::Ascii, 1000));
    EXPECT_FALSE(WireShortage(ini, ProtocolKind::Binary, 1000));
    ini.ZanWLenFlg = 0;
    EXPECT_FALSE(WireShortage(ini, ProtocolKind::Ascii, 5000));
}

TEST(JobRules, PieceCountsAndBooking) {
    EXPECT_EQ(PieceCount("3"), 3);
    EXPECT_EQ(PieceCount("1"), 1);
    EXPECT_EQ(PieceCount("0"), 1);
    EXPECT_EQ(PieceCount("2.5"), 2);  // halves to even
    EXPECT_EQ(PieceCount(""), 1);

    // The length is subtracted and added as it is; each result is rounded, halves to even.
    IniData ini;
    ini.ZanWLenFlg = 1;
    ini.ZanWLen = 1001;
    ini.CutWLen = 1;
    BookWire(ini, 350.5);  // 650.5 and 351.5
    EXPECT_EQ(ini.ZanWLen, 650);
    EXPECT_EQ(ini.CutWLen, 352);
    BookWire(ini, 0.4);  // 649.6 and 352.4
    EXPECT_EQ(ini.ZanWLen, 650);
    EXPECT_EQ(ini.CutWLen, 352);
    ini.ZanWLenFlg = 0;
    BookWire(ini, 100);
    EXPECT_EQ(ini.ZanWLen, 650);
}

TEST(JobRules, CompletionAnswers) {
    EXPECT_TRUE(IsCompletionAnswer(QByteArray("\x52\x09\x01\x00\x0D", 5)));
    EXPECT_TRUE(IsCompletionAnswer(QByteArray("\x52\x09\x01\x82\x0D", 5)));
    EXPECT_FALSE(IsCompletionAnswer(QByteArray("\x52\x09\x02\x00\x0D", 5)));
    EXPECT_FALSE(IsCompletionAnswer(QByteArray("\x52\x09\x01\x00", 4)));
    EXPECT_FALSE(IsCompletionAnswer(QByteArray("#\x52\x09\x01\x00\x0D", 6)));
}

TEST(JobRules, NextRowScrollsTheCompletedRowFourBelowTheTop) {
    // row, last, top, last visible -> rows to scroll
    EXPECT_EQ(NextRowScroll(10, 100, 1, 20), 5);   // row 10 to four below the top
    EXPECT_EQ(NextRowScroll(10, 22, 1, 20), 2);    // no further than the last row
    EXPECT_EQ(NextRowScroll(3, 100, 1, 20), 0);    // never up
    EXPECT_EQ(NextRowScroll(10, 10, 1, 10), 0);    // every row visible
    EXPECT_EQ(NextRowScroll(30, 100, 40, 59), 0);  // a grid scrolled past never scrolls back
}

// Whole wires.

constexpr std::chrono::milliseconds kPass = ProcessingJob::kWaitPass;

// The event pump of the job tests: Qt's loop, with Timer1's countdown ticking after every
// `passesPerSecond` passes of the ASCII wait loop, and a hook after every round and pass.
class JobPump : public EventPump {
public:
    void ProcessEvents() override {
        ++m_depth;
        m_qt.ProcessEvents();
        Hook();
    }
    void Wait(std::chrono::milliseconds duration) override {
        if (duration == kPass && onPass)
            onPass();
        if (duration == kPass && session != nullptr && ++passes % passesPerSecond == 0)
            session->TickCountdown();
        ++m_depth;
        if (fastWaits) {
            m_qt.ProcessEvents();
        } else {
            m_qt.Wait(duration);
        }
        Hook();
    }

    Session* session = nullptr;
    int passes = 0;
    int passesPerSecond = 40;
    bool fastWaits = false;
    /// Runs after every round that is not inside another (a receive handler's wait).
    std::function<void()> afterRound;
    /// Runs as each pass of the ASCII wait loop begins.
    std::function<void()> onPass;

private:
    void Hook() {
        if (m_depth == 1 && afterRound)
            afterRound();
        --m_depth;
    }

    QtEventPump m_qt;
    int m_depth = 0;
};

// A wire grid row: length, From type, To type.
struct WireRow {
    std::string length, from, to;
};

class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
        Begin("");
    }

    // Starts the session with `commandLine` and a test environment: one "M" row for sizes 0.5
    // to 2 with strip 7.5 and half-strip 3, piece count 3, 500 m of wire tracked.
    void Begin(const std::string& commandLine) {
        ASSERT_TRUE(session.Start(commandLine, {}));
        IniData& ini = session.ini();
        ini.COMNo = "1";
        ini.StripEnv = {{"test", "3", 0, {{"M", "0.5", "2", "7.5", "3"}}}};
        ini.EnvNo = 0;
        ini.ZanWLenFlg = 1;
        ini.ZanWLen = 500000;
        ini.CutWLen = 0;
        pump.session = &session;
    }

    void Connect(const std::string& device, ProtocolKind protocol) {
        session.setProtocol(protocol);
        ASSERT_TRUE(UserStore::SetPortDevice(1, device));
        ASSERT_TRUE(port.setCommPort(1));
        job.reset();  // a job of an earlier link goes first
        link = std::make_unique<MachineLink>(session, port, pump, view);
        job = std::make_unique<ProcessingJob>(session, *link, pump, sheet);
        link->TogglePort();
        ASSERT_TRUE(port.isOpen()) << port.errorText();
        messenger.shown.clear();
    }

    void Load(const std::vector<WireRow>& wires, const std::string& size = "1.25") {
        OpenedSet set;
        set.grid.header = {"No", "長さ", "電線番号", "From", "To", "From端末種別", "To端末種別"};
        for (std::size_t i = 0; i < wires.size(); ++i) {
            set.grid.rows.push_back({std::to_string(i + 1), wires[i].length,
                                     "W" + std::to_string(i), "A-1", "B-2", wires[i].from,
                                     wires[i].to});
            set.grid.green.push_back(false);
            set.procEndFlg.push_back(0);
        }
        set.cursor = 0;
        set.wireSize = size;
        sheet.Load(set);
    }

    static std::string Frames(const std::vector<Frame>& frames) {
        std::string bytes;
        for (const Frame& frame : frames)
            bytes.append(reinterpret_cast<const char*>(frame.data()), frame.size());
        return bytes;
    }
    // A register frame of the machine value: tenths of a millimetre for the lengths.
    static Frame W(FrameReg reg, double machineValue) {
        return BuildFrame(static_cast<std::uint8_t>(reg), machineValue, FrameBytes(reg));
    }

    // A job that never returns fails the test instead of blocking the run.
    Deadline deadline{std::chrono::seconds(60),
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    TempHome home;
    RecordingMessenger messenger;
    Session session{messenger, UserDataPath, home.programFolder()};
    SerialPort port;
    JobPump pump;
    RecordingView view;
    WireSheet sheet{"KABLOS"};
    std::unique_ptr<MachineLink> link;
    std::unique_ptr<ProcessingJob> job;
};

TEST_F(JobTest, ABinaryWireByteForByte) {
    MachineSim machine({"--protocol", "binary"});
    Connect(machine.path(), ProtocolKind::Binary);
    Load({{"1234.5", "1.25-4", "2-4"}, {"800", "1.25-4", "R"}});

    job->Start();
    // The first step finds the "M" row for both ends (7.5); the strip set looks the types up as
    // they are, finds none and writes the default 6.0 for size 1.25, with half-strips 0.
    const std::string expected =
        Frames({FixedFrame('S'), W(FrameReg::FrontStrip, 75), W(FrameReg::RearStrip, 75),
                W(FrameReg::WireLength, 12345), W(FrameReg::PieceCount, 3), W(FrameReg::Counter, 0),
                W(FrameReg::FrontStrip, 60), W(FrameReg::FrontSemi, 0), W(FrameReg::RearStrip, 60),
                W(FrameReg::RearSemi, 0), FixedFrame('V'), FixedFrame('P')});
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
    EXPECT_EQ(machine.log(),
              (std::vector<std::string>{"S", "W 01 front strip 7.5 mm", "W 05 rear strip 7.5 mm",
                                        "W 03 wire length 1234.5 mm", "W 08 piece count 3",
                                        "W 09 counter 0", "W 01 front strip 6 mm",
                                        "W 02 front half-strip 0 mm", "W 05 rear strip 6 mm",
                                        "W 04 rear half-strip 0 mm", "V", "P start"}));
    EXPECT_TRUE(sheet.done(0));
    EXPECT_EQ(sheet.CurrentWireRow(), 1);
    ASSERT_TRUE(sheet.selection());
    EXPECT_EQ(sheet.selection()->row, 1);
    EXPECT_EQ(sheet.selection()->firstColumn, 1);
    EXPECT_EQ(sheet.selection()->lastColumn, 6);
    EXPECT_EQ(session.ini().ZanWLen, 500000 - 1234);  // 1234.5 books as 1234
    EXPECT_EQ(session.ini().CutWLen, 1234);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_FALSE(sheet.JobShown());

    // The same From type again: the first step remembers 7.5 and writes no front strip; the
    // To type "R" has no row, so only the strip set writes the rear end. The last row completes
    // without moving the cursor, and is booked.
    const std::size_t before = machine.received().size();
    job->Start();
    const std::string second = Frames(
        {FixedFrame('S'), W(FrameReg::WireLength, 8000), W(FrameReg::PieceCount, 3),
         W(FrameReg::Counter, 0), W(FrameReg::FrontStrip, 60), W(FrameReg::FrontSemi, 0),
         W(FrameReg::RearStrip, 60), W(FrameReg::RearSemi, 0), FixedFrame('V'), FixedFrame('P')});
    ASSERT_TRUE(machine.WaitReceived(before + second.size()));
    EXPECT_EQ(machine.received().substr(before), second);
    EXPECT_TRUE(sheet.done(1));
    EXPECT_EQ(sheet.CurrentWireRow(), 1);
    EXPECT_EQ(session.ini().ZanWLen, 500000 - 1234 - 800);
}

TEST_F(JobTest, AnAsciiWireByteForByte) {
    MachineSim machine;
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"1234.5", "1.25-4", "2-4"}, {"100", "M", "M"}}, "2.5");

    job->Start();
    // The machine confirms every write, so repeated values go out once and the start goes out in
    // the first second. Size 2.5 is outside the "M" row and has no default strip length: only
    // the half-strips 0 are written.
    const std::string expected = Wire("\x18") + Wire("W10433039") + Wire("W10220") +
                                 Wire("W10720") + Wire("W0F930") + Wire("W0F633") + Wire("G0001");
    ASSERT_TRUE(WaitUntil([&] { return sheet.done(0); })) << machine.received();
    ASSERT_TRUE(machine.WaitReceived(expected.size() + Wire("\x18").size())) << machine.received();
    EXPECT_EQ(machine.received(), expected + Wire("\x18"));  // the tail cancels
    EXPECT_EQ(sheet.CurrentWireRow(), 1);
    EXPECT_EQ(session.ini().ZanWLen, 500000 - 1234);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(JobTest, AnAsciiStartWaitsForTheReadBacksUntilTheCountdownEnds) {
    MachineSim machine({"--no-confirm"});
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"100", "M", "M"}});
    // Until Timer1's countdown reaches 0 the unconfirmed values hold the start back; then the
    // read-back requests go out and a start follows once the machine has confirmed.
    std::size_t beforeZero = 0;
    pump.afterRound = [&] {
        if (session.countdown() > 0)
            beforeZero = machine.received().size();
    };
    job->Start();
    const std::string received = machine.received();
    const std::string writes = Wire("\x18") + Wire("W10024B") + Wire("W10924B") + Wire("W10433E8") +
                               Wire("W10433E8") + Wire("W10024B") + Wire("W10221E") +
                               Wire("W10924B") + Wire("W10721E") + Wire("W10433E8");
    EXPECT_EQ(received.substr(0, beforeZero), writes);
    EXPECT_NE(received.find(Wire("R1002"), beforeZero), std::string::npos);
    EXPECT_EQ(session.countdown(), 0);
    // Whether a start went out depends on the retries left at countdown 0; the wire is done
    // exactly when it did.
    ASSERT_TRUE(WaitUntil([&] { return sheet.done(0); }, std::chrono::seconds(1)) ||
                received.find(Wire("G0001")) == std::string::npos);
    EXPECT_EQ(sheet.done(0), machine.received().find(Wire("G0001")) != std::string::npos);
}

TEST_F(JobTest, AnAsciiJobOnAClosedPortEndsAndSaysWhy) {
    // COMNo 0 is the setting of a PC without a machine: nothing is sent, and with the port
    // closed Timer1 never counts down.
    for (const char* comNo : {"0", "1"}) {
        SCOPED_TRACE(comNo);
        session.ini().COMNo = comNo;
        session.setProtocol(ProtocolKind::Ascii);
        link = std::make_unique<MachineLink>(session, port, pump, view);
        job = std::make_unique<ProcessingJob>(session, *link, pump, sheet);
        Load({{"100", "M", "M"}});
        pump.session = nullptr;  // no Timer1: the port is closed
        messenger.shown.clear();
        job->Start();
        EXPECT_FALSE(sheet.done(0));
        EXPECT_FALSE(sheet.JobShown());
        EXPECT_EQ(session.ini().ZanWLen, 500000);
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text, "ポートが開かれていません");
        job.reset();
    }
}

TEST_F(JobTest, ALengthNoRegisterCanTakeRefusesTheWire) {
    for (ProtocolKind protocol : {ProtocolKind::Ascii, ProtocolKind::Binary}) {
        const bool binary = protocol == ProtocolKind::Binary;
        SCOPED_TRACE(binary ? "binary" : "ascii");
        MachineSim machine({"--protocol", binary ? "binary" : "ascii"});
        Connect(machine.path(), protocol);
        // 1677721.6 mm is 2^24 tenths: beyond the binary wire length's three bytes.
        Load({{"1e400", "M", "M"}, {binary ? "1677721.6" : "429496729.6", "M", "M"}});
        for (int row = 0; row < 2; ++row) {
            messenger.shown.clear();
            sheet.SetCurrentWireRow(row);
            job->Start();
            ASSERT_EQ(messenger.shown.size(), 1u);
            EXPECT_EQ(messenger.shown[0].text,
                      "送信できない値です: 長さ(" + sheet.WireCell(row, 1) + ")");
            EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
        }
        const std::string cancel = binary ? Frames({FixedFrame('S')}) : Wire("\x18");
        ASSERT_TRUE(machine.WaitReceived(2 * cancel.size()));
        WaitUntil([] { return false; }, std::chrono::milliseconds(100));
        EXPECT_EQ(machine.received(), cancel + cancel);  // only the cancels of the starts
        EXPECT_EQ(session.ini().ZanWLen, 500000);
        link->HangUp();
    }
}

TEST_F(JobTest, CutterAndRollerSpeedsOfTenAndMoreConfirm) {
    // Written as the decimal texts "15" and "12", read back as 000F and 000C: the confirmation
    // check compares them as the writes do, so the start goes out in the first second.
    MachineSim machine;
    Connect(machine.path(), ProtocolKind::Ascii);
    session.ini().CutterEnv = {{"IV", "1.25", "12", "15", "2.8", "0.5"}};
    link->SendCutterValues("IV", "1.25");
    ASSERT_TRUE(WaitUntil([&] { return !link->registers()[Reg::R0F11].confirmed.empty(); }));
    Load({{"100", "M", "M"}});
    std::optional<int> countdownAtStart;
    pump.afterRound = [&] {
        if (link->job().startSent && !countdownAtStart)
            countdownAtStart = session.countdown();
    };
    job->Start();
    ASSERT_TRUE(WaitUntil([&] { return sheet.done(0); })) << machine.received();
    EXPECT_EQ(countdownAtStart, 5);
    EXPECT_EQ(link->registers()[Reg::R0F11].confirmed, "R0F11000F");
    EXPECT_EQ(link->registers()[Reg::R0F01].confirmed, "R0F01000C");
}

TEST_F(JobTest, OneStartPerPassAtCountdownZero) {
    // The machine confirms only what it is asked for and never answers the start: the start is
    // first offered at countdown 0, and every pass there sends it at most once.
    PtyPeer machine;
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"100", "M", "M"}});
    pump.fastWaits = true;
    int startsAtZero = 0;
    int mostInOnePass = 0;
    int inThisPass = 0;
    std::string line;
    pump.afterRound = [&] {
        for (char c : machine.Read()) {
            if (c == '\x18' || c == ' ' || c == '\r')
                continue;
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.starts_with("R") && line.size() == 5) {
                const Reg reg = *RegisterNamed(line.substr(1, 4));
                std::string requested = link->registers()[reg].requested;
                machine.Send("R" + line.substr(1, 4) + "00" +
                             (requested.size() > 5 ? requested.substr(5) : "0") + "\r\n");
            }
            if (line == "G0001" && session.countdown() == 0) {
                ++startsAtZero;
                ++inThisPass;
            }
            line.clear();
        }
    };
    // Each pass of the wait loop begins with its wait: the starts counted so far were the
    // previous pass's.
    pump.onPass = [&] {
        mostInOnePass = std::max(mostInOnePass, inThisPass);
        inThisPass = 0;
    };
    job->Start();
    pump.afterRound = nullptr;
    mostInOnePass = std::max(mostInOnePass, inThisPass);
    EXPECT_GE(startsAtZero, 1);
    EXPECT_EQ(mostInOnePass, 1);
}

TEST_F(JobTest, TheWaitEndsAfterTheCountdownAndTimer3SwitchesItselfOff) {
    MachineSim machine({"--fault", "silent"});
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"100", "M", "M"}});
    pump.fastWaits = true;  // the machine says nothing: no need to give it time
    job->Start();
    EXPECT_EQ(session.countdown(), 0);
    EXPECT_FALSE(sheet.done(0));
    EXPECT_FALSE(sheet.JobShown());
    EXPECT_TRUE(sheet.timer3Active());  // switched on at countdown 0
    job->Timer3Tick();                  // no completion recorded: it switches itself off
    EXPECT_FALSE(sheet.timer3Active());
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(JobTest, CancellingASerialErrorDuringTheWaitEndsTheProgram) {
    MachineSim machine({"--fault", "silent"});
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"100", "M", "M"}});
    pump.fastWaits = true;  // the machine says nothing: no need to give it time
    messenger.queue(MsgAnswer::Cancel);
    pump.afterRound = [&] {
        if (pump.passes == 20) {
            pump.afterRound = nullptr;
            link->OnCommEvent(CommEvent::Break);
        }
    };
    job->Start();
    EXPECT_EQ(view.endedWith, 1);
    EXPECT_EQ(sheet.endedWith(), 1);
    EXPECT_LT(pump.passes, 40);  // at once, not after the countdown
    EXPECT_FALSE(sheet.done(0));
    EXPECT_EQ(session.ini().ZanWLen, 500000);
}

TEST_F(JobTest, DebugModeStartsAtOnceAndCompletesOnAnyAnswer) {
    MachineSim machine({"--fault", "question"});  // "?" instead of the completion
    Begin("-D");
    ASSERT_EQ(session.runMode().DebugMode, 1);
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"100", "M", "M"}});
    job->Start();
    EXPECT_EQ(pump.passes, 0);  // no wait loop
    ASSERT_TRUE(WaitUntil([&] { return sheet.done(0); }));
    EXPECT_NE(machine.received().find(Wire("G0001")), std::string::npos);
}

TEST_F(JobTest, TheChecksRefuseAWireAndSendOnlyTheCancel) {
    MachineSim machine({"--protocol", "binary"});
    Connect(machine.path(), ProtocolKind::Binary);

    job->Start();  // nothing loaded
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "キャスティングデータを読み込んでください。");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);

    session.ini().ZanWLen = 1000;
    Load({{"1000.6", "M", "M"}});
    job->Start();
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[1].text, "残り電線が足りません。電線を交換してください。");
    EXPECT_EQ(messenger.shown[1].caption, "KABLOS");
    EXPECT_TRUE(job->shortage());
    ASSERT_TRUE(machine.WaitReceived(16));
    WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(machine.received(), Frames({FixedFrame('S'), FixedFrame('S')}));
    EXPECT_FALSE(sheet.done(0));
    EXPECT_EQ(session.ini().ZanWLen, 1000);

    // A job meanwhile does nothing: no cancel goes out.
    sheet.ShowJob(true);
    job->Start();
    WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(machine.received().size(), 16u);
}

TEST_F(JobTest, BinaryAnswersThatDoNotCompleteLeaveTheWirePending) {
    for (const char* fault : {"wrong", "silent", "garbage"}) {
        SCOPED_TRACE(fault);
        MachineSim machine({"--protocol", "binary", "--fault", fault});
        Connect(machine.path(), ProtocolKind::Binary);
        Load({{"500", "M", "M"}});
        pump.fastWaits = true;  // the 601 answer polls pass at once
        job->Start();
        pump.fastWaits = false;
        EXPECT_FALSE(sheet.done(0));
        EXPECT_EQ(session.ini().ZanWLen, 500000);
        EXPECT_TRUE(messenger.shown.empty());
        EXPECT_FALSE(sheet.JobShown());
        link->HangUp();
    }
}

TEST_F(JobTest, GarbageBeforeTheAsciiAnswersStillCompletesTheWire) {
    MachineSim machine({"--fault", "garbage"});
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"500", "M", "M"}});
    job->Start();
    ASSERT_TRUE(WaitUntil([&] { return sheet.done(0); }));
    EXPECT_EQ(session.ini().ZanWLen, 500000 - 500);
}

TEST_F(JobTest, ALineLostMidJobEndsTheJobWithTheWirePending) {
    for (ProtocolKind protocol : {ProtocolKind::Ascii, ProtocolKind::Binary}) {
        SCOPED_TRACE(protocol == ProtocolKind::Ascii ? "ascii" : "binary");
        MachineSim machine({"--protocol", protocol == ProtocolKind::Ascii ? "ascii" : "binary",
                            "--fault", "hangup", "--hangup-after", "3"});
        Connect(machine.path(), protocol);
        Load({{"500", "M", "M"}});
        job->Start();
        EXPECT_FALSE(sheet.done(0));
        EXPECT_FALSE(sheet.JobShown());
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(session.ini().ZanWLen, 500000);
        // The loss is reported: as the serial error question or as the closed port of a send.
        ASSERT_FALSE(messenger.shown.empty());
        EXPECT_TRUE(messenger.shown[0].text == "通信エラーが発生しました。" ||
                    messenger.shown[0].text.starts_with("ポートが開かれていません"))
            << messenger.shown[0].text;
        messenger.shown.clear();
    }
}

// The test plays the machine: it confirms every write and echoes the start; once the start has
// come back it answers "?" after every round, so that one "?" waits unread when the job's wait
// ends and the job reads what is waiting.
void PlayAQuestioningMachine(PtyPeer& machine, JobPump& pump, MachineLink& link, bool& asked) {
    pump.afterRound = [&machine, &link, &asked, line = std::string()]() mutable {
        for (char c : machine.Read()) {
            if (c == '\x18' || c == ' ' || c == '\r')
                continue;
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.starts_with("W"))
                machine.Send("R" + line.substr(1, 4) + "00" + line.substr(5) + "\r\n");
            if (line == "G0001")
                machine.Send("G0001\r\n");
            line.clear();
        }
        if (link.job().waitState == 0 && link.job().startSent) {
            asked = true;
            machine.Send("?");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
}

TEST_F(JobTest, AQuestionMarkAfterTheWaitReopensThePort) {
    PtyPeer machine;
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"500", "M", "M"}});
    bool asked = false;
    PlayAQuestioningMachine(machine, pump, *link, asked);
    view.portStates.clear();
    job->Start();
    pump.afterRound = nullptr;
    EXPECT_TRUE(asked);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.settings(), "4800,n,8,1");
    EXPECT_FALSE(sheet.done(0));
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(view.portStates, (std::vector<std::string>{"open 4800,n,8,1"}));
}

TEST_F(JobTest, AFailedReopenAfterAQuestionMarkSaysSo) {
    PtyPeer machine;
    Connect(machine.path(), ProtocolKind::Ascii);
    Load({{"500", "M", "M"}});
    session.ini().COMNo = "7";  // port 7 leads nowhere
    ASSERT_TRUE(UserStore::SetPortDevice(7, (home.root() / "none").string()));
    bool asked = false;
    PlayAQuestioningMachine(machine, pump, *link, asked);
    job->Start();
    pump.afterRound = nullptr;
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "COM1 は使用できません。CommPort プロパティを別のポートに設定してください。");
}

TEST_F(JobTest, TheCompletionScrollsAndSelectsTheNextRow) {
    MachineSim machine({"--protocol", "binary"});
    Connect(machine.path(), ProtocolKind::Binary);
    std::vector<WireRow> rows(30, {"10", "M", "M"});
    Load(rows);
    sheet.setVisibleRows(10);
    sheet.SetCurrentWireRow(9);  // grid row 10
    job->Start();
    ASSERT_TRUE(sheet.done(9));
    EXPECT_EQ(sheet.TopWireRow(), 5);  // the completed row is now four rows below the top
    EXPECT_EQ(sheet.CurrentWireRow(), 10);
    EXPECT_EQ(session.ini().CutWLen, 10);
}

}  // namespace
}  // namespace kablos
