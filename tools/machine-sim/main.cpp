// machine-sim: a wire cutting machine on a pseudo-terminal, speaking the ASCII register protocol
// (C371) or the binary frame protocol (C371A) as KABLOS expects it. Test and demo equipment:
// it prints the path of the terminal it serves, keeps every byte it receives, logs what it takes
// in the machine's units, and misbehaves on request.
//
// The machine's own view of its registers, independent of KABLOS's tables: lengths (ASCII 1002,
// 1022, 1043, 1072, 1092; binary 1 to 5) arrive in tenths of a millimetre and are logged in
// millimetres ("W 03 wire length 1234.5 mm"), so a unit error on the sending side shows in every
// log line that carries a length.

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: machine-sim [options]\n"
    "Serves a wire cutting machine on a new pseudo-terminal and prints its path.\n"
    "\n"
    "  --protocol ascii|binary  the machine's protocol (default ascii)\n"
    "  --link PATH              also make PATH a symbolic link to the terminal\n"
    "  --log FILE               append a line to FILE for every command or frame taken, its\n"
    "                           values in the machine's units (lengths in millimetres)\n"
    "  --raw FILE               append every received byte to FILE\n"
    "  --delay MS               answer read-backs and the start after MS milliseconds\n"
    "  --done-after MS          report a wire done MS milliseconds after the start (default 0)\n"
    "  --fault KIND             misbehave: silent (never answer), wrong (wrong read-back values,\n"
    "                           binary: a completion answer that does not complete), question\n"
    "                           (answer \"?\" instead of finishing the wire), garbage (junk bytes\n"
    "                           before every answer), hangup (close the line, see --hangup-after)\n"
    "  --hangup-after N         with --fault hangup: close after N commands or frames (default 1)\n"
    "  --no-confirm             ASCII: answer a register write with nothing (by default the\n"
    "                           machine confirms every write with its read-back)\n"
    "  --verbose                describe every command on standard error\n";

enum class Fault { None, Silent, Wrong, Question, Garbage, Hangup };

struct Options {
    bool binary = false;
    std::string link;
    std::string log;
    std::string raw;
    int delayMs = 0;
    int doneAfterMs = 0;
    Fault fault = Fault::None;
    int hangupAfter = 1;
    bool verbose = false;
    bool noConfirm = false;
};

volatile std::sig_atomic_t gStop = 0;

[[noreturn]] void Usage(const char* problem) {
    std::fprintf(stderr, "machine-sim: %s\n\n%s", problem, kUsage);
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                Usage(("missing value after " + std::string(arg)).c_str());
            return argv[++i];
        };
        auto number = [&]() {
            std::string text = value();
            char* end = nullptr;
            long n = std::strtol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || n < 0)
                Usage(("not a number: " + text).c_str());
            return static_cast<int>(n);
        };
        if (arg == "--protocol") {
            std::string p = value();
            if (p != "ascii" && p != "binary")
                Usage("the protocol is ascii or binary");
            options.binary = p == "binary";
        } else if (arg == "--link") {
            options.link = value();
        } else if (arg == "--log") {
            options.log = value();
        } else if (arg == "--raw") {
            options.raw = value();
        } else if (arg == "--delay") {
            options.delayMs = number();
        } else if (arg == "--done-after") {
            options.doneAfterMs = number();
        } else if (arg == "--hangup-after") {
            options.hangupAfter = number();
        } else if (arg == "--fault") {
            std::string f = value();
            if (f == "none")
                options.fault = Fault::None;
            else if (f == "silent")
                options.fault = Fault::Silent;
            else if (f == "wrong")
                options.fault = Fault::Wrong;
            else if (f == "question")
                options.fault = Fault::Question;
            else if (f == "garbage")
                options.fault = Fault::Garbage;
            else if (f == "hangup")
                options.fault = Fault::Hangup;
            else
                Usage(("unknown fault " + f).c_str());
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--no-confirm") {
            options.noConfirm = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            Usage(("unknown option " + std::string(arg)).c_str());
        }
    }
    return options;
}

using Clock = std::chrono::steady_clock;

// A value in tenths of a millimetre, in millimetres: 12345 is "1234.5", 6400 is "640".
std::string Millimetres(unsigned long tenths) {
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "." + std::to_string(tenths % 10);
    return text + " mm";
}

// What a register holds, as the machine knows it.
struct RegisterMeaning {
    const char* what;
    bool tenths;  // a length, received in tenths of a millimetre
};

