// The machine link against a simulated machine and a bare pseudo-terminal.

#include "MachineLink.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <random>

#include "UserDataPath.h"
#include "common/codepage.h"
#include "kablos/support/LinkSupport.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
        ASSERT_TRUE(session.Start("", {}));
    }

    // Points port number 1 at `device`, opens it and clears what the opening showed.
    void Connect(const std::string& device, ProtocolKind protocol = ProtocolKind::Ascii) {
        session.setProtocol(protocol);
        ASSERT_TRUE(UserStore::SetPortDevice(1, device));
        ASSERT_TRUE(port.setCommPort(1));
        link = std::make_unique<MachineLink>(session, port, pump, view);
        link->TogglePort();
        ASSERT_TRUE(port.isOpen()) << port.errorText();
        messenger.shown.clear();
        view = RecordingView{};
    }

    TempHome home;
    RecordingMessenger messenger;
    Session session{messenger, UserDataPath, home.programFolder()};
    SerialPort port;
    CountingPump pump;
    RecordingView view;
    std::unique_ptr<MachineLink> link;
};

TEST_F(LinkTest, TogglingOpensAndClosesThePort) {
    MachineSim machine;
    Connect(machine.path());
    link->registers()[Reg::R1002] = {"W10023C", "R1002003C"};
    link->TogglePort();
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(link->toggledSinceStart());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "スタート");
    EXPECT_EQ(messenger.shown[0].caption, "通信ポートを開く");
    EXPECT_EQ(view.portStates, (std::vector<std::string>{"closed 4800,n,8,1"}));
    EXPECT_EQ(view.gridShown, (std::vector<bool>{false, true}));
    EXPECT_TRUE(link->registers()[Reg::R1002].requested.empty());

    link->TogglePort();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(view.portStates.back(), "open 4800,n,8,1");
}

TEST_F(LinkTest, APortThatCannotOpenSaysWhy) {
    ASSERT_TRUE(UserStore::SetPortDevice(1, (home.root() / "no-such-tty").string()));
    link = std::make_unique<MachineLink>(session, port, pump, view);
    link->TogglePort();
    EXPECT_FALSE(port.isOpen());
    ASSERT_GE(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "COM1 (" + (home.root() / "no-such-tty").string() + ") が見つかりません。");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(view.portStates, (std::vector<std::string>{"closed 4800,n,8,1"}));
}

TEST_F(LinkTest, ASecondProgramCannotOpenTheSamePort) {
    MachineSim machine;
    Connect(machine.path());
    SerialPort other;
    ASSERT_TRUE(other.setCommPort(1));
    EXPECT_FALSE(other.open());
    EXPECT_EQ(other.errorText(), "COM1 (" + machine.path() +
                                     ") は他のプログラムが使用中か、使用が許可されていません。");
}

TEST_F(LinkTest, PortNumbersWithoutAnEntryAreSerialDevices) {
    EXPECT_EQ(UserStore::PortDevice(3), "/dev/ttyS2");
    ASSERT_TRUE(UserStore::SetPortDevice(3, "/dev/ttyUSB0"));
    EXPECT_EQ(UserStore::PortDevice(3), "/dev/ttyUSB0");
    ASSERT_TRUE(UserStore::SetPortDevice(3, ""));
    EXPECT_EQ(UserStore::PortDevice(3), "/dev/ttyS2");
}

TEST_F(LinkTest, ACommandGoesOutInTwoPartsWithAPause) {
    PtyPeer machine;
    Connect(machine.path());
    std::string seen;
    std::vector<std::string> atRound(64);
    pump.onRound = [&](int round) {
        seen += machine.Read();
        if (round < 64)
            atRound[static_cast<std::size_t>(round)] = seen;
    };
    link->SendCommand("W10027D");
    seen += machine.Read();
    EXPECT_EQ(seen, Wire("W10027D"));
    EXPECT_EQ(atRound[11], "\x18   W");  // still pausing after eleven rounds
    EXPECT_EQ(atRound[32], seen);

    seen.clear();
    pump.rounds = 0;
    link->SendStart();
    seen += machine.Read();
    EXPECT_EQ(seen, Wire("G0001"));
    EXPECT_EQ(atRound[21], "\x18   G");  // the start pauses twenty-one rounds
    EXPECT_TRUE(link->job().startSent);
}

