// The unattended processing run, `kablos --batch`, started as a user starts it, against the
// machine simulator on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QProcess>

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

}  // namespace
}  // namespace kablos
