#pragma once

// Reading a layout drawing: its maker symbols (block references) and mounting plates (closed
// polylines tagged "ORVAZelko_WpPlate") from model space, each symbol assigned to the plate
// that holds it and sorted, then one output row of 19 texts per panel component and per
// terminal of a terminal block. The rows are the lines of the layout key file (LayoutKey.h);
// the symbol collection also serves the development drawings.

#include <array>
#include <string>
#include <vector>

#include "arx/acdb.h"
#include "dbaccess/ArxBlock.h"

namespace routix {

/// The extended-data application of plate outlines and of a symbol's own plate name.
inline constexpr const char* kPlateApp = "ORVAZelko_WpPlate";
/// The extended-data application of a symbol's duct numbers.
inline constexpr const char* kDuctNoApp = "ZelkoWarpDuctNo";
/// The extended-data applications of an entry-direction attribute: terminal number and
/// connector name.
inline constexpr const char* kTerminalNoApp = "ZELKOWP2_TANSHIBANGOU";
inline constexpr const char* kConnectorApp = "ZELKOWP2_CN_NAME";

/// One block reference of model space.
class CSymbol {
public:
    virtual ~CSymbol() = default;

    AcDbObjectId m_id;
    AcGePoint3d m_position;
    std::string m_strAddress;  ///< attribute "WP_PLATE_ADRS"
    std::string m_strPanelNo;  ///< stays empty (only the last sort key)
    std::string m_strPlate;    ///< the containing plate, else the reference's own plate data
    std::string m_strType;     ///< the maker's symbol type ("BAN", "TERM", ...); empty for none
    std::string m_strName;     ///< attribute "NAME"
    std::vector<std::string> m_ductNos;  ///< strings of "ZelkoWarpDuctNo"
};

/// One plate outline.
class CMen {
public:
    virtual ~CMen() = default;

    AcDbObjectId m_id;
    AcGePoint3d m_min;
    AcGePoint3d m_max;
    std::string m_strName;
};

/// One row of the key file: 19 texts in column order.
class COutputData {
public:
    enum Column {
        Key,
        Handle,
        Page,
        ComponentTag,
        PanelName,
        PlateName,
        Address,
        Angle,
        SymbolName,
        Xcoor,
        Ycoor,
        SymbolIdent,
        RouteCut,
        TerminalNumber,
        SurplusLength,
        TermInputDirection,
        TubeInputDirection,
        InstUnit,
        Zcoor,
        kColumnCount
    };
    /// The column names, as the key file's header gives them (";Key" first).
    static const std::array<const char*, kColumnCount> kColumnNames;

    virtual ~COutputData() = default;
    /// Sets every field empty.
    virtual void clear() {
        for (std::string& field : m_fields)
            field.clear();
    }

    std::string& operator[](Column column) { return m_fields[column]; }
    const std::string& operator[](Column column) const { return m_fields[column]; }
    const std::array<std::string, kColumnCount>& fields() const { return m_fields; }

private:
    std::array<std::string, kColumnCount> m_fields;
};

class CExtractInfo : public CArxBlock {
public:
    /// Appends the rows of every symbol of `database`'s model space to `rows`. False, with no
    /// row added, when model space cannot be read.
    bool Extract(AcDbDatabase* database, std::vector<COutputData>& rows);
};

/// Fills `symbols` with the block references of `database`'s model space, assigns each the
/// first plate (in drawing order) that holds its position strictly inside, and sorts them by
/// plate name, address, name and panel number (natural order). False when model space cannot
/// be read (the failure printed).
bool CollectSymbols(AcDbDatabase* database, std::vector<CSymbol>& symbols);
/// The same, also handing out the plates found.
bool CollectSymbols(AcDbDatabase* database, std::vector<CSymbol>& symbols,
                    std::vector<CMen>& plates);

/// Entry-direction attributes beyond this number ("WireDirection5000") are not read: a tag
/// cannot make the extraction grow its lists without bound.
inline constexpr int kMaxDirectionIndex = 4096;

}  // namespace routix
