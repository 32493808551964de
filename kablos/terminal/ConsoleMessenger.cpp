#include "ConsoleMessenger.h"

#include <ostream>

namespace kablos {

MsgAnswer ConsoleMessenger::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon,
                                   std::string_view caption) {
    m_out << (caption.empty() ? kAppTitle : caption) << ": " << text << std::endl;
    switch (buttons) {
        case MsgButtons::AbortRetryIgnore:
            return MsgAnswer::Ignore;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        case MsgButtons::RetryCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::Ok:
        case MsgButtons::OkCancel:
            break;
    }
    return MsgAnswer::Ok;
}

}  // namespace kablos
