#pragma once

// A23ZOATT / ZELKOUIM: attribute values of block references by tag. Tags compare without
// regard to case; the first attribute of a tag counts. Texts are UTF-8; every text handed out
// is a new copy released with AttrFreeValue (MakerLiveHandles counts it until then).
//
// A long name may be kept in parts: the attribute of the tag itself and its continuations
// tag + "2", tag + "3", ... ("NAME", "NAME2", "NAME3"); AttrGetJoined joins the parts that
// exist, in number order, with NameSeparator().

#include <string_view>

#include "arx/acdb.h"

namespace zelko {

/// The character that separates the parts of a joined name.
char NameSeparator();

/// The text of the attribute `tag` of the block reference as stored. Nonzero when the
/// attribute exists (`value` is then a new text, else null).
int AttrGetText(AcDbObjectId reference, std::string_view tag, char*& value);
/// The same without blanks at either end.
int AttrGetValue(AcDbObjectId reference, std::string_view tag, char*& value);
/// The value of the terminal attribute "PIN<n>".
int AttrGetPin(AcDbObjectId reference, int n, char*& value);
/// The text of one attribute object.
int AttrOwnText(AcDbObjectId attribute, char*& value);
/// The parts of a name (see above) joined with NameSeparator(); nonzero when the attribute
/// `tag` or one of its continuations exists.
int AttrGetJoined(AcDbObjectId reference, std::string_view tag, char*& value);
/// Releases a text of the operations above and sets it to null.
void AttrFreeValue(char*& value);

/// The same on a reference the caller holds open (for read or for write).
int AttrGetText(const AcDbBlockReference* reference, std::string_view tag, char*& value);
int AttrGetValue(const AcDbBlockReference* reference, std::string_view tag, char*& value);

/// Sets the text of an existing attribute (opened for write and closed here). Nonzero on
/// success; zero when the reference has no such attribute or it cannot be opened for write.
int AttrSetText(AcDbObjectId reference, std::string_view tag, std::string_view text);
/// The same on a reference the caller holds open (its attributes are opened here).
int AttrSetText(const AcDbBlockReference* reference, std::string_view tag, std::string_view text);
/// The same with blanks at either end of `value` removed.
int AttrSetValue(AcDbObjectId reference, std::string_view tag, std::string_view value);

}  // namespace zelko
