#include "Registers.h"

#include <cmath>
#include <cstdio>

#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

constexpr std::array<RegisterInfo, kRegisterCount> kRegisters = {{
    {Reg::R1002, "1002", true, false, "先スト:", "先端(", "front strip"},
    {Reg::R1022, "1022", true, false, "先セミ:", "先端セミ(", "front half-strip"},
    {Reg::R1043, "1043", true, false, "全長:", "長さ(", "wire length"},
    {Reg::R1072, "1072", true, false, "後セミ:", "後端セミ(", "rear half-strip"},
    {Reg::R1092, "1092", true, false, "後スト:", "後端(", "rear strip"},
    {Reg::R0F63, "0F63", false, true, "本数:", "本数(", "piece count"},
    {Reg::R0F93, "0F93", false, true, "カウンタ:", "カウンタ(", "counter"},
    {Reg::R0F11, "0F11", false, true, "カッター速度:", "カッタ速度(", "cutter speed"},
    {Reg::R0BE2, "0BE2", false, false, "Y BACK:", "Y BACK(", "Y back"},
    {Reg::R0F01, "0F01", false, true, "ローラスピード:", "ローラ速度(", "roller speed"},
    {Reg::R0ED2, "0ED2", false, false, "線径:", "線径(", "wire diameter"},
}};

// The value of a command, from its sixth character on ("W1002" + value).
std::string_view ValuePart(std::string_view command) {
    return command.size() > 5 ? command.substr(5) : std::string_view();
}

// HexToDec as a number; beyond 2^53 the sum is no longer exact, and such values never compare
// equal to a 32-bit register value anyway.
double HexSum(std::string_view text) {
    text = common::Trim(text);
    double sum = 0;
    double weight = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        char c = *it;
        if (c >= '0' && c <= '9')
            sum += (c - '0') * weight;
        if (c >= 'A' && c <= 'F')
            sum += (c - 'A' + 10) * weight;
        weight *= 16;
    }
    return sum;
}

std::optional<std::int32_t> As32(double value) {
    return common::RoundToInt32(value);
}

bool SameNumbers(std::optional<std::int32_t> a, std::optional<std::int32_t> b) {
    return a && b && *a == *b;
}

}  // namespace

const RegisterInfo& Info(Reg reg) {
    return kRegisters[static_cast<std::size_t>(reg)];
}

std::optional<Reg> RegisterNamed(std::string_view name) {
    for (const RegisterInfo& info : kRegisters) {
        if (info.name == name)
            return info.reg;
    }
    return std::nullopt;
}

std::string HexToDec(std::string_view text) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.0f", HexSum(text));
    return buffer;
}

double MachineScale(Reg reg) {
    return Info(reg).tenths ? kTenthsPerMillimetre : 1.0;
}

std::optional<std::uint32_t> MachineBits(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = common::RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 4294967295.0)
        return std::nullopt;
    // Negative values as the 32-bit two's complement, as the machine reads them.
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(rounded));
}

std::optional<std::string> HexValue(std::string_view text, double factor) {
    std::optional<std::uint32_t> bits = MachineBits(common::LeadingNumber(text) * factor);
    if (!bits)
        return std::nullopt;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", *bits);
    return std::string(buffer);
}

std::optional<std::string> RegisterValueText(Reg reg, std::string_view value) {
    const RegisterInfo& info = Info(reg);
    if (reg == Reg::R0F93)
        return "0";
    if (info.decimalText)
        return std::string(value);
    return HexValue(value, MachineScale(reg));
}

std::string ValueOutOfRangeText(Reg reg, std::string_view value) {
    return "送信できない値です: " + std::string(Info(reg).logLabel) +
           std::string(common::Trim(value)) + ")";
}

bool SameValue(int mode, std::string_view a, std::string_view b) {
    if (a == b)
        return !(mode == 0 && a.empty());
    return SameNumbers(As32(HexSum(ValuePart(a))), As32(HexSum(ValuePart(b))));
}

bool SameValueDec(int mode, std::string_view a, std::string_view b) {
    if (a == b)
        return !(mode == 0 && a.empty());
    return SameNumbers(As32(common::LeadingNumber(ValuePart(a))), As32(HexSum(ValuePart(b))));
}

bool SameRegisterValue(Reg reg, int mode, std::string_view a, std::string_view b) {
    return Info(reg).decimalText ? SameValueDec(mode, a, b) : SameValue(mode, a, b);
}

