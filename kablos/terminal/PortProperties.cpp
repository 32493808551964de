#include "PortProperties.h"

#include "UserStore.h"
#include "common/text.h"

namespace kablos {

const std::vector<std::string>& SpeedList() {
    static const std::vector<std::string> list = {
        "110",   "300",   "600",   "1200",  "2400",  "4800",   "9600",   "14400",
        "19200", "28800", "38400", "56000", "57600", "115200", "128000", "256000"};
    return list;
}

const std::vector<std::string>& DataBitsList() {
    static const std::vector<std::string> list = {"4", "5", "6", "7", "8"};
    return list;
}

const std::vector<std::string>& ParityList() {
    static const std::vector<std::string> list = {"Even", "Odd", "None", "Mark", "Space"};
    return list;
}

const std::vector<std::string>& StopBitsList() {
    static const std::vector<std::string> list = {"1", "1.5", "2"};
    return list;
}

PortSelections LoadPropertySettings(const std::string& s, int commPort, int handshaking, bool echo,
                                    ProtocolKind protocol) {
    PortSelections selections;
    const bool halfStop = s.find('.') != std::string::npos;
    const long k = halfStop ? 2 : 0;
    const long n = static_cast<long>(s.size());
    // Positions counted from 1, as the settings string is read; a string too short for them
    // leaves the boxes empty instead of reading outside it.
    auto at = [&](long position) -> std::string {
        return position >= 1 && position <= n ? s.substr(static_cast<std::size_t>(position - 1), 1)
                                              : "";
    };
    selections.speed = n - k - 6 > 0 ? s.substr(0, static_cast<std::size_t>(n - k - 6)) : "";
    const std::string parity = at(n - k - 4);
    const std::string letters = "eonms";
    if (parity.size() == 1 && letters.find(parity[0]) != std::string::npos) {
        selections.parity = static_cast<int>(letters.find(parity[0]));
    }
    selections.dataBits = at(n - k - 2);
    selections.stopBits =
        halfStop ? (n >= 3 ? s.substr(static_cast<std::size_t>(n - 3)) : s) : at(n);
    selections.port = commPort >= 1 && commPort <= kPortCount ? commPort - 1 : -1;
    selections.flow = handshaking >= 0 && handshaking <= 3 ? handshaking : 0;
    selections.echo = echo;
    selections.binary = protocol == ProtocolKind::Binary;
    selections.device = UserStore::PortDevice(commPort);
    return selections;
}

std::string BuildSettingsString(const PortSelections& selections) {
    std::string parity =
        selections.parity >= 0 && selections.parity < static_cast<int>(ParityList().size())
            ? ParityList()[static_cast<std::size_t>(selections.parity)].substr(0, 1)
            : "";
    return std::string(common::Trim(selections.speed)) + "," + parity + "," +
           std::string(common::Trim(selections.dataBits)) + "," +
           std::string(common::Trim(selections.stopBits));
}

bool ApplyPortProperties(const PortSelections& selections, Session& session, SerialPort& port,
                         const std::function<void(bool open)>& showPortState) {
    Messenger& messenger = session.messenger();
    session.setEcho(selections.echo);

    const int oldNumber = port.commPort();
    const int newNumber = selections.port + 1;
    session.ini().COMNo = std::to_string(newNumber);
    const ProtocolKind newProtocol = selections.binary ? ProtocolKind::Binary : ProtocolKind::Ascii;

    // A new device for the port number counts as a new port: it takes effect by reopening.
    const std::string oldDevice = UserStore::PortDevice(newNumber);
    const bool newDevice = !selections.device.empty() && selections.device != oldDevice;
    if (newDevice && !UserStore::SetPortDevice(newNumber, selections.device)) {
        messenger.Warn("ポートの設定を保存できません。(" + UserStore::FilePath() + ")");
        return false;
    }

    if (newNumber != oldNumber || newProtocol != session.protocol() || newDevice) {
        const bool wasOpen = port.isOpen();
        bool ok = !wasOpen || port.close();
        ok = ok && port.setCommPort(newNumber);
        if (ok && wasOpen) {
            ok = port.open();
            showPortState(port.isOpen());
        }
        if (!ok) {
            messenger.Warn(port.errorText());
            if (newDevice)
                (void)UserStore::SetPortDevice(newNumber, oldDevice);
            (void)port.setCommPort(oldNumber);
            if (wasOpen)
                showPortState(port.isOpen());
            return false;
        }
    }
    session.setProtocol(newProtocol);

    const std::string settings = BuildSettingsString(selections);
    if (!port.setSettings(settings)) {
        messenger.Warn(port.errorText());
        return false;
    }
    if (!port.setHandshaking(selections.flow)) {
        messenger.Warn(port.errorText());
        return false;
    }
    if (port.isOpen())
        showPortState(true);
    // The store keeps the string as OK built it ("4800,N,8,1"); the port reports the same
    // settings with the parity letter in lower case.
    if (!UserStore::Write(settings, port.commPort(), port.handshaking(), session.echo(),
                          newProtocol == ProtocolKind::Binary ? "B" : "A")) {
        messenger.Warn("ポートの設定を保存できません。(" + UserStore::FilePath() + ")");
    }
    return true;
}

}  // namespace kablos
