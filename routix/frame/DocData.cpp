#include "frame/DocData.h"

namespace routix {

template class AcApDataManager<CDocData>;

}  // namespace routix
