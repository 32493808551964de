#include "common/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace common {
namespace {

constexpr std::string_view kDefaultCodePage = "CP932";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

bool IconvKnows(const std::string& name) {
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(cd);
    return true;
}

std::string& CodePageName() {
    static std::string name = [] {
        const char* fromEnv = std::getenv("ANSI_CODEPAGE");
        if (fromEnv != nullptr && *fromEnv != '\0' && IconvKnows(fromEnv)) {
            return std::string(fromEnv);
        }
        return std::string(kDefaultCodePage);
    }();
    return name;
}

// Incremented whenever the code page changes so that the per-thread descriptors reopen.
unsigned& Generation() {
    static unsigned generation = 0;
    return generation;
}

// One iconv descriptor per thread and direction, opened on first use.
class Converter {
public:
    Converter(bool toUtf8) : m_toUtf8(toUtf8) {}
    ~Converter() { close(); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t get() {
        if (m_cd == invalid() || m_generation != Generation()) {
            close();
            const std::string& cp = CodePageName();
            m_cd = m_toUtf8 ? iconv_open("UTF-8", cp.c_str()) : iconv_open(cp.c_str(), "UTF-8");
            m_generation = Generation();
        }
        // Back to the initial shift state before every conversion.
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    void close() {
        if (m_cd != invalid()) {
            iconv_close(m_cd);
            m_cd = invalid();
        }
    }

    bool m_toUtf8;
    iconv_t m_cd = invalid();
    unsigned m_generation = 0;
};

// Length of the UTF-8 sequence that starts with `lead`, 1 for a byte that cannot start one.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

// Runs iconv over the whole input. On an invalid or unconvertible sequence `onBad` is asked what
// to append and how many input bytes to skip; it returns 0 to give up.
template <typename OnBad>
bool Convert(iconv_t cd, std::string_view in, std::string& out, OnBad onBad) {
    out.clear();
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t written = 0;
    while (true) {
        char* dst = out.data() + written;
        std::size_t dstLeft = out.size() - written;
        std::size_t rc = iconv(cd, srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (srcLeft == 0) {
                // Flush any pending shift state.
                dst = out.data() + written;
                dstLeft = out.size() - written;
                iconv(cd, nullptr, nullptr, &dst, &dstLeft);
                written = out.size() - dstLeft;
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL (a sequence cut off at the end of the input).
        std::size_t skip = onBad(std::string_view(src, srcLeft), out, written);
        if (skip == 0) {
            return false;
        }
        skip = std::min(skip, srcLeft);
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
    return true;
}

void AppendAt(std::string& out, std::size_t& written, std::string_view text) {
    out.resize(std::max(out.size(), written + text.size()));
    out.replace(written, text.size(), text);
    written += text.size();
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Every code page the system uses is a superset of ASCII, so pure ASCII text needs no iconv.
thread_local Converter tToCodePage(false);
thread_local Converter tToUtf8(true);

}  // namespace

const std::string& ProcessCodePage() {
    return CodePageName();
}

bool SetProcessCodePage(std::string_view iconvName) {
    std::string name(iconvName);
    if (!IconvKnows(name)) {
        return false;
    }
    CodePageName() = std::move(name);
    ++Generation();
    return true;
}

std::string ToCodePage(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    std::string out;
    Convert(tToCodePage.get(), utf8, out,
            [](std::string_view rest, std::string& o, std::size_t& w) {
                AppendAt(o, w, "?");
                std::size_t len = Utf8SequenceLength(static_cast<unsigned char>(rest.front()));
                // A malformed sequence is replaced byte by byte.
                for (std::size_t i = 1; i < len && i < rest.size(); ++i) {
                    if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80)
                        return i;
                }
                return len;
            });
    return out;
}

std::optional<std::string> FromCodePage(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    if (!Convert(tToUtf8.get(), bytes, out,
                 [](std::string_view, std::string&, std::size_t&) { return std::size_t{0}; })) {
        return std::nullopt;
    }
    return out;
}

std::string FromCodePageLossy(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    Convert(tToUtf8.get(), bytes, out, [](std::string_view, std::string& o, std::size_t& w) {
        AppendAt(o, w, kReplacementUtf8);
        return std::size_t{1};
    });
    return out;
}

}  // namespace common
