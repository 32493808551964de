#pragma once

// The message boxes of KABLOS, as an interface, so that the program's rules can ask and report
// without a window: the main program shows them as Qt message boxes, unattended runs print them,
// tests record them and give the answers they are told to give.

#include <string>
#include <string_view>

namespace kablos {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class MsgIcon { None, Warning, Question, Information, Critical };
enum class MsgAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

/// Title of the application; the caption of every message box that names none of its own.
inline constexpr std::string_view kAppTitle = "電線処理ダイアログ";

class Messenger {
public:
    virtual ~Messenger() = default;

    /// Shows `text` and returns the button the user chose. An empty `caption` means kAppTitle.
    virtual MsgAnswer MsgBox(std::string_view text, MsgButtons buttons = MsgButtons::Ok,
                             MsgIcon icon = MsgIcon::None, std::string_view caption = {}) = 0;

    /// A warning with an OK button, the form most of the program's reports take.
    void Warn(std::string_view text, std::string_view caption = {}) {
        MsgBox(text, MsgButtons::Ok, MsgIcon::Warning, caption);
    }
};

}  // namespace kablos
