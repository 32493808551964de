#include "kablos/support/LinkSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace kablos::test {

MachineSim::MachineSim(std::vector<std::string> arguments) {
    std::string raw = (m_dir.path() / "received.bin").string();
    std::string log = (m_dir.path() / "machine.log").string();
    std::vector<std::string> args = {MACHINE_SIM_PATH, "--raw", raw, "--log", log};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0)
        throw std::runtime_error("cannot start machine-sim");

    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        m_path += c;
    close(out[0]);
    if (m_path.empty())
        throw std::runtime_error("machine-sim printed no terminal");
}

MachineSim::~MachineSim() {
    Kill();
}

void MachineSim::Kill() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string MachineSim::received() const {
    std::filesystem::path log = m_dir.path() / "received.bin";
    return std::filesystem::exists(log) ? testsupport::ReadBytes(log) : std::string();
}

std::vector<std::string> MachineSim::log() const {
    std::filesystem::path path = m_dir.path() / "machine.log";
    std::vector<std::string> lines;
    if (!std::filesystem::exists(path))
        return lines;
    std::string text = testsupport::ReadBytes(path);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

Deadline::Deadline(std::chrono::seconds limit, std::string what)
    : m_watch([this, limit, what = std::move(what)] {
          std::unique_lock lock(m_mutex);
          if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
              std::fprintf(stderr, "deadline of %lld s passed: %s\n",
                           static_cast<long long>(limit.count()), what.c_str());
              std::fflush(stderr);
              std::_Exit(124);
          }
      }) {}

Deadline::~Deadline() {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_watch.join();
}

bool MachineSim::WaitReceived(std::size_t size, std::chrono::milliseconds limit) const {
    return WaitUntil([&] { return received().size() >= size; }, limit);
}

PtyPeer::PtyPeer() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_path = ptsname(m_master);
    m_keep = open(m_path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(m_keep, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_keep, TCSANOW, &tio);
}

PtyPeer::~PtyPeer() {
    Close();
}

void PtyPeer::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(m_master, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EAGAIN) {
                QCoreApplication::processEvents();
                continue;
            }
            throw std::runtime_error("pty write failed");
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string PtyPeer::Read() {
    std::string bytes;
    char buffer[4096];
    while (true) {
        ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

void PtyPeer::Close() {
    if (m_keep >= 0)
        close(m_keep);
    if (m_master >= 0)
        close(m_master);
    m_keep = m_master = -1;
}

void CountingPump::ProcessEvents() {
    ++rounds;
    if (onRound)
        onRound(rounds);
    m_qt.ProcessEvents();
}

void CountingPump::Wait(std::chrono::milliseconds duration) {
    ++waits;
    if (fastWaits) {
        m_qt.ProcessEvents();
    } else {
        m_qt.Wait(duration);
    }
}

void RecordingView::ShowPortState(bool open, const std::string& settings) {
    portStates.push_back((open ? "open " : "closed ") + settings);
}

std::string Wire(std::string_view command) {
    return std::string("\x18   ") + command.front() + "   " + std::string(command.substr(1)) +
           std::string(13, ' ') + "\r\n";
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace kablos::test