TEST_F(LinkTest, TheWorkedCommandsGoOutByteForByte) {
    PtyPeer machine;
    Connect(machine.path());
    std::string seen;
    std::string beforePause;
    pump.onRound = [&](int round) {
        seen += machine.Read();
        if (round == 5)
            beforePause = seen;
    };
    // W1002 with 12.5 mm: 18 20 20 20 57, a short pause, then 20 20 20, the characters 10027D,
    // thirteen 20 bytes, 0D 0A.
    EXPECT_TRUE(link->WriteRegister(Reg::R1002, "12.5"));
    seen += machine.Read();
    EXPECT_EQ(beforePause, "\x18\x20\x20\x20\x57");
    EXPECT_EQ(seen,
              "\x18\x20\x20\x20\x57\x20\x20\x20"
              "10027D"
              "\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x0D\x0A");

    // The CAN command: 18 20 20 20 18, the pause, then three blanks, thirteen blanks, CR LF.
    seen.clear();
    pump.rounds = 0;
    link->SendCancel();
    seen += machine.Read();
    EXPECT_EQ(beforePause, "\x18\x20\x20\x20\x18");
    EXPECT_EQ(seen,
              "\x18\x20\x20\x20\x18\x20\x20\x20"
              "\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x20\x0D\x0A");

    // A read-back R10020064 after the request W100264 confirms the register although the texts
    // differ in leading zeros: writing the same value again sends nothing.
    seen.clear();
    EXPECT_TRUE(link->WriteRegister(Reg::R1002, "10"));
    seen += machine.Read();
    EXPECT_EQ(seen, Wire("W100264"));
    machine.Send("R10020064\r\n");
    ASSERT_TRUE(WaitUntil([&] { return link->registers()[Reg::R1002].confirmed == "R10020064"; }));
    seen.clear();
    EXPECT_TRUE(link->WriteRegister(Reg::R1002, "10.0"));
    WaitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(seen + machine.Read(), "");
}

TEST_F(LinkTest, AValueNoRegisterCanTakeIsRefusedWithAMessage) {
    MachineSim machine;
    Connect(machine.path());
    EXPECT_FALSE(link->WriteRegister(Reg::R1043, "1e400"));
    EXPECT_FALSE(link->WriteRegister(Reg::R1002, "-1e300"));
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0].text, "送信できない値です: 長さ(1e400)");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(messenger.shown[1].text, "送信できない値です: 先端(-1e300)");
    EXPECT_TRUE(link->registers()[Reg::R1043].requested.empty());
    link->SendCancel();
    ASSERT_TRUE(machine.WaitReceived(Wire("\x18").size()));
    EXPECT_EQ(machine.received(), Wire("\x18"));  // nothing went out before the cancel
}

TEST_F(LinkTest, RegisterValuesAndTheCancelCommandByteForByte) {
    MachineSim machine;
    Connect(machine.path());
    link->WriteRegister(Reg::R1002, "6.0");
    link->WriteRegister(Reg::R1092, "12.25");
    link->WriteRegister(Reg::R1043, "");
    link->WriteRegister(Reg::R0F63, "2");
    link->SendCancel();
    const std::string expected = Wire("W10023C") + Wire("W10927A") + Wire("W10430") +
                                 Wire("W0F632") + std::string("\x18   \x18   ") +
                                 std::string(13, ' ') + "\r\n";
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
    // The machine took the lengths in tenths and logs them in millimetres.
    EXPECT_EQ(machine.log(),
              (std::vector<std::string>{"W1002 front strip 6 mm", "W1092 rear strip 12.2 mm",
                                        "W1043 wire length 0 mm", "W0F63 piece count 2", "CAN"}));
}

