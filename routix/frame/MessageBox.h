#pragma once

// CMessageBox: the message helpers every command has at hand (the command context derives from
// it). Texts come from the string table by id; inserts follow the "%1", "%2!d!" syntax.

#include <cstddef>
#include <initializer_list>
#include <string>

#include "host/aced.h"
#include "messages/messages.h"

namespace routix {

/// The size of the helpers' text buffers, in characters.
inline constexpr std::size_t kMessageBufferSize = 1024;

class CMessageBox {
public:
    virtual ~CMessageBox() = default;

    /// Loads message `id`, expands its inserts (at most 1023 characters) and copies the result
    /// into `buffer` of `size` bytes (cut at a character boundary when it does not fit).
    /// Returns true.
    bool LoadMsg(unsigned id, ACHAR* buffer, std::size_t size,
                 std::initializer_list<messages::Arg> args = {}) const;
    /// The same into `text`, which is emptied first.
    bool LoadMsg(unsigned id, std::string& text,
                 std::initializer_list<messages::Arg> args = {}) const;
    /// Loads and expands message `id` (at most 2047 characters) and shows it in a message box
    /// owned by the host's main window with `caption` and `style`; returns the button chosen
    /// (IDYES for Yes ...).
    int MsgBox(unsigned id, const ACHAR* caption, unsigned style,
               std::initializer_list<messages::Arg> args = {}) const;
    /// Formats like printf (at most 4095 characters) and shows the text in an error box (OK).
    void ErrorBox(const ACHAR* format, ...) const __attribute__((format(printf, 2, 3)));
};

/// Message `id` with its inserts expanded, at most `maxChars` characters.
std::string FormatResource(unsigned id, std::initializer_list<messages::Arg> args = {},
                           std::size_t maxChars = kMessageBufferSize - 1);

}  // namespace routix
