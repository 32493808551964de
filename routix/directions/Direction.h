#pragma once

// Entry directions: the codes, where they are stored on the component symbols, and the rules
// that tie a direction attribute to a terminal.
//
// - A stored direction is one upper-case letter of "BLNRT"; a value whose first letter is
//   outside that set reads as no direction ("t" and "X" read as empty). The dialogs offer
//   "T,L,B,R,N" in 3D mode and "T,L,B,R" in 2D mode.
// - Each terminal of a symbol reference has the attributes "WIREDIRECTION<n>" and
//   "TUBEDIRECTION<n>" (n = pin index, tags compared without regard to case); n = 0 is a legacy
//   index that no reader takes. The WIREDIRECTION attribute names its terminal in the binding
//   extended data "ZELKOWP2_TANSHIBANGOU" (terminal number) and "ZELKOWP2_CN_NAME" (connector).
// - A direction mark is a block reference on "WARNING" of "WIREDIRECTION", "TUBEDIRECTION",
//   "WIREDIRECTIONN" or "TUBEDIRECTIONN" carrying "ORVAZelko_WpDir" (wire) or
//   "ORVAZelko_WpDirTube" (tube): the symbol's handle (1005) and the pin index (1070), and
//   "DWG_CHECK" with one empty string.
//
// Decisions:
// - A stored value of more than one letter reads as its first letter when that letter is a
//   valid code ("TB" reads as T); only the first letter is ever looked at.
// - A direction tag whose index is not a decimal number ("WIREDIRECTIONX") or is beyond
//   kMaxDirectionIndex (extraction's bound) names no terminal and is left alone by every
//   reader; the clearing of all direction attributes still erases it (it goes by the first 13
//   characters of the tag).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "arx/acdb.h"
#include "arx/acge.h"
#include "directions/Term.h"

