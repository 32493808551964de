#pragma once

// TERVO's texts: the Japanese string table "TERVO.ja.txt" in the "strings" folder beside the
// library, the formatting of its messages, and the module's error text (the reason of the
// last failed run, which the framework may show; the run itself does not).

#include <initializer_list>
#include <string>

#include "messages/messages.h"

namespace tervo {

/// Message ids of the string table.
enum TextId : unsigned {
    kIdNameL = 2001,
    kIdDisplayName = 2002,
    kIdDescription1 = 2003,
    kIdDescription2 = 2004,
    kIdNameM = 2006,
    kIdFormatNumber = 2010,
    kIdPickerTitle = 2011,
    kIdConfirmOutput = 3000,
    kIdCheckFolder = 3001,
    kIdSettingsMissing = 3002,
    kIdCannotCreateFolder = 3003,
    kIdRunning = 4000,
    kIdSucceeded = 4001,
    kIdCancelled = 4002,
    kIdFailed = 4003,
    kIdLogCannotOpen = 20100,
    kIdLogNoFolder = 20101,
    kIdPartsDbCannotOpen = 20502,
    kIdNoTerminalTable = 20503,
    kIdNoPartCodeField = 20504,
    kIdNoPartCodeFieldName = 20505,
    kIdTerminalNotInTable = 20509,
    kIdPartNotInTable = 20510,
    kIdCannotDeleteOutput = 20515,
};

/// The text of `id` as the table holds it; empty when the table has none or cannot be read
/// (the reason is then in the error text).
const std::string& TervoString(unsigned id);

/// The message `id` with its inserts filled: "%1"-style inserts through the message formatter,
/// "%s"/"%d" conversions in order; cut to 1024 characters.
std::string TervoMessage(unsigned id, std::initializer_list<messages::Arg> args = {});

/// The module's error text (up to 1024 characters): why the last run failed, or, after a run
/// that succeeded, a warning it met (a malformed machine settings file). The first reason of a
/// run stays: a later failure, a warning or the log never replaces it.
void ClearErrorText();
/// Sets the reason of the failed run, unless the run has one already.
void SetErrorText(std::string_view text);
/// Sets a warning, unless the error text holds a reason or another warning.
void SetWarningText(std::string_view text);
const std::string& ErrorText();

}  // namespace tervo
