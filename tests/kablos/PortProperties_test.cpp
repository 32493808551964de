// The rules of the port settings dialog, against a simulated machine.

#include "PortProperties.h"

#include <gtest/gtest.h>

#include "UserDataPath.h"
#include "kablos/support/LinkSupport.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

TEST(LoadPropertySettings, ReadsTheSettingsStringIntoTheBoxes) {
    struct Case {
        const char* settings;
        const char* speed;
        int parity;
        const char* dataBits;
        const char* stopBits;
    };
    const Case cases[] = {
        {"4800,n,8,1", "4800", 2, "8", "1"},
        {"9600,e,7,1.5", "9600", 0, "7", "1.5"},
        {"115200,o,8,2", "115200", 1, "8", "2"},
        {"1200,m,5,2", "1200", 3, "5", "2"},
        {"4800,N,8,1", "4800", -1, "8", "1"},  // the letter is recognised in lower case only
        {"", "", -1, "", ""},
        {"9,x", "", -1, "9", "x"},
    };
    for (const Case& c : cases) {
        PortSelections s = LoadPropertySettings(c.settings, 1, 0, false, ProtocolKind::Ascii);
        EXPECT_EQ(s.speed, c.speed) << c.settings;
        EXPECT_EQ(s.parity, c.parity) << c.settings;
        EXPECT_EQ(s.dataBits, c.dataBits) << c.settings;
        EXPECT_EQ(s.stopBits, c.stopBits) << c.settings;
    }
    PortSelections s = LoadPropertySettings("4800,n,8,1", 17, 3, true, ProtocolKind::Binary);
    EXPECT_EQ(s.port, -1);  // only ports 1 to 16 are listed
    EXPECT_EQ(s.flow, 3);
    EXPECT_TRUE(s.echo);
    EXPECT_TRUE(s.binary);
    EXPECT_EQ(LoadPropertySettings("4800,n,8,1", 16, 0, false, ProtocolKind::Ascii).port, 15);
}

TEST(BuildSettingsString, WritesTheParityLetterInUpperCase) {
    PortSelections s = LoadPropertySettings("4800,n,8,1", 1, 0, false, ProtocolKind::Ascii);
    EXPECT_EQ(BuildSettingsString(s), "4800,N,8,1");
    s.speed = " 9600 ";
    s.parity = -1;
    EXPECT_EQ(BuildSettingsString(s), "9600,,8,1");
}

class PortPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
        ASSERT_TRUE(session.Start("", {}));
    }
    bool Apply(const PortSelections& s) {
        return ApplyPortProperties(s, session, port,
                                   [this](bool open) { shownStates.push_back(open); });
    }

    TempHome home;
    RecordingMessenger messenger;
    Session session{messenger, UserDataPath, home.programFolder()};
    SerialPort port;
    std::vector<bool> shownStates;
};

TEST_F(PortPropertiesTest, ThePortReportsTheParityLetterInLowerCase) {
    EXPECT_EQ(port.settings(), "4800,n,8,1");
    for (const char* given : {"9600,E,7,1.5", "9600,e,7,1.5"}) {
        ASSERT_TRUE(port.setSettings(given));
        EXPECT_EQ(port.settings(), "9600,e,7,1.5") << given;
    }
}

TEST_F(PortPropertiesTest, OkWithoutChangesKeepsTheValues) {
    // The settings as the program gives them ("4800,N,8,1"): the dialog still finds the parity.
    ASSERT_TRUE(port.setSettings("4800,N,8,1"));
    PortSelections s = LoadPropertySettings(port.settings(), port.commPort(), port.handshaking(),
                                            session.echo(), session.protocol());
    EXPECT_EQ(s.parity, 2);  // None
    s.echo = true;
    ASSERT_TRUE(Apply(s));
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(port.settings(), "4800,n,8,1");
    UserProperties stored = UserStore::Read();
    EXPECT_EQ(stored.Settings, "4800,N,8,1");
    EXPECT_EQ(stored.CommPort, 1);
    EXPECT_EQ(stored.Handshaking, 0);
    EXPECT_EQ(stored.Echo, true);
    EXPECT_EQ(stored.MType, "A");
    EXPECT_EQ(session.ini().COMNo, "1");
    EXPECT_TRUE(session.echo());
}

