#pragma once

// The rules of the port settings dialog, without widgets: how the dialog reads the port's
// settings string into its boxes, and what OK applies and keeps.

#include <functional>
#include <string>
#include <vector>

#include "SerialPort.h"
#include "Session.h"

namespace kablos {

/// The lists of the dialog's boxes.
const std::vector<std::string>& SpeedList();
const std::vector<std::string>& DataBitsList();
const std::vector<std::string>& ParityList();  ///< "Even", "Odd", "None", "Mark", "Space"
const std::vector<std::string>& StopBitsList();
inline constexpr int kPortCount = 16;  ///< "Com1" to "Com16"

/// What the dialog shows.
struct PortSelections {
    std::string speed;     ///< speed box text
    int parity = -1;       ///< index in ParityList, -1 none
    std::string dataBits;  ///< data bits box text
    std::string stopBits;  ///< stop bits box text
    int port = -1;         ///< index in the port list (port number - 1), -1 none
    int flow = 0;          ///< handshake mode 0 to 3
    bool echo = false;
    bool binary = false;
    std::string device;  ///< the device of the chosen port number
    bool operator==(const PortSelections&) const = default;
};

/// Reads the port's settings string into the boxes the way the dialog always has: the parity
/// letter is recognised in lower case only ("4800,n,8,1" selects None, "4800,N,8,1" selects
/// nothing). A port number outside 1 to 16 selects no port.
PortSelections LoadPropertySettings(const std::string& settings, int commPort, int handshaking,
                                    bool echo, ProtocolKind protocol);

/// The settings string OK builds: trimmed speed, the parity's first letter (empty without a
/// selection), trimmed data bits and stop bits, joined by commas.
std::string BuildSettingsString(const PortSelections& selections);

/// OK: applies the selections to the session and the port and keeps them in the per-user store.
/// Returns false when the dialog must stay open (the message has been shown). `showPortState`
/// tells the main window the port's state after a reopen.
bool ApplyPortProperties(const PortSelections& selections, Session& session, SerialPort& port,
                         const std::function<void(bool open)>& showPortState);

}  // namespace kablos