namespace routix {

inline constexpr const char* kWireDirPrefix = "WIREDIRECTION";
inline constexpr const char* kTubeDirPrefix = "TUBEDIRECTION";
inline constexpr const char* kWireMarkApp = "ORVAZelko_WpDir";
inline constexpr const char* kTubeMarkApp = "ORVAZelko_WpDirTube";
inline constexpr const char* kDwgCheckApp = "DWG_CHECK";
inline constexpr const char* kPinOffsetApp = "ZELKO_3D_PIN_OFS";
inline constexpr const char* kMarkLayer = "WARNING";
inline constexpr const char* kDirectionLayer = "PINOFF";

/// The valid stored codes and the offered lists.
inline constexpr std::string_view kValidCodes = "BLNRT";
const char* OfferedCodes(bool is3D);

/// The stored code a text reads as: its first letter when it is a valid code, else empty.
std::string StoredCode(std::string_view text);
/// Whether `c` is one of the codes of `list` (a comma list as OfferedCodes, or kValidCodes).
bool IsCodeIn(char16_t c, std::string_view list);

/// The rotation of a code's mark in radians: B pi, L pi/2, R 3pi/2, anything else 0.
double MarkRotation(std::string_view code);

/// The index of a direction tag: n for "WIREDIRECTION<n>" / "TUBEDIRECTION<n>" (any case);
/// nothing for other tags, legacy index 0, a non-numeric or an out-of-range index. `wire` says
/// which of the two it is.
std::optional<int> DirectionIndex(std::string_view tag, bool* wire = nullptr);
/// Whether the first 13 characters of `tag` are one of the two prefixes (any case).
bool IsDirectionTag(std::string_view tag);

/// The effective direction (wire or tube): the stored text when it reads as a code, else the
/// default code when it is in `list`, else the first letter of the default text when it is in
/// `list`, else empty. Drawing passes kValidCodes, the dialogs their mode's offered list.
std::string EffectiveDirection(std::string_view stored, char16_t defaultCode,
                               std::string_view defaultText, std::string_view list);

/// The mirrored flag: mirror count positive; else a non-empty "REVERSE" text decides (its
/// leading-digits value not 0); else the project data's flag stays.
void SettleMirrored(CTerm& term, const std::optional<std::string>& reverse);
/// The mirror rule of 2D mode for a mirrored record (the caller checks the mode, the flag and
/// the plan's mirror correction): X of the pin offset negated, and a one-letter default wire
/// and tube text swapped T/B at 90 and 270 degrees of symbol rotation, else L/R.
void ApplyMirrorRule(CTerm& term);
/// Both steps for a record placed on a symbol: SettleMirrored with the symbol's "REVERSE"
/// text, then, in 2D mode with the plan's mirror correction, the mirror rule when mirrored.
void SettleMirror(CTerm& term, const std::optional<std::string>& reverse, bool mirrorCorrection);
/// Whether the panel numbers of a project record and of a symbol (or a selected record) keep
/// them apart: in 3D mode whenever they differ; in 2D only when both have one, since a
/// development drawing holds the symbols of several panels under the same tags, and every
/// "CB1" would otherwise take the terminals of every panel's CB1.
bool PanelsDiffer(std::string_view record, std::string_view symbol);

/// The 2D mark position: insertion point + pin offset turned about the insertion point by the
/// symbol rotation.
AcGePoint3d TerminalPosition2D(const CTerm& term);

/// Gives every record left at pin index 0 the smallest positive index not used by a record of
/// the same symbol placed before it (records with an index are placed first, in order).
void AssignFreeIndices(std::vector<CTerm>& terms);

// --- on the drawing -------------------------------------------------------------------------

/// The pin index of `term` on its symbol reference, given the records gathered so far (see the
/// rule in Direction.cpp); may write the record's binding data onto a free attribute.
int ResolvePinIndex(CTerm& term, const std::vector<CTerm>& gathered);

/// The stored text of the direction attribute `prefix<pin>` of `symbol`; nothing when absent.
std::optional<std::string> ReadDirectionText(AcDbObjectId symbol, const char* prefix, int pin);

/// Creates the attribute `tag` on the reference (held open for write) unless it has one: at the
/// origin through the block transform, height 1, on `layer` ("PINOFF" when empty). With
/// `createLayer` (the terminal-block and change-all paths) a missing layer is added first;
/// without it (drawing all directions) a layer the drawing lacks leaves the attribute on the
/// database's current layer. True when the attribute exists afterwards.
bool EnsureDirectionAttribute(AcDbBlockReference* reference, std::string_view tag,
                              std::string_view text, const std::string& layer,
                              bool createLayer = false);
/// The layer of new direction attributes of `symbol` for `tag`: the layer the symbol's
/// attribute definition names, else "PINOFF".
std::string DirectionLayer(AcDbObjectId symbol, std::string_view tag);
/// Sets the text of `prefix<pin>` (never "*"), and for a wire tag the binding data of `term`.
bool WriteDirection(const CTerm& term, const char* prefix, std::string_view value);
/// Writes the binding data of `term` onto an open attribute.
bool WriteBinding(AcDbObject* attribute, const CTerm& term);
/// Erases every direction attribute of the reference (first 13 characters); with
/// `legacyOnly` only those of index 0.
int ClearDirectionAttributes(AcDbObjectId symbol, bool legacyOnly = false);

/// The 3D pin offsets of a reference ("ZELKO_3D_PIN_OFS": pairs of 1070 pin and 3D point);
/// entry n-1 is pin n, gaps hold the origin.
std::vector<AcGePoint3d> ReadPinOffsets(const AcDbObject* reference);
/// Fills the record's pin offset with its pin index's entry of its symbol's 3D pin offsets;
/// left as it is when the symbol cannot be opened or has no entry for the index.
void FillPinOffset(CTerm& term);

/// The mark kinds and their blocks (loaded once per database from the support drawings).
enum class MarkKind { Wire, Tube, WireN, TubeN };
const char* MarkKey(MarkKind kind);
/// The block of a mark kind in `database`, loaded from its support drawing on first use; null
/// (with "loadBlockFile error(...)" printed) when it cannot be loaded.
AcDbObjectId MarkBlock(AcDbDatabase* database, MarkKind kind);

/// Whether an entity's mark data of `application` names the symbol handle and pin index.
bool MarkNames(const AcDbObject* entity, const char* application, const AcDbHandle& symbol,
               int pin);

}  // namespace routix
