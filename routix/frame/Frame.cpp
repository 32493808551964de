// Start and stop of the plug-in.

#include "frame/Frame.h"

namespace routix {

bool g_b3DMode = false;
AcApDataManager<CDocData>* g_pDocDataManager = nullptr;
ORVAEditorReactor* g_pEditorReactor = nullptr;
CModelessWindow* g_pModelessWindow = nullptr;
int g_nModelessGate = 0;

}  // namespace routix

using namespace routix;

void ZelkoInitApplication() {
    if (g_pDocDataManager == nullptr)
        g_pDocDataManager = new AcApDataManager<CDocData>();
    if (g_pEditorReactor == nullptr)
        g_pEditorReactor = new ORVAEditorReactor(true);
}

void ZelkoUnloadApplication() {
    delete g_pEditorReactor;
    g_pEditorReactor = nullptr;
    delete g_pModelessWindow;
    g_pModelessWindow = nullptr;
    delete g_pDocDataManager;
    g_pDocDataManager = nullptr;
}
