#pragma once

// A23ZOWP3: the route-cut numbers of a maker symbol, as the wiring-plan tools stored them in
// the project (table `route_cut` of the project store, platform/maker/README.md).

#include "arx/acdb.h"

namespace zelko {

/// The route-cut numbers of the block reference `symbol` of `database`, in their stored
/// order: `numbers` is a new array of `count` integers, released with RouteCutFree. True when
/// the symbol has at least one; false (numbers null, count 0) when it has none, no project is
/// open or the store holds no route cuts. The symbol is found by the drawing's file name
/// without folder and extension (the page, compared without regard to case) and the
/// reference's handle.
bool RouteCutList(AcDbObjectId symbol, AcDbDatabase* database, int*& numbers, int& count);
/// Releases an array of RouteCutList and sets it to null.
void RouteCutFree(int*& numbers);

}  // namespace zelko
