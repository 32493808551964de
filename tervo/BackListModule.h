#pragma once

// The back-panel list entries of the list framework: BackListModule implements every
// operation; BackListModule_L ("Tervo") and BackListModule_M ("Tervo_M") differ only in their
// identifier and list kind. The M entry chooses and lists the panels by panel number.

#include <filesystem>
#include <string>

#include "BackList.h"
#include "services/listframework.h"

namespace tervo {

class BackListModule : public zelko::ZelkoWiringPlanListModule {
public:
    ~BackListModule() override = default;

    const char* GetName() override { return m_name.c_str(); }
    const char* GetDisplayName() override { return m_displayName.c_str(); }
    int GetKind() override { return 0; }
    void SetOption(int option) override { m_option = option; }
    const char* GetDescription() override { return m_description1.c_str(); }
    const char* GetDescription2() override { return m_description2.c_str(); }
    int Execute(zelko::ListContext* context) override;
    int ShowOutput(zelko::ListContext* context) override;
    bool QueryFlag() override { return false; }
    int QueryInt1() override { return 0; }
    int QueryInt2() override { return 0; }
    int QueryInt3() override { return 3; }
    int OpenProject(zelko::ListProject* project) override;
    int QueryInt4() override { return 0; }

protected:
    /// `nameId`: the string id of the identifier.
    explicit BackListModule(unsigned nameId);

private:
    /// Moves the previous output into "OLD", writes the full lists and, with a previous
    /// revision, the difference files. 0 on success, 3 on any failure.
    int Run();
    /// Shows a message box owned by the framework's window, captioned with the display name.
    int Box(const std::string& text, int style);
    /// Fails the run: the log and the module's error text get `why` (empty: the error text
    /// already set).
    int Fail(const std::string& why);

    std::string m_name;
    std::string m_displayName;
    std::string m_description1;
    std::string m_description2;
    int m_option = 0;
    bool m_ready = false;
    bool m_mMode = false;
    std::filesystem::path m_outputFolder;
    zelko::ListPanelSelection m_selection;
    zelko::ListContext* m_context = nullptr;
};

class BackListModule_L : public BackListModule {
public:
    BackListModule_L();
    int GetKind() override { return 1; }
};

class BackListModule_M : public BackListModule {
public:
    BackListModule_M();
    int GetKind() override { return 2; }
};

/// Whether the files carry the wire-kind columns: the machine setting "Tervo_SENSYU" when it
/// is set (1 yes, any other non-zero value no), else whether the open project's data version
/// passes "25.0".
bool WireKindColumnsOn();

}  // namespace tervo
