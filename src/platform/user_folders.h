#pragma once
// Per-user folders of the operating system.

#include <string>

/** The user's local (non-roaming) application-data folder as UTF-8, or empty when the system
    names none. Linux: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. Windows: the
    known folder LocalAppData. */
std::string LocalAppDataFolder();
