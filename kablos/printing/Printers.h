#pragma once

#include <string>
#include <vector>

namespace kablos::printing {

/// True when CUPS names a default printer (lpstat -d would show one). Without a running CUPS
/// there is none.
bool HasDefaultPrinter();

/// The name of CUPS's default printer, empty when there is none.
std::string DefaultPrinterName();

/// The names of the printers CUPS offers, the default first.
std::vector<std::string> PrinterNames();

}  // namespace kablos::printing
