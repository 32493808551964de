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
/// read once. A failed lookup leaves its message (20502 to 20510) in Message().
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
            m_message = TervoMessage(kIdPartNotInTable, {end.partCode});
            return false;
        }
        for (const auto& [terminal, kind] : part->second) {
            if (common::EqualsNoCase(terminal, end.terminalNo)) {
                end.terminalType = kind;
                return true;
            }
        }
        m_message = TervoMessage(kIdTerminalNotInTable, {end.terminalNo});
        return false;
    }

    const std::string& Message() const { return m_message; }

private:
    bool Open() {
        m_db = zelko::BomOpenDefault();
        if (m_db == nullptr) {
            m_message = TervoMessage(kIdPartsDbCannotOpen);
            return false;
        }
        m_table = zelko::BomFindTable(m_db, zelko::BomRole::Terminals);
        if (m_table == nullptr) {
            m_message = TervoMessage(kIdNoTerminalTable);
            return false;
        }
        const zelko::BomColumn* code = zelko::BomFindColumn(m_table, "code");
        if (code == nullptr) {
            m_message = TervoMessage(kIdNoPartCodeField);
            return false;
        }
        m_codeField = zelko::BomFieldName(code);
        if (m_codeField.empty()) {
            m_message = TervoMessage(kIdNoPartCodeFieldName);
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
    std::string m_message;
};

}  // namespace

bool WireKindColumnsOn() {
    CRegistry registry;
    if (registry.Open(kBypassKey, "r")) {
        if (auto value = registry.ReadDword(kWireKindValue); value && *value != 0) {
            return *value == 1;
        }
    } else if (!registry.Error().empty()) {
        // Read as missing; the run goes on, and the error text keeps why.
        LogLine(registry.Error());
        SetWarningText(registry.Error());
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
    // The error text keeps the run's first reason; the log takes every reason in words.
    if (!why.empty()) {
        SetErrorText(why);
        LogLine(why);
    }
    return zelko::kListNotReady;
}

int BackListModule::Execute(zelko::ListContext* context) {
    if (!m_ready) {
        return zelko::kListNotReady;
    }
    m_context = context;
    SetLogOwner(zelko::CtxWindow(context));
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
    ClearErrorText();
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

    ListRun run;
    run.folder = m_outputFolder;
    run.flags = flags;
    run.choice.byNumber = m_mMode;
    run.choice.all = m_selection.all;
    run.choice.panels = m_selection.panels;

    // A chosen panel whose number cannot name a file fails the run before anything moves.
    std::string error;
    if (std::vector<ListPanel> panels; !ChosenPanels(plan, run.choice, panels, error)) {
        return Fail(error);
    }
    if (!PrepareOutputFolder(m_outputFolder, error)) {
        return Fail(error);
    }

    TerminalKinds kinds;
    std::string partsMessage;  // shown to the user; the error text is not for these
    run.differences = zelko::ProjectRevisionState(0) == 2;
    run.diff.deviceTextsCount =
        (zelko::PlanOption(zelko::PlanData(plan)) & kPlanOptionDeviceTexts) != 0;
    run.lookup = [&](zelko::BackWireEnd& end) {
        if (kinds.Lookup(end)) {
            return true;
        }
        partsMessage = kinds.Message();
        Box(partsMessage, zelko::kMbOk | zelko::kMbIconWarning);
        return false;
    };
    run.events.progress = [this](int percent) { zelko::CtxProgress(m_context, percent); };
    run.events.undeletable = [](const std::string& fileName) {
        const std::string text = TervoMessage(kIdCannotDeleteOutput, {fileName});
        SetErrorText(text);
        LogLine(text);
    };
    if (!WriteBackLists(plan, run, error)) {
        if (!partsMessage.empty()) {
            LogLine(partsMessage);
            return zelko::kListNotReady;
        }
        return Fail(error);
    }
    return zelko::kListSuccess;
}

int BackListModule::ShowOutput(zelko::ListContext* context) {
    if (!m_ready) {
        return zelko::kListNotReady;
    }
    m_context = context;
    SetLogOwner(zelko::CtxWindow(context));
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
