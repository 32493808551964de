#include "Printers.h"

#include <cups/cups.h>

namespace kablos::printing {

bool HasDefaultPrinter() {
    return !DefaultPrinterName().empty();
}

std::string DefaultPrinterName() {
    // Without a name, cupsGetNamedDest looks up the user's or the server's default destination.
    cups_dest_t* destination = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (destination == nullptr)
        return {};
    std::string name = destination->name ? destination->name : "";
    cupsFreeDests(1, destination);
    return name;
}

std::vector<std::string> PrinterNames() {
    cups_dest_t* destinations = nullptr;
    int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &destinations);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        if (destinations[i].instance != nullptr)
            continue;
        if (destinations[i].is_default)
            names.insert(names.begin(), destinations[i].name);
        else
            names.emplace_back(destinations[i].name);
    }
    cupsFreeDests(count, destinations);
    return names;
}

}  // namespace kablos::printing
