#pragma once

// The host's per-user dialog data: small texts a dialog keeps between sessions under its
// dialog name and a value name (the last accepted value, the size and position of its
// window), as the CAD host's dialog data does for its dialogs.
//
// The store is one UTF-8 file, "$CADHOST_DIALOG_DATA" when that is set, else
// "$XDG_CONFIG_HOME/cadhost/DialogData.ini" (XDG_CONFIG_HOME defaults to ~/.config):
//
//     [ZELKOWP2::CYocyouDlg]
//     DefaultYocyou=10
//
// one section per dialog name, "name=value" lines, a value's line breaks and backslashes
// written as \n, \r and \\. Every write replaces the file whole (a failed write leaves the
// old file); a file that cannot be read or parsed is never overwritten.

#include <filesystem>
#include <string>
#include <string_view>

namespace ui {

/// Where the per-user dialog data is kept.
std::filesystem::path DialogDataLocation();

/// Reads `value` of `dialog`. False when it is absent (then `value` is left alone) or the
/// store cannot be read (then `error` says why; it is left empty for an absent value).
bool GetDialogData(std::string_view dialog, std::string_view name, std::string& value,
                   std::string* error = nullptr);
/// Stores `value` of `dialog`; false with `error` set when the store cannot be read or written.
bool SetDialogData(std::string_view dialog, std::string_view name, std::string_view value,
                   std::string* error = nullptr);

}  // namespace ui
