#include "services/numtext.h"

#include <cstring>

#include "common/codepage.h"
#include "common/text.h"

namespace zelko {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Length of the UTF-8 character starting at `text[at]`, cut to what is left.
std::size_t CharLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, text.size() - at);
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    int zerosDecide = 0;  // the first difference in leading zeros, used only on a tie
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && IsDigit(a[i])) {
                ++i;
            }
            while (j < b.size() && IsDigit(b[j])) {
                ++j;
            }
            std::size_t valueA = startA;
            std::size_t valueB = startB;
            while (valueA + 1 < i && a[valueA] == '0') {
                ++valueA;
            }
            while (valueB + 1 < j && b[valueB] == '0') {
                ++valueB;
            }
            const std::size_t lengthA = i - valueA;
            const std::size_t lengthB = j - valueB;
            if (lengthA != lengthB) {
                return lengthA < lengthB ? -1 : 1;
            }
            if (int order = std::memcmp(a.data() + valueA, b.data() + valueB, lengthA);
                order != 0) {
                return order < 0 ? -1 : 1;
            }
            if (zerosDecide == 0 && i - startA != j - startB) {
                zerosDecide = i - startA < j - startB ? -1 : 1;
            }
            continue;
        }
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            const char la = Lower(a[i]);
            const char lb = Lower(b[j]);
            if (la != lb) {
                return la < lb ? -1 : 1;
            }
            ++i;
            ++j;
            continue;
        }
        const std::size_t lengthA = CharLength(a, i);
        const std::size_t lengthB = CharLength(b, j);
        if (int order = common::CompareNoCase(a.substr(i, lengthA), b.substr(j, lengthB));
            order != 0) {
            return order < 0 ? -1 : 1;
        }
        i += lengthA;
        j += lengthB;
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return zerosDecide;
}

void StrBuf::SetText(std::string_view utf8) {
    m_text = utf8;
    m_narrow = common::ToCodePage(utf8);
}

void StrBuf::SetNarrow(std::string_view codePage) {
    m_narrow = codePage;
    m_text = common::FromCodePageLossy(codePage);
}

}  // namespace zelko
