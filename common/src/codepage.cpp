#include "common/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

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

// Decoding table of a code page whose characters are one byte or a lead byte and a trail byte
// (CP932 and the other Windows "ANSI" code pages), made once from iconv itself, so that large
// files decode at memory speed. A code page with longer sequences has no table and decodes
// through iconv.
class DbcsTable {
public:
    explicit DbcsTable(const std::string& codePage) {
        iconv_t cd = iconv_open("UTF-8", codePage.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (unsigned b = 0; b < 256; ++b) {
            const char in[1] = {static_cast<char>(b)};
            switch (Probe(cd, in, 1, m_single[b])) {
                case Result::Ok:
                    m_kind[b] = m_single[b].size == 1 &&
                                        static_cast<unsigned char>(m_single[b].bytes[0]) == b
                                    ? Kind::Same
                                    : Kind::Single;
                    break;
                case Result::Incomplete:
                    m_kind[b] = Kind::Lead;
                    break;
                case Result::Invalid:
                    m_kind[b] = Kind::Invalid;
                    break;
            }
        }
        m_double.assign(256 * 256, Utf8{});
        for (unsigned lead = 0; lead < 256; ++lead) {
            if (m_kind[lead] != Kind::Lead)
                continue;
            for (unsigned trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                Utf8& out = m_double[lead * 256 + trail];
                // A pair that is still incomplete means sequences longer than two bytes.
                if (Probe(cd, in, 2, out) == Result::Incomplete) {
                    iconv_close(cd);
                    return;
                }
            }
        }
        iconv_close(cd);
        m_usable = true;
    }

    bool usable() const { return m_usable; }

    // Decodes `bytes`; an invalid sequence is replaced (lossy) or ends the decoding (strict).
    bool Decode(std::string_view bytes, std::string& out, bool lossy) const {
        out.clear();
        out.reserve(bytes.size() + bytes.size() / 2);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* end = p + bytes.size();
        while (p < end) {
            const auto* ascii = p;
            while (p < end && m_kind[*p] == Kind::Same)
                ++p;
            out.append(reinterpret_cast<const char*>(ascii), static_cast<std::size_t>(p - ascii));
            if (p == end)
                break;
            const Utf8* character = nullptr;
            std::size_t length = 1;
            if (m_kind[*p] == Kind::Single) {  // Same bytes were copied above
                character = &m_single[*p];
            } else if (m_kind[*p] == Kind::Lead && p + 1 < end &&
                       m_double[*p * 256u + p[1]].size > 0) {
                character = &m_double[*p * 256u + p[1]];
                length = 2;
            }
            if (character != nullptr) {
                out.append(character->bytes, character->size);
            } else if (lossy) {
                out.append(kReplacementUtf8);
            } else {
                return false;
            }
            p += length;
        }
        return true;
    }

private:
    // Same: a byte that stands for itself (ASCII in every code page the system uses).
    enum class Kind : unsigned char { Invalid, Same, Single, Lead };
    enum class Result { Ok, Incomplete, Invalid };
    struct Utf8 {
        char bytes[7] = {};
        unsigned char size = 0;
    };

    static Result Probe(iconv_t cd, const char* in, std::size_t size, Utf8& out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        std::size_t srcLeft = size;
        char* dst = out.bytes;
        std::size_t dstLeft = sizeof out.bytes;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (rc == static_cast<std::size_t>(-1)) {
            out.size = 0;
            return errno == EINVAL ? Result::Incomplete : Result::Invalid;
        }
        out.size = static_cast<unsigned char>(sizeof out.bytes - dstLeft);
        return out.size > 0 ? Result::Ok : Result::Invalid;
    }

    bool m_usable = false;
    std::array<Kind, 256> m_kind{};
    std::array<Utf8, 256> m_single{};
    std::vector<Utf8> m_double;
};

// The table of the current code page, made on first use and again after a change.
const DbcsTable& Table() {
    thread_local std::unique_ptr<DbcsTable> table;
    thread_local unsigned generation = ~0u;
    if (!table || generation != Generation()) {
        table = std::make_unique<DbcsTable>(CodePageName());
        generation = Generation();
    }
    return *table;
}

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
    if (const DbcsTable& table = Table(); table.usable()) {
        if (!table.Decode(bytes, out, false))
            return std::nullopt;
        return out;
    }
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
    if (const DbcsTable& table = Table(); table.usable()) {
        table.Decode(bytes, out, true);
        return out;
    }
    Convert(tToUtf8.get(), bytes, out, [](std::string_view, std::string& o, std::size_t& w) {
        AppendAt(o, w, kReplacementUtf8);
        return std::size_t{1};
    });
    return out;
}

}  // namespace common
