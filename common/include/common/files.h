#pragma once

// File operations with the guarantees the system gives its users: a file that is replaced is
// replaced whole or not at all, and every failure says why.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace common {

/// Reads the whole file into `bytes`.
[[nodiscard]] std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

/// Replaces `path` with `bytes`: writes a temporary file beside it, flushes it to the disk and
/// renames it over the target, so a reader sees the old file or the new one and a failed write
/// leaves the old file as it was. A new file gets the permissions the umask allows.
[[nodiscard]] std::error_code WriteFileAtomically(const std::filesystem::path& path,
                                                  std::string_view bytes);

/// Appends `bytes` to `path` (creating it) and flushes, for logs that must survive a crash.
[[nodiscard]] std::error_code AppendToFile(const std::filesystem::path& path,
                                           std::string_view bytes);

/// The folder of the running program's executable.
std::filesystem::path ExecutableFolder();

/// `error` in words, for messages and logs.
std::string Describe(const std::error_code& error);

}  // namespace common
