#include "ListFramework.h"

#include <fcntl.h>
#include <spawn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

#include "common/text.h"
#include "services/maker.h"
#include "services/numtext.h"
#include "services/project.h"
#include "services/wiringplan.h"

extern char** environ;

namespace zelko {
struct ListProject {
    std::string folder;
};
struct ListWindow {};
struct ListContext {
    int busy = 0;
    int progress = -1;
};
}  // namespace zelko

namespace listhost {

namespace fs = std::filesystem;
using zelko::ZelkoWiringPlanListModule;

namespace {

struct State {
    Answers answers;
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    std::vector<ZelkoWiringPlanListModule*> modules;
    zelko::ListProject project;
    zelko::ListContext context;
    zelko::ListWindow window;
    zelko::WpData* plan = nullptr;
};

State* g_state = nullptr;

std::ostream& Out() {
    return *g_state->out;
}

/// A line typed by the user; nothing at the end of the input.
std::optional<std::string> AskLine(std::string_view prompt) {
    Out() << prompt << std::flush;
    std::string line;
    if (!std::getline(*g_state->in, line)) {
        Out() << '\n';
        return std::nullopt;
    }
    return std::string(common::Trim(line));
}

/// A message text as the terminal shows it: CR LF and a leading line break as plain lines.
std::string ForTerminal(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        shown += text[i];
    }
    while (!shown.empty() && shown.front() == '\n') {
        shown.erase(0, 1);
    }
    while (!shown.empty() && shown.back() == '\n') {
        shown.pop_back();
    }
    return shown;
}

/// The panels a selection offers: all panels in plan order, or those with a number by number.
std::vector<std::pair<std::string, std::string>> OfferedPanels(bool byNumber) {
    std::vector<std::pair<std::string, std::string>> panels;
    const zelko::WpPanelList* list =
        byNumber ? zelko::WpTitlePanelList(g_state->plan) : zelko::WpPanelListOf(g_state->plan);
    for (int i = 0; i < zelko::WpPanelCount(list); ++i) {
        const zelko::WpPanel* panel = zelko::WpPanelAt(list, i);
        panels.emplace_back(zelko::WpPanelNo(panel), zelko::WpPanelName(panel));
    }
    return panels;
}

bool SelectPanels(bool byNumber, zelko::ListPanelSelection& selection) {
    if (g_state->plan == nullptr) {
        return false;
    }
    const auto offered = OfferedPanels(byNumber);
    std::string choice;
    if (g_state->answers.panels) {
        choice = *g_state->answers.panels;
    } else {
        Out() << "Panels:\n";
        for (const auto& [number, name] : offered) {
            Out() << "  " << number << '\t' << name << '\n';
        }
        auto typed = AskLine("Choose panels (P1,P2 or all; an empty line cancels): ");
        if (!typed) {
            return false;
        }
        choice = *typed;
    }
    selection = {};
    if (common::EqualsNoCase(common::Trim(choice), "all")) {
        selection.all = true;
        selection.text = "all";
        return !offered.empty();
    }
    for (std::string_view piece : common::Split(choice, ',')) {
        piece = common::Trim(piece);
        if (piece.empty()) {
            continue;
        }
        auto found = std::find_if(offered.begin(), offered.end(), [&](const auto& panel) {
            return common::EqualsNoCase(panel.first, piece);
        });
        if (found == offered.end()) {
            Out() << "No panel \"" << piece << "\" in the plan.\n";
            return false;
        }
        selection.panels.push_back(found->first);
    }
    if (selection.panels.empty()) {
        return false;
    }
    std::string text;
    for (const auto& panel : selection.panels) {
        text += (text.empty() ? "" : ",") + panel;
    }
    // The selection's text holds 50 characters (not bytes: a panel number may be Japanese).
    selection.text = std::string(common::TruncateChars(text, 50));
    return true;
}

/// The file patterns of a filter "Name(*.txt)|*.txt||": the texts after the first "|".
std::vector<std::string> FilterExtensions(std::string_view filter) {
    std::vector<std::string> extensions;
    auto pieces = common::Split(filter, '|');
    for (std::size_t i = 1; i < pieces.size(); i += 2) {
        for (std::string_view pattern : common::Split(pieces[i], ';')) {
            pattern = common::Trim(pattern);
            if (pattern.starts_with("*")) {
                extensions.emplace_back(pattern.substr(1));
            }
        }
    }
    return extensions;
}

}  // namespace

Framework::Framework(Answers answers, std::istream& in, std::ostream& out) {
    g_state = new State;
    g_state->answers = std::move(answers);
    g_state->in = &in;
    g_state->out = &out;
}

Framework::~Framework() {
    if (g_state->plan != nullptr) {
        zelko::WpDataFree(g_state->plan);
    }
    zelko::ProjClose();
    delete g_state;
    g_state = nullptr;
}

const std::vector<ZelkoWiringPlanListModule*>& Framework::Modules() const {
    return g_state->modules;
}

ZelkoWiringPlanListModule* Framework::Find(std::string_view name) const {
    for (auto* module : g_state->modules) {
        if (name == module->GetName()) {
            return module;
        }
    }
    return nullptr;
}

bool Framework::OpenProject(const std::string& folder, std::string& error) {
    if (!zelko::ProjOpen(folder)) {
        error = zelko::MakerLastError();
        return false;
    }
    g_state->plan = zelko::WpDataInit();
    if (!zelko::WpDataOpen(g_state->plan, "")) {
        error = zelko::MakerLastError();
        return false;
    }
    g_state->project.folder = zelko::ProjectFolder();
    return true;
}

