// Tags: values, their text encoding, and reading and changing them inside one object.

#include <iconv.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/text.h"
#include "model.h"

namespace arx::detail {

// --- arena ---------------------------------------------------------------------------------------

std::string_view Arena::store(std::string_view text) {
    if (text.empty())
        return {};
    if (m_used + text.size() > m_capacity) {
        // Small first (a new object's own values), doubling up to 64 KiB blocks.
        std::size_t next = m_capacity == 0 ? 256 : std::min<std::size_t>(64 * 1024, m_capacity * 2);
        std::size_t size = std::max(next, text.size());
        m_blocks.push_back(std::make_unique<char[]>(size));
        m_used = 0;
        m_capacity = size;
    }
    char* at = m_blocks.back().get() + m_used;
    std::memcpy(at, text.data(), text.size());
    m_used += text.size();
    return {at, text.size()};
}

// --- text encoding -------------------------------------------------------------------------------

namespace {

iconv_t AsIconv(void* cd) {
    return static_cast<iconv_t>(cd);
}
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The length of the UTF-8 sequence at `s[i]` and its code point; 0 when invalid.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n;
    if (b < 0x80) {
        c = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        c = b & 0x1F;
        n = 2;
    } else if ((b & 0xF0) == 0xE0) {
        c = b & 0x0F;
        n = 3;
    } else if ((b & 0xF8) == 0xF0) {
        c = b & 0x07;
        n = 4;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        auto cb = static_cast<unsigned char>(s[i + k]);
        if ((cb & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (cb & 0x3F);
    }
    if ((n == 2 && c < 0x80) || (n == 3 && c < 0x800) || (n == 4 && c < 0x10000) || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

bool Hex4(std::string_view s, std::size_t i, unsigned& value) {
    if (i + 4 > s.size())
        return false;
    value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        int d = HexDigit(s[i + k]);
        if (d < 0)
            return false;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return true;
}

// Converts with iconv; bytes it cannot convert become U+FFFD (one per byte).
std::string ConvertToUtf8(iconv_t cd, std::string_view raw) {
    std::string out;
    out.reserve(raw.size() * 2);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(raw.data());
    std::size_t inLeft = raw.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: skip one byte.
            out.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

// One code point in a code page, or nothing.
bool ConvertCodePoint(iconv_t cd, char32_t c, std::string& out) {
    std::string utf8;
    AppendUtf8(utf8, c);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    char buffer[16];
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    if (iconv(cd, &in, &inLeft, &o, &oLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
        return false;
    // Flush any shift state.
    if (iconv(cd, nullptr, nullptr, &o, &oLeft) == static_cast<std::size_t>(-1))
        return false;
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    return true;
}

const char* MultibyteCodePage(char n) {
    switch (n) {
        case '1':
            return "CP932";
        case '2':
            return "CP950";
        case '3':
            return "CP949";
        case '4':
            return "JOHAB";
        case '5':
            return "CP936";
        default:
            return nullptr;
    }
}

}  // namespace

std::string ResolveUnicodeEscapes(std::string_view text) {
    if (text.find('\\') == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned value = 0;
        if (text[i] == '\\' && i + 2 < text.size() && (text[i + 1] == 'U' || text[i + 1] == 'u') &&
            text[i + 2] == '+' && Hex4(text, i + 3, value)) {
            // A surrogate pair written as two escapes.
            unsigned low = 0;
            if (value >= 0xD800 && value <= 0xDBFF && i + 13 < text.size() + 1 &&
                text.substr(i + 7, 3) == "\\U+" && Hex4(text, i + 10, low) && low >= 0xDC00 &&
                low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00));
                i += 14;
                continue;
            }
            if (value >= 0xD800 && value <= 0xDFFF)
                value = 0xFFFD;
            AppendUtf8(out, value);
            i += 7;
            continue;
        }
        if (text[i] == '\\' && i + 3 < text.size() && (text[i + 1] == 'M' || text[i + 1] == 'm') &&
            text[i + 2] == '+' && MultibyteCodePage(text[i + 3]) && Hex4(text, i + 4, value)) {
            iconv_t cd = iconv_open("UTF-8", MultibyteCodePage(text[i + 3]));
            if (cd != kNoIconv) {
                char bytes[2] = {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
                out += ConvertToUtf8(
                    cd, std::string_view(bytes, value > 0xFF ? 2 : 1).substr(value > 0xFF ? 0 : 1));
                iconv_close(cd);
                i += 8;
                continue;
            }
        }
        out.push_back(text[i]);
        ++i;
    }
    return out;
}

TextCodec::TextCodec() = default;

TextCodec::~TextCodec() {
    reset();
}

void TextCodec::reset() {
    if (m_toUtf8)
        iconv_close(AsIconv(m_toUtf8));
    if (m_fromUtf8)
        iconv_close(AsIconv(m_fromUtf8));
    m_toUtf8 = nullptr;
    m_fromUtf8 = nullptr;
}

void TextCodec::setUtf8() {
    reset();
    m_utf8 = true;
    m_name = "UTF-8";
}

bool TextCodec::setDrawingCodePage(std::string_view dwgCodePage) {
    std::string upper = common::ToUpper(Trimmed(dwgCodePage));
    std::string name;
    if (upper.rfind("ANSI_", 0) == 0)
        name = "CP" + upper.substr(5);
    else if (upper.rfind("DOS", 0) == 0)
        name = "CP" + upper.substr(3);
    else if (upper == "UTF-8" || upper == "UTF8")
        name = "UTF-8";
    else if (upper == "BIG5")
        name = "CP950";
    else if (upper == "GB2312")
        name = "CP936";
    else if (upper == "KSC5601")
        name = "CP949";
    else if (upper == "JOHAB")
        name = "JOHAB";
    else if (upper.rfind("ISO8859-", 0) == 0)
        name = "ISO-8859-" + upper.substr(8);
    bool known = !name.empty();
    if (known && name != "UTF-8") {
        iconv_t cd = iconv_open("UTF-8", name.c_str());
        known = cd != kNoIconv;
        if (known)
            iconv_close(cd);
    }
    reset();
    if (!known)
        name = "CP1252";
    m_utf8 = name == "UTF-8";
    m_name = name;
    return known;
}

std::string TextCodec::decode(std::string_view raw) const {
    bool ascii = true;
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii || m_utf8) {
        if (!ascii) {
            // Keep valid UTF-8, replace invalid bytes.
            std::string valid;
            valid.reserve(raw.size());
            for (std::size_t i = 0; i < raw.size();) {
                char32_t c;
                std::size_t n = DecodeUtf8(raw, i, c);
                if (n == 0) {
                    valid.append("\xEF\xBF\xBD");
                    ++i;
                } else {
                    valid.append(raw.substr(i, n));
                    i += n;
                }
            }
            return ResolveUnicodeEscapes(valid);
        }
        return ResolveUnicodeEscapes(raw);
    }
    if (!m_toUtf8) {
        iconv_t cd = iconv_open("UTF-8", m_name.c_str());
        if (cd == kNoIconv)
            return ResolveUnicodeEscapes(raw);
        m_toUtf8 = cd;
    }
    return ResolveUnicodeEscapes(ConvertToUtf8(AsIconv(m_toUtf8), raw));
}

std::string TextCodec::encode(std::string_view utf8) const {
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii || m_utf8)
        return std::string(utf8);
    if (!m_fromUtf8) {
        iconv_t cd = iconv_open(m_name.c_str(), "UTF-8");
        if (cd == kNoIconv)
            return std::string(utf8);
        m_fromUtf8 = cd;
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        std::size_t n = DecodeUtf8(utf8, i, c);
        if (n == 0) {
            out.push_back('?');
            ++i;
            continue;
        }
        i += n;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (!ConvertCodePoint(AsIconv(m_fromUtf8), c, out)) {
            auto escape = [&out](unsigned v) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "\\U+%04X", v & 0xFFFFu);
                out += buf;
            };
            if (c > 0xFFFF) {
                escape(0xD800 + ((c - 0x10000) >> 10));
                escape(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                escape(static_cast<unsigned>(c));
            }
        }
    }
    return out;
}

// --- values --------------------------------------------------------------------------------------

std::string_view Trimmed(std::string_view raw) {
    while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t'))
        raw.remove_prefix(1);
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r'))
        raw.remove_suffix(1);
    return raw;
}

double ParseReal(std::string_view raw, double fallback) {
    raw = Trimmed(raw);
    if (!raw.empty() && raw.front() == '+')
        raw.remove_prefix(1);
    double value = 0;
    auto [ptr, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
    if (ec != std::errc() || ptr == raw.data() || !std::isfinite(value))
        return fallback;
    return value;
}

long long ParseInt(std::string_view raw, long long fallback) {
    raw = Trimmed(raw);
    if (!raw.empty() && raw.front() == '+')
        raw.remove_prefix(1);
    long long value = 0;
    auto [ptr, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
    if (ec != std::errc() || ptr == raw.data()) {
        // Some writers put reals where integers belong.
        double real = ParseReal(raw, static_cast<double>(fallback));
        if (std::fabs(real) < 9e18)
            return static_cast<long long>(real);
        return fallback;
    }
    return value;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::uint64_t> ParseHandle(std::string_view raw) {
    raw = Trimmed(raw);
    if (raw.empty() || raw.size() > 16)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : raw) {
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(d);
    }
    return value;
}

std::string FormatReal(double value) {
    if (!std::isfinite(value))
        value = 0;
    if (value == 0)
        return "0.0";
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, ptr);
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    return text;
}

std::string FormatInt(long long value) {
    char buf[32];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, ptr);
}

std::string FormatHandle(std::uint64_t handle) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(handle));
    return buf;
}

bool IsTextCode(int c) {
    return (c >= 1 && c <= 4) || (c >= 6 && c <= 9) || c == 102 || (c >= 300 && c <= 309) ||
           (c >= 410 && c <= 419) || (c >= 430 && c <= 439) || (c >= 470 && c <= 479) || c == 999 ||
           (c >= 1000 && c <= 1003) || (c >= 1006 && c <= 1009);
}

bool IsHandleCode(int c) {
    return c == 5 || c == 105 || (c >= 320 && c <= 369) || (c >= 390 && c <= 399) || c == 480 ||
           c == 481 || c == 1005;
}

std::string_view CodeText(int code) {
    static const auto table = [] {
        std::vector<std::string> texts(1072);
        for (int c = 0; c < 1072; ++c) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%3d", c);
            texts[static_cast<std::size_t>(c)] = buf;
        }
        return texts;
    }();
    if (code >= 0 && code < 1072)
        return table[static_cast<std::size_t>(code)];
    static thread_local std::string other;
    other = FormatInt(code);
    return other;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() == b.size()) {
        bool ascii = true;
        for (std::size_t i = 0; i < a.size(); ++i) {
            auto ca = static_cast<unsigned char>(a[i]);
            auto cb = static_cast<unsigned char>(b[i]);
            if (ca >= 0x80 || cb >= 0x80) {
                ascii = false;
                break;
            }
            if (std::tolower(ca) != std::tolower(cb))
                return false;
        }
        if (ascii)
            return true;
    }
    return common::EqualsNoCase(a, b);
}

