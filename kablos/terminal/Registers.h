#pragma once

// The two machine protocols' registers and the rules on their values, without any port:
// - ASCII protocol (C371): text commands "W" + register + value, read back as "R" + register +
//   value; the confirmation memory RegisterCache remembers per register what was asked and what
//   the machine confirmed.
// - Binary protocol (C371A): 8-byte frames built by BuildFrame.
//
// Both protocols carry lengths (front and rear strip, front and rear half-strip, wire length) in
// tenths of a millimetre and every other value as it is. The scale lives in MachineScale alone:
// the ASCII value texts, the binary frames (job and cutter values alike) and the read-backs shown
// to the operator all take it from there, so callers always speak millimetres.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kablos {

/// The registers of the ASCII protocol, in the order of the confirmation memory's pairs 1 to 11.
enum class Reg { R1002, R1022, R1043, R1072, R1092, R0F63, R0F93, R0F11, R0BE2, R0F01, R0ED2 };
inline constexpr std::size_t kRegisterCount = 11;

struct RegisterInfo {
    Reg reg;
    std::string_view name;       ///< as sent after "W" or "R": "1002"
    bool tenths;                 ///< lengths: the machine takes tenths of a millimetre
    bool decimalText;            ///< the value goes out as the text unchanged (decimal)
    std::string_view readLabel;  ///< status text label of a confirmed read-back
    std::string_view logLabel;   ///< debug-log label: "先端(" ...
    std::string_view what;       ///< what the machine holds in it, as the dry run names it
};

const RegisterInfo& Info(Reg reg);

/// Lengths travel as tenths of a millimetre.
inline constexpr double kTenthsPerMillimetre = 10.0;
/// What the machine value of `reg` is: the value in the register's unit times this (10 for the
/// lengths, 1 for the others).
double MachineScale(Reg reg);

/// The 32-bit pattern the machine reads for `value` rounded half to even (negative values as
/// two's complement); nothing when the value is not finite or lies outside -2^31 .. 2^32 - 1.
std::optional<std::uint32_t> MachineBits(double value);
/// The register named by four characters ("1002", "0F63"), if it is one.
std::optional<Reg> RegisterNamed(std::string_view name);

/// The order in which a received text is searched for read-backs.
inline constexpr std::array<Reg, kRegisterCount> kReadBackScanOrder = {
    Reg::R1002, Reg::R1022, Reg::R1043, Reg::R1072, Reg::R1092, Reg::R0F11,
    Reg::R0BE2, Reg::R0F01, Reg::R0ED2, Reg::R0F63, Reg::R0F93};

/// The sum of the hexadecimal digits of the trimmed text, from the last character with weights
/// 1, 16, 256 ...; "0"-"9" and "A"-"F" count, any other character adds nothing (its weight
/// still passes). Returned as decimal text ("7D" gives "125").
std::string HexToDec(std::string_view text);

/// Upper-case hexadecimal of the numeric value of `text` times `factor`, rounded half to even,
/// without leading zeros ("12.5" times 10 gives "7D"; an empty text gives "0"); nothing when the
/// result does not fit 32 bits ("1e400").
std::optional<std::string> HexValue(std::string_view text, double factor);

/// The value text a register write sends for `value` (millimetres for the lengths); nothing when
/// the machine cannot take the value.
std::optional<std::string> RegisterValueText(Reg reg, std::string_view value);

/// The message for a value no register can take: "送信できない値です: 長さ(1e400)".
std::string ValueOutOfRangeText(Reg reg, std::string_view value);

/// Compares two commands by their values from the sixth character on, both hexadecimal. Equal
/// texts are the same, except that in mode 0 two empty texts are not.
bool SameValue(int mode, std::string_view a, std::string_view b);
/// As SameValue, with the value of `a` decimal and that of `b` hexadecimal.
bool SameValueDec(int mode, std::string_view a, std::string_view b);
/// The comparison of `reg`: SameValueDec for the decimal registers, SameValue for the others.
bool SameRegisterValue(Reg reg, int mode, std::string_view a, std::string_view b);

/// The confirmation memory of the ASCII protocol: per register the requested command
/// ("W1002" + value) and the confirmed read-back ("R1002" + value).
class RegisterCache {
public:
    struct Pair {
        std::string requested;
        std::string confirmed;
    };
    Pair& operator[](Reg reg) { return m_pairs[static_cast<std::size_t>(reg)]; }
    const Pair& operator[](Reg reg) const { return m_pairs[static_cast<std::size_t>(reg)]; }

    /// All eleven pairs: when the port is toggled.
    void ClearAll();
    /// The four cutter registers 0F11, 0BE2, 0F01, 0ED2: when a data set is opened.
    void ClearCutter();
    /// The seven others: when the operator leaves the wire grid.
    void ClearWire();

private:
    std::array<Pair, kRegisterCount> m_pairs;
};

/// The readable debug-log form of a command: "先端(60)" for W100238, "#先端(60)" for a
/// read-back, "スタート" for G0001; other commands unchanged.
std::string DebugForm(std::string_view command);

/// A read-back found in a received text.
struct ReadBack {
    Reg reg;
    std::string command;  ///< "R" + register + the letters and digits that follow
};

/// Finds the first read-back of each register in `text`, in the scan order. Calls `found` for
/// each; the callback decides whether it confirms anything.
template <typename Found>
void ScanReadBacks(std::string_view text, Found&& found);

// --- binary protocol ---

using Frame = std::array<std::uint8_t, 8>;

/// The binary registers.
enum class FrameReg : std::uint8_t {
    FrontStrip = 1,
    FrontSemi = 2,
    WireLength = 3,
    RearSemi = 4,
    RearStrip = 5,
    WireDia = 6,
    YBack = 7,
    PieceCount = 8,
    Counter = 9,
    RollerSpeed = 14,
    CutterSpeed = 16,
};

/// How many value bytes a binary register uses.
int FrameBytes(FrameReg reg);
/// The ASCII register of the same meaning: its scale and its labels hold for both protocols.
Reg SameMeaning(FrameReg reg);

/// The frame that writes `value` in the register's unit (millimetres for the lengths, sent as
/// tenths; 1234.5 mm into register 3 is 57 03 00 00 30 39 C3 0D). Nothing when the machine value
/// is negative, not finite or wider than the register's bytes.
std::optional<Frame> RegisterFrame(FrameReg reg, double value);

/// A "W" frame of raw machine value: register, the value rounded half to even in the low `bytes`
/// bytes of bytes 2 to 5 (most significant first), the checksum and CR. Values beyond the bytes
/// keep their low bytes; negative values are taken as 32-bit two's complement.
Frame BuildFrame(std::uint8_t reg, double value, int bytes);
/// The fixed frames "V", "P" and "S".
Frame FixedFrame(char command);
/// "[83][0][0][0][0][0][211][13]".
std::string FrameAsDecimals(const Frame& frame);

// --- template definition ---

inline bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

template <typename Found>
void ScanReadBacks(std::string_view text, Found&& found) {
    for (Reg reg : kReadBackScanOrder) {
        std::string key = "R";
        key += Info(reg).name;
        std::size_t at = text.find(key);
        if (at == std::string_view::npos)
            continue;
        std::size_t end = at;
        while (end < text.size() && IsAlnum(text[end]))
            ++end;
        found(ReadBack{reg, std::string(text.substr(at, end - at))});
    }
}

}  // namespace kablos
