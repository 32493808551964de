#pragma once

// A23ZOSYT / ZELKOSM: the maker's symbols in a drawing. A maker symbol is a block reference
// whose type the drawing names (see platform/maker/README.md, "Symbols in drawings"): extended
// data of the registered application "ZELKO_SYMBOL" whose first string is the type ("BAN",
// "TERM", "PNL", ...), on the reference itself or, for every reference of a block, on the
// block definition. Attributes of a symbol are the reference's attributes.
//
// Texts are UTF-8. Handles and texts handed out here are released with the operation named
// beside them; MakerLiveHandles counts them until then.

#include <string>
#include <string_view>

#include "arx/acdb.h"

namespace zelko {

/// The registered application whose first string names a block reference's symbol type.
inline constexpr std::string_view kSymbolApp = "ZELKO_SYMBOL";

struct SymInfo;
struct SymAttrs;

/// The symbol handle of a block reference (opened for read and closed again here); null when
/// the object cannot be opened, is no block reference or is no maker symbol.
SymInfo* SymInfoOpen(AcDbObjectId reference);
/// The same for a reference the caller holds open.
SymInfo* SymInfoOpen(const AcDbBlockReference* reference);
void SymInfoFree(SymInfo* info);
/// The symbol's type ("BAN", "TERM", "PNL", ...), valid while the handle lives; "" for null.
const char* SymTypeName(const SymInfo* info);

/// An attribute view of a maker symbol: the reference's attributes whose tags match `filter`
/// (the host's wildcard list, "BAN_NO,INST_NO,NAME*,OP_NAME,PIN#*"; empty: every tag), as they
/// are when it is opened. True when the reference is a maker symbol; `attrs` is then set and
/// released with SymAttrsClose, else null. Opening by id also serves references nested in a
/// block definition.
bool SymAttrsOpen(AcDbObjectId reference, std::string_view filter, SymAttrs*& attrs);
bool SymAttrsOpen(const AcDbBlockReference* reference, std::string_view filter, SymAttrs*& attrs);
void SymAttrsClose(SymAttrs* attrs);
/// The symbol handle of the view (owned by the view; do not free it).
const SymInfo* SymAttrsHandle(const SymAttrs* attrs);

/// The text of the attribute `tag` (compared without regard to case) in the view; true when
/// present, `value` then holds a new text released with SymTextFree (null otherwise). A tag the
/// filter leaves out is not present.
bool SymAttr(const SymAttrs* attrs, std::string_view tag, char*& value);
/// "NAME", the panel number "BAN_NO", the installation unit "INST_NO".
bool SymName(const SymAttrs* attrs, char*& value);
bool SymPanelNo(const SymAttrs* attrs, char*& value);
bool SymUnit(const SymAttrs* attrs, char*& value);
/// Releases a text of SymAttr, SymName, SymPanelNo or SymUnit and sets it to null.
void SymTextFree(char*& text);

/// The layer of the attribute definition `tag` in the block that `reference` refers to; false
/// (layer empty) when the definition has no such attribute.
bool SymAttrLayer(AcDbObjectId reference, std::string_view tag, std::string& layer);

/// A new block reference of `blockId` at `point` in the model space of `database`, with the
/// database's defaults and on `layer` (created when missing), carrying an attribute for every
/// non-constant attribute definition of the block with its default text. Nonzero on success,
/// `referenceId` then names it.
int SymInsertBlock(AcDbObjectId& referenceId, const AcGePoint3d& point, AcDbObjectId blockId,
                   AcDbDatabase* database, std::string_view layer);

/// The block definition `blockName` of `database`, loaded from the drawing `file` (its model
/// space, based at its insertion base) when the database has none of that name yet. Nonzero on
/// success, `blockId` then names it; MakerLastError says why a file could not be loaded.
int SymLoadBlockFile(AcDbDatabase* database, std::string_view blockName, std::string_view file,
                     AcDbObjectId& blockId);

/// Explodes a block reference into the block `spaceId`: every entity of the definition, of any
/// kind the drawing database reads (nested block references with their attributes, points,
/// hatches, ellipses, splines ...; attribute definitions excepted), is copied there with all
/// its properties (layer, line type, line weight, colour, extended data) and transformed as
/// the reference shows it, each visible attribute of the reference becomes a text, and the
/// reference is erased. Nonzero on success; zero, with nothing changed and MakerLastError
/// saying why, when an entity cannot be transformed (a MESH, an IMAGE) or an object cannot be
/// opened.
int SymExplode(AcDbObjectId spaceId, AcDbObjectId referenceId);

}  // namespace zelko
