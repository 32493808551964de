#include "BackListModule.h"

#include <map>
#include <memory>
#include <system_error>

#include "BkFiles.h"
#include "Registry.h"
#include "TervoLog.h"
#include "TervoText.h"
#include "common/text.h"
#include "services/bom.h"
#include "services/project.h"
#include "services/wiringplan.h"

namespace tervo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFormatNumber = "1.00";
constexpr const char* kTextFilter = "TXT file(*.txt)|*.txt||";

/// Terminal kinds from the parts database's terminal table, for wire ends whose terminal type
/// the wiring data leaves empty. Opens the database at the first lookup; each part's rows are
/// read once.
class TerminalKinds {
public:
    ~TerminalKinds() {
        if (m_db != nullptr) {
            zelko::BomClose(m_db);
        }
    }

    bool Lookup(zelko::BackWireEnd& end) {
        if (end.partCode.empty()) {
            return true;  // no part, nothing to look up
        }
        if (m_db == nullptr && !Open()) {
            return false;
        }
        auto part = m_parts.find(common::ToUpper(end.partCode));
        if (part == m_parts.end()) {
            part = m_parts.emplace(common::ToUpper(end.partCode), ReadPart(end.partCode)).first;
        }
        if (part->second.empty()) {
            SetErrorText(TervoMessage(kIdPartNotInTable, {end.partCode}));
            return false;
        }
        for (const auto& [terminal, kind] : part->second) {
            if (common::EqualsNoCase(terminal, end.terminalNo)) {
                end.terminalType = kind;
                return true;
            }
        }
        SetErrorText(TervoMessage(kIdTerminalNotInTable, {end.terminalNo}));
        return false;
    }

private:
    bool Open() {
        m_db = zelko::BomOpenDefault();
        if (m_db == nullptr) {
            SetErrorText(TervoMessage(kIdPartsDbCannotOpen));
            return false;
        }
        m_table = zelko::BomFindTable(m_db, zelko::BomRole::Terminals);
        if (m_table == nullptr) {
            SetErrorText(TervoMessage(kIdNoTerminalTable));
            return false;
        }
        const zelko::BomColumn* code = zelko::BomFindColumn(m_table, "code");
        if (code == nullptr) {
            SetErrorText(TervoMessage(kIdNoPartCodeField));
            return false;
        }
        m_codeField = zelko::BomFieldName(code);
        if (m_codeField.empty()) {
            SetErrorText(TervoMessage(kIdNoPartCodeFieldName));
            return false;
        }
        return true;
    }

    /// The part's rows as (terminal number "bompinval", terminal kind "bomkind6").
    std::vector<std::pair<std::string, std::string>> ReadPart(const std::string& partCode) {
        std::vector<std::pair<std::string, std::string>> rows;
        zelko::BomRows* found = zelko::BomQuery(m_db, m_table, m_codeField, partCode);
        while (found != nullptr && zelko::BomRowsNext(found)) {
            std::string terminal;
            std::string kind;
            zelko::BomRowsText(found, "bompinval", terminal);
            zelko::BomRowsText(found, "bomkind6", kind);
            rows.emplace_back(std::move(terminal), std::move(kind));
        }
        if (found != nullptr) {
            zelko::BomRowsFree(found);
        }
        return rows;
    }

    zelko::BomDb* m_db = nullptr;
    const zelko::BomTable* m_table = nullptr;
    std::string m_codeField;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_parts;
};

}  // namespace

bool WireKindColumnsOn() {
    CRegistry registry;
    if (registry.Open(kBypassKey, "r")) {
        if (auto value = registry.ReadDword(kWireKindValue); value && *value != 0) {
            return *value == 1;
        }
    } else if (!registry.Error().empty()) {
        LogLine(registry.Error());
    }
    return zelko::ProjectVersionCheck("25.0");
}

BackListModule::BackListModule(unsigned nameId)
    : m_name(TervoString(nameId)),
      m_displayName(TervoString(kIdDisplayName)),
      m_description1(TervoString(kIdDescription1)),
      m_description2(TervoString(kIdDescription2)) {}

BackListModule_L::BackListModule_L() : BackListModule(kIdNameL) {}

BackListModule_M::BackListModule_M() : BackListModule(kIdNameM) {}

int BackListModule::OpenProject(zelko::ListProject* project) {
    m_mMode = GetKind() == 2;
    m_ready = false;
    const std::string folder = zelko::ListProjectFolder(project);
    if (folder.empty()) {
        return zelko::kListNotReady;
    }
    m_outputFolder = fs::path(folder) / "FT_OUTPUT" / "BK";
    m_ready = true;
    return zelko::kListSuccess;
}

