#pragma once

// Helpers for the tests of the machine link: the machine simulator as a child process, a bare
// pseudo-terminal the test itself plays the machine on, an event pump that counts its rounds,
// and a view that records what the link shows.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "EventPump.h"
#include "MachineLink.h"
#include "support/FileSupport.h"

namespace kablos::test {

/// tools/machine-sim, started with `arguments`, logging what it receives.
class MachineSim {
public:
    explicit MachineSim(std::vector<std::string> arguments = {});
    ~MachineSim();
    MachineSim(const MachineSim&) = delete;
    MachineSim& operator=(const MachineSim&) = delete;

    /// The terminal the simulated machine serves.
    const std::string& path() const { return m_path; }
    /// Every byte the machine has received so far.
    std::string received() const;
    /// The machine's log, a line per command or frame it took, values in its units (lengths
    /// in millimetres): "W 03 wire length 1234.5 mm", "W1043 wire length 640 mm".
    std::vector<std::string> log() const;
    /// Waits until the machine has received at least `size` bytes.
    bool WaitReceived(std::size_t size,
                      std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
    /// Ends the machine process, as a line that goes dead.
    void Kill();

private:
    testsupport::TempDir m_dir;
    pid_t m_pid = -1;
    std::string m_path;
};

/// Ends the test program when the scope is not left within `limit`: a job or a run that hangs
/// fails with `what` on standard error instead of blocking the whole test run.
class Deadline {
public:
    Deadline(std::chrono::seconds limit, std::string what);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_watch;
};

/// A pseudo-terminal on which the test plays the machine, byte by byte.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;
    const std::string& path() const { return m_path; }
    void Send(std::string_view bytes);
    /// What KABLOS wrote, read without waiting.
    std::string Read();
    /// Closes the machine's end: the line is gone.
    void Close();

private:
    int m_master = -1;
    int m_keep = -1;
    std::string m_path;
};

/// Qt's event loop, counting the rounds; a hook runs at every round. With `fastWaits` a timed wait
/// is one round, so timeouts of thousands of polls pass at once.
class CountingPump : public EventPump {
public:
    void ProcessEvents() override;
    void Wait(std::chrono::milliseconds duration) override;

    int rounds = 0;
    int waits = 0;
    bool fastWaits = false;
    std::function<void(int round)> onRound;

private:
    QtEventPump m_qt;
};

/// Records what the link shows.
class RecordingView : public LinkView {
public:
    void ShowPortState(bool open, const std::string& settings) override;
    void ShowStatus(const std::string& text) override { status.push_back(text); }
    void StartStatusReset() override { ++statusResets; }
    void AppendTerminal(const std::string& text) override { terminal += text; }
    void SetWireGridShown(bool shown) override { gridShown.push_back(shown); }
    void Beep() override { ++beeps; }
    void DefaultPointer() override {}
    void EndProgram(int code) override { endedWith = code; }

    std::vector<std::string> portStates;  ///< "open 4800,N,8,1" / "closed ..."
    std::vector<std::string> status;
    int statusResets = 0;
    std::string terminal;
    std::vector<bool> gridShown;
    int beeps = 0;
    int endedWith = -1;
};

/// The bytes KABLOS sends for one ASCII command: CAN, three blanks, the first character, three
/// blanks, the rest, thirteen blanks, CR LF.
std::string Wire(std::string_view command);

/// Processes Qt events until `done` holds or `limit` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace kablos::test