// --- tags inside one object ----------------------------------------------------------------------

std::size_t xdataStart(const AcDbStub& stub) {
    for (std::size_t i = 1; i < stub.tags.size(); ++i)
        if (stub.tags[i].code == 1001)
            return i;
    return stub.tags.size();
}

Range dataRange(const AcDbStub& stub) {
    return {1, xdataStart(stub)};
}

Range subclassRange(const AcDbStub& stub, std::string_view name, int nth) {
    const Tags& t = stub.tags;
    std::size_t end = xdataStart(stub);
    bool anyMarker = false;
    int seen = 0;
    for (std::size_t i = 1; i < end; ++i) {
        if (t[i].code != 100)
            continue;
        anyMarker = true;
        if (t[i].value() != name)
            continue;
        if (seen++ < nth)
            continue;
        std::size_t j = i + 1;
        while (j < end && t[j].code != 100)
            ++j;
        return {i + 1, j};
    }
    if (!anyMarker)
        return {1, end};
    // The marker is missing: an empty range at the end of the data.
    return {end, end};
}

long findTag(const AcDbStub& stub, Range range, int code) {
    // Skip application groups "{ ... }" of code 102.
    bool inGroup = false;
    for (std::size_t i = range.begin; i < range.end && i < stub.tags.size(); ++i) {
        const Tag& t = stub.tags[i];
        if (t.code == 102) {
            inGroup = !t.value().empty() && t.value().front() == '{';
            continue;
        }
        if (!inGroup && t.code == code)
            return static_cast<long>(i);
    }
    return -1;
}