std::optional<RegisterMeaning> AsciiRegister(std::string_view reg) {
    static const std::map<std::string_view, RegisterMeaning> registers = {
        {"1002", {"front strip", true}},    {"1022", {"front half-strip", true}},
        {"1043", {"wire length", true}},    {"1072", {"rear half-strip", true}},
        {"1092", {"rear strip", true}},     {"0F63", {"piece count", false}},
        {"0F93", {"counter", false}},       {"0F11", {"cutter speed", false}},
        {"0BE2", {"Y back", false}},        {"0F01", {"roller speed", false}},
        {"0ED2", {"wire diameter", false}},
    };
    auto found = registers.find(reg);
    return found == registers.end() ? std::nullopt : std::optional(found->second);
}

std::optional<RegisterMeaning> FrameRegister(unsigned reg) {
    static const std::map<unsigned, RegisterMeaning> registers = {
        {1, {"front strip", true}},    {2, {"front half-strip", true}},
        {3, {"wire length", true}},    {4, {"rear half-strip", true}},
        {5, {"rear strip", true}},     {6, {"wire diameter", false}},
        {7, {"Y back", false}},        {8, {"piece count", false}},
        {9, {"counter", false}},       {14, {"roller speed", false}},
        {16, {"cutter speed", false}},
    };
    auto found = registers.find(reg);
    return found == registers.end() ? std::nullopt : std::optional(found->second);
}

std::string Described(const std::optional<RegisterMeaning>& meaning, unsigned long value) {
    if (!meaning)
        return "unknown register = " + std::to_string(value);
    return std::string(meaning->what) + " " +
           (meaning->tenths ? Millimetres(value) : std::to_string(value));
}

// An answer waiting for its time.
struct Pending {
    Clock::time_point due;
    std::string bytes;
};

class Machine {
public:
    Machine(const Options& options, int master, int logFd, int rawFd)
        : m_options(options), m_master(master), m_logFd(logFd), m_rawFd(rawFd) {}

    // Takes received bytes; false when the machine hangs up.
    bool Receive(const char* data, std::size_t size) {
        if (m_rawFd >= 0)
            (void)!write(m_rawFd, data, size);
        return m_options.binary ? ReceiveBinary(data, size) : ReceiveAscii(data, size);
    }

    // Sends the answers that are due; returns the milliseconds until the next one (-1: none).
    int Flush() {
        auto now = Clock::now();
        while (!m_pending.empty() && m_pending.front().due <= now) {
            const std::string& bytes = m_pending.front().bytes;
            (void)!write(m_master, bytes.data(), bytes.size());
            m_pending.pop_front();
        }
        if (m_pending.empty())
            return -1;
        auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_pending.front().due - now);
        return static_cast<int>(std::max<long long>(wait.count(), 0));
    }

