#include "SettingsFile.h"

#include <cmath>
#include <ctime>

#include "Texts.h"
#include "common/codepage.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

enum class Section { None, Header, ProgramEnv, CutterEnv, StripEnv };

constexpr std::string_view kHeader = "//Header";
constexpr std::string_view kProgramEnv = "//ProgramEnv";
constexpr std::string_view kCutterEnv = "//CutterEnv";
constexpr std::string_view kStripEnv = "//StripEnv";
constexpr std::string_view kEnd = "//end";

std::string Field(const std::vector<std::string_view>& fields, std::size_t i) {
    return i < fields.size() ? std::string(fields[i]) : std::string();
}

// The piece count of a strip header: the integer part of a numeric field when above 0, else 1.
std::string CutCntFrom(const std::vector<std::string_view>& fields) {
    if (fields.size() > 2) {
        if (auto value = common::ParseNumber(fields[2])) {
            double whole = std::trunc(*value);
            if (whole > 0 && whole <= 2147483647.0) {
                return std::to_string(static_cast<std::int32_t>(whole));
            }
        }
    }
    return "1";
}

// The wire-list flag of a strip header: the integer part of a numeric field, else 0.
std::int16_t WtkFlagFrom(const std::vector<std::string_view>& fields) {
    if (fields.size() > 3) {
        if (auto value = common::ParseNumber(fields[3])) {
            double whole = std::trunc(*value);
            if (whole >= -32768.0 && whole <= 32767.0) {
                return static_cast<std::int16_t>(whole);
            }
        }
    }
    return 0;
}

template <typename Int>
bool Convert(std::string_view text, Int& target, std::optional<Int> (*convert)(std::string_view)) {
    auto value = convert(text);
    if (!value)
        return false;
    target = *value;
    return true;
}

}  // namespace

const StripEnvironment* EnvironmentInUse(const IniData& data) {
    if (data.EnvNo < 0 || static_cast<std::size_t>(data.EnvNo) >= data.StripEnv.size())
        return nullptr;
    return &data.StripEnv[static_cast<std::size_t>(data.EnvNo)];
}

bool StripRow::IsComplete() const {
    return !TermType.empty() && !SizeFrom.empty() && !SizeTo.empty() && !StripLen.empty() &&
           !SemiLen.empty();
}

bool CutterRow::IsComplete() const {
    return !WireKind.empty() && !WireSize.empty() && !RollerSpeed.empty() && !CutterSpeed.empty() &&
           !WireDia.empty() && !YBack.empty();
}

IniParseResult ParseIniText(std::string_view text, IniData& data,
                            const std::function<void()>& onNameless) {
    data.StripEnv.clear();
    data.CutterEnv.clear();

    Section section = Section::None;
    StripEnvironment current;  // the environment being read; counted when its //end comes
    int lineNo = 0;
    auto fail = [&](std::string reason) {
        return IniParseResult{false, lineNo, std::move(reason)};
    };

    for (std::string_view line : common::SplitLines(text)) {
        ++lineNo;
        if (line.empty())
            continue;
        std::vector<std::string_view> fields = common::Split(line, '\t');
        std::string_view key = fields[0];

        // Section words switch directly; only //end closes, and only a closed strip
        // environment is counted.
        if (key == kStripEnv) {
            section = Section::StripEnv;
            current = StripEnvironment{};
            current.EnvName = Field(fields, 1);
            current.CutCnt = CutCntFrom(fields);
            current.WtkFlag = WtkFlagFrom(fields);
            // Only a line without field 1 is nameless; "//StripEnv" + tab + "" names an
            // environment with the empty name.
            if (fields.size() < 2 && onNameless)
                onNameless();
            continue;
        }
        if (key == kHeader || key == kProgramEnv || key == kCutterEnv) {
            section = key == kHeader       ? Section::Header
                      : key == kProgramEnv ? Section::ProgramEnv
                                           : Section::CutterEnv;
            continue;
        }
        if (key == kEnd) {
            if (section == Section::StripEnv)
                data.StripEnv.push_back(std::move(current));
            current = StripEnvironment{};
            section = Section::None;
            continue;
        }

        switch (section) {
            case Section::None:
                break;
            case Section::StripEnv:
                if (fields.size() < 5) {
                    return fail("a strip row needs five fields, this one has " +
                                std::to_string(fields.size()));
                }
                current.Rows.push_back(StripRow{Field(fields, 0), Field(fields, 1),
                                                Field(fields, 2), Field(fields, 3),
                                                Field(fields, 4)});
                break;
            case Section::CutterEnv:
                if (fields.size() >= 6) {
                    data.CutterEnv.push_back(CutterRow{Field(fields, 0), Field(fields, 1),
                                                       Field(fields, 2), Field(fields, 3),
                                                       Field(fields, 4), Field(fields, 5)});
                }
                break;
            case Section::Header:
                if (fields.size() < 2)
                    break;
                if (key == "Title")
                    data.Title = fields[1];
                if (key == "MakeDate")
                    data.MakeDate = fields[1];
                if (key == "UpDate")
                    data.UpDate = fields[1];
                break;
            case Section::ProgramEnv: {
                if (fields.size() < 2)
                    break;
                std::string_view value = fields[1];
                bool converted = true;
                if (key == "DataPath")
                    data.DataPath = value;
                if (key == "COMNo")
                    data.COMNo = value;
                if (key == "PrintFile")
                    data.PrintFile = value;
                if (key == "EnvNo")
                    converted = Convert(value, data.EnvNo, common::ToInt16);
                if (key == "ZanWLenFlg")
                    converted = Convert(value, data.ZanWLenFlg, common::ToInt16);
                if (key == "ZanWLen")
                    converted = Convert(value, data.ZanWLen, common::ToInt32);
                if (key == "CutWLen")
                    converted = Convert(value, data.CutWLen, common::ToInt32);
                if (!converted) {
                    return fail("the value \"" + std::string(value) + "\" of " + std::string(key) +
                                " is not a whole number in range");
                }
                break;
            }
        }
    }
    return {};
}

