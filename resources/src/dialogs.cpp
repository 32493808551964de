#include "messages/dialogs.h"

#include <array>
#include <fstream>
#include <sstream>

namespace messages {

namespace {

constexpr std::array<std::string_view, 8> kKinds = {"static", "edit",  "button", "check",
                                                    "radio",  "combo", "list",   "grid"};

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

// A whole number of at most 9 digits with an optional "-"; false otherwise.
bool ReadNumber(std::string_view text, int& value) {
    bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    value = 0;
    for (char digit : text)
        value = value * 10 + (digit - '0');
    if (negative)
        value = -value;
    return true;
}

}  // namespace

bool IsControlKind(std::string_view kind) {
    for (std::string_view known : kKinds)
        if (known == kind)
            return true;
    return false;
}

std::optional<DialogTable> DialogTable::Parse(std::string_view text, std::string_view source,
                                              std::string* error) {
    std::size_t lineNumber = 0;
    auto fail = [&](const std::string& what) -> std::optional<DialogTable> {
        if (error != nullptr) {
            std::ostringstream message;
            message << source << ':' << lineNumber << ": " << what;
            *error = message.str();
        }
        return std::nullopt;
    };
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    DialogTable table;
    DialogTemplate* open = nullptr;
    int nextStatic = -1;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string_view> fields = SplitTabs(line);
        const std::string shown(line.substr(0, 40));
        if (fields[0] == "DIALOG") {
            if (open != nullptr)
                return fail("the dialog " + std::to_string(open->id) + " has no END");
            int id = 0;
            if (fields.size() != 3 || !ReadNumber(fields[1], id) || id <= 0)
                return fail("expected DIALOG, a tab, the dialog id, a tab and the title, found \"" +
                            shown + "\"");
            DialogTemplate dialog;
            dialog.id = id;
            std::string escapeError;
            if (!UnescapeTableText(fields[2], dialog.title, escapeError))
                return fail(escapeError + " in the title of dialog " + std::to_string(id));
            const auto [where, added] = table.m_dialogs.emplace(id, std::move(dialog));
            if (!added)
                return fail("the dialog " + std::to_string(id) + " is given twice");
            open = &where->second;
            nextStatic = -1;
            continue;
        }
        if (fields[0] == "END") {
            if (open == nullptr || fields.size() != 1)
                return fail("END without its DIALOG line");
            open = nullptr;
            continue;
        }
        if (open == nullptr)
            return fail("a control outside a dialog: \"" + shown + "\"");
        if (!IsControlKind(fields[0]))
            return fail("unknown control kind \"" + std::string(fields[0]) + "\"");
        if (fields.size() < 2 || fields.size() > 4)
            return fail(
                "expected the kind, the id, the text and the options (tab-separated), "
                "found \"" +
                shown + "\"");
        ControlTemplate control;
        control.kind = std::string(fields[0]);
        if (fields[1].empty() && control.kind == "static") {
            control.id = nextStatic--;
        } else if (!ReadNumber(fields[1], control.id) || control.id <= 0) {
            return fail("the control id \"" + std::string(fields[1]) + "\" is not a number");
        }
        for (const ControlTemplate& other : open->controls)
            if (other.id == control.id)
                return fail("the control " + std::to_string(control.id) + " of dialog " +
                            std::to_string(open->id) + " is given twice");
        if (fields.size() > 2) {
            std::string escapeError;
            if (!UnescapeTableText(fields[2], control.text, escapeError))
                return fail(escapeError + " in the text of control " + std::to_string(control.id));
        }
        if (fields.size() > 3) {
            std::string_view options = fields[3];
            while (!options.empty()) {
                const std::size_t comma = options.find(',');
                const std::string_view option = options.substr(0, comma);
                options = comma == std::string_view::npos ? std::string_view()
                                                          : options.substr(comma + 1);
                const std::size_t x = option.find('x');
                if (option == "hidden") {
                    control.visible = false;
                } else if (option == "disabled") {
                    control.enabled = false;
                } else if (option.starts_with("group=") &&
                           ReadNumber(option.substr(6), control.group)) {
                } else if (option.starts_with("size=") && x != std::string_view::npos &&
                           ReadNumber(option.substr(5, x - 5), control.width) &&
                           ReadNumber(option.substr(x + 1), control.height) && control.width >= 0 &&
                           control.height >= 0) {
                } else {
                    return fail("unknown option \"" + std::string(option) + "\" of control " +
                                std::to_string(control.id));
                }
            }
        }
        open->controls.push_back(std::move(control));
    }
    if (open != nullptr)
        return fail("the dialog " + std::to_string(open->id) + " has no END");
    return table;
}

std::optional<DialogTable> DialogTable::Load(const std::filesystem::path& folder,
                                             std::string_view module, Language language,
                                             std::string* error) {
    const std::filesystem::path path =
        folder / (std::string(module) + ".dialogs." + std::string(LanguageTag(language)) + ".txt");
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error != nullptr)
            *error = path.string() + ": the dialog templates cannot be read";
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return Parse(bytes.str(), path.string(), error);
}

const DialogTemplate* DialogTable::Find(int id) const {
    const auto found = m_dialogs.find(id);
    return found == m_dialogs.end() ? nullptr : &found->second;
}

}  // namespace messages