zelko::ListProject* Framework::Project() {
    return &g_state->project;
}

zelko::ListContext* Framework::Context() {
    return &g_state->context;
}

}  // namespace listhost

// --- The framework's functions, as the modules call them -------------------------------------

namespace zelko {

using listhost::g_state;

bool ListRegisterModule(ZelkoWiringPlanListModule* module) {
    if (g_state == nullptr || module == nullptr ||
        std::find(g_state->modules.begin(), g_state->modules.end(), module) !=
            g_state->modules.end()) {
        return false;
    }
    g_state->modules.push_back(module);
    return true;
}

bool ListUnregisterModule(ZelkoWiringPlanListModule* module) {
    if (g_state == nullptr) {
        return false;
    }
    auto found = std::find(g_state->modules.begin(), g_state->modules.end(), module);
    if (found == g_state->modules.end()) {
        return false;
    }
    g_state->modules.erase(found);
    return true;
}

bool ListSelectPanels(ListContext* /*context*/, ListPanelSelection& selection) {
    return listhost::SelectPanels(false, selection);
}

bool ListSelectPanelsM(ListContext* /*context*/, ListPanelSelection& selection) {
    return listhost::SelectPanels(true, selection);
}

ListProject* CtxProject(ListContext* /*context*/) {
    return &g_state->project;
}

const WpData* CtxPlan(ListContext* /*context*/) {
    return g_state->plan;
}

ListWindow* CtxWindow(ListContext* /*context*/) {
    return &g_state->window;
}

void CtxMessage(ListContext* /*context*/, std::string_view line) {
    listhost::Out() << listhost::ForTerminal(line) << '\n' << std::flush;
}

void CtxProgress(ListContext* context, int percent) {
    percent = std::clamp(percent, 0, 100);
    if (context->busy > 0 && percent != context->progress) {
        context->progress = percent;
        listhost::Out() << "progress " << percent << "%\n" << std::flush;
    }
}

void CtxBegin(ListContext* context) {
    if (context->busy++ == 0) {
        context->progress = -1;
    }
}

void CtxEnd(ListContext* context) {
    if (context->busy > 0) {
        --context->busy;
    }
}

std::string ListProjectFolder(const ListProject* project) {
    return project != nullptr ? project->folder : std::string();
}

int ListMessageBox(ListWindow* /*window*/, std::string_view text, std::string_view caption,
                   int style) {
    listhost::Out() << '[' << caption << "] " << listhost::ForTerminal(text) << '\n';
    if ((style & 0xF) != kMbYesNo) {
        listhost::Out() << std::flush;
        return kIdOk;
    }
    if (g_state->answers.yes) {
        listhost::Out() << "(yes)\n" << std::flush;
        return kIdYes;
    }
    auto typed = listhost::AskLine("(y/n) ");
    return typed && (common::EqualsNoCase(*typed, "y") || common::EqualsNoCase(*typed, "yes"))
               ? kIdYes
               : kIdNo;
}

bool ListPickFiles(ListWindow* /*window*/, std::string_view title,
                   const std::filesystem::path& folder, std::string_view filter,
                   std::vector<std::filesystem::path>& chosen) {
    const auto extensions = listhost::FilterExtensions(filter);
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) &&
            std::any_of(extensions.begin(), extensions.end(), [&](const std::string& ext) {
                return name.size() > ext.size() &&
                       common::EqualsNoCase(std::string_view(name).substr(name.size() - ext.size()),
                                            ext);
            })) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return NaturalCompare(a.filename().string(), b.filename().string()) < 0;
    });
    auto& out = listhost::Out();
    out << title << " - " << folder.string() << '\n';
    for (std::size_t i = 0; i < files.size(); ++i) {
        out << "  " << i + 1 << '\t' << files[i].filename().string() << '\n';
    }
    auto typed = listhost::AskLine("Open files (numbers, or all; an empty line cancels): ");
    if (!typed || typed->empty()) {
        return false;
    }
    chosen.clear();
    if (common::EqualsNoCase(*typed, "all")) {
        chosen = files;
        return !chosen.empty();
    }
    std::string numbers = *typed;
    std::replace(numbers.begin(), numbers.end(), ',', ' ');
    for (std::string_view piece : common::Split(numbers, ' ')) {
        if (piece.empty()) {
            continue;
        }
        char* end = nullptr;
        const std::string text(piece);
        const long n = std::strtol(text.c_str(), &end, 10);
        if (*end != '\0' || n < 1 || static_cast<std::size_t>(n) > files.size()) {
            out << "No file number \"" << piece << "\".\n";
            return false;
        }
        chosen.push_back(files[static_cast<std::size_t>(n - 1)]);
    }
    return !chosen.empty();
}

bool ListStartViewer(const std::filesystem::path& file, std::string& error) {
    // The viewer command: $ZELKO_TEXT_VIEWER (words separated by blanks, no shell), else
    // xdg-open. The file is its last argument, passed as it is.
    const char* configured = std::getenv("ZELKO_TEXT_VIEWER");
    std::vector<std::string> words;
    for (std::string_view word : common::Split(
             configured != nullptr && *configured != '\0' ? configured : "xdg-open", ' ')) {
        if (!word.empty()) {
            words.emplace_back(word);
        }
    }
    words.push_back(file.string());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        error = "'" + words.front() + "' cannot be started: " + std::strerror(rc);
        return false;
    }
    return true;
}

}  // namespace zelko
