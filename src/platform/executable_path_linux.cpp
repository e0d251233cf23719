#include "platform/executable_path.h"

std::filesystem::path ExecutablePath(const char* fallback)
{
  // The kernel names the running executable; the fallback serves where /proc is not mounted.
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec)
    return path;
  return std::filesystem::absolute(fallback ? fallback : "", ec);
}
