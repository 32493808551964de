#include "services/pointprompt.h"

#include "host/aced.h"

namespace zelko {

int GetPointPrompt(int flags, const char* prompt, ads_point point) {
    (void)flags;
    return acedGetPoint(nullptr, prompt, point);
}

}  // namespace zelko
