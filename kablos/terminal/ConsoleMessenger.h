#pragma once

#include <iosfwd>

#include "Messenger.h"

namespace kablos {

/// Message boxes for runs without a window: each message is printed as one line
/// "caption: text" and answered without waiting. Questions get the answer that lets an
/// unattended run go on without losing anything: Ignore for Abort/Retry/Ignore, Yes for
/// Yes/No, OK for the rest.
class ConsoleMessenger : public Messenger {
public:
    explicit ConsoleMessenger(std::ostream& out) : m_out(out) {}
    MsgAnswer MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                     std::string_view caption) override;

private:
    std::ostream& m_out;
};

}  // namespace kablos
