#pragma once

// A23ZOZWT and A23ZOB3T: the maker's checks of 3D layout drawings.

#include <string_view>

namespace zelko {

/// The drawing check (A23ZOZWT 1006): 0 when the drawing at `path` is a 3D layout drawing of
/// the open project, that is, its file lies in the project's layout folder "DWG/LAYOUT"
/// (compared without regard to case); 1 when it lies elsewhere; 2 when no project is open.
int DrawingKindCheck(std::string_view path);

/// The 3D check (A23ZOB3T 1061): true when a project is open and its plan setting "3d_level"
/// (table plan_setting, 0 when absent) is at least `level`. The relay-terminal placement asks
/// with 3 (moving the attributes of new terminal blocks).
bool Is3DEnabled(int level);

}  // namespace zelko
