#pragma once
// Whole-file reading and writing for paths held as UTF-8 text. The paths reach the file system
// through std::filesystem, which hands them to the system in its own form (UTF-16 on Windows).
//
// Thread contract: any thread; calls on different files do not interfere.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

/** The first maxBytes bytes of the file (all of it when shorter), or nullopt with the reason in
    error: no such file, a directory, no permission, a read error, too little memory. */
std::optional<std::vector<uint8_t>> ReadFileBytes(std::string_view utf8Path, std::size_t maxBytes,
                                                  std::error_code& error);

/** Replaces the file's content with bytes. They are written beside it under a temporary name that
    is then renamed over it, so the file is never left half-written; through a symbolic link the
    linked file is replaced. Returns the reason of a failure, or an empty code. */
std::error_code WriteFileBytes(std::string_view utf8Path, std::span<const uint8_t> bytes);

/** Creates the folder and any missing parents; an existing folder is not an error. */
std::error_code CreateFolders(std::string_view utf8Path);

/** folder and name joined with the system's path separator. */
std::string JoinPath(std::string_view utf8Folder, std::string_view utf8Name);
