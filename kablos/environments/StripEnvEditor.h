#pragma once

// The rules of the strip environment editor without its window: which environment the grid
// shows, storing the grid, the unit count and the wire-list flag into an environment, and the
// environment list's add, rename and delete. The dialog's controls mirror the public state
// here (grid(), cutCntText, wtkChecked, shown()).
//
// Rules for what the settings alone do not decide (see README.md beside this file):
// - An EnvNo that names no environment (an empty list included) shows no environment: the
//   grid is empty and cannot be edited until one is chosen; OK then asks for a choice.
// - The shown environment follows its environment through deletions: moved, it is stored at
//   its new position; deleted, its unsaved grid edits are dropped. Edits never reach a
//   different environment.
// - EnvNo follows its environment likewise; when that environment is deleted EnvNo becomes 0
//   (the first remaining one), or -1 when none remains.

#include <string>
#include <string_view>
#include <vector>

#include "EditTable.h"
#include "Messenger.h"
#include "SettingsFile.h"

namespace kablos {

inline constexpr int kStripColumns = 5;
inline constexpr std::string_view kUnitCountRefused = "台数は、0以上の数字を指定してください。";
inline constexpr std::string_view kNoEnvironmentChosen =
    "環境定義が選択されていません。選択してから決定ボタンを押して下さい。";
inline constexpr std::string_view kNoNewName = "追加環境名が指定されていません。";

class StripEnvEditor {
public:
    StripEnvEditor(IniData& ini, Messenger& messenger);

    /// Opening the dialog: shows environment EnvNo when it exists, none otherwise.
    void Open();

    /// The environment names in table order (the selection box and the environment list).
    std::vector<std::string> Names() const;

    /// Choosing an environment: stores the dialog into the shown one, then shows `index`
    /// (-1 or out of range: none).
    void Choose(int index);

    /// Storing the dialog into environment `index`: rows, unit count (a refused count warns and
    /// keeps the previous one) and flag.
    void StoreInto(int index);

    /// OK's first steps: with no environment shown, warns and returns false; otherwise sets
    /// EnvNo to it and stores the dialog into it.
    bool StoreForOk();

    /// The index shown in the grid, -1 while none is; it is also the selection of the box.
    int shown() const { return m_shown; }
    EditTable& grid() { return m_grid; }
    const EditTable& grid() const { return m_grid; }
    /// The unit count box and the wire-list check box.
    std::string cutCntText;
    bool wtkChecked = false;

    /// Add: a copy of environment `listSelected` (or, with -1, an environment of one empty
    /// row, unit count 1, flag 0) named `name`, appended at the end. An empty name warns and
    /// adds nothing. Returns true when added.
    bool Add(std::string_view name, int listSelected);
    /// Rename: environment `listSelected` takes `name` when the name is not empty and the index
    /// is 1 or higher. Returns true when renamed.
    bool Rename(std::string_view name, int listSelected);
    /// Delete: drops environment `listSelected` (none with -1), keeping the others in order, then
    /// chooses the position that was shown before, or the first one when that position no
    /// longer exists. Returns the position chosen, -1 when no environment is left.
    int Delete(int listSelected);

private:
    IniData& m_ini;
    Messenger& m_messenger;
    EditTable m_grid{kStripColumns};
    int m_shown = -1;
};

}  // namespace kablos
