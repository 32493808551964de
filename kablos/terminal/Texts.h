#pragma once

// Message texts that more than one place of KABLOS shows, and the builders of those that name
// the settings file.

#include <filesystem>
#include <string>
#include <string_view>

namespace kablos::texts {

inline constexpr std::string_view kIniFileName = "KABLOS.ini";
inline constexpr std::string_view kNamelessEnvironment = "環境名が指定されていません";
inline constexpr std::string_view kCannotSend = "データが送信できません。";
inline constexpr std::string_view kLoadCastingFirst = "キャスティングデータを読み込んでください｡ ";
inline constexpr std::string_view kNoPrinter = "プリンタデバイスがインストールされていません。";
inline constexpr std::string_view kChooseTemplate = "テンプレートファイルを指定してください。";

/// "INIファイルが存在しません(" + folder + separator + "KABLOS.ini" + ")".
std::string IniMissing(const std::filesystem::path& folder);
/// "INIファイル書き込みエラー(" + folder + separator + "KABLOS.ini" + ")".
std::string IniWriteError(const std::filesystem::path& folder);
/// "INIファイル読み込みエラー(" + folder + separator + "KABLOS.ini" + ")".
std::string IniReadError(const std::filesystem::path& folder);

}  // namespace kablos::texts
