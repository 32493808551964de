// The unattended processing run, `kablos --batch`, started as a user starts it, against the
// machine simulator on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QProcess>
#include <sstream>

#include "SettingsFile.h"
#include "UserDataPath.h"
#include "UserStore.h"
#include "kablos/support/LinkSupport.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

struct ProgramRun {
    int code = -1;
    std::string out;
    std::string err;
};

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override { ClearUserStore(); }

    // Points the per-user port at the machine, in the given protocol ("A" or "B").
    static void UseMachine(const MachineSim& machine, const std::string& mtype) {
        ASSERT_TRUE(UserStore::Write("9600,N,8,1", 2, 0, false, mtype));
        ASSERT_TRUE(UserStore::SetPortDevice(2, machine.path()));
    }

    // Every run has a deadline: a run that hangs is ended and fails the test.
    static ProgramRun Kablos(const QStringList& arguments) {
        constexpr int kDeadlineMs = 60000;
        QProcess process;
        process.start(QStringLiteral(KABLOS_PATH), arguments);
        if (!process.waitForFinished(kDeadlineMs)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "kablos " << arguments.join(' ').toStdString()
                          << " did not end within " << kDeadlineMs / 1000 << " s";
        }
        ProgramRun run;
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        return run;
    }

    // The settings file the run left behind.
    IniData Saved() {
        RecordingMessenger messenger;
        SettingsFile file(UserDataPath, home.programFolder(), messenger);
        EXPECT_FALSE(file.ReadIniFile(true));
        return file.data();
    }

    static QString Sample() { return QStringLiteral(KABLOS_SAMPLES_DIR "/casting.txt"); }

    TempHome home;
};

TEST_F(BatchTest, TheSampleFileRunsThroughTheBinaryMachine) {
    MachineSim machine({"--protocol", "binary"});
    UseMachine(machine, "B");
    ProgramRun run = Kablos({"--batch", Sample()});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("protocol: binary (371), port 2, 9600,N,8,1"), std::string::npos);
    EXPECT_NE(run.out.find("set 1, wire 2, length 350.5: done"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("12 of 12 wires done"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("pending"), std::string::npos);
    // The machine took every wire at its length, in millimetres, in the order of the run.
    std::vector<std::string> done;
    for (std::size_t at = 0; (at = run.out.find(", length ", at)) != std::string::npos;) {
        at += 9;
        done.push_back("W 03 wire length " + run.out.substr(at, run.out.find(':', at) - at) +
                       " mm");
    }
    std::vector<std::string> lengths;
    for (const std::string& line : machine.log()) {
        if (line.starts_with("W 03 "))
            lengths.push_back(line);
    }
    ASSERT_EQ(done.size(), 12u);
    EXPECT_EQ(lengths, done);
    EXPECT_NE(std::find(lengths.begin(), lengths.end(), "W 03 wire length 350.5 mm"),
              lengths.end());
    // The sample settings track 500 m of wire; every wire is booked, each counter rounded to
    // whole millimetres, and saved at the end.
    const IniData saved = Saved();
    EXPECT_EQ(saved.ZanWLen + saved.CutWLen, 500000);
    EXPECT_EQ(saved.CutWLen, 9960);
}

TEST_F(BatchTest, OneSetRunsThroughTheAsciiMachine) {
    MachineSim machine;
    UseMachine(machine, "A");
    ProgramRun run = Kablos({"--batch", Sample(), "--set", "2"});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2, wire 1, length 640: done"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2 of 2 wires done"), std::string::npos) << run.out;
    EXPECT_EQ(Saved().CutWLen, 1280);
    // Both wires are 640 mm long: the machine took that length (once, as it confirmed it) and
    // no other.
    std::vector<std::string> lengths;
    for (const std::string& line : machine.log()) {
        if (line.starts_with("W1043 "))
            lengths.push_back(line);
    }
    EXPECT_EQ(lengths, std::vector<std::string>{"W1043 wire length 640 mm"});
}

