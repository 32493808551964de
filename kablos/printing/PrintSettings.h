#pragma once

// What the print dialog collects for one print: the page mode, the page ranges and the number
// of copies, read from the dialog's texts as the dialog has always read them.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace kablos::printing {

struct PageRange {
    std::int16_t from = 0;
    std::int16_t to = 0;  ///< 0: up to the last page
    bool operator==(const PageRange&) const = default;
};

struct PrintSettings {
    bool allPages = true;
    std::vector<PageRange> ranges;
    std::int16_t copies = 1;
};

enum class ParseStatus { Ok, Empty, Invalid };

/// The page ranges of the page text: items separated by "," (empty ones left out), each a
/// number n (the range n to n) or "from-to" (a to that is not a number, or missing, means up to
/// the last page; parts after a second "-" are ignored). Numbers are decimal and rounded half to
/// even. Empty text gives Empty; an item whose first part is not a number, or a number beyond
/// the 16-bit range, gives Invalid.
ParseStatus ParsePageRanges(std::string_view text, std::vector<PageRange>& ranges);

/// The number of copies of the copies text, rounded half to even.
ParseStatus ParseCopies(std::string_view text, std::int16_t& copies);

/// The dialog's messages for the two texts.
inline constexpr std::string_view kNoPageRange = "印刷ページ範囲を指定してください。";
inline constexpr std::string_view kBadPageRange = "印刷ページ範囲を指定が正しくありません。";
inline constexpr std::string_view kNoCopies = "印刷部数を指定してください。";
inline constexpr std::string_view kBadCopies = "印刷部数を指定が正しくありません｡ ";

}  // namespace kablos::printing
