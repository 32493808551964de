#pragma once

// The code table of the entry-direction dialogs: the codes a grid cell can be set to and the
// labels its combo list shows, in this order:
//
//   T "上から"  B "下から"  L "左から"  R "右から"  (3D only) N "至近ダクト"  _ "空"
//   (several records or symbols only) * "*Varies*"
//
// The labels come from the string table (143-147, 210) in the plug-in's language; "*Varies*"
// is the same in every language. "_" stands for no direction: writing it empties the
// attribute. "*Varies*" (and any label that starts with "*") means "leave each value as it is".
// The general-component dialog and the terminal-block dialogs share this one table.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace routix {

class CodeTable {
public:
    struct Entry {
        char code;          // 'T', 'B', 'L', 'R', 'N', '_' or '*'
        std::string label;  // what the combo list shows
    };

    /// The table of a dialog: N only in 3D mode, "*Varies*" only when `varies` (the selection
    /// holds more than one symbol reference, or more than one record).
    CodeTable(bool is3D, bool varies);

    const std::vector<Entry>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    /// The index of the "_" entry.
    int EmptyIndex() const { return m_emptyIndex; }
    /// The index of "*Varies*"; -1 when the table has none.
    int VariesIndex() const;

    /// The index of a code's entry ("T" ... "N"); the "_" entry for an empty text or a letter
    /// the table lacks (N in 2D mode shows as "空").
    int IndexOf(std::string_view code) const;
    /// The label of a code, as IndexOf finds it.
    const std::string& LabelOf(std::string_view code) const;
    /// The labels joined by tabs: a grid cell's combo list.
    std::string ComboList() const;

    /// What a chosen label writes: the code ("T" ... "N"), an empty text for "_", nothing for
    /// a label starting with "*" ("*Varies*": leave the value unchanged). Labels are compared
    /// without regard to case; a label the table does not hold leaves the value unchanged too.
    std::optional<std::string> CodeOfLabel(std::string_view label) const;

private:
    std::vector<Entry> m_entries;
    int m_emptyIndex = 0;
};

/// The label that stands for differing values of the records sharing a grid cell.
inline constexpr std::string_view kVariesLabel = "*Varies*";

}  // namespace routix
