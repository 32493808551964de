#include "platform/host/HostSession.h"

#include <iostream>

namespace hosttest {

std::optional<std::string> ListAnswers::Next(const host::Request& request) {
    requests.push_back(request);
    if (m_answers.empty())
        return std::nullopt;
    std::string answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

HostSession::HostSession(std::vector<std::string> answers) : m_answers(std::move(answers)) {
    host().Reset();
    host().SetConsole(&m_console);
    host().SetAnswers(&m_answers);
}

HostSession::~HostSession() {
    host().Reset();
    host().SetConsole(&std::cout);
    host().SetAnswers(nullptr);
}

std::string HostSession::TakeConsole() {
    std::string text = m_console.str();
    m_console.str("");
    return text;
}

}  // namespace hosttest
