#pragma once

// The settings file KABLOS.ini: the program's header, its environment values and the strip and
// cutter environment tables, in memory and on disk.
//
// On disk the file is text in the process code page (Shift_JIS) with CR LF line ends, in
// sections that start with "//Header", "//ProgramEnv", "//CutterEnv" or "//StripEnv" and end
// with "//end"; fields are separated by tabs. ReadIniFile accepts LF and lone CR line ends too.
//
// In memory every table holds exactly its counted elements: an environment list of n
// environments is a vector of size n, and an editor appends with push_back. (Files written by
// earlier versions kept a spare element behind the last one; nothing of it reaches the file.)

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Messenger.h"

namespace kablos {

/// One row of a strip environment: the strip lengths for a terminal type and a wire-size range.
struct StripRow {
    std::string TermType;  ///< terminal type, matched as a prefix
    std::string SizeFrom;  ///< lowest wire size
    std::string SizeTo;    ///< highest wire size
    std::string StripLen;  ///< strip length (剥き), mm
    std::string SemiLen;   ///< half-strip length (先セミ), mm

    /// Only rows whose five texts are all non-empty are written to the file.
    bool IsComplete() const;
    bool operator==(const StripRow&) const = default;
};

struct StripEnvironment {
    std::string EnvName;
    std::string CutCnt = "1";  ///< the machine's piece count, a whole number of at least 1
    std::int16_t WtkFlag = 0;  ///< 1: jumper and special wires are shown in the wire list
    std::vector<StripRow> Rows;
    bool operator==(const StripEnvironment&) const = default;
};

struct CutterRow {
    std::string WireKind;     ///< 電線種類
    std::string WireSize;     ///< 電線サイズ
    std::string RollerSpeed;  ///< ローラー速度
    std::string CutterSpeed;  ///< カッター速度
    std::string WireDia;      ///< 線径
    std::string YBack;        ///< Yバック

    /// Only rows whose six texts are all non-empty are written to the file.
    bool IsComplete() const;
    bool operator==(const CutterRow&) const = default;
};

/// Everything KABLOS.ini holds.
struct IniData {
    // //Header
    std::string Title;     ///< carried through unchanged
    std::string MakeDate;  ///< carried through unchanged
    std::string UpDate;    ///< time stamp of the last save
    // //ProgramEnv
    std::string DataPath;    ///< folder of the last opened casting data file
    std::string COMNo;       ///< machine link switch and port number; numeric value 0 = no machine
    std::int16_t EnvNo = 0;  ///< index of the strip environment in use
    std::string PrintFile;   ///< spreadsheet template last chosen for printing
    std::int32_t ZanWLen = 0;     ///< wire left on the reel, mm
    std::int32_t CutWLen = 0;     ///< wire processed so far, mm
    std::int16_t ZanWLenFlg = 0;  ///< 1: remaining-wire tracking on

    std::vector<StripEnvironment> StripEnv;
    std::vector<CutterRow> CutterEnv;

    bool operator==(const IniData&) const = default;
};

/// The strip environment EnvNo names; nothing when it names none.
const StripEnvironment* EnvironmentInUse(const IniData& data);

/// Outcome of parsing the text of a settings file.
struct IniParseResult {
    bool ok = true;
    int line = 0;        ///< line of the failure, from 1
    std::string reason;  ///< the failure in words
};

/// Parses UTF-8 settings text into `data`. The tables are rebuilt from scratch; a header or
/// environment value that the text does not name keeps its value in `data`. `onNameless` is
/// called for each "//StripEnv" line without field 1 (an empty field 1 is an empty name and
/// reports nothing). On failure `data` holds what was read up to the failing line.
IniParseResult ParseIniText(std::string_view text, IniData& data,
                            const std::function<void()>& onNameless);

/// The UTF-8 text of the settings file for `data`, with `updateStamp` as UpDate.
std::string FormatIniText(const IniData& data, std::string_view updateStamp);

/// "YYYY/MM/DD HH:MM:SS" in local time, the form of UpDate.
std::string FormatUpdateStamp(std::chrono::system_clock::time_point when);

/// Owner of the settings file and of the settings in memory.
class SettingsFile {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    /// `userDataPath` gives the per-user data folder (UserDataPath in the program); the program
    /// folder holds the copy that a first start takes over.
    SettingsFile(std::function<std::filesystem::path()> userDataPath,
                 std::filesystem::path programFolder, Messenger& messenger,
                 Clock clock = std::chrono::system_clock::now);

    IniData& data() { return m_data; }
    const IniData& data() const { return m_data; }

    /// Loads KABLOS.ini from the per-user data folder (`fromUserFolder`) or from the program
    /// folder. Returns true on failure, false on success; a failed load leaves the settings in
    /// memory as they were. Shows only the nameless-environment warning; callers report the rest.
    [[nodiscard]] bool ReadIniFile(bool fromUserFolder);

    /// Replaces KABLOS.ini in the per-user data folder with the settings in memory, with a new
    /// UpDate. Returns true on failure, false on success; a failed write leaves the previous file
    /// as it was.
    [[nodiscard]] bool WriteIniFile();

    /// The last failure of ReadIniFile or WriteIniFile in words, for logs.
    const std::string& lastError() const { return m_lastError; }

    std::filesystem::path userFolder() const { return m_userDataPath(); }
    std::filesystem::path userFile() const;
    std::filesystem::path programFile() const;

private:
    std::function<std::filesystem::path()> m_userDataPath;
    std::filesystem::path m_programFolder;
    Messenger& m_messenger;
    Clock m_clock;
    IniData m_data;
    std::string m_lastError;
};

}  // namespace kablos
