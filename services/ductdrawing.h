#pragma once

// A23ZOHD: the maker's duct drawing. The stand-in here asks on the command line for the
// justification, the base point, the length and the direction of one duct and draws its
// outline (platform/maker/README.md, "The duct drawing").

#include <string>

namespace zelko {

/// The prompts the service asks with, in the caller's language (ROUTIX hands it its texts
/// 2665 to 2670).
struct DuctPrompts {
    std::string justification;  ///< "[Top or Right side (1)/Center (2)/Bottom or Left side (3)]"
    std::string basePoint;
    std::string length;
    std::string direction;
    std::string invalid;  ///< printed when an answer cannot be used
};

/// Draws one duct of `width` (drawing units) in the working database: asks for the
/// justification (an empty answer keeps `justification` when it is 1, 2 or 3), the base point,
/// the length and the direction, and draws the closed rectangle on layer "DCT<width>"
/// (created with colour 40 when missing). `justification` is set to the one used. `type` is
/// the duct table's type code; the stand-in draws every type alike. Nonzero when a duct was
/// drawn, zero when the user cancelled or the width is not positive.
int DrawDuct(int width, int type, const DuctPrompts& prompts, int& justification);

}  // namespace zelko