void RegisterCache::ClearAll() {
    m_pairs = {};
}

void RegisterCache::ClearCutter() {
    for (Reg reg : {Reg::R0F11, Reg::R0BE2, Reg::R0F01, Reg::R0ED2})
        (*this)[reg] = {};
}

void RegisterCache::ClearWire() {
    for (Reg reg :
         {Reg::R1002, Reg::R1022, Reg::R1043, Reg::R1072, Reg::R1092, Reg::R0F63, Reg::R0F93}) {
        (*this)[reg] = {};
    }
}

std::string DebugForm(std::string_view command) {
    if (command == "G0001")
        return "スタート";
    if (command.size() >= 5 && (command[0] == 'W' || command[0] == 'R')) {
        if (auto reg = RegisterNamed(command.substr(1, 4))) {
            const RegisterInfo& info = Info(*reg);
            std::string_view value = ValuePart(command);
            // Read-backs carry hexadecimal; so do the writes of the hexadecimal registers.
            std::string shown = command[0] == 'R' || !info.decimalText
                                    ? (value.empty() ? std::string() : HexToDec(value))
                                    : std::string(value);
            return std::string(command[0] == 'R' ? "#" : "") + std::string(info.logLabel) + shown +
                   ")";
        }
    }
    if (command == "\x18")
        return "CAN";
    return std::string(command);
}

namespace {

struct FrameRegInfo {
    FrameReg reg;
    Reg sameMeaning;
    int bytes;
};

constexpr std::array<FrameRegInfo, 11> kFrameRegisters = {{
    {FrameReg::FrontStrip, Reg::R1002, 2},
    {FrameReg::FrontSemi, Reg::R1022, 2},
    {FrameReg::WireLength, Reg::R1043, 3},
    {FrameReg::RearSemi, Reg::R1072, 2},
    {FrameReg::RearStrip, Reg::R1092, 2},
    {FrameReg::WireDia, Reg::R0ED2, 2},
    {FrameReg::YBack, Reg::R0BE2, 2},
    {FrameReg::PieceCount, Reg::R0F63, 3},
    {FrameReg::Counter, Reg::R0F93, 3},
    {FrameReg::RollerSpeed, Reg::R0F01, 1},
    {FrameReg::CutterSpeed, Reg::R0F11, 1},
}};

const FrameRegInfo& FrameInfo(FrameReg reg) {
    for (const FrameRegInfo& info : kFrameRegisters) {
        if (info.reg == reg)
            return info;
    }
    return kFrameRegisters[0];  // every FrameReg is in the table
}

}  // namespace

int FrameBytes(FrameReg reg) {
    return FrameInfo(reg).bytes;
}

Reg SameMeaning(FrameReg reg) {
    return FrameInfo(reg).sameMeaning;
}

std::optional<Frame> RegisterFrame(FrameReg reg, double value) {
    const FrameRegInfo& info = FrameInfo(reg);
    const double machine = value * MachineScale(info.sameMeaning);
    const double widest = std::ldexp(1.0, 8 * info.bytes) - 1;
    if (!std::isfinite(machine) || common::RoundHalfEven(machine) < 0 ||
        common::RoundHalfEven(machine) > widest) {
        return std::nullopt;
    }
    return BuildFrame(static_cast<std::uint8_t>(reg), machine, info.bytes);
}

namespace {

Frame Finish(Frame frame) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 6; ++i)
        sum += frame[i];
    frame[6] = static_cast<std::uint8_t>((sum % 256) | 0x80);
    frame[7] = 0x0D;
    return frame;
}

}  // namespace

Frame BuildFrame(std::uint8_t reg, double value, int bytes) {
    Frame frame{};
    frame[0] = 'W';
    frame[1] = reg;
    double rounded = std::isfinite(value) ? common::RoundHalfEven(value) : 0.0;
    rounded = std::fmax(std::fmin(rounded, 4294967295.0), -2147483648.0);
    auto bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(rounded));
    for (int i = 0; i < bytes && i < 4; ++i) {
        frame[static_cast<std::size_t>(5 - i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return Finish(frame);
}

Frame FixedFrame(char command) {
    Frame frame{};
    frame[0] = static_cast<std::uint8_t>(command);
    return Finish(frame);
}

std::string FrameAsDecimals(const Frame& frame) {
    std::string text;
    for (std::uint8_t byte : frame)
        text += "[" + std::to_string(byte) + "]";
    return text;
}

}  // namespace kablos