Arena& ArenaOf(AcDbStub& stub) {
    if (stub.db != nullptr)
        return stub.db->arena;
    std::unique_ptr<Arena>& own = stub.extra().ownArena;
    if (!own)
        own = std::make_unique<Arena>();
    return *own;
}

std::string_view Store(AcDbStub& stub, std::string_view raw) {
    return ArenaOf(stub).store(raw);
}

const TextCodec& CodecOf(const AcDbStub& stub) {
    static const TextCodec utf8;
    return stub.db ? stub.db->codec : utf8;
}

double GetReal(const AcDbStub& stub, Range range, int code, double fallback) {
    long i = findTag(stub, range, code);
    return i < 0 ? fallback : ParseReal(stub.tags[static_cast<std::size_t>(i)].value(), fallback);
}

long long GetInt(const AcDbStub& stub, Range range, int code, long long fallback) {
    long i = findTag(stub, range, code);
    return i < 0 ? fallback : ParseInt(stub.tags[static_cast<std::size_t>(i)].value(), fallback);
}

std::string_view GetRaw(const AcDbStub& stub, Range range, int code) {
    long i = findTag(stub, range, code);
    return i < 0 ? std::string_view() : stub.tags[static_cast<std::size_t>(i)].value();
}

AcGePoint3d GetPoint(const AcDbStub& stub, Range range, int code, const AcGePoint3d& fallback) {
    long i = findTag(stub, range, code);
    if (i < 0)
        return fallback;
    AcGePoint3d p(ParseReal(stub.tags[static_cast<std::size_t>(i)].value()), fallback.y, 0);
    // The Y and Z values follow the X value.
    for (std::size_t j = static_cast<std::size_t>(i) + 1; j < range.end && j < stub.tags.size();
         ++j) {
        int c = stub.tags[j].code;
        if (c == code + 10)
            p.y = ParseReal(stub.tags[j].value());
        else if (c == code + 20)
            p.z = ParseReal(stub.tags[j].value());
        else
            break;
    }
    return p;
}

