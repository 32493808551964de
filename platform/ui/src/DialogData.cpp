#include "ui/DialogData.h"

#include <cstdlib>
#include <map>
#include <optional>

#include "common/files.h"
#include "common/text.h"

namespace ui {

namespace {

using Sections = std::map<std::string, std::map<std::string, std::string>, std::less<>>;

std::string Escape(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The store's sections; an absent file is an empty store. Nothing, with `error`, when the file
// exists and cannot be read or holds a line that is no section, value or comment.
std::optional<Sections> ReadStore(std::string* error) {
    const std::filesystem::path path = DialogDataLocation();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return Sections();
    std::string bytes;
    if (ec || (ec = common::ReadWholeFile(path, bytes))) {
        if (error != nullptr)
            *error =
                path.string() + ": the dialog data cannot be read (" + common::Describe(ec) + ")";
        return std::nullopt;
    }
    Sections sections;
    std::map<std::string, std::string>* section = nullptr;
    std::size_t number = 0;
    for (std::string_view line : common::SplitLines(bytes)) {
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = &sections[std::string(line.substr(1, line.size() - 2))];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (section == nullptr || equals == std::string_view::npos || equals == 0) {
            if (error != nullptr)
                *error = path.string() + ":" + std::to_string(number) +
                         ": the dialog data is damaged: \"" + std::string(line.substr(0, 40)) +
                         "\"";
            return std::nullopt;
        }
        (*section)[std::string(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
    }
    return sections;
}

}  // namespace

std::filesystem::path DialogDataLocation() {
    if (const char* file = std::getenv("CADHOST_DIALOG_DATA"); file != nullptr && *file != '\0')
        return file;
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        config = std::filesystem::path(home) / ".config";
    else
        config = "/tmp";
    return config / "cadhost" / "DialogData.ini";
}

bool GetDialogData(std::string_view dialog, std::string_view name, std::string& value,
                   std::string* error) {
    if (error != nullptr)
        error->clear();
    const std::optional<Sections> sections = ReadStore(error);
    if (!sections)
        return false;
    const auto section = sections->find(dialog);
    if (section == sections->end())
        return false;
    const auto found = section->second.find(std::string(name));
    if (found == section->second.end())
        return false;
    value = found->second;
    return true;
}

bool SetDialogData(std::string_view dialog, std::string_view name, std::string_view value,
                   std::string* error) {
    auto fail = [&](std::string why) {
        if (error != nullptr)
            *error = std::move(why);
        return false;
    };
    if (dialog.empty() || name.empty() ||
        dialog.find_first_of("[]\r\n") != std::string_view::npos ||
        name.find_first_of("=\r\n") != std::string_view::npos || name.front() == '[' ||
        name.front() == ';' || name.front() == '#')
        return fail("the dialog data name \"" + std::string(dialog) + "\" / \"" +
                    std::string(name) + "\" cannot be stored");
    std::optional<Sections> sections = ReadStore(error);
    if (!sections)
        return false;
    (*sections)[std::string(dialog)][std::string(name)] = std::string(value);
    std::string bytes;
    for (const auto& [section, values] : *sections) {
        bytes += "[" + section + "]\n";
        for (const auto& [key, text] : values)
            bytes += key + "=" + Escape(text) + "\n";
    }
    const std::filesystem::path path = DialogDataLocation();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (!ec)
        ec = common::WriteFileAtomically(path, bytes);
    if (ec)
        return fail(path.string() + ": the dialog data cannot be written (" + common::Describe(ec) +
                    ")");
    return true;
}

}  // namespace ui
