#pragma once

// CSokucyou, the command context: every ROUTIX command routine creates one at its start and
// has it for the whole command. It carries the message helpers (CMessageBox), the drawing
// insertion (CArxBlock), the symbols of the drawing being worked on, and the helpers below:
// the drawing folder, the layout folder of a folder, opening a drawing in the editor, the
// selection helpers, the small drawing queries, the temporary folder and the path rules
// (CPathText). Commands use these and grow no copies of their own.

#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/ArxBlock.h"
#include "dbaccess/DbAccess.h"
#include "drawings/PathText.h"
#include "extract/ExtractInfo.h"
#include "frame/MessageBox.h"
#include "host/aced.h"

namespace routix {

class CSokucyou : public CMessageBox, public CArxBlock, public AcEdInputPointMonitor {
public:
    /// The path rules every command uses.
    using Path = CPathText;

    CSokucyou() = default;
    ~CSokucyou() override = default;
    CSokucyou(const CSokucyou&) = delete;
    CSokucyou& operator=(const CSokucyou&) = delete;

    // --- as an input-point monitor it changes nothing ---------------------------------
    Acad::ErrorStatus monitorInputPoint(bool& appendToTooltipStr,
                                        ACHAR*& additionalTooltipString) override;
    bool excludeFromOsnapCalculation(const std::vector<AcDbObjectId>& nestedEntity,
                                     std::intptr_t gsSelectionMark) override;

    // --- folders ----------------------------------------------------------------------

    /// The current drawing's folder ("DWGPREFIX" without its trailing separator), which must
    /// exist. Otherwise message 101 in a box with caption 102, and false.
    bool GetDwgFolder(std::string& folder) const;
    /// The layout folder the project-path service derives from `folder` (a project folder
    /// gives its "DWG/LAYOUT"); created when missing and `create` is set. True when the folder
    /// exists afterwards (`layout` is set whenever the service named one).
    bool GetLayoutFolder(std::string_view folder, std::string& layout, bool create) const;
    /// The user's temporary folder with a trailing separator: $TMPDIR when set, else /tmp.
    /// False, with "\nGetTempPath error" (with a period when `period`) printed, when there
    /// is none.
    static bool GetTempFolder(std::string& folder, bool period = false);

    // --- the editor -------------------------------------------------------------------

    /// Makes the open document of `path` (compared without regard to case) current, or
    /// opens the drawing as a new document: directly in the application context, else
    /// through it. A failure prints
    /// "\n%s(%d):appContextOpenDocument error (FileName=%s|es=%s)" and answers false.
    bool OpenDwg(std::string_view path) const;

    // --- selection (SNAPMODE 0 while the user selects) ---------------------------------

    /// The implied (pick-first) selection.
    static bool SelectImplied(CSelection& selection) { return routix::SelectImplied(selection); }
    /// What the user selects at the host's own prompt.
    static bool SelectObjects(CSelection& selection) { return routix::SelectObjects(selection); }
    /// What the user selects when asked with `prompt`.
    static bool SelectSingle(const ACHAR* prompt, CSelection& selection) {
        return routix::SelectWithPrompt(prompt, selection);
    }
    /// Block references only.
    static bool SelectBlockRefs(const ACHAR* prompt, CSelection& selection) {
        return routix::SelectBlockReferences(prompt, selection);
    }

    // --- small queries ----------------------------------------------------------------

    /// The layer of an entity as a new text (acutDelString); null on failure.
    static ACHAR* GetLayerName(const AcDbEntity* entity) { return LayerNameOf(entity); }
    /// The name of the block a reference refers to; false (printed) on failure.
    static bool GetBlockName(const AcDbBlockReference* reference, ACHAR* buffer, std::size_t size) {
        return BlockNameOf(reference, buffer, size);
    }
    /// The handle of an object as hexadecimal text; false (printed) on failure.
    static bool GetHandleText(AcDbObjectId id, ACHAR* buffer, std::size_t size = 17) {
        return HandleTextOf(id, buffer, size);
    }
    /// Whether a file or folder exists at `path`.
    static bool IsFileExist(std::string_view path) {
        return FileOrFolderExists(std::string(path).c_str());
    }

    /// The symbols of the drawing being worked on (CollectSymbols fills them).
    std::vector<CSymbol> m_symbols;
};

}  // namespace routix
