#include "Registry.h"

#include <cstdlib>
#include <system_error>

#include "common/files.h"
#include "common/text.h"

namespace tervo {

namespace {

std::string KeyText(std::string_view key) {
    while (!key.empty() && key.back() == '\\') {
        key.remove_suffix(1);
    }
    return common::ToUpper(common::Trim(key));
}

}  // namespace

std::filesystem::path MachineSettingsFile() {
    const char* file = std::getenv("ZELKO_REGISTRY");
    return file != nullptr && *file != '\0' ? std::filesystem::path(file)
                                            : std::filesystem::path("/etc/zelko/registry.ini");
}

CRegistry::CRegistry(std::filesystem::path file) : m_file(std::move(file)) {}

CRegistry::~CRegistry() {
    Close();
}

void CRegistry::Close() {
    m_open = false;
    m_values.clear();
}

bool CRegistry::Open(std::string_view key, std::string_view mode) {
    Close();
    m_error.clear();
    if (mode != "r") {
        m_error = "the machine settings are opened for reading only";
        return false;
    }
    std::string bytes;
    if (auto ec = common::ReadWholeFile(m_file, bytes)) {
        if (ec != std::errc::no_such_file_or_directory) {
            m_error = "'" + m_file.string() + "': " + common::Describe(ec);
        }
        return false;
    }
    const std::string wanted = KeyText(key);
    bool inKey = false;
    bool found = false;
    std::size_t lineNo = 0;
    for (std::string_view line : common::SplitLines(bytes)) {
        ++lineNo;
        line = common::Trim(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                m_error =
                    m_file.string() + ":" + std::to_string(lineNo) + ": a key line ends with ']'";
                m_values.clear();
                return false;
            }
            inKey = KeyText(line.substr(1, line.size() - 2)) == wanted;
            found = found || inKey;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            m_error = m_file.string() + ":" + std::to_string(lineNo) +
                      ": expected name=value, found \"" + std::string(line) + "\"";
            m_values.clear();
            return false;
        }
        if (inKey) {
            m_values[common::ToUpper(common::Trim(line.substr(0, equals)))] =
                std::string(common::Trim(line.substr(equals + 1)));
        }
    }
    m_open = found;
    if (!found) {
        m_values.clear();
    }
    return found;
}

std::optional<std::uint32_t> CRegistry::ReadDword(std::string_view name) const {
    if (!m_open) {
        return std::nullopt;
    }
    auto found = m_values.find(common::ToUpper(name));
    if (found == m_values.end()) {
        return std::nullopt;
    }
    std::string_view value = found->second;
    constexpr std::string_view kPrefix = "dword:";
    if (value.size() <= kPrefix.size() || value.size() > kPrefix.size() + 8 ||
        !common::EqualsNoCase(value.substr(0, kPrefix.size()), kPrefix)) {
        return std::nullopt;
    }
    std::uint32_t result = 0;
    for (char c : value.substr(kPrefix.size())) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        result = result * 16 + static_cast<std::uint32_t>(digit);
    }
    return result;
}

}  // namespace tervo
