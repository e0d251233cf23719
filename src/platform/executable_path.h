#pragma once
// Where the running program's executable file lives.

#include <filesystem>

/** Absolute path of the running executable; fallback (typically argv[0]) when unknown. */
std::filesystem::path ExecutablePath(const char* fallback);