TEST_F(LinkTest, AConfirmedValueIsNotSentAgain) {
    MachineSim machine({"--no-confirm"});  // confirms only what it is asked for
    Connect(machine.path());
    link->WriteRegister(Reg::R1002, "6.0");
    link->WriteRegister(Reg::R1002, "6.0");  // not confirmed yet: sent again
    EXPECT_FALSE(link->ReadBackRequest(0));  // asks R1002 only: the other pairs agree (empty)
    ASSERT_TRUE(WaitUntil([&] { return link->registers()[Reg::R1002].confirmed == "R1002003C"; }));
    EXPECT_TRUE(link->ConfirmationCheck(0));
    link->WriteRegister(Reg::R1002, "6.0");  // confirmed: nothing goes out

    link->WriteRegister(Reg::R1022, "0");
    link->WriteRegister(Reg::R1022, "0");  // 0 goes out once while the pair is empty
    link->WriteRegister(Reg::R1022, "0");

    const std::string expected = Wire("W10023C") + Wire("W10023C") + Wire("R1002") + Wire("W10220");
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
    ASSERT_FALSE(view.status.empty());
    EXPECT_EQ(view.status.back(), "データ: ,先スト:6");
    EXPECT_GE(view.statusResets, 1);
}

TEST_F(LinkTest, ReadBacksAreAssembledAcrossChunks) {
    PtyPeer machine;
    Connect(machine.path());
    link->registers()[Reg::R1002].requested = "W100264";
    link->registers()[Reg::R0F63].requested = "W0F6310";
    machine.Send("R10");
    ASSERT_TRUE(WaitUntil([&] { return view.terminal.find("R10") != std::string::npos; }));
    machine.Send("020064\r\nR0F63000A\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !link->registers()[Reg::R0F63].confirmed.empty(); }));
    EXPECT_EQ(link->registers()[Reg::R1002].confirmed, "R10020064");  // leading zeros differ
    EXPECT_EQ(link->registers()[Reg::R0F63].confirmed, "R0F63000A");
}

TEST_F(LinkTest, GarbageAndFloodsNeitherCrashNorGrowWithoutEnd) {
    PtyPeer machine;
    Connect(machine.path());
    std::mt19937 random(7);
    std::string junk(1 << 18, '\0');
    for (char& c : junk)
        c = static_cast<char>(random() % 256);
    for (std::size_t at = 0; at < junk.size(); at += 4096) {
        machine.Send(std::string_view(junk).substr(at, 4096));
        QCoreApplication::processEvents();
    }
    link->registers()[Reg::R1043].requested = "W10433039";
    machine.Send("\r\nR10433039\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !link->registers()[Reg::R1043].confirmed.empty(); }));
    EXPECT_LE(link->job().statusText.size(), 1024u);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(LinkTest, NothingIsSentWhileTheMachineLinkIsSwitchedOff) {
    MachineSim machine;
    Connect(machine.path());
    session.ini().COMNo = "0";
    link->WriteRegister(Reg::R1002, "6.0");
    link->SendStart();
    link->TogglePort();  // closed now: still no message, since nothing is to be sent
    messenger.shown.clear();
    link->WriteRegister(Reg::R1092, "6.0");
    WaitUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(machine.received(), "");
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(LinkTest, SendingOnAClosedPortSaysSoOnce) {
    link = std::make_unique<MachineLink>(session, port, pump, view);
    link->SendCommand("W10023C");
    link->SendCommand("W10023C");
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "ポートが開かれていません");
    link->ResetPortErrorShown();
    link->SendCommand("W10023C");
    EXPECT_EQ(messenger.shown.size(), 2u);
}

TEST_F(LinkTest, ALineThatDisappearsMidSendIsReportedAndShownClosed) {
    PtyPeer machine;
    Connect(machine.path());
    pump.onRound = [&](int round) {
        if (round == 3)
            machine.Close();
    };
    messenger.queue(MsgAnswer::Ok);  // ignore the serial error
    link->SendCommand("W10023C");
    link->SendCommand("W10927A");
    ASSERT_TRUE(WaitUntil([&] { return !port.isOpen(); }));
    EXPECT_FALSE(messenger.shown.empty());
    ASSERT_FALSE(view.portStates.empty());
    EXPECT_EQ(view.portStates.back(), "closed 4800,n,8,1");
}

TEST_F(LinkTest, AMachineThatHangsUpMidJobLeavesThePortShownClosed) {
    MachineSim machine({"--fault", "hangup", "--hangup-after", "2"});
    Connect(machine.path());
    messenger.queue(MsgAnswer::Ok);
    link->WriteRegister(Reg::R1002, "6.0");
    link->WriteRegister(Reg::R1092, "6.0");  // the machine goes away on this one
    ASSERT_TRUE(WaitUntil([&] { return !port.isOpen(); }));
    link->WriteRegister(Reg::R1043, "100");  // the port is closed: said once, nothing sent
    ASSERT_FALSE(view.portStates.empty());
    EXPECT_EQ(view.portStates.back(), "closed 4800,n,8,1");
    EXPECT_FALSE(messenger.shown.empty());
    EXPECT_EQ(machine.received(), Wire("W10023C") + Wire("W10923C"));
}

TEST_F(LinkTest, AWrongReadBackConfirmsNothing) {
    MachineSim machine({"--fault", "wrong"});
    Connect(machine.path());
    link->WriteRegister(Reg::R1002, "6.0");
    EXPECT_FALSE(link->ReadBackRequest(0));
    ASSERT_TRUE(WaitUntil([&] { return view.terminal.find("R1002003D") != std::string::npos; }));
    EXPECT_TRUE(link->registers()[Reg::R1002].confirmed.empty());
    EXPECT_FALSE(link->ConfirmationCheck(0));
}

TEST_F(LinkTest, TheDebugLogShowsCommandsReadably) {
    MachineSim machine;
    Connect(machine.path());
    session.debugLog().setRunMode({0, true});
    link->WriteRegister(Reg::R1072, "8.0");
    link->SendStart();
    const std::string log = common::FromCodePageLossy(ReadBytes(session.debugLog().path()));
    EXPECT_NE(log.find("異W107250 CmdCmpH ,"), std::string::npos) << log;
    EXPECT_NE(log.find("後端セミ(80),"), std::string::npos) << log;
    EXPECT_NE(log.find("スタート,"), std::string::npos) << log;
}

TEST_F(LinkTest, BinaryFramesAndTheCompletionAnswer) {
    MachineSim machine({"--protocol", "binary"});
    Connect(machine.path(), ProtocolKind::Binary);
    EXPECT_TRUE(link->WriteFrame(FrameReg::WireLength, 1234.5));
    EXPECT_TRUE(link->SendFrame(FixedFrame('V')));
    EXPECT_TRUE(link->SendFrame(FixedFrame('P')));
    const std::string expected(
        "\x57\x03\x00\x00\x30\x39\xC3\x0D"
        "\x56\x00\x00\x00\x00\x00\xD6\x0D"
        "\x50\x00\x00\x00\x00\x00\xD0\x0D",
        24);
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
    ASSERT_TRUE(WaitUntil([&] { return link->job().answerArrived; }));
    EXPECT_EQ(link->job().answerBytes, QByteArray("\x52\x09\x01\x00\x0D", 5));
    EXPECT_EQ(machine.log(),
              (std::vector<std::string>{"W 03 wire length 1234.5 mm", "V", "P start"}));
}

TEST_F(LinkTest, BinaryAnswersArriveInPieces) {
    PtyPeer machine;
    Connect(machine.path(), ProtocolKind::Binary);
    machine.Send(std::string("\x52\x09", 2));
    WaitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_FALSE(link->job().answerArrived);
    machine.Send(std::string("\x01\x00\x0D", 3));
    ASSERT_TRUE(WaitUntil([&] { return link->job().answerArrived; }));
    EXPECT_EQ(link->job().answerBytes, QByteArray("\x52\x09\x01\x00\x0D", 5));
}

TEST_F(LinkTest, AFrameThatCannotLeaveTimesOut) {
    PtyPeer machine;  // never reads: the line backs up
    Connect(machine.path(), ProtocolKind::Binary);
    link->SendTyped(std::string(1 << 20, 'x'));
    pump.fastWaits = true;
    EXPECT_FALSE(link->SendFrame(FixedFrame('S')));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "送信タイムアウト\r\n<[83][0][0][0][0][0][211][13]>");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(pump.waits, 1500);
}

TEST_F(LinkTest, AFrameOnAClosedPortIsNotSent) {
    session.setProtocol(ProtocolKind::Binary);
    link = std::make_unique<MachineLink>(session, port, pump, view);
    EXPECT_FALSE(link->SendFrame(FixedFrame('V')));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "ポートが開かれていません。\r\n<ポートが開かれていません>");
}

TEST_F(LinkTest, CutterValuesGoOutForTheMatchingRow) {
    MachineSim machine({"--protocol", "binary"});
    Connect(machine.path(), ProtocolKind::Binary);
    link->CutterFrames("IV", "1.250");  // sizes compare as numbers: IV 1.25 5 5 2.8 0.5
    link->CutterFrames("IV", "9");      // no row: nothing
    const std::string expected = [] {
        std::string bytes;
        for (Frame f : {BuildFrame(6, 2.8, 2), BuildFrame(7, 0.5, 2), BuildFrame(14, 5, 1),
                        BuildFrame(16, 5, 1)}) {
            bytes.append(reinterpret_cast<const char*>(f.data()), f.size());
        }
        return bytes;
    }();
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(machine.received(), expected);
    // The cutter values are not lengths: the machine takes them as they are.
    EXPECT_EQ(machine.log(),
              (std::vector<std::string>{"W 06 wire diameter 3", "W 07 Y back 0",
                                        "W 0E roller speed 5", "W 10 cutter speed 5"}));
}

TEST_F(LinkTest, AsciiCutterWriteSendsTheRowTwiceOverWhereItMust) {
    MachineSim machine({"--no-confirm"});
    Connect(machine.path());
    link->CutterWrite("KIV", "2");  // KIV 2 4 4 3.1 0.6
    const std::string expected = Wire("W0ED23") + Wire("W0BE21") + Wire("W0F014") + Wire("W0F114") +
                                 Wire("W0ED23") + Wire("W0BE21");
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
}

TEST_F(LinkTest, SerialErrorsAskWhetherToEnd) {
    MachineSim machine;
    Connect(machine.path());
    messenger.queue(MsgAnswer::Ok);
    link->OnCommEvent(CommEvent::Overrun);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "オーバーランエラーが発生しました。");
    EXPECT_EQ(messenger.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(messenger.shown[0].caption,
              "中断する場合は [キャンセル] を、無視する場合は [OK] をクリックしてください。");
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(port.isOpen());

    link->OnCommEvent(CommEvent::CdChange);  // an event, not an error: the Status panel only
    EXPECT_EQ(view.status.back(), "CD ラインの状態が変化しました。");
    EXPECT_EQ(messenger.shown.size(), 1u);

    messenger.queue(MsgAnswer::Cancel);
    link->OnCommEvent(CommEvent::RxParity);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(link->job().abort);
    EXPECT_EQ(view.endedWith, 1);
    ASSERT_TRUE(machine.WaitReceived(3));
    EXPECT_EQ(machine.received(), "ATH");
}

TEST_F(LinkTest, ShutdownHangsUpInTheProtocolInUse) {
    MachineSim ascii;
    Connect(ascii.path());
    EXPECT_EQ(session.Shutdown(link.get()), ShutdownOutcome::Done);
    EXPECT_FALSE(port.isOpen());
    ASSERT_TRUE(ascii.WaitReceived(3));
    EXPECT_EQ(ascii.received(), "ATH");
    EXPECT_EQ(view.status.back(), "データ: ");

    MachineSim binary({"--protocol", "binary"});
    Connect(binary.path(), ProtocolKind::Binary);
    EXPECT_EQ(session.Shutdown(link.get()), ShutdownOutcome::Done);
    ASSERT_TRUE(binary.WaitReceived(8));
    EXPECT_EQ(binary.received(), std::string("\x53\x00\x00\x00\x00\x00\xD3\x0D", 8));
}

TEST(LineEvents, WhatTheLineTellsBetweenTwoReadings) {
    LineState lines;
    lines.modemLines = true;
    auto with = [](LineState state, auto&& change) {
        change(state);
        return state;
    };
    using E = std::vector<CommEvent>;
    // Modem lines only (no counters): changes of CTS, DSR and CD; a ring when RI comes on.
    EXPECT_EQ(LineEvents(lines, lines), E{});
    EXPECT_EQ(LineEvents(lines, with(lines, [](LineState& s) { s.cts = s.cd = true; })),
              (E{CommEvent::CtsChange, CommEvent::CdChange}));
    EXPECT_EQ(LineEvents(lines, with(lines, [](LineState& s) { s.dsr = true; })),
              E{CommEvent::DsrChange});
    const LineState ringing = with(lines, [](LineState& s) { s.ring = true; });
    EXPECT_EQ(LineEvents(lines, ringing), E{CommEvent::Ring});
    EXPECT_EQ(LineEvents(ringing, lines), E{});
    EXPECT_EQ(LineEvents(LineState{}, ringing), E{});  // nothing to compare with

    // With the driver's counters: every kind that counted, once, also a pulse the lines no
    // longer show, and the errors.
    LineState counted = lines;
    counted.counters = true;
    const LineState later = with(counted, [](LineState& s) {
        s.ctsCount = 2;
        s.ringCount = 1;
        s.breakCount = 1;
        s.frameCount = 3;
        s.overrunCount = 1;
        s.rxOverCount = 1;
        s.parityCount = 5;
    });
    EXPECT_EQ(LineEvents(counted, later),
              (E{CommEvent::CtsChange, CommEvent::Ring, CommEvent::Break, CommEvent::FrameError,
                 CommEvent::Overrun, CommEvent::RxOver, CommEvent::RxParity}));
    for (CommEvent event : LineEvents(counted, later))
        EXPECT_FALSE(CommEventText(event).empty());
}

TEST_F(LinkTest, APseudoTerminalHasNoLineToWatch) {
    // No modem lines and no counters: the port does not poll, and no event is made up.
    PtyPeer machine;
    Connect(machine.path());
    EXPECT_FALSE(port.watchesLine());
    machine.Send("x");
    WaitUntil([] { return false; }, std::chrono::milliseconds(3 * SerialPort::kLinePollMs));
    EXPECT_TRUE(view.status.empty());
    EXPECT_TRUE(messenger.shown.empty());
}

TEST(ShowData, KeepsTheTerminalBoxTidy) {
    EXPECT_EQ(ShowData("ab", "c\r\nd"), "abc\r\nd");
    EXPECT_EQ(ShowData("ab", "\bc"), "ac");
    EXPECT_EQ(ShowData("ab", "xy\b\bz"), "abz");
    EXPECT_EQ(ShowData("", "\b\n"), "");
    QString big(16001, 'x');
    EXPECT_EQ(ShowData(big, "y").size(), 16001 - 4096 + 1);
    EXPECT_EQ(ShowData(QString(16000, 'x'), "y").size(), 16001);
}

}  // namespace
}  // namespace kablos
