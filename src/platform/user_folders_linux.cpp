#include "platform/user_folders.h"

#include <cstdlib>

std::string LocalAppDataFolder()
{
  // The XDG base-directory rules: a relative $XDG_CONFIG_HOME is to be ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return {};
}
