#pragma once

// Small text helpers over UTF-8 strings, written once for every deliverable.

#include <string>
#include <string_view>
#include <vector>

namespace common {

/// `text` without blanks and tabs at both ends.
std::string_view Trim(std::string_view text);

/// The pieces of `text` between the separators; n separators give n + 1 pieces, empty ones
/// included ("a\t\tb" gives "a", "", "b"; "" gives one empty piece).
std::vector<std::string_view> Split(std::string_view text, char separator);

/// The lines of `text`. A line ends at CR LF, at LF or at a lone CR; a final line without an end
/// counts, an end at the very end of the text opens no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

/// `text` cut after `maxChars` characters; a UTF-8 sequence is kept whole or left out whole.
std::string_view TruncateChars(std::string_view text, std::size_t maxChars);

/// Text files of the system end every line with CR LF.
inline constexpr std::string_view kLineEnd = "\r\n";

/// Appends `line` and CR LF to `out`.
inline void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kLineEnd);
}

/// Case-insensitive comparison of two UTF-8 texts, character by character with the Unicode
/// simple case mapping (so "Ａ" equals "ａ" and "É" equals "é"). Returns <0, 0 or >0 like strcmp;
/// an invalid UTF-8 byte compares by its byte value.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
}

/// `text` in upper case with the Unicode simple case mapping.
std::string ToUpper(std::string_view text);

}  // namespace common