TEST_F(BatchTest, WiresTheMachineNeverFinishesArePendingAndNotBooked) {
    MachineSim machine({"--protocol", "binary", "--fault", "wrong"});
    UseMachine(machine, "B");
    ProgramRun run = Kablos({"--batch", Sample(), "--set", "2", "--timeout", "1"});
    EXPECT_EQ(run.code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2, wire 1, length 640: pending"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0 of 2 wires done"), std::string::npos) << run.out;
    EXPECT_EQ(Saved().CutWLen, 0);
}

TEST_F(BatchTest, WithoutAMachineTheRunEndsAtOnceWithEveryWirePending) {
    // COMNo 0, the setting of a PC without a machine, and a port that leads nowhere: the ASCII
    // jobs end on the closed port instead of waiting for a countdown that never runs.
    std::string ini = ReadBytes(SampleIni());
    const std::size_t at = ini.find("COMNo\t1");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 7, "COMNo\t0");
    std::filesystem::create_directories(home.userFolder());
    WriteBytes(home.userFolder() / "KABLOS.ini", ini);
    ASSERT_TRUE(UserStore::Write("9600,N,8,1", 2, 0, false, "A"));
    ASSERT_TRUE(UserStore::SetPortDevice(2, (home.root() / "no machine").string()));
    const auto started = std::chrono::steady_clock::now();
    ProgramRun run = Kablos({"--batch", Sample(), "--set", "2"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    EXPECT_EQ(run.code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2, wire 1, length 640: pending"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0 of 2 wires done"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("ポートが開かれていません"), std::string::npos) << run.err;
}

TEST_F(BatchTest, BadRequestsSaySo) {
    ProgramRun run = Kablos({"--set", "2"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("--set and --timeout go with --batch"), std::string::npos);

    run = Kablos({"--batch", Sample(), "--set", "0"});
    EXPECT_EQ(run.code, 2);

    const std::string missing = (home.root() / "no such file.txt").string();
    run = Kablos({"--batch", QString::fromStdString(missing)});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("キャスティングデータがありません。(" + missing + ")"),
              std::string::npos)
        << run.err;

    run = Kablos({"--batch", Sample(), "--set", "99"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("指定データがありません"), std::string::npos) << run.err;
}

// --- the dry run ---

// What the machine takes according to a dry run's report: the decoded column of every command
// line (four blanks, the protocol's form, two blanks, what the machine takes). Text the machine
// never takes as a command (the ASCII hang-up "ATH" has no line end) is left out, as the
// machine's log has no line for it.
std::vector<std::string> DryRunCommands(const std::string& report) {
    constexpr std::size_t kDecoded = 4 + 23 + 2;
    std::vector<std::string> commands;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("    ") || line.size() <= kDecoded)
            continue;
        std::string decoded = line.substr(kDecoded);
        if (!decoded.starts_with("(no line end"))
            commands.push_back(decoded);
    }
    return commands;
}

class DryRunTest : public BatchTest {
protected:
    // The user's settings file: the sample's, with `from` replaced by `to`.
    void UserSettings(const std::string& from = {}, const std::string& to = {}) {
        std::string ini = ReadBytes(SampleIni());
        if (!from.empty()) {
            const std::size_t at = ini.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            ini.replace(at, from.size(), to);
        }
        std::filesystem::create_directories(home.userFolder());
        WriteBytes(home.userFolder() / "KABLOS.ini", ini);
    }
    std::string SettingsBytes() { return ReadBytes(home.userFolder() / "KABLOS.ini"); }
};

