#pragma once

// CTerm, the terminal record the entry-direction dialogs and commands work on: one terminal of a
// general component (symbol type BAN) or of a terminal block (symbol type TERM), with where its
// directions live on the symbol reference (the pin index) and what the project data says about
// it. Records are gathered from a selection or loaded from the project data, then ordered by
// SortTerms, which brings the records of one terminal together.

#include <cstdint>
#include <string>
#include <vector>

#include "arx/acdb.h"
#include "arx/acge.h"

namespace routix {

struct CTerm {
    bool m_bTerm = false;            ///< a terminal of a terminal block (TERM); false: a component
    std::string m_strTag;            ///< NAME followed directly by OP_NAME
    std::string m_strOpName;         ///< OP_NAME; "(TO)" marks the destination side
    std::string m_strPanelNo;        ///< BAN_NO
    bool m_bNoDirection = false;     ///< takes no entry direction: written empty, no mark
    std::string m_strUnit;           ///< installation unit
    std::string m_strConnector;      ///< connector tag, empty when none
    std::string m_strTerminalNo;     ///< terminal number as the project and PIN attributes spell it
    std::int32_t m_nDefaultPin = 0;  ///< pin number delivered by the project data
    std::int32_t m_nPin = 0;         ///< resolved index of the direction attributes; 0 = unresolved
    bool m_bRenumbered = false;      ///< the default pin was taken and a fresh index was given
    AcGePoint3d m_insert;            ///< insertion point of the symbol reference
    AcGePoint3d m_pinOffset;         ///< offset of the terminal, in symbol coordinates
    std::string m_strDefaultWire;    ///< default wire direction text (first letter is a fallback)
    std::string m_strDefaultTube;    ///< default tube direction text
    char16_t m_cDefaultWire = u' ';  ///< default wire code; a space when none
    char16_t m_cDefaultTube = u' ';  ///< default tube code; a space when none
    std::int32_t m_nMirrored = 0;    ///< mirrored flag, settled by SettleMirrored
    std::int32_t m_nMirrorCount = 0;  ///< positive forces mirrored
    std::string m_strKind;            ///< "BAN" or "TERM"
    bool m_bBackSide = false;         ///< on the back face ("裏面") of its plate
    std::string m_strWire;            ///< current wire direction: a code, empty or "*"
    std::string m_strTube;            ///< current tube direction
    std::string m_strExtra;           ///< a further text of the project data (unused here)
    AcDbObjectId m_symbol;            ///< the block reference that carries the attributes
    double m_dRotation = 0;           ///< rotation of the symbol reference, radians
    std::vector<int> m_duplicates;    ///< further records of the same terminal (indices)
    bool m_bShown = true;             ///< the representative of its terminal
    std::int32_t m_nRow = 0;          ///< row in the dialog grid, 0 = none

    /// Back to a fresh record.
    void Reset() { *this = CTerm(); }
};

/// Orders the records by component tag, unit, connector tag and terminal number (natural text
/// order, ascending) and marks duplicates: of the records equal on all four keys the first
/// keeps the shown flag and lists the others (their indices after sorting) as its duplicates;
/// the others lose the flag.
///
/// The order is std::sort (an introsort: quick-sort partitions, insertion sort for short
/// ranges, heap sort when the recursion budget runs out) over a comparison that ends on the
/// records' gather order. The tie-break makes the order total, so records of one terminal keep
/// their gather order and the one gathered first is the representative on every run (an
/// introsort alone leaves equal records in an order that depends on the whole list).
void SortTerms(std::vector<CTerm>& terms);

/// The natural order of two records on the four keys (negative, zero, positive).
int CompareTerms(const CTerm& a, const CTerm& b);

}  // namespace routix
