#pragma once

// The per-user settings store of KABLOS: the values "Settings", "CommPort", "Handshaking",
// "Echo" and "MType" in section "Properties" of the application "電線処理ダイアログ" of
// organisation "Brindlex". On Linux this is the INI file
// $XDG_CONFIG_HOME/Brindlex/電線処理ダイアログ.ini (normally under ~/.config), kept by QSettings.
// Its section "Ports" maps port numbers to serial devices.
// This class is the only one that touches that file.

#include <optional>
#include <string>

namespace kablos {

/// The per-user values as start-up reads them; a value the store does not hold, or one that
/// does not convert, is empty.
struct UserProperties {
    std::optional<std::string> Settings;  ///< port settings string, "9600,n,8,1"
    std::optional<int> CommPort;          ///< port number
    std::optional<int> Handshaking;       ///< handshake mode 0 to 3
    std::optional<bool> Echo;             ///< echo of typed keys in the terminal box
    std::string MType;                    ///< "B" binary protocol, "A" ASCII, empty: unset

    bool operator==(const UserProperties&) const = default;
};

class UserStore {
public:
    /// Reads the five values.
    static UserProperties Read();

    /// Writes the five values as the port settings dialog keeps them: the numbers as decimal
    /// text, Echo as "True" or "False". Returns false when the store could not be written.
    [[nodiscard]] static bool Write(const std::string& settings, int commPort, int handshaking,
                                    bool echo, const std::string& mtype);

    /// The device of a port number: section "Ports", key "1" to "16", of the same file; a number
    /// without an entry is "/dev/ttyS" followed by the number minus one.
    static std::string PortDevice(int number);
    /// Sets the device of a port number; an empty path removes the entry.
    [[nodiscard]] static bool SetPortDevice(int number, const std::string& device);

    /// The file behind the store, for messages and documentation.
    static std::string FilePath();
};

}  // namespace kablos
