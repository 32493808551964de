#include "services/supportfiles.h"

#include <array>
#include <filesystem>

#include "Store.h"
#include "common/text.h"
#include "services/maker.h"

namespace zelko {

namespace {
constexpr std::array<std::string_view, 6> kKeys = {
    "WAKUBASE", "CMARK_DUCT", "WireDirection", "TubeDirection", "WireDirectionN", "TubeDirectionN"};
}  // namespace

int MarkFilePath(std::string_view key, std::string& path, std::size_t bufferChars) {
    for (auto known : kKeys) {
        if (!common::EqualsNoCase(known, key)) {
            continue;
        }
        std::string full =
            (MakerInstallFolder() / "SUPPORT" / (common::ToUpper(known) + ".dxf")).string();
        if (full.size() + 1 > bufferChars) {
            detail::SetLastError("ZELKOPSM: the path of '" + std::string(key) +
                                 "' is longer than the caller's buffer: " + full);
            return 0;
        }
        std::error_code ec;
        if (!std::filesystem::is_regular_file(full, ec)) {
            detail::SetLastError("ZELKOPSM: the support drawing of '" + std::string(key) +
                                 "' does not exist: " + full);
            return 0;
        }
        path = std::move(full);
        return 1;
    }
    detail::SetLastError("ZELKOPSM: unknown support drawing key '" + std::string(key) + "'");
    return 0;
}

}  // namespace zelko
