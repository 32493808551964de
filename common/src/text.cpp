#include "common/text.h"

#include <locale.h>
#include <wctype.h>

namespace common {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The C.UTF-8 locale gives the Unicode case mappings whatever locale the process runs in.
locale_t Utf8Locale() {
    static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one character at `pos` and advances `pos`; a malformed byte yields kInvalid - byte so
// that it still orders by its value.
char32_t Decode(std::string_view s, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char lead = byte(pos);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                         : lead >= 0xE0                 ? 3
                         : lead >= 0xC2                 ? 2
                                                        : 0;
    if (length == 1) {
        ++pos;
        return lead;
    }
    if (length == 0 || pos + length > s.size()) {
        ++pos;
        return kInvalid - lead;
    }
    char32_t cp = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kInvalid - lead;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return cp;
}

void Encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t Lower(char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c > 0x10FFFF)
        return c;
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), Utf8Locale()));
}

char32_t Upper(char32_t c) {
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 32 : c;
    if (c > 0x10FFFF)
        return c;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), Utf8Locale()));
}

}  // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view TruncateChars(std::string_view text, std::size_t maxChars) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;  // a continuation byte belongs to the character before
        if (count == maxChars)
            return text.substr(0, i);
        ++count;
    }
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t ca = Lower(Decode(a, i));
        char32_t cb = Lower(Decode(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

std::string ToUpper(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        char32_t c = Decode(text, i);
        if (c > 0x10FFFF) {
            out.append(text.substr(start, i - start));
        } else {
            Encode(Upper(c), out);
        }
    }
    return out;
}

}  // namespace common
