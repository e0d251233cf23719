#pragma once
// The renderer's command line.

#include "render/param_assignment.h"
#include "render/score.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RenderOptions
{
  std::optional<std::filesystem::path> midiFile;
  std::vector<NoteSpec> notes;
  /** --params files in order; applied before the --set assignments. */
  std::vector<std::filesystem::path> paramsFiles;
  std::vector<ParamAssignment> assignments;
  /** --state-in and --preset: the sound to start from, applied before the --params files. */
  std::optional<std::filesystem::path> stateIn;
  std::optional<std::filesystem::path> preset;
  /** --save-preset and --state-out: the sound after every setting, written before rendering. */
  std::optional<std::filesystem::path> savePreset;
  std::optional<std::filesystem::path> stateOut;
  /** --plugin: render through this VST3 bundle instead of the built-in instrument. */
  std::optional<std::filesystem::path> plugin;
  int sampleRate = 48000;
  int blockSize = 512;
  std::optional<double> tempo; // a constant host tempo instead of the file's tempo map
  std::optional<double> seconds;
  double tail = 2.0;
  std::optional<std::filesystem::path> out;
  bool demo = false;
  bool listParams = false;
  bool help = false;
};

/** Parses the arguments after the program name. Throws UsageError naming the bad argument,
    also for a render without input or without --out (not needed for --list-params, --help, or a
    run that only writes a preset or state file). */
RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args);

/** NOTE[:VELOCITY[:START[:LENGTH]]]; NOTE is 0..127 or a name such as C4 (60), F#3, Bb2. */
NoteSpec ParseNoteSpec(std::string_view text);

/** The --help text. */
std::string HelpText();