TEST_F(PortPropertiesTest, ARefusedSettingsStringKeepsTheDialogOpenAndStoresNothing) {
    // A settings string with an upper-case parity letter selects no parity.
    PortSelections s = LoadPropertySettings("4800,N,8,1", 1, 0, false, ProtocolKind::Ascii);
    EXPECT_FALSE(Apply(s));  // no parity selected: "4800,,8,1"
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "通信設定が正しくありません。(4800,,8,1)");
    EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(std::filesystem::exists(UserStore::FilePath()));
}

TEST_F(PortPropertiesTest, HandWrittenValuesWithCommasAreReadWhole) {
    // As a user edits the per-user file: no quotes around a value with commas.
    std::filesystem::create_directories(std::filesystem::path(UserStore::FilePath()).parent_path());
    WriteBytes(UserStore::FilePath(),
               "[Properties]\nSettings=9600,n,8,1\nCommPort=2\nMType=B\n\n[Ports]\n"
               "2=/tmp/a,b\n");
    UserProperties stored = UserStore::Read();
    EXPECT_EQ(stored.Settings, "9600,n,8,1");
    EXPECT_EQ(stored.CommPort, 2);
    EXPECT_EQ(stored.MType, "B");
    EXPECT_EQ(UserStore::PortDevice(2), "/tmp/a,b");

    RecordingMessenger again;
    Session next(again, UserDataPath, home.programFolder());
    ASSERT_TRUE(next.Start("", stored));
    EXPECT_EQ(next.port().Settings, "9600,n,8,1");
}

TEST_F(PortPropertiesTest, TheBinaryProtocolIsKeptForTheNextStart) {
    PortSelections s = LoadPropertySettings("9600,e,7,2", 1, 1, false, ProtocolKind::Ascii);
    s.binary = true;
    ASSERT_TRUE(Apply(s));
    EXPECT_EQ(session.protocol(), ProtocolKind::Binary);
    EXPECT_EQ(UserStore::Read().MType, "B");
    EXPECT_EQ(UserStore::Read().Handshaking, 1);

    RecordingMessenger again;
    Session next(again, UserDataPath, home.programFolder());
    ASSERT_TRUE(next.Start("", UserStore::Read()));
    EXPECT_EQ(next.protocol(), ProtocolKind::Binary);
    EXPECT_EQ(next.port().Settings, "9600,E,7,2");
}

TEST_F(PortPropertiesTest, ChangingOnlyTheProtocolReopensAnOpenPort) {
    MachineSim machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    ASSERT_TRUE(port.open());
    PortSelections s = LoadPropertySettings("4800,n,8,1", 1, 0, false, ProtocolKind::Ascii);
    s.binary = true;
    ASSERT_TRUE(Apply(s));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(shownStates, (std::vector<bool>{true, true}));  // reopened, then the new settings
}

TEST_F(PortPropertiesTest, APortThatCannotReopenFallsBackAndStaysClosed) {
    MachineSim machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    ASSERT_TRUE(port.open());
    PortSelections s = LoadPropertySettings("4800,n,8,1", 1, 0, false, ProtocolKind::Ascii);
    s.port = 4;
    s.device = (home.root() / "gone").string();
    EXPECT_FALSE(Apply(s));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(session.ini().COMNo, "5");                // kept, as the dialog always did
    EXPECT_EQ(UserStore::PortDevice(5), "/dev/ttyS4");  // the new device was not kept
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_NE(messenger.shown[0].text.find("COM5"), std::string::npos);
}

TEST_F(PortPropertiesTest, ANewDeviceForThePortIsKeptAndUsed) {
    MachineSim first;
    MachineSim second;
    ASSERT_TRUE(UserStore::SetPortDevice(1, first.path()));
    ASSERT_TRUE(port.open());
    PortSelections s = LoadPropertySettings("4800,n,8,1", 1, 0, false, ProtocolKind::Ascii);
    s.device = second.path();
    ASSERT_TRUE(Apply(s));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(UserStore::PortDevice(1), second.path());
    ASSERT_TRUE(port.write("x"));
    EXPECT_TRUE(second.WaitReceived(1));
}

}  // namespace
}  // namespace kablos