int BackListModule::Box(const std::string& text, int style) {
    return zelko::ListMessageBox(zelko::CtxWindow(m_context), text, m_displayName, style);
}

int BackListModule::Fail(const std::string& why) {
    // The reason of the failed run stays the error text, even when the log cannot take it.
    const std::string reason = why.empty() ? ErrorText() : why;
    LogLine(reason);
    SetErrorText(reason);
    return zelko::kListNotReady;
}

int BackListModule::Execute(zelko::ListContext* context) {
    if (!m_ready) {
        return zelko::kListNotReady;
    }
    m_context = context;
    if (Box(TervoMessage(kIdConfirmOutput, {m_displayName}),
            zelko::kMbYesNo | zelko::kMbIconQuestion) != zelko::kIdYes) {
        return zelko::kListCancelled;
    }
    zelko::CtxMessage(context, TervoMessage(kIdRunning, {m_displayName}));
    zelko::CtxMessage(context, TervoMessage(kIdFormatNumber, {kFormatNumber}));

    m_selection = {};
    const bool selected = m_mMode ? zelko::ListSelectPanelsM(context, m_selection)
                                  : zelko::ListSelectPanels(context, m_selection);
    if (!selected) {
        const std::string text = TervoMessage(kIdSettingsMissing);
        Box(text, zelko::kMbOk | zelko::kMbIconWarning);
        zelko::CtxMessage(context, text);
        return zelko::kListFailed;
    }

    LogLine(m_name + ": " + m_outputFolder.string() + " (" + m_selection.text + ")");
    zelko::CtxBegin(context);
    const int result = Run();
    zelko::CtxEnd(context);
    LogLine(m_name + ": result " + std::to_string(result));
    zelko::CtxMessage(context, TervoMessage(result == zelko::kListSuccess     ? kIdSucceeded
                                            : result == zelko::kListCancelled ? kIdCancelled
                                                                              : kIdFailed));
    return result;
}

int BackListModule::Run() {
    SetErrorText("");
    const zelko::WpData* plan = zelko::CtxPlan(m_context);
    if (plan == nullptr) {
        return Fail("the framework has no wiring plan open");
    }
    unsigned flags = kFlagAlways;
    if (WireKindColumnsOn()) {
        flags |= kFlagWireKind;
    }
    if (zelko::PlanUsesPlates(zelko::PlanData(plan)) == 1) {
        flags |= kFlagPlate;
    }

    std::string error;
    if (!PrepareOutputFolder(m_outputFolder, error)) {
        return Fail(error);
    }

    TerminalKinds kinds;
    ListRun run;
    run.folder = m_outputFolder;
    run.flags = flags;
    run.choice.byNumber = m_mMode;
    run.choice.all = m_selection.all;
    run.choice.panels = m_selection.panels;
    run.differences = zelko::ProjectRevisionState(0) == 2;
    run.lookup = [&kinds](zelko::BackWireEnd& end) { return kinds.Lookup(end); };
    run.events.progress = [this](int percent) { zelko::CtxProgress(m_context, percent); };
    run.events.undeletable = [](const std::string& fileName) {
        SetErrorText(TervoMessage(kIdCannotDeleteOutput, {fileName}));
    };
    if (!WriteBackLists(plan, run, error)) {
        if (ErrorText().empty()) {
            SetErrorText(error);
        } else if (!error.empty()) {
            LogLine(error);
        }
        return Fail("");
    }
    return zelko::kListSuccess;
}

int BackListModule::ShowOutput(zelko::ListContext* context) {
    if (!m_ready) {
        return zelko::kListNotReady;
    }
    m_context = context;
    std::error_code ec;
    if (!fs::is_directory(m_outputFolder, ec) && !fs::create_directories(m_outputFolder, ec)) {
        Box(TervoMessage(kIdCannotCreateFolder, {m_outputFolder.string()}),
            zelko::kMbOk | zelko::kMbIconWarning);
        return zelko::kListNotReady;
    }
    if (!fs::is_directory(m_outputFolder, ec)) {
        Box(TervoMessage(kIdCheckFolder, {m_outputFolder.string()}),
            zelko::kMbOk | zelko::kMbIconWarning);
        return zelko::kListNotReady;
    }
    std::vector<fs::path> chosen;
    if (!zelko::ListPickFiles(zelko::CtxWindow(context),
                              TervoMessage(kIdPickerTitle, {m_displayName}), m_outputFolder,
                              kTextFilter, chosen)) {
        return zelko::kListSuccess;
    }
    for (const auto& file : chosen) {
        std::string error;
        if (!zelko::ListStartViewer(file, error)) {
            LogLine(error);
        }
    }
    return zelko::kListSuccess;
}

}  // namespace tervo
