#pragma once
// The instrument's sound to and from files: host state chunks and preset files, read and written
// through the plug-in's own operations, with the failures the plug-in keeps silent reported.

#include <filesystem>
#include <ostream>

class Vantrix;

/** Restores the state chunk in path as a host does. Throws FileError when the file cannot be
    read or the chunk ends early (what it held is applied all the same). */
void RestoreStateFile(Vantrix& plug, const std::filesystem::path& path);
/** Loads a preset file as the preset browser does. Throws FileError when nothing was loaded. */
void LoadPresetFromFile(Vantrix& plug, const std::filesystem::path& path);
/** Writes the sound as a preset file and reports it on out. Throws FileError. */
void SavePresetToFile(Vantrix& plug, const std::filesystem::path& path, std::ostream* out);
/** Writes the state chunk and reports it on out. Throws FileError. */
void SaveStateFile(const Vantrix& plug, const std::filesystem::path& path, std::ostream* out);
