#pragma once

// ZELKOWPU terminal lists: the terminals of a project's wiring plan as three lists - the
// terminals of general components, the terminals of terminal blocks, and the relay terminals
// through which wires pass between the inside of a panel, its door and other panels.
//
// Use: TermListInit(kind), TermListOpen(folder), TermListLoad(variant), TermListItems; filter,
// sort and walk the items; TermItemsFree, TermListClose, TermListFree. Items stay valid until
// their list is freed. Texts are UTF-8; a text getter answers null when the store holds no
// value (NULL) for it, so callers can tell a missing text from an empty one.

#include <functional>
#include <string_view>

namespace zelko {

enum class TermListKind {
    Components = 1,      ///< terminals of general components (symbol type BAN)
    TerminalBlocks = 2,  ///< terminals of terminal blocks (symbol type TERM)
    RelayTerminals = 3,  ///< relay terminals (inside panel, on the door, between panels)
};

/// Kind codes of relay terminals.
inline constexpr int kRelayInsidePanel = 1;    // "BANNAI"
inline constexpr int kRelayOnDoor = 2;         // "DOOR"
inline constexpr int kRelayBetweenPanels = 3;  // "BANKAN"

/// Load variants: the plan's current terminals and those of the previous revision.
inline constexpr int kTermVariantCurrent = 0;
inline constexpr int kTermVariantPrevious = 1;

struct TermList;
struct TermItems;
struct Term;

TermList* TermListInit(TermListKind kind);
void TermListFree(TermList* list);
/// Binds the list to the project of `folder` (as WpDataOpen finds it); false when there is
/// none or its store cannot be read.
bool TermListOpen(TermList* list, std::string_view folder);
/// Reads the terminals of the variant. False when the list is not open, the store cannot be
/// read, or the plan holds no terminal of this list and variant (the wiring plan has not been
/// run for it).
bool TermListLoad(TermList* list, int variant);
/// Drops what was loaded; the list can be opened again.
void TermListClose(TermList* list);

/// A view of the loaded terminals, in store order; null when nothing is loaded.
TermItems* TermListItems(TermList* list);
void TermItemsFree(TermItems* items);
/// Keeps the items the predicate accepts, in their order.
void TermItemsFilter(TermItems* items, const std::function<bool(const Term*)>& keep);
/// Orders the items by `compare` (negative, zero, positive); items that compare equal keep
/// their order.
void TermItemsSort(TermItems* items, const std::function<int(const Term*, const Term*)>& compare);
int TermItemsCount(const TermItems* items);
/// Null for an index out of range.
const Term* TermItemsAt(const TermItems* items, int index);

// --- Item getters -----------------------------------------------------------------------
// A getter given no item (null) answers null, 0 or a space.

/// Id of the plate the terminal is mounted on, or of its panel when it is on no plate.
int TermPanelOrPlateId(const Term* term);
/// Relay kind code (kRelay...), 0 for the other lists.
int TermKindCode(const Term* term);
/// Order number within its plate; negative when it has none.
int TermOrderNo(const Term* term);
const char* TermPanelNo(const Term* term);
/// Layout drawing the terminal's symbol is drawn in (file name without folder and extension).
const char* TermDrawingName(const Term* term);
/// Component tag: the device (or terminal block) name; the "terminal name" of a relay
/// terminal.
const char* TermComponentTag(const Term* term);
const char* TermTerminalNo(const Term* term);
const char* TermSecondName(const Term* term);
const char* TermPartCode(const Term* term);
const char* TermType(const Term* term);
const char* TermSpec(const Term* term);
const char* TermConnectorTag(const Term* term);
const char* TermUnit(const Term* term);
/// Pin index of the terminal on its symbol (1 = first pin), 0 when unknown.
int TermDefaultPin(const Term* term);
/// Offset of the terminal from the symbol's insertion point, in symbol coordinates; all 0 in
/// a plan made for 3D only.
void TermPinOffset(const Term* term, double& x, double& y, double& z);
/// Default directions: texts (first letter used as a fallback; in 3D one of T, B, L, R, M, P)
/// and single codes (T, B, L, R, N; a space when none).
const char* TermWireDirText(const Term* term);
const char* TermTubeDirText(const Term* term);
char16_t TermWireDirCode(const Term* term);
char16_t TermTubeDirCode(const Term* term);
int TermMirrored(const Term* term);
int TermMirrorCount(const Term* term);
/// Terminal kind ("CONV", "COIL", ...); null or empty for a terminal that takes no entry
/// direction.
const char* TermKindText(const Term* term);
/// Face of the plate the terminal is on: "表面" (front) or "裏面" (back).
const char* TermFaceText(const Term* term);

}  // namespace zelko