AcGeVector3d GetVector(const AcDbStub& stub, Range range, int code, const AcGeVector3d& fallback) {
    long i = findTag(stub, range, code);
    if (i < 0)
        return fallback;
    AcGePoint3d p = GetPoint(stub, range, code);
    return {p.x, p.y, p.z};
}

std::size_t SetRaw(AcDbStub& stub, Range range, int code, std::string_view raw, int after) {
    std::string_view stored = Store(stub, raw);
    long i = findTag(stub, range, code);
    if (i >= 0) {
        Tag& t = stub.tags[static_cast<std::size_t>(i)];
        t.data = stored.data();
        t.size = static_cast<std::uint32_t>(stored.size());
        return static_cast<std::size_t>(i);
    }
    std::size_t at = range.end;
    if (after >= 0) {
        long a = findTag(stub, range, after);
        if (a >= 0) {
            at = static_cast<std::size_t>(a) + 1;
            // Past the Y and Z of a point.
            while (at < range.end &&
                   (stub.tags[at].code == after + 10 || stub.tags[at].code == after + 20))
                ++at;
        }
    }
    stub.tags.insert(stub.tags.begin() + static_cast<long>(at),
                     Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
    return at;
}

void SetReal(AcDbStub& stub, Range range, int code, double value, int after) {
    SetRaw(stub, range, code, FormatReal(value), after);
}

void SetInt(AcDbStub& stub, Range range, int code, long long value, int after) {
    SetRaw(stub, range, code, FormatInt(value), after);
}

void SetPoint(AcDbStub& stub, Range range, int code, const AcGePoint3d& point, bool withZ,
              int after) {
    std::size_t i = SetRaw(stub, range, code, FormatReal(point.x), after);
    range.end = std::max(range.end, i + 1);
    // Y right after X, Z right after Y.
    const double values[2] = {point.y, point.z};
    for (int k = 0; k < (withZ ? 2 : 1); ++k) {
        int c = code + 10 * (k + 1);
        std::size_t next = i + 1;
        std::string_view stored = Store(stub, FormatReal(values[k]));
        if (next < stub.tags.size() && stub.tags[next].code == c) {
            stub.tags[next].data = stored.data();
            stub.tags[next].size = static_cast<std::uint32_t>(stored.size());
        } else {
            stub.tags.insert(stub.tags.begin() + static_cast<long>(next),
                             Tag{c, static_cast<std::uint32_t>(stored.size()), stored.data()});
        }
        i = next;
    }
}

void SetVector(AcDbStub& stub, Range range, int code, const AcGeVector3d& v, int after) {
    SetPoint(stub, range, code, AcGePoint3d(v.x, v.y, v.z), true, after);
}

void RemoveTag(AcDbStub& stub, Range range, int code) {
    long i = findTag(stub, range, code);
    if (i >= 0)
        stub.tags.erase(stub.tags.begin() + i);
}

std::string GetText(const AcDbStub& stub, Range range, int code) {
    long i = findTag(stub, range, code);
    if (i < 0)
        return {};
    return CodecOf(stub).decode(stub.tags[static_cast<std::size_t>(i)].value());
}

void SetText(AcDbStub& stub, Range range, int code, std::string_view utf8, int after) {
    SetRaw(stub, range, code, CodecOf(stub).encode(utf8), after);
}

Tags MakeTags(AcDbStub& stub, std::initializer_list<std::pair<int, std::string_view>> list) {
    Tags tags;
    tags.reserve(list.size());
    for (const auto& [code, value] : list) {
        std::string_view stored = Store(stub, value);
        tags.push_back(Tag{code, static_cast<std::uint32_t>(stored.size()), stored.data()});
    }
    return tags;
}

}  // namespace arx::detail
