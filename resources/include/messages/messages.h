#pragma once

// Messages by identifier: the string tables of the plug-ins (one UTF-8 file per module and
// language, see resources/README.md), the language that the locale selects, and the expansion
// of inserts in the two syntaxes the messages use: "%1", "%2!d!" (numbered inserts with an
// optional printf conversion between "!") and plain printf conversions ("%s", "%d").
//
// This library depends on nothing but the standard library, so a plug-in can carry it
// without bringing a second copy of the host's libraries.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace messages {

enum class Language { English, Japanese };

/// The language of the locale: Japanese when the first of LC_ALL, LC_MESSAGES and LANG that is
/// set and not empty starts with "ja", English otherwise.
Language LanguageFromLocale();

/// "en" or "ja", as in the table file names.
std::string_view LanguageTag(Language language);

/// One value for an insert: a text, a whole number or a real number.
class Arg {
public:
    Arg(const char* text) : m_kind(Kind::Text), m_text(text != nullptr ? text : "") {}
    Arg(std::string_view text) : m_kind(Kind::Text), m_text(text) {}
    Arg(const std::string& text) : m_kind(Kind::Text), m_text(text) {}
    Arg(int value) : m_kind(Kind::Integer), m_integer(value) {}
    Arg(long value) : m_kind(Kind::Integer), m_integer(value) {}
    Arg(long long value) : m_kind(Kind::Integer), m_integer(value) {}
    Arg(unsigned value) : m_kind(Kind::Integer), m_integer(value) {}
    Arg(unsigned long value) : m_kind(Kind::Integer), m_integer(static_cast<long long>(value)) {}
    Arg(double value) : m_kind(Kind::Real), m_real(value) {}

    enum class Kind { Text, Integer, Real };
    Kind kind() const { return m_kind; }
    const std::string& text() const { return m_text; }
    long long integer() const { return m_integer; }
    double real() const { return m_real; }

private:
    Kind m_kind;
    std::string m_text;
    long long m_integer = 0;
    double m_real = 0;
};

/// Expands the inserts of a message text as the system's message formatter does: "%1" to
/// "%99" insert that argument (as text), "%1!d!" formats it with the printf conversion between
/// the "!" ("d", "5d", "x", "s", "-10s", ".2f", "ld", "I64d"...); "%%" is "%", "%n" a line break
/// (CR LF), "%r" CR, "%t" a tab, "% ", "%." and "%!" the character itself, and "%0" ends the
/// text. An insert whose argument is missing stays as written, so the fault shows.
std::string FormatMessageText(std::string_view text, std::span<const Arg> args);
inline std::string FormatMessageText(std::string_view text, std::initializer_list<Arg> args) {
    return FormatMessageText(text, std::span<const Arg>(args.begin(), args.size()));
}

/// Expands printf conversions ("%s", "%d", "%5.2f", "%%") from `args` in order, for the texts
/// that are formatted like a format string. A conversion without an argument stays as written.
std::string FormatPrintf(std::string_view format, std::span<const Arg> args);
inline std::string FormatPrintf(std::string_view format, std::initializer_list<Arg> args) {
    return FormatPrintf(format, std::span<const Arg>(args.begin(), args.size()));
}

/// `text` cut after `maxChars` characters (UTF-8 sequences are kept whole).
std::string_view TruncateChars(std::string_view text, std::size_t maxChars);

/// The texts of one module in one language, by numeric id.
class StringTable {
public:
    /// Reads "<folder>/<module>.<language tag>.txt". Returns nothing and sets `error` (file,
    /// line and what was found) when the file cannot be read or is malformed.
    static std::optional<StringTable> Load(const std::filesystem::path& folder,
                                           std::string_view module, Language language,
                                           std::string* error = nullptr);
    /// Parses table text; `source` names it in errors.
    static std::optional<StringTable> Parse(std::string_view text, std::string_view source,
                                            std::string* error = nullptr);

    /// The text of `id`, or null when the table has none.
    const std::string* Find(std::uint32_t id) const;
    /// The text of `id`, empty when the table has none (as a failed string load gives).
    std::string Text(std::uint32_t id) const;
    const std::map<std::uint32_t, std::string>& Entries() const { return m_entries; }

private:
    std::map<std::uint32_t, std::string> m_entries;
};

/// The folder of the module (executable or shared library) file that holds `address`.
std::filesystem::path ModuleFolderOf(const void* address);

/// Reads the escapes of the table files (`\n`, `\r`, `\t`, `\\`) in `raw` into `value`; false
/// with `error` ("unknown escape ...") for any other backslash.
bool UnescapeTableText(std::string_view raw, std::string& value, std::string& error);

/// The folder in which the tables of the module (executable or shared library) that holds
/// `address` are: the "strings" folder beside that module's file.
std::filesystem::path StringsFolderOf(const void* address);

}  // namespace messages