TEST_F(DryRunTest, PrintsWhatTheBatchRunSendsInBothProtocols) {
    for (const std::string mtype : {"A", "B"}) {
        SCOPED_TRACE("protocol " + mtype);
        ClearUserStore();
        UserSettings();
        const std::string before = SettingsBytes();
        MachineSim machine({"--protocol", mtype == "B" ? "binary" : "ascii"});
        UseMachine(machine, mtype);

        // The dry run first: it needs no machine, sends nothing and saves nothing.
        ProgramRun dry = Kablos({"--dry-run", Sample()});
        ASSERT_EQ(dry.code, 0) << dry.out << dry.err;
        EXPECT_TRUE(machine.log().empty());
        EXPECT_EQ(SettingsBytes(), before);
        EXPECT_NE(dry.out.find("summary: 12 of 12 wires would be done\n"), std::string::npos)
            << dry.out;
        EXPECT_NE(dry.out.find("the whole run would go through\n"), std::string::npos);

        ProgramRun batch = Kablos({"--batch", Sample()});
        ASSERT_EQ(batch.code, 0) << batch.out << batch.err;
        const std::vector<std::string> took = machine.log();
        ASSERT_GT(took.size(), 12u * 5);
        EXPECT_EQ(DryRunCommands(dry.out), took);
        // And the remaining wire the dry run books is the one the batch run saved.
        EXPECT_NE(dry.out.find("remaining wire after it: " + std::to_string(Saved().ZanWLen) +
                               " mm\n  done\nend of the run:"),
                  std::string::npos)
            << dry.out;
    }
}

TEST_F(DryRunTest, ShowsEachWireWithItsStripValuesAndTheirSources) {
    UserSettings();
    ProgramRun run = Kablos({"--dry-run", Sample(), "--set", "2", "--protocol", "B"});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    // Size 2: "1.25-4" has no strip row; its first step (looked up as "M") sends 8.5, then the
    // strip set writes the default over it. "R" and "Y" have rows.
    EXPECT_NE(run.out.find("set 2, wire 1 (201), length 640\n"
                           "  From type 1.25-4: strip 6 mm, half-strip 0 mm (default 6.0)\n"
                           "  To type Y: strip 6 mm, half-strip 3 mm (R: strip row)\n"
                           "  pieces: 1\n"
                           "  sends:\n"
                           "    53 00 00 00 00 00 D3 0D  S\n"
                           "    57 01 00 00 00 55 AD 0D  W 01 front strip 8.5 mm\n"
                           "    57 05 00 00 00 3C 98 0D  W 05 rear strip 6 mm\n"
                           "    57 03 00 00 19 00 F3 0D  W 03 wire length 640 mm\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  From type R: strip 7 mm, half-strip 3.5 mm (R: strip row)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("remaining wire after it: 498720 mm\n  done\n"), std::string::npos);
    EXPECT_NE(run.out.find("terminal types without a strip row:\n  1.25-4 (size 2): 1 end\n"
                           "sets without a cutter row: none\n"),
              std::string::npos)
        << run.out;

    // Size 3 has no default: "1.25-4" keeps the first step's 8.5 (an "M" row reaching size 3),
    // "Y" finds nothing at all, and the machine has no rear strip yet.
    std::string casting = ReadBytes(Sample().toStdString());
    casting.replace(casting.find("\"KIV\"\t\"2\"\t"), 11, "\"KIV\"\t\"3\"\t");
    const std::filesystem::path size3 = home.root() / "size 3.txt";
    WriteBytes(size3, casting);
    UserSettings("M\t2\t2\t8.5\t0", "M\t2\t3\t8.5\t0");
    run = Kablos({"--dry-run", QString::fromStdString(size3.string()), "--set", "2"});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2: KIV 3, 2 wires, no cutter row\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  From type 1.25-4: strip 8.5 mm, half-strip 0 mm (M: first step)\n"
                           "  To type Y: strip -, half-strip 0 mm (none)\n"),
              std::string::npos)
        << run.out;
}

