#include "messages/messages.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace messages {

Language LanguageFromLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return std::string_view(value).starts_with("ja") ? Language::Japanese
                                                             : Language::English;
    }
    return Language::English;
}

std::string_view LanguageTag(Language language) {
    return language == Language::Japanese ? "ja" : "en";
}

namespace {

// One printf conversion: flags, width and precision as written, and the conversion letter.
struct Conversion {
    std::string flagsWidthPrecision;
    char letter = 's';
};

// Reads a conversion without its "%" from the start of `spec`; length modifiers (h, l, ll, I64,
// I32, w, z, j, t, L) are accepted and dropped because every argument carries its own type.
// Returns the characters used, 0 when `spec` holds no conversion.
std::size_t ParseConversion(std::string_view spec, Conversion& out) {
    std::size_t i = 0;
    std::string head;
    while (i < spec.size() && std::string_view("-+ #0").find(spec[i]) != std::string_view::npos)
        head += spec[i++];
    while (i < spec.size() && spec[i] >= '0' && spec[i] <= '9')
        head += spec[i++];
    if (i < spec.size() && spec[i] == '.') {
        head += spec[i++];
        while (i < spec.size() && spec[i] >= '0' && spec[i] <= '9')
            head += spec[i++];
    }
    for (;;) {
        if (spec.substr(i).starts_with("I64") || spec.substr(i).starts_with("I32"))
            i += 3;
        else if (i < spec.size() &&
                 std::string_view("hlwzjtLq").find(spec[i]) != std::string_view::npos)
            ++i;
        else
            break;
    }
    if (i >= spec.size() ||
        std::string_view("diuoxXcsSeEfgGaA").find(spec[i]) == std::string_view::npos)
        return 0;
    out.flagsWidthPrecision = std::move(head);
    out.letter = spec[i];
    return i + 1;
}

long long AsInteger(const Arg& arg) {
    switch (arg.kind()) {
        case Arg::Kind::Integer:
            return arg.integer();
        case Arg::Kind::Real:
            return static_cast<long long>(arg.real());
        case Arg::Kind::Text:
            return std::strtoll(arg.text().c_str(), nullptr, 10);
    }
    return 0;
}

double AsReal(const Arg& arg) {
    switch (arg.kind()) {
        case Arg::Kind::Integer:
            return static_cast<double>(arg.integer());
        case Arg::Kind::Real:
            return arg.real();
        case Arg::Kind::Text:
            return std::strtod(arg.text().c_str(), nullptr);
    }
    return 0;
}

std::string AsText(const Arg& arg) {
    switch (arg.kind()) {
        case Arg::Kind::Integer:
            return std::to_string(arg.integer());
        case Arg::Kind::Real: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%g", arg.real());
            return buffer;
        }
        case Arg::Kind::Text:
            return arg.text();
    }
    return {};
}

std::string Apply(const Conversion& conversion, const Arg& arg) {
    std::string format = "%" + conversion.flagsWidthPrecision;
    const char letter = conversion.letter;
    int size = 0;
    std::string out(64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (letter) {
            case 'd':
            case 'i':
                size = std::snprintf(out.data(), out.size() + 1, (format + "lld").c_str(),
                                     AsInteger(arg));
                break;
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                size = std::snprintf(out.data(), out.size() + 1, (format + "ll" + letter).c_str(),
                                     static_cast<unsigned long long>(AsInteger(arg)));
                break;
            case 'c':
                if (arg.kind() == Arg::Kind::Text)
                    size = std::snprintf(out.data(), out.size() + 1, (format + "s").c_str(),
                                         arg.text().c_str());
                else
                    size = std::snprintf(out.data(), out.size() + 1, (format + "c").c_str(),
                                         static_cast<int>(AsInteger(arg)));
                break;
            case 's':
            case 'S':
                size = std::snprintf(out.data(), out.size() + 1, (format + "s").c_str(),
                                     AsText(arg).c_str());
                break;
            default:
                size = std::snprintf(out.data(), out.size() + 1, (format + letter).c_str(),
                                     AsReal(arg));
                break;
        }
        if (size < 0)
            return {};
        if (static_cast<std::size_t>(size) <= out.size())
            break;
        out.assign(static_cast<std::size_t>(size), '\0');
    }
    out.resize(static_cast<std::size_t>(size));
    return out;
}

}  // namespace

