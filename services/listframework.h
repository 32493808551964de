#pragma once

// KOLMBASE10 and its context library ZELKOWPA10: the wiring-plan list framework that hosts list
// modules such as TERVO. A module library exports `ZelkoWpInitApplication`, which registers its
// module objects here; the framework then shows their names and descriptions, hands them the
// open project and runs them with a context that gives the running list's project, plan and
// owner window and takes its output lines and progress.
//
// Here the framework is the program `listhost` (platform/listhost): it defines these functions
// and exports them to the module libraries it loads, together with the maker's services they
// call. Texts are UTF-8.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelko {

struct WpData;
/// The framework's project, as handed to a module's `OpenProject`.
struct ListProject;
/// The context of one running list operation (`Execute`, `ShowOutput`).
struct ListContext;
/// The framework's main window, owner of the modules' message boxes and file pickers.
struct ListWindow;

/// Result codes of a module's `Execute`, `ShowOutput` and `OpenProject`.
inline constexpr int kListSuccess = 0;
inline constexpr int kListFailed = 1;     ///< failure reported to the user
inline constexpr int kListCancelled = 2;  ///< cancelled by the user
inline constexpr int kListNotReady = 3;   ///< not ready, or failed

/// The module object the framework knows. The framework calls these operations through the
/// object's virtual table, so their declaration order is the slot order and must not change:
/// slot 0 the destructor, 1 GetName ... 8 ShowOutput, 9 to 12 the queries, 13 OpenProject,
/// 14 the last query. Slots 1 to 8 are for the module to implement.
class ZelkoWiringPlanListModule {
public:
    virtual ~ZelkoWiringPlanListModule() = default;
    /// The identifier the framework keys the module by ("Tervo").
    virtual const char* GetName() = 0;
    /// The name shown in the list of outputs.
    virtual const char* GetDisplayName() = 0;
    /// The list kind (0, 1 or 2).
    virtual int GetKind() = 0;
    /// Stores an integer for the framework.
    virtual void SetOption(int option) = 0;
    /// The two description lines shown under the name.
    virtual const char* GetDescription() = 0;
    virtual const char* GetDescription2() = 0;
    /// Runs the list output; one of the result codes above.
    virtual int Execute(ListContext* context) = 0;
    /// Lets the user open output files; one of the result codes above.
    virtual int ShowOutput(ListContext* context) = 0;
    /// Queries whose meaning is the framework's; the values are the framework's defaults.
    virtual bool QueryFlag() { return true; }
    virtual int QueryInt1() { return 0; }
    virtual int QueryInt2() { return 0; }
    virtual int QueryInt3() { return 3; }
    /// Prepares the module for the framework's project; one of the result codes above.
    virtual int OpenProject(ListProject* /*project*/) { return kListNotReady; }
    virtual int QueryInt4() { return 0; }

protected:
    ZelkoWiringPlanListModule() = default;
    ZelkoWiringPlanListModule(const ZelkoWiringPlanListModule&) = default;
    ZelkoWiringPlanListModule& operator=(const ZelkoWiringPlanListModule&) = default;
};

// --- Registration ---------------------------------------------------------------------------

/// Adds a module object to the framework's list outputs; false when it is null or already
/// registered. The module keeps owning the object.
bool ListRegisterModule(ZelkoWiringPlanListModule* module);
/// Removes a module object; false when it was not registered.
bool ListUnregisterModule(ZelkoWiringPlanListModule* module);

// --- Panel selection ------------------------------------------------------------------------

/// What the user chose in the framework's panel selection.
struct ListPanelSelection {
    std::string text;                 ///< the choice as shown ("P1,P2", "all"), up to 50 characters
    bool all = false;                 ///< every panel of the plan
    std::vector<std::string> panels;  ///< the chosen panel numbers, when not all
};

/// Runs the panel selection of the L entry (the panels in plan order) and of the M entry (the
/// panels that have a panel number, by number). True when the user completed it; false when
/// the user cancelled or chose no panel.
bool ListSelectPanels(ListContext* context, ListPanelSelection& selection);
bool ListSelectPanelsM(ListContext* context, ListPanelSelection& selection);

// --- The running list's context -------------------------------------------------------------

/// The framework's project, plan (owned by the framework, open for the project) and window.
ListProject* CtxProject(ListContext* context);
const WpData* CtxPlan(ListContext* context);
ListWindow* CtxWindow(ListContext* context);
/// Appends a line to the framework's output.
void CtxMessage(ListContext* context, std::string_view line);
/// Sets the progress of the running list, 0 to 100.
void CtxProgress(ListContext* context, int percent);
/// Bracket a work section (the framework shows it as busy).
void CtxBegin(ListContext* context);
void CtxEnd(ListContext* context);

/// The folder of the framework's project; empty when the handle is null or names none.
std::string ListProjectFolder(const ListProject* project);

// --- Window services of the framework -------------------------------------------------------

/// Message-box styles and answers, as the Windows message box numbers them.
inline constexpr int kMbOk = 0x0;
inline constexpr int kMbYesNo = 0x4;
inline constexpr int kMbIconQuestion = 0x20;
inline constexpr int kMbIconWarning = 0x30;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

/// Shows `text` with `caption` owned by `window` and returns the button the user chose.
int ListMessageBox(ListWindow* window, std::string_view text, std::string_view caption, int style);

/// A multi-selection file picker for existing files of `folder` matching the filter's pattern
/// ("TXT file(*.txt)|*.txt||"). False when the user cancelled; `chosen` holds full paths.
bool ListPickFiles(ListWindow* window, std::string_view title, const std::filesystem::path& folder,
                   std::string_view filter, std::vector<std::filesystem::path>& chosen);

/// Starts the user's text viewer on `file` as a process of its own, without a shell and
/// without waiting for it. False, with `error`, when it cannot be started.
bool ListStartViewer(const std::filesystem::path& file, std::string& error);

}  // namespace zelko
