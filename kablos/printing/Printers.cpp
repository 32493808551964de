#include "Printers.h"

#include <cups/cups.h>

namespace kablos::printing {

bool HasDefaultPrinter() {
    // Without a name, cupsGetNamedDest looks up the user's or the server's default destination.
    cups_dest_t* destination = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (destination == nullptr)
        return false;
    cupsFreeDests(1, destination);
    return true;
}

}  // namespace kablos::printing
