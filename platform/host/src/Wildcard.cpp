// The host's wildcard matching (acutWcMatchEx).

#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "host/aced.h"

namespace {

// Characters as code points, so that "?" matches one character of any script.
std::u32string Decode(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + static_cast<std::size_t>(length) > text.size())
            length = 1;
        char32_t code = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

bool IsDigit(char32_t c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

// Matches one pattern (no top-level commas) against `s` from the given positions.
bool Match(const std::u32string& p, std::size_t pi, const std::u32string& s, std::size_t si) {
    while (pi < p.size()) {
        const char32_t c = p[pi];
        if (c == '*') {
            for (std::size_t k = si; k <= s.size(); ++k)
                if (Match(p, pi + 1, s, k))
                    return true;
            return false;
        }
        if (si >= s.size())
            return false;
        const char32_t t = s[si];
        if (c == '`' && pi + 1 < p.size()) {
            if (p[pi + 1] != t)
                return false;
            pi += 2;
        } else if (c == '?') {
            ++pi;
        } else if (c == '#') {
            if (!IsDigit(t))
                return false;
            ++pi;
        } else if (c == '@') {
            if (!IsAlpha(t))
                return false;
            ++pi;
        } else if (c == '.') {
            if (IsAlpha(t) || IsDigit(t))
                return false;
            ++pi;
        } else if (c == '[') {
            std::size_t k = pi + 1;
            bool negate = false;
            if (k < p.size() && p[k] == '~') {
                negate = true;
                ++k;
            }
            bool found = false;
            const std::size_t first = k;
            while (k < p.size() && (p[k] != ']' || k == first)) {
                if (k + 2 < p.size() && p[k + 1] == '-' && p[k + 2] != ']') {
                    found = found || (t >= p[k] && t <= p[k + 2]);
                    k += 3;
                } else {
                    found = found || t == p[k];
                    ++k;
                }
            }
            if (k >= p.size() || found == negate)
                return false;
            pi = k + 1;
        } else {
            if (c != t)
                return false;
            ++pi;
        }
        ++si;
    }
    return si == s.size();
}

}  // namespace

bool acutWcMatchEx(const ACHAR* string, const ACHAR* pattern, bool ignoreCase) {
    if (string == nullptr || pattern == nullptr)
        return false;
    const std::string s = ignoreCase ? common::ToUpper(string) : std::string(string);
    const std::string p = ignoreCase ? common::ToUpper(pattern) : std::string(pattern);
    const std::u32string text = Decode(s);
    const std::u32string all = Decode(p);
    // Split at commas that are not escaped.
    std::u32string piece;
    for (std::size_t i = 0; i <= all.size(); ++i) {
        if (i == all.size() || all[i] == ',') {
            bool negate = !piece.empty() && piece[0] == '~';
            const std::u32string body = negate ? piece.substr(1) : piece;
            if (Match(body, 0, text, 0) != negate)
                return true;
            piece.clear();
            continue;
        }
        if (all[i] == '`' && i + 1 < all.size()) {
            piece.push_back(all[i]);
            piece.push_back(all[++i]);
            continue;
        }
        piece.push_back(all[i]);
    }
    return false;
}
