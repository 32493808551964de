// The exports of TERVO10 that the list framework looks up by name.

#include <memory>

#include "BackListModule.h"
#include "TervoText.h"

namespace {

std::unique_ptr<tervo::BackListModule_L> g_moduleL;
std::unique_ptr<tervo::BackListModule_M> g_moduleM;

}  // namespace

extern "C" {

/// Creates the two list entries and registers them with the framework, once.
__attribute__((visibility("default"))) void ZelkoWpInitApplication() {
    if (!g_moduleL) {
        g_moduleL = std::make_unique<tervo::BackListModule_L>();
        zelko::ListRegisterModule(g_moduleL.get());
    }
    if (!g_moduleM) {
        g_moduleM = std::make_unique<tervo::BackListModule_M>();
        zelko::ListRegisterModule(g_moduleM.get());
    }
}

/// Unregisters and deletes the two list entries.
__attribute__((visibility("default"))) void ZelkoWpUnloadApplication() {
    if (g_moduleL) {
        zelko::ListUnregisterModule(g_moduleL.get());
        g_moduleL.reset();
    }
    if (g_moduleM) {
        zelko::ListUnregisterModule(g_moduleM.get());
        g_moduleM.reset();
    }
}

/// The module's error text: why the last run failed (UTF-8, up to 1024 characters), for the
/// framework to show.
__attribute__((visibility("default"))) const char* TervoErrorText() {
    return tervo::ErrorText().c_str();
}

}  // extern "C"
