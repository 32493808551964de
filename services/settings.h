#pragma once

// ZELKOCLD: the per-user settings store in which the dialogs remember their choices, by
// section and value name.
//
// The store is the SQLite file named by the environment variable ZELKO_SETTINGS, else
// "$XDG_CONFIG_HOME/Brindlex/ZELKOCLD.sqlite" (XDG_CONFIG_HOME defaults to ~/.config). Every
// write is its own transaction: a value is stored whole or not at all.

#include <string>
#include <string_view>

namespace zelko {

struct SettingsStore;

SettingsStore* SettingsInit();
void SettingsFree(SettingsStore* store);
/// Opens (creating the store when needed) the section; false when the store cannot be opened.
bool SettingsOpenSection(SettingsStore* store, std::string_view section);
/// Reads an integer value of the open section; false when it is absent or not an integer
/// (then `value` is left alone, so a caller's default stands).
bool SettingsReadInt(SettingsStore* store, std::string_view name, int& value);
bool SettingsWriteInt(SettingsStore* store, std::string_view name, int value);
/// Text values ("Col1Width" is kept as "%.5f" text); an integer value reads as its digits.
bool SettingsReadText(SettingsStore* store, std::string_view name, std::string& value);
bool SettingsWriteText(SettingsStore* store, std::string_view name, std::string_view value);

}  // namespace zelko
