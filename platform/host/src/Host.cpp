#include "host/Host.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "arx/DrawingLock.h"
#include "common/text.h"

namespace host {

struct Host::Document {
    std::unique_ptr<AcDbDatabase> database;
    std::unique_ptr<AcApDocument> document;
    std::string path;
    arx::DrawingLock lock;  // held while the document is open, unless another holds it
};

// A system variable: its type (RTSHORT, RTREAL, RTSTR) and value; computed ones have a getter.
struct Host::Variable {
    int type = RTSHORT;
    short integer = 0;
    double real = 0;
    std::string text;
    bool readOnly = false;
    std::function<Variable()> compute;
};

Host& Host::Instance() {
    static Host host;
    return host;
}

Host::Host() : m_console(&std::cout) {
    Reset();
}

std::ostream& Host::Console() {
    return *m_console;
}

void Host::Reset() {
    CloseAllDocuments();
    m_docReactors.clear();
    m_editorReactors.clear();
    m_selectionSets.clear();
    m_pickFirst.clear();
    m_previous.clear();
    m_progress.clear();
    m_commandDepth = 0;
    m_scriptActive = false;
    m_variables.clear();
    auto shortVar = [this](const char* name, short value) {
        Variable v;
        v.type = RTSHORT;
        v.integer = value;
        m_variables[name] = v;
    };
    shortVar("SNAPMODE", 0);
    shortVar("OSMODE", 4133);
    shortVar("CMDECHO", 1);
    shortVar("MIRRTEXT", 0);
    shortVar("ORTHOMODE", 0);
    shortVar("FILEDIA", 1);
    shortVar("PICKFIRST", 1);
    shortVar("ATTREQ", 1);
    shortVar("ATTDIA", 0);
    Variable cmdactive;
    cmdactive.readOnly = true;
    cmdactive.compute = [this] {
        Variable v;
        v.type = RTSHORT;
        v.integer = static_cast<short>((m_commandDepth > 0 ? 1 : 0) | (m_commandDepth > 1 ? 2 : 0) |
                                       (m_scriptActive ? 4 : 0));
        return v;
    };
    m_variables["CMDACTIVE"] = cmdactive;
    Variable prefix;
    prefix.readOnly = true;
    prefix.compute = [this] {
        Variable v;
        v.type = RTSTR;
        const std::string path = DocumentPath(CurrentDocument());
        if (!path.empty()) {
            v.text = std::filesystem::path(path).parent_path().string();
            if (!v.text.ends_with('/'))
                v.text += '/';
        }
        return v;
    };
    m_variables["DWGPREFIX"] = prefix;
    Variable name;
    name.readOnly = true;
    name.compute = [this] {
        Variable v;
        v.type = RTSTR;
        const std::string path = DocumentPath(CurrentDocument());
        v.text = path.empty() ? "Drawing1.dwg" : std::filesystem::path(path).filename().string();
        return v;
    };
    m_variables["DWGNAME"] = name;
    Variable dimscale;
    dimscale.type = RTREAL;
    dimscale.compute = [this] {
        Variable v;
        v.type = RTREAL;
        AcApDocument* document = CurrentDocument();
        v.real = document != nullptr ? document->database()->dimscale() : 1.0;
        return v;
    };
    m_variables["DIMSCALE"] = dimscale;
}

std::optional<std::string> Host::Ask(const Request& request) {
    for (;;) {
        if (request.kind != Request::Kind::MessageBox)
            Console() << request.prompt;
        std::optional<std::string> answer =
            m_answers != nullptr ? m_answers->Next(request) : std::nullopt;
        if (request.kind != Request::Kind::MessageBox)
            Console() << (answer ? *answer : std::string("*Cancel*"));
        Console().flush();
        if (answer && answer->starts_with('\'') && answer->size() > 1) {
            // A transparent command: run it inside the running one, then ask again.
            resbuf name{};
            name.restype = RTSTR;
            std::string command = answer->substr(1);
            name.resval.rstring = command.data();
            RunHostCommand({&name});
            continue;
        }
        return answer;
    }
}

// --- documents
// ---------------------------------------------------------------------------------------

Acad::ErrorStatus Host::OpenDocument(const std::string& path, std::string* error) {
    auto database = std::make_unique<AcDbDatabase>(false, false);
    // A drawing in use elsewhere opens from its saved file, without the lock (read-only, as
    // the CAD host opens it).
    const Acad::ErrorStatus es =
        database->readDwgFile(path.c_str(), AcDbDatabase::kForReadAndAllShare);
    if (es != Acad::eOk) {
        if (error != nullptr)
            *error = database->lastError().empty() ? std::string(acadErrorStatusText(es))
                                                   : database->lastError();
        return es;
    }
    auto entry = std::make_unique<Document>();
    entry->document = std::make_unique<AcApDocument>(database.get());
    entry->database = std::move(database);
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    entry->path = absolute.empty() ? path : absolute.lexically_normal().string();
    std::string lockError;
    if (!entry->lock.Acquire(entry->path, &lockError) && m_trace != nullptr)
        *m_trace << "cadhost: " << lockError << ": opened without its lock" << std::endl;
    AcApDocument* document = entry->document.get();
    m_documents.push_back(std::move(entry));
    for (AcApDocManagerReactor* reactor : std::vector(m_docReactors))
        reactor->documentCreated(document);
    return Activate(document);
}

Acad::ErrorStatus Host::Activate(AcApDocument* document) {
    const auto found = std::find_if(m_documents.begin(), m_documents.end(),
                                    [&](const auto& d) { return d->document.get() == document; });
    if (found == m_documents.end())
        return Acad::eInvalidInput;
    acDocManagerPtr()->setCurDocument(document);
    for (AcApDocManagerReactor* reactor : std::vector(m_docReactors))
        reactor->documentBecameCurrent(document);
    return Acad::eOk;
}

void Host::CloseCurrentDocument() {
    AcApDocument* current = CurrentDocument();
    const auto found = std::find_if(m_documents.begin(), m_documents.end(),
                                    [&](const auto& d) { return d->document.get() == current; });
    if (found == m_documents.end())
        return;
    for (AcApDocManagerReactor* reactor : std::vector(m_docReactors))
        reactor->documentToBeDestroyed(current);
    m_selectionSets.clear();
    m_pickFirst.clear();
    m_previous.clear();
    acDocManagerPtr()->setCurDocument(nullptr);
    m_documents.erase(found);
    if (!m_documents.empty())
        Activate(m_documents.back()->document.get());
}

void Host::CloseAllDocuments() {
    while (!m_documents.empty()) {
        if (CurrentDocument() == nullptr)
            acDocManagerPtr()->setCurDocument(m_documents.back()->document.get());
        CloseCurrentDocument();
    }
    acDocManagerPtr()->setCurDocument(nullptr);
}

AcApDocument* Host::CurrentDocument() const {
    return acDocManagerPtr()->curDocument();
}

std::vector<AcApDocument*> Host::Documents() const {
    std::vector<AcApDocument*> documents;
    for (const auto& d : m_documents)
        documents.push_back(d->document.get());
    return documents;
}

std::string Host::DocumentPath(const AcApDocument* document) const {
    for (const auto& d : m_documents)
        if (d->document.get() == document)
            return d->path;
    return {};
}

Acad::ErrorStatus Host::SaveCurrent(const std::string& path, std::string* error) {
    AcApDocument* current = CurrentDocument();
    if (current == nullptr) {
        if (error != nullptr)
            *error = "no drawing is open";
        return Acad::eNoDocument;
    }
    const std::string target = path.empty() ? DocumentPath(current) : path;
    const Acad::ErrorStatus es = current->database()->saveAs(target.c_str());
    if (es != Acad::eOk && error != nullptr)
        *error = current->database()->lastError().empty() ? std::string(acadErrorStatusText(es))
                                                          : current->database()->lastError();
    return es;
}

void Host::AddDocReactor(AcApDocManagerReactor* reactor) {
    if (std::find(m_docReactors.begin(), m_docReactors.end(), reactor) == m_docReactors.end())
        m_docReactors.push_back(reactor);
}

void Host::RemoveDocReactor(AcApDocManagerReactor* reactor) {
    std::erase(m_docReactors, reactor);
}

// --- commands
// ----------------------------------------------------------------------------------------

void Host::AddEditorReactor(AcEditorReactor* reactor) {
    if (std::find(m_editorReactors.begin(), m_editorReactors.end(), reactor) ==
        m_editorReactors.end())
        m_editorReactors.push_back(reactor);
}

void Host::RemoveEditorReactor(AcEditorReactor* reactor) {
    std::erase(m_editorReactors, reactor);
}

CommandOutcome Host::RunCommand(const std::string& name,
                                const std::function<CommandOutcome()>& body) {
    const std::string global = GlobalCommandName(name);
    for (AcEditorReactor* reactor : std::vector(m_editorReactors))
        reactor->commandWillStart(global.c_str());
    ++m_commandDepth;
    CommandOutcome outcome = CommandOutcome::Failed;
    try {
        outcome = body();
    } catch (...) {
        --m_commandDepth;
        for (AcEditorReactor* reactor : std::vector(m_editorReactors))
            reactor->commandFailed(global.c_str());
        throw;
    }
    --m_commandDepth;
    for (AcEditorReactor* reactor : std::vector(m_editorReactors)) {
        switch (outcome) {
            case CommandOutcome::Ended:
                reactor->commandEnded(global.c_str());
                break;
            case CommandOutcome::Cancelled:
                reactor->commandCancelled(global.c_str());
                break;
            case CommandOutcome::Failed:
                reactor->commandFailed(global.c_str());
                break;
        }
    }
    return outcome;
}

std::string GlobalCommandName(const std::string& name) {
    std::size_t start = 0;
    while (start < name.size() && (name[start] == '_' || name[start] == '.' || name[start] == '\''))
        ++start;
    return common::ToUpper(name.substr(start));
}

// --- system variables ----------------------------------------------------------------------------

int Host::GetVar(const std::string& name, resbuf* result) const {
    const auto found = m_variables.find(common::ToUpper(name));
    if (found == m_variables.end() || result == nullptr)
        return RTERROR;
    const Variable value = found->second.compute ? found->second.compute() : found->second;
    result->restype = static_cast<short>(value.type);
    switch (value.type) {
        case RTSHORT:
            result->resval.rint = value.integer;
            break;
        case RTREAL:
            result->resval.rreal = value.real;
            break;
        default:
            result->resval.rstring = acutNewString(value.text.c_str());
            break;
    }
    return RTNORM;
}

int Host::SetVar(const std::string& name, const resbuf* value) {
    const auto found = m_variables.find(common::ToUpper(name));
    if (found == m_variables.end() || value == nullptr || found->second.readOnly)
        return RTERROR;
    Variable& variable = found->second;
    switch (variable.type) {
        case RTSHORT:
            if (value->restype == RTSHORT)
                variable.integer = value->resval.rint;
            else if (value->restype == RTLONG)
                variable.integer = static_cast<short>(value->resval.rlong);
            else
                return RTERROR;
            break;
        case RTREAL:
            if (value->restype == RTREAL)
                variable.real = value->resval.rreal;
            else if (value->restype == RTSHORT)
                variable.real = value->resval.rint;
            else
                return RTERROR;
            if (variable.compute && found->first == "DIMSCALE" && CurrentDocument() != nullptr)
                CurrentDocument()->database()->setDimscale(variable.real);
            break;
        default:
            if (value->restype != RTSTR || value->resval.rstring == nullptr)
                return RTERROR;
            variable.text = value->resval.rstring;
            break;
    }
    return RTNORM;
}

std::optional<std::string> Host::VarText(const std::string& name) const {
    resbuf value{};
    if (GetVar(name, &value) != RTNORM)
        return std::nullopt;
    std::ostringstream text;
    switch (value.restype) {
        case RTSHORT:
            text << value.resval.rint;
            break;
        case RTREAL:
            text << value.resval.rreal;
            break;
        default:
            text << (value.resval.rstring != nullptr ? value.resval.rstring : "");
            acutDelString(value.resval.rstring);
            break;
    }
    return text.str();
}

bool Host::SetVarText(const std::string& name, const std::string& text) {
    resbuf current{};
    if (GetVar(name, &current) != RTNORM)
        return false;
    resbuf value{};
    value.restype = current.restype;
    std::string copy = text;
    switch (current.restype) {
        case RTSHORT: {
            char* end = nullptr;
            const long number = std::strtol(text.c_str(), &end, 0);
            if (text.empty() || *end != '\0' || number < -32768 || number > 32767)
                return false;
            value.resval.rint = static_cast<short>(number);
            break;
        }
        case RTREAL: {
            char* end = nullptr;
            value.resval.rreal = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0')
                return false;
            break;
        }
        default:
            acutDelString(current.resval.rstring);
            value.resval.rstring = copy.data();
            break;
    }
    return SetVar(name, &value) == RTNORM;
}

// --- selection sets ------------------------------------------------------------------------------

std::int64_t Host::NewSelectionSet(std::vector<AcDbObjectId> ids) {
    const std::int64_t number = m_nextSelectionSet++;
    m_selectionSets[number] = std::move(ids);
    return number;
}

std::vector<AcDbObjectId>* Host::SelectionSet(const ads_name ss) {
    if (ss == nullptr)
        return nullptr;
    const auto found = m_selectionSets.find(ss[0]);
    return found == m_selectionSets.end() || ss[1] != kSelectionSetTag ? nullptr : &found->second;
}

void Host::FreeSelectionSet(const ads_name ss) {
    if (SelectionSet(ss) != nullptr)
        m_selectionSets.erase(ss[0]);
}

}  // namespace host