TEST_F(DryRunTest, AReelThatRunsOutIsReportedAtItsWire) {
    // 1000 mm on the reel: wires 1 (350) and 2 (350.5) leave 300 mm (rounded to whole
    // millimetres), wire 3 needs 1200.
    UserSettings("ZanWLen\t500000", "ZanWLen\t1000");
    const std::string before = SettingsBytes();
    ProgramRun run = Kablos({"--dry-run", Sample(), "--protocol", "A"});
    EXPECT_EQ(run.code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("set 1, wire 2 (102), length 350.5\n"), std::string::npos);
    EXPECT_NE(run.out.find("remaining wire after it: 300 mm\n  done\n"
                           "set 1, wire 3 (103), length 1200\n"
                           "  message: NIVORA電線加工プログラム: "
                           "残り電線が足りません。電線を交換してください。\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  stops: the reel cannot take the wire\n"), std::string::npos);
    EXPECT_NE(run.out.find("set 1, wire 4 (104), length 800: not sent, the reel has run out\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("summary: 2 of 12 wires would be done\n"
                           "wires that would stop for want of wire:\n"
                           "  set 1, wire 3, length 1200: 300 mm left\n"
                           "  and 9 wires after it not sent\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("the whole run would not go through\n"), std::string::npos);
    EXPECT_EQ(SettingsBytes(), before);
}

TEST_F(DryRunTest, ListsTypesWithoutAStripRowAndSetsWithoutACutterRow) {
    // Without the cutter row "KIV 2" set 2 has none; with the second strip environment in use
    // ("盤内配線": R and Y up to 1.25, M up to 2, P) the types that find no row are listed with
    // the set's size and the number of wire ends.
    UserSettings("KIV\t2\t4\t4\t3.1\t0.6\r\n", "");
    std::string ini = SettingsBytes();
    ini.replace(ini.find("EnvNo\t0"), 7, "EnvNo\t1");
    WriteBytes(home.userFolder() / "KABLOS.ini", ini);
    ProgramRun run = Kablos({"--dry-run", Sample(), "--protocol", "B"});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2: KIV 2, 2 wires, no cutter row\n"), std::string::npos) << run.out;
    const std::size_t summary = run.out.find("terminal types without a strip row:\n");
    ASSERT_NE(summary, std::string::npos) << run.out;
    EXPECT_EQ(run.out.substr(summary), std::string("terminal types without a strip row:\n"
                                                   "  2-4 (size 1.25): 1 end\n"
                                                   "  NULL (size 1.25): 1 end\n"
                                                   "  1.25-4 (size 2): 1 end\n"
                                                   "  Y (size 2): 2 ends\n"
                                                   "  R (size 2): 1 end\n"
                                                   "sets without a cutter row:\n"
                                                   "  set 2: KIV 2\n"
                                                   "the whole run would go through\n"));
}

TEST_F(DryRunTest, WithoutAMachineNothingIsSentAndNoWireIsDone) {
    // COMNo 0, the setting of a PC without a machine: the ASCII job sends nothing, nothing is
    // confirmed, and its wait runs out in the dry run's own time.
    UserSettings("COMNo\t1", "COMNo\t0");
    const auto started = std::chrono::steady_clock::now();
    ProgramRun run = Kablos({"--dry-run", Sample(), "--set", "2", "--protocol", "A"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(run.code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("set 2, wire 2 (202), length 640\n"
                           "  From type R: strip -, half-strip - (R: strip row)\n"
                           "  To type Y: strip -, half-strip - (R: strip row)\n"
                           "  pieces: -\n"
                           "  sends: nothing\n"
                           "  remaining wire after it: 500000 mm\n"
                           "  pending: the machine would not report it done\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("summary: 0 of 2 wires would be done\n"), std::string::npos);
}

TEST_F(DryRunTest, BadRequestsSaySo) {
    ProgramRun run = Kablos({"--dry-run", Sample(), "--protocol", "C"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("the protocol after --protocol is A or B: C"), std::string::npos);
    run = Kablos({"--protocol", "A"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("--protocol goes with --dry-run"), std::string::npos);
    run = Kablos({"--dry-run", Sample(), "--batch", Sample()});
    EXPECT_EQ(run.code, 2);
    const std::string missing = (home.root() / "no such file.txt").string();
    run = Kablos({"--dry-run", QString::fromStdString(missing)});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("キャスティングデータがありません。(" + missing + ")"),
              std::string::npos)
        << run.err;
    run = Kablos({"--help"});
    EXPECT_NE(run.out.find("--dry-run CASTING.txt [--set N] [--protocol A|B]"), std::string::npos);
}

}  // namespace
}  // namespace kablos
