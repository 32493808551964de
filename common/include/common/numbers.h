#pragma once

// The system's rules for numbers in text, written once:
// - the numeric value of a text is its leading number, 0 when it has none;
// - the whole-number value of a text (an address or destination number) is its leading digits;
// - conversions to whole numbers round halves to even;
// - single-precision figures are shown in their shortest form, at most 7 significant digits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

/// The leading number of `text`: blanks and tabs skipped, then an optional sign, digits with an
/// optional decimal point and an optional exponent ("e" or "E" followed by digits). 0 when the
/// text does not start with a number. "12.5mm" is 12.5, " -3" is -3, "abc" is 0.
double LeadingNumber(std::string_view text);

/// The leading-digits conversion of a whole-number text (an address number, the number of a
/// numbered destination): blanks and tabs skipped, an optional sign, then decimal digits up to
/// the first other character; 0 when no digit follows. No decimal point and no exponent: "007"
/// is 7, "12.9" is 12, "5e1" is 5, "-3x" is -3, "1e400" is 1, "e5" is 0. Digits beyond the
/// range of the result give its limit (INT64_MAX, or INT64_MIN after "-").
std::int64_t LeadingInteger(std::string_view text);

/// The value of `text` when the whole text, blanks and tabs around it aside, is one number in
/// the form LeadingNumber reads; nothing otherwise (also for an empty text).
std::optional<double> ParseNumber(std::string_view text);

/// True when ParseNumber finds a number.
inline bool IsNumeric(std::string_view text) {
    return ParseNumber(text).has_value();
}

/// `value` rounded to the nearest whole number, halves to the even neighbour (2.5 is 2, 3.5
/// is 4, -2.5 is -2).
double RoundHalfEven(double value);

/// The whole number of a numeric text, rounded half to even; nothing when the text is not
/// numeric or the result does not fit the type.
std::optional<std::int16_t> ToInt16(std::string_view text);
std::optional<std::int32_t> ToInt32(std::string_view text);

/// `value` rounded half to even, or nothing when it does not fit the type.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

/// A single-precision number as text: at most 7 significant digits, no trailing zeros, plain
/// notation up to 7 integer digits and exponent notation beyond ("0.5", "1234567",
/// "1.234568E+07").
std::string FormatSingle(float value);

/// A double-precision number as text: at most 15 significant digits, no trailing zeros, plain
/// notation up to 15 integer digits ("1234.5", "100", "0.25").
std::string FormatDouble(double value);

}  // namespace common
