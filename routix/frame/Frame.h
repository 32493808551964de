#pragma once

// The process-wide state of the plug-in: plain variables without locks, as everything runs on
// the host's main thread.

#include "DocData.h"
#include "EditorReactor.h"
#include "ModelessWindow.h"

namespace routix {

/// The 3D mode flag: set by the 3D entry points for the duration of the call; the routines
/// read it to choose the 3D or the 2D form of their output. False at load.
extern bool g_b3DMode;

/// The document data manager (one CDocData per open document); null before init and after
/// unload.
extern AcApDataManager<CDocData>* g_pDocDataManager;

/// The editor reactor; null before init and after unload.
extern ORVAEditorReactor* g_pEditorReactor;

/// The modeless window slot and its visibility gate (shown only while greater than 0). No
/// command of the plug-in opens a modeless window, so the slot stays empty unless a caller
/// puts one there; unload destroys it.
extern CModelessWindow* g_pModelessWindow;
extern int g_nModelessGate;

/// "ROUTIX23" or "ROUTIX24": the name of this build (frame/Release.cpp).
const char* ReleaseName();
/// The maker's wiring-database updater library of this build's release, found in the
/// plug-in's own folder: "A23ZOWMR" (release 23) or "V24UDEVU" (release 24).
const char* WimUpdaterName();

}  // namespace routix

extern "C" {
/// Called by the host after loading: creates the document data manager and the editor
/// reactor (registered with the editor when the registry has one). A second call does nothing.
void ZelkoInitApplication();
/// Called by the host before unloading: deletes the reactor, destroys the modeless window,
/// deletes the document data manager.
void ZelkoUnloadApplication();
}
