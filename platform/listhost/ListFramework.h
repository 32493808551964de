#pragma once

// The list framework as listhost runs it on a terminal: the registered modules, the project
// and plan handed to them, and the answers to their questions - from the command line
// (--yes, --panels) or typed on standard input. Output lines and progress go to standard
// output.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "services/listframework.h"

namespace listhost {

/// How the framework answers the modules' questions.
struct Answers {
    bool yes = false;                   ///< answer every yes/no question with yes
    std::optional<std::string> panels;  ///< "P1,P2" or "all" instead of asking
};

/// The framework of one listhost run. Only one exists at a time; the functions of
/// services/listframework.h act on it.
class Framework {
public:
    Framework(Answers answers, std::istream& in, std::ostream& out);
    ~Framework();
    Framework(const Framework&) = delete;
    Framework& operator=(const Framework&) = delete;

    const std::vector<zelko::ZelkoWiringPlanListModule*>& Modules() const;
    /// The registered module whose identifier is `name`, or null.
    zelko::ZelkoWiringPlanListModule* Find(std::string_view name) const;

    /// Opens the project in `folder` for the modules: the maker's open project and its plan.
    /// False with `error` when it holds no readable project.
    bool OpenProject(const std::string& folder, std::string& error);
    zelko::ListProject* Project();
    zelko::ListContext* Context();
};

}  // namespace listhost
