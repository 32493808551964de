#include "UserDataPath.h"

#include <QStandardPaths>

namespace kablos {

std::filesystem::path UserDataPath() {
    std::filesystem::path base =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    std::error_code ignored;
    std::filesystem::create_directory(base, ignored);
    std::filesystem::path brindlex = base / "Brindlex";
    std::filesystem::create_directory(brindlex, ignored);
    std::filesystem::path trimKit = brindlex / "TRIM-KIT";
    std::filesystem::create_directory(trimKit, ignored);
    return trimKit;
}

}  // namespace kablos
