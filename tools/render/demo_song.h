#pragma once
// Locating the bundled demo song: the installed copy next to the executable, else the source
// tree's resources.

#include <filesystem>

struct DemoSong
{
  std::filesystem::path midiFile;
  std::filesystem::path paramsFile;
};

/** Looks in <executable dir>/../share/vantrix/demo, then in the source tree. Throws FileError
    naming both places when neither holds the song and its parameter file. */
DemoSong FindDemoSong(const std::filesystem::path& executable);
