#pragma once

// CRegistry: the machine-wide settings that the Windows system keeps in the registry under
// HKEY_LOCAL_MACHINE, read from one settings file (see README.md):
//
//     # comment
//     [SOFTWARE\Brindlex\Parameters\BypassVerChk]
//     Tervo_SENSYU=dword:00000001
//
// Keys and value names compare without regard to case, a trailing "\" of a key is ignored;
// DWORD values are written "dword:" and up to 8 hexadecimal digits, as regedit exports them.
// The file is $ZELKO_REGISTRY, else /etc/zelko/registry.ini.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tervo {

/// The settings file: $ZELKO_REGISTRY when set and not empty, else /etc/zelko/registry.ini.
std::filesystem::path MachineSettingsFile();

class CRegistry {
public:
    explicit CRegistry(std::filesystem::path file = MachineSettingsFile());
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    /// Opens `key` for reading (mode "r"); false when the file or the key is missing, the
    /// file is malformed, or the mode is not "r" (the settings file is the administrator's:
    /// this system never writes it).
    bool Open(std::string_view key, std::string_view mode);
    void Close();

    /// The DWORD `name` of the open key; nothing when the key is not open, the value is
    /// missing or is not a DWORD.
    std::optional<std::uint32_t> ReadDword(std::string_view name) const;

    /// Why Open failed, in words (empty when the file or the key is simply missing).
    const std::string& Error() const { return m_error; }

private:
    std::filesystem::path m_file;
    bool m_open = false;
    std::map<std::string, std::string> m_values;  ///< upper-case name -> raw value text
    std::string m_error;
};

/// The key and value of the wire-kind columns setting.
inline constexpr std::string_view kBypassKey = "SOFTWARE\\Brindlex\\Parameters\\BypassVerChk\\";
inline constexpr std::string_view kWireKindValue = "Tervo_SENSYU";

}  // namespace tervo
