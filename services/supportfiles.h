#pragma once

// ZELKOPSM: the drawings of the installation that define support blocks.

#include <string>
#include <string_view>

namespace zelko {

/// Keys and the drawings they name, in the installation's "SUPPORT" folder:
/// "WAKUBASE" (frame template), "CMARK_DUCT" (duct junction mark), "WireDirection",
/// "TubeDirection", "WireDirectionN", "TubeDirectionN" (direction marks). Keys compare
/// without regard to case; the file is "<KEY in upper case>.dxf".
///
/// Writes the full path of the drawing for `key` and returns nonzero; zero (and `path` left
/// alone) for an unknown key, when the drawing does not exist, or when the path is longer than
/// `bufferChars` - 1 characters (the callers' buffers hold 260 or 261), so a caller reports a
/// missing support drawing by its key.
int MarkFilePath(std::string_view key, std::string& path, std::size_t bufferChars = 261);

}  // namespace zelko
