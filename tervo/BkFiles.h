#pragma once

// The BK files: the output folder with the previous output in "OLD", the columns, and one
// tab-separated file per panel in the process code page with CR LF line ends.

#include <filesystem>
#include <functional>
#include <string>

#include "BackList.h"

namespace tervo {

/// Run flags: a column is written when its mask shares a bit with them.
inline constexpr unsigned kFlagPlate = 0x1;
inline constexpr unsigned kFlagWireKind = 0x2;
inline constexpr unsigned kFlagAlways = 0x8000;

/// Suffixes of the full list and of the difference files.
inline constexpr const char* kSuffixFull = "";
inline constexpr const char* kSuffixAdded = "_ADD";
inline constexpr const char* kSuffixRemoved = "_SUB";

/// "BK_%s%s.txt" for panel `panelNo` and `suffix`.
std::string BkFileName(std::string_view panelNo, std::string_view suffix);

/// Whether the files of panel `panelNo` can be written as files of the output folder: a panel
/// number holding "/" or a NUL, the names "." and "..", and a number whose file names would be
/// longer than the file system takes (255 bytes) are refused. False with `error` naming the
/// panel and why.
bool PanelFileNamesOk(std::string_view panelNo, std::string& error);

/// The panels of the plan as `choice` lists them (ListPanels), when every listed panel passes
/// PanelFileNamesOk; else false with `error` for the first that does not. Nothing is written.
bool ChosenPanels(const zelko::WpData* plan, const PanelChoice& choice,
                  std::vector<ListPanel>& panels, std::string& error);

/// The value texts of the columns.
std::string AddressText(const zelko::BackDevice& device);
/// The terminal column: the terminal number, after the connector tag and ":" when the
/// terminal is on a connector.
std::string TerminalText(const zelko::BackWireEnd& end);
/// The destination of side `side` (0 or 1) of the wire end; see README.md.
std::string DestinationText(const zelko::BackWireEnd& end, int side);

/// The text of one panel's file (UTF-8, CR LF line ends): per device its header line, value
/// line, wire-end header line, one line per wire end and an empty line. Empty when the panel
/// has no devices.
std::string PanelText(const ListPanel& panel, unsigned flags);

/// Makes the output folder ready: creates it when missing, empties or creates "OLD" and moves
/// every file of the folder into it. Each file is moved by a rename, so when this fails
/// part-way every file is still in the folder or in "OLD". False with `error` (in words).
bool PrepareOutputFolder(const std::filesystem::path& folder, std::string& error);

/// What the writer reports while it works.
struct WriteEvents {
    std::function<void(int percent)> progress;
    /// A file of the folder that was there before and cannot be deleted.
    std::function<void(const std::string& fileName)> undeletable;
};

/// Writes the file of `panel` with `suffix` into `folder`: deletes the file there, then
/// writes the panel's text whole (common::WriteFileAtomically), or no file when the text is
/// empty. False with `error` when the old file cannot be deleted or the new one written.
bool WritePanelFile(const std::filesystem::path& folder, const ListPanel& panel,
                    std::string_view suffix, unsigned flags, const WriteEvents& events,
                    std::string& error);

/// Fills the terminal type of a wire end that has none (from the parts database); false when
/// the lookup fails, after it has reported why to the user.
using TerminalTypeLookup = std::function<bool(zelko::BackWireEnd& end)>;

struct ListRun {
    std::filesystem::path folder;  ///< the output folder, made ready by PrepareOutputFolder
    unsigned flags = kFlagAlways;
    PanelChoice choice;
    bool differences = false;  ///< the project has a previous revision: write "_ADD", "_SUB"
    DiffOptions diff;          ///< how the difference pairs devices (the plan's option)
    TerminalTypeLookup lookup;
    WriteEvents events;
};

/// Writes the BK files of the chosen panels: the full list of each, and with `differences`
/// its added and removed lines against the previous revision. The wiring data is read panel
/// by panel (both revisions side by side), so only one panel is in memory at a time; the
/// files of a panel are written before the next panel is read. False with `error` on the
/// first failure; the files written before stay. A chosen panel whose number cannot make a
/// file name fails the call before any file is touched (ChosenPanels).
bool WriteBackLists(const zelko::WpData* plan, const ListRun& run, std::string& error);

}  // namespace tervo
