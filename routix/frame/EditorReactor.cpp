#include "frame/EditorReactor.h"

#include "frame/Frame.h"

namespace routix {

namespace {

bool Filtered(const ACHAR* cmdStr) {
    return cmdStr != nullptr && acutWcMatchEx(cmdStr, kCommandFilter, true);
}

void ShowModeless(int command) {
    if (g_nModelessGate > 0 && g_pModelessWindow != nullptr)
        g_pModelessWindow->ShowWindow(command);
}

}  // namespace

ORVAEditorReactor::ORVAEditorReactor(bool autoInitAndRelease) {
    if (!autoInitAndRelease)
        return;
    if (AcEditor* editor = AcEditor::cast(acrxSysRegistry()->at("AcEditor"))) {
        editor->addReactor(this);
        m_bAutoInitAndRelease = true;
    }
}

ORVAEditorReactor::~ORVAEditorReactor() {
    if (!m_bAutoInitAndRelease)
        return;
    if (AcEditor* editor = AcEditor::cast(acrxSysRegistry()->at("AcEditor")))
        editor->removeReactor(this);
}

void ORVAEditorReactor::commandWillStart(const ACHAR* cmdStr) {
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr || g_pDocDataManager == nullptr)
        return;
    CDocData& data = g_pDocDataManager->docData(document);
    if (!Filtered(cmdStr))
        ++data.m_nCount;
    if (data.m_nCount == 1)
        ShowModeless(SW_HIDE);
}

void ORVAEditorReactor::CommandFinished(const ACHAR* cmdStr) {
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr || g_pDocDataManager == nullptr)
        return;
    CDocData& data = g_pDocDataManager->docData(document);
    if (!Filtered(cmdStr) && data.m_nCount > 0)
        --data.m_nCount;
    if (data.m_nCount == 0)
        ShowModeless(SW_SHOWDEFAULT);
}

void ORVAEditorReactor::commandEnded(const ACHAR* cmdStr) {
    CommandFinished(cmdStr);
}

void ORVAEditorReactor::commandCancelled(const ACHAR* cmdStr) {
    CommandFinished(cmdStr);
}

void ORVAEditorReactor::commandFailed(const ACHAR* cmdStr) {
    CommandFinished(cmdStr);
}

}  // namespace routix