std::string FormatIniText(const IniData& data, std::string_view updateStamp) {
    std::string out;
    auto line = [&out](std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (std::string_view field : fields) {
            if (!first)
                out += '\t';
            out += field;
            first = false;
        }
        out += common::kLineEnd;
    };

    line({kHeader});
    line({"Title", data.Title});
    line({"MakeDate", data.MakeDate});
    line({"UpDate", updateStamp});
    line({kEnd});

    line({kProgramEnv});
    line({"DataPath", data.DataPath});
    line({"COMNo", data.COMNo});
    line({"EnvNo", std::to_string(data.EnvNo)});
    line({"PrintFile", data.PrintFile});
    line({"ZanWLenFlg", std::to_string(data.ZanWLenFlg)});
    line({"ZanWLen", std::to_string(data.ZanWLen)});
    line({"CutWLen", std::to_string(data.CutWLen)});
    line({kEnd});

    line({kCutterEnv});
    for (const CutterRow& row : data.CutterEnv) {
        if (row.IsComplete()) {
            line({row.WireKind, row.WireSize, row.RollerSpeed, row.CutterSpeed, row.WireDia,
                  row.YBack});
        }
    }
    line({kEnd});

    for (const StripEnvironment& env : data.StripEnv) {
        line({kStripEnv, env.EnvName, env.CutCnt, std::to_string(env.WtkFlag)});
        for (const StripRow& row : env.Rows) {
            if (row.IsComplete()) {
                line({row.TermType, row.SizeFrom, row.SizeTo, row.StripLen, row.SemiLen});
            }
        }
        line({kEnd});
    }
    return out;
}

std::string FormatUpdateStamp(std::chrono::system_clock::time_point when) {
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &local);
    return buffer;
}

SettingsFile::SettingsFile(std::function<std::filesystem::path()> userDataPath,
                           std::filesystem::path programFolder, Messenger& messenger, Clock clock)
    : m_userDataPath(std::move(userDataPath)),
      m_programFolder(std::move(programFolder)),
      m_messenger(messenger),
      m_clock(std::move(clock)) {}

std::filesystem::path SettingsFile::userFile() const {
    return m_userDataPath() / texts::kIniFileName;
}

std::filesystem::path SettingsFile::programFile() const {
    return m_programFolder / texts::kIniFileName;
}

bool SettingsFile::ReadIniFile(bool fromUserFolder) {
    std::filesystem::path path = fromUserFolder ? userFile() : programFile();
    std::string bytes;
    if (auto error = common::ReadWholeFile(path, bytes)) {
        m_lastError = path.string() + ": " + common::Describe(error);
        return true;
    }
    std::optional<std::string> text = common::FromCodePage(bytes);
    if (!text) {
        m_lastError =
            path.string() + ": the file is not valid " + common::ProcessCodePage() + " text";
        return true;
    }

    // Read into a copy so that a failed load changes nothing.
    IniData loaded = m_data;
    IniParseResult result = ParseIniText(*text, loaded, [this] {
        m_messenger.MsgBox(texts::kNamelessEnvironment, MsgButtons::Ok, MsgIcon::Warning);
    });
    if (!result.ok) {
        m_lastError =
            path.string() + ", line " + std::to_string(result.line) + ": " + result.reason;
        return true;
    }
    if (loaded.PrintFile.empty()) {
        loaded.PrintFile = m_userDataPath().string();
    }
    m_data = std::move(loaded);
    m_lastError.clear();
    return false;
}

bool SettingsFile::WriteIniFile() {
    std::string stamp = FormatUpdateStamp(m_clock());
    std::filesystem::path path = userFile();
    std::string bytes = common::ToCodePage(FormatIniText(m_data, stamp));
    if (auto error = common::WriteFileAtomically(path, bytes)) {
        m_lastError = path.string() + ": " + common::Describe(error);
        return true;
    }
    m_data.UpDate = std::move(stamp);
    m_lastError.clear();
    return false;
}

}  // namespace kablos
