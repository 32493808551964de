// The one source that differs between the builds: the names that carry the release.

#include "frame/Frame.h"

#ifndef ROUTIX_RELEASE
#error "ROUTIX_RELEASE names the release (23 or 24)"
#endif

#define ROUTIX_STRINGIFY2(x) #x
#define ROUTIX_STRINGIFY(x) ROUTIX_STRINGIFY2(x)

namespace routix {

const char* ReleaseName() {
    return "ROUTIX" ROUTIX_STRINGIFY(ROUTIX_RELEASE);
}

const char* WimUpdaterName() {
#if ROUTIX_RELEASE == 23
    return "A23ZOWMR";
#elif ROUTIX_RELEASE == 24
    return "V24UDEVU";
#else
#error "no wiring-database updater is known for this release"
#endif
}

}  // namespace routix
