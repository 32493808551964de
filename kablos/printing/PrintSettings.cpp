#include "printing/PrintSettings.h"

#include "common/numbers.h"
#include "common/text.h"

namespace kablos::printing {
ParseStatus ParsePageRanges(std::string_view text, std::vector<PageRange>& ranges) {
    ranges.clear();
    if (text.empty())
        return ParseStatus::Empty;
    for (std::string_view item : common::Split(text, ',')) {
        if (item.empty())
            continue;
        std::vector<std::string_view> parts = common::Split(item, '-');
        std::optional<std::int16_t> from = common::ToInt16(parts[0]);
        if (!from) {
            ranges.clear();
            return ParseStatus::Invalid;
        }
        if (parts.size() == 1) {
            ranges.push_back({*from, *from});
        } else {
            std::optional<std::int16_t> to = common::ToInt16(parts[1]);
            if (!to && common::IsNumeric(parts[1])) {
                ranges.clear();
                return ParseStatus::Invalid;  // a number beyond the 16-bit range
            }
            ranges.push_back({*from, to.value_or(0)});
        }
    }
    return ParseStatus::Ok;
}

ParseStatus ParseCopies(std::string_view text, std::int16_t& copies) {
    if (text.empty())
        return ParseStatus::Empty;
    std::optional<std::int16_t> value = common::ToInt16(text);
    if (!value)
        return ParseStatus::Invalid;
    copies = *value;
    return ParseStatus::Ok;
}

}  // namespace kablos::printing
