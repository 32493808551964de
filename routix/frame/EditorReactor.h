#pragma once

// The editor reactor: counts the commands running in each document (commands that match the
// filter are not counted) and hides the modeless window while any runs.

#include "host/aced.h"

namespace routix {

/// The commands that are not counted, matched case-insensitively against the global name.
inline constexpr const char* kCommandFilter = "U,UNDO,NEW,OPEN,REDRAW,REGEN,SETVAR,*PROJECT*";

class ORVAEditorReactor : public AcEditorReactor {
public:
    /// With `autoInitAndRelease`, registers with the editor found as "AcEditor" in the system
    /// registry; without an editor the reactor stays unregistered and hears nothing.
    explicit ORVAEditorReactor(bool autoInitAndRelease = true);
    ~ORVAEditorReactor() override;
    ORVAEditorReactor(const ORVAEditorReactor&) = delete;
    ORVAEditorReactor& operator=(const ORVAEditorReactor&) = delete;

    bool IsRegistered() const { return m_bAutoInitAndRelease; }

    void commandWillStart(const ACHAR* cmdStr) override;
    void commandEnded(const ACHAR* cmdStr) override;
    void commandCancelled(const ACHAR* cmdStr) override;
    void commandFailed(const ACHAR* cmdStr) override;

private:
    void CommandFinished(const ACHAR* cmdStr);
    bool m_bAutoInitAndRelease = false;
};

}  // namespace routix
