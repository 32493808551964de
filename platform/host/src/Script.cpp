#include "host/Script.h"

#include <dlfcn.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "common/text.h"
#include "render/Render.h"

namespace host {

// --- plug-in
// -----------------------------------------------------------------------------------------

Plugin::~Plugin() {
    Unload();
}

bool Plugin::Load(const std::filesystem::path& path, std::string* error) {
    Unload();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        if (error != nullptr)
            *error = dlerror();
        return false;
    }
    m_path = path;
    if (dlsym(m_handle, "ZelkoInitApplication") == nullptr) {
        if (error != nullptr)
            *error = path.string() + " has no export ZelkoInitApplication";
        dlclose(m_handle);
        m_handle = nullptr;
        return false;
    }
    Init();
    return true;
}

void Plugin::Init() {
    if (m_handle == nullptr)
        return;
    if (auto init = reinterpret_cast<void (*)()>(dlsym(m_handle, "ZelkoInitApplication")))
        init();
}

void Plugin::Unload() {
    if (m_handle == nullptr)
        return;
    if (auto unload = reinterpret_cast<void (*)()>(dlsym(m_handle, "ZelkoUnloadApplication")))
        unload();
    dlclose(m_handle);
    m_handle = nullptr;
}

std::string Plugin::OrdinalSymbol(int ordinal) {
    return "ZelkoOrdinal" + std::to_string(ordinal);
}

Plugin::EntryPoint Plugin::FindOrdinal(int ordinal) const {
    if (m_handle == nullptr)
        return nullptr;
    return reinterpret_cast<EntryPoint>(dlsym(m_handle, OrdinalSymbol(ordinal).c_str()));
}

// --- script
// ------------------------------------------------------------------------------------------

bool ReadScript(const std::filesystem::path& file, std::vector<std::string>& lines) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    lines.clear();
    for (std::string_view line : common::SplitLines(all))
        lines.emplace_back(line);
    return true;
}

ScriptRunner::ScriptRunner(std::vector<std::string> lines, std::string name,
                           std::filesystem::path folder, Plugin& plugin)
    : m_lines(std::move(lines)),
      m_name(std::move(name)),
      m_folder(std::move(folder)),
      m_plugin(plugin) {}

ScriptRunner::ScriptRunner(std::istream& input, Plugin& plugin)
    : m_name("(terminal)"),
      m_folder(std::filesystem::current_path()),
      m_input(&input),
      m_plugin(plugin) {}

void ScriptRunner::Error(const std::string& message) {
    m_failed = true;
    std::cerr << "cadhost: " << m_name;
    if (m_input == nullptr)
        std::cerr << ':' << m_next;
    std::cerr << ": " << message << std::endl;
}

std::filesystem::path ScriptRunner::Resolve(const std::string& path) const {
    const std::filesystem::path p(path);
    return p.is_absolute() ? p : m_folder / p;
}

std::optional<std::string> ScriptRunner::NextLine() {
    if (m_input != nullptr) {
        std::string line;
        if (!std::getline(*m_input, line))
            return std::nullopt;
        if (line.ends_with('\r'))
            line.pop_back();
        return line;
    }
    if (m_next >= m_lines.size())
        return std::nullopt;
    return m_lines[m_next++];
}

std::optional<std::string> ScriptRunner::Next(const Request& request) {
    if (m_input != nullptr) {
        if (request.kind == Request::Kind::MessageBox)
            Host::Instance().Console() << "(" << request.choices << ") ";
        Host::Instance().Console().flush();
        return NextLine();
    }
    // In a script the answer is the next line, which must be an answer line.
    if (m_next < m_lines.size() && m_lines[m_next].starts_with('>')) {
        std::string answer = m_lines[m_next++].substr(1);
        if (answer.starts_with(' '))
            answer.erase(0, 1);
        if (answer.ends_with('\r'))
            answer.pop_back();
        return answer;
    }
    std::string what = request.prompt;
    while (!what.empty() && (what.front() == '\n' || what.front() == '\r'))
        what.erase(0, 1);
    Error("the command asks \"" + what + "\" and the script gives no answer (\"> ...\")");
    return std::nullopt;
}

namespace {
ProjectOpener g_projectOpener;
}  // namespace

void SetProjectOpener(ProjectOpener opener) {
    g_projectOpener = std::move(opener);
}

