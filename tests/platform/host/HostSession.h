#pragma once

// Test helpers around the host: the console captured in a string, answers from a list, a
// fresh host state per test.

#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"

namespace hosttest {

/// Answers the host's requests from a list; records the requests.
class ListAnswers : public host::AnswerSource {
public:
    explicit ListAnswers(std::vector<std::string> answers = {})
        : m_answers(answers.begin(), answers.end()) {}
    std::optional<std::string> Next(const host::Request& request) override;
    std::vector<host::Request> requests;

private:
    std::deque<std::string> m_answers;
};

/// Resets the host, captures its console and gives it answers while it lives.
class HostSession {
public:
    explicit HostSession(std::vector<std::string> answers = {});
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    /// What the console showed since the last call.
    std::string TakeConsole();
    ListAnswers& answers() { return m_answers; }
    host::Host& host() { return host::Host::Instance(); }

private:
    std::ostringstream m_console;
    ListAnswers m_answers;
};

}  // namespace hosttest
