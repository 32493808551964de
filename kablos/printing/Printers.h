#pragma once

namespace kablos::printing {

/// True when CUPS names a default printer (lpstat -d would show one). Without a running CUPS
/// there is none.
bool HasDefaultPrinter();

}  // namespace kablos::printing