std::string FormatMessageText(std::string_view text, std::span<const Arg> args) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            out += c;
            ++i;
            continue;
        }
        const char next = text[i + 1];
        if (next == '0')
            break;
        if (next >= '1' && next <= '9') {
            std::size_t end = i + 2;
            unsigned number = static_cast<unsigned>(next - '0');
            if (end < text.size() && text[end] >= '0' && text[end] <= '9') {
                number = number * 10 + static_cast<unsigned>(text[end] - '0');
                ++end;
            }
            Conversion conversion;
            if (end < text.size() && text[end] == '!') {
                const std::size_t close = text.find('!', end + 1);
                Conversion parsed;
                if (close != std::string_view::npos &&
                    ParseConversion(text.substr(end + 1, close - end - 1), parsed) ==
                        close - end - 1) {
                    conversion = parsed;
                    end = close + 1;
                }
            }
            if (number <= args.size())
                out += Apply(conversion, args[number - 1]);
            else
                out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        switch (next) {
            case 'n':
                out += "\r\n";
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '%':
            case ' ':
            case '.':
            case '!':
                out += next;
                break;
            default:
                out += '%';
                out += next;
                break;
        }
        i += 2;
    }
    return out;
}

std::string FormatPrintf(std::string_view format, std::span<const Arg> args) {
    std::string out;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        Conversion conversion;
        const std::size_t length = ParseConversion(format.substr(i + 1), conversion);
        if (length == 0 || used >= args.size()) {
            out += c;
            ++i;
            continue;
        }
        out += Apply(conversion, args[used++]);
        i += 1 + length;
    }
    return out;
}

std::string_view TruncateChars(std::string_view text, std::size_t maxChars) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;  // continuation byte
        if (count == maxChars)
            return text.substr(0, i);
        ++count;
    }
    return text;
}

bool UnescapeTableText(std::string_view raw, std::string& value, std::string& error) {
    value.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            value += raw[i];
            continue;
        }
        const char escaped = i + 1 < raw.size() ? raw[i + 1] : '\0';
        switch (escaped) {
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case 't':
                value += '\t';
                break;
            case '\\':
                value += '\\';
                break;
            default:
                error = std::string("unknown escape \"\\") +
                        (escaped != '\0' ? std::string(1, escaped) : "") + "\"";
                return false;
        }
        ++i;
    }
    return true;
}

std::optional<StringTable> StringTable::Parse(std::string_view text, std::string_view source,
                                              std::string* error) {
    auto fail = [&](std::size_t line, const std::string& what) -> std::optional<StringTable> {
        if (error != nullptr) {
            std::ostringstream message;
            message << source << ':' << line << ": " << what;
            *error = message.str();
        }
        return std::nullopt;
    };
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    StringTable table;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return fail(lineNumber, "expected an id, a tab and the text, found \"" +
                                        std::string(line.substr(0, 40)) + "\"");
        const std::string_view idText = line.substr(0, tab);
        std::uint32_t id = 0;
        if (idText.empty() || idText.size() > 9 ||
            idText.find_first_not_of("0123456789") != std::string_view::npos)
            return fail(lineNumber, "the id \"" + std::string(idText) + "\" is not a number");
        for (char digit : idText)
            id = id * 10 + static_cast<std::uint32_t>(digit - '0');
        std::string value;
        std::string escapeError;
        if (!UnescapeTableText(line.substr(tab + 1), value, escapeError))
            return fail(lineNumber, escapeError + " in the text of " + std::string(idText) +
                                        " (write \\\\ for a backslash)");
        if (!table.m_entries.emplace(id, std::move(value)).second)
            return fail(lineNumber, "the id " + std::string(idText) + " is given twice");
    }
    return table;
}

std::optional<StringTable> StringTable::Load(const std::filesystem::path& folder,
                                             std::string_view module, Language language,
                                             std::string* error) {
    const std::filesystem::path path =
        folder / (std::string(module) + "." + std::string(LanguageTag(language)) + ".txt");
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error != nullptr)
            *error = path.string() + ": the string table cannot be read";
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return Parse(bytes.str(), path.string(), error);
}

const std::string* StringTable::Find(std::uint32_t id) const {
    const auto found = m_entries.find(id);
    return found == m_entries.end() ? nullptr : &found->second;
}

std::string StringTable::Text(std::uint32_t id) const {
    const std::string* text = Find(id);
    return text != nullptr ? *text : std::string();
}

std::filesystem::path ModuleFolderOf(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    std::filesystem::path module;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0 &&
        map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0') {
        module = map->l_name;
    } else {
        std::error_code ignored;
        module = std::filesystem::read_symlink("/proc/self/exe", ignored);
    }
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(module, ignored);
    return (absolute.empty() ? module : absolute).parent_path();
}

std::filesystem::path StringsFolderOf(const void* address) {
    return ModuleFolderOf(address) / "strings";
}

}  // namespace messages
