#include "Texts.h"

namespace kablos::texts {
namespace {

std::string Named(std::string_view prefix, const std::filesystem::path& folder) {
    return std::string(prefix) + (folder / kIniFileName).string() + ")";
}

}  // namespace

std::string IniMissing(const std::filesystem::path& folder) {
    return Named("INIファイルが存在しません(", folder);
}

std::string IniWriteError(const std::filesystem::path& folder) {
    return Named("INIファイル書き込みエラー(", folder);
}

std::string IniReadError(const std::filesystem::path& folder) {
    return Named("INIファイル読み込みエラー(", folder);
}

}  // namespace kablos::texts