private:
    void Answer(std::string bytes, int afterMs) {
        if (m_options.fault == Fault::Silent)
            return;
        if (m_options.fault == Fault::Garbage)
            bytes = std::string("\x01\xff\x00#~%\x7fQ\xfe", 9) + bytes;
        Clock::time_point due = Clock::now() + std::chrono::milliseconds(afterMs);
        // Answers leave in order.
        if (!m_pending.empty() && m_pending.back().due > due)
            due = m_pending.back().due;
        m_pending.push_back({due, std::move(bytes)});
    }

    bool Counted() {
        ++m_commands;
        return !(m_options.fault == Fault::Hangup && m_commands >= m_options.hangupAfter);
    }

    void Say(const std::string& text) {
        if (m_options.verbose)
            std::fprintf(stderr, "machine-sim: %s\n", text.c_str());
    }

    // One line of the log: what the machine took, in its units.
    void Took(const std::string& line) {
        Say(line);
        if (m_logFd >= 0) {
            const std::string text = line + "\n";
            (void)!write(m_logFd, text.data(), text.size());
        }
    }

    bool ReceiveAscii(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            char c = data[i];
            if (c == '\n') {
                std::string command = m_line;
                m_line.clear();
                if (!Command(command))
                    return false;
            } else if (c != '\r' && c != ' ' && c != '\x18') {
                m_line += c;
            }
        }
        return true;
    }

    static bool DecimalRegister(std::string_view reg) {
        return reg == "0F63" || reg == "0F93" || reg == "0F11" || reg == "0F01";
    }

    bool Command(const std::string& command) {
        if (command.empty()) {
            Took("CAN");
            return true;
        }
        if (!Counted()) {
            Say("hanging up after " + command);
            return false;
        }
        if (command.size() >= 5 && command[0] == 'W') {
            std::string reg = command.substr(1, 4);
            std::string value = command.substr(5);
            unsigned long number =
                std::strtoul(value.c_str(), nullptr, DecimalRegister(reg) ? 10 : 16);
            m_registers[reg] = static_cast<unsigned>(number);
            Took("W" + reg + " " + Described(AsciiRegister(reg), number));
            // The machine confirms every value it takes with its read-back.
            if (!m_options.noConfirm)
                ReadBack(reg);
        } else if (command.size() == 5 && command[0] == 'R') {
            Took(command + " read-back request");
            ReadBack(command.substr(1, 4));
        } else if (command == "G0001") {
            Took("G0001 start");
            Answer("G0001\r\n", m_options.delayMs);
            Answer(m_options.fault == Fault::Question ? "?\r\n" : "SC\r\n", m_options.doneAfterMs);
        } else {
            Took(command + " ignored");
        }
        return true;
    }

    void ReadBack(const std::string& reg) {
        unsigned value = m_registers.count(reg) ? m_registers[reg] : 0;
        if (m_options.fault == Fault::Wrong)
            ++value;
        char answer[32];
        std::snprintf(answer, sizeof answer, "R%s%04X\r\n", reg.c_str(), value);
        Say("read " + reg + " -> " + std::string(answer, std::strlen(answer) - 2));
        Answer(answer, m_options.delayMs);
    }

    bool ReceiveBinary(const char* data, std::size_t size) {
        m_frame.insert(m_frame.end(), data, data + size);
        while (m_frame.size() >= 8) {
            unsigned sum = 0;
            for (int i = 0; i < 6; ++i)
                sum += m_frame[static_cast<std::size_t>(i)];
            bool valid = m_frame[7] == 0x0D && m_frame[6] == ((sum % 256) | 0x80);
            if (!valid) {
                Say("bad frame byte skipped");
                m_frame.erase(m_frame.begin());
                continue;
            }
            std::vector<unsigned char> frame(m_frame.begin(), m_frame.begin() + 8);
            m_frame.erase(m_frame.begin(), m_frame.begin() + 8);
            if (!Counted()) {
                Say("hanging up");
                return false;
            }
            Frame(frame);
        }
        return true;
    }

    void Frame(const std::vector<unsigned char>& frame) {
        switch (frame[0]) {
            case 'W': {
                unsigned value = (unsigned{frame[2]} << 24) | (unsigned{frame[3]} << 16) |
                                 (unsigned{frame[4]} << 8) | frame[5];
                m_registers[std::to_string(frame[1])] = value;
                char reg[8];
                std::snprintf(reg, sizeof reg, "%02X", unsigned{frame[1]});
                Took("W " + std::string(reg) + " " + Described(FrameRegister(frame[1]), value));
                break;
            }
            case 'P':
                Took("P start");
                Answer(std::string(m_options.fault == Fault::Wrong ? "\x52\x09\x02\x00\x0D"
                                                                   : "\x52\x09\x01\x00\x0D",
                                   5),
                       m_options.doneAfterMs);
                break;
            default:
                Took(std::string(1, static_cast<char>(frame[0])));
                break;
        }
    }

    const Options& m_options;
    int m_master;
    int m_logFd;
    int m_rawFd;
    std::string m_line;
    std::vector<unsigned char> m_frame;
    std::map<std::string, unsigned> m_registers;
    std::deque<Pending> m_pending;
    int m_commands = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options options = Parse(argc, argv);

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("machine-sim: pseudo-terminal");
        return 1;
    }
    std::string slave = ptsname(master);
    // Hold the terminal open so that the line survives the program at the other end closing
    // and opening it; make it raw, as a serial line is.
    int keep = open(slave.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (keep < 0 || tcgetattr(keep, &tio) != 0) {
        std::perror("machine-sim: terminal");
        return 1;
    }
    cfmakeraw(&tio);
    tcsetattr(keep, TCSANOW, &tio);

    if (!options.link.empty()) {
        unlink(options.link.c_str());
        if (symlink(slave.c_str(), options.link.c_str()) != 0) {
            std::perror("machine-sim: link");
            return 1;
        }
    }
    auto openLog = [](const std::string& path, const char* what) {
        if (path.empty())
            return -1;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(what);
            std::exit(1);
        }
        return fd;
    };
    const int logFd = openLog(options.log, "machine-sim: log");
    const int rawFd = openLog(options.raw, "machine-sim: raw");
    std::printf("%s\n", slave.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, [](int) { gStop = 1; });
    std::signal(SIGTERM, [](int) { gStop = 1; });
    // The machine goes when the program that started it goes, even when that program dies
    // without stopping it (a crashed test must not leave a machine behind holding its output).
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        gStop = 1;

    Machine machine(options, master, logFd, rawFd);
    char buffer[4096];
    int code = 0;
    while (!gStop) {
        int timeout = machine.Flush();
        pollfd fd{master, POLLIN, 0};
        int ready = poll(&fd, 1, timeout < 0 ? 200 : std::min(timeout, 200));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0 || !(fd.revents & POLLIN))
            continue;
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        if (!machine.Receive(buffer, static_cast<std::size_t>(n))) {
            code = 3;
            break;
        }
    }
    close(keep);
    close(master);
    if (!options.link.empty())
        unlink(options.link.c_str());
    return code;
}
