#pragma once

// ZELKONUM: the natural text comparison every sort of names and terminal numbers uses, and the
// text buffer that holds a text both in the process code page and as the system's own text.

#include <string>
#include <string_view>

namespace zelko {

/// Orders two texts as a person reads them: runs of the digits 0-9 compare by their numeric
/// value ("2" before "10", "X9" before "X10"), of any length without overflow; everything else
/// compares character by character without regard to case (Unicode simple case mapping).
/// Digits sort before other characters at the same position. When two texts tie in that
/// order, a run with fewer leading zeros comes first ("1" before "01"), so only texts equal
/// apart from case compare 0. Returns negative, zero or positive.
int NaturalCompare(std::string_view a, std::string_view b);

/// A text held in two forms: the process code page (the "narrow" texts the maker's files and
/// TERVO's output carry) and the system's own UTF-8 text (what the Windows system holds as
/// UTF-16). Each assignment converts to the other form at once.
class StrBuf {
public:
    StrBuf() = default;
    /// From UTF-8 text.
    explicit StrBuf(std::string_view text) { SetText(text); }

    void SetText(std::string_view utf8);
    /// From code-page bytes; bytes that are not valid in the code page become U+FFFD in the
    /// UTF-8 form, so nothing is dropped silently.
    void SetNarrow(std::string_view codePage);

    const std::string& Text() const { return m_text; }
    const std::string& Narrow() const { return m_narrow; }
    bool Empty() const { return m_text.empty(); }

private:
    std::string m_text;
    std::string m_narrow;
};

}  // namespace zelko