int ScriptRunner::Run(bool cadScript) {
    Host& host = Host::Instance();
    // A CAD script runs inside the script that started it: both are put back afterwards.
    AnswerSource* const outerAnswers = host.AnswerSourceInUse();
    const bool outerScript = host.ScriptActive();
    host.SetAnswers(this);
    host.SetScriptActive(cadScript || outerScript);
    for (;;) {
        if (m_input != nullptr) {
            host.Console() << "\nCommand: ";
            host.Console().flush();
        }
        const auto line = NextLine();
        if (!line)
            break;
        std::string_view text = common::Trim(*line);
        if (text.ends_with('\r'))
            text.remove_suffix(1);
        if (text.empty() || text.front() == '#')
            continue;
        if (text.front() == '>') {
            Error("an answer line, but no command asks anything");
            continue;
        }
        if (!Execute(std::string(text)))
            m_failed = true;
    }
    host.SetScriptActive(outerScript);
    host.SetAnswers(outerAnswers);
    return m_failed ? 1 : 0;
}

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words.push_back(word);
    return words;
}

}  // namespace

bool ScriptRunner::Execute(const std::string& line) {
    Host& host = Host::Instance();
    const std::vector<std::string> words = Words(line);
    const std::string verb = common::ToUpper(words[0]);
    auto arity = [&](std::size_t min, std::size_t max) {
        if (words.size() - 1 < min || words.size() - 1 > max) {
            Error("\"" + words[0] + "\" takes " + std::to_string(min) +
                  (max != min ? " to " + std::to_string(max) : std::string()) + " arguments");
            return false;
        }
        return true;
    };
    if (verb == "OPEN") {
        if (!arity(1, 1))
            return false;
        std::string error;
        if (host.OpenDocument(Resolve(words[1]).string(), &error) != Acad::eOk) {
            Error("cannot open " + words[1] + ": " + error);
            return false;
        }
        return true;
    }
    if (verb == "ACTIVATE") {
        if (!arity(1, 1))
            return false;
        // By path or by file name, case-insensitively, as documents are looked up.
        for (AcApDocument* document : host.Documents()) {
            const std::filesystem::path path = host.DocumentPath(document);
            if (common::EqualsNoCase(path.string(),
                                     Resolve(words[1]).lexically_normal().string()) ||
                common::EqualsNoCase(path.filename().string(), words[1])) {
                host.Activate(document);
                return true;
            }
        }
        Error("no open document " + words[1]);
        return false;
    }
    if (verb == "CLOSE") {
        if (!arity(0, 0))
            return false;
        host.CloseCurrentDocument();
        return true;
    }
    if (verb == "SAVE") {
        if (!arity(0, 1))
            return false;
        std::string error;
        if (host.SaveCurrent(words.size() > 1 ? Resolve(words[1]).string() : "", &error) !=
            Acad::eOk) {
            Error("cannot save: " + error);
            return false;
        }
        return true;
    }
    if (verb == "LOAD") {
        if (!arity(1, 1))
            return false;
        std::string error;
        if (!m_plugin.Load(Resolve(words[1]), &error)) {
            Error("cannot load " + words[1] + ": " + error);
            return false;
        }
        return true;
    }
    if (verb == "INIT" || verb == "UNLOAD") {
        if (!arity(0, 0))
            return false;
        if (!m_plugin.Loaded()) {
            Error("no plug-in is loaded");
            return false;
        }
        verb == "INIT" ? m_plugin.Init() : m_plugin.Unload();
        return true;
    }
    if (verb == "ORDINAL") {
        if (!arity(1, 2))
            return false;
        char* end = nullptr;
        const long ordinal = std::strtol(words[1].c_str(), &end, 10);
        if (*end != '\0' || ordinal <= 0 || ordinal > 65535) {
            Error("\"" + words[1] + "\" is no ordinal");
            return false;
        }
        if (!m_plugin.Loaded()) {
            Error("no plug-in is loaded");
            return false;
        }
        const Plugin::EntryPoint entry = m_plugin.FindOrdinal(static_cast<int>(ordinal));
        if (entry == nullptr) {
            Error(m_plugin.Path().filename().string() + " exports no entry point for ordinal " +
                  words[1]);
            return false;
        }
        const std::string command = words.size() > 2 ? words[2] : "ZELKO" + std::to_string(ordinal);
        int result = 0;
        host.RunCommand(command, [&] {
            result = entry();
            return CommandOutcome::Ended;
        });
        std::cerr << "cadhost: ordinal " << ordinal << " returned " << result << std::endl;
        return true;
    }
    if (verb == "COMMAND") {
        if (!arity(1, 1000))
            return false;
        std::vector<std::unique_ptr<resbuf, int (*)(resbuf*)>> owned;
        std::vector<resbuf*> args;
        for (std::size_t i = 1; i < words.size(); ++i) {
            resbuf* item = nullptr;
            const std::string& word = words[i];
            AcDbObjectId id;
            if (word.size() > 1 && word.front() == '#' && host.CurrentDocument() != nullptr &&
                host.CurrentDocument()->database()->getAcDbObjectId(
                    id, false, AcDbHandle(word.c_str() + 1)) == Acad::eOk) {
                item = acutNewRb(RTENAME);
                acdbGetAdsName(item->resval.rlname, id);
            } else {
                item = acutNewRb(RTSTR);
                item->resval.rstring = acutNewString(word.c_str());
            }
            owned.emplace_back(item, acutRelRb);
            args.push_back(item);
        }
        if (host.RunHostCommand(args) != RTNORM) {
            Error("the command " + words[1] + " failed");
            return false;
        }
        return true;
    }
    if (verb == "RENDER") {
        // A picture of the current drawing as it stands at this line of the script.
        if (!arity(1, 3))
            return false;
        if (host.CurrentDocument() == nullptr) {
            Error("no drawing is open to render");
            return false;
        }
        render::Options options;
        if (words.size() > 2) {
            options.window =
                words.size() == 4 ? render::ParseWindow(words[2], words[3]) : std::nullopt;
            if (!options.window) {
                Error(
                    "\"render\" takes a picture's path and, for a window, two corners x1,y1 x2,y2");
                return false;
            }
        }
        const std::filesystem::path path = Resolve(words[1]);
        const render::Result result =
            render::RenderToFile(*host.CurrentDocument()->database(), path, options);
        for (const std::string& note : result.notes)
            std::cerr << "cadhost: render " << path.string() << ": " << note << std::endl;
        if (!result.ok) {
            Error("cannot render " + words[1] + ": " + result.error);
            return false;
        }
        std::cerr << "cadhost: render " << path.string() << ": " << result.drawn
                  << " entities drawn, " << result.widthPixels << " x " << result.heightPixels
                  << " pixels" << std::endl;
        return true;
    }
    if (verb == "SETVAR") {
        if (!arity(2, 2))
            return false;
        if (!host.SetVarText(words[1], words[2])) {
            Error("cannot set " + words[1] + " to " + words[2]);
            return false;
        }
        return true;
    }
    if (verb == "GETVAR") {
        if (!arity(1, 1))
            return false;
        const auto value = host.VarText(words[1]);
        if (!value) {
            Error("no system variable " + words[1]);
            return false;
        }
        host.Console() << "\n" << common::ToUpper(words[1]) << " = " << *value;
        host.Console().flush();
        return true;
    }
    if (verb == "SELECT") {
        std::vector<AcDbObjectId> ids;
        for (std::size_t i = 1; i < words.size(); ++i) {
            AcDbObjectId id;
            if (host.CurrentDocument() == nullptr ||
                host.CurrentDocument()->database()->getAcDbObjectId(
                    id, false, AcDbHandle(words[i].c_str())) != Acad::eOk) {
                Error("no object with the handle " + words[i]);
                return false;
            }
            ids.push_back(id);
        }
        host.PickFirst() = ids;
        return true;
    }
    if (verb == "PROJECT") {
        if (!arity(1, 1))
            return false;
        std::string error = "no project service";
        if (!g_projectOpener || !g_projectOpener(Resolve(words[1]), error)) {
            Error("cannot open the project " + words[1] + ": " + error);
            return false;
        }
        return true;
    }
    if (verb == "SCRIPT") {
        if (!arity(1, 1))
            return false;
        const std::filesystem::path file = Resolve(words[1]);
        std::vector<std::string> lines;
        if (!ReadScript(file, lines)) {
            Error("cannot read the script " + words[1]);
            return false;
        }
        ScriptRunner cad(std::move(lines), file.string(), file.parent_path(), m_plugin);
        return cad.Run(true) == 0;
    }
    if (verb == "ECHO") {
        host.Console() << "\n"
                       << line.substr(line.find_first_of(" \t") == std::string::npos
                                          ? line.size()
                                          : line.find_first_of(" \t") + 1);
        host.Console().flush();
        return true;
    }
    Error("unknown script command \"" + words[0] + "\"");
    return false;
}

}  // namespace host
