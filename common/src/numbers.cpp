#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace common {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the number at the start of `text` (no leading blanks), 0 when there is none.
std::size_t NumberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        std::size_t afterPoint = i + 1;
        std::size_t fraction = 0;
        while (afterPoint < text.size() && IsDigit(text[afterPoint]))
            ++afterPoint, ++fraction;
        if (digits + fraction > 0) {
            i = afterPoint;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < text.size() && IsDigit(text[j]))
            ++j, ++expDigits;
        if (expDigits > 0)
            i = j;
    }
    return i;
}

double Value(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    // from_chars does not take a leading point; neither does it take a sign, handled above.
    std::string buffer;
    if (!number.empty() && number.front() == '.') {
        buffer = "0";
        buffer += number;
        number = buffer;
    }
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = std::numeric_limits<double>::infinity();
    }
    (void)end;
    return negative ? -value : value;
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

template <typename Int>
std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

double LeadingNumber(std::string_view text) {
    text = SkipBlanks(text);
    std::size_t length = NumberLength(text);
    return length == 0 ? 0.0 : Value(text.substr(0, length));
}

std::int64_t LeadingInteger(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Accumulated towards the negative side, which holds one more value than the positive.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            break;
        const int digit = c - '0';
        if (value < (kMin + digit) / 10) {
            return negative ? kMin : std::numeric_limits<std::int64_t>::max();
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = SkipBlanks(text);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    std::size_t length = NumberLength(text);
    if (length == 0 || length != text.size())
        return std::nullopt;
    return Value(text);
}

double RoundHalfEven(double value) {
    double floor = std::floor(value);
    double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}
std::optional<std::int32_t> RoundToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

std::optional<std::int16_t> ToInt16(std::string_view text) {
    auto value = ParseNumber(text);
    return value ? RoundToInt16(*value) : std::nullopt;
}

std::optional<std::int32_t> ToInt32(std::string_view text) {
    auto value = ParseNumber(text);
    return value ? RoundToInt32(*value) : std::nullopt;
}

std::string FormatSingle(float value) {
    if (value == 0.0f)
        return "0";
    char buffer[32];
    // %G picks exponent notation from 7 integer digits on and below 1E-4, and drops trailing
    // zeros; the exponent keeps at least two digits ("1.234568E+07").
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    return buffer;
}

std::string FormatDouble(double value) {
    if (value == 0.0)
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return buffer;
}

}  // namespace common
