#pragma once

// The relay terminals of a panel as parameter rows: CCyuukeiTerm (one row), CPutCyuukeiTerms
// (Collect: the relay terminals of one kind from the wiring plan, with their symbols from the
// parts database), the parameter file and the 3D merge of multi-pin parts.
//
// The parameter file (WriteParamFile): in the user's temporary folder ($TMPDIR, else /tmp),
// through CLog in the process code page, lines ended by CR LF:
//   3D: "NAME-\tPIN1\tBAN_NO\tBOM3DSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+"
//   2D: "NAME-\tPIN1\tBAN_NO\tBOMBSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+"
// then one line per row: terminal name, terminal number, panel number, symbol, terminal name
// again, part code, type, specification.
//
// Decisions:
// - The file is replaced only by a complete one: the lines go to "<name>.new" beside it, which
//   is renamed over the file when every line was written (a failed write leaves the previous
//   file and removes the partial one; CLog's boxes say why).
// - Terminals that tie on their order numbers are ordered by terminal number with the natural
//   comparison every sort of terminal numbers uses ("2" before "10", without regard to case),
//   missing numbers first.
// - A parts database that cannot be opened, or lacks its parts table or code column, ends
//   Collect with the reason on the command line ("\nZELKOBOM: ..."), so the user learns why
//   nothing was placed; a missing 3D parts database ends it silently, as the placement does.
// - A wiring database that cannot be read gives no pin values (the reason is printed once).
// - Symbols are looked up once per part code.
// - Each row is written as one plain text (the same bytes as the line format "%s\t...\r\n"),
//   so a row longer than the formatted output's 1023 characters is kept whole instead of being
//   cut and run on into the next line.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace routix {

/// The relay-terminal kinds, as the wiring plan codes them; 0 for any other text.
int RelayKindCode(std::string_view kind);

/// One parameter row.
class CCyuukeiTerm {
public:
    virtual ~CCyuukeiTerm() = default;
    /// Empties every field.
    virtual void clear();

    std::string m_strBanNo;   ///< panel number (BAN_NO)
    std::string m_strName;    ///< terminal name (NAME-)
    std::string m_strPin1;    ///< terminal number (PIN1)
    std::string m_strName2;   ///< second name, never written out
    std::string m_strBCode;   ///< part code (B_CODE)
    std::string m_strSymbol;  ///< symbol of the part
    std::string m_strType;    ///< type (TYPE+)
    std::string m_strSpec;    ///< specification (SPEC+)
};

class CPutCyuukeiTerms {
public:
    /// Appends the rows of `kind` ("BANNAI", "DOOR", "BANKAN"). Mode 1: `panel` is a panel name
    /// (the layout drawing's) and `folder` the drawing's folder relative to the project; mode
    /// 0: `panel` is a panel number (from the drawing title) and `folder` the drawing folder.
    /// In 3D mode (the process flag) mode 1 takes every panel of the project. False, after a
    /// message box with `caption` (or a console line), when the data cannot be read.
    bool Collect(int mode, std::vector<CCyuukeiTerm>& rows, std::string_view kind,
                 std::string_view folder, std::string_view panel, const char* caption) const;
};

/// A symbol value of the parts database as a block name: surrounding "'" removed, a final
/// ".dwg" (without regard to case) cut off ("'TB-10.DWG'" gives "TB-10").
std::string CleanSymbol(std::string_view value);

/// The path of the parameter file `name` in the temporary folder; false (printed) when there
/// is no temporary folder.
bool ParamFilePath(std::string_view name, std::string& path);

/// Writes `rows` to the parameter file at `path` with the header of the 3D or 2D mode; false
/// when it could not be written whole (reported).
bool WriteParamFile(const std::string& path, const std::vector<CCyuukeiTerm>& rows, bool threeD);

/// The merge of the 3D placement with the wiring database `wimFile`: per key (panel number,
/// terminal name), in the order the keys first appear, the part's pin values (non-empty,
/// trimmed, in pin order) decide. Combination terminals (`argument` 1) keep all rows of a key
/// whose part has at most one pin value; block terminals (0) keep one row of a key whose part
/// has two or more, its terminal number replaced by the pin values joined with ",".
void MergeByPins(std::vector<CCyuukeiTerm>& rows, const std::filesystem::path& wimFile,
                 int argument);

}  // namespace routix
