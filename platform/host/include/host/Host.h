#pragma once

// The state behind the host services of host/aced.h: the console, where answers come from, the
// open documents, the system variables, selection sets, the editor and document reactors and
// the commands the host runs. `cadhost` drives it from its command line and scripts; test
// programs drive it directly.

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/aced.h"

namespace host {

/// What the running command asks the user for.
struct Request {
    enum class Kind { String, Point, File, Selection, MessageBox, Dialog };
    Kind kind = Kind::String;
    std::string prompt;   // the prompt, or the message box's caption and text
    std::string choices;  // for a message box: "YES/NO" and the like
};

/// Where answers come from: the terminal or a script. Nothing means that no answer is
/// available (the request is cancelled).
class AnswerSource {
public:
    virtual ~AnswerSource() = default;
    virtual std::optional<std::string> Next(const Request& request) = 0;
};

/// How a command ended, for the editor reactors.
enum class CommandOutcome { Ended, Cancelled, Failed };

class Host {
public:
    static Host& Instance();

    /// The console (command line and the transcript of boxes and answers); stdout by default.
    void SetConsole(std::ostream* console) { m_console = console; }
    std::ostream& Console();
    /// Answers; without a source every request is cancelled.
    void SetAnswers(AnswerSource* source) { m_answers = source; }
    AnswerSource* AnswerSourceInUse() const { return m_answers; }
    /// Asks for an answer and echoes it on the console. Handles transparent commands: an
    /// answer beginning with "'" runs that command nested and asks again.
    std::optional<std::string> Ask(const Request& request);

    // Documents. An open document holds the lock of its drawing (arx/DrawingLock.h), so other
    // sessions see it in use; a drawing another holds opens without it.
    Acad::ErrorStatus OpenDocument(const std::string& path, std::string* error = nullptr);
    /// Closes the current document (the reactors hear documentToBeDestroyed first); the
    /// document opened before it becomes current.
    void CloseCurrentDocument();
    void CloseAllDocuments();
    AcApDocument* CurrentDocument() const;
    std::vector<AcApDocument*> Documents() const;
    Acad::ErrorStatus Activate(AcApDocument* document);
    /// Saves the current drawing to `path`, or to its own file when empty.
    Acad::ErrorStatus SaveCurrent(const std::string& path, std::string* error = nullptr);
    std::string DocumentPath(const AcApDocument* document) const;
    void AddDocReactor(AcApDocManagerReactor* reactor);
    void RemoveDocReactor(AcApDocManagerReactor* reactor);

    // Editor reactors and commands.
    void AddEditorReactor(AcEditorReactor* reactor);
    void RemoveEditorReactor(AcEditorReactor* reactor);
    std::size_t EditorReactorCount() const { return m_editorReactors.size(); }
    /// Runs `body` as the command `name`: the editor reactors hear commandWillStart before and
    /// commandEnded, commandCancelled or commandFailed after, as `body` says.
    CommandOutcome RunCommand(const std::string& name, const std::function<CommandOutcome()>& body);
    /// How many commands are running (nested ones counted).
    int CommandDepth() const { return m_commandDepth; }
    /// Runs a host command with its answers (acedCmdS, script "command" lines).
    int RunHostCommand(const std::vector<resbuf*>& args);
    /// True while the host runs a CAD script (CMDACTIVE bit 4); cadhost's answer scripts stand
    /// for the user at the keyboard and leave it clear.
    void SetScriptActive(bool active) { m_scriptActive = active; }
    bool ScriptActive() const { return m_scriptActive; }

    // System variables.
    int GetVar(const std::string& name, resbuf* result) const;
    int SetVar(const std::string& name, const resbuf* value);
    /// The value as text ("1", "0.5", "/path/", "1,2,0"), for scripts; nothing when unknown.
    std::optional<std::string> VarText(const std::string& name) const;
    /// Sets from text as its type reads it.
    bool SetVarText(const std::string& name, const std::string& text);

    // Selection sets.
    std::int64_t NewSelectionSet(std::vector<AcDbObjectId> ids);
    std::vector<AcDbObjectId>* SelectionSet(const ads_name ss);
    void FreeSelectionSet(const ads_name ss);
    std::size_t OpenSelectionSetCount() const { return m_selectionSets.size(); }
    std::vector<AcDbObjectId>& PickFirst() { return m_pickFirst; }
    std::vector<AcDbObjectId>& Previous() { return m_previous; }

    // The progress meter, as the status bar shows it ("Updating... 30%"; empty when none).
    std::string& ProgressText() { return m_progress; }
    /// Where the host notes what it shows outside the command line (the progress meter):
    /// standard error in cadhost, nowhere by default.
    void SetTrace(std::ostream* trace) { m_trace = trace; }
    std::ostream* Trace() const { return m_trace; }

    /// The application context (outside every command).
    bool InApplicationContext() const { return m_commandDepth == 0; }

    /// Forgets every document, reactor, selection set and variable value (tests).
    void Reset();

private:
    Host();
    struct Document;
    struct Variable;
    std::ostream* m_console;
    AnswerSource* m_answers = nullptr;
    std::vector<std::unique_ptr<Document>> m_documents;
    std::vector<AcApDocManagerReactor*> m_docReactors;
    std::vector<AcEditorReactor*> m_editorReactors;
    int m_commandDepth = 0;
    bool m_scriptActive = false;
    std::map<std::string, Variable> m_variables;
    std::map<std::int64_t, std::vector<AcDbObjectId>> m_selectionSets;
    std::int64_t m_nextSelectionSet = 1;
    std::vector<AcDbObjectId> m_pickFirst;
    std::vector<AcDbObjectId> m_previous;
    std::string m_progress;
    std::ostream* m_trace = nullptr;
};

/// A host command that another library provides (the maker's commands): it gets the argument
/// chain after the command name and runs inside RunCommand, so the reactors hear it.
using HostCommand = std::function<CommandOutcome(const std::vector<resbuf*>& arguments)>;
/// Adds (or replaces) the host command `name` (compared by its global name).
void RegisterHostCommand(const std::string& name, HostCommand command);

/// The second word of every selection-set name.
inline constexpr std::int64_t kSelectionSetTag = 0x5353;

/// The global name of a command: leading "_", "." and "'" dropped, upper case ("_.mirror" is
/// "MIRROR").
std::string GlobalCommandName(const std::string& name);

/// True when the entity `id` passes the selection filter chain (see acedSSGet).
/// Sets `error` and answers false for a filter the host does not understand.
bool PassesFilter(AcDbObjectId id, const resbuf* filter, std::string* error = nullptr);

}  // namespace host
