#pragma once

// The plug-in's resource instance: its string table and its dialog templates in the language
// of the locale, read from the "strings" folder beside the library (see resources/README.md).

#include <cstdint>
#include <string>

#include "messages/dialogs.h"
#include "messages/messages.h"

namespace ui {
class Dialog;
}

namespace routix {

/// The string table, read on first use. When it cannot be read, every text is empty and the
/// reason is printed once on standard error.
const messages::StringTable& Resources();

/// Reads the table again in `language` (the locale's when not given); for tests and hosts
/// that switch languages.
void ReloadResources(messages::Language language);
void ReloadResources();

/// The text of a string-table id, empty when the table has none.
std::string LoadResourceString(std::uint32_t id);

/// The dialog templates, read on first use with the string table. When they cannot be read,
/// there are none and the reason is printed once on standard error.
const messages::DialogTable& DialogTemplates();

/// Builds `dialog` from the template of its id (ui::Dialog::TemplateId()): the title and the
/// controls in template order, added with AddControl. False, with the reason on the console,
/// when there is no such template; the dialog is then left as it was.
bool LoadDialogTemplate(ui::Dialog& dialog);

}  // namespace routix
