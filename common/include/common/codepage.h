#pragma once

// Conversion between the internal UTF-8 text and the process-wide "ANSI" code page in which the
// system's files, the maker's interfaces and the serial line carry text.
//
// The code page is CP932 (Japanese Shift_JIS, as Windows writes it) unless the environment
// variable ANSI_CODEPAGE names another iconv encoding when the process first converts, or
// SetProcessCodePage() chooses one. Conversions are done by iconv.

#include <optional>
#include <string>
#include <string_view>

namespace common {

/// The iconv name of the process code page ("CP932" by default).
const std::string& ProcessCodePage();

/// Chooses the process code page; returns false (and keeps the old one) when iconv does not
/// know the name.
bool SetProcessCodePage(std::string_view iconvName);

/// UTF-8 to the process code page. A character the code page cannot represent, and a byte that
/// is not valid UTF-8, becomes the code page's replacement character "?".
std::string ToCodePage(std::string_view utf8);

/// Process code page to UTF-8, or nothing when the bytes are not valid in the code page.
std::optional<std::string> FromCodePage(std::string_view bytes);

/// Process code page to UTF-8; a byte sequence that is not valid in the code page becomes
/// U+FFFD, so nothing read is ever dropped silently.
std::string FromCodePageLossy(std::string_view bytes);

}  // namespace common
