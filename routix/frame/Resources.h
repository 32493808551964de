#pragma once

// The plug-in's resource instance: its string table in the language of the locale, read from
// the "strings" folder beside the library (see resources/README.md).

#include <cstdint>
#include <string>

#include "messages/messages.h"

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

}  // namespace routix
